// How a location's stream responds to its pumping or recharge, and the unit
// response tables locations share by name: plain values, copied with the
// model (undo snapshots take them along).
#pragma once

#include <string>
#include <vector>

#include "engine/response_methods.h"

namespace vek {

using engine::ResponseMethod;

struct ResponseSettings {
    ResponseMethod method = ResponseMethod::InfiniteAquifer;
    // Parameters of the methods, each used only by its own: the location's
    // depletion factor (Location::VEK) is the sdf of the aquifer methods.
    float aOverW = 0.0f; // alluvial aquifer: distance to the stream over distance to the boundary
    float lambda = 0.0f; // streambed resistance: lambda' = lambda a / T
    std::string table;   // response table: its name

    bool isInfiniteAquifer() const { return method == ResponseMethod::InfiniteAquifer; }
    bool operator==(const ResponseSettings &) const = default;
};

// Monthly shares of one month's pumping that the stream feels in that month
// (the first share) and in each month after it.
struct UnitResponseTable {
    std::string name;
    std::vector<float> shares;
    // After the last month: false holds the cumulative share the table
    // reached; true gives the stream the rest of the step (cumulative 1) from
    // the month after the table on.
    bool afterTableOne = false;

    bool operator==(const UnitResponseTable &) const = default;
};

struct ModelInput;
struct Location;

// Operations on a model's responses; each changes only what it names.

// The table of that name, or nullptr.
const UnitResponseTable *findResponseTable(const ModelInput &model, const std::string &name);
// Adds the table, or replaces the one of the same name.
void putResponseTable(ModelInput &model, UnitResponseTable table);
// Renames a table and every location's reference to it. False, changing
// nothing, when there is no table `from` or `to` is another table's name.
bool renameResponseTable(ModelInput &model, const std::string &from, const std::string &to);
// Removes the table; locations that used it keep its name (the checks then
// report them). False when there is no such table.
bool removeResponseTable(ModelInput &model, const std::string &name);
// Locations (0-based, in order) that respond by the named table.
std::vector<int> locationsUsingTable(const ModelInput &model, const std::string &name);
// The locations that respond by the named table go back to the infinite
// aquifer, keeping their factor; returns how many did.
int resetTableUsers(ModelInput &model, const std::string &name);

// The settings with only the parameters their method uses, the others
// cleared: what reading the model's saved file gives back.
ResponseSettings ownParameters(const ResponseSettings &settings);

// The location's response to a unit step in double precision, its factor as
// sdf; the infinite aquifer when its table does not exist.
engine::StepResponse stepResponse(const ModelInput &model, const Location &location);

} // namespace vek
