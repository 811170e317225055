// vektool: model input files, engine runs and reports from scripts and batch
// jobs, through the same document core as the desktop program.
#include "programs/ending_signals.h"
#include "vektool/command.h"
#include "vektool/usage_errors.h"

#include "vek_version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace vektool {

static std::vector<Command> &registry() {
    static std::vector<Command> r;
    return r;
}

bool registerCommand(const Command &c) {
    registry().push_back(c);
    return true;
}

const std::vector<Command> &commands() { return registry(); }

// The reason of the first failed write to standard output (a flush after it
// may no longer see it).
static int gStandardOutputError = 0;

void writeStandardOutput(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0)
        if (gStandardOutputError == 0) gStandardOutputError = errno;
}

} // namespace vektool

static void printHelp() {
    std::printf("usage: vektool COMMAND [ARGS...]\n\n"
                "Works on VEK model input files (.vek) and engine reports (.out) without the\n"
                "desktop program. Messages go to standard error; nothing is asked interactively.\n\n"
                "commands:\n");
    for (const auto &c : vektool::commands())
        std::printf("  %-10s %s\n", c.name, c.summary);
    std::printf("\n'vektool COMMAND --help' shows the options of one command;\n"
                "'vektool --version' prints the version.\n");
}

// Standard output is checked once, when the program ends (as coreutils'
// close_stdout does): a write that failed on the way, or the last flush and
// close, is a failure with its reason, and the status says so.
static bool closeStandardOutput() {
    const bool failedBefore = std::ferror(stdout) != 0;
    std::clearerr(stdout);
    int err = 0;
    // A flush after a failed write meets the same failure again: its reason.
    if (std::fflush(stdout) != 0) err = errno;
    if (std::fclose(stdout) != 0 && err == 0) err = errno;
    if (err == 0) err = vektool::gStandardOutputError;
    if (!failedBefore && err == 0) return true;
    std::fprintf(stderr, "vektool: Unable to write standard output%s%s.\n", err ? ": " : "",
                 err ? std::generic_category().message(err).c_str() : "");
    return false;
}

static int runCommandLine(int argc, char **argv) {
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") ||
        (!std::strcmp(argv[1], "help") && argc == 2)) {
        printHelp();
        return argc < 2 ? 2 : 0;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("vektool %s\n", VEK_VERSION);
        return 0;
    }
    std::string name = argv[1];
    vektool::Args args(argv + 2, argv + argc);
    if (name == "help") {
        name = argv[2];
        args = {"--help"};
    }
    for (const auto &c : vektool::commands()) {
        if (name == c.name) {
            for (const auto &a : args)
                if (a == "--help" || a == "-h") {
                    std::printf("%s", c.usage);
                    return 0;
                }
            return c.run(args);
        }
    }
    std::vector<std::string> names;
    for (const auto &c : vektool::commands())
        names.emplace_back(c.name);
    const std::string nearest = vektool::nearestWord(name, names);
    std::fprintf(stderr, "vektool: unknown command '%s'%s (vektool --help)\n", name.c_str(),
                 nearest.empty() ? "" : ("; did you mean " + nearest + "?").c_str());
    return 2;
}

int main(int argc, char **argv) {
#ifdef _WIN32
    // Output has the same bytes as elsewhere: no CR added to line ends.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    // Ended by a signal, vektool leaves no half-written file beside a target.
    vek::removeTemporaryFilesOnEndingSignals();
    const int status = runCommandLine(argc, argv);
    if (!closeStandardOutput() && status == 0) return 1;
    return status;
}
