// Synthesized years: projecting the historical monthly values of every
// location into the years that follow the historical period, by the average
// of chosen years, one given year or a repeated cycle of years, and the
// record of which method made them.
#pragma once

#include <string>
#include <utility>

namespace vek {

class ModelDocument;
struct ModelInput;

// Values of ModelInput::synthesizeFormat.
enum SynthesisMethod : int {
    NoSynthesis = 0,
    SynthesizedAverage = 1,
    SynthesizedGivenYear = 2,
    SynthesizedCycle = 3,
    SynthesizedUserDefined = 4,
};

// Refresh hint after a synthesis method choice (synthesized table and captions).
inline constexpr int kHintSynthesized = 3;

// Messages of the preconditions every method checks first.
inline constexpr const char *kNoSynthesizedYearsMessage =
    "Can't project flows until synthesized flow years are provided.";
inline constexpr const char *kNoHistoricalYearsMessage = "No historical flow data to project.";

// Each method asks for its years through the document's prompter and fills
// every synthesized year of every location. They return true when the values
// and the record were replaced; false when a precondition failed (its message
// shown), the dialog was cancelled or its answer was unusable; then nothing
// has changed.
bool synthesizeAverage(ModelDocument &doc);
bool synthesizeGivenYear(ModelDocument &doc);
bool synthesizeCycle(ModelDocument &doc);

// "Recalculate": asks for a method and runs it. Unless the choice itself is
// cancelled, the document is then marked modified, the views are refreshed
// with hint 3 and the stale-data flag is cleared, whatever the method did
// (also when its own dialog was cancelled).
void chooseSynthesisMethod(ModelDocument &doc);

// Year indexes (first, last) of the historical period the recorded method
// draws on; an empty range (0, -1) for user-defined values.
std::pair<int, int> synthesisSourceYears(const ModelInput &model);

// The method text the form appends to the synthesized table's caption, e.g.
// " (synthesized using historical data year 1990)"; empty when no method is
// recorded.
std::string synthesisCaption(const ModelInput &model);

} // namespace vek
