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

// args are the command-line arguments after the program name.
int runVekCommand(const std::vector<std::string> &args, std::istream &in, std::ostream &out, std::ostream &err,
                  const EngineOptions &options);

} // namespace vek::engine
