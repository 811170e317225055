// The step responses of the four methods against independently computed
// values, their limits, the engine's single-precision tables against them,
// and the portable special functions under them. docs/method.md shows the
// validation rows this test prints.
//
// Independent values: the methods' solutions in the Laplace domain,
//   alluvial aquifer  cosh(sqrt(sdf p) (W/a - 1)) / (p cosh(sqrt(sdf p) W/a)),
//   streambed         exp(-sqrt(sdf p)) / (p (1 + 2 sqrt(sdf p) / lambda')),
// (a line source in a strip with a held head at the stream and no flow at the
// wall; a leaky stream line after Hunt 1999), inverted numerically with 30
// digits by mpmath's Talbot method; the alluvial values also from the strip's
// eigenfunction series. tests/python/response_methods_test.py recomputes them.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/day_calendar.h"
#include "engine/response_kernels.h"
#include "engine/response_methods.h"
#include "engine/response_table.h"
#include "engine/special_functions.h"

namespace {

using namespace vek::engine;

void printRow(const std::string &check, double reference, double computed) {
    std::printf("| %s | %.9f | %.9f | %+.1e |\n", check.c_str(), reference, computed, computed - reference);
}

struct Known {
    double sdf, parameter, t, value;
};

// Glover's alluvial aquifer: sdf, a/W, t (days), Qs/Q.
constexpr Known kAlluvial[] = {{1000, 0.5, 500, 0.32000973062047091},  {1000, 0.5, 1000, 0.51298728079244884},
                               {1000, 0.5, 3000, 0.85851475121721334}, {1000, 0.9, 1000, 0.82956793815379109},
                               {365, 0.25, 730, 0.61753354026373158},  {20000, 0.75, 36500, 0.90657072619861453}};
// Hunt (1999): sdf, lambda', t, Qs/Q.
constexpr Known kHunt[] = {{1000, 1, 1000, 0.14649769824833929},
                           {1000, 1, 10000, 0.54374783400183799},
                           {1000, 10, 1000, 0.40087066743679737},
                           {365, 0.5, 3650, 0.39195540977570015},
                           {20000, 5, 36500, 0.47364590943974266}};

TEST(ResponseMethods, AlluvialAquiferIndependentValues) {
    for (const auto &k : kAlluvial) {
        const double f = StepResponse::alluvialAquifer(k.sdf, k.parameter)(k.t);
        EXPECT_NEAR(f, k.value, 1e-14) << "sdf " << k.sdf << " a/W " << k.parameter << " t " << k.t;
        char label[120];
        std::snprintf(label, sizeof label, "alluvial aquifer, sdf %g days, a/W %g, t %g days", k.sdf, k.parameter, k.t);
        printRow(label, k.value, f);
    }
}

TEST(ResponseMethods, StreambedResistanceIndependentValues) {
    for (const auto &k : kHunt) {
        const double f = StepResponse::streambedResistance(k.sdf, k.parameter)(k.t);
        EXPECT_NEAR(f, k.value, 1e-14) << "sdf " << k.sdf << " lambda " << k.parameter << " t " << k.t;
        char label[120];
        std::snprintf(label, sizeof label, "streambed resistance, sdf %g days, lambda' %g, t %g days", k.sdf,
                      k.parameter, k.t);
        printRow(label, k.value, f);
    }
}

// Jenkins (1968), Table 1, q/Q at t/sdf = 1, 2 and 6 (four digits): the
// double-precision infinite aquifer the other methods reduce to.
TEST(ResponseMethods, InfiniteAquiferPublishedValues) {
    const StepResponse f = StepResponse::infiniteAquifer(1000.0);
    EXPECT_NEAR(f(1000.0), 0.4795, 0.5e-4);
    EXPECT_NEAR(f(2000.0), 0.6171, 0.5e-4);
    EXPECT_NEAR(f(6000.0), 0.7728, 0.5e-4);
    EXPECT_DOUBLE_EQ(f(1000.0), std::erfc(0.5));
}

// A table's month n is sampled t days after the step with t + 15 the days of
// n months: the cumulative share, then held or completed.
TEST(ResponseMethods, TableSharesCumulateThenHoldOrComplete) {
    const std::vector<float> shares{0.3f, 0.2f, 0.1f, 0.05f};
    const StepResponse held = StepResponse::responseTable(shares, false);
    const StepResponse one = StepResponse::responseTable(shares, true);
    const double c1 = 0.3f, c2 = c1 + double(0.2f), c4 = c2 + double(0.1f) + double(0.05f);
    EXPECT_EQ(held(0.0), 0.0);
    EXPECT_EQ(held(15.0), c1);  // the step month (30 days)
    EXPECT_EQ(held(13.0), c1);  // a 28-day FEB
    EXPECT_EQ(held(46.0), c2);  // two 31-day months
    EXPECT_EQ(held(107.0), c4); // four months
    EXPECT_EQ(held(2000.0), c4);
    EXPECT_EQ(one(107.0), c4);
    EXPECT_EQ(one(138.0), 1.0); // the fifth month takes the rest of the step
    EXPECT_EQ(one(1e9), 1.0);
    printRow("response table (0.3, 0.2, 0.1, 0.05), month 2 (t 46 days)", 0.5, held(46.0));
    printRow("response table (0.3, 0.2, 0.1, 0.05), held after month 4 (t 2000 days)", 0.65, held(2000.0));
    printRow("response table (0.3, 0.2, 0.1, 0.05), completed after month 4 (t 138 days)", 1.0, one(138.0));
}

// Every lag the day calendar gives between a step month and an effect month
// j months later maps to table month j + 1, in both leap-year phases.
TEST(ResponseMethods, TableMonthsFollowTheCalendar) {
    for (int startYear : {1700, 1701, 1702, 1703}) {
        const DayCalendar cal(startYear);
        for (int k = 1; k <= 48; ++k)
            for (int i = k; i <= 4800; ++i)
                ASSERT_EQ(tableMonth(cal[i] - cal[k - 1] - 15), i - k + 1) << startYear << " " << k << " " << i;
    }
}

// W without end (a/W -> 0) and a streambed without resistance (lambda' -> inf)
// are the infinite aquifer; a/W = 0 is it exactly.
TEST(ResponseMethods, LimitsAreTheInfiniteAquifer) {
    double worstW = 0.0, worstLambda = 0.0;
    for (double sdf : {10.0, 1000.0, 20000.0}) {
        const StepResponse infinite = StepResponse::infiniteAquifer(sdf);
        const StepResponse farWall = StepResponse::alluvialAquifer(sdf, 1e-4);
        const StepResponse noWall = StepResponse::alluvialAquifer(sdf, 0.0);
        const StepResponse openBed = StepResponse::streambedResistance(sdf, 1e7);
        for (double t = 1.0; t <= 146100.0; t *= 1.07) {
            worstW = std::max(worstW, std::abs(farWall(t) - infinite(t)));
            worstLambda = std::max(worstLambda, std::abs(openBed(t) - infinite(t)));
            EXPECT_EQ(noWall(t), infinite(t));
        }
    }
    EXPECT_LE(worstW, 1e-6);
    EXPECT_LE(worstLambda, 1e-6);
    printRow("alluvial aquifer, a/W 1e-4: largest difference from the infinite aquifer", 0.0, worstW);
    printRow("streambed resistance, lambda' 1e7: largest difference from the infinite aquifer", 0.0, worstLambda);
}

// Both rise towards 1 without ever falling; the wall brings the stream the
// whole pumping sooner, the streambed later, than the infinite aquifer.
TEST(ResponseMethods, RiseTowardsOne) {
    for (double sdf : {5.0, 1000.0, 20000.0}) {
        const StepResponse infinite = StepResponse::infiniteAquifer(sdf);
        for (double p : {0.1, 0.5, 0.95}) {
            const StepResponse a = StepResponse::alluvialAquifer(sdf, p);
            const StepResponse h = StepResponse::streambedResistance(sdf, 10.0 * p);
            double lastA = 0.0, lastH = 0.0;
            for (double t = 0.5; t <= 1e7; t *= 1.05) {
                const double fa = a(t), fh = h(t), fi = infinite(t);
                EXPECT_GE(fa, lastA - 1e-15) << sdf << " " << p << " " << t;
                EXPECT_GE(fh, lastH - 1e-15) << sdf << " " << p << " " << t;
                EXPECT_GE(fa, fi - 1e-15) << sdf << " " << p << " " << t;
                EXPECT_LE(fh, fi + 1e-15) << sdf << " " << p << " " << t;
                EXPECT_LE(fa, 1.0);
                EXPECT_GE(fh, 0.0);
                lastA = fa, lastH = fh;
            }
        }
        // tau = (a/W)^2 t / sdf of 50: the strip is in its final state.
        EXPECT_NEAR(StepResponse::alluvialAquifer(sdf, 0.5)(200.0 * sdf), 1.0, 1e-12);
        // The streambed approaches 1 as 1 / sqrt(t).
        EXPECT_NEAR(StepResponse::streambedResistance(sdf, 1.0)(1e14 * sdf), 1.0, 1e-6);
    }
    printRow("alluvial aquifer, a/W 0.5, t = 200 sdf: f", 1.0, StepResponse::alluvialAquifer(1000.0, 0.5)(2e5));
    printRow("streambed resistance, lambda' 1, t = 1e14 sdf: f", 1.0,
             StepResponse::streambedResistance(1000.0, 1.0)(1e17));
}

// The image series (early) and the strip's mode series (late) meet without a
// step: each alone would show a sign or coefficient slip here.
TEST(ResponseMethods, AlluvialSeriesMeet) {
    for (double r : {0.05, 0.3, 0.6, 0.99}) {
        const double sdf = 800.0;
        const StepResponse a = StepResponse::alluvialAquifer(sdf, r);
        const double t = 0.15 * sdf / (r * r);
        EXPECT_NEAR(a(t * (1.0 - 1e-12)), a(t * (1.0 + 1e-12)), 1e-11) << r;
    }
}

// The engine's single-precision kernels, laid out for a 400-year run, hold each method's double-precision value at
// their day lag within 1e-6 (the infinite aquifer by its own rational approximation; the others as floats of the double
// values).
TEST(ResponseMethods, EngineKernelsAgreeWithDoublePrecision) {
    const DayCalendar cal(1901);
    const int months = 4800;
    const KernelLayout layout(cal, months);
    const std::vector<StepResponse> tables{
        StepResponse::responseTable({0.12f, 0.2f, 0.15f, 0.1f, 0.08f, 0.05f, 0.04f}, false)};
    struct Case {
        LocationResponse response;
        StepResponse reference;
    };
    LocationResponse alluvial{ResponseMethod::AlluvialAquifer, 2500.0f, 0.4f, -1};
    LocationResponse hunt{ResponseMethod::StreambedResistance, 800.0f, 2.5f, -1};
    LocationResponse table{ResponseMethod::ResponseTable, 0.0f, 0.0f, 0};
    const Case cases[] = {{LocationResponse::infiniteAquifer(2500.0f), StepResponse::infiniteAquifer(2500.0)},
                          {alluvial, StepResponse::alluvialAquifer(2500.0, double(0.4f))},
                          {hunt, StepResponse::streambedResistance(800.0, 2.5)},
                          {table, tables[0]}};
    for (const auto &c : cases) {
        const ResponseKernels kernels(layout, c.response, tables);
        ResponseTable reference;
        if (c.response.isInfiniteAquifer())
            reference.build(c.response.factor, cal[months]);
        else
            reference.build(stepResponseFor(c.response, tables), cal[months]);
        double worst = 0.0;
        for (int k = 1; k <= 48; ++k) {
            for (int j = 0; k + j <= months; ++j) {
                const int lag = cal[k + j] - cal[k - 1] - 15;
                const Real kernel = kernels.at(k, k + j);
                ASSERT_EQ(std::bit_cast<std::uint32_t>(kernel), std::bit_cast<std::uint32_t>(reference[lag]))
                    << methodKeyword(c.response.method) << " k " << k << " j " << j;
                worst = std::max(worst, std::abs(double(kernel) - c.reference(lag)));
            }
        }
        EXPECT_LE(worst, 1e-6) << methodKeyword(c.response.method);
    }
}

std::uint32_t bitsOf(float f) { return std::bit_cast<std::uint32_t>(f); }

// A fingerprint of the alluvial and streambed tables the engine stores: the
// same number under Linux and under Windows proves the same bits on both.
TEST(ResponseMethods, SameBitsOnEveryPlatform) {
    std::uint64_t hash = 1469598103934665603ull;
    for (float sdf : {0.0f, 3.5f, 150.0f, 2500.0f, 99999.0f})
        for (float p : {0.01f, 0.37f, 0.93f, 4.5f}) {
            const StepResponse a = StepResponse::alluvialAquifer(sdf, p < 1.0f ? p : 0.5f);
            const StepResponse h = StepResponse::streambedResistance(sdf, p);
            for (int t = 1; t <= 146100; t += 97) {
                hash = (hash ^ bitsOf(static_cast<float>(a(t)))) * 1099511628211ull;
                hash = (hash ^ bitsOf(static_cast<float>(h(t)))) * 1099511628211ull;
            }
        }
    EXPECT_EQ(hash, 0x97230e1e855ebbc9ull) << std::hex << hash;
}

TEST(ResponseMethods, ParameterProblems) {
    EXPECT_EQ(alluvialProblem(0.0), "");
    EXPECT_EQ(alluvialProblem(0.999), "");
    EXPECT_NE(alluvialProblem(1.0).find("less than 1"), std::string::npos);
    EXPECT_NE(alluvialProblem(-0.1), "");
    EXPECT_NE(alluvialProblem(std::nan("")), "");
    EXPECT_EQ(streambedProblem(1e-9), "");
    EXPECT_NE(streambedProblem(0.0), "");
    EXPECT_NE(streambedProblem(INFINITY), "");
    EXPECT_EQ(tableProblem({0.5f, 0.5f}), "");
    EXPECT_EQ(tableProblem({0.1f, 0.2f, 0.3f, 0.4f}), ""); // floats that add up to a hair over 1
    EXPECT_EQ(tableProblem({}), "the table has no monthly shares");
    EXPECT_EQ(tableProblem({0.5f, -0.1f}), "the share of month 2 is -0.1; each share must lie between 0 and 1");
    EXPECT_EQ(tableProblem({0.6f, 0.3f, 0.2f}),
              "the shares of months 1 to 3 add up to 1.1, more than the whole step (1)");
    EXPECT_EQ(tableProblem({0.5f, 0.500002f}),
              "the shares of months 1 to 2 add up to 1.000002, more than the whole step (1)");
    EXPECT_EQ(alluvialProblem(double(1.3f)).substr(0, 12), "a/W is 1.3; ");
}

// The portable functions against the C library, within a few units in the
// last place (the C library's own error included).
TEST(SpecialFunctions, AgreeWithTheCLibrary) {
    double worstExp = 0.0, worstErfc = 0.0, worstErfcx = 0.0, worstSin = 0.0;
    for (double x = -708.0; x < 709.0; x += 0.0731) // normal results
        worstExp = std::max(worstExp, std::abs(expDouble(x) / std::exp(x) - 1.0));
    for (double x = -6.0; x < 26.0; x += 0.000731) {
        const double e = std::erfc(x);
        worstErfc = std::max(worstErfc, std::abs(erfcDouble(x) - e) / e);
        if (x >= 0.0 && x < 20.0)
            worstErfcx = std::max(worstErfcx, std::abs(erfcxDouble(x) / (std::exp(x * x) * e) - 1.0));
    }
    for (double x = -3.0; x < 3.0; x += 0.000137)
        worstSin = std::max(worstSin, std::abs(sinPiDouble(x) - std::sin(3.14159265358979323846 * x)));
    EXPECT_LE(worstExp, 1e-15);
    EXPECT_LE(worstErfc, 1e-14);
    EXPECT_LE(worstErfcx, 1e-12); // exp(x^2) of the C library loses digits as x grows
    EXPECT_LE(worstSin, 1e-14);
    // Known values and ends.
    EXPECT_EQ(expDouble(0.0), 1.0);
    EXPECT_EQ(expDouble(-800.0), 0.0);
    EXPECT_TRUE(std::isinf(expDouble(800.0)));
    EXPECT_GT(expDouble(-744.0), 0.0); // subnormal, not flushed
    EXPECT_EQ(erfcDouble(0.0), 1.0);
    EXPECT_EQ(erfcDouble(30.0), 0.0);
    EXPECT_EQ(erfcDouble(-30.0), 2.0);
    EXPECT_NEAR(erfcxDouble(1e10), 0.5641895835477563e-10, 1e-25);
    EXPECT_EQ(erfcxDouble(INFINITY), 0.0);
    EXPECT_EQ(sinPiDouble(1.0), 0.0);
    EXPECT_EQ(sinPiDouble(0.5), 1.0);
    EXPECT_EQ(sinPiDouble(-2.5), -1.0);
}

} // namespace
