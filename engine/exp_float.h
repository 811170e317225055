// The exponential of a float, with the same bits on every platform: the C
// library's expf differs between platforms (MinGW's from glibc's), and the
// engine's reports must not.
#pragma once

#include <cstdint>

namespace vek::engine {

// e^x rounded to float. Computed in double precision with additions and
// multiplications only (a 32-entry table of 2^(i/32) and a cubic), so every
// IEEE machine gives the same result. Over [-9, 0], the exponents the
// engine's kernels use, it equals glibc's expf on every float.
float expFloat(float x);

// The pieces of expFloat, for the loops that compute many at once
// (x / ln2 = k/32 + r/32 with integer k and |r| <= 1/2;
// e^x = 2^(k/32) * 2^(r/32), the first from the table with its exponent
// added as integer bits, the second from a cubic in r).
namespace exp_float {

inline constexpr int kTableBits = 5;
inline constexpr int kN = 1 << kTableBits;

// Bits of 2^(i/32), correctly rounded, less i << (52 - 5): adding k << 47
// to entry k % 32 gives the bits of 2^(k/32).
inline constexpr std::uint64_t kTable[kN] = {
    0x3ff0000000000000, 0x3fefd9b0d3158574, 0x3fefb5586cf9890f, 0x3fef9301d0125b51, 0x3fef72b83c7d517b,
    0x3fef54873168b9aa, 0x3fef387a6e756238, 0x3fef1e9df51fdee1, 0x3fef06fe0a31b715, 0x3feef1a7373aa9cb,
    0x3feedea64c123422, 0x3feece086061892d, 0x3feebfdad5362a27, 0x3feeb42b569d4f82, 0x3feeab07dd485429,
    0x3feea47eb03a5585, 0x3feea09e667f3bcd, 0x3fee9f75e8ec5f74, 0x3feea11473eb0187, 0x3feea589994cce13,
    0x3feeace5422aa0db, 0x3feeb737b0cdc5e5, 0x3feec49182a3f090, 0x3feed503b23e255d, 0x3feee89f995ad3ad,
    0x3feeff76f2fb5e47, 0x3fef199bdd85529c, 0x3fef3720dcef9069, 0x3fef5818dcfba487, 0x3fef7c97337b9b5f,
    0x3fefa4afa2a490da, 0x3fefd0765b6e4540};

// 2^(r/32) - 1 ~ C2 r + C1 r^2 + C0 r^3 for |r| <= 1/2.
inline constexpr double kC0 = 0x1.c6af84b912394p-5 / kN / kN / kN;
inline constexpr double kC1 = 0x1.ebfce50fac4f3p-3 / kN / kN;
inline constexpr double kC2 = 0x1.62e42ff0c52d6p-1 / kN;
inline constexpr double kInvLn2N = 0x1.71547652b82fep+0 * kN;
// Adding this rounds to an integer held in the low bits of the mantissa.
inline constexpr double kShift = 0x1.8p+52;

} // namespace exp_float

} // namespace vek::engine
