// Parsing the stream-reach section.
#include "engine/reach_section.h"

#include "facts/message_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <set>
#include <utility>

namespace vek::engine {

namespace {

constexpr long long kMostPoints = 10000000;
constexpr long long kMostReaches = 1000000;
constexpr long long kMostLocations = 2147483647LL;

constexpr std::pair<Apportionment, const char *> kKeywords[] = {{Apportionment::Nearest, "nearest"},
                                                                {Apportionment::Inverse, "inverse"},
                                                                {Apportionment::Web, "web"},
                                                                {Apportionment::Polygon, "polygon"},
                                                                {Apportionment::Shares, "shares"}};

// The options of a rule from the fields (power, max-distance, min-fraction,
// spacing; any may be absent).
void ruleOptions(const SectionStatement &st, ApportionRule &rule, const SectionField *power, const SectionField *maxD,
                 const SectionField *minF, const SectionField *spacing) {
    if (power) rule.power = static_cast<int>(st.whole(*power, 1, 2));
    if (maxD) {
        rule.maxDistance = st.wide(*maxD);
        if (rule.maxDistance < 0.0) st.fail("max-distance is below 0");
    }
    if (minF) {
        rule.minFraction = st.wide(*minF);
        if (rule.minFraction < 0.0 || rule.minFraction >= 1.0) st.fail("min-fraction must be at least 0 and below 1");
    }
    if (spacing) {
        rule.spacing = st.wide(*spacing);
        if (rule.spacing < 0.0) st.fail("spacing is below 0");
    }
}

Apportionment methodOf(const SectionStatement &st, const SectionField &f) {
    Apportionment m{};
    if (!apportionmentFromKeyword(f.value, m) || f.quoted)
        st.fail("unknown apportionment \"" + f.value + "\" (nearest, inverse, web, polygon or shares)");
    return m;
}

SectionShare shareOf(const SectionStatement &st, bool resolved) {
    const auto &f = st.fields();
    if (f.size() < 2 || !f[1].key.empty()) st.fail("the location number must follow \"" + f[0].value + "\"");
    SectionShare s;
    s.line = st.number();
    s.location = st.whole(f[1], 1, kMostLocations);
    const auto k =
        resolved ? st.keyed(2, {"reach", "fraction", "distance", "factor"}) : st.keyed(2, {"reach", "fraction"});
    s.reach = st.whole(st.required(k[0], "reach"), 1, kMostReaches);
    s.fraction = st.wide(st.required(k[1], "fraction"));
    if (s.fraction < 0.0 || s.fraction > 1.0) st.fail("fraction must be from 0 to 1");
    if (resolved && k[2]) {
        s.distance = st.wide(*k[2]);
        if (s.distance < 0.0) st.fail("distance is below 0");
    }
    if (resolved && k[3]) {
        s.factor = st.real(*k[3]);
        s.hasFactor = true;
        if (s.factor < 0.0f) st.fail("factor is below 0");
    }
    return s;
}

SectionPlace placeOf(const SectionStatement &st) {
    const auto &f = st.fields();
    if (f.size() < 2 || !f[1].key.empty()) st.fail("the location number must follow \"location\"");
    SectionPlace p;
    p.line = st.number();
    p.location = st.whole(f[1], 1, kMostLocations);
    const auto k =
        st.keyed(2, {"x", "y", "S", "T", "factor", "apportion", "power", "max-distance", "min-fraction", "spacing"});
    if ((k[0] == nullptr) != (k[1] == nullptr)) st.fail("a location's position needs both x and y");
    if (k[0]) {
        p.placed = true;
        p.at = {st.wide(*k[0]), st.wide(*k[1])};
    }
    if (k[2]) {
        p.hasStorativity = true;
        p.storativity = st.wide(*k[2]);
    }
    if (k[3]) {
        p.hasTransmissivity = true;
        p.transmissivity = st.wide(*k[3]);
    }
    if (k[4]) {
        if (k[4]->value != "map" || k[4]->quoted) st.fail("factor is \"" + k[4]->value + "\"; it can only be map");
        p.factorFromMap = true;
    }
    if (k[5]) {
        p.ownRule = true;
        p.rule.method = methodOf(st, *k[5]);
    } else if (k[6] || k[7] || k[8] || k[9]) {
        st.fail("options of an apportionment without apportion=");
    }
    ruleOptions(st, p.rule, k[6], k[7], k[8], k[9]);
    return p;
}

} // namespace

const char *apportionmentKeyword(Apportionment method) {
    for (const auto &[m, word] : kKeywords)
        if (m == method) return word;
    return "web";
}

bool apportionmentFromKeyword(std::string_view word, Apportionment &method) {
    for (const auto &[m, w] : kKeywords)
        if (word == w) {
            method = m;
            return true;
        }
    return false;
}

std::string apportionmentName(const ApportionRule &rule) {
    switch (rule.method) {
    case Apportionment::Nearest:
        return "nearest reach";
    case Apportionment::Inverse:
        return rule.power == 2 ? "inverse distance squared" : "inverse distance";
    case Apportionment::Web:
        return rule.power == 2 ? "web squared" : "web";
    case Apportionment::Polygon:
        return "Thiessen polygons";
    case Apportionment::Shares:
        return "typed shares";
    }
    return "web squared";
}

bool isReachSectionStart(std::string_view line, int *layout) {
    line = trimmedSectionText(line);
    if (line.substr(0, kReachSectionTitle.size()) != kReachSectionTitle) return false;
    line.remove_prefix(kReachSectionTitle.size());
    if (line.empty() || !isSectionBlank(line.front())) return false;
    line = trimmedSectionText(line);
    int n = 0;
    const auto r = std::from_chars(line.data(), line.data() + line.size(), n);
    if (line.empty() || r.ec != std::errc() || r.ptr != line.data() + line.size()) return false;
    if (layout) *layout = n;
    return true;
}

namespace {

class ReachParser {
  public:
    ReachParser(const std::vector<std::string_view> &lines, long long firstLine) : lines_(lines), first_(firstLine) {}

    ReachSection run() {
        s_.present = true;
        s_.line = first_;
        int layout = 0;
        if (lines_.empty() || !isReachSectionStart(lines_.front(), &layout))
            throw SectionError("the stream reaches have no first line", first_);
        if (layout != kReachSectionLayout)
            throw SectionError("stream reaches of layout " + std::to_string(layout) +
                                   ", which this program does not know (it reads layout " +
                                   std::to_string(kReachSectionLayout) + "; a newer program wrote the file)",
                               first_);
        bool ended = false;
        for (i_ = 1; i_ < lines_.size(); ++i_) {
            const SectionStatement st(lines_[i_], lineNumber());
            if (st.fields().empty()) continue;
            if (ended) st.fail("text after the end line of the stream reaches");
            if (statement(st)) ended = true;
        }
        if (!ended)
            throw SectionError("the stream reaches starting on line " + std::to_string(first_) +
                                   " have no end line (the file is cut short)",
                               first_ + static_cast<long long>(lines_.size()) - 1);
        checkReferences();
        return std::move(s_);
    }

  private:
    long long lineNumber() const { return first_ + static_cast<long long>(i_); }

    // One statement; true for the end line.
    bool statement(const SectionStatement &st) {
        const auto &f = st.fields();
        if (!f[0].key.empty() || f[0].quoted)
            st.fail("a statement must start with map, apportion, reach, line, location, typed, share or end");
        const std::string &word = f[0].value;
        if (word == "end") {
            if (f.size() > 1) st.fail("the end line holds more than \"end\"");
            return true;
        }
        if (word == "map") {
            mapLine(st);
        } else if (word == "apportion") {
            if (f.size() < 2 || !f[1].key.empty()) st.fail("the method must follow \"apportion\"");
            s_.rule.method = methodOf(st, f[1]);
            const auto k = st.keyed(2, {"power", "max-distance", "min-fraction", "spacing"});
            ruleOptions(st, s_.rule, k[0], k[1], k[2], k[3]);
        } else if (word == "reach") {
            reach(st);
        } else if (word == "line") {
            line(st);
        } else if (word == "location") {
            SectionPlace p = placeOf(st);
            if (!placedAt_.insert(p.location).second)
                st.fail("location " + std::to_string(p.location) + " is given twice");
            s_.places.push_back(std::move(p));
        } else if (word == "typed" || word == "share") {
            const bool resolved = word == "share";
            SectionShare sh = shareOf(st, resolved);
            auto &seen = resolved ? sharePairs_ : typedPairs_;
            if (!seen.insert({sh.location, sh.reach}).second)
                st.fail("location " + std::to_string(sh.location) + "'s " + word + " of reach " +
                        std::to_string(sh.reach) + " is given twice");
            (resolved ? s_.shares : s_.typed).push_back(sh);
        } else {
            st.fail("unknown statement \"" + messageText(word) +
                    "\" (map, apportion, reach, line, location, typed, share or end)");
        }
        return false;
    }

    void mapLine(const SectionStatement &st) {
        const auto k = st.keyed(1, {"units", "crs", "depletion"});
        if (k[0]) {
            if (k[0]->value == "metres")
                s_.metres = true;
            else if (k[0]->value != "feet")
                st.fail("units is \"" + k[0]->value + "\"; it must be feet or metres");
        }
        if (k[1]) s_.crs = k[1]->value;
        if (k[2]) {
            if (k[2]->value == "distance")
                s_.depletion = ReachDepletion::ByDistance;
            else if (k[2]->value != "apportioned")
                st.fail("depletion is \"" + k[2]->value + "\"; it must be apportioned or distance");
        }
    }

    void reach(const SectionStatement &st) {
        const auto &f = st.fields();
        if (f.size() < 2 || !f[1].key.empty()) st.fail("the reach number must follow \"reach\"");
        const long long n = st.whole(f[1], 1, kMostReaches);
        if (n != static_cast<long long>(s_.reaches.size()) + 1)
            st.fail("reach " + std::to_string(n) + " where reach " + std::to_string(s_.reaches.size() + 1) +
                    " comes next");
        SectionReach r;
        r.line = st.number();
        r.name = st.required(st.keyed(2, {"name"})[0], "name").value;
        if (trimmedSectionText(r.name).empty()) st.fail("a reach needs a name");
        for (const auto &other : s_.reaches)
            if (other.name == r.name) st.fail("reach \"" + r.name + "\" is given twice");
        s_.reaches.push_back(std::move(r));
    }

    void line(const SectionStatement &st) {
        if (s_.reaches.empty()) st.fail("a line before the first reach");
        const long long points = st.whole(st.required(st.keyed(1, {"points"})[0], "points"), 2, kMostPoints);
        std::vector<MapXY> pts;
        pts.reserve(static_cast<std::size_t>(points));
        std::vector<double> pending;
        while (static_cast<long long>(pts.size()) < points) {
            if (++i_ >= lines_.size())
                st.fail("a line of reach \"" + s_.reaches.back().name + "\" ends after " + std::to_string(pts.size()) +
                        " of its " + std::to_string(points) + " points");
            const SectionStatement values(lines_[i_], lineNumber());
            for (const SectionField &v : values.fields()) {
                if (!v.key.empty())
                    values.fail("a coordinate must be a plain number, not " + messageText(v.key + "=" + v.value));
                if (static_cast<long long>(pts.size()) == points)
                    values.fail("the line has more than its " + std::to_string(points) + " points");
                pending.push_back(values.wide(v));
                if (pending.size() == 2) {
                    pts.push_back({pending[0], pending[1]});
                    pending.clear();
                }
            }
        }
        s_.reaches.back().lines.push_back(std::move(pts));
    }

    void checkReferences() const {
        const auto count = static_cast<long long>(s_.reaches.size());
        for (const auto *list : {&s_.typed, &s_.shares})
            for (const auto &sh : *list)
                if (sh.reach > count)
                    throw SectionError("reach " + std::to_string(sh.reach) + " does not exist (there are " +
                                           std::to_string(count) + ")",
                                       sh.line);
    }

    const std::vector<std::string_view> &lines_;
    long long first_;
    std::size_t i_ = 0;
    ReachSection s_;
    std::set<long long> placedAt_;
    std::set<std::pair<long long, long long>> typedPairs_, sharePairs_;
};

} // namespace

ReachSection parseReachSection(const std::vector<std::string_view> &lines, long long firstLine) {
    return ReachParser(lines, firstLine).run();
}

std::string reachSharesProblem(const ReachSection &section, long long *line) {
    std::map<long long, std::pair<double, long long>> sums; // location: total and its first line
    for (const auto &sh : section.shares) {
        auto [it, added] = sums.try_emplace(sh.location, 0.0, sh.line);
        it->second.first += sh.fraction;
        if (section.depletion == ReachDepletion::ByDistance && !sh.hasFactor) {
            if (line) *line = sh.line;
            return "location " + std::to_string(sh.location) + "'s share of reach " + std::to_string(sh.reach) +
                   " has no factor, which the depletion by reach distance needs";
        }
    }
    for (const auto &[location, sum] : sums)
        if (std::fabs(sum.first - 1.0) > 1e-6) {
            if (line) *line = sum.second;
            return "location " + std::to_string(location) + "'s shares add up to " + messageNumber(sum.first) +
                   ", not 1";
        }
    return {};
}

} // namespace vek::engine
