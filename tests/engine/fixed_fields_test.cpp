// Report fields: F9.1 must give printf's digits (exact value, ties to even)
// with asterisks on overflow; In right-justified with asterisks; An cut/padded.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

#include "engine/fixed_fields.h"

namespace {

using namespace vek::engine;

std::string f91(float v) {
    std::string s;
    appendF91(s, v);
    return s;
}

TEST(FixedFields, F91Rows) {
    struct Row {
        float value;
        const char *text;
    } rows[] = {
        {0.0f, "      0.0"},
        {-0.0f, "      0.0"}, // zero prints unsigned
        {0.25f, "      0.2"},
        {0.75f, "      0.8"}, // ties to even on the exact value
        {0.35f, "      0.3"},
        {-0.04f, "     -0.0"}, // 0.35f is just below 0.35
        {-1234.5f, "  -1234.5"},
        {-14814.0f, " -14814.0"},
        {9999999.0f, "9999999.0"},
        {9999999.9f, "*********"}, // rounds to 10000000.0 (wider than 9)
        {12000000.0f, "*********"},
        {-999999.9f, "-999999.9"},
        {-1000000.0f, "*********"},
        {std::numeric_limits<float>::infinity(), "*********"},
        {std::numeric_limits<float>::quiet_NaN(), "*********"},
        {3.0e38f, "*********"},
    };
    for (const auto &r : rows)
        EXPECT_EQ(f91(r.value), r.text) << r.value;
}

TEST(FixedFields, F91AgreesWithPrintfOnRandomFloats) {
    std::mt19937 gen(12345);
    std::uniform_int_distribution<std::uint32_t> bits;
    int checked = 0;
    for (int i = 0; i < 200000; ++i) {
        std::uint32_t b = bits(gen);
        // Bias towards the printable range: clear high exponent bits half the time.
        if (i % 2) b = (b & 0x807FFFFFu) | ((100u + b % 60u) << 23);
        float v;
        std::memcpy(&v, &b, sizeof v);
        if (!std::isfinite(v) || v == 0.0f) continue;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%9.1f", static_cast<double>(v));
        const std::string expected = std::strlen(buf) > 9 ? "*********" : buf;
        ASSERT_EQ(f91(v), expected) << "bits " << b;
        ++checked;
    }
    EXPECT_GT(checked, 100000);
}

TEST(FixedFields, IntegersAndText) {
    struct Row {
        long long value;
        int width;
        const char *text;
    } rows[] = {{1999, 4, "1999"}, {1999, 5, " 1999"},
                {399, 3, "399"},   {400, 3, "400"},
                {1000, 3, "***"},  {-5, 3, " -5"},
                {-100, 3, "***"},  {12345, 4, "****"},
                {0, 5, "    0"},   {std::numeric_limits<long long>::min(), 5, "*****"}};
    for (const auto &r : rows) {
        std::string s;
        appendInt(s, r.value, r.width);
        EXPECT_EQ(s, r.text) << r.value;
    }
    std::string s;
    appendText(s, "PUMPING", 10);
    EXPECT_EQ(s, "PUMPING   ");
    s.clear();
    appendText(s, "ABCDEFGHIJKL", 10);
    EXPECT_EQ(s, "ABCDEFGHIJ");
}

} // namespace
