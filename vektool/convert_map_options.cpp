// Stream-reach options of vektool.
#include "vektool/convert_map_options.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "geo/apportioner.h"
#include "geo/reach_resolution.h"
#include "model/model_input.h"
#include "vektool/convert_location_options.h"

namespace vektool {

const char *const kMapOptionsUsage =
    "\nStream reaches (applied last; then every location's shares of the reaches\n"
    "are resolved again from the map):\n"
    "  --apportion [LOCATIONS:]RULE  how depletion is split among the reaches, for\n"
    "                          the model or (with LOCATIONS) those locations; RULE is\n"
    "      nearest | inverse | web | polygon | shares, then options:\n"
    "      power=1|2 (inverse, web; default 2), max-distance=D (a reach farther\n"
    "      takes nothing), min-fraction=F (a smaller share goes to the others),\n"
    "      spacing=S (polygon: points along the reaches S apart);\n"
    "      LOCATIONS:model gives them the model's rule again\n"
    "  --reach-shares LOCATIONS:REACH=F,...  typed shares (adding up to 1); REACH\n"
    "                          is a reach's name or number. The locations then use\n"
    "                          them (their rule becomes shares)\n"
    "  --reach-depletion apportioned|distance  a reach's depletion is the location's\n"
    "                          own times its share (default), or computed with the\n"
    "                          reach's own distance, factor d^2 S / T, times its share\n"
    "  --factor-from-map LOCATIONS[=no]  the locations' factors come from their\n"
    "                          distance to the nearest reach and their S and T\n";

namespace {

std::optional<double> number(const std::string &text) {
    double v = 0.0;
    const char *last = text.data() + text.size();
    const auto r = std::from_chars(text.data(), last, v);
    if (text.empty() || r.ec != std::errc() || r.ptr != last || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::vector<std::string> split(const std::string &text, char by) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(by, start);
        out.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return out;
        start = at + 1;
    }
}

bool fail(const char *command, const std::string &text) {
    std::fprintf(stderr, "vektool %s: %s\n", command, text.c_str());
    return false;
}

// A reach by name, or by number when no reach has that name.
int reachIndex(const vek::ModelInput &m, const std::string &text) {
    if (const int i = vek::findReach(m, text); i >= 0) return i;
    int n = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), n);
    if (r.ec == std::errc() && r.ptr == text.data() + text.size() && n >= 1 &&
        n <= static_cast<int>(m.network.reaches.size()))
        return n - 1;
    return -1;
}

std::string typedShares(const vek::ModelInput &m, const std::string &text, std::vector<vek::ReachShare> &out) {
    for (const std::string &item : split(text, ',')) {
        const std::size_t eq = item.rfind('=');
        if (eq == std::string::npos || eq == 0) return "'" + item + "' is not REACH=F";
        const int reach = reachIndex(m, item.substr(0, eq));
        if (reach < 0) return "the model has no reach \"" + item.substr(0, eq) + "\"";
        const auto f = number(item.substr(eq + 1));
        if (!f) return "'" + item.substr(eq + 1) + "' is not a fraction";
        out.push_back({reach, *f, -1.0, false, 0.0f});
    }
    return {};
}

} // namespace

std::string parseRule(const std::string &text, vek::engine::ApportionRule &rule) {
    const std::vector<std::string> items = split(text, ',');
    rule = vek::engine::ApportionRule{};
    if (!vek::engine::apportionmentFromKeyword(items[0], rule.method))
        return "unknown apportionment '" + items[0] + "' (nearest, inverse, web, polygon or shares)";
    for (std::size_t i = 1; i < items.size(); ++i) {
        const std::size_t eq = items[i].find('=');
        if (eq == std::string::npos) return "'" + items[i] + "' is not key=value";
        const std::string key = items[i].substr(0, eq);
        const auto v = number(items[i].substr(eq + 1));
        if (!v) return key + " takes a number, not '" + items[i].substr(eq + 1) + "'";
        if (key == "power") {
            if (*v != 1.0 && *v != 2.0) return "power is 1 or 2";
            rule.power = static_cast<int>(*v);
        } else if (key == "max-distance") {
            if (*v < 0.0) return "max-distance must be 0 or more";
            rule.maxDistance = *v;
        } else if (key == "min-fraction") {
            if (*v < 0.0 || *v >= 1.0) return "min-fraction must be at least 0 and below 1";
            rule.minFraction = *v;
        } else if (key == "spacing") {
            if (*v < 0.0) return "spacing must be 0 or more";
            rule.spacing = *v;
        } else {
            return "unknown option '" + key + "' (power, max-distance, min-fraction, spacing)";
        }
    }
    return {};
}

bool parseMapOption(const Args &args, std::size_t &i, MapOptions &o, std::string &err) {
    const std::string &name = args[i];
    if (name != "--apportion" && name != "--reach-shares" && name != "--reach-depletion" && name != "--factor-from-map")
        return false;
    if (i + 1 >= args.size()) {
        err = name + " needs a value";
        return true;
    }
    const std::string &value = args[++i];
    if (name == "--reach-depletion") {
        if (value != "apportioned" && value != "distance")
            err = "--reach-depletion takes apportioned or distance, not '" + value + "'";
        o.depletion = value;
    } else if (name == "--factor-from-map") {
        const bool no = value.size() > 3 && value.compare(value.size() - 3, 3, "=no") == 0;
        o.factorFromMap.emplace_back(no ? value.substr(0, value.size() - 3) : value, !no);
    } else {
        const std::size_t colon = value.find(':');
        if (name == "--reach-shares" && (colon == std::string::npos || colon == 0 || colon + 1 == value.size()))
            err = "--reach-shares takes LOCATIONS:REACH=F,..., not '" + value + "'";
        auto pair = colon == std::string::npos ? std::make_pair(std::string(), value)
                                               : std::make_pair(value.substr(0, colon), value.substr(colon + 1));
        (name == "--apportion" ? o.apportion : o.reachShares).push_back(pair);
    }
    return true;
}

bool applyMapOptions(vek::ModelInput &m, const MapOptions &o, const char *command) {
    if (o.depletion)
        m.network.depletion =
            *o.depletion == "distance" ? vek::ReachDepletion::ByDistance : vek::ReachDepletion::Apportioned;
    for (const auto &[list, text] : o.apportion) {
        vek::engine::ApportionRule rule;
        const bool back = !list.empty() && text == "model";
        if (!back)
            if (std::string err = parseRule(text, rule); !err.empty()) return fail(command, "--apportion " + err);
        if (list.empty()) {
            m.network.rule = rule;
            continue;
        }
        std::vector<std::size_t> locations;
        if (std::string err = locationList(list, m, locations); !err.empty())
            return fail(command, "--apportion " + list + ": " + err);
        for (std::size_t i : locations) {
            if (back)
                m.locations[i].onMap.rule.reset();
            else
                m.locations[i].onMap.rule = rule;
        }
    }
    for (const auto &[list, text] : o.reachShares) {
        std::vector<std::size_t> locations;
        std::vector<vek::ReachShare> shares;
        if (std::string err = locationList(list, m, locations); !err.empty())
            return fail(command, "--reach-shares " + list + ": " + err);
        if (std::string err = typedShares(m, text, shares); !err.empty())
            return fail(command, "--reach-shares " + list + ":" + text + ": " + err);
        for (std::size_t i : locations) {
            vek::Location &loc = m.locations[i];
            loc.onMap.typed = shares;
            vek::engine::ApportionRule rule;
            rule.method = vek::engine::Apportionment::Shares;
            loc.onMap.rule = rule;
            if (std::string p = vek::typedSharesProblem(m, loc); !p.empty())
                return fail(command, "--reach-shares " + list + ":" + text + ": " + p);
        }
    }
    for (const auto &[list, on] : o.factorFromMap) {
        std::vector<std::size_t> locations;
        if (std::string err = locationList(list, m, locations); !err.empty())
            return fail(command, "--factor-from-map " + list + ": " + err);
        for (std::size_t i : locations)
            m.locations[i].onMap.factorFromMap = on;
    }
    return resolveMap(m, command, !o.empty());
}

bool resolveMap(vek::ModelInput &m, const char *command, bool required) {
    bool anything = !m.network.reaches.empty();
    for (const auto &loc : m.locations)
        anything = anything || loc.onMap.factorFromMap;
    if (!anything) return true;
    if (!vek::geo::mapSupport()) return required ? fail(command, vek::geo::kNoMapSupport) : true;
    const vek::geo::Resolution r = vek::geo::resolveReaches(m);
    if (!r.ok()) return fail(command, r.failure);
    for (const auto &t : r.troubles)
        std::fprintf(stderr, "vektool %s: warning: location %d (%s): %s\n", command, t.location + 1,
                     m.locations[static_cast<std::size_t>(t.location)].name.c_str(), t.text.c_str());
    return true;
}

} // namespace vektool
