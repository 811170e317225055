// The folder that holds the running program; the engine is started from
// there, so it must sit beside the desktop program and vektool.
#pragma once

#include <string>

namespace vek {

// Folder of the running executable with a trailing "/", or "./" when it
// cannot be determined.
std::string programDirectory();

} // namespace vek
