// vektool check: reads a model input file and reports what stopped the
// reader, if anything.
#include "model/input_file.h"
#include "model/model_input.h"
#include "model/response_checks.h"
#include "vektool/command.h"
#include "vektool/messages.h"

#include <cstdio>

namespace {

const char *kUsage = "usage: vektool check FILE.vek\n\n"
                     "Reads a model input file as the desktop program opens it and prints every\n"
                     "message the reader shows (standard error), then a one-line summary of what\n"
                     "was read (standard output). The response methods' parameters and tables\n"
                     "are checked as the engine checks them (a/W below 1, lambda' above 0, shares\n"
                     "between 0 and 1 adding up to at most 1, tables that exist).\n\n"
                     "Exit status: 0 the file reads cleanly, 1 it does not, 2 bad arguments.\n";

int runCheck(const vektool::Args &args) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    vek::ModelInput m;
    bool ok = vektool::report(vek::readModelInput(m, args[0]));
    if (ok)
        for (const auto &problem : vek::checkResponseMethods(m)) {
            std::fprintf(stderr, "%s: %s\n", args[0].c_str(), problem.text.c_str());
            ok = false;
        }
    std::printf("%s: %s, %zu location(s), historical years %d-%d (%d), synthesized years %d\n", args[0].c_str(),
                ok ? "ok" : "failed", m.locations.size(), m.inputStartYear, m.inputEndYear, m.historicalYears(),
                m.synthesizedYears());
    return ok ? 0 : 1;
}

} // namespace

VEKTOOL_COMMAND("check", "read a model input file and show every reader message", kUsage, runCheck);
