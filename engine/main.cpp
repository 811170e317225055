// vek: the stream-depletion engine. vek [input-file [output-file]]; without
// arguments it asks for both names on the console.
//
// VEK_SUPERPOSITION=reference selects the straightforward computation,
// VEK_THREADS the number of computing threads and VEK_KERNELS the instruction
// set of the kernels (for benchmarks and tests; every choice gives the same
// report).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "engine/vek_command.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char **argv) {
#ifdef _WIN32
    // The console lines have the same bytes as elsewhere: no CR added.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
    const vek::engine::EngineOptions options = vek::engine::optionsFromEnvironment(
        std::getenv("VEK_SUPERPOSITION"), std::getenv("VEK_THREADS"), std::getenv("VEK_KERNELS"), std::cerr);
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    int status = vek::engine::runVekCommand(args, std::cin, std::cout, std::cerr, options);
    // The last step of writing the console is closing it (as coreutils'
    // close_stdout does): a failure there is a failed run too.
    if (std::fclose(stdout) != 0 && status == vek::engine::kExitNormal) {
        std::cerr << " run-time error: cannot write standard output: " << std::strerror(errno) << '\n';
        status = vek::engine::kExitRuntimeError;
    }
    return status;
}
