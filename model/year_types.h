// Year types and units of a model: days of the months, the labels the form
// and the Properties dialog show, and the conversions that move every table
// to another year type or unit while keeping the same water in the same
// calendar months. The conversions take the new type or unit as a parameter
// and ask nothing; the document's versions (marking it modified, refreshing
// its views) are in model/document_operations.h.
#pragma once

#include "common/operation_error.h"
#include "facts/vek_facts.h"

#include <optional>
#include <string>
#include <vector>

namespace vek {

struct ModelInput;

enum UnitMode : int { AverageDailyAcreFeet = 0, MonthlyAcreFeet = 1 };

// True for 0 (average daily) and 1 (monthly acre-feet); the year types'
// month order and the days per month are in facts/vek_facts.h.
bool isValidUnitMode(int unitMode);

// Days of the month in column `column` of row year `rowYear` (February of a
// year divisible by 4 has 29, no century rule), or 30.417 with the average
// rule.
float daysInMonth(int yearMode, int column, int rowYear, bool avg);
// Monthly acre-feet to average daily acre-feet for one value, and back.
float toDaily(float monthly, int yearMode, int column, int rowYear, bool avg);
float toMonthly(float daily, int yearMode, int column, int rowYear, bool avg);

// "JAN" .. "DEC" of column `column` in the year type's order.
const char *monthAbbreviation(int yearMode, int column);
// Form label of the year type: "    <Calendar Year>" etc., "<error>" otherwise.
std::string yearTypeLabel(int yearMode);
// Form label of the units: "Daily AC-FT" / "Monthly AC-FT", "<Error>" otherwise.
std::string unitsLabel(int unitMode);
// Names in the Properties dialog ("Calendar", "Irrigation Year (Nov-Oct)",
// "USGS Year (Oct-Sep)"; "Average Daily Ac-Ft", "Monthly Ac-Ft"); empty for
// an unknown value.
std::string yearTypeName(int yearMode);
std::string unitsName(int unitMode);

struct YearTypeChange : OperationResult {
    bool yearAdded = false; // a historical year was added to keep months
};

// Converts every table of the model to year type newMode (0..2). Months that
// would fall out of the historical period are rescued into one added year
// when any of them holds a positive value (yearAdded); a year added before
// the first keeps the synthesis record on the same historical years (its
// offsets count from the first year). A model already in
// that year type is left as it is (not `changed`). Refused, with nothing
// changed: a newMode that is no year type (UnknownYearType), and a rescue
// the historical period cannot take (PeriodFull). A stored year type that
// is unknown is only relabelled: its month order is unknown too.
YearTypeChange changeYearType(ModelInput &model, int newMode);
// What changeYearType would do to a model, so that a person can be told
// before it is done: the year it adds, the values other than zero it drops
// (months that leave their period and have no year to go to) and the years
// they come from. A change that adds no year and drops nothing changes no
// value's calendar month.
struct YearTypeChangePreview {
    // Months every series moves (see shiftMonths); 0 for no change.
    int shift = 0;
    // The month columns (current year type) that leave the historical
    // period's edge year, or the synthesized period's: the first `shift`
    // columns, or the last -`shift`.
    std::vector<int> edgeColumns;
    // The historical year those months leave, and the year added to take
    // them when one of them holds a positive value.
    std::optional<int> historicalEdgeYear;
    std::optional<int> addedYear;
    bool addedBeforeFirst = false;
    // Values other than zero that are dropped: historical values and
    // pumping-record flows of the edge year (none when a year is added),
    // and synthesized values of the synthesized period's edge year.
    int droppedHistorical = 0;
    int droppedPumping = 0;
    int droppedSynthesized = 0;
    std::optional<int> synthesizedEdgeYear;
    // Locations that lose any of these values.
    int locationsDropping = 0;

    int dropped() const { return droppedHistorical + droppedPumping + droppedSynthesized; }
    // Worth telling: a year is added or a value is lost.
    bool changesMoreThanTheMonthOrder() const { return addedYear.has_value() || dropped() > 0; }
};
YearTypeChangePreview previewYearTypeChange(const ModelInput &model, int newMode);

// Moves every historical series (values, pumping flow, days on) and every
// synthesized series s months earlier in its sequence of months (s < 0:
// later); the months left without a value become 0.0, the efficiencies
// rotate with their months and become 1.0 in the emptied months.
void shiftMonths(ModelInput &model, int s);
// Converts the historical and synthesized values (not the pumping record) to
// unit newUnit (0 average daily, 1 monthly acre-feet), counting the days of
// each month by the model's monthly-to-daily rule. A model already in that
// unit is left as it is; a newUnit that is no unit is refused
// (UnknownUnits). From a stored unit that is unknown nothing is converted;
// only the unit changes.
OperationResult changeUnits(ModelInput &model, int newUnit);

} // namespace vek
