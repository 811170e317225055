// One validation of a model for a run, used wherever a model is judged: by
// vektool check, by vektool run and the desktop's Run before the engine is
// started, and when the desktop opens a file. It returns every problem, each
// with its location, field and severity:
// - refused: what the engine would refuse or run wrongly (a year type other
//   than Irrigation Year, a run without years or of more than 400, a run that
//   starts outside the years of data, a negative depletion factor of a used
//   location, a value the engine cannot read, a file name longer than it
//   reads, the response methods' parameters and tables);
// - warning: what the engine runs, but reads otherwise than the editor shows
//   it (a location type other than -1 and 1, a monthly-to-daily rule other
//   than 0 and 1, synthesized years that are not what their recorded method
//   makes, names the report cuts).
#pragma once

#include "common/operation_error.h"
#include "model/input_file.h"
#include "model/model_input.h"
#include "model/response_checks.h"

#include "engine/run_parameters.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vek {

struct ValidationOptions {
    // The model input file the engine is to read: the length of its name and
    // of its report's name is checked. Empty: not checked.
    std::string path;
    // The numbers of the file the model was read from, for the warnings that
    // need them (location types, the monthly-to-daily rule, name records).
    const ModelFileValues *fileValues = nullptr;
    // Recompute the recorded synthesis (a model read only partly has no
    // synthesized years worth comparing).
    bool synthesis = true;
};

class ModelValidation {
  public:
    std::vector<ModelProblem> problems; // refusals first, then warnings; each in model order

    // Anything the engine would refuse.
    bool refused() const;
    bool hasWarnings() const;
    std::vector<ModelProblem> refusals() const;
    std::vector<ModelProblem> warnings() const;

    // The problems of one location (from 0; -1 for the model's own settings
    // and tables), and those of one of its fields: what a form marks on the
    // cell of that location and field.
    std::vector<const ModelProblem *> problemsOf(int location) const;
    std::vector<const ModelProblem *> problemsOf(int location, ModelProblem::Field field) const;

    // The texts of the problems of one severity, one a line; beyond `most`
    // of them a last line says how many more there are.
    std::string text(ModelProblem::Severity severity, std::size_t most = SIZE_MAX) const;
};

ModelValidation validateModel(const ModelInput &model, const ValidationOptions &options = {});

// Why a month's value of `location`, in the model's units `unitMode`, hardly
// means what was meant: a well's negative use, or more than a million
// acre-feet in one month (a slip of the units or of the decimal point).
// Empty when it looks right. The engine takes such values: a form marks
// them, apart from the problems above.
std::string doubtfulValue(const Location &location, float value, int unitMode);

// Why the engine cannot be given the model input file `path`: the file's name
// or its report's name is longer than the engine reads. Empty when it can.
std::string engineFileNameProblem(const std::string &path);

// The problems of a model file's run parameters alone, as the engine reads
// them (the year type, the run's years and where it starts against the
// years of data): what validateModel would find of them in the model read
// from that file. A file the engine reads without failure and whose run
// parameters give no refusal here gives none in validateModel either: every
// other refusal is one the engine makes itself while it reads.
ModelValidation validateRunParameters(const engine::RunParameters &parameters);

// A model input file read and judged as the engine would run it.
struct ModelFileCheck {
    ModelInput model;
    ModelFileValues fileValues;
    OperationResult read; // what the reader reported
    ModelValidation validation;
};
ModelFileCheck checkModelFile(const std::string &path);

} // namespace vek
