// Running the built vek program from a test, as a user would from a shell.
#pragma once

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vek::test {

struct Outcome {
    int status = 0;
    std::string out, err;
};

// Runs vek in `dir` with the given arguments (already quoted) and standard
// input; env is put before the command (e.g. "VEK_THREADS=1").
inline Outcome runVek(const std::string &dir, const std::string &args, const std::string &input = "",
                      const std::string &env = "") {
    const std::string vek = binDir() + "/vek";
    if (!std::filesystem::exists(vek)) ADD_FAILURE() << vek << " is missing: build the vek target first";
    writeFile(dir + "/stdin.txt", input);
    const std::string cmd =
        "cd '" + dir + "' && " + env + " '" + vek + "' " + args + " < stdin.txt > stdout.txt 2> stderr.txt";
    const int raw = std::system(cmd.c_str());
    Outcome o;
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1000;
    o.out = readFile(dir + "/stdout.txt");
    o.err = readFile(dir + "/stderr.txt");
    return o;
}

} // namespace vek::test
