// Sampled runs of a prepared model: ranges of each location's depletion
// factor (or of a, S and T, giving the factor a^2 S / T), of its response
// method's parameter (a/W or lambda') and of a multiplier of its pumping;
// N samples drawn by a Monte Carlo or Latin hypercube design from a seed and
// run on all threads, reusing the model as read; the quantiles of every
// month's, year's and the average year's stream depletion of every location
// and summary beside the run without ranges; and the one-at-a-time
// sensitivity of a result's average annual depletion to each range.
//
// The samples' values do not depend on the number of threads or the order
// the samples are run in: each draw is a function of the seed, the sample,
// the location and the quantity (sampling.h), each sample is run alone and
// its results are stored in its own place.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/prepared_model.h"
#include "engine/sampling.h"

namespace vek::engine {

enum class UncertainQuantity { Factor, Distance, Storativity, Transmissivity, MethodParameter, Pumping };
inline constexpr int kUncertainQuantities = 6;

// One quantity's range for one location (by its 1-based position in the
// model file) or, with location 0, for every location that has no range of
// its own for it. A shared range draws one value per sample for all the
// locations it applies to (perfect correlation between them); otherwise each
// location draws its own.
struct ParameterRange {
    UncertainQuantity quantity = UncertainQuantity::Factor;
    long long location = 0;
    Range range;
    bool shared = false;

    bool operator==(const ParameterRange &) const = default;
};

struct Ranges {
    std::vector<ParameterRange> entries;
    bool operator==(const Ranges &) const = default;
};

// The quantity's name as files and tables write it: "factor", "a", "S",
// "T", "parameter", "pumping"; and back (false for another name).
const char *quantityName(UncertainQuantity q);
bool quantityFromName(const std::string &name, UncertainQuantity &q);
// The distribution's name: "fixed", "uniform", "loguniform", "triangular",
// "normal", "lognormal"; and back.
const char *distributionName(Distribution d);
bool distributionFromName(const std::string &name, Distribution &d);

// What makes `ranges` unusable for `model` (a bad range, a location the run
// does not use, a quantity given twice for one location, a factor range
// beside a, S or T, a, S or T without the other two), naming the entry;
// empty when usable.
std::string rangesProblem(const PreparedModel &model, const Ranges &ranges);

struct UncertaintyOptions {
    std::size_t samples = 100; // of the design: Latin hypercube strata depend on it
    // Run only samples first .. first + count - 1 of the design (count 0: to
    // the last), each with the values the whole run gives it, so that a run
    // can be split into parts run anywhere and joined (joinSamples).
    std::size_t first = 0, count = 0;
    std::uint64_t seed = 0;
    Design design = Design::MonteCarlo;
    EngineOptions engine; // threads: samples run at once (each on one thread)
    // Keep every month of every location (4 bytes a location, month and
    // sample); the summaries keep their months always.
    bool locationMonths = true;
    // Called after each sample with the number done; returning false stops
    // the run, which keeps the samples done before it (the first ones).
    std::function<bool(std::size_t done)> progress;
};

// One location's, summary's or stream reach's depletion: the stream effect
// in acre-feet (wells negative), per sample.
struct SampledSeries {
    std::string name;       // the location's name, the summary's title, or "REACH " and the reach's name
    long long location = 0; // 1-based position in the model file; 0 for a summary or reach
    // Values of sample k at [period * samples + k]; periods are the run's
    // months (empty for a location without kept months), its years (each
    // year's total as the report adds it) and the average year (the twelve
    // months' averages, then the annual average).
    std::vector<float> months, years, average;
    // The run without ranges, one value per period.
    std::vector<float> baseMonths, baseYears, baseAverage;
    long long reach = 0; // a stream reach's number (from 1); 0 for another series
};

struct UncertaintyResults {
    std::size_t samples = 0; // run (fewer than asked for when stopped)
    std::size_t first = 0;   // the design's sample the first of them is
    long long months = 0, years = 0;
    int firstYear = 0; // of the report's year rows
    // The used locations in file order (the first `locations`), then the
    // summaries "RECHARGE SITES", "WELLS", "ALL LOCATIONS", then the stream
    // reaches in the model's order (the net impact upon each, as the report's
    // reach tables give it; none for a model without reaches).
    std::vector<SampledSeries> series;
    std::size_t locations = 0;
    // The design the samples come from, so that each sample's draws can be
    // found again (firstOrderIndices).
    std::uint64_t seed = 0;
    Design design = Design::MonteCarlo;
    std::size_t designSamples = 0;
    std::size_t allLocations() const { return locations + 2; } // the series of all locations
};

// Runs the samples. Throws std::invalid_argument with rangesProblem's text.
UncertaintyResults runUncertainty(const PreparedModel &model, const Ranges &ranges, const UncertaintyOptions &options);

// The samples of parts of one design joined in order into the results of
// the run of all of them, equal bit for bit. Throws std::invalid_argument
// when the parts do not follow one another (each part's first sample the
// one after the part before it) or are not runs of the same model.
UncertaintyResults joinSamples(const std::vector<UncertaintyResults> &parts);

// The quantile at probability p (0..1) of n values by linear interpolation
// between order statistics (Hyndman and Fan's type 7, as R's and numpy's
// defaults): with the values sorted x[0] <= .. <= x[n-1] and h = (n - 1) p,
// x[floor h] + (h - floor h) (x[floor h + 1] - x[floor h]). NaN for n = 0.
// Each of `probabilities` for the same values, sorted once.
std::vector<double> quantilesOf(const float *values, std::size_t n, const std::vector<double> &probabilities);

// One bar of the tornado: a range set to its 5th and 95th percentile with
// everything else as the model has it (a, S and T not so set at their
// medians), and the chosen series' average annual depletion at each.
struct TornadoBar {
    UncertainQuantity quantity = UncertainQuantity::Factor;
    long long location = 0; // 0: a shared range, set for all its locations at once
    double low = 0.0, high = 0.0;
    double atLow = 0.0, atHigh = 0.0;
    double firstOrder = NAN; // the range's first-order index (firstOrderIndices); NaN when not known
    double swing() const { return atHigh > atLow ? atHigh - atLow : atLow - atHigh; }
};
struct Tornado {
    double base = 0.0;            // the run without ranges
    std::vector<TornadoBar> bars; // the largest swing first (ties in the ranges' order)
};

// The one-at-a-time sensitivity of series `series` (an index into
// UncertaintyResults::series: locations in file order, then the summaries
// "RECHARGE SITES", "WELLS", "ALL LOCATIONS", then the stream reaches) to
// each range that is not fixed.
Tornado sensitivity(const PreparedModel &model, const Ranges &ranges, std::size_t series, const EngineOptions &options);

// The first-order (main effect) Sobol' index of each range that is not
// fixed, for the average annual depletion Y of series `series`: the share of
// Y's variance that the range explains alone, S = Var(E[Y | X]) / Var(Y).
// Estimated from the samples already run ("given data", binned): the samples
// are sorted by the range's draw X and cut into M = floor(sqrt(n)) bins of
// consecutive draws, as equal in count as n allows, and
//   S = sum over bins of n_b (mean_b - mean)^2 / sum over samples of (Y_k - mean)^2.
// Its bias is upward, about (M - 1)/(n - 1) times (1 - S), some 1/sqrt(n)
// (0.03 at n = 1000), from the noise of the bins' means; so an index is given
// from kFirstOrderMinimumSamples samples on, NaN below (and when Y does not
// vary). One entry for each of the tornado's bars, in the ranges' order.
struct FirstOrderIndex {
    UncertainQuantity quantity = UncertainQuantity::Factor;
    long long location = 0; // 0: a shared range
    double index = NAN;
};
inline constexpr std::size_t kFirstOrderMinimumSamples = 100;
std::vector<FirstOrderIndex> firstOrderIndices(const UncertaintyResults &results, const Ranges &ranges,
                                               std::size_t series);
// Each bar's firstOrder from `indices` (matched by quantity and location).
void setFirstOrder(Tornado &tornado, const std::vector<FirstOrderIndex> &indices);
// sensitivity() with each bar's first-order index from `samples`, the run
// of the same model and ranges.
Tornado sensitivity(const PreparedModel &model, const Ranges &ranges, std::size_t series, const EngineOptions &options,
                    const UncertaintyResults &samples);

} // namespace vek::engine
