// What the programs' mains share about signals. Not a library function: a
// host that embeds the cores (the Python module) keeps its own handling.
#pragma once

namespace vek {

// From a program's main: the ending signals (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT) that are still at their default first remove the temporary files
// of the saves under way, then end the program as the default would have. A
// signal the program handles itself is left alone. Does nothing on Windows.
void removeTemporaryFilesOnEndingSignals();

// While a child runs for the program (`processId` > 0; -1 when it has
// ended), an ending signal is passed on to the child instead of ending the
// program, so the program can wait for the child and nothing is left
// running behind it. Only the handlers installed above do this.
void passEndingSignalsTo(long processId);

// After the child has ended: when an ending signal was passed on to it, the
// program now ends by that signal (its temporary files removed first), as
// it would have without the child. Returns otherwise.
void endByPassedSignal();

} // namespace vek
