// Operations on response tables and a location's step response.
#include "model/response_settings.h"

#include <algorithm>

#include "model/model_input.h"

namespace vek {

const UnitResponseTable *findResponseTable(const ModelInput &model, const std::string &name) {
    for (const auto &t : model.responseTables)
        if (t.name == name) return &t;
    return nullptr;
}

void putResponseTable(ModelInput &model, UnitResponseTable table) {
    for (auto &t : model.responseTables) {
        if (t.name == table.name) {
            t = std::move(table);
            return;
        }
    }
    model.responseTables.push_back(std::move(table));
}

bool renameResponseTable(ModelInput &model, const std::string &from, const std::string &to) {
    if (!findResponseTable(model, from) || (from != to && findResponseTable(model, to))) return false;
    for (auto &t : model.responseTables)
        if (t.name == from) t.name = to;
    for (auto &loc : model.locations)
        if (loc.response.method == ResponseMethod::ResponseTable && loc.response.table == from) loc.response.table = to;
    return true;
}

bool removeResponseTable(ModelInput &model, const std::string &name) {
    auto &tables = model.responseTables;
    const auto it = std::find_if(tables.begin(), tables.end(), [&](const auto &t) { return t.name == name; });
    if (it == tables.end()) return false;
    tables.erase(it);
    return true;
}

std::vector<int> locationsUsingTable(const ModelInput &model, const std::string &name) {
    std::vector<int> users;
    for (std::size_t i = 0; i < model.locations.size(); ++i) {
        const ResponseSettings &r = model.locations[i].response;
        if (r.method == ResponseMethod::ResponseTable && r.table == name) users.push_back(static_cast<int>(i));
    }
    return users;
}

int resetTableUsers(ModelInput &model, const std::string &name) {
    const std::vector<int> users = locationsUsingTable(model, name);
    for (int i : users)
        model.locations[static_cast<std::size_t>(i)].response = ResponseSettings{};
    return static_cast<int>(users.size());
}

ResponseSettings ownParameters(const ResponseSettings &settings) {
    ResponseSettings r;
    r.method = settings.method;
    if (r.method == ResponseMethod::AlluvialAquifer) r.aOverW = settings.aOverW;
    if (r.method == ResponseMethod::StreambedResistance) r.lambda = settings.lambda;
    if (r.method == ResponseMethod::ResponseTable) r.table = settings.table;
    return r;
}

engine::StepResponse stepResponse(const ModelInput &model, const Location &location) {
    const ResponseSettings &r = location.response;
    const double sdf = static_cast<double>(location.VEK);
    switch (r.method) {
    case ResponseMethod::AlluvialAquifer:
        return engine::StepResponse::alluvialAquifer(sdf, static_cast<double>(r.aOverW));
    case ResponseMethod::StreambedResistance:
        return engine::StepResponse::streambedResistance(sdf, static_cast<double>(r.lambda));
    case ResponseMethod::ResponseTable:
        if (const UnitResponseTable *t = findResponseTable(model, r.table))
            return engine::StepResponse::responseTable(t->shares, t->afterTableOne);
        break;
    case ResponseMethod::InfiniteAquifer:
        break;
    }
    return engine::StepResponse::infiniteAquifer(sdf);
}

} // namespace vek
