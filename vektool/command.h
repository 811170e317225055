// Subcommands of vektool. Each lives in its own file and registers itself
// with VEKTOOL_COMMAND, so adding one touches no other file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vektool {

using Args = std::vector<std::string>;

struct Command {
    const char *name;
    const char *summary;          // one line for the command list
    const char *usage;            // full help text for "vektool help NAME" / NAME --help
    int (*run)(const Args &args); // args after the subcommand name; returns the exit status
};

bool registerCommand(const Command &c);
const std::vector<Command> &commands();

// Writes bytes to standard output. A failure is reported once, when the
// program ends, with the reason the system gave for it.
void writeStandardOutput(std::string_view bytes);

} // namespace vektool

#define VEKTOOL_CONCAT2(a, b) a##b
#define VEKTOOL_CONCAT(a, b) VEKTOOL_CONCAT2(a, b)
#define VEKTOOL_COMMAND(...)                                                                                           \
    static const bool VEKTOOL_CONCAT(vektool_registered_, __LINE__) =                                                  \
        ::vektool::registerCommand(::vektool::Command{__VA_ARGS__})
