// Sampled runs, their quantiles and the one-at-a-time sensitivity.
#include "engine/uncertainty.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>

#include "engine/report_writer.h"

namespace vek::engine {

namespace {

constexpr std::array<const char *, kUncertainQuantities> kQuantityNames{"factor", "a",         "S",
                                                                        "T",      "parameter", "pumping"};
constexpr std::array<const char *, 6> kDistributionNames{"fixed",      "uniform", "loguniform",
                                                         "triangular", "normal",  "lognormal"};
constexpr std::array<const char *, 3> kSummaryNames{"RECHARGE SITES", "WELLS", "ALL LOCATIONS"};
constexpr std::array<int, 3> kSummaryColumns{1, 3, 4};

int index(UncertainQuantity q) { return static_cast<int>(q); }
bool isAquifer(int q) {
    return q >= index(UncertainQuantity::Distance) && q <= index(UncertainQuantity::Transmissivity);
}

using Entries = std::array<const ParameterRange *, kUncertainQuantities>;

// Each location's (by its position in the file) range of each quantity:
// its own, else the one for all.
std::vector<Entries> entriesOf(const std::vector<long long> &positions, const Ranges &ranges) {
    std::vector<Entries> at(positions.size(), Entries{});
    for (int pass = 0; pass < 2; ++pass) { // those for all first, then each location's own over them
        for (const ParameterRange &e : ranges.entries) {
            if ((e.location != 0) != (pass == 1)) continue;
            for (std::size_t i = 0; i < positions.size(); ++i)
                if (e.location == 0 || e.location == positions[i]) at[i][index(e.quantity)] = &e;
        }
    }
    return at;
}

// The model's locations' positions in the file, in its order.
std::vector<long long> positionsOf(const PreparedModel &model) {
    std::vector<long long> positions;
    for (const DeckLocation &l : model.locations)
        positions.push_back(l.position);
    return positions;
}

std::vector<Entries> entriesOf(const PreparedModel &model, const Ranges &ranges) {
    return entriesOf(positionsOf(model), ranges);
}

std::string entryText(const ParameterRange &e) {
    return std::string("the range of ") + quantityName(e.quantity) +
           (e.location == 0 ? std::string(" for all locations") : " for location " + std::to_string(e.location));
}

std::string locationProblem(const DeckLocation &l, const Entries &at) {
    const int aquifer = (at[1] ? 1 : 0) + (at[2] ? 1 : 0) + (at[3] ? 1 : 0);
    const std::string where = "location " + std::to_string(l.position) + ": ";
    if (aquifer != 0 && aquifer != 3) return where + "a, S and T need ranges all three, or none";
    if (aquifer == 3 && at[0] && at[0]->location == l.position)
        return where + "a range of the factor and of a, S and T at once";
    return {};
}

std::uint64_t locationKey(const ParameterRange &e, const DeckLocation &l) {
    return e.shared ? 0u : static_cast<std::uint64_t>(l.position);
}

// A location's varied values from `valueOf(i, q, entry)`: a value, or none
// for the model's own. The factor comes from a, S and T when they have ranges.
template <typename ValueOf>
RunVariation variationOf(const PreparedModel &model, const std::vector<Entries> &at, ValueOf valueOf) {
    RunVariation v;
    const std::size_t n = model.locations.size();
    bool any[kUncertainQuantities] = {};
    for (const Entries &e : at)
        for (int q = 0; q < kUncertainQuantities; ++q)
            any[q] = any[q] || e[q];
    if (any[0] || any[1]) v.factor.resize(n);
    if (any[4]) v.parameter.resize(n);
    if (any[5]) v.pumping.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const LocationResponse &r = model.locations[i].response;
        auto value = [&](int q, double own) {
            const std::optional<double> x = at[i][q] ? valueOf(i, q, *at[i][q]) : std::nullopt;
            return x ? *x : own;
        };
        if (!v.factor.empty()) {
            if (at[i][1]) {
                const double a = value(1, 0.0), s = value(2, 0.0), t = value(3, 1.0);
                v.factor[i] = static_cast<Real>(a * a * s / t);
            } else {
                v.factor[i] = static_cast<Real>(value(0, r.factor));
            }
        }
        if (!v.parameter.empty()) v.parameter[i] = static_cast<Real>(value(4, r.parameter));
        if (!v.pumping.empty()) v.pumping[i] = static_cast<Real>(value(5, 1.0));
    }
    return v;
}

// Where one run's results go: sample k of n.
struct Slot {
    std::size_t k = 0, n = 1;
};

void record(const Real *effect, long long months, long long years, bool keepMonths, Slot at, std::vector<float> &m,
            std::vector<float> &y, std::vector<float> &avg) {
    if (keepMonths)
        for (long long j = 0; j < months; ++j)
            m[static_cast<std::size_t>(j) * at.n + at.k] = effect[j + 1];
    const report::TableSums sums = report::tableSums(effect, years);
    for (std::size_t j = 0; j < sums.rowTotals.size(); ++j)
        y[j * at.n + at.k] = sums.rowTotals[j];
    for (std::size_t j = 0; j < 12; ++j)
        avg[j * at.n + at.k] = sums.monthAverage[j];
    avg[12 * at.n + at.k] = sums.totalAverage;
}

const Real *seriesEffect(const PreparedRunner &runner, const RunTables &tables, std::size_t s) {
    const std::size_t n = runner.volumes().size();
    if (s < n) return runner.volumes()[s].effect.data();
    if (s < n + kSummaryNames.size()) return tables.summaries.effect(kSummaryColumns[s - n]);
    return tables.reaches.reaches[s - n - kSummaryNames.size()].effect.data();
}

std::size_t seriesCount(const PreparedModel &model) {
    return model.locations.size() + kSummaryNames.size() + model.reaches.reaches.size();
}

std::string trimmed(const std::string &name) {
    const std::size_t end = name.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

// The results' series, sized for `samples`, and the run without ranges.
UncertaintyResults startResults(const PreparedModel &model, const UncertaintyOptions &options, std::size_t count) {
    UncertaintyResults out;
    out.samples = count;
    out.first = options.first;
    out.seed = options.seed;
    out.design = options.design;
    out.designSamples = options.samples;
    out.months = model.counts.runMonths;
    out.years = model.counts.runYears;
    out.firstYear = model.parameters.outputStartYear;
    const std::size_t n = model.locations.size(), named = n + kSummaryNames.size();
    out.locations = n;
    out.series.resize(seriesCount(model));
    PreparedRunner runner(model, options.engine);
    RunTables tables;
    runner.run({}, tables);
    const auto months = static_cast<std::size_t>(out.months), years = static_cast<std::size_t>(out.years);
    for (std::size_t s = 0; s < out.series.size(); ++s) {
        SampledSeries &series = out.series[s];
        const bool keepMonths = s >= n || options.locationMonths;
        series.name = s < n       ? trimmed(model.locations[s].name)
                      : s < named ? kSummaryNames[s - n]
                                  : "REACH " + trimmed(model.reaches.reaches[s - named].name);
        series.location = s < n ? model.locations[s].position : 0;
        series.reach = s < named ? 0 : static_cast<long long>(s - named + 1);
        series.months.assign(keepMonths ? months * count : 0, 0.0f);
        series.years.assign(years * count, 0.0f);
        series.average.assign(13 * count, 0.0f);
        series.baseMonths.assign(months, 0.0f);
        series.baseYears.assign(years, 0.0f);
        series.baseAverage.assign(13, 0.0f);
        record(seriesEffect(runner, tables, s), out.months, out.years, true, Slot{}, series.baseMonths,
               series.baseYears, series.baseAverage);
    }
    return out;
}

// The first `done` samples of each period, when a run stopped early.
void keepFirst(std::vector<float> &values, std::size_t asked, std::size_t done) {
    if (values.empty() || asked == done) return;
    const std::size_t periods = values.size() / asked;
    for (std::size_t p = 0; p < periods; ++p)
        std::copy_n(values.begin() + static_cast<std::ptrdiff_t>(p * asked), done,
                    values.begin() + static_cast<std::ptrdiff_t>(p * done));
    values.resize(periods * done);
}

// Every location's draws of each quantity, in sample order (none for a fixed range).
using Draws = std::vector<std::array<const std::vector<double> *, kUncertainQuantities>>;
Draws drawsOf(const PreparedModel &model, const std::vector<Entries> &at, const UncertaintyOptions &options,
              std::map<std::pair<std::uint64_t, int>, std::vector<double>> &columns) {
    Draws draws(at.size());
    for (std::size_t i = 0; i < at.size(); ++i) {
        for (int q = 0; q < kUncertainQuantities; ++q) {
            const ParameterRange *e = at[i][q];
            if (!e || e->range.distribution == Distribution::Fixed) continue;
            const std::pair<std::uint64_t, int> key{locationKey(*e, model.locations[i]), q};
            auto it = columns.find(key);
            if (it == columns.end())
                it = columns
                         .emplace(key, designDraws(options.design, options.seed, options.samples, key.first,
                                                   static_cast<std::uint64_t>(q + 1)))
                         .first;
            draws[i][q] = &it->second;
        }
    }
    return draws;
}

} // namespace

const char *quantityName(UncertainQuantity q) { return kQuantityNames[static_cast<std::size_t>(index(q))]; }

bool quantityFromName(const std::string &name, UncertainQuantity &q) {
    for (std::size_t k = 0; k < kQuantityNames.size(); ++k)
        if (name == kQuantityNames[k]) {
            q = static_cast<UncertainQuantity>(k);
            return true;
        }
    return false;
}

const char *distributionName(Distribution d) { return kDistributionNames[static_cast<std::size_t>(d)]; }

bool distributionFromName(const std::string &name, Distribution &d) {
    for (std::size_t k = 0; k < kDistributionNames.size(); ++k)
        if (name == kDistributionNames[k]) {
            d = static_cast<Distribution>(k);
            return true;
        }
    return false;
}

std::string rangesProblem(const PreparedModel &model, const Ranges &ranges) {
    for (std::size_t k = 0; k < ranges.entries.size(); ++k) {
        const ParameterRange &e = ranges.entries[k];
        if (std::string p = rangeProblem(e.range); !p.empty()) return entryText(e) + ": " + p;
        if (isAquifer(index(e.quantity)) || e.quantity == UncertainQuantity::Factor ||
            e.quantity == UncertainQuantity::MethodParameter)
            if (rangeQuantile(e.range, 1e-300) < 0.0) return entryText(e) + ": the values must be 0 or more";
        const bool used =
            e.location == 0 || std::any_of(model.locations.begin(), model.locations.end(),
                                           [&](const DeckLocation &l) { return l.position == e.location; });
        if (!used) return entryText(e) + ": the run uses no such location";
        for (std::size_t j = 0; j < k; ++j)
            if (ranges.entries[j].quantity == e.quantity && ranges.entries[j].location == e.location)
                return entryText(e) + ": given twice";
    }
    const std::vector<Entries> at = entriesOf(model, ranges);
    for (std::size_t i = 0; i < at.size(); ++i)
        if (std::string p = locationProblem(model.locations[i], at[i]); !p.empty()) return p;
    return {};
}

std::vector<double> quantilesOf(const float *values, std::size_t n, const std::vector<double> &probabilities) {
    std::vector<double> sorted(values, values + n);
    std::sort(sorted.begin(), sorted.end());
    std::vector<double> out;
    for (double p : probabilities) {
        if (n == 0) {
            out.push_back(NAN);
            continue;
        }
        const double h = static_cast<double>(n - 1) * std::clamp(p, 0.0, 1.0);
        const auto lo = static_cast<std::size_t>(h);
        const double below = sorted[lo], fraction = h - static_cast<double>(lo);
        // An order statistic itself when h is whole or its neighbour is equal
        // (also -0, which adding 0 would make +0).
        const bool between = lo + 1 < n && fraction != 0.0 && sorted[lo + 1] != below;
        out.push_back(between ? below + fraction * (sorted[lo + 1] - below) : below);
    }
    return out;
}

UncertaintyResults runUncertainty(const PreparedModel &model, const Ranges &ranges, const UncertaintyOptions &options) {
    if (std::string problem = rangesProblem(model, ranges); !problem.empty()) throw std::invalid_argument(problem);
    if (options.first >= options.samples || options.count > options.samples - options.first)
        throw std::invalid_argument("samples " + std::to_string(options.first + 1) + " to " +
                                    std::to_string(options.first + std::max<std::size_t>(options.count, 1)) +
                                    " are not all among the design's " + std::to_string(options.samples));
    const std::size_t samples = options.count ? options.count : options.samples - options.first;
    UncertaintyResults out = startResults(model, options, samples);
    const std::vector<Entries> at = entriesOf(model, ranges);
    std::map<std::pair<std::uint64_t, int>, std::vector<double>> columns;
    const Draws draws = drawsOf(model, at, options, columns);
    const unsigned threads = std::min<unsigned>(computingThreads(options.engine.threads),
                                                static_cast<unsigned>(std::max<std::size_t>(samples, 1)));
    EngineOptions single = options.engine;
    single.threads = 1;
    std::atomic<std::size_t> next{0}, done{0};
    std::atomic<bool> stop{false};
    std::exception_ptr failure;
    std::mutex reporting;
    auto work = [&] {
        try {
            PreparedRunner runner(model, single);
            RunTables tables;
            for (std::size_t k = next++; k < samples && !stop; k = next++) {
                runner.run(variationOf(model, at,
                                       [&](std::size_t i, int q, const ParameterRange &e) -> std::optional<double> {
                                           return draws[i][q]
                                                      ? rangeQuantile(e.range, (*draws[i][q])[options.first + k])
                                                      : e.range.value;
                                       }),
                           tables);
                for (std::size_t s = 0; s < out.series.size(); ++s) {
                    SampledSeries &series = out.series[s];
                    record(seriesEffect(runner, tables, s), out.months, out.years, !series.months.empty(),
                           Slot{k, samples}, series.months, series.years, series.average);
                }
                std::lock_guard<std::mutex> lock(reporting);
                ++done;
                if (options.progress && !options.progress(done)) stop = true;
            }
        } catch (...) {
            std::lock_guard<std::mutex> lock(reporting);
            if (!failure) failure = std::current_exception();
            stop = true;
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (auto &t : pool)
        t.join();
    if (failure) std::rethrow_exception(failure);
    out.samples = done;
    for (SampledSeries &s : out.series)
        for (auto *values : {&s.months, &s.years, &s.average})
            keepFirst(*values, samples, out.samples);
    return out;
}

namespace {

// `parts`' values of one period kind, sample after sample, period by period.
std::vector<float> joined(const std::vector<UncertaintyResults> &parts, std::size_t s,
                          std::vector<float> SampledSeries::*values, std::size_t total) {
    const std::vector<float> &head = parts.front().series[s].*values;
    if (head.empty()) return {};
    const std::size_t periods = head.size() / std::max<std::size_t>(parts.front().samples, 1);
    std::vector<float> out(periods * total);
    std::size_t offset = 0;
    for (const UncertaintyResults &part : parts) {
        const std::vector<float> &v = part.series[s].*values;
        if (v.size() != periods * part.samples) throw std::invalid_argument("the parts keep different periods");
        for (std::size_t p = 0; p < periods; ++p)
            std::copy_n(v.begin() + static_cast<std::ptrdiff_t>(p * part.samples), part.samples,
                        out.begin() + static_cast<std::ptrdiff_t>(p * total + offset));
        offset += part.samples;
    }
    return out;
}

bool sameRun(const UncertaintyResults &a, const UncertaintyResults &b) {
    if (a.months != b.months || a.years != b.years || a.firstYear != b.firstYear ||
        a.series.size() != b.series.size() || a.locations != b.locations || a.seed != b.seed || a.design != b.design ||
        a.designSamples != b.designSamples)
        return false;
    for (std::size_t s = 0; s < a.series.size(); ++s) {
        const SampledSeries &x = a.series[s], &y = b.series[s];
        if (x.name != y.name || x.location != y.location || x.reach != y.reach || x.baseMonths != y.baseMonths ||
            x.baseAverage != y.baseAverage || x.months.empty() != y.months.empty())
            return false;
    }
    return true;
}

} // namespace

UncertaintyResults joinSamples(const std::vector<UncertaintyResults> &parts) {
    if (parts.empty()) throw std::invalid_argument("no parts to join");
    std::size_t total = 0;
    for (const UncertaintyResults &part : parts) {
        if (part.first != parts.front().first + total)
            throw std::invalid_argument("a part starting at sample " + std::to_string(part.first + 1) +
                                        " where sample " + std::to_string(parts.front().first + total + 1) +
                                        " was due");
        if (!sameRun(parts.front(), part)) throw std::invalid_argument("the parts are runs of different models");
        total += part.samples;
    }
    UncertaintyResults out = parts.front();
    out.samples = total;
    for (std::size_t s = 0; s < out.series.size(); ++s) {
        out.series[s].months = joined(parts, s, &SampledSeries::months, total);
        out.series[s].years = joined(parts, s, &SampledSeries::years, total);
        out.series[s].average = joined(parts, s, &SampledSeries::average, total);
    }
    return out;
}

namespace {

double averageAnnual(const PreparedRunner &runner, const RunTables &tables, std::size_t series, long long years) {
    return report::tableSums(seriesEffect(runner, tables, series), years).totalAverage;
}

// The bars of the tornado: each range not fixed, once if it is shared or a
// location's own, else once for each location it applies to.
std::vector<std::pair<const ParameterRange *, long long>> barsOf(const std::vector<long long> &positions,
                                                                 const std::vector<Entries> &at, const Ranges &ranges) {
    std::vector<std::pair<const ParameterRange *, long long>> bars;
    for (const ParameterRange &e : ranges.entries) {
        if (e.range.distribution == Distribution::Fixed) continue;
        if (e.shared || e.location != 0) {
            bars.emplace_back(&e, e.shared ? 0 : e.location);
            continue;
        }
        for (std::size_t i = 0; i < at.size(); ++i)
            if (at[i][index(e.quantity)] == &e) bars.emplace_back(&e, positions[i]);
    }
    return bars;
}

} // namespace

Tornado sensitivity(const PreparedModel &model, const Ranges &ranges, std::size_t series,
                    const EngineOptions &options) {
    if (std::string problem = rangesProblem(model, ranges); !problem.empty()) throw std::invalid_argument(problem);
    if (series >= seriesCount(model)) throw std::invalid_argument("no such result");
    const std::vector<long long> positions = positionsOf(model);
    const std::vector<Entries> at = entriesOf(positions, ranges);
    PreparedRunner runner(model, options);
    RunTables tables;
    const long long years = model.counts.runYears;
    // The run with `chosen` (for location `where`, 0 for all) at probability u.
    auto runWith = [&](const ParameterRange *chosen, long long where, double u) {
        runner.run(variationOf(model, at,
                               [&](std::size_t i, int q, const ParameterRange &e) -> std::optional<double> {
                                   if (&e == chosen && (where == 0 || model.locations[i].position == where))
                                       return rangeQuantile(e.range, u);
                                   if (isAquifer(q)) return rangeQuantile(e.range, 0.5);
                                   return std::nullopt;
                               }),
                   tables);
        return averageAnnual(runner, tables, series, years);
    };
    Tornado out;
    out.base = runWith(nullptr, 0, 0.5);
    for (const auto &[entry, where] : barsOf(positions, at, ranges)) {
        TornadoBar bar;
        bar.quantity = entry->quantity;
        bar.location = where;
        bar.low = rangeQuantile(entry->range, 0.05);
        bar.high = rangeQuantile(entry->range, 0.95);
        bar.atLow = runWith(entry, where, 0.05);
        bar.atHigh = runWith(entry, where, 0.95);
        out.bars.push_back(bar);
    }
    std::stable_sort(out.bars.begin(), out.bars.end(),
                     [](const TornadoBar &a, const TornadoBar &b) { return a.swing() > b.swing(); });
    return out;
}

namespace {

// S = Var(bin means) / Var(Y) of `y` binned by `x` (see firstOrderIndices).
double binnedIndex(const std::vector<double> &x, const std::vector<double> &y) {
    const std::size_t n = y.size();
    if (n < kFirstOrderMinimumSamples) return NAN;
    std::vector<std::size_t> order(n);
    for (std::size_t k = 0; k < n; ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return x[a] < x[b]; });
    double mean = 0.0;
    for (double v : y)
        mean += v;
    mean /= static_cast<double>(n);
    double total = 0.0;
    for (double v : y)
        total += (v - mean) * (v - mean);
    if (!(total > 0.0)) return NAN;
    const auto bins = static_cast<std::size_t>(std::sqrt(static_cast<double>(n)));
    double between = 0.0;
    for (std::size_t b = 0; b < bins; ++b) {
        const std::size_t from = b * n / bins, to = (b + 1) * n / bins;
        double sum = 0.0;
        for (std::size_t k = from; k < to; ++k)
            sum += y[order[k]];
        const double binMean = sum / static_cast<double>(to - from);
        between += static_cast<double>(to - from) * (binMean - mean) * (binMean - mean);
    }
    return between / total;
}

} // namespace

std::vector<FirstOrderIndex> firstOrderIndices(const UncertaintyResults &results, const Ranges &ranges,
                                               std::size_t series) {
    if (series >= results.series.size()) throw std::invalid_argument("no such result");
    std::vector<long long> positions;
    for (std::size_t i = 0; i < results.locations; ++i)
        positions.push_back(results.series[i].location);
    const std::vector<Entries> at = entriesOf(positions, ranges);
    const std::size_t n = results.samples;
    const std::vector<float> &average = results.series[series].average;
    std::vector<double> y(n);
    for (std::size_t k = 0; k < n; ++k)
        y[k] = average[12 * n + k];
    std::vector<FirstOrderIndex> out;
    for (const auto &[entry, where] : barsOf(positions, at, ranges)) {
        FirstOrderIndex f{entry->quantity, where, NAN};
        if (n >= kFirstOrderMinimumSamples && results.first + n <= results.designSamples) {
            // The draws the run gave this range: keyed as drawsOf keys them.
            const std::vector<double> all =
                designDraws(results.design, results.seed, results.designSamples, static_cast<std::uint64_t>(where),
                            static_cast<std::uint64_t>(index(entry->quantity) + 1));
            const std::vector<double> x(all.begin() + static_cast<std::ptrdiff_t>(results.first),
                                        all.begin() + static_cast<std::ptrdiff_t>(results.first + n));
            f.index = binnedIndex(x, y);
        }
        out.push_back(f);
    }
    return out;
}

void setFirstOrder(Tornado &tornado, const std::vector<FirstOrderIndex> &indices) {
    for (TornadoBar &bar : tornado.bars)
        for (const FirstOrderIndex &f : indices)
            if (f.quantity == bar.quantity && f.location == bar.location) bar.firstOrder = f.index;
}

Tornado sensitivity(const PreparedModel &model, const Ranges &ranges, std::size_t series, const EngineOptions &options,
                    const UncertaintyResults &samples) {
    Tornado tornado = sensitivity(model, ranges, series, options);
    setFirstOrder(tornado, firstOrderIndices(samples, ranges, series));
    return tornado;
}

} // namespace vek::engine
