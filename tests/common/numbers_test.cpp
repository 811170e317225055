// Locale-free number conversions: "%g" output identical to printf's in the
// "C" locale over many generated values and precisions, and the scanf-like
// reading rules (signs, white space, range, non-finite words).
#include "common/numbers.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace {

std::string printfG(double v, int precision) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%.*g", precision, v);
    return buf;
}

} // namespace

TEST(FormatG, MatchesPrintfForGeneratedValuesAndPrecisions) {
    ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
    std::mt19937_64 rng(19);
    std::uniform_int_distribution<int> exponent(-40, 40);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> precision(0, 17);
    std::uniform_int_distribution<int> digits(0, 999999);
    for (int i = 0; i < 200000; ++i) {
        double v;
        switch (i % 4) {
        case 0: // any magnitude
            v = mantissa(rng) * std::pow(10.0, exponent(rng));
            break;
        case 1: // single-precision values, as the tables hold
            v = static_cast<double>(static_cast<float>(mantissa(rng) * std::pow(10.0, exponent(rng) / 4)));
            break;
        case 2: // short decimals, where rounding to 6 digits ties
            v = digits(rng) / std::pow(10.0, i % 9);
            break;
        default: // halves and the exponent-form boundaries
            v = (digits(rng) + 0.5) * std::pow(10.0, exponent(rng) / 8);
        }
        const int p = i % 3 == 0 ? 6 : precision(rng);
        ASSERT_EQ(vek::formatG(v, p), printfG(v, p)) << "precision " << p;
    }
}

TEST(FormatG, SpecialValuesAndDefaults) {
    const double specials[] = {0.0,
                               -0.0,
                               1e-5,
                               1e-4,
                               999999.5,
                               1e6,
                               123456.0,
                               1234567.0,
                               0.0001234,
                               DBL_MAX,
                               -DBL_MIN,
                               4.9e-324,
                               FLT_MAX,
                               -1.0 / 3.0,
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity()};
    for (double v : specials)
        for (int p : {0, 1, 2, 6, 9, 17})
            EXPECT_EQ(vek::formatG(v, p), printfG(v, p)) << v << " precision " << p;
    EXPECT_EQ(vek::formatG(1234567.0), "1.23457e+06");
    EXPECT_EQ(vek::formatG(0.0001), "0.0001");
    EXPECT_EQ(vek::formatG(0.00001), "1e-05");
    EXPECT_EQ(vek::formatG(100000.0), "100000");
    EXPECT_EQ(vek::formatG(-512.0, 2), "-5.1e+02");
    EXPECT_EQ(vek::formatG(std::nan("")), printfG(std::nan(""), 6));
}

TEST(Scan, RealsFollowScanfAndRefuseWhatIsNoNumber) {
    struct Row {
        const char *text;
        bool ok;
        float value;
        std::size_t end;
    } rows[] = {
        {"  2.5 x", true, 2.5f, 5},
        {"+3", true, 3.0f, 2},
        {"-0.5e1", true, -5.0f, 6},
        {"1e", true, 1.0f, 1},
        {"7.", true, 7.0f, 2},
        {".25", true, 0.25f, 3},
        {"+-1", false, 0, 0},
        {"++1", false, 0, 0},
        {"-", false, 0, 0},
        {"", false, 0, 0},
        {"   ", false, 0, 0},
        {"nan", false, 0, 0},
        {"inf", false, 0, 0},
        {"-infinity", false, 0, 0},
        {"1e39", false, 0, 0},
        {"1e-50", true, 0.0f, 5},
        {"2,5", true, 2.0f, 1},
        {"0x10", true, 0.0f, 1},
        {"\t\n\v\f\r9", true, 9.0f, 6},
    };
    for (const Row &r : rows) {
        std::size_t pos = 0;
        float v = -99.0f;
        EXPECT_EQ(vek::scanReal(r.text, pos, v), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(v, r.value) << r.text;
            EXPECT_EQ(pos, r.end) << r.text;
        } else {
            EXPECT_EQ(pos, 0u) << r.text;
            EXPECT_EQ(v, -99.0f) << r.text << ": a failed scan writes nothing";
        }
    }
}

TEST(Scan, IntegersAndLeadingNumbers) {
    std::size_t pos = 0;
    int i = 0;
    EXPECT_TRUE(vek::scanInt(" +42 7", pos, i));
    EXPECT_EQ(i, 42);
    EXPECT_TRUE(vek::scanInt(" +42 7", pos, i));
    EXPECT_EQ(i, 7);
    pos = 0;
    EXPECT_FALSE(vek::scanInt("2147483648", pos, i)) << "beyond int fails, never wraps";
    EXPECT_FALSE(vek::scanInt("+-3", pos, i));
    unsigned u = 0;
    EXPECT_FALSE(vek::scanUnsigned("-1", pos, u)) << "no wrap-around of a minus sign";
    EXPECT_TRUE(vek::scanUnsigned("+17", pos, u));
    EXPECT_EQ(u, 17u);

    EXPECT_EQ(vek::leadingNumber("123.50days"), 123.5f);
    EXPECT_EQ(vek::leadingNumber("days"), 0.0f);
    EXPECT_EQ(vek::leadingNumber("1e99"), 0.0f) << "beyond float is no number";
    EXPECT_EQ(vek::leadingInteger(" 1990.5"), 1990);
    EXPECT_EQ(vek::leadingInteger("99999999999999999999"), std::numeric_limits<int>::max());
    EXPECT_EQ(vek::leadingInteger("-99999999999"), std::numeric_limits<int>::min());
    EXPECT_EQ(vek::leadingInteger("x1"), 0);
    EXPECT_EQ(vek::trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(vek::trim("   "), "");
}
