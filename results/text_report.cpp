// Building the output view's tab-delimited text report.
#include "results/text_report.h"

#include "results/report_format.h"
#include "results/string_array.h"
#include "results/text_decoding.h"

#include "facts/vek_facts.h"

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace vek {

// Wells carry negative diversions: a location whose data sum above zero is a
// recharge site.
const char *locationTypeName(const LocationResult &loc) {
    float sum = 0.0f;
    for (size_t y = 0; y + 1 < loc.rows.size(); ++y)
        for (float v : loc.rows[y].diversion)
            if (hasData(v)) sum += v;
    return sum > 0.0f ? "Recharge site" : "Irrig. well";
}

std::string locationTitle(const LocationResult &loc) {
    if (loc.isReach()) return reachEntryName(decodeReportText(loc.name));
    if (loc.isSummary()) return decodeReportText(loc.name);
    return "Location: " + decodeReportText(loc.name) + "  Location Type = " + locationTypeName(loc) +
           "  VEK = " + formatG(loc.depletionFactor) + " days";
}

std::string formatReportValue(std::optional<double> v, int decimals) {
    if (!v) return "-";
    if (std::fabs(*v) < 1.0e6 || !std::isfinite(*v)) return formatG(*v);
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, *v, std::chars_format::fixed, decimals);
    std::string s(buf, r.ptr);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return s;
}

std::string formatReportValue(float v) {
    return hasData(v) ? formatReportValue(std::optional<double>(static_cast<double>(v))) : "-";
}

std::string reportCell(const OutputResults &results, const LocationResult &loc, int row, bool stream, int month,
                       ResultUnit unit) {
    const YearRow &r = loc.rows[static_cast<size_t>(row)];
    const float v = month == 13   ? (stream ? r.streamCumulative : r.diversionCumulative)
                    : month == 12 ? (stream ? r.streamTotal : r.diversionTotal)
                                  : (stream ? r.stream : r.diversion)[month];
    if (unit == ResultUnit::AcreFeet) {
        // The report's own values as "%g" shows their floats; from a
        // million on the exact printed value (or sum of printed totals).
        if (!hasData(v) || std::fabs(v) < 1.0e6f) return formatReportValue(v);
        return formatReportValue(month == 13 ? exportCumulative(r, stream) : exportValue(r, stream, month));
    }
    const int decimals = unitFacts(unit).decimals;
    if (month == 13) return formatReportValue(cumulativeIn(results, loc, row, stream, unit, false), decimals);
    return formatReportValue(valueIn(results, loc, row, stream, month, unit, false), decimals);
}

std::string buildTextReport(const OutputResults &results, const ViewChoices &choices, const std::string &sep,
                            Prompter *prompter) {
    std::string out;
    out += "The last year of historical data is " + std::to_string(results.firstSynthYear - 1) + sep;
    const int synthYears = results.lastSynthYear - results.firstSynthYear + 1;
    if (synthYears > 0) {
        out += "There are " + std::to_string(synthYears) + " year(s) of synthesized data." + sep;
        out += results.synthesisText + sep;
    }
    out += "No well CU/Recharge after year " + std::to_string(results.lastSynthYear) + sep + sep;
    if (results.conversionText.find("AVERAGE") != std::string::npos)
        out += "Monthly to daily conversions used average days per month (30.417)." + sep + sep;
    else
        out += "Monthly to daily conversions used actual days in the month." + sep + sep;

    const std::vector<int> locs = sortedUnique(choices.locations);
    const std::vector<int> years = sortedUnique(choices.years);
    if (locs.empty() || years.empty() || (!choices.showDiversion && !choices.showStream)) return out;

    StringArray tokens(prompter);
    tokens.tokenize(results.monthHeader);
    tokens.removeAt(0); // "YEAR"
    const int offset = engineMonthOffset(results.yearType);
    std::string heading = "YEAR";
    if (choices.scale == ViewChoices::Monthly) {
        for (int k = 0; k < tokens.size(); ++k) {
            if (k == 12)
                heading += "\t" + tokens[12] + "\tCUMULATIVE TOTAL";
            else
                heading += "\t" + tokens[(k + offset) % 12];
        }
    } else {
        heading += "\tTOTAL\tCUMULATIVE TOTAL";
    }
    const std::string rule(91, '-');
    const std::string units = unitsLine(results, choices.units);
    const int averagePos = results.printedYears();
    const int count = static_cast<int>(results.locations.size());

    for (int i : locs) {
        if (i < 0 || i >= count) continue;
        const LocationResult &loc = results.locations[static_cast<size_t>(i)];
        if (!loc.hasDiversion() && !choices.showStream) continue;
        const std::string title = locationTitle(loc);
        for (int table = 0; table < 2; ++table) {
            const bool stream = table == 1;
            if (stream ? !choices.showStream : (!choices.showDiversion || !loc.hasDiversion())) continue;
            out += title + sep;
            out += (stream ? "Stream Depletion or Accretion Data  " : "CU or Recharge Data  ") + units + sep;
            out += heading + sep;
            out += rule + sep;
            for (int p : years) {
                if (p < 0 || p >= static_cast<int>(loc.rows.size())) continue;
                const bool average = p == averagePos;
                out += (average ? std::string("Avg") : std::to_string(results.firstPrintYear + p)) + "\t";
                if (choices.scale == ViewChoices::Monthly)
                    for (int m = 0; m < 12; ++m)
                        out += reportCell(results, loc, p, stream, m, choices.units) + "\t";
                out += reportCell(results, loc, p, stream, 12, choices.units) + "\t";
                out += average ? "-" : reportCell(results, loc, p, stream, 13, choices.units);
                out += sep;
            }
            out += sep;
        }
    }
    return out;
}

} // namespace vek
