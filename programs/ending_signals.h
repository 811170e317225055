// What the programs' mains share about signals. Not a library function: a
// host that embeds the cores (the Python module) keeps its own handling.
#pragma once

namespace vek {

// From a program's main: the ending signals (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT) that are still at their default first remove the temporary files
// of the saves under way, then end the program as the default would have. A
// signal the program handles itself is left alone. Does nothing on Windows.
void removeTemporaryFilesOnEndingSignals();

} // namespace vek
