// Checks of the response methods of a model: every location's parameters
// and every response table, with the same rules (and words) by which the
// engine refuses a file. Returns every problem, not only the first.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/model_input.h"

namespace vek {

// One problem of a model: what the engine would refuse, or (a warning) where
// the engine would read the model otherwise than the editor shows it.
struct ModelProblem {
    enum class Severity { Refused, Warning };

    // The field concerned: one of the model file's (fieldName gives the
    // name the file's comments use) or a response method's.
    enum class Field {
        FileName,           // the model input file's own name
        YearMode,           // "yearMode"
        OutputStartYear,    // "outputStartYear"
        OutputEndYear,      // "outputEndYear"
        UseAvgDaysPerMonth, // "useAvgDaysPerMonth"
        SynthesizeFormat,   // "synthesizeFormat"
        VEK,                // a location's depletion factor, "VEK"
        LocationType,       // "LocationType"
        Name,               // a location's or a response table's "name"
        HistoricalData,     // "historicalData"
        SynthesizedData,    // "synthesizedData"
        AOverW,             // a response method's "a/W"
        Lambda,             // "lambda"
        Table,              // the response table a location names, "table"
        Shares,             // a response table's "shares"
        Storativity,        // a location's S on the map, "S"
        Transmissivity,     // its T, "T"
        TypedShares,        // its typed shares of the stream reaches, "typed shares"
        ReachShares,        // its resolved shares of the stream reaches, "reach shares"
    };

    int location = -1; // 0-based location, -1 when the problem is not one location's
    std::string table; // the table concerned, when it is a table's
    Field field = Field::FileName;
    std::string text; // the whole message, naming the location or table
    Severity severity = Severity::Refused;
    // The vektool convert options that mend it ("--year-type 1"); empty when
    // no option does.
    std::string option;
    // The year (its label) and month column (0..11) of a value, when the
    // problem is one value's.
    std::optional<int> year;
    int month = -1;

    bool refused() const { return severity == Severity::Refused; }
};

// "yearMode", "VEK", "a/W", ...: the field's name as the model file's
// comments and the response section name it ("file name" for FileName).
const char *fieldName(ModelProblem::Field field);

std::vector<ModelProblem> checkResponseMethods(const ModelInput &model);

// What the checks find wrong with one location's response settings in the
// model (a parameter, or a table it does not have), in the words they report
// after the location's label; empty when nothing is. `field` receives the
// field (AOverW, Lambda or Table).
std::string responseSettingsProblem(const ModelInput &model, const ResponseSettings &settings,
                                    ModelProblem::Field *field = nullptr);

} // namespace vek
