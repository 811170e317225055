// vek.run: the engine in this process, on a model in memory or on a model
// file, its tables handed over as results without a report being written
// or read.
#include "python/bindings.h"

#include <sstream>

#include "common/numbers.h"
#include "engine/engine_run.h"
#include "facts/vek_facts.h"
#include "model/engine_runner.h"
#include "model/input_file.h"
#include "model/model_validation.h"
#include "results/run_results.h"

namespace vek::python {

namespace {

constexpr long kMaxThreads = 256;

// The year type the engine runs, then what the validation refuses: refused
// before the engine starts, with the messages the desktop's Run shows.
void refuseUnrunnable(const ModelInput &model, const ModelValidation &validation) {
    if (model.yearMode != IrrigationYear)
        // The engine reads every table as NOV..OCT: another year type would
        // give months that are not the ones the model holds.
        raiseError(errorTypes().runError,
                   "The model can only run in Irrigation Year format (its year type is " +
                       std::to_string(model.yearMode) + ").",
                   {{"status", py::none()}});
    if (validation.refused())
        raiseError(errorTypes().runError, runRefusalMessage(validation), {{"status", py::none()}});
}

// The engine's failure line without its leading blank and line end.
std::string consoleLine(const std::string &text) {
    std::string_view t = trim(text);
    return std::string(t);
}

// A model file is judged by the engine's one reading when the engine runs it
// without failure and the validation refuses nothing of its run parameters:
// every other refusal of the validation is one the engine makes while it
// reads. Otherwise the model core reads it too, for the refusals VEKView's
// Run shows (and the run's tables are not used).
bool judgedByTheEngine(int status, const engine::RunParameters &parameters, const std::string &path) {
    return status == engine::kExitNormal && !validateRunParameters(parameters).refused() &&
           engineFileNameProblem(path).empty();
}

std::shared_ptr<Results> run(const py::object &modelOrPath, const py::object &threads) {
    engine::EngineOptions options;
    if (!threads.is_none()) {
        const long n = threads.cast<long>();
        // The engine starts no more threads than the machine has; a count
        // far beyond any machine's is a mistake.
        if (n < 1 || n > kMaxThreads)
            throw py::value_error("threads must be between 1 and " + std::to_string(kMaxThreads) +
                                  " (None: one per core)");
        options.threads = static_cast<unsigned>(n);
    }
    auto tables = std::make_shared<engine::RunTables>();
    auto results = std::make_shared<Results>();
    std::ostringstream console, errors;
    int status;
    auto fill = [&] {
        if (status == engine::kExitNormal && tables->parameters.yearMode == IrrigationYear) {
            fillRunEntries(results->results, *tables, &results->types);
            results->pending.assign(results->results.locations.size(), 1);
        }
    };
    if (py::isinstance<Model>(modelOrPath)) {
        const Model &model = modelOrPath.cast<const Model &>();
        // The deck is handed over in memory: no file name to judge, and the
        // synthesized years are the warning below.
        ValidationOptions memory;
        memory.synthesis = false;
        refuseUnrunnable(model.doc.model, validateModel(model.doc.model, memory));
        results->source = model.doc.path().empty() ? "<model in memory>" : model.doc.path();
        if (model.doc.historicalDataChanged && model.doc.model.synthesizeFormat < 4 &&
            PyErr_WarnEx(PyExc_UserWarning,
                         "the synthesized data may not match the changed historical data under the model's "
                         "synthesis method",
                         1) != 0)
            throw py::error_already_set();
        // The deck is the model file as Model.write would write it.
        engine::DeckSource deck{results->source + " (in memory)", modelInputText(model.doc.model)};
        py::gil_scoped_release release;
        status = engine::runEngine(std::move(deck), *tables, options, console, errors);
        fill();
    } else {
        results->source = pathArgument(modelOrPath);
        // Read once, by the engine; a file that does not open is left to the
        // engine, which says so.
        {
            py::gil_scoped_release release;
            status = engine::runEngine({results->source, std::nullopt}, *tables, options, console, errors);
        }
        if (!judgedByTheEngine(status, tables->parameters, results->source)) {
            const ModelFileCheck check = checkModelFile(results->source);
            if (check.read.changed) refuseUnrunnable(check.model, check.validation);
        }
        py::gil_scoped_release release;
        fill();
    }
    if (status != engine::kExitNormal) {
        const std::string line = consoleLine(errors.str().empty() ? console.str() : errors.str());
        raiseError(errorTypes().runError, line, {{"status", py::int_(status)}});
    }
    if (tables->parameters.yearMode != IrrigationYear)
        // The engine reads every table as NOV..OCT: another year type would
        // give months that are not the ones the model holds.
        raiseError(errorTypes().runError,
                   "The model can only run in Irrigation Year format (its year type is " +
                       std::to_string(tables->parameters.yearMode) + ").",
                   {{"status", py::none()}});
    results->run = std::move(tables);
    return results;
}

} // namespace

const LocationResult &entryOf(const Results &r, std::size_t i) {
    if (i < r.pending.size() && r.pending[i]) {
        fillRunEntryTables(r.results, *r.run, i);
        r.pending[i] = 0;
    }
    return r.results.locations[i];
}

OutputResults &completed(const Results &r) {
    for (std::size_t i = 0; i < r.pending.size(); ++i)
        entryOf(r, i);
    return r.results;
}

void bindRun(py::module_ &m) {
    m.def("run", &run, py::arg("model_or_path"), py::kw_only(), py::arg("threads") = py::none(),
          R"doc(Runs the engine on a vek.Model, or on the model input file at a path, in
this process, and returns its vek.Results.

The computation is the one the vek program makes (the same single-precision
numbers; Results.write_report writes the same report, byte for byte), but no
report is written or read. Locations are computed on `threads` threads (None:
one per core; never more than the machine's hardware threads); the results
do not depend on the number. Other Python threads
run meanwhile.

Only Irrigation Year models run. A model that Model.validate finds refused
(for a path: that vektool check refuses) is not run: vek.RunError says why,
with the message VEKView's Run shows, and its status is None. vek.RunError
carries the engine's console line when the engine stops (a run-time error). A model whose historical values changed since its
synthesized years were made gives a UserWarning.)doc");
}

} // namespace vek::python
