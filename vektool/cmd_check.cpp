// vektool check: reads a model input file and judges it as the engine would
// run it: every reader message, every refusal and every warning.
#include "model/model_input.h"
#include "model/model_validation.h"
#include "vektool/command.h"
#include "vektool/messages.h"
#include "vektool/usage_errors.h"

#include <cstdio>

namespace {

const char *kUsage = "usage: vektool check FILE.vek\n\n"
                     "Reads a model input file as the desktop program opens it and judges it as\n"
                     "the engine would run it. Printed on standard error, one a line: every\n"
                     "message of the reader; everything the engine would refuse (a year type\n"
                     "other than Irrigation Year, a run without years, of more than 400 years or\n"
                     "starting outside the years of data, a negative depletion factor of a used\n"
                     "location, a file name longer than the engine reads, the response methods'\n"
                     "parameters and tables), each with the vektool convert options that mend it;\n"
                     "and, after \"warning:\", what the engine would run but read otherwise than\n"
                     "the desktop program shows (a location type other than -1 and 1, a\n"
                     "monthly-to-daily rule other than 0 and 1, synthesized years that are not\n"
                     "what their recorded method makes, names the report cuts). Then a one-line\n"
                     "summary of what was read (standard output).\n\n"
                     "Exit status: 0 the file reads cleanly and would run (warnings included),\n"
                     "1 it does not read or would be refused, 2 bad arguments.\n";

int runCheck(const vektool::Args &args) {
    if (args.size() == 1 && args[0].size() > 1 && args[0][0] == '-')
        return vektool::usageError("check", "unknown option " + args[0], kUsage);
    if (args.size() != 1 || args[0].empty()) return vektool::usageError("check", "name one model file", kUsage);
    if (!vektool::canOpen("check", args[0])) return 1;
    const vek::ModelFileCheck c = vek::checkModelFile(args[0]);
    bool ok = vektool::report(c.read);
    if (ok) ok = vektool::reportProblems(args[0], c.validation);
    const vek::ModelInput &m = c.model;
    std::printf("%s: %s, %zu location(s), historical years %d-%d (%d), synthesized years %d\n", args[0].c_str(),
                ok ? "ok" : "failed", m.locations.size(), m.inputStartYear, m.inputEndYear, m.historicalYears(),
                m.synthesizedYears());
    return ok ? 0 : 1;
}

} // namespace

VEKTOOL_COMMAND("check", "judge a model input file as the engine would run it", kUsage, runCheck);
