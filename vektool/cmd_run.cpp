// vektool run: runs the engine on a model input file as the desktop
// program's Run does, on the file as it is on disk.
#include "common/utf8_path.h"
#include "model/engine_runner.h"
#include "model/model_validation.h"
#include "model/program_directory.h"
#include "vektool/command.h"
#include "vektool/messages.h"

#include <cstdio>
#include <filesystem>

namespace {

const char *kUsage = "usage: vektool run MODEL.vek [--yes]\n\n"
                     "Runs the engine vek (from vektool's own folder) on MODEL.vek in that file's\n"
                     "folder and prints the absolute path of the report it wrote. The file on disk\n"
                     "is what runs, also when it does not read cleanly (the engine judges it).\n"
                     "It is judged first as vektool check judges it: what the engine would\n"
                     "refuse is printed with the vektool convert options that mend it and the\n"
                     "engine is not started; warnings are printed and the engine runs. --yes is\n"
                     "accepted for scripts written for earlier versions and changes nothing.\n\n"
                     "Exit status: 0 the engine ran cleanly, 1 it did not or the run was refused,\n"
                     "2 bad arguments.\n";

int runRun(const vektool::Args &args) {
    std::string path;
    for (const auto &a : args) {
        if (a == "--yes") {
            continue;
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "vektool run: unknown option %s\n\n%s", a.c_str(), kUsage);
            return 2;
        } else if (path.empty()) {
            path = a;
        } else {
            std::fprintf(stderr, "%s", kUsage);
            return 2;
        }
    }
    if (path.empty()) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    const vek::ModelFileCheck check = vek::checkModelFile(path);
    vektool::report(check.read);
    if (!std::filesystem::is_regular_file(vek::pathFromUtf8(path))) return 1;
    if (!vektool::reportProblems(path, check.validation)) return 1;
    const vek::EngineRunResult run = vek::runEngineFile(path, vek::programDirectory());
    if (!run.succeeded()) {
        vektool::say(run.message);
        return 1;
    }
    std::printf("%s\n", run.reportPath.c_str());
    return 0;
}

} // namespace

VEKTOOL_COMMAND("run", "run the engine on a model input file", kUsage, runRun);
