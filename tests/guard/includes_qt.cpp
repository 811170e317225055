// Must not compile with a core's include directories: the cores are standard
// C++ only (see tests/CMakeLists.txt, the guard tests).
#include <QString>

int probe() { return QString("x").size(); }
