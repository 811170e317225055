// Sampled runs: the draws and inverse distribution functions, the designs,
// the quantiles, and runs whose bands can be known without sampling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "bench/model_generator.h"
#include "engine/uncertainty.h"

namespace {

using namespace vek::engine;

PreparedModel prepared(const std::string &deck) {
    PreparedModel model;
    std::ostringstream console, errors;
    EXPECT_EQ(prepareModel({"deck in memory", deck}, model, console, errors), kExitNormal) << errors.str();
    return model;
}

// Wells pumping `rate` in every month of `years` years from 2000.
std::string wellsDeck(int wells, int years, double rate) {
    char head[128];
    std::snprintf(head, sizeof head, "Version 1.12\n2000 %d 0 2000 %d %d 0 4 0 0 1 1 0 # parameters\n", 1999 + years,
                  1999 + years, wells);
    std::string deck = head;
    for (int w = 0; w < wells; ++w) {
        deck += std::to_string(500 * (w + 1)) + " -1 1 # VEK LocationType UseInOutput\nWell " + std::to_string(w + 1) +
                "\n";
        for (int y = 0; y < years; ++y)
            for (int m = 0; m < 12; ++m)
                deck += std::to_string(rate) + (m == 11 ? "\n" : " ");
    }
    return deck;
}

bool sameBits(const std::vector<float> &a, const std::vector<float> &b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(Sampling, FunctionsAgreeWithTheirDefinitions) {
    for (double x : {1e-300, 1e-9, 0.3, 0.70710678118654752, 0.9999, 1.0, 1.0001, 2.0, 10.0, 12345.678, 1e300})
        EXPECT_NEAR(logDouble(x), std::log(x), 4e-16 * std::max(1.0, std::fabs(std::log(x)))) << x;
    EXPECT_EQ(logDouble(1.0), 0.0);
    for (double p : {1e-12, 1e-4, 0.02, 0.02425, 0.025, 0.3, 0.5, 0.8, 0.975, 0.976, 0.9999})
        EXPECT_NEAR(normalProbability(normalQuantile(p)), p, 1e-14 * std::max(p, 1e-3)) << p;
    EXPECT_NEAR(normalQuantile(0.975), 1.959963984540054, 1e-13);
    EXPECT_EQ(normalQuantile(0.5), 0.0);

    const Range uniform{Distribution::Uniform, 0, 0, 10, 30};
    const Range logUniform{Distribution::LogUniform, 0, 0, 10, 1000};
    const Range triangle{Distribution::Triangular, 20, 0, 10, 50};
    const Range normal{Distribution::Normal, 100, 15, 70, 160};
    const Range logNormal{Distribution::LogNormal, 300, 0.5, 50, 2000};
    EXPECT_DOUBLE_EQ(rangeQuantile(uniform, 0.25), 15.0);
    EXPECT_NEAR(rangeQuantile(logUniform, 0.5), 100.0, 1e-12);
    EXPECT_NEAR(rangeQuantile(triangle, 0.25), 20.0, 1e-12); // the mode splits 1 : 3
    EXPECT_NEAR(rangeQuantile(triangle, 0.5), 50.0 - std::sqrt(0.5 * 40 * 30), 1e-12);
    EXPECT_NEAR(rangeQuantile(logNormal, 0.5), 300.0 * std::exp(0.5 * 0.0), 1e-9 * 300 + 5); // near the median
    // The cut normal: its own distribution function gives u back, inside the cut.
    const double pa = normalProbability(-2.0), pb = normalProbability(4.0);
    for (double u : {1e-9, 0.1, 0.5, 0.9, 1 - 1e-9}) {
        const double x = rangeQuantile(normal, u);
        EXPECT_GE(x, 70.0);
        EXPECT_LE(x, 160.0);
        EXPECT_NEAR((normalProbability((x - 100) / 15) - pa) / (pb - pa), u, 1e-9) << u;
    }
    // Far in one tail the probabilities keep their digits.
    const Range tail{Distribution::Normal, 0, 1, 9, 10};
    EXPECT_GT(rangeQuantile(tail, 0.5), 9.0);
    EXPECT_LT(rangeQuantile(tail, 0.5), 9.2);
}

TEST(Sampling, ProblemsOnBothSidesOfEachLimit) {
    struct Row {
        Range range;
        bool usable;
    } rows[] = {
        {{Distribution::Uniform, 0, 0, 2, 2}, true},       {{Distribution::Uniform, 0, 0, 2, 1.9}, false},
        {{Distribution::LogUniform, 0, 0, 1e-9, 1}, true}, {{Distribution::LogUniform, 0, 0, 0, 1}, false},
        {{Distribution::Triangular, 3, 0, 1, 3}, true},    {{Distribution::Triangular, 3.1, 0, 1, 3}, false},
        {{Distribution::Normal, 0, 1e-9, -1, 1}, true},    {{Distribution::Normal, 0, 0, -1, 1}, false},
        {{Distribution::Normal, 0, 1, 1, 1}, false},       {{Distribution::LogNormal, 1, 1, 1e-9, 2}, true},
        {{Distribution::LogNormal, 1, 1, 0, 2}, false},    {{Distribution::Fixed, NAN, 0, 0, 0}, false},
    };
    for (const Row &r : rows)
        EXPECT_EQ(rangeProblem(r.range).empty(), r.usable) << &r - rows;
}

TEST(Sampling, DrawsAreTheSameBitsEverywhereAndLatinStrataHoldOneSampleEach) {
    // Fixed bits: any machine, compiler or thread count gives these.
    EXPECT_EQ(uniformDraw(42, 0, 1, 1), 0x1.2c1ba0e119d1dp-2);
    EXPECT_EQ(rangeQuantile({Distribution::LogNormal, 300, 0.5, 50, 2000}, uniformDraw(7, 3, 2, 1)),
              0x1.6a0769be51201p+8);
    for (std::size_t n : {1u, 2u, 7u, 1000u}) {
        for (std::uint64_t location : {0u, 5u}) {
            const std::vector<double> u = designDraws(Design::LatinHypercube, 9, n, location, 2);
            std::vector<int> held(n, 0);
            for (double x : u) {
                ASSERT_TRUE(x > 0.0 && x < 1.0);
                ++held[static_cast<std::size_t>(x * static_cast<double>(n))];
            }
            EXPECT_EQ(std::count(held.begin(), held.end(), 1), static_cast<long>(n)) << n;
        }
    }
    // Monte Carlo draws do not keep to strata, and other keys draw otherwise.
    const std::vector<double> mc = designDraws(Design::MonteCarlo, 9, 1000, 5, 2);
    std::vector<int> held(1000, 0);
    for (double x : mc)
        ++held[static_cast<std::size_t>(x * 1000)];
    EXPECT_LT(std::count(held.begin(), held.end(), 1), 600);
    EXPECT_NE(designDraws(Design::LatinHypercube, 9, 10, 5, 2), designDraws(Design::LatinHypercube, 9, 10, 6, 2));
    EXPECT_NE(designDraws(Design::LatinHypercube, 9, 10, 5, 2), designDraws(Design::LatinHypercube, 10, 10, 5, 2));
}

TEST(Uncertainty, QuantilesInterpolateBetweenOrderStatistics) {
    const float values[] = {4, 1, 3, 2};
    const std::vector<double> q = quantilesOf(values, 4, {0.0, 0.05, 0.5, 0.95, 1.0});
    const double expected[] = {1.0, 1.15, 2.5, 3.85, 4.0};
    for (std::size_t k = 0; k < 5; ++k)
        EXPECT_NEAR(q[k], expected[k], 1e-15);
    EXPECT_EQ(quantilesOf(values, 1, {0.05, 0.95}), (std::vector<double>{4.0, 4.0}));
    EXPECT_TRUE(std::isnan(quantilesOf(values, 0, {0.5})[0]));
    // A quantile at an order statistic is that value, bit for bit.
    const float zeros[] = {-0.0f, -0.0f, -0.0f};
    EXPECT_TRUE(std::signbit(quantilesOf(zeros, 3, {0.5})[0]));
    EXPECT_TRUE(std::signbit(quantilesOf(zeros, 3, {0.3})[0]));
}

// One well with a constant step of pumping and only its factor uncertain:
// the depletion is monotone in the factor, so each quantile of a month's
// depletion is the depletion at the factor's quantile. The sampled p-quantile
// stands at a probability within sqrt(p (1 - p) / N) (0.0022 at p = 0.05 and
// N = 10,000) of p; it must lie between the runs at p -+ 4 of those.
TEST(Uncertainty, QuantilesOfAMonotoneResponseAreTheResponseAtTheFactorsQuantiles) {
    const PreparedModel model = prepared(wellsDeck(1, 10, 100.0));
    const Range factor{Distribution::LogNormal, 800, 0.8, 50, 20000};
    Ranges ranges{{{UncertainQuantity::Factor, 1, factor, false}}};
    auto depletionAt = [&](double u) {
        RunVariation v;
        v.factor = {static_cast<Real>(rangeQuantile(factor, u))};
        RunTables tables;
        runPrepared(model, v, tables, EngineOptions{});
        return std::vector<Real>(tables.summaries.effect(4), tables.summaries.effect(4) + 121);
    };
    const std::vector<double> probabilities{0.05, 0.5, 0.95};
    for (Design design : {Design::MonteCarlo, Design::LatinHypercube}) {
        UncertaintyOptions options;
        options.samples = 10000;
        options.seed = 2024;
        options.design = design;
        const UncertaintyResults results = runUncertainty(model, ranges, options);
        ASSERT_EQ(results.samples, 10000u);
        const SampledSeries &all = results.series.back();
        for (double p : probabilities) {
            const double error = 4.0 * std::sqrt(p * (1 - p) / 10000.0);
            const std::vector<Real> below = depletionAt(p - error), above = depletionAt(p + error);
            const std::vector<Real> low = depletionAt(0.05), high = depletionAt(0.95);
            for (long long m : {2LL, 13LL, 60LL, 120LL}) {
                const double q = quantilesOf(all.months.data() + (m - 1) * 10000, 10000, {p})[0];
                const double lo = std::min(below[m], above[m]), hi = std::max(below[m], above[m]);
                EXPECT_GE(q, lo) << "p " << p << " month " << m;
                EXPECT_LE(q, hi) << "p " << p << " month " << m;
                // The band is wide: a bad sample would fall outside the window.
                EXPECT_LT(hi - lo, 0.3 * std::fabs(high[m] - low[m]));
            }
        }
    }
}

Ranges mixedRanges() {
    return Ranges{{
        {UncertainQuantity::Factor, 0, {Distribution::Uniform, 0, 0, 200, 3000}, false},
        {UncertainQuantity::Pumping, 0, {Distribution::Normal, 1, 0.1, 0.7, 1.3}, true},
        {UncertainQuantity::Distance, 3, {Distribution::Triangular, 500, 0, 300, 900}, false},
        {UncertainQuantity::Storativity, 3, {Distribution::LogNormal, 0.1, 0.3, 0.05, 0.3}, true},
        {UncertainQuantity::Transmissivity, 3, {Distribution::LogUniform, 0, 0, 5000, 20000}, true},
        {UncertainQuantity::MethodParameter, 1, {Distribution::Uniform, 0, 0, 0.1, 0.8}, false},
    }};
}

TEST(Uncertainty, AnyThreadCountAndAnySplitGiveTheSameBits) {
    vek::bench::ModelShape shape;
    shape.locations = 5;
    shape.historicalYears = 20;
    shape.otherMethods = true;
    const PreparedModel model = prepared(vek::bench::generateModel(shape));
    ASSERT_EQ(rangesProblem(model, mixedRanges()), "");
    std::vector<UncertaintyResults> runs;
    for (unsigned threads : {1u, 2u, 3u}) {
        UncertaintyOptions options;
        options.samples = 60;
        options.seed = 11;
        options.design = Design::LatinHypercube;
        options.engine.threads = threads;
        runs.push_back(runUncertainty(model, mixedRanges(), options));
    }
    for (std::size_t r = 1; r < runs.size(); ++r)
        for (std::size_t s = 0; s < runs[0].series.size(); ++s) {
            EXPECT_TRUE(sameBits(runs[r].series[s].months, runs[0].series[s].months)) << s;
            EXPECT_TRUE(sameBits(runs[r].series[s].years, runs[0].series[s].years)) << s;
            EXPECT_TRUE(sameBits(runs[r].series[s].average, runs[0].series[s].average)) << s;
        }
    const SampledSeries &all = runs[0].series.back();
    EXPECT_NE(all.average[12], all.average[12 * 60 + 1]) << "the samples differ";

    // Parts of the design run apart and joined are the whole run.
    std::vector<UncertaintyResults> parts;
    for (auto [first, count] : {std::pair<std::size_t, std::size_t>{0, 25}, {25, 20}, {45, 0}}) {
        UncertaintyOptions options;
        options.samples = 60;
        options.seed = 11;
        options.design = Design::LatinHypercube;
        options.first = first;
        options.count = count;
        parts.push_back(runUncertainty(model, mixedRanges(), options));
    }
    EXPECT_EQ(parts[2].samples, 15u);
    const UncertaintyResults whole = joinSamples(parts);
    ASSERT_EQ(whole.samples, 60u);
    for (std::size_t s = 0; s < whole.series.size(); ++s) {
        EXPECT_TRUE(sameBits(whole.series[s].months, runs[0].series[s].months)) << s;
        EXPECT_TRUE(sameBits(whole.series[s].years, runs[0].series[s].years)) << s;
        EXPECT_TRUE(sameBits(whole.series[s].average, runs[0].series[s].average)) << s;
    }
    EXPECT_THROW(joinSamples({parts[0], parts[2]}), std::invalid_argument);
    EXPECT_THROW(joinSamples({parts[1], parts[0]}), std::invalid_argument);
    EXPECT_EQ(joinSamples({parts[1], parts[2]}).first, 25u);
    UncertaintyOptions beyond;
    beyond.samples = 60;
    beyond.first = 50;
    beyond.count = 11;
    EXPECT_THROW(runUncertainty(model, mixedRanges(), beyond), std::invalid_argument);
    beyond.count = 10;
    EXPECT_EQ(runUncertainty(model, mixedRanges(), beyond).samples, 10u);
    beyond.first = 60;
    beyond.count = 0;
    EXPECT_THROW(runUncertainty(model, mixedRanges(), beyond), std::invalid_argument);
}

// Ranges fixed at the model's own values give bands of no width, at the run
// without ranges; a stopped run keeps the samples done, as a full run has them.
TEST(Uncertainty, FixedRangesGiveTheRunWithoutRangesAndAStoppedRunKeepsItsSamples) {
    const PreparedModel model = prepared(wellsDeck(3, 6, 50.0));
    Ranges fixed;
    for (long long l = 1; l <= 3; ++l)
        fixed.entries.push_back({UncertainQuantity::Factor, l, {Distribution::Fixed, 500.0 * l, 0, 0, 0}, false});
    fixed.entries.push_back({UncertainQuantity::Pumping, 0, {Distribution::Fixed, 1, 0, 0, 0}, true});
    UncertaintyOptions options;
    options.samples = 20;
    const UncertaintyResults results = runUncertainty(model, fixed, options);
    for (const SampledSeries &s : results.series) {
        ASSERT_EQ(s.months.size(), 72u * 20);
        for (std::size_t k = 0; k < s.months.size(); ++k)
            ASSERT_EQ(s.months[k], s.baseMonths[k / 20]) << s.name;
        for (std::size_t k = 0; k < s.years.size(); ++k)
            ASSERT_EQ(s.years[k], s.baseYears[k / 20]) << s.name;
        EXPECT_EQ(s.baseAverage[12] == 0.0f, s.name == "RECHARGE SITES") << s.name;
    }

    Ranges wide{{{UncertainQuantity::Factor, 0, {Distribution::Uniform, 0, 0, 100, 5000}, false}}};
    const UncertaintyResults full = runUncertainty(model, wide, options);
    options.progress = [](std::size_t done) { return done < 7; };
    options.locationMonths = false;
    const UncertaintyResults stopped = runUncertainty(model, wide, options);
    ASSERT_GE(stopped.samples, 7u);
    ASSERT_LT(stopped.samples, 20u);
    const std::size_t n = stopped.samples;
    EXPECT_TRUE(stopped.series[0].months.empty());
    for (std::size_t s = 0; s < full.series.size(); ++s)
        for (std::size_t y = 0; y < 6; ++y)
            for (std::size_t k = 0; k < n; ++k)
                ASSERT_EQ(stopped.series[s].years[y * n + k], full.series[s].years[y * 20 + k]) << s;
}

// Stream reaches follow the summaries: with fixed ranges each is the run's
// own reach table; a reach that only one well feeds, whole, is that well.
TEST(Uncertainty, ReachesAreSampledAfterTheSummaries) {
    const PreparedModel model =
        prepared(wellsDeck(2, 5, 30.0) + "Stream reaches 1\nmap depletion=apportioned\nreach 1 name=\"Alone\"\n"
                                         "reach 2 name=\"Shared\"\nreach 3 name=\"Third\"\n"
                                         "share 1 reach=1 fraction=1\nshare 2 reach=2 fraction=0.75\n"
                                         "share 2 reach=3 fraction=0.25\nend\n");
    UncertaintyOptions options;
    options.samples = 12;
    const Ranges fixed{{{UncertainQuantity::Pumping, 0, {Distribution::Fixed, 1, 0, 0, 0}, true}}};
    const UncertaintyResults still = runUncertainty(model, fixed, options);
    ASSERT_EQ(still.series.size(), 2u + 3 + 3);
    EXPECT_EQ(still.locations, 2u);
    EXPECT_EQ(still.series[still.allLocations()].name, "ALL LOCATIONS");
    EXPECT_EQ(still.series[6].name, "REACH Shared");
    EXPECT_EQ(still.series[6].reach, 2);
    RunTables tables;
    runPrepared(model, {}, tables, EngineOptions{});
    for (std::size_t r = 0; r < 3; ++r) {
        const SampledSeries &s = still.series[5 + r];
        for (std::size_t m = 0; m < 60; ++m) {
            ASSERT_EQ(s.baseMonths[m], tables.reaches.reaches[r].effect[m + 1]) << r << " " << m;
            for (std::size_t k = 0; k < 12; ++k)
                ASSERT_EQ(s.months[m * 12 + k], s.baseMonths[m]);
        }
        EXPECT_LT(s.baseAverage[12], 0.0f);
    }
    const Ranges wide{{{UncertainQuantity::Factor, 0, {Distribution::Uniform, 0, 0, 100, 5000}, false},
                       {UncertainQuantity::Pumping, 1, {Distribution::Uniform, 0, 0, 0.5, 1.5}, false}}};
    const UncertaintyResults varied = runUncertainty(model, wide, options);
    EXPECT_EQ(varied.series[5].months, varied.series[0].months); // by value: a sum of -0 is +0
    EXPECT_EQ(varied.series[5].years, varied.series[0].years);
    EXPECT_NE(varied.series[6].months, varied.series[1].months); // three quarters of well 2
    // The tornado of a reach: only well 1's ranges move the lone reach.
    const Tornado t = sensitivity(model, wide, 5, EngineOptions{});
    ASSERT_EQ(t.bars.size(), 3u);
    EXPECT_EQ(t.bars[2].location, 2);
    EXPECT_EQ(t.bars[2].atLow, t.base);
}

TEST(Uncertainty, TornadoRanksTheRangesByTheirSwing) {
    const PreparedModel model = prepared(wellsDeck(2, 8, 40.0));
    Ranges ranges{{
        {UncertainQuantity::Pumping, 1, {Distribution::Uniform, 0, 0, 0.9, 1.1}, false},
        {UncertainQuantity::Factor, 2, {Distribution::Fixed, 1000, 0, 0, 0}, false},
        {UncertainQuantity::Pumping, 2, {Distribution::Uniform, 0, 0, 0.5, 1.5}, false},
    }};
    const Tornado t = sensitivity(model, ranges, 2 + 2, EngineOptions{}); // all locations
    ASSERT_EQ(t.bars.size(), 2u);
    EXPECT_EQ(t.bars[0].location, 2);
    EXPECT_EQ(t.bars[1].location, 1);
    EXPECT_NEAR(t.bars[1].low, 0.91, 1e-12);
    EXPECT_NEAR(t.bars[1].high, 1.09, 1e-12);
    // Depletion is linear in the pumping: each bar moves its well's share.
    const Tornado well1 = sensitivity(model, ranges, 0, EngineOptions{});
    EXPECT_NEAR(well1.bars[0].atHigh, well1.base * 1.09, 1e-5 * std::fabs(well1.base));
    EXPECT_NEAR(well1.bars[0].atLow, well1.base * 0.91, 1e-5 * std::fabs(well1.base));
    EXPECT_EQ(well1.bars[1].atLow, well1.base); // well 2's pumping does not reach well 1
    EXPECT_LT(well1.base, 0.0);
}

// Depletion is linear in each well's pumping multiplier: Y = c1 X1 + c2 X2,
// so S1 = c1^2 Var X1 / (c1^2 Var X1 + c2^2 Var X2), the c's being each well's
// own average annual depletion. The binned estimate's bias, about
// (1 - S) sqrt(n) / n, and its noise stay within 0.05 at n = 1000.
TEST(Uncertainty, FirstOrderIndicesMatchALinearResponse) {
    const PreparedModel model = prepared(wellsDeck(2, 8, 40.0));
    const Ranges ranges{{
        {UncertainQuantity::Pumping, 1, {Distribution::Uniform, 0, 0, 0.5, 1.5}, false},
        {UncertainQuantity::Pumping, 2, {Distribution::Uniform, 0, 0, 0.0, 2.0}, false},
        {UncertainQuantity::Factor, 2, {Distribution::Uniform, 0, 0, 800, 1200}, false},
    }};
    UncertaintyOptions options;
    options.samples = 1000;
    options.seed = 3;
    options.design = Design::LatinHypercube;
    const UncertaintyResults r = runUncertainty(model, ranges, options);
    const double c1 = r.series[0].baseAverage[12], c2 = r.series[1].baseAverage[12];
    const double v1 = c1 * c1 / 12.0, v2 = c2 * c2 * 4.0 / 12.0;
    const std::vector<FirstOrderIndex> all = firstOrderIndices(r, ranges, r.allLocations());
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].location, 2);
    EXPECT_NEAR(all[0].index, v1 / (v1 + v2), 0.05);
    EXPECT_NEAR(all[1].index, v2 / (v1 + v2), 0.05);
    EXPECT_LT(all[2].index, 0.05);
    // Well 1 alone: its own pumping is everything, well 2's ranges nothing.
    const std::vector<FirstOrderIndex> one = firstOrderIndices(r, ranges, 0);
    EXPECT_GT(one[0].index, 0.99);
    EXPECT_LT(one[1].index, 0.06);
    EXPECT_LT(one[2].index, 0.06);
    // The tornado's bars take them; too few samples give none.
    Tornado t = sensitivity(model, ranges, 0, EngineOptions{});
    setFirstOrder(t, one);
    EXPECT_EQ(t.bars[0].firstOrder, one[0].index);
    options.samples = kFirstOrderMinimumSamples;
    EXPECT_FALSE(std::isnan(firstOrderIndices(runUncertainty(model, ranges, options), ranges, 0)[0].index));
    options.samples = kFirstOrderMinimumSamples - 1;
    EXPECT_TRUE(std::isnan(firstOrderIndices(runUncertainty(model, ranges, options), ranges, 0)[0].index));
}

TEST(Uncertainty, UnusableRangesAreRefusedNamingTheEntry) {
    const PreparedModel model = prepared(wellsDeck(2, 2, 10.0));
    const Range some{Distribution::Uniform, 0, 0, 1, 2};
    struct Row {
        std::vector<ParameterRange> entries;
        const char *problem;
    } rows[] = {
        {{{UncertainQuantity::Factor, 2, some, false}}, ""},
        {{{UncertainQuantity::Factor, 3, some, false}}, "location 3: the run uses no such location"},
        {{{UncertainQuantity::Factor, 0, some, false}, {UncertainQuantity::Factor, 0, some, true}}, "given twice"},
        {{{UncertainQuantity::Distance, 1, some, false}, {UncertainQuantity::Storativity, 1, some, false}},
         "location 1: a, S and T need ranges all three"},
        {{{UncertainQuantity::Distance, 0, some, false},
          {UncertainQuantity::Storativity, 0, some, false},
          {UncertainQuantity::Transmissivity, 0, some, false}},
         ""},
        {{{UncertainQuantity::Distance, 0, some, false},
          {UncertainQuantity::Storativity, 0, some, false},
          {UncertainQuantity::Transmissivity, 0, some, false},
          {UncertainQuantity::Factor, 2, some, false}},
         "location 2: a range of the factor and of a, S and T at once"},
        {{{UncertainQuantity::Factor, 0, {Distribution::Uniform, 0, 0, -1, 2}, false}}, "must be 0 or more"},
        {{{UncertainQuantity::Pumping, 0, {Distribution::Uniform, 0, 0, -1, 2}, false}}, ""},
        {{{UncertainQuantity::Pumping, 0, {Distribution::Uniform, 0, 0, 3, 2}, false}}, "its high end"},
    };
    for (const Row &r : rows) {
        const std::string problem = rangesProblem(model, Ranges{r.entries});
        if (*r.problem == 0) {
            EXPECT_EQ(problem, "");
            continue;
        }
        EXPECT_NE(problem.find(r.problem), std::string::npos) << problem;
        EXPECT_THROW(runUncertainty(model, Ranges{r.entries}, UncertaintyOptions{}), std::invalid_argument);
    }
}

} // namespace
