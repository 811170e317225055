// Command line and console dialogue of vek.
#include "engine/vek_command.h"

#include "engine/real.h"

#include <cerrno>
#include <system_error>

namespace vek::engine {

std::string fileNameFrom(const std::string &text) {
    std::string name = text.substr(0, kEngineFileNameLength);
    const auto cr = name.find('\r');
    if (cr != std::string::npos) name.erase(cr);
    const auto last = name.find_last_not_of(' ');
    name.erase(last == std::string::npos ? 0 : last + 1);
    return name;
}

namespace {
bool askName(const char *prompt, std::istream &in, std::ostream &out, std::string &name) {
    out << ' ' << prompt << '\n' << '\n';
    out.flush();
    std::string line;
    if (!std::getline(in, line)) return false;
    name = fileNameFrom(line);
    return true;
}
} // namespace

int runVekCommand(const std::vector<std::string> &args, std::istream &in, std::ostream &out, std::ostream &err,
                  const EngineOptions &options) {
    std::string input, output;
    if (args.empty()) {
        if (!askName("ENTER THE INPUT DATA FILE NAME (45 CHARACTERS):  ", in, out, input)) {
            err << " run-time error: end of console input while reading the input data file name" << '\n';
            return kExitRuntimeError;
        }
        if (!askName("ENTER THE OUTPUT FILE NAME (45 CHARACTERS):  ", in, out, output)) {
            err << " run-time error: end of console input while reading the output file name" << '\n';
            return kExitRuntimeError;
        }
    } else if (args.size() == 1) {
        err << " run-time error: output file name missing (usage: vek input-file output-file)" << '\n';
        return kExitRuntimeError;
    } else {
        input = fileNameFrom(args[0]);
        output = fileNameFrom(args[1]);
    }
    if (input.empty() || output.empty()) {
        err << " run-time error: " << (input.empty() ? "input" : "output") << " file name is empty" << '\n';
        return kExitRuntimeError;
    }
    const int status = runEngine(input, output, options, out, err);
    // The console lines are part of what a run gives: when they cannot be
    // written (a full disk, a closed pipe) the run has failed.
    errno = 0;
    out.flush();
    if (!out) {
        const int why = errno;
        err << " run-time error: cannot write standard output" << (why ? ": " : "")
            << (why ? std::generic_category().message(why) : "") << '\n';
        err.flush();
        return status == kExitNormal ? kExitRuntimeError : status;
    }
    err.flush();
    return status;
}

} // namespace vek::engine
