// Writing the selected tables of a report as CSV.
#include "results/csv_export.h"

#include "common/ascii_case.h"
#include "results/export_layout.h"

#include <charconv>
#include <cstdio>

namespace vek {

namespace {

// The shortest text without an exponent that reads back as the value:
// "123456.7", "10000000", "-0.5", "0".
std::string number(std::optional<double> value) {
    if (!value) return "";
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, *value, std::chars_format::fixed);
    return std::string(buf, r.ptr);
}

// position,kind,location,site_type,factor: who the record is about.
std::string whoFields(const ExportBlock &b) {
    const LocationResult &loc = *b.location;
    return std::to_string(b.position) + (loc.isSummary() ? ",summary," : ",location,") + csvField(utf8Text(loc.name)) +
           "," + (loc.isSummary() ? "," : locationKind(loc) + "," + number(loc.depletionFactor));
}

// units,year_type,method,sdf,a_w,lambda,response_table,table_after: how the numbers
// were made and what they are in.
std::string howFields(const OutputResults &results, const ExportLayout &layout, const LocationResult &loc) {
    std::string out = std::string(unitFacts(layout.units).option) + "," + yearTypeWord(results.yearType) + ",";
    if (loc.isSummary()) return out + ",,,,,";
    const ResponseInfo &r = loc.response;
    return out + r.methodWord() + "," + number(r.sdf) + "," + number(r.aOverW) + "," + number(r.lambda) + "," +
           csvField(utf8Text(r.table)) + "," + r.after;
}

void wideRecords(std::string &out, const OutputResults &results, const ExportLayout &layout) {
    for (const ExportBlock &b : layout.blocks) {
        const LocationResult &loc = *b.location;
        const std::string who = whoFields(b), how = howFields(results, layout, loc);
        for (int table = 0; table < 2; ++table) {
            const bool stream = table == 1;
            if (!(stream ? b.stream : b.diversion)) continue;
            for (int p : layout.rows) {
                if (p >= static_cast<int>(loc.rows.size())) continue;
                const bool average = p == results.printedYears();
                out += who + (stream ? ",stream," : ",diversion,") +
                       (average ? std::string("0") : std::to_string(results.firstPrintYear + p));
                for (int m = 0; m < 12; ++m)
                    out += "," + (layout.monthly ? number(valueIn(results, loc, p, stream, m, layout.units, true))
                                                 : std::string());
                out += "," + number(valueIn(results, loc, p, stream, 12, layout.units, true));
                out +=
                    "," + (average ? std::string() : number(cumulativeIn(results, loc, p, stream, layout.units, true)));
                out += std::string(average ? ",average," : ",year,") + how + "\r\n";
            }
        }
    }
}

void longRecords(std::string &out, const OutputResults &results, const ExportLayout &layout) {
    for (const ExportBlock &b : layout.blocks) {
        const LocationResult &loc = *b.location;
        const std::string who = whoFields(b), how = howFields(results, layout, loc);
        for (int table = 0; table < 2; ++table) {
            const bool stream = table == 1;
            if (!(stream ? b.stream : b.diversion)) continue;
            for (int p : layout.rows) {
                if (p >= static_cast<int>(loc.rows.size()) || p == results.printedYears()) continue;
                const std::string year = std::to_string(results.firstPrintYear + p);
                for (int m = 0; m < 12; ++m) {
                    int calendarYear = 0, calendarMonth1 = 1;
                    calendarMonthOf(results, p, m, calendarYear, calendarMonth1);
                    char month[32];
                    std::snprintf(month, sizeof month, "%04d-%02d", calendarYear, calendarMonth1);
                    out += who + (stream ? ",stream," : ",diversion,") + year + "," + month + "," +
                           std::to_string(static_cast<int>(monthDays(results, p, m))) + "," +
                           number(valueIn(results, loc, p, stream, m, layout.units, true)) + "," + how + "\r\n";
                }
            }
        }
    }
}

} // namespace

std::string csvField(const std::string &text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string buildCsv(const OutputResults &results, const ViewChoices &choices, CsvLayout csvLayout) {
    const ExportLayout layout = exportLayout(results, choices);
    const std::string how = "units,year_type,method,sdf,a_w,lambda,response_table,table_after\r\n";
    std::string out = "position,kind,location,site_type,factor,quantity,year";
    if (csvLayout == CsvLayout::Long) {
        out += ",month,days,value," + how;
        longRecords(out, results, layout);
        return out;
    }
    for (const std::string &m : layout.months)
        out += "," + csvField(asciiLowered(m));
    out += ",total,cumulative,row," + how;
    wideRecords(out, results, layout);
    return out;
}

} // namespace vek
