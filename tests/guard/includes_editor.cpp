// Must not compile with a core's include directories: a core sees only the
// headers of the libraries it links.
#include "editor/vekview_doc.h"

int probe() { return 0; }
