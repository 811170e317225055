// Changes of a model input document's response methods and response tables,
// as the response dialogs make them. Each is one named undo step, marks the
// document modified and refreshes the location list's method column; each
// returns false (no step recorded) when it would change nothing or names
// what does not exist. Also the texts the form and the dialogs show for a
// method.
#pragma once

#include "model/model_input.h"

#include <QString>

#include <string>
#include <vector>

namespace vek {

class CVEKViewDoc;

// "Infinite aquifer", "Alluvial aquifer (Glover)", "Streambed resistance
// (Hunt 1999)", "Unit response table".
QString responseMethodName(ResponseMethod method);
// The location list's short text: "Infinite aquifer", "Alluvial, a/W 0.6",
// "Streambed, λ′ 2", "Table: <name>" ("(missing)" added when the model has no
// such table).
QString responseMethodCell(const ModelInput &model, const Location &location);

// A typed table name as the file can hold it: trimmed, control characters
// (line ends, tabs) turned into blanks.
std::string cleanTableName(const QString &typed);
// `base` when no table has that name, else the first free "base (2)",
// "base (3)", ...
std::string freeTableName(const ModelInput &model, const std::string &base);

// The location's method and, for every method, its factor (the sdf of the
// aquifer methods, the equivalent factor older readers run a table
// location on). Parameters the method does not use are cleared, so the
// model equals what reading its saved file gives. Step "Change Response
// Method".
bool setLocationResponse(CVEKViewDoc &doc, int location, const ResponseSettings &settings, float factor);

// A new table of 12 months of share 0, named "New table" (or the first free
// name after it). Step "Add Response Table". Returns its name.
std::string addResponseTable(CVEKViewDoc &doc);
// Renames a table and every reference to it. Returns what is wrong (empty
// name, a name another table has, no such table), empty when renamed.
// Step "Rename Response Table".
QString renameResponseTable(CVEKViewDoc &doc, const std::string &from, const QString &typed);
// Removes a table. Locations that respond by it go back to the infinite
// aquifer with their factor, in the same step ("Delete Response Table"), so
// that no location names a table that is not there.
bool deleteResponseTable(CVEKViewDoc &doc, const std::string &name);
// Adds the tables, each replacing the one of the same name. Step "Import
// Response Tables".
bool importResponseTables(CVEKViewDoc &doc, const std::vector<UnitResponseTable> &tables);
// A table's monthly shares, or what follows its last month. Step "Edit
// Response Table".
bool setResponseTableShares(CVEKViewDoc &doc, const std::string &name, const std::vector<float> &shares);
bool setResponseTableAfterOne(CVEKViewDoc &doc, const std::string &name, bool afterOne);

} // namespace vek
