// The selection of the spreadsheet exports, taken the way the text report
// takes it.
#include "results/export_layout.h"

#include "results/report_format.h"
#include "results/string_array.h"
#include "results/text_report.h"

#include "facts/vek_facts.h"

#include <charconv>

#ifndef VEK_ENGINE_VERSION
#define VEK_ENGINE_VERSION "unknown"
#endif

namespace vek {

ExportLayout exportLayout(const OutputResults &results, const ViewChoices &choices) {
    ExportLayout out;
    out.monthly = choices.scale == ViewChoices::Monthly;

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
        b.title = locationTitle(loc);
        b.diversion = choices.showDiversion && loc.hasDiversion();
        b.stream = choices.showStream;
        if (b.diversion || b.stream) out.blocks.push_back(std::move(b));
    }
    return out;
}

std::optional<double> printedValue(float v) {
    if (!hasData(v)) return std::nullopt;
    // The report's "%g", written and read without the locale's decimal mark.
    const std::string text = formatG(static_cast<double>(v));
    double back = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), back);
    return back;
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

std::string plainUnits(const std::string &units) {
    std::string u = units;
    if (u.size() >= 2 && u.front() == '(' && u.back() == ')') u = u.substr(1, u.size() - 2);
    const size_t b = u.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    const size_t e = u.find_last_not_of(" \t");
    return u.substr(b, e - b + 1);
}

std::string utf8Text(const std::string &s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += (c < 0x20 && c != '\t') || c == 0x7F ? ' ' : static_cast<char>(c);
            ++i;
            continue;
        }
        // Length of a well-formed sequence starting here, or 0.
        size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (n && i + n <= s.size()) {
            unsigned code = c & (0x7F >> n);
            for (size_t k = 1; k < n && n; ++k) {
                const unsigned char b = static_cast<unsigned char>(s[i + k]);
                if ((b & 0xC0) != 0x80) n = 0;
                code = (code << 6) | (b & 0x3F);
            }
            const unsigned lowest = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
            if (n && (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))) n = 0;
        } else {
            n = 0;
        }
        if (n) {
            out.append(s, i, n);
            i += n;
        } else {
            // The Latin-1 character of the byte (C1 controls become blanks).
            if (c < 0xA0) {
                out += ' ';
            } else {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
            ++i;
        }
    }
    return out;
}

const char *engineVersion() { return VEK_ENGINE_VERSION; }

} // namespace vek
