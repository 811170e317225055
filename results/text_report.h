// The tab-delimited text report of the output view: heading lines about the
// run, then for each selected location its diversion and stream tables over
// the selected years, monthly or yearly.
#pragma once

#include "common/prompter.h"
#include "results/output_results.h"
#include "results/view_choices.h"

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

// A value as the reports show it: "%g", or "-" for no data.
std::string formatReportValue(float v);

} // namespace vek
