// Synthesized years: projecting the historical monthly values of every
// location into the years that follow the historical period, by the average
// of chosen years, one given year or a repeated cycle of years, and the
// record of which method made them. These operations take every choice as a
// parameter and ask nothing; the method choice and its dialogs are in
// model/document_operations.h.
#pragma once

#include "common/operation_error.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vek {

struct ModelInput;

// Values of ModelInput::synthesizeFormat.
enum SynthesisMethod : int {
    NoSynthesis = 0,
    SynthesizedAverage = 1,
    SynthesizedGivenYear = 2,
    SynthesizedCycle = 3,
    SynthesizedUserDefined = 4,
};

// The two conditions every method needs, tested in this order: synthesized
// years to fill ("Can't project flows until synthesized flow years are
// provided.") and historical years to fill them from ("No historical flow
// data to project."). nullopt when both hold.
std::optional<OperationError> synthesisPrecondition(const ModelInput &model);

// Each method fills every synthesized year of every month column of every
// location and records itself in synthesizeFormat, projYearStart and
// projYearEnd. Years are year labels (inputStartYear .. inputEndYear). A
// refusal (a failed precondition, a year outside the historical period, no
// year or a cycle shorter than one year) changes nothing. `changed` is set
// when values were written, that is when the model has locations; the record
// is written either way.

// The average of the chosen years (a set: order and repeats do not matter),
// summed in double precision and stored in single. Records 1, the earliest
// and the latest year's offsets.
OperationResult synthesizeAverage(ModelInput &model, const std::vector<int> &years);
// Copies of one historical year. Records 2 and its offset; projYearEnd stays.
OperationResult synthesizeGivenYear(ModelInput &model, int year);
// The `length` historical years from `firstYear` on, repeated from the first
// synthesized year. Records 3, the first year's offset and length - 1.
OperationResult synthesizeCycle(ModelInput &model, int firstYear, int length);

// Year indexes (first, last) of the historical period the recorded method
// draws on; an empty range (0, -1) for user-defined values.
std::pair<int, int> synthesisSourceYears(const ModelInput &model);

// The method text the form appends to the synthesized table's caption, e.g.
// " (synthesized using historical data year 1990)"; empty when no method is
// recorded.
std::string synthesisCaption(const ModelInput &model);

} // namespace vek
