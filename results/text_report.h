// The tab-delimited text report of the output view: heading lines about the
// run, then for each selected location its diversion and stream tables over
// the selected years, monthly or yearly.
#pragma once

#include "common/prompter.h"
#include "results/output_results.h"
#include "results/view_choices.h"

#include <optional>
#include <string>

namespace vek {

// Builds the report with sep between lines ("\r\n" for the report box, "\n"
// for files opened in a word processor). Months follow the results' year
// type. prompter receives the out-of-range message of a short month heading.
std::string buildTextReport(const OutputResults &results, const ViewChoices &choices, const std::string &sep,
                            Prompter *prompter = nullptr);

// The title line of a location's tables: its name, type and factor, or the
// name alone for a summary.
std::string locationTitle(const LocationResult &loc);

// "Recharge site" or "Irrig. well": a real location whose diversions sum
// above zero is a recharge site (wells carry negative values).
const char *locationTypeName(const LocationResult &loc);

// A value as the reports show it: "%g", or "-" for no data. From a million
// on, where "%g" would write an exponent and lose digits, the value is
// written whole with `decimals` decimals (trailing zeros dropped):
// -1042240.3, never -1.04224e+06.
std::string formatReportValue(std::optional<double> v, int decimals = 1);
std::string formatReportValue(float v);

// The text report's value of a cell: month 0..11, 12 the total, 13 the
// running total, of row `row` of one table, in the chosen unit.
std::string reportCell(const OutputResults &results, const LocationResult &loc, int row, bool stream, int month,
                       ResultUnit unit);

} // namespace vek
