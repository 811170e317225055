// Reading the report's list of response methods.
#include "results/response_info.h"

#include "common/numbers.h"
#include "results/text_decoding.h"

#include <map>

namespace vek {

namespace {

bool startsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

void replaceAll(std::string &s, std::string_view from, std::string_view to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

// A number at pos followed by `then`; pos moves past both.
bool numberThen(std::string_view s, std::size_t &pos, double &out, std::string_view then) {
    if (!scanReal(s, pos, out) || !startsWith(s.substr(pos), then)) return false;
    pos += then.size();
    return true;
}

bool parseTable(std::string_view s, ResponseInfo &r) {
    // "NAME", N MONTHS, THEN 1 | THEN HELD AT x; the name escapes " and \.
    if (s.empty() || s[0] != '"') return false;
    std::string name;
    std::size_t i = 1;
    for (; i < s.size() && s[i] != '"'; ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) ++i;
        name += s[i];
    }
    if (i >= s.size()) return false;
    std::size_t pos = i + 1;
    double months = 0;
    if (!startsWith(s.substr(pos), ", ")) return false;
    pos += 2;
    if (!numberThen(s, pos, months, " MONTHS, THEN ")) return false;
    const std::string_view rest = s.substr(pos);
    if (rest == "1") {
        r.after = "one";
    } else if (startsWith(rest, "HELD AT ")) {
        std::size_t p = 8;
        double held = 0;
        if (!scanReal(rest, p, held) || p != rest.size()) return false;
        r.after = "hold";
        r.heldAt = held;
    } else {
        return false;
    }
    r.table = decodeReportText(withReportKeywords(name));
    r.tableMonths = static_cast<int>(months);
    return true;
}

bool parseDescription(std::string_view s, ResponseInfo &r) {
    struct Form {
        std::string_view prefix;
        ResponseInfo::Method method;
        std::string_view parameter; // after "DAYS, "
    };
    static constexpr Form kForms[] = {
        {"INFINITE AQUIFER, SDF ", ResponseInfo::Method::Infinite, ""},
        {"ALLUVIAL AQUIFER (GLOVER), SDF ", ResponseInfo::Method::Alluvial, "A/W "},
        {"STREAMBED RESISTANCE (HUNT 1999), SDF ", ResponseInfo::Method::Hunt, "LAMBDA' "},
    };
    if (startsWith(s, "UNIT RESPONSE TABLE ")) {
        r.method = ResponseInfo::Method::Table;
        return parseTable(s.substr(20), r);
    }
    for (const Form &f : kForms) {
        if (!startsWith(s, f.prefix)) continue;
        r.method = f.method;
        std::size_t pos = f.prefix.size();
        double sdf = 0, p = 0;
        if (f.parameter.empty()) {
            if (!scanReal(s, pos, sdf) || s.substr(pos) != " DAYS") return false;
        } else {
            if (!numberThen(s, pos, sdf, " DAYS, ") || !startsWith(s.substr(pos), f.parameter)) return false;
            pos += f.parameter.size();
            if (!scanReal(s, pos, p) || pos != s.size()) return false;
            (f.method == ResponseInfo::Method::Alluvial ? r.aOverW : r.lambda) = p;
        }
        r.sdf = sdf;
        return true;
    }
    return false;
}

} // namespace

std::string withReportKeywords(std::string s) {
    replaceAll(s, "LOCATION :", "LOCATION:");
    replaceAll(s, "SUMMARY OF ALL  LOCATIONS", "SUMMARY OF ALL LOCATIONS");
    return s;
}

const char *ResponseInfo::methodWord() const {
    switch (method) {
    case Method::Infinite:
        return "infinite";
    case Method::Alluvial:
        return "alluvial";
    case Method::Hunt:
        return "hunt";
    case Method::Table:
        return "table";
    case Method::Unknown:
        break;
    }
    return "unknown";
}

ResponseInfo ResponseInfo::infinite(double factor) {
    ResponseInfo r;
    r.sdf = factor;
    return r;
}

ResponseInfo parseResponseDescription(std::string_view text) {
    ResponseInfo r;
    r.description = decodeReportText(withReportKeywords(std::string(trim(text))));
    if (!parseDescription(trim(text), r)) {
        const std::string kept = r.description;
        r = ResponseInfo();
        r.method = ResponseInfo::Method::Unknown;
        r.description = kept;
    }
    return r;
}

bool parseReportedMethodLine(std::string_view line, ReportedMethod &out) {
    // I5, two blanks, the name in 60 columns (longer when a keyword in it got
    // its blank), two blanks, the description.
    constexpr std::size_t kNameStart = 7, kNameWidth = 60;
    std::size_t pos = 0;
    int number = 0;
    if (line.size() < kNameStart + kNameWidth || !scanInt(line.substr(0, 5), pos, number) ||
        !trim(line.substr(pos, 5 - pos)).empty())
        return false;
    static constexpr std::string_view kStarts[] = {"  INFINITE AQUIFER, SDF ", "  ALLUVIAL AQUIFER (GLOVER), SDF ",
                                                   "  STREAMBED RESISTANCE (HUNT 1999), SDF ",
                                                   "  UNIT RESPONSE TABLE \""};
    std::size_t at = std::string_view::npos;
    for (std::string_view s : kStarts)
        at = std::min(at, line.find(s, kNameStart + kNameWidth - 2));
    // A description of another form: the name is the field's 60 columns.
    if (at == std::string_view::npos) at = kNameStart + kNameWidth;
    std::string field = withReportKeywords(std::string(line.substr(kNameStart, at - kNameStart)));
    const bool full = field.size() >= kNameWidth && field[kNameWidth - 1] != ' ';
    out.number = number;
    out.name = decodeReportText(trim(field.substr(0, kNameWidth)), full);
    out.response = parseResponseDescription(line.substr(std::min(at, line.size())));
    return true;
}

std::vector<ResponseInfo> matchReportedMethods(const std::vector<std::string> &names,
                                               const std::vector<double> &factors,
                                               const std::vector<ReportedMethod> &list) {
    std::vector<ResponseInfo> out;
    out.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        out.push_back(ResponseInfo::infinite(i < factors.size() ? factors[i] : 0.0));
    std::map<std::string, std::vector<std::size_t>> blocks, entries;
    for (std::size_t i = 0; i < names.size(); ++i)
        blocks[names[i]].push_back(i);
    for (std::size_t e = 0; e < list.size(); ++e)
        entries[list[e].name].push_back(e);
    for (const auto &[name, listed] : entries) {
        auto it = blocks.find(name);
        if (it == blocks.end()) continue;
        const std::vector<std::size_t> &b = it->second;
        for (std::size_t k = 0; k < b.size(); ++k) {
            if (listed.size() == b.size()) {
                out[b[k]] = list[listed[k]].response;
            } else {
                ResponseInfo unknown;
                unknown.method = ResponseInfo::Method::Unknown;
                unknown.description = "the report's list of response methods names " + std::to_string(listed.size()) +
                                      " of the " + std::to_string(b.size()) + " locations called " + name;
                out[b[k]] = unknown;
            }
        }
    }
    return out;
}

} // namespace vek
