// vek.Ranges and vek.uncertainty: sampled runs of a model in this process,
// their bands as the columns of a tidy frame and their samples as arrays.
#include "python/bindings.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "common/numbers.h"
#include "facts/vek_facts.h"

#include "engine/ranges_section.h"
#include "engine/uncertainty.h"
#include "model/input_file.h"
#include "results/text_decoding.h"
#include "results/uncertainty_export.h"

namespace vek::python {

namespace {

struct UncertaintyRun {
    engine::UncertaintyResults results; // with the seed and design drawn from
    engine::Ranges ranges;              // those the samples were drawn from
};

// The designs by their names in Python ("mc", "lhs").
const char *designName(engine::Design d) { return d == engine::Design::LatinHypercube ? "lhs" : "mc"; }
engine::Design designNamed(const std::string &name) {
    return name == "lhs" ? engine::Design::LatinHypercube : engine::Design::MonteCarlo;
}

engine::Ranges rangesArgument(const py::handle &ranges) {
    if (!py::isinstance<engine::Ranges>(ranges)) throw py::type_error("ranges must be a vek.Ranges or None");
    return ranges.cast<engine::Ranges>();
}

void addRange(engine::Ranges &ranges, const std::string &quantity, const std::string &distribution,
              const py::object &location, const py::kwargs &fields) {
    engine::ParameterRange e;
    if (!engine::quantityFromName(quantity, e.quantity))
        throw py::value_error("unknown quantity \"" + quantity + "\" (factor, a, S, T, parameter, pumping)");
    if (!engine::distributionFromName(distribution, e.range.distribution))
        throw py::value_error("unknown distribution \"" + distribution +
                              "\" (fixed, uniform, loguniform, triangular, normal, lognormal)");
    if (!location.is_none()) {
        e.location = location.cast<long long>();
        if (e.location < 1) throw py::value_error("location is a place in the model file, from 1 (None: all)");
    }
    std::vector<std::pair<std::string, double>> values;
    for (const auto &[key, value] : fields) {
        const std::string name = key.cast<std::string>();
        if (name == "shared")
            e.shared = value.cast<bool>();
        else
            values.emplace_back(name, value.cast<double>());
    }
    if (std::string problem = engine::rangeFromFields(e.range.distribution, values, e.range); !problem.empty())
        throw py::value_error(problem);
    for (const engine::ParameterRange &other : ranges.entries)
        if (other.quantity == e.quantity && other.location == e.location)
            throw py::value_error("a range of " + quantity + " for that location is given already");
    ranges.entries.push_back(e);
}

py::dict entryDict(const engine::ParameterRange &e) {
    py::dict d;
    d["quantity"] = engine::quantityName(e.quantity);
    d["location"] = e.location ? py::object(py::int_(e.location)) : py::object(py::none());
    d["distribution"] = engine::distributionName(e.range.distribution);
    d["value"] = e.range.value;
    d["sd"] = e.range.spread;
    d["low"] = e.range.low;
    d["high"] = e.range.high;
    d["shared"] = e.shared;
    return d;
}

std::shared_ptr<UncertaintyRun> uncertainty(const py::object &modelOrPath, const py::object &ranges, long samples,
                                            unsigned long long seed, const std::string &design,
                                            const py::object &threads, bool keepSamples, long first,
                                            const py::object &count) {
    engine::UncertaintyOptions options;
    if (samples < 1) throw py::value_error("n must be 1 or more");
    if (first < 0 || first >= samples) throw py::value_error("first must be a sample of the n, from 0");
    const long asked = count.is_none() ? samples - first : count.cast<long>();
    if (asked < 1 || asked > samples - first) throw py::value_error("count must be 1 to n - first (None: the rest)");
    options.first = static_cast<std::size_t>(first);
    options.count = static_cast<std::size_t>(asked);
    if (design != "mc" && design != "lhs") throw py::value_error("design is \"mc\" or \"lhs\"");
    options.samples = static_cast<std::size_t>(samples);
    options.seed = seed;
    options.design = designNamed(design);
    options.locationMonths = keepSamples;
    if (!threads.is_none()) {
        const long n = threads.cast<long>();
        if (n < 1 || n > 256) throw py::value_error("threads must be between 1 and 256 (None: one per core)");
        options.engine.threads = static_cast<unsigned>(n);
    }
    engine::DeckSource deck;
    engine::Ranges own;
    if (py::isinstance<Model>(modelOrPath)) {
        const Model &model = modelOrPath.cast<const Model &>();
        deck = {model.doc.path().empty() ? "<model in memory>" : model.doc.path(), modelInputText(model.doc.model)};
        own = model.doc.model.allRanges();
    } else {
        deck.path = pathArgument(modelOrPath);
        ModelInput read;
        const OperationResult r = readModelInput(read, deck.path);
        if (r.error) raiseError(errorTypes().readError, r.error->message);
        deck.text = modelInputText(read);
        own = read.allRanges();
    }
    const engine::Ranges chosen = ranges.is_none() ? own : rangesArgument(ranges);
    auto run = std::make_shared<UncertaintyRun>();
    run->ranges = chosen;
    std::ostringstream console, errors;
    std::string failure;
    {
        py::gil_scoped_release release;
        engine::PreparedModel model;
        if (engine::prepareModel(std::move(deck), model, console, errors) != engine::kExitNormal)
            failure = trim(errors.str().empty() ? console.str() : errors.str());
        else if (failure = engine::rangesProblem(model, chosen); failure.empty())
            run->results = engine::runUncertainty(model, chosen, options);
    }
    if (!failure.empty()) raiseError(errorTypes().runError, failure, {{"status", py::none()}});
    return run;
}

// The columns of UncertaintyResults.quantiles: codes and categories for
// result, period and month.
py::dict bandColumnsOf(const UncertaintyRun &run, const std::vector<double> &percents) {
    std::vector<BandRow> rows;
    {
        py::gil_scoped_release release;
        rows = bandRows(run.results, percents);
    }
    const std::size_t n = rows.size(), k = percents.size();
    py::array_t<std::int32_t> result(static_cast<py::ssize_t>(n)), period(static_cast<py::ssize_t>(n)),
        year(static_cast<py::ssize_t>(n)), month(static_cast<py::ssize_t>(n));
    py::array_t<long long> location(static_cast<py::ssize_t>(n));
    py::array_t<double> base(static_cast<py::ssize_t>(n));
    py::array_t<double> q({static_cast<py::ssize_t>(k), static_cast<py::ssize_t>(n)});
    std::vector<std::string> months;
    for (std::size_t j = 0; j < 13; ++j)
        months.push_back(j < 12 ? calendarMonthAbbreviation(calendarMonth(IrrigationYear, static_cast<int>(j)))
                                : "TOTAL");
    auto r = result.mutable_unchecked<1>();
    auto p = period.mutable_unchecked<1>();
    auto y = year.mutable_unchecked<1>();
    auto m = month.mutable_unchecked<1>();
    auto l = location.mutable_unchecked<1>();
    auto b = base.mutable_unchecked<1>();
    auto qs = q.mutable_unchecked<2>();
    for (std::size_t i = 0; i < n; ++i) {
        const BandRow &row = rows[i];
        const auto at = static_cast<py::ssize_t>(i);
        r(at) = static_cast<std::int32_t>(row.series);
        p(at) = row.period[0] == 'm' ? 0 : row.period[0] == 'y' ? 1 : 2;
        y(at) = row.year;
        m(at) = static_cast<std::int32_t>(std::find(months.begin(), months.end(), row.month) - months.begin());
        l(at) = run.results.series[row.series].location;
        b(at) = row.base;
        for (std::size_t c = 0; c < k; ++c)
            qs(static_cast<py::ssize_t>(c), at) = row.quantiles[c];
    }
    py::list names;
    for (const auto &s : run.results.series)
        names.append(decodeReportText(s.name));
    py::dict d;
    d["result"] = py::make_tuple(result, names);
    d["location"] = location;
    d["period"] = py::make_tuple(period, std::vector<std::string>{"month", "year", "average"});
    d["year"] = year;
    d["month"] = py::make_tuple(month, months);
    d["deterministic"] = base;
    d["quantiles"] = q;
    d["columns"] = bandColumns(percents);
    return d;
}

// Series x samples x months of sampled values, or of the run without
// ranges (samples 1).
py::array_t<float> samplesArray(const UncertaintyRun &run) {
    const engine::UncertaintyResults &r = run.results;
    for (const auto &s : r.series)
        if (s.months.empty())
            throw py::value_error("the run kept the months of the summaries only (keep_samples=False)");
    const auto series = r.series.size(), n = r.samples, months = static_cast<std::size_t>(r.months);
    py::array_t<float> out(
        {static_cast<py::ssize_t>(series), static_cast<py::ssize_t>(n), static_cast<py::ssize_t>(months)});
    float *data = out.mutable_data();
    {
        py::gil_scoped_release release;
        for (std::size_t s = 0; s < series; ++s)
            for (std::size_t m = 0; m < months; ++m)
                for (std::size_t k = 0; k < n; ++k)
                    data[(s * n + k) * months + m] = r.series[s].months[m * n + k];
    }
    py::array a = out;
    makeReadOnly(a);
    return out;
}

py::bytes floatBytes(const std::vector<float> &v) {
    return v.empty() ? py::bytes() : py::bytes(reinterpret_cast<const char *>(v.data()), v.size() * sizeof(float));
}

std::vector<float> bytesFloats(const py::handle &b) {
    const std::string text = b.cast<std::string>();
    std::vector<float> v(text.size() / sizeof(float));
    if (!v.empty()) std::memcpy(v.data(), text.data(), v.size() * sizeof(float));
    return v;
}

// A run as plain values, so that one made by a worker process comes back whole.
py::tuple runState(const UncertaintyRun &run) {
    const engine::UncertaintyResults &r = run.results;
    py::list series;
    for (const engine::SampledSeries &s : r.series)
        series.append(py::make_tuple(py::bytes(s.name), s.location, floatBytes(s.months), floatBytes(s.years),
                                     floatBytes(s.average), floatBytes(s.baseMonths), floatBytes(s.baseYears),
                                     floatBytes(s.baseAverage), s.reach));
    std::string ranges;
    for (const std::string &line : engine::rangesSectionLines(run.ranges))
        ranges += line + "\n";
    return py::make_tuple(1, r.seed, designName(r.design), r.samples, r.first, r.months, r.years, r.firstYear, series,
                          r.locations, r.designSamples, py::bytes(ranges));
}

// Whether restored results hold what their counts say (a damaged state
// would otherwise be read past its ends).
bool consistent(const engine::UncertaintyResults &r) {
    if (r.months < 0 || r.years < 0 || r.locations + 3 > r.series.size() || r.first + r.samples > r.designSamples)
        return false;
    const auto months = static_cast<std::size_t>(r.months), years = static_cast<std::size_t>(r.years);
    for (const engine::SampledSeries &s : r.series)
        if ((!s.months.empty() && s.months.size() != months * r.samples) || s.years.size() != years * r.samples ||
            s.average.size() != 13 * r.samples || s.baseMonths.size() != months || s.baseYears.size() != years ||
            s.baseAverage.size() != 13)
            return false;
    return true;
}

std::shared_ptr<UncertaintyRun> runFromState(const py::tuple &t) {
    if (t.size() != 12 || t[0].cast<int>() != 1) throw py::value_error("not the state of a vek.UncertaintyResults");
    auto run = std::make_shared<UncertaintyRun>();
    engine::UncertaintyResults &r = run->results;
    r.seed = t[1].cast<std::uint64_t>();
    r.design = designNamed(t[2].cast<std::string>());
    r.samples = t[3].cast<std::size_t>();
    r.first = t[4].cast<std::size_t>();
    r.months = t[5].cast<long long>();
    r.years = t[6].cast<long long>();
    r.firstYear = t[7].cast<int>();
    r.locations = t[9].cast<std::size_t>();
    r.designSamples = t[10].cast<std::size_t>();
    run->ranges = engine::findRangesSection(t[11].cast<std::string>()).ranges;
    for (const py::handle &h : t[8].cast<py::list>()) {
        const py::tuple s = h.cast<py::tuple>();
        r.series.push_back({s[0].cast<std::string>(), s[1].cast<long long>(), bytesFloats(s[2]), bytesFloats(s[3]),
                            bytesFloats(s[4]), bytesFloats(s[5]), bytesFloats(s[6]), bytesFloats(s[7]),
                            s[8].cast<long long>()});
    }
    if (!consistent(r)) throw py::value_error("not the state of a vek.UncertaintyResults");
    return run;
}

std::shared_ptr<UncertaintyRun> joinRuns(const std::vector<std::shared_ptr<UncertaintyRun>> &parts) {
    if (parts.empty()) throw py::value_error("no parts to join");
    std::vector<engine::UncertaintyResults> results;
    for (const auto &part : parts) {
        if (!part) throw py::type_error("parts must be vek.UncertaintyResults");
        const engine::UncertaintyResults &r = part->results, &head = parts.front()->results;
        if (r.seed != head.seed || r.design != head.design || !(part->ranges == parts.front()->ranges))
            throw py::value_error("the parts have different seeds, designs or ranges");
        results.push_back(part->results);
    }
    auto run = std::make_shared<UncertaintyRun>();
    run->ranges = parts.front()->ranges;
    try {
        run->results = engine::joinSamples(results);
    } catch (const std::invalid_argument &e) {
        throw py::value_error(e.what());
    }
    return run;
}

// The index into the results of a result named or numbered, or of all locations.
std::size_t resultArgument(const UncertaintyRun &run, const py::object &result) {
    const engine::UncertaintyResults &r = run.results;
    if (result.is_none()) return r.allLocations();
    if (py::isinstance<py::int_>(result)) {
        const long k = result.cast<long>();
        if (k < 0 || static_cast<std::size_t>(k) >= r.series.size()) throw py::index_error("no such result");
        return static_cast<std::size_t>(k);
    }
    const std::string name = result.cast<std::string>();
    for (std::size_t s = 0; s < r.series.size(); ++s)
        if (decodeReportText(r.series[s].name) == name) return s;
    throw py::value_error("no result named \"" + name + "\"");
}

py::list firstOrder(const UncertaintyRun &run, const py::object &result) {
    const std::size_t which = resultArgument(run, result);
    std::vector<engine::FirstOrderIndex> indices;
    {
        py::gil_scoped_release release;
        indices = engine::firstOrderIndices(run.results, run.ranges, which);
    }
    py::list out;
    for (const engine::FirstOrderIndex &f : indices) {
        py::dict d;
        d["quantity"] = engine::quantityName(f.quantity);
        d["location"] = f.location ? py::object(py::int_(f.location)) : py::object(py::none());
        d["first_order"] = f.index;
        out.append(d);
    }
    return out;
}

void bindRanges(py::module_ &m, ModelClass &model) {
    py::class_<engine::Ranges> ranges(m, "Ranges", R"doc(Uncertainty ranges of a model's quantities for vek.uncertainty.

Each range gives one quantity of one location (its place in the model file,
from 1) or of all locations (location None, for those without a range of
their own) a distribution. Model.ranges holds a model's own, which its file
keeps.)doc");
    ranges.def(py::init<>(), "No ranges.");
    ranges.def("add", &addRange, py::arg("quantity"), py::arg("distribution"), py::arg("location") = py::none(),
               R"doc(Adds a range: add(quantity, distribution, location=None, **fields).

quantity: "factor" (days), "a", "S", "T" (giving the factor a^2 S / T; a location
with one needs all three), "parameter" (a/W or lambda'), "pumping" (a multiplier).
distribution and its fields: "fixed" value=; "uniform" and "loguniform" low=,
high=; "triangular" low=, mode=, high=; "normal" mean=, sd=, low=, high= (cut
to low..high); "lognormal" median=, sd= (of ln x), low=, high=. shared=True
draws one value per sample for every location the range applies to.)doc");
    ranges.def_property_readonly(
        "entries",
        [](const engine::Ranges &r) {
            py::list out;
            for (const auto &e : r.entries)
                out.append(entryDict(e));
            return out;
        },
        "The ranges as dicts: quantity, location (None: all), distribution, value (the fixed value, mode, mean or "
        "median), sd, low, high, shared.");
    ranges.def("__len__", [](const engine::Ranges &r) { return r.entries.size(); });
    ranges.def(
        "__eq__", [](const engine::Ranges &a, const engine::Ranges &b) { return a == b; }, py::is_operator());
    ranges.def("__repr__", [](const engine::Ranges &r) {
        std::string text;
        for (const std::string &line : engine::rangesSectionLines(r))
            text += line + "\n";
        return "vek.Ranges(" + std::to_string(r.entries.size()) + " ranges)" + (text.empty() ? "" : "\n" + text);
    });
    model.def_property(
        "ranges", [](const Model &mo) { return mo.doc.model.allRanges(); },
        [](Model &mo, const engine::Ranges &r) {
            if (std::string problem = mo.doc.model.setAllRanges(r); !problem.empty()) throw py::value_error(problem);
            mo.doc.setModified(true);
        },
        "The model's uncertainty ranges (a vek.Ranges copy; assign one to change them; Model.write keeps them).");
}

void bindUncertaintyResults(py::module_ &m) {
    py::class_<UncertaintyRun, std::shared_ptr<UncertaintyRun>> results(
        m, "UncertaintyResults", "The samples of vek.uncertainty and the run without ranges.");
    results.def_property_readonly(
        "n", [](const UncertaintyRun &r) { return r.results.samples; }, "The samples run.");
    results.def_property_readonly(
        "seed", [](const UncertaintyRun &r) { return r.results.seed; }, "The draws' seed.");
    results.def_property_readonly(
        "design", [](const UncertaintyRun &r) { return designName(r.results.design); }, "\"mc\" or \"lhs\".");
    results.def_property_readonly(
        "names",
        [](const UncertaintyRun &r) {
            py::list names;
            for (const auto &s : r.results.series)
                names.append(decodeReportText(s.name));
            return names;
        },
        "The results' names: the used locations in file order, then RECHARGE SITES, WELLS, ALL LOCATIONS, then "
        "REACH and each stream reach's name (a model with reaches).");
    results.def_property_readonly(
        "first_year", [](const UncertaintyRun &r) { return r.results.firstYear; }, "The first year row.");
    results.def_property_readonly("samples", &samplesArray,
                                  "Sampled depletion (acre-feet, wells negative) as a float32 array of results x "
                                  "samples x months (a copy, made when asked for).");
    results.def_property_readonly(
        "deterministic",
        [](const UncertaintyRun &r) {
            const auto series = r.results.series.size(), months = static_cast<std::size_t>(r.results.months);
            py::array_t<float> out({static_cast<py::ssize_t>(series), static_cast<py::ssize_t>(months)});
            for (std::size_t s = 0; s < series; ++s)
                std::copy(r.results.series[s].baseMonths.begin(), r.results.series[s].baseMonths.end(),
                          out.mutable_data() + s * months);
            return out;
        },
        "The run without ranges: results x months (float32).");
    results.def_property_readonly(
        "first", [](const UncertaintyRun &r) { return r.results.first; },
        "The design's sample (from 0) the first of these is: 0 but for a part.");
    results.def_static("join", &joinRuns, py::arg("parts"),
                       R"doc(The parts of one design (vek.uncertainty's first= and count=, in order,
each following the one before) joined into the results of the run of all of
them: the same samples, bands and quantiles, bit for bit.)doc");
    results.def(py::pickle(&runState, &runFromState));
    results.def("first_order", &firstOrder, py::arg("result") = py::none(),
                R"doc(The first-order Sobol' index of each range that is not fixed, for the
average annual depletion of a result (its name or its index into names; None:
ALL LOCATIONS), estimated from the samples run: the samples sorted by the
range's draw and cut into floor(sqrt(n)) bins, S = variance of the bins'
means / variance of all (binned given-data estimate; biased up by about
(1 - S) / sqrt(n)). NaN below 100 samples. A list of dicts: quantity,
location (None: a shared range), first_order; one for each tornado bar, in
the ranges' order.)doc");
    results.def("_columns", &bandColumnsOf, py::arg("percents"), "Columns of UncertaintyResults.quantiles.");
}

} // namespace

void bindUncertainty(py::module_ &m, ModelClass &model) {
    bindRanges(m, model);
    bindUncertaintyResults(m);
    m.def("uncertainty", &uncertainty, py::arg("model_or_path"), py::arg("ranges") = py::none(), py::arg("n") = 100,
          py::kw_only(), py::arg("seed") = 0, py::arg("design") = "mc", py::arg("threads") = py::none(),
          py::arg("keep_samples") = true, py::arg("first") = 0, py::arg("count") = py::none(),
          R"doc(Runs a vek.Model, or the model file at a path, n times with values drawn from
its ranges (a vek.Ranges; None: the model's own) and returns the
vek.UncertaintyResults.

design "mc" (Monte Carlo) or "lhs" (Latin hypercube); the same seed gives the
same samples, bit for bit, on every machine and for any threads. The samples
run on all cores (threads: how many at once), reading the model once; other
Python threads run meanwhile. keep_samples=False keeps every month of the
summaries only (the years and average year of every location), for models
too large to keep them all.

first and count run only samples first .. first + count - 1 of the n (count
None: to the last), each with the values the run of all n gives it, so that
one model's samples can be split into parts run on other processes or
machines and joined by vek.UncertaintyResults.join.)doc");
}

} // namespace vek::python
