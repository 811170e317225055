// Selections named on a command line.
#include "results/selection.h"

#include <charconv>
#include <optional>

namespace vek {

namespace {

std::optional<int> toInt(const std::string &s) {
    int v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::vector<std::string> splitCommas(const std::string &s) {
    std::vector<std::string> out;
    std::size_t b = 0;
    while (true) {
        const std::size_t e = s.find(',', b);
        out.push_back(s.substr(b, e == std::string::npos ? std::string::npos : e - b));
        if (e == std::string::npos) break;
        b = e + 1;
    }
    return out;
}

} // namespace

std::string selectLocations(const OutputResults &results, const std::string &wanted, std::vector<int> &out) {
    const int count = static_cast<int>(results.locations.size());
    if (wanted == "all") {
        for (int i = 0; i < count; ++i)
            out.push_back(i);
        return "";
    }
    for (const std::string &s : splitCommas(wanted)) {
        const auto v = toInt(s);
        if (!v || *v < 0 || *v >= count)
            return "no location '" + s + "' (the report has " + std::to_string(count) + ")";
        out.push_back(*v);
    }
    return "";
}

std::string selectYears(const OutputResults &results, const std::string &wanted, std::vector<int> &out) {
    const int printed = results.printedYears();
    if (wanted == "all") {
        for (int p = 0; p <= printed; ++p)
            out.push_back(p);
        return "";
    }
    for (const std::string &s : splitCommas(wanted)) {
        if (s == "avg" || s == "Avg" || s == "Average") {
            out.push_back(printed);
            continue;
        }
        const auto v = toInt(s);
        if (!v || *v < results.firstPrintYear || *v > results.lastPrintYear)
            return "no year '" + s + "' (the report prints " + std::to_string(results.firstPrintYear) + " to " +
                   std::to_string(results.lastPrintYear) + ")";
        out.push_back(*v - results.firstPrintYear);
    }
    return "";
}

} // namespace vek
