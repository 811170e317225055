// The units results are shown and exported in. The engine computes and
// reports acre-feet per month; every other unit is converted from those
// values, volumes by an exact factor and mean rates over the month's (or the
// year's) seconds:
//   1 acre-foot = 43,560 ft3 = 43,560 x 0.3048^3 m3 = 1,233.48183754752 m3.
// A month has the days of the calendar the engine runs on (February of a
// year divisible by 4 has 29).
#pragma once

#include "results/output_results.h"

#include <optional>
#include <string>
#include <string_view>

namespace vek {

enum class ResultUnit { AcreFeet, CubicMetres, Megalitres, CubicDecametres, CubicFeetPerSecond, CubicMetresPerSecond };

inline constexpr double kCubicMetresPerAcreFoot = 1233.48183754752;
inline constexpr double kCubicFeetPerAcreFoot = 43560.0;
inline constexpr double kSecondsPerDay = 86400.0;

struct ResultUnitFacts {
    ResultUnit unit;
    const char *option; // "af", "m3", "ML", "dam3", "cfs", "m3/s": the option's word and the exports' column
    const char *name;   // "acre feet", "cubic metres", ...: the units line of the views
    bool rate;          // a mean rate over the month (or year), not a volume
    int decimals;       // decimals the exports keep of a converted value
};

// Every unit, acre-feet first.
extern const ResultUnitFacts kResultUnits[6];

const ResultUnitFacts &unitFacts(ResultUnit unit);
// The unit an option word names ("af", "m3", "ML", "dam3", "cfs", "m3/s";
// case matters only between "ML" and nothing else: "ml" is taken too).
std::optional<ResultUnit> unitFromOption(std::string_view word);
// "af|m3|ML|dam3|cfs|m3/s", for messages.
std::string unitOptionList();

// The units line of the views and graphs: the report's own for acre-feet,
// "( cubic metres )" and so on for the others.
std::string unitsLine(const OutputResults &results, ResultUnit unit);

// The unit in words with how its values were made from the report's
// acre-feet, for the exports' summaries ("acre feet" alone for the report's
// own unit).
std::string unitsDescription(const OutputResults &results, ResultUnit unit);

// Converts acre-feet into the unit; `days` are the days the value covers
// (used only by the rates).
double convertAcreFeet(double acreFeet, ResultUnit unit, double days);

// The converted value rounded as the exports write it: the unit's decimals,
// which keep more than a hundredth of the report's own tenth of an
// acre-foot. Acre-feet are left as they are.
double roundForExport(double value, ResultUnit unit);

// Days covered by a value of the results: month position `month` (0..11 in
// the results' year type; 12 the year) of row `row` (printedYears() is the
// average row: the mean over the printed years). The months counted for a
// year are those that hold data in `table` of loc (all twelve when loc is
// null).
double monthDays(const OutputResults &results, int row, int month);
double yearDays(const OutputResults &results, const LocationResult *loc, bool stream, int row);

// Calendar year and month (1..12) of month position `month` of row `row`.
void calendarMonthOf(const OutputResults &results, int row, int month, int &year, int &calendarMonth1);

// `acreFeet`, the value of month `month` (12: the total) of row `row` of one
// table of loc, in the unit (not rounded).
double convertCell(const OutputResults &results, const LocationResult &loc, int row, bool stream, int month,
                   double acreFeet, ResultUnit unit);

// Every value of one row of one table in a unit: months 0..11, 12 the total;
// nullopt without data. Exact values (the report's tenths) are converted;
// `forExport` rounds them to the unit's decimals.
std::optional<double> valueIn(const OutputResults &results, const LocationResult &loc, int row, bool stream, int month,
                              ResultUnit unit, bool forExport);
// The running total in a unit: volumes only (a rate has none), nullopt
// without one.
std::optional<double> cumulativeIn(const OutputResults &results, const LocationResult &loc, int row, bool stream,
                                   ResultUnit unit, bool forExport);

} // namespace vek
