// The vek command: file names from the command line or the console dialogue,
// then one engine run.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "engine/engine_run.h"

namespace vek::engine {

// A file name as the engine keeps it: the first 45 characters, without a
// carriage return or trailing blanks.
std::string fileNameFrom(const std::string &text);

// The run's settings from the values of vek's environment variables (null
// when one is not set): VEK_SUPERPOSITION=reference, VEK_THREADS=n and
// VEK_KERNELS=baseline|avx2|avx512. A thread count above the machine's
// hardware threads is capped, and a kernel variant this processor cannot run
// is replaced by the fastest it can, each with a note on `notes`.
EngineOptions optionsFromEnvironment(const char *superposition, const char *threads, const char *kernels,
                                     std::ostream &notes);

// args are the command-line arguments after the program name.
int runVekCommand(const std::vector<std::string> &args, std::istream &in, std::ostream &out, std::ostream &err,
                  const EngineOptions &options);

} // namespace vek::engine
