// Response-method checks.
#include "model/response_checks.h"

#include "model/response_settings.h"

namespace vek {

namespace {

std::string locationLabel(const ModelInput &m, std::size_t i) {
    return "location " + std::to_string(i + 1) + " (" + m.locations[i].name + ")";
}

ModelProblem tableProblem(const std::string &table, const char *field, std::string text) {
    ModelProblem p;
    p.table = table;
    p.field = field;
    p.text = std::move(text);
    p.option = "--response-table FILE";
    return p;
}

} // namespace

std::string responseSettingsProblem(const ModelInput &m, const ResponseSettings &r, std::string *field) {
    std::string p, f;
    switch (r.method) {
    case ResponseMethod::AlluvialAquifer:
        p = engine::alluvialProblem(static_cast<double>(r.aOverW));
        f = "a/W";
        break;
    case ResponseMethod::StreambedResistance:
        p = engine::streambedProblem(static_cast<double>(r.lambda));
        f = "lambda";
        break;
    case ResponseMethod::ResponseTable:
        if (!findResponseTable(m, r.table)) p = "there is no table \"" + r.table + "\"";
        f = "table";
        break;
    case ResponseMethod::InfiniteAquifer:
        break;
    }
    if (field) *field = f;
    return p;
}

std::vector<ModelProblem> checkResponseMethods(const ModelInput &m) {
    std::vector<ModelProblem> problems;
    for (std::size_t t = 0; t < m.responseTables.size(); ++t) {
        const UnitResponseTable &table = m.responseTables[t];
        if (table.name.empty())
            problems.push_back(tableProblem("", "name", "response table " + std::to_string(t + 1) + " has no name"));
        for (std::size_t u = 0; u < t; ++u)
            if (m.responseTables[u].name == table.name)
                problems.push_back(
                    tableProblem(table.name, "name", "response table \"" + table.name + "\" is defined twice"));
        if (std::string p = engine::tableProblem(table.shares); !p.empty())
            problems.push_back(tableProblem(table.name, "shares", "response table \"" + table.name + "\": " + p));
    }
    for (std::size_t i = 0; i < m.locations.size(); ++i) {
        const ResponseSettings &r = m.locations[i].response;
        const int loc = static_cast<int>(i);
        std::string field;
        const std::string p = responseSettingsProblem(m, r, &field);
        if (!p.empty()) {
            ModelProblem problem;
            problem.location = loc;
            problem.table = r.method == ResponseMethod::ResponseTable ? r.table : "";
            problem.field = field;
            problem.text = locationLabel(m, i) + ": " + p;
            problem.option = "--method " + std::to_string(i + 1) + ":METHOD";
            problems.push_back(std::move(problem));
        }
    }
    return problems;
}

} // namespace vek
