// vektool run: runs the engine on a model input file through the same path
// as the desktop program's Run command.
#include "common/utf8_path.h"
#include "model/engine_runner.h"
#include "model/model_document.h"
#include "vektool/batch_prompter.h"
#include "vektool/command.h"

#include <cstdio>
#include <filesystem>

namespace {

const char *kUsage = "usage: vektool run MODEL.vek [--yes]\n\n"
                     "Runs the engine vek (from vektool's own folder) on MODEL.vek in that file's\n"
                     "folder and prints the path of the report it wrote. The file on disk is what\n"
                     "runs: the offer to save is answered No. When the synthesized years may be\n"
                     "stale the run stops, unless --yes answers that question Yes.\n\n"
                     "Exit status: 0 the engine ran cleanly, 1 it did not or the run was refused,\n"
                     "2 bad arguments.\n";

int runRun(const vektool::Args &args) {
    std::string path;
    bool yes = false;
    for (const auto &a : args) {
        if (a == "--yes") {
            yes = true;
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
    vektool::BatchPrompter prompter;
    prompter.yesNoCancelAnswer = vek::Answer::No;
    if (yes) prompter.yesNoAnswer = true;
    vek::ModelDocument doc(&prompter);
    doc.open(path);
    if (!std::filesystem::is_regular_file(vek::pathFromUtf8(path))) return 1;
    // A file that did not read completely still runs as it is on disk (the
    // engine judges it); the offer to save is answered No, so it is never
    // replaced by the part that was read.
    if (doc.isReadPartly()) doc.setPath(doc.partlyReadFrom());

    vek::EngineRunHooks hooks;
    std::string report;
    hooks.openReport = [&](const std::string &name) {
        report = vek::utf8FromPath(std::filesystem::current_path() / vek::pathFromUtf8(name));
    };
    vek::RunResult r = vek::runEngine(doc, hooks);
    if (r != vek::RunResult::Succeeded) return 1;
    std::printf("%s\n", report.c_str());
    return 0;
}

} // namespace

VEKTOOL_COMMAND("run", "run the engine on a model input file", kUsage, runRun);
