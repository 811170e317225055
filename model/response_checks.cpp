// Response-method checks.
#include "model/response_checks.h"

#include "model/response_settings.h"

namespace vek {

namespace {

std::string locationLabel(const ModelInput &m, std::size_t i) {
    return "location " + std::to_string(i + 1) + " (" + m.locations[i].name + ")";
}

ModelProblem tableProblem(const std::string &table, ModelProblem::Field field, std::string text) {
    ModelProblem p;
    p.table = table;
    p.field = field;
    p.text = std::move(text);
    p.option = "--response-table FILE";
    return p;
}

} // namespace

const char *fieldName(ModelProblem::Field field) {
    using F = ModelProblem::Field;
    switch (field) {
    case F::FileName:
        return "file name";
    case F::YearMode:
        return "yearMode";
    case F::OutputStartYear:
        return "outputStartYear";
    case F::OutputEndYear:
        return "outputEndYear";
    case F::UseAvgDaysPerMonth:
        return "useAvgDaysPerMonth";
    case F::SynthesizeFormat:
        return "synthesizeFormat";
    case F::VEK:
        return "VEK";
    case F::LocationType:
        return "LocationType";
    case F::Name:
        return "name";
    case F::HistoricalData:
        return "historicalData";
    case F::SynthesizedData:
        return "synthesizedData";
    case F::AOverW:
        return "a/W";
    case F::Lambda:
        return "lambda";
    case F::Table:
        return "table";
    case F::Shares:
        return "shares";
    case F::Storativity:
        return "S";
    case F::Transmissivity:
        return "T";
    case F::TypedShares:
        return "typed shares";
    case F::ReachShares:
        return "reach shares";
    }
    return "";
}

std::string responseSettingsProblem(const ModelInput &m, const ResponseSettings &r, ModelProblem::Field *field) {
    std::string p;
    ModelProblem::Field f = ModelProblem::Field::Table;
    switch (r.method) {
    case ResponseMethod::AlluvialAquifer:
        p = engine::alluvialProblem(static_cast<double>(r.aOverW));
        f = ModelProblem::Field::AOverW;
        break;
    case ResponseMethod::StreambedResistance:
        p = engine::streambedProblem(static_cast<double>(r.lambda));
        f = ModelProblem::Field::Lambda;
        break;
    case ResponseMethod::ResponseTable:
        if (!findResponseTable(m, r.table)) p = "there is no table \"" + r.table + "\"";
        f = ModelProblem::Field::Table;
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
            problems.push_back(tableProblem("", ModelProblem::Field::Name,
                                            "response table " + std::to_string(t + 1) + " has no name"));
        for (std::size_t u = 0; u < t; ++u)
            if (m.responseTables[u].name == table.name)
                problems.push_back(tableProblem(table.name, ModelProblem::Field::Name,
                                                "response table \"" + table.name + "\" is defined twice"));
        if (std::string p = engine::tableProblem(table.shares); !p.empty())
            problems.push_back(
                tableProblem(table.name, ModelProblem::Field::Shares, "response table \"" + table.name + "\": " + p));
    }
    for (std::size_t i = 0; i < m.locations.size(); ++i) {
        const ResponseSettings &r = m.locations[i].response;
        const int loc = static_cast<int>(i);
        ModelProblem::Field field = ModelProblem::Field::Table;
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
