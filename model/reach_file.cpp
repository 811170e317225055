// Writing the stream-reach section and taking a parsed one into a model.
#include "model/reach_file.h"

namespace vek {

namespace {

using engine::quoteSectionText;
using engine::sectionNumber;

// Coordinates written six points to a line.
constexpr std::size_t kPointsPerLine = 6;

std::string ruleFields(const ApportionRule &rule, const char *methodKey) {
    std::string s = std::string(methodKey) + engine::apportionmentKeyword(rule.method);
    if (rule.method == Apportionment::Inverse || rule.method == Apportionment::Web)
        s += " power=" + std::to_string(rule.power);
    if (rule.maxDistance > 0.0) s += " max-distance=" + sectionNumber(rule.maxDistance);
    if (rule.minFraction > 0.0) s += " min-fraction=" + sectionNumber(rule.minFraction);
    if (rule.spacing > 0.0) s += " spacing=" + sectionNumber(rule.spacing);
    return s;
}

void reachLines(std::vector<std::string> &lines, const ReachNetwork &network) {
    for (std::size_t r = 0; r < network.reaches.size(); ++r) {
        const StreamReach &reach = network.reaches[r];
        lines.push_back("reach " + std::to_string(r + 1) + " name=" + quoteSectionText(reach.name));
        for (const MapLine &line : reach.lines) {
            lines.push_back("line points=" + std::to_string(line.size()));
            std::string row;
            for (std::size_t i = 0; i < line.size(); ++i) {
                if (!row.empty()) row += ' ';
                row += sectionNumber(line[i].x) + " " + sectionNumber(line[i].y);
                if ((i + 1) % kPointsPerLine == 0 || i + 1 == line.size()) {
                    lines.push_back(row);
                    row.clear();
                }
            }
        }
    }
}

std::string placeLine(std::size_t index, const LocationMap &m) {
    std::string s;
    if (m.position) s += " x=" + sectionNumber(m.position->x) + " y=" + sectionNumber(m.position->y);
    if (m.storativity) s += " S=" + sectionNumber(*m.storativity);
    if (m.transmissivity) s += " T=" + sectionNumber(*m.transmissivity);
    if (m.factorFromMap) s += " factor=map";
    if (m.rule) s += " " + ruleFields(*m.rule, "apportion=");
    return s.empty() ? s : "location " + std::to_string(index + 1) + s;
}

std::string shareLine(const char *word, std::size_t location, const ReachShare &sh, bool resolved) {
    std::string s = std::string(word) + " " + std::to_string(location + 1) + " reach=" + std::to_string(sh.reach + 1) +
                    " fraction=" + sectionNumber(sh.fraction);
    if (resolved && sh.distance >= 0.0) s += " distance=" + sectionNumber(sh.distance);
    if (resolved && sh.hasFactor) s += " factor=" + sectionNumber(sh.factor);
    return s;
}

} // namespace

std::vector<std::string> reachSectionLines(const ModelInput &model) {
    const ReachNetwork &n = model.network;
    std::vector<std::string> lines;
    lines.push_back(std::string(engine::kReachSectionTitle) + " " + std::to_string(engine::kReachSectionLayout));
    std::string map = std::string("map units=") + (n.unit == LengthUnit::Metres ? "metres" : "feet");
    if (!n.crs.empty()) map += " crs=" + quoteSectionText(n.crs);
    map += n.depletion == ReachDepletion::ByDistance ? " depletion=distance" : " depletion=apportioned";
    lines.push_back(map);
    lines.push_back(ruleFields(n.rule, "apportion "));
    reachLines(lines, n);
    for (std::size_t i = 0; i < model.locations.size(); ++i)
        if (std::string l = placeLine(i, model.locations[i].onMap); !l.empty()) lines.push_back(l);
    for (std::size_t i = 0; i < model.locations.size(); ++i)
        for (const ReachShare &sh : model.locations[i].onMap.typed)
            lines.push_back(shareLine("typed", i, sh, false));
    for (std::size_t i = 0; i < model.locations.size(); ++i)
        for (const ReachShare &sh : model.locations[i].onMap.shares)
            lines.push_back(shareLine("share", i, sh, true));
    lines.emplace_back("end");
    return lines;
}

std::string applyReachSection(const engine::ReachSection &section, ModelInput &model) {
    ReachNetwork &n = model.network;
    n.unit = section.metres ? LengthUnit::Metres : LengthUnit::Feet;
    n.crs = section.crs;
    n.rule = section.rule;
    n.depletion = section.depletion;
    n.reaches.clear();
    for (const auto &r : section.reaches)
        n.reaches.push_back({r.name, r.lines});
    const auto count = static_cast<long long>(model.locations.size());
    auto missing = [&](long long location) {
        return "location " + std::to_string(location) + " does not exist (the file has " + std::to_string(count) + ")";
    };
    for (const auto &p : section.places) {
        if (p.location > count) return missing(p.location);
        LocationMap &m = model.locations[static_cast<std::size_t>(p.location - 1)].onMap;
        if (p.placed) m.position = p.at;
        if (p.hasStorativity) m.storativity = p.storativity;
        if (p.hasTransmissivity) m.transmissivity = p.transmissivity;
        m.factorFromMap = p.factorFromMap;
        if (p.ownRule) m.rule = p.rule;
    }
    for (const auto *list : {&section.typed, &section.shares}) {
        const bool resolved = list == &section.shares;
        for (const auto &sh : *list) {
            if (sh.location > count) return missing(sh.location);
            LocationMap &m = model.locations[static_cast<std::size_t>(sh.location - 1)].onMap;
            ReachShare s{static_cast<int>(sh.reach - 1), sh.fraction, sh.distance, sh.hasFactor, sh.factor};
            (resolved ? m.shares : m.typed).push_back(s);
        }
    }
    return {};
}

} // namespace vek
