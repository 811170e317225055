// The selection of the spreadsheet exports, taken the way the text report
// takes it.
#include "results/export_layout.h"

#include "results/report_format.h"
#include "results/string_array.h"
#include "results/text_decoding.h"
#include "results/text_report.h"

#include "facts/vek_facts.h"
#include "vek_version.h"

namespace vek {

ExportLayout exportLayout(const OutputResults &results, const ViewChoices &choices) {
    ExportLayout out;
    out.monthly = choices.scale == ViewChoices::Monthly;
    out.units = choices.units;

    StringArray tokens;
    tokens.tokenize(results.monthHeader);
    const bool headingComplete = tokens.size() >= 13;
    // The columns are headed as in the text report; a short month heading
    // gives way to the engine's own month names.
    const int offset = engineMonthOffset(results.yearType);
    for (int k = 0; k < 12; ++k) {
        const int engineMonth = (k + offset) % 12;
        out.months.push_back(headingComplete ? tokens[engineMonth + 1]
                                             : calendarMonthAbbreviation(calendarMonth(IrrigationYear, engineMonth)));
    }

    const int count = static_cast<int>(results.locations.size());
    const int lastRow = results.printedYears();
    for (int p : sortedUnique(choices.years))
        if (p >= 0 && p <= lastRow) out.rows.push_back(p);
    if (out.rows.empty() || (!choices.showDiversion && !choices.showStream)) return out;
    for (int i : sortedUnique(choices.locations)) {
        if (i < 0 || i >= count) continue;
        const LocationResult &loc = results.locations[static_cast<size_t>(i)];
        ExportBlock b;
        b.location = &loc;
        b.position = i;
        b.title = locationTitle(loc);
        b.diversion = choices.showDiversion && loc.hasDiversion();
        b.stream = choices.showStream;
        if (b.diversion || b.stream) out.blocks.push_back(std::move(b));
    }
    return out;
}

std::string locationKind(const LocationResult &loc) {
    if (loc.siteType == "RECHARGE") return "recharge site";
    if (!loc.siteType.empty()) return "well";
    return locationTypeName(loc) == std::string("Recharge site") ? "recharge site" : "well";
}

std::string rowLabel(const OutputResults &results, int row) {
    return row == results.printedYears() ? std::string("Avg") : std::to_string(results.firstPrintYear + row);
}

std::string yearTypeHeading(int yearType) {
    switch (yearType) {
    case 0:
        return "Calendar year (JAN-DEC)";
    case 2:
        return "USGS year (OCT-SEP)";
    default:
        return "Irrigation year (NOV-OCT)";
    }
}

const char *yearTypeWord(int yearType) {
    switch (yearType) {
    case 0:
        return "calendar";
    case 2:
        return "usgs";
    default:
        return "irrigation";
    }
}

long long unprintedInLayout(const OutputResults &results, const ExportLayout &layout) {
    if (results.unprintedValues == 0) return 0;
    long long n = 0;
    for (const ExportBlock &b : layout.blocks)
        for (int table = 0; table < 2; ++table) {
            const bool stream = table == 1;
            if (!(stream ? b.stream : b.diversion)) continue;
            for (int p : layout.rows) {
                if (p >= static_cast<int>(b.location->rows.size())) continue;
                const YearRow &row = b.location->rows[static_cast<size_t>(p)];
                for (int m = layout.monthly ? 0 : 12; m <= 12; ++m)
                    n += unprinted(row, stream, m) ? 1 : 0;
            }
        }
    return n;
}

std::string plainUnits(const std::string &units) {
    std::string u = units;
    if (u.size() >= 2 && u.front() == '(' && u.back() == ')') u = u.substr(1, u.size() - 2);
    const size_t b = u.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    const size_t e = u.find_last_not_of(" \t");
    return u.substr(b, e - b + 1);
}

std::string utf8Text(const std::string &s) {
    std::string out = decodeReportText(s);
    for (char &c : out)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) c = ' ';
    return out;
}

const char *releaseVersion() { return VEK_VERSION; }

} // namespace vek
