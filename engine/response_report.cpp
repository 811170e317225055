// The list of response methods after the summaries. Lines end in CR LF like
// the rest of the report.
#include "engine/response_report.h"

#include <charconv>

#include "engine/fixed_fields.h"
#include "engine/report_writer.h"

namespace vek::engine::report {

namespace {

void line(std::string &out, std::string_view text) {
    out.append(text);
    out.append(kEol);
}

void replaceAll(std::string &s, std::string_view from, std::string_view to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

// Six significant digits, as %g writes them, whatever the locale.
std::string sixDigits(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    return std::string(buf, r.ptr);
}

} // namespace

std::string responseDescription(const LocationResponse &x, const std::vector<SectionTable> &tables) {
    switch (x.method) {
    case ResponseMethod::AlluvialAquifer:
        return "ALLUVIAL AQUIFER (GLOVER), SDF " + sectionNumber(x.factor) + " DAYS, A/W " + sectionNumber(x.parameter);
    case ResponseMethod::StreambedResistance:
        return "STREAMBED RESISTANCE (HUNT 1999), SDF " + sectionNumber(x.factor) + " DAYS, LAMBDA' " +
               sectionNumber(x.parameter);
    case ResponseMethod::ResponseTable: {
        const SectionTable &t = tables.at(static_cast<std::size_t>(x.table));
        double sum = 0.0;
        for (Real s : t.shares)
            sum += static_cast<double>(s);
        return "UNIT RESPONSE TABLE " + withoutReportKeywords(quoteSectionText(t.name)) + ", " +
               std::to_string(t.shares.size()) + " MONTHS, THEN " +
               (t.afterOne ? std::string("1") : "HELD AT " + sixDigits(sum));
    }
    case ResponseMethod::InfiniteAquifer:
        break;
    }
    return "INFINITE AQUIFER, SDF " + sectionNumber(x.factor) + " DAYS";
}

std::string withoutReportKeywords(std::string_view text) {
    std::string s(text);
    replaceAll(s, "LOCATION:", "LOCATION :");
    replaceAll(s, "SUMMARY OF ALL LOCATIONS", "SUMMARY OF ALL  LOCATIONS");
    return s;
}

void appendResponseMethods(std::string &out, const std::vector<ReportedResponse> &responses,
                           const std::vector<SectionTable> &tables) {
    if (responses.empty()) return;
    line(out, " ");
    line(out, "RESPONSE METHODS OTHER THAN THE INFINITE AQUIFER");
    line(out, " ");
    line(out, "  NO.  NAME                                                          METHOD AND PARAMETERS");
    for (const auto &r : responses) {
        std::string s;
        appendInt(s, r.location, 5);
        s += "  ";
        std::string name;
        appendText(name, r.name, 60);
        s += withoutReportKeywords(name);
        s += "  ";
        s += responseDescription(r.response, tables);
        line(out, s);
    }
}

} // namespace vek::engine::report
