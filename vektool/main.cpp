// vektool: model input files, engine runs and reports from scripts and batch
// jobs, through the same document core as the desktop program.
#include "vektool/command.h"

#include "vek_version.h"

#include <cstdio>
#include <cstring>
#include <string>

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

int main(int argc, char **argv) {
#ifdef _WIN32
    // Output has the same bytes as elsewhere: no CR added to line ends.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
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
    std::fprintf(stderr, "vektool: unknown command '%s'\n", name.c_str());
    printHelp();
    return 2;
}
