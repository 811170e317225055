// Operations on the model's stream reaches.
#include "model/stream_reaches.h"

#include <cmath>
#include <set>

#include "model/model_input.h"
#include "model/value_limits.h"

namespace vek {

namespace {

// Shares of reach `index` are dropped; later reaches move down by one.
void dropReach(std::vector<ReachShare> &shares, int index) {
    std::vector<ReachShare> kept;
    for (ReachShare s : shares) {
        if (s.reach == index) continue;
        if (s.reach > index) --s.reach;
        kept.push_back(s);
    }
    shares = std::move(kept);
}

bool nameTaken(const ModelInput &model, const std::string &name, int except) {
    for (std::size_t i = 0; i < model.network.reaches.size(); ++i)
        if (static_cast<int>(i) != except && model.network.reaches[i].name == name) return true;
    return false;
}

bool blank(const std::string &s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

} // namespace

const ApportionRule &ruleOf(const ModelInput &model, const Location &location) {
    return location.onMap.rule ? *location.onMap.rule : model.network.rule;
}

int findReach(const ModelInput &model, const std::string &name) {
    for (std::size_t i = 0; i < model.network.reaches.size(); ++i)
        if (model.network.reaches[i].name == name) return static_cast<int>(i);
    return -1;
}

bool addReach(ModelInput &model, StreamReach reach) {
    if (blank(reach.name) || nameTaken(model, reach.name, -1) || !labelProblem(reach.name, "").empty()) return false;
    model.network.reaches.push_back(std::move(reach));
    return true;
}

bool renameReach(ModelInput &model, int index, const std::string &name) {
    if (index < 0 || index >= static_cast<int>(model.network.reaches.size())) return false;
    if (blank(name) || nameTaken(model, name, index) || !labelProblem(name, "").empty()) return false;
    model.network.reaches[static_cast<std::size_t>(index)].name = name;
    return true;
}

bool removeReach(ModelInput &model, int index) {
    if (index < 0 || index >= static_cast<int>(model.network.reaches.size())) return false;
    model.network.reaches.erase(model.network.reaches.begin() + index);
    for (Location &loc : model.locations) {
        dropReach(loc.onMap.typed, index);
        dropReach(loc.onMap.shares, index);
    }
    return true;
}

bool needsReachSection(const ModelInput &model) {
    if (!model.network.reaches.empty()) return true;
    for (const Location &loc : model.locations)
        if (!loc.onMap.empty()) return true;
    return false;
}

MapInputs mapInputsOf(const ModelInput &model) {
    MapInputs in;
    in.network = model.network;
    in.places.reserve(model.locations.size());
    for (const Location &loc : model.locations) {
        const LocationMap &m = loc.onMap;
        in.places.push_back({m.position, m.storativity, m.transmissivity, m.factorFromMap, m.rule, m.typed});
    }
    return in;
}

std::string typedSharesProblem(const ModelInput &model, const Location &location) {
    const auto &typed = location.onMap.typed;
    if (typed.empty()) return "it has no typed shares";
    std::set<int> seen;
    double sum = 0.0;
    for (const ReachShare &s : typed) {
        if (s.reach < 0 || s.reach >= static_cast<int>(model.network.reaches.size()))
            return "a typed share names reach " + std::to_string(s.reach + 1) + ", which does not exist";
        const std::string &name = model.network.reaches[static_cast<std::size_t>(s.reach)].name;
        if (!seen.insert(s.reach).second) return "reach \"" + name + "\" has two typed shares";
        if (!(s.fraction >= 0.0 && s.fraction <= 1.0))
            return "the typed share of reach \"" + name + "\" is not from 0 to 1";
        sum += s.fraction;
    }
    if (std::fabs(sum - 1.0) > 1e-6) return "its typed shares add up to " + engine::messageNumber(sum) + ", not 1";
    return {};
}

} // namespace vek
