// How the vek program opens its report: without waiting on a FIFO that no
// program reads (refused at once), and under an advisory lock held for the
// whole run, so that a second run writing the same report is refused before
// it changes a byte of it instead of interleaving its lines with the first.
// The file is emptied only once the lock is held. Part of the program, not
// of the engine library: it is the one place the engine uses the platform's
// file calls.
#pragma once

#include <cstdio>
#include <string>

namespace vek::engine {

// Throws ReportError naming the file and the reason.
std::FILE *openLockedReport(const std::string &path);

} // namespace vek::engine
