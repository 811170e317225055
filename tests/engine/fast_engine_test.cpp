// The default computation (kernels, several threads, every kernel variant
// this processor runs) against the straightforward one on a spread of
// generated models: the reports must be the same bytes.
#include <gtest/gtest.h>

#include <sstream>

#include "bench/model_generator.h"
#include "engine/engine_run.h"
#include "support/test_files.h"

namespace {

namespace t = vek::test;
using vek::bench::ModelShape;

std::string run(const std::string &input, const std::string &output, bool reference, unsigned threads,
                vek::engine::KernelVariant kernels = vek::engine::bestKernelVariant()) {
    vek::engine::EngineOptions options;
    options.reference = reference;
    options.threads = threads;
    options.kernels = kernels;
    std::ostringstream console, errors;
    const int status = vek::engine::runEngine(input, output, options, console, errors);
    EXPECT_EQ(status, 0) << errors.str();
    return t::readFile(output);
}

ModelShape shape(int variant) {
    ModelShape s;
    s.seed = static_cast<std::uint32_t>(variant + 10);
    s.locations = 9;
    s.firstYear = 1896 + variant;
    s.historicalYears = 40 + 7 * variant;
    s.synthesizedYears = 5 * (variant % 3);
    s.outputFormat = variant % 4; // 3 acts as 1
    s.unitMode = variant % 2;
    s.useAvgDaysPerMonth = variant % 3; // 2: no conversion, 30-day volumes
    s.skipYears = variant % 5;
    s.tailYears = variant % 2 ? 12 : 0;
    s.cutYears = variant % 2 ? 0 : 3;
    s.unusedEvery = variant % 3 == 0 ? 4 : 0;
    s.rechargeEvery = 3;
    s.distinctFactors = variant % 2 ? 3 : 0;
    s.minFactor = 0.0f;
    s.maxFactor = 100000.0f;
    s.extremeFactors = true;
    return s;
}

class FastEngine : public ::testing::TestWithParam<int> {};

TEST_P(FastEngine, ReportsIdenticalToStraightforwardComputation) {
    const ModelShape s = shape(GetParam());
    const std::string dir = t::freshDir("engine_fast_" + std::to_string(GetParam()));
    const std::string input = dir + "/model.vek";
    t::writeFile(input, vek::bench::generateModel(s));
    const std::string reference = run(input, dir + "/reference.out", true, 1);
    ASSERT_GT(reference.size(), 1000u);
    for (vek::engine::KernelVariant kernels : vek::engine::availableKernelVariants()) {
        for (unsigned threads : {1u, 3u}) {
            const std::string fast = run(input, dir + "/fast.out", false, threads, kernels);
            EXPECT_TRUE(fast == reference) << vek::engine::kernelVariantName(kernels) << " threads " << threads
                                           << ": diff -u " << dir << "/reference.out " << dir << "/fast.out";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Models, FastEngine, ::testing::Range(0, 8));

// 400 run years, the benchmark's shape, with few locations.
TEST(FastEngine, FourHundredYearsIdentical) {
    ModelShape s;
    s.locations = 6;
    s.distinctFactors = 2;
    s.extremeFactors = true;
    s.tailYears = 0;
    const std::string dir = t::freshDir("engine_fast_400");
    const std::string input = dir + "/model.vek";
    t::writeFile(input, vek::bench::generateModel(s));
    const std::string reference = run(input, dir + "/reference.out", true, 1);
    for (vek::engine::KernelVariant kernels : vek::engine::availableKernelVariants())
        EXPECT_TRUE(run(input, dir + "/fast.out", false, 2, kernels) == reference)
            << vek::engine::kernelVariantName(kernels);
}

} // namespace
