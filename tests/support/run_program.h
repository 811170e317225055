// Running a built program from a test as a user would, on Linux and on
// Windows (under wine): no shell, arguments passed as they are.
#pragma once

#include <string>
#include <vector>

namespace vek::test {

struct ProgramRun {
    int status = -1000; // exit status; -1000 when it did not exit normally
    std::string out, err;
};

// Runs `program` (on Windows ".exe" is added to a name without extension)
// in `dir` with the arguments, `input` as standard input and `env` entries
// ("NAME=value") added to the environment. Standard input, output and error
// go through stdin.txt, stdout.txt and stderr.txt in `dir`.
ProgramRun runProgram(const std::string &dir, const std::string &program, const std::vector<std::string> &args,
                      const std::string &input = "", const std::vector<std::string> &env = {});

// The path of a built program in binDir(), with ".exe" on Windows.
std::string programPath(const std::string &name);

// Blank-separated words (no quoting).
std::vector<std::string> words(const std::string &text);

} // namespace vek::test
