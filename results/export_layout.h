// What the spreadsheet exports (workbook and CSV) take from a report for a
// selection: the same locations, years, scale and tables as the text report,
// with every value as the text report prints it.
#pragma once

#include "results/output_results.h"
#include "results/view_choices.h"

#include <optional>
#include <string>
#include <vector>

namespace vek {

// One selected location (or summary) and the tables it contributes.
struct ExportBlock {
    const LocationResult *location = nullptr;
    int position = 0;  // its 0-based position in the results
    std::string title; // the text report's title line of this location
    bool diversion = false;
    bool stream = false;
};

struct ExportLayout {
    std::vector<ExportBlock> blocks;
    std::vector<int> rows; // selected row positions in list order; printedYears() is the average row
    bool monthly = true;
    std::vector<std::string> months; // twelve column headings in the results' month order
    ResultUnit units = ResultUnit::AcreFeet;
};

// The blocks and rows the text report would show for these choices.
ExportLayout exportLayout(const OutputResults &results, const ViewChoices &choices);

// "well" or "recharge site": as the report's site line says (the engine
// calls every location but a recharge site pumping), or without one as the
// text report tells them apart, by the sign of the diversions.
std::string locationKind(const LocationResult &loc);

// "Avg" for the average row, else the year.
std::string rowLabel(const OutputResults &results, int row);

// "Calendar year (JAN-DEC)", "Irrigation year (NOV-OCT)", "USGS year (OCT-SEP)".
std::string yearTypeHeading(int yearType);
// "calendar", "irrigation", "usgs": the exports' year_type column.
const char *yearTypeWord(int yearType);

// Values of the layout's cells (the months when monthly, the totals, the
// running totals) that the report printed as asterisks and the results
// therefore do not hold.
long long unprintedInLayout(const OutputResults &results, const ExportLayout &layout);

// The units line without its parentheses: "( acre feet )" gives "acre feet".
std::string plainUnits(const std::string &units);

// Text for a spreadsheet file, which must be UTF-8: decoded as every view of
// a report decodes names (see results/text_decoding.h), and control
// characters, which spreadsheet files cannot hold, made blanks.
std::string utf8Text(const std::string &bytes);

// The version of this release, for the exports' run summaries.
const char *releaseVersion();

} // namespace vek
