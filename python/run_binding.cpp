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

namespace vek::python {

namespace {

constexpr long kMaxThreads = 256;

// One table of the results from the engine's 1-based monthly volumes, with
// the totals and averages the report prints.
void fillTable(LocationResult &loc, const engine::Real *monthly, long long runYears, bool stream) {
    const engine::report::TableSums sums = engine::report::tableSums(monthly, runYears);
    for (long long y = 0; y < runYears; ++y) {
        YearRow &row = loc.rows[static_cast<std::size_t>(y)];
        float *months = stream ? row.stream : row.diversion;
        for (int m = 0; m < 12; ++m)
            months[m] = monthly[1 + 12 * y + m];
        (stream ? row.streamTotal : row.diversionTotal) = sums.rowTotals[static_cast<std::size_t>(y)];
    }
    YearRow &avg = loc.rows.back();
    for (int m = 0; m < 12; ++m)
        (stream ? avg.stream : avg.diversion)[m] = sums.monthAverage[m];
    (stream ? avg.streamTotal : avg.diversionTotal) = sums.totalAverage;
    accumulateTotals(loc, stream);
}

// The results a report of this run reads back as, without the report: the
// heading facts, the entries the report holds, their tables at full
// precision.
void fillResults(Results &out, const engine::RunTables &run) {
    using engine::ReportLayout;
    const engine::RunParameters &p = run.parameters;
    OutputResults &r = out.results;
    r.yearType = IrrigationYear;
    r.firstPrintYear = p.outputStartYear;
    r.lastPrintYear = p.outputEndYear;
    r.setSynthesizedYears(p.inputEndYear, engine::headingSynthesizedYears(p));
    r.synthesisText = std::string(trim(engine::report::synthesisLine(p)));
    r.conversionText = std::string(trim(engine::report::conversionLine(p)));
    const ReportLayout layout = engine::layoutFor(p.outputFormat);
    if (layout == ReportLayout::Untitled) return; // the report holds no titled table
    r.units = std::string(trim(engine::report::unitsLine()));
    r.monthHeader = std::string(trim(engine::report::tableHeader()));

    const auto rows = static_cast<std::size_t>(run.counts.runYears + 1);
    for (const engine::RunTables::Location &l : run.locations) {
        LocationResult loc;
        // The name as the report prints it: its first 60 characters.
        loc.name = std::string(trim(std::string_view(l.name).substr(0, 60)));
        loc.depletionFactor = l.factor;
        loc.rows.assign(rows, YearRow());
        fillTable(loc, l.diversion.data(), run.counts.runYears, false);
        fillTable(loc, l.effect.data(), run.counts.runYears, true);
        r.locations.push_back(std::move(loc));
        out.types.emplace_back(l.locationType == 1 ? "Recharge site" : "Irrig. well");
    }
    // The summaries, from the engine's summary columns: recharge sites, wells, all locations.
    const int columns[3] = {1, 3, 4};
    for (int e = 0; e < 3; ++e) {
        const SummaryEntry &s = kSummaryEntries[e];
        const int column = columns[e];
        LocationResult loc;
        loc.name = s.name;
        loc.kind = s.kind;
        loc.rows.assign(rows, YearRow());
        if (loc.hasDiversion()) fillTable(loc, run.summaries.diversion(column), run.counts.runYears, false);
        fillTable(loc, run.summaries.effect(column), run.counts.runYears, true);
        r.locations.push_back(std::move(loc));
        out.types.emplace_back("summary");
    }
    // Each reach's net impact, as the report prints it after the summaries.
    for (const engine::ReachTotals &reach : run.reaches.reaches) {
        LocationResult loc;
        loc.name = std::string(trim(std::string_view(reach.name).substr(0, 60)));
        loc.kind = LocationResult::Kind::Reach;
        loc.rows.assign(rows, YearRow());
        fillTable(loc, reach.effect.data(), run.counts.runYears, true);
        r.locations.push_back(std::move(loc));
        out.types.emplace_back("reach");
    }
}

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

std::shared_ptr<Results> run(const py::object &modelOrPath, const py::object &threads) {
    engine::EngineOptions options;
    if (!threads.is_none()) {
        const long n = threads.cast<long>();
        // Each thread holds a location's tables: a count far beyond any
        // machine's cores would only exhaust memory.
        if (n < 1 || n > kMaxThreads)
            throw py::value_error("threads must be between 1 and " + std::to_string(kMaxThreads) +
                                  " (None: one per core)");
        options.threads = static_cast<unsigned>(n);
    }
    engine::DeckSource deck;
    std::string source;
    if (py::isinstance<Model>(modelOrPath)) {
        const Model &model = modelOrPath.cast<const Model &>();
        // The deck is handed over in memory: no file name to judge, and the
        // synthesized years are the warning below.
        ValidationOptions memory;
        memory.synthesis = false;
        refuseUnrunnable(model.doc.model, validateModel(model.doc.model, memory));
        source = model.doc.path().empty() ? "<model in memory>" : model.doc.path();
        if (model.doc.historicalDataChanged && model.doc.model.synthesizeFormat < 4 &&
            PyErr_WarnEx(PyExc_UserWarning,
                         "the synthesized data may not match the changed historical data under the model's "
                         "synthesis method",
                         1) != 0)
            throw py::error_already_set();
        // The deck is the model file as Model.write would write it.
        deck.path = source + " (in memory)";
        deck.text = modelInputText(model.doc.model);
    } else {
        source = pathArgument(modelOrPath);
        // A file that does not open is left to the engine, which says so.
        const ModelFileCheck check = checkModelFile(source);
        if (check.read.changed) refuseUnrunnable(check.model, check.validation);
        deck.path = source;
    }

    auto tables = std::make_shared<engine::RunTables>();
    auto results = std::make_shared<Results>();
    results->source = source;
    std::ostringstream console, errors;
    int status;
    {
        py::gil_scoped_release release;
        status = engine::runEngine(std::move(deck), *tables, options, console, errors);
        if (status == engine::kExitNormal && tables->parameters.yearMode == IrrigationYear)
            fillResults(*results, *tables);
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

void bindRun(py::module_ &m) {
    m.def("run", &run, py::arg("model_or_path"), py::kw_only(), py::arg("threads") = py::none(),
          R"doc(Runs the engine on a vek.Model, or on the model input file at a path, in
this process, and returns its vek.Results.

The computation is the one the vek program makes (the same single-precision
numbers; Results.write_report writes the same report, byte for byte), but no
report is written or read. Locations are computed on `threads` threads (None:
one per core); the results do not depend on the number. Other Python threads
run meanwhile.

Only Irrigation Year models run. A model that Model.validate finds refused
(for a path: that vektool check refuses) is not run: vek.RunError says why,
with the message VEKView's Run shows, and its status is None. vek.RunError
carries the engine's console line when the engine stops (a run-time error). A model whose historical values changed since its
synthesized years were made gives a UserWarning.)doc");
}

} // namespace vek::python
