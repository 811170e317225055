// vek: the stream-depletion engine. vek [input-file [output-file]]; without
// arguments it asks for both names on the console.
//
// VEK_SUPERPOSITION=reference selects the straightforward computation and
// VEK_THREADS the number of computing threads (both for benchmarks and tests).
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "engine/vek_command.h"

int main(int argc, char **argv) {
    std::ios::sync_with_stdio(false);
    vek::engine::EngineOptions options;
    if (const char *s = std::getenv("VEK_SUPERPOSITION"); s && std::string(s) == "reference") options.reference = true;
    if (const char *t = std::getenv("VEK_THREADS"); t && std::atoi(t) > 0)
        options.threads = static_cast<unsigned>(std::atoi(t));
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return vek::engine::runVekCommand(args, std::cin, std::cout, std::cerr, options);
}
