// Changes of a model input document's uncertainty ranges, as the Uncertainty
// dialog makes them, and the texts it shows for a range. Each change is one
// named undo step that marks the document modified; each returns what is
// wrong (and then changes nothing), empty when done.
#pragma once

#include "engine/uncertainty.h"

#include <QString>

namespace vek {

class CVEKViewDoc;

// The range's fields as the dialog shows them: its value (the fixed value,
// the mode, the mean or the median), its spread, its bounds; empty where the
// distribution has none.
struct RangeTexts {
    QString value, spread, low, high;
};
RangeTexts rangeTexts(const engine::Range &range);
// The range the dialog's fields give, or what is wrong with them.
QString rangeFromTexts(engine::Distribution distribution, const RangeTexts &texts, engine::Range &out);
// The location's column: "All locations", or "3 North" (its 1-based position
// and name).
QString rangeLocationText(const CVEKViewDoc &doc, long long location);

// Adds a range; a quantity the location already has a range of is refused.
// Step "Add Uncertainty Range".
QString addUncertaintyRange(CVEKViewDoc &doc, const engine::ParameterRange &range);
// Replaces the row'th range (in the order ModelInput::allRanges gives).
// Step "Change Uncertainty Range".
QString changeUncertaintyRange(CVEKViewDoc &doc, int row, const engine::ParameterRange &range);
// Step "Delete Uncertainty Range".
QString deleteUncertaintyRange(CVEKViewDoc &doc, int row);

} // namespace vek
