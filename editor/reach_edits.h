// Changes of a model input document's stream reaches and apportionment, as
// the Reaches dialog and the map make them. Each is one named undo step that
// marks the document modified; the shares are resolved again by the step
// itself (CVEKViewDoc). Each returns false, or what is wrong, when it would
// change nothing or names what does not exist. Also the texts the dialogs
// show for a rule.
#pragma once

#include "common/operation_error.h"
#include "geo/map_import.h"
#include "model/model_input.h"

#include <QString>

#include <optional>
#include <vector>

namespace vek {

class CVEKViewDoc;

// "Nearest reach", "Inverse distance", "Inverse distance squared", "Web",
// "Web squared", "Thiessen polygons", "Typed shares", with the options that
// are set ("Web squared, max 5000 ft, min 0.02").
QString ruleText(const ApportionRule &rule, LengthUnit unit);
// The location's shares as a line: "Big River 0.57, Creek 0.43"; "none".
QString sharesText(const ModelInput &model, const Location &location);

// The model's rule. Step "Change Apportionment".
bool setModelApportionment(CVEKViewDoc &doc, const ApportionRule &rule);
// Step "Change Reach Depletion".
bool setReachDepletion(CVEKViewDoc &doc, ReachDepletion depletion);
// A reach without lines; what is wrong with the name, empty when added.
// Step "Add Reach".
QString addNamedReach(CVEKViewDoc &doc, const QString &name);
// Step "Rename Reach".
QString renameReachAt(CVEKViewDoc &doc, int reach, const QString &name);
// Removes a reach and every share of it. Step "Delete Reach".
bool deleteReachAt(CVEKViewDoc &doc, int reach);
// A location's own rule (none: the model's) and, for typed shares, the
// shares. Step "Change Location Apportionment".
bool setLocationApportionment(CVEKViewDoc &doc, int location, const std::optional<ApportionRule> &rule,
                              const std::vector<ReachShare> &typed);
// Step "Factor From Map".
bool setFactorFromMap(CVEKViewDoc &doc, int location, bool on);
// Wells and reaches from GIS files (geo::importMap). Step "Import Map".
OperationResult importMapInto(CVEKViewDoc &doc, const geo::MapImportOptions &options,
                              geo::MapImportCounts *counts = nullptr);

} // namespace vek
