// expFloat gives the same bits on every platform, and the same as glibc's
// expf over the engine's exponents [-9, 0].
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/exp_float.h"

namespace {

using vek::engine::expFloat;

float fromBits(std::uint32_t b) {
    float f;
    std::memcpy(&f, &b, sizeof f);
    return f;
}
std::uint32_t bitsOf(float f) {
    std::uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

constexpr std::uint32_t kMinusZero = 0x80000000u, kMinusNine = 0xC1100000u;

// A fingerprint of expFloat over every 61st float of [-9, 0]: the same
// number on Linux and on Windows proves the same bits on both.
TEST(ExpFloat, SameBitsOnEveryPlatform) {
    std::uint64_t hash = 1469598103934665603ull;
    for (std::uint64_t b = kMinusZero; b <= kMinusNine; b += 61)
        hash = (hash ^ bitsOf(expFloat(fromBits(static_cast<std::uint32_t>(b))))) * 1099511628211ull;
    EXPECT_EQ(hash, 0xbcaa41f53862a4bdull) << std::hex << hash;
}

TEST(ExpFloat, EdgesAndKnownValues) {
    EXPECT_EQ(expFloat(0.0f), 1.0f);
    EXPECT_EQ(expFloat(-0.0f), 1.0f);
    EXPECT_EQ(bitsOf(expFloat(-9.0f)), bitsOf(1.2340980e-4f));
    EXPECT_EQ(expFloat(1.0f), 2.71828183f);
    EXPECT_EQ(expFloat(-200.0f), 0.0f);
    EXPECT_TRUE(std::isinf(expFloat(200.0f)));
    EXPECT_TRUE(std::isnan(expFloat(NAN)));
}

#ifdef __GLIBC__
// Equal to glibc's expf, so Linux reports did not change when the engine
// took this function. VEK_EXP_EXHAUSTIVE=1 checks every float of the range
// (about a minute); by default every 31st.
TEST(ExpFloat, EqualsGlibcOnTheEngineRange) {
    const std::uint64_t step = std::getenv("VEK_EXP_EXHAUSTIVE") ? 1 : 31;
    std::uint64_t differ = 0;
    for (std::uint64_t b = kMinusZero; b <= kMinusNine; b += step) {
        const float x = fromBits(static_cast<std::uint32_t>(b));
        volatile float vx = x;
        if (bitsOf(expFloat(x)) != bitsOf(std::exp(static_cast<float>(vx)))) ++differ;
    }
    EXPECT_EQ(differ, 0u);
}
#endif

} // namespace
