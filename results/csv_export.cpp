// Writing the selected tables of a report as CSV.
#include "results/csv_export.h"

#include "common/ascii_case.h"
#include "results/export_layout.h"

#include <charconv>

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

std::string buildCsv(const OutputResults &results, const ViewChoices &choices) {
    const ExportLayout layout = exportLayout(results, choices);
    std::string out = "position,kind,location,location_type,factor,type,year";
    for (const std::string &m : layout.months)
        out += "," + csvField(asciiLowered(m));
    out += ",total\r\n";
    for (const ExportBlock &b : layout.blocks) {
        const LocationResult &loc = *b.location;
        const std::string who = std::to_string(b.position) + (loc.isSummary() ? ",summary," : ",location,") +
                                csvField(utf8Text(loc.name)) + "," +
                                (loc.isSummary() ? "," : locationKind(loc) + "," + number(loc.depletionFactor));
        for (int table = 0; table < 2; ++table) {
            const bool stream = table == 1;
            if (!(stream ? b.stream : b.diversion)) continue;
            for (int p : layout.rows) {
                if (p >= static_cast<int>(loc.rows.size())) continue;
                const YearRow &row = loc.rows[static_cast<size_t>(p)];
                out += who + (stream ? ",stream," : ",diversion,") + rowLabel(results, p);
                for (int m = 0; m < 12; ++m)
                    out += "," + (layout.monthly ? number(exportValue(row, stream, m)) : std::string());
                out += "," + number(exportValue(row, stream, 12)) + "\r\n";
            }
        }
    }
    return out;
}

} // namespace vek
