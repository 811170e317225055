// Running the built vek program from a test, as a user would.
#pragma once

#include "support/run_program.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace vek::test {

using Outcome = ProgramRun;

// Runs vek in `dir` with the blank-separated arguments and standard input;
// env is one "NAME=value" entry added to the environment, or empty.
inline Outcome runVek(const std::string &dir, const std::string &args, const std::string &input = "",
                      const std::string &env = "") {
    const std::string vek = programPath("vek");
    if (!std::filesystem::exists(vek)) ADD_FAILURE() << vek << " is missing: build the vek target first";
    std::vector<std::string> extra;
    if (!env.empty()) extra.push_back(env);
    return runProgram(dir, vek, words(args), input, extra);
}

} // namespace vek::test
