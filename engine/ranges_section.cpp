// Reading and writing the uncertainty ranges' section.
#include "engine/ranges_section.h"

#include <charconv>
#include <cmath>

#include "engine/response_section.h"
#include "engine/section_statement.h"

namespace vek::engine {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        std::size_t j = i;
        while (j < line.size() && !isBlank(line[j]))
            ++j;
        if (j > i) {
            if (line[i] == '#') break;
            out.push_back(line.substr(i, j - i));
        }
        i = j;
    }
    return out;
}

bool isStart(std::string_view line, int *layout) {
    const std::vector<std::string_view> w = words(line);
    if (w.size() != 3 || w[0] != "Uncertainty" || w[1] != "ranges") return false;
    int n = 0;
    const auto r = std::from_chars(w[2].data(), w[2].data() + w[2].size(), n);
    if (r.ec != std::errc() || r.ptr != w[2].data() + w[2].size()) return false;
    *layout = n;
    return true;
}

double number(std::string_view text, const std::string &key, long long line) {
    double x = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), x);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(x))
        throw RangesSectionError(key + " \"" + std::string(text) + "\" is not a number", line);
    return x;
}

// The fields after the distribution into `e`; the word `shared` among them.
void readFields(const std::vector<std::string_view> &w, ParameterRange &e, long long line) {
    std::vector<std::pair<std::string, double>> fields;
    for (std::size_t i = 4; i < w.size(); ++i) {
        if (w[i] == "shared") {
            e.shared = true;
            continue;
        }
        const std::size_t eq = w[i].find('=');
        if (eq == std::string_view::npos) throw RangesSectionError("unknown field \"" + std::string(w[i]) + "\"", line);
        const std::string key(w[i].substr(0, eq));
        fields.emplace_back(key, number(w[i].substr(eq + 1), key, line));
    }
    if (std::string p = rangeFromFields(e.range.distribution, fields, e.range); !p.empty())
        throw RangesSectionError(p, line);
}

ParameterRange statement(const std::vector<std::string_view> &w, long long line) {
    if (w[0] != "range") throw RangesSectionError("unknown statement \"" + std::string(w[0]) + "\"", line);
    if (w.size() < 4) throw RangesSectionError("a range needs its quantity, location and distribution", line);
    ParameterRange e;
    if (!quantityFromName(std::string(w[1]), e.quantity))
        throw RangesSectionError("unknown quantity \"" + std::string(w[1]) + "\" (factor, a, S, T, parameter, pumping)",
                                 line);
    if (w[2] != "all") {
        const auto r = std::from_chars(w[2].data(), w[2].data() + w[2].size(), e.location);
        if (r.ec != std::errc() || r.ptr != w[2].data() + w[2].size() || e.location < 1)
            throw RangesSectionError("the location must be a number from 1, or all", line);
    }
    if (!distributionFromName(std::string(w[3]), e.range.distribution))
        throw RangesSectionError("unknown distribution \"" + std::string(w[3]) + "\"", line);
    readFields(w, e, line);
    return e;
}

std::string shortest(double x) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
}

} // namespace

std::string rangeFromFields(Distribution d, const std::vector<std::pair<std::string, double>> &fields, Range &out) {
    static const char *const keysOf[6][3] = {{"value", nullptr, nullptr}, {"low", "high", nullptr},
                                             {"low", "high", nullptr},    {"low", "high", "mode"},
                                             {"low", "high", "mean"},     {"low", "high", "median"}};
    const auto k = static_cast<std::size_t>(d);
    const bool normal = d == Distribution::Normal || d == Distribution::LogNormal;
    Range r;
    r.distribution = d;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string &key = fields[i].first;
        bool known = normal && key == "sd";
        for (const char *name : keysOf[k])
            known = known || (name && key == name);
        if (!known) return "unknown field \"" + key + "\" of a " + distributionName(d) + " range";
        for (std::size_t j = 0; j < i; ++j)
            if (fields[j].first == key) return "field " + key + " is given twice";
        const double x = fields[i].second;
        (key == "low" ? r.low : key == "high" ? r.high : key == "sd" ? r.spread : r.value) = x;
    }
    const std::size_t needed = (k == 0 ? 1u : k <= 2 ? 2u : 3u) + (normal ? 1u : 0u);
    if (fields.size() != needed)
        return std::string("a ") + distributionName(d) + " range needs " + std::to_string(needed) + " fields";
    if (std::string p = rangeProblem(r); !p.empty()) return p;
    out = r;
    return {};
}

RangesSection findRangesSection(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t pos = 0; pos <= text.size();) {
        const std::size_t nl = text.find('\n', pos);
        lines.push_back(text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos));
        if (nl == std::string_view::npos) break;
        pos = nl + 1;
    }
    std::size_t start = lines.size();
    int layout = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        int n = 0;
        if (isStart(lines[i], &n) && !(i + 1 < lines.size() && startsWithNumber(lines[i + 1]))) {
            start = i;
            layout = n;
        }
    }
    RangesSection section;
    if (start == lines.size()) return section;
    section.present = true;
    section.line = static_cast<long long>(start) + 1;
    if (layout != kRangesSectionLayout)
        throw RangesSectionError("unknown layout " + std::to_string(layout) + " of the uncertainty ranges",
                                 section.line);
    for (std::size_t i = start + 1; i < lines.size(); ++i) {
        const auto line = static_cast<long long>(i) + 1;
        const std::vector<std::string_view> w = words(lines[i]);
        if (w.empty()) continue;
        if (w[0] == "end" && w.size() == 1) return section;
        if (isResponseSectionStart(lines[i])) break;
        ParameterRange e = statement(w, line);
        for (const ParameterRange &other : section.ranges.entries)
            if (other.quantity == e.quantity && other.location == e.location)
                throw RangesSectionError("a range is given twice", line);
        section.ranges.entries.push_back(e);
    }
    throw RangesSectionError("the uncertainty ranges have no end line", section.line);
}

std::vector<std::string> rangesSectionLines(const Ranges &ranges) {
    if (ranges.entries.empty()) return {};
    std::vector<std::string> out{std::string(kRangesSectionTitle) + " " + std::to_string(kRangesSectionLayout)};
    for (const ParameterRange &e : ranges.entries) {
        const Range &r = e.range;
        std::string s = std::string("range ") + quantityName(e.quantity) + " " +
                        (e.location == 0 ? std::string("all") : std::to_string(e.location)) + " " +
                        distributionName(r.distribution);
        switch (r.distribution) {
        case Distribution::Fixed:
            s += " value=" + shortest(r.value);
            break;
        case Distribution::Triangular:
            s += " low=" + shortest(r.low) + " mode=" + shortest(r.value) + " high=" + shortest(r.high);
            break;
        case Distribution::Normal:
        case Distribution::LogNormal:
            s += (r.distribution == Distribution::Normal ? " mean=" : " median=") + shortest(r.value) +
                 " sd=" + shortest(r.spread) + " low=" + shortest(r.low) + " high=" + shortest(r.high);
            break;
        default:
            s += " low=" + shortest(r.low) + " high=" + shortest(r.high);
        }
        out.push_back(s + (e.shared ? " shared" : ""));
    }
    out.push_back("end");
    return out;
}

} // namespace vek::engine
