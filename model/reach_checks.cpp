// Stream-reach checks.
#include "model/reach_checks.h"

#include <cmath>

namespace vek {

namespace {

std::string label(const ModelInput &m, std::size_t i) {
    return "location " + std::to_string(i + 1) + " (" + m.locations[i].name + ")";
}

ModelProblem problem(int location, ModelProblem::Field field, std::string text, std::string option) {
    ModelProblem p;
    p.location = location;
    p.field = field;
    p.text = std::move(text);
    p.option = std::move(option);
    return p;
}

// What keeps the location's resolved shares from a run, or empty.
std::string sharesProblem(const ModelInput &m, const Location &loc) {
    const auto &shares = loc.onMap.shares;
    if (shares.empty()) {
        const ApportionRule &rule = ruleOf(m, loc);
        if (rule.method != Apportionment::Shares && m.network.reaches.size() > 1 && !loc.onMap.position)
            return "it has no position on the map and no typed shares, so its depletion cannot be apportioned "
                   "among the reaches";
        return "it has no share of the stream reaches";
    }
    double sum = 0.0;
    for (const ReachShare &s : shares) {
        if (s.reach < 0 || s.reach >= static_cast<int>(m.network.reaches.size()))
            return "a share names reach " + std::to_string(s.reach + 1) + ", which does not exist";
        sum += s.fraction;
        if (m.network.depletion == ReachDepletion::ByDistance && !s.hasFactor)
            return "its share of reach \"" + m.network.reaches[static_cast<std::size_t>(s.reach)].name +
                   "\" has no factor of its own, which the depletion by reach distance needs (its S and T, and its "
                   "position)";
    }
    if (std::fabs(sum - 1.0) > 1e-6) return "its shares add up to " + engine::messageNumber(sum) + ", not 1";
    return {};
}

} // namespace

std::vector<ModelProblem> checkStreamReaches(const ModelInput &m) {
    std::vector<ModelProblem> out;
    const bool reaches = !m.network.reaches.empty();
    for (std::size_t i = 0; i < m.locations.size(); ++i) {
        const Location &loc = m.locations[i];
        const LocationMap &map = loc.onMap;
        const int at = static_cast<int>(i);
        if (map.storativity && !(*map.storativity > 0.0 && *map.storativity <= 1.0))
            out.push_back(
                problem(at, ModelProblem::Field::Storativity, label(m, i) + ": S must be above 0 and at most 1", ""));
        if (map.transmissivity && !(*map.transmissivity > 0.0 && std::isfinite(*map.transmissivity)))
            out.push_back(problem(at, ModelProblem::Field::Transmissivity, label(m, i) + ": T must be above 0", ""));
        if (!reaches || loc.UseInOutput == 0) continue;
        if (ruleOf(m, loc).method == Apportionment::Shares)
            if (std::string p = typedSharesProblem(m, loc); !p.empty()) {
                out.push_back(problem(at, ModelProblem::Field::TypedShares, label(m, i) + ": " + p,
                                      "--reach-shares " + std::to_string(i + 1) + ":REACH=F,..."));
                continue;
            }
        if (std::string p = sharesProblem(m, loc); !p.empty())
            out.push_back(problem(at, ModelProblem::Field::ReachShares, label(m, i) + ": " + p, kApportionOption));
    }
    return out;
}

} // namespace vek
