// The smoke run of VEKView (`VEKView --smoke-test FILE`): the program starts,
// opens one file as File Open does and quits. Every message goes to standard
// error instead of a dialog, and the settings are kept in a scratch folder,
// so that a package or an installation can be checked without a desktop and
// without touching the user's settings.
#pragma once

#include <QString>

namespace vek {

class CVEKViewApp;

// Starts app (its main window hidden), opens path and closes everything again.
// Returns 0 when the file opened without a message, 1 otherwise. Prints one
// line on standard output naming what was opened.
int runSmokeTest(CVEKViewApp &app, const QString &path);

} // namespace vek
