// Benchmark of sampled runs: generates 400-year models of 100 and 1000
// locations, reads each once, times one run without ranges on all threads
// (the single-run time a sample is measured against), then N samples with
// every location's factor (log-normal) and a shared pumping multiplier
// uncertain, by Latin hypercube, keeping every month of the summaries and
// every year of the locations; prints samples per second, seconds per
// sample against the single run, and the time to make the bands (type 7
// quantiles of every location's and summary's years and average year, and
// the summaries' months).
//
//   uncertainty_bench [--samples100 N] [--samples1000 N] [--threads N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "bench/model_generator.h"
#include "engine/uncertainty.h"

namespace {

using namespace vek::engine;
using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void measure(int locations, std::size_t samples, unsigned threads) {
    vek::bench::ModelShape shape;
    shape.locations = locations;
    const std::string deck = vek::bench::generateModel(shape);
    PreparedModel model;
    std::ostringstream console, errors;
    Clock::time_point start = Clock::now();
    if (prepareModel({"generated", deck}, model, console, errors) != kExitNormal) {
        std::fprintf(stderr, "the generated model does not run: %s\n", errors.str().c_str());
        std::exit(1);
    }
    const double read = since(start);
    EngineOptions options;
    options.threads = threads;
    RunTables tables;
    start = Clock::now();
    runPrepared(model, {}, tables, options);
    const double single = since(start);

    Ranges ranges{{
        {UncertainQuantity::Factor, 0, {Distribution::LogNormal, 2000, 0.8, 5, 50000}, false},
        {UncertainQuantity::Pumping, 0, {Distribution::Uniform, 0, 0, 0.8, 1.2}, true},
    }};
    UncertaintyOptions u;
    u.samples = samples;
    u.seed = 1;
    u.design = Design::LatinHypercube;
    u.engine = options;
    u.locationMonths = false;
    start = Clock::now();
    const UncertaintyResults results = runUncertainty(model, ranges, u);
    const double sampled = since(start);
    start = Clock::now();
    std::size_t rows = 0;
    for (const SampledSeries &s : results.series) {
        const std::size_t n = results.samples;
        for (std::size_t p = 0; p * n < s.months.size(); ++p, ++rows)
            quantilesOf(s.months.data() + p * n, n, {0.05, 0.5, 0.95});
        for (std::size_t p = 0; p * n < s.years.size(); ++p, ++rows)
            quantilesOf(s.years.data() + p * n, n, {0.05, 0.5, 0.95});
        for (std::size_t p = 0; p < 13; ++p, ++rows)
            quantilesOf(s.average.data() + p * n, n, {0.05, 0.5, 0.95});
    }
    const double bands = since(start);
    std::printf("%5d locations x %lld years: read %.2f s, one run %.3f s; %zu samples in %.1f s = %.2f samples/s "
                "(%.3f s a sample, %.2f x the single run); bands (%zu rows) %.1f s\n",
                locations, static_cast<long long>(model.counts.runYears), read, single, samples, sampled,
                static_cast<double>(samples) / sampled, sampled / static_cast<double>(samples),
                sampled / static_cast<double>(samples) / single, rows, bands);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
    std::size_t samples100 = 1000, samples1000 = 200;
    unsigned threads = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const long v = std::strtol(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--samples100") == 0) samples100 = static_cast<std::size_t>(v);
        if (std::strcmp(argv[i], "--samples1000") == 0) samples1000 = static_cast<std::size_t>(v);
        if (std::strcmp(argv[i], "--threads") == 0) threads = static_cast<unsigned>(v);
    }
    std::printf("threads: %u (0: one per hardware thread, %u here)\n", threads, computingThreads(0));
    if (samples100) measure(100, samples100, threads);
    if (samples1000) measure(1000, samples1000, threads);
    return 0;
}
