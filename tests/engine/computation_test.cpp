// The depletion computation: response table against a double-precision
// erfc, the known answers for constant rates, factor 0 and a single pulse,
// the day calendar, and the kernel superposition against the pair loop.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <vector>

#include "engine/day_calendar.h"
#include "engine/response_kernels.h"
#include "engine/response_table.h"
#include "engine/superposition.h"

namespace {

using namespace vek::engine;

TEST(DayCalendar, MonthLengthsAndLeapYears) {
    const DayCalendar cal(1999); // FEB of 1999 is in run year 1999
    EXPECT_EQ(cal[0], 0);
    EXPECT_EQ(cal.daysInMonth(1), 30);  // NOV
    EXPECT_EQ(cal.daysInMonth(4), 28);  // FEB 1999
    EXPECT_EQ(cal.daysInMonth(16), 29); // FEB 2000
    EXPECT_EQ(cal[12], 365);
    EXPECT_EQ(cal[24], 731);
    EXPECT_EQ(cal[4800], 146100);
    // No century rule: 2100 is a leap year here.
    EXPECT_EQ(DayCalendar(2100).daysInMonth(4), 29);
    // The lag within the step month itself.
    const int lags[] = {15, 16, 16, 13, 16, 15, 16, 15, 16, 16, 15, 16};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(cal[m] - cal[m - 1] - 15, lags[m - 1]) << m;
    // The four-year cycle the kernels rely on.
    for (int m = 1; m + 48 <= 4800; m += 7)
        EXPECT_EQ(cal[m + 48] - cal[m], cal[48]) << m;
}

TEST(ResponseTable, ShapeAtTheEnds) {
    // Factor 0: every entry is 1 to within single precision.
    for (int t : {1, 2, 15, 1000, 146100})
        EXPECT_NEAR(depletionFraction(0.0f, t), 1.0f, 2e-7f);
    // Beyond u = 3 (t < F / 36) the table is exactly 0.
    EXPECT_EQ(depletionFraction(3600.0f, 99), 0.0f);
    EXPECT_GT(depletionFraction(3600.0f, 100), 0.0f);
    ResponseTable table;
    table.build(500.0f, 3000);
    for (int t = 2; t <= 3000; ++t)
        EXPECT_GE(table[t], table[t - 1]) << t;
}

// Constant rate q from month 1: e(i) = q * fraction(cal[i] - 15), which must
// agree with q * erfc(sqrt(F / 4t)) in double precision to the method's own
// accuracy, everywhere the approximation is used (u <= 3).
TEST(Superposition, ConstantRateFollowsErfc) {
    const DayCalendar cal(1950);
    const int months = 4800;
    std::vector<Real> q(months + 1, 37.5f), e(months + 1, 0.0f);
    q[0] = 0.0f;
    for (float factor : {0.0f, 1.0f, 30.0f, 500.0f, 5000.0f, 50000.0f}) {
        ResponseTable table;
        table.build(factor, cal[months]);
        std::fill(e.begin(), e.end(), 0.0f);
        std::ostringstream console;
        superposeReference(q.data(), e.data(), months, cal, table.data(), console);
        EXPECT_EQ(console.str(), "");
        for (int i = 1; i <= months; ++i) {
            const int t = cal[i] - 15;
            EXPECT_EQ(e[static_cast<std::size_t>(i)], 37.5f * table[t]) << "one step: exactly one term";
            const double u = 0.5 * std::sqrt(static_cast<double>(factor) / t);
            const double exact = 37.5 * std::erfc(u);
            if (u <= 3.0) {
                ASSERT_NEAR(e[static_cast<std::size_t>(i)], exact, 1e-5 * 37.5) << "F " << factor << " month " << i;
            } else {
                EXPECT_EQ(e[static_cast<std::size_t>(i)], 0.0f);
                EXPECT_LT(exact, 2.3e-5 * 37.5);
            }
        }
    }
}

TEST(Superposition, SinglePulseDecays) {
    const DayCalendar cal(2001);
    const int months = 120;
    std::vector<Real> q(months + 1, 0.0f), e(months + 1, 0.0f);
    q[1] = 10.0f;
    ResponseTable table;
    table.build(900.0f, cal[months]);
    std::ostringstream console;
    superposeReference(q.data(), e.data(), months, cal, table.data(), console);
    for (int i = 2; i <= months; ++i) {
        const Real on = 10.0f * table[cal[i] - 15];
        const Real off = -10.0f * table[cal[i] - cal[1] - 15];
        EXPECT_EQ(e[static_cast<std::size_t>(i)], on + off) << i;
    }
    EXPECT_GT(e[12], e[120]);
}

// Random rates with zero runs, negative values and repeated values: every
// kernel variant this processor runs must give the pair loop's floats bit for
// bit, on runs shorter than a four-year cycle, not a whole number of cycles
// long, and 400 years long (the largest number of cycles).
TEST(Superposition, EveryKernelVariantGivesThePairLoopsFloats) {
    std::mt19937 gen(99);
    const std::vector<KernelVariant> variants = availableKernelVariants();
    ASSERT_EQ(variants.front(), KernelVariant::Baseline);
    for (int startYear : {1999, 2000, 2001, 2002}) {
        const DayCalendar cal(startYear);
        for (int months : {12, 60, 49 * 12, 4800}) {
            if (months == 4800 && startYear != 2001) continue; // the longest run once is enough
            std::vector<KernelLayout> layouts;
            for (KernelVariant v : variants)
                layouts.emplace_back(cal, months, v);
            EXPECT_FALSE(layouts.front().hasShortLag());
            for (float factor : {0.0f, 0.5f, 17.25f, 400.0f, 4321.0f, 100000.0f}) {
                std::vector<Real> q(static_cast<std::size_t>(months) + 1, 0.0f);
                std::uniform_real_distribution<float> value(-50.0f, 400.0f);
                for (int m = 1; m <= months; ++m) {
                    const int kind = static_cast<int>(gen() % 4);
                    q[static_cast<std::size_t>(m)] = kind == 0   ? 0.0f
                                                     : kind == 1 ? q[static_cast<std::size_t>(m - 1)]
                                                                 : value(gen);
                }
                std::vector<Real> ref(q.size(), 0.0f);
                ResponseTable table;
                table.build(factor, cal[months]);
                std::ostringstream console;
                superposeReference(q.data(), ref.data(), months, cal, table.data(), console);
                for (const KernelLayout &layout : layouts) {
                    std::vector<Real> fast(q.size(), 0.0f);
                    superposeKernels(q.data(), fast.data(), months, ResponseKernels(layout, factor));
                    ASSERT_EQ(std::memcmp(ref.data(), fast.data(), ref.size() * sizeof(Real)), 0)
                        << kernelVariantName(layout.variant()) << " start " << startYear << " months " << months
                        << " factor " << factor;
                }
            }
        }
    }
}

// Each variant's response rows hold depletionFraction() at every lag they
// stand for, bit for bit; the rows are what the superposition multiplies.
TEST(Superposition, EveryKernelVariantHoldsTheTablesFractions) {
    const DayCalendar cal(1903);
    const int months = 4800;
    for (KernelVariant v : availableKernelVariants()) {
        const KernelLayout layout(cal, months, v);
        for (float factor : {0.0f, 1.0f, 333.3f, 20000.0f, 100000.0f, 3.0e7f}) {
            const ResponseKernels kernels(layout, factor);
            for (int k = 1; k <= 48; k += 5)
                for (int i = k; i <= months; i += 7)
                    ASSERT_EQ(std::bit_cast<std::uint32_t>(kernels.at(k, i)),
                              std::bit_cast<std::uint32_t>(depletionFraction(factor, cal[i] - cal[k - 1] - 15)))
                        << kernelVariantName(v) << " factor " << factor << " k " << k << " i " << i;
        }
    }
}

// A step too large for a float (rates near the largest float, in opposite
// directions) is infinite: the pair loop then gives NaN where the fraction is
// 0 and infinities elsewhere, but only from its own month on.
TEST(Superposition, InfiniteStepOnlyReachesItsOwnMonthsOn) {
    const DayCalendar cal(2001);
    const int months = 120;
    std::vector<Real> q(months + 1, 0.0f);
    q[30] = 3.0e38f;
    q[31] = -3.0e38f; // step at month 31 overflows
    ResponseTable table;
    table.build(900.0f, cal[months]);
    std::vector<Real> ref(q.size(), 0.0f);
    std::ostringstream console;
    superposeReference(q.data(), ref.data(), months, cal, table.data(), console);
    ASSERT_TRUE(std::isnan(ref[31]));
    ASSERT_FALSE(std::isnan(ref[30]));
    for (KernelVariant v : availableKernelVariants()) {
        const KernelLayout layout(cal, months, v);
        std::vector<Real> fast(q.size(), 0.0f);
        superposeKernels(q.data(), fast.data(), months, ResponseKernels(layout, 900.0f));
        EXPECT_EQ(std::memcmp(ref.data(), fast.data(), ref.size() * sizeof(Real)), 0) << kernelVariantName(v);
    }
}

TEST(Superposition, KernelCacheSharesAndRecycles) {
    const DayCalendar cal(2000);
    const KernelLayout layout(cal, 120);
    KernelCache cache(layout, 2);
    auto a = cache.get(10.0f);
    EXPECT_EQ(cache.get(10.0f).get(), a.get());
    auto b = cache.get(20.0f);
    a.reset();
    b.reset();
    auto c = cache.get(30.0f); // takes over the storage of 10
    EXPECT_EQ(c->factor(), 30.0f);
    const ResponseKernels fresh(layout, 30.0f);
    for (int k = 1; k <= 120; ++k)
        for (int i = k; i <= 120; ++i)
            ASSERT_EQ(c->at(k, i), fresh.at(k, i));
    EXPECT_EQ(cache.get(20.0f)->factor(), 20.0f);
}

// Two responses that share a factor but not a/W, lambda' or the table are
// two entries of the cache: the second gets its own kernels, not the first's.
TEST(Superposition, KernelCacheKeysOnTheWholeResponse) {
    const DayCalendar cal(2000);
    const KernelLayout layout(cal, 120);
    const std::vector<StepResponse> tables{StepResponse::responseTable({0.3f, 0.2f, 0.1f}, true),
                                           StepResponse::responseTable({0.1f, 0.1f, 0.1f, 0.1f}, false)};
    const struct {
        const char *what;
        LocationResponse first, second;
    } rows[] = {
        {"a/W",
         {ResponseMethod::AlluvialAquifer, 150.0f, 0.3f, -1},
         {ResponseMethod::AlluvialAquifer, 150.0f, 0.7f, -1}},
        {"lambda'",
         {ResponseMethod::StreambedResistance, 150.0f, 0.5f, -1},
         {ResponseMethod::StreambedResistance, 150.0f, 5.0f, -1}},
        {"table", {ResponseMethod::ResponseTable, 150.0f, 0.0f, 0}, {ResponseMethod::ResponseTable, 150.0f, 0.0f, 1}},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.what);
        KernelCache cache(layout, 4);
        const auto first = cache.get(r.first, tables);
        const auto second = cache.get(r.second, tables);
        ASSERT_NE(first.get(), second.get());
        EXPECT_EQ(cache.get(r.first, tables).get(), first.get());
        const ResponseKernels fresh(layout, r.second, tables);
        bool differs = false;
        for (int k = 1; k <= 48; ++k)
            for (int i = k; i <= 120; ++i) {
                ASSERT_EQ(second->at(k, i), fresh.at(k, i)) << "k " << k << " i " << i;
                differs = differs || first->at(k, i) != fresh.at(k, i);
            }
        EXPECT_TRUE(differs);
    }
}

} // namespace
