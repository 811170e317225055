// Portable double-precision special functions. Rounding to an integer uses
// the 1.5 * 2^52 shift (exact under the default rounding mode) and std::trunc
// (exact), never a library routine whose last bits could differ.
#include "engine/special_functions.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace vek::engine {

namespace {

constexpr double kShift = 0x1.8p+52;

// x rounded to the nearest integer (ties to even), |x| < 2^51. Without
// fast-math the compiler must keep both operations.
double nearestInteger(double x) { return (x + kShift) - kShift; }

// y times 2^k, without losing subnormal results to a premature underflow.
double scaleByPowerOfTwo(double y, int k) {
    auto power = [](int e) {
        const std::uint64_t bits = static_cast<std::uint64_t>(e + 1023) << 52;
        double p;
        std::memcpy(&p, &bits, sizeof p);
        return p;
    };
    if (k >= -1022) return y * power(k);
    if (k < -1076) return 0.0;
    return (y * power(k + 54)) * 0x1p-54;
}

// 2^(i/32), correctly rounded.
constexpr double kTwoToThe32nd[32] = {
    0x1.0000000000000p+0, 0x1.059b0d3158574p+0, 0x1.0b5586cf9890fp+0, 0x1.11301d0125b51p+0, 0x1.172b83c7d517bp+0,
    0x1.1d4873168b9aap+0, 0x1.2387a6e756238p+0, 0x1.29e9df51fdee1p+0, 0x1.306fe0a31b715p+0, 0x1.371a7373aa9cbp+0,
    0x1.3dea64c123422p+0, 0x1.44e086061892dp+0, 0x1.4bfdad5362a27p+0, 0x1.5342b569d4f82p+0, 0x1.5ab07dd485429p+0,
    0x1.6247eb03a5585p+0, 0x1.6a09e667f3bcdp+0, 0x1.71f75e8ec5f74p+0, 0x1.7a11473eb0187p+0, 0x1.82589994cce13p+0,
    0x1.8ace5422aa0dbp+0, 0x1.93737b0cdc5e5p+0, 0x1.9c49182a3f090p+0, 0x1.a5503b23e255dp+0, 0x1.ae89f995ad3adp+0,
    0x1.b7f76f2fb5e47p+0, 0x1.c199bdd85529cp+0, 0x1.cb720dcef9069p+0, 0x1.d5818dcfba487p+0, 0x1.dfc97337b9b5fp+0,
    0x1.ea4afa2a490dap+0, 0x1.f50765b6e4540p+0};

// ln 2 split so that k * kLn2Hi is exact for |k| < 2^11.
constexpr double kLn2Hi = 0x1.62e42fee00000p-1;
constexpr double kLn2Lo = 0x1.a39ef35793c76p-33;
constexpr double kInvLn2 = 0x1.71547652b82fep+0;

// Cody's coefficients. erf(x) for |x| <= 0.46875: x * A(x^2) / B(x^2).
constexpr double kA[5] = {3.16112374387056560e00, 1.13864154151050156e02, 3.77485237685302021e02,
                          3.20937758913846947e03, 1.85777706184603153e-1};
constexpr double kB[4] = {2.36012909523441209e01, 2.44024637934444173e02, 1.28261652607737228e03,
                          2.84423683343917062e03};
// erfcx(x) for 0.46875 < x <= 4: C(x) / D(x).
constexpr double kC[9] = {5.64188496988670089e-1, 8.88314979438837594e00, 6.61191906371416295e01,
                          2.98635138197400131e02, 8.81952221241769090e02, 1.71204761263407058e03,
                          2.05107837782607147e03, 1.23033935479799725e03, 2.15311535474403846e-8};
constexpr double kD[8] = {1.57449261107098347e01, 1.17693950891312499e02, 5.37181101862009858e02,
                          1.62138957456669019e03, 3.29079923573345963e03, 4.36261909014324716e03,
                          3.43936767414372164e03, 1.23033935480374942e03};
// erfcx(x) for x > 4: (1/sqrt(pi) - P(1/x^2) / (x^2 Q(1/x^2))) / x.
constexpr double kP[6] = {3.05326634961232344e-1, 3.60344899949804439e-1, 1.25781726111229246e-1,
                          1.60837851487422766e-2, 6.58749161529837803e-4, 1.63153871373020978e-2};
constexpr double kQ[5] = {2.56852019228982242e00, 1.87295284992346047e00, 5.27905102951428412e-1,
                          6.05183413124413191e-2, 2.33520497626869185e-3};
constexpr double kInvSqrtPi = 5.6418958354775628695e-1;
constexpr double kSmall = 0.46875;
// Beyond these erfc underflows to 0, and erfcx equals 1 / (x sqrt(pi)) to
// double precision.
constexpr double kErfcZero = 26.55;
constexpr double kErfcxAsymptotic = 6.71e7;

// erf(x) for |x| <= kSmall.
double erfSmall(double x) {
    const double y = x * x;
    double num = kA[4] * y;
    double den = y;
    for (int i = 0; i < 3; ++i) {
        num = (num + kA[i]) * y;
        den = (den + kB[i]) * y;
    }
    return x * (num + kA[3]) / (den + kB[3]);
}

// erfcx(x) for kSmall < x <= 4.
double erfcxMiddle(double x) {
    double num = kC[8] * x;
    double den = x;
    for (int i = 0; i < 7; ++i) {
        num = (num + kC[i]) * x;
        den = (den + kD[i]) * x;
    }
    return (num + kC[7]) / (den + kD[7]);
}

// erfcx(x) for x > 4.
double erfcxLarge(double x) {
    const double z = 1.0 / (x * x);
    double num = kP[5] * z;
    double den = z;
    for (int i = 0; i < 4; ++i) {
        num = (num + kP[i]) * z;
        den = (den + kQ[i]) * z;
    }
    const double r = z * (num + kP[4]) / (den + kQ[4]);
    return (kInvSqrtPi - r) / x;
}

// erfcx for x > kSmall.
double erfcxAbove(double x) {
    if (x <= 4.0) return erfcxMiddle(x);
    if (x >= kErfcxAsymptotic) return kInvSqrtPi / x;
    return erfcxLarge(x);
}

} // namespace

namespace {

// e^(hi + lo) for hi + lo within the range of expDouble, where hi has few
// significant bits (so that hi less a multiple of ln2 / 32 is exact) and lo
// is the rest, at most about 1.
double expOfSum(double hi, double lo) {
    // hi + lo = (k / 32) ln2 + r with |r| <= ln2 / 64 (and a little more from
    // rounding k); e^x = 2^(k div 32) 2^((k mod 32) / 32) e^r.
    const double k = nearestInteger((hi + lo) * kInvLn2 * 32.0);
    const double r = ((hi - k * (kLn2Hi / 32.0)) + lo) - k * (kLn2Lo / 32.0);
    // e^r by its Taylor polynomial to r^6: the rest is below 1e-17.
    double p = 1.0 / 720.0;
    p = p * r + 1.0 / 120.0;
    p = p * r + 1.0 / 24.0;
    p = p * r + 1.0 / 6.0;
    p = p * r + 0.5;
    p = p * r + 1.0;
    p = p * r + 1.0;
    const int ki = static_cast<int>(k);
    const int j = ki & 31;
    return scaleByPowerOfTwo(p * kTwoToThe32nd[j], (ki - j) / 32);
}

} // namespace

double expDouble(double x) {
    if (std::isnan(x)) return x;
    if (x < -745.2) return 0.0;
    if (x > 709.8) return std::numeric_limits<double>::infinity();
    // x itself is split: its head with 20 fewer bits, and the rest.
    const double head = std::trunc(x * 0x1p12) * 0x1p-12;
    return expOfSum(head, x - head);
}

// x is split into a part with 4 fraction bits, whose square is exact and
// short, and the rest: exp(-head^2 - (x - head)(x + head)).
double expMinusSquareDouble(double x) {
    if (!(x <= kErfcZero * 1.1)) return x == x ? 0.0 : x;
    const double head = std::trunc(x * 16.0) / 16.0;
    return expOfSum(-head * head, -(x - head) * (x + head));
}

double erfcDouble(double x) {
    if (std::isnan(x)) return x;
    const double y = std::fabs(x);
    double erfcY;
    if (y <= kSmall) {
        const double e = erfSmall(x);
        return 1.0 - e; // both signs at once
    }
    if (y >= kErfcZero) {
        erfcY = 0.0;
    } else {
        erfcY = expMinusSquareDouble(y) * erfcxAbove(y);
    }
    return x < 0.0 ? 2.0 - erfcY : erfcY;
}

double erfcxDouble(double x) {
    if (std::isnan(x)) return x;
    if (x <= kSmall) return expDouble(x * x) * (1.0 - erfSmall(x));
    if (std::isinf(x)) return 0.0;
    return erfcxAbove(x);
}

double sinPiDouble(double x) {
    if (!std::isfinite(x)) return std::numeric_limits<double>::quiet_NaN();
    // sin(pi x) has period 2: z = x - 2 round(x / 2) lies in [-1, 1] and is
    // exact (x and the even integer are close).
    double z = std::fabs(x) < 0x1p52 ? x - 2.0 * nearestInteger(0.5 * x) : 0.0;
    // sin(pi z) = sin(pi (1 - z)): bring z into [-1/2, 1/2].
    if (z > 0.5) z = 1.0 - z;
    if (z < -0.5) z = -1.0 - z;
    const double a = z * 3.14159265358979323846;
    const double a2 = a * a;
    // Taylor polynomial of sin to a^23 (|a| <= pi/2: the rest is below 1e-20),
    // coefficient i for a^(2i + 3).
    constexpr double kCoefficient[11] = {-1.0 / 6.0,
                                         1.0 / 120.0,
                                         -1.0 / 5040.0,
                                         1.0 / 362880.0,
                                         -1.0 / 39916800.0,
                                         1.0 / 6227020800.0,
                                         -1.0 / 1307674368000.0,
                                         1.0 / 355687428096000.0,
                                         -1.0 / 121645100408832000.0,
                                         1.0 / 51090942171709440000.0,
                                         -1.0 / 25852016738884976640000.0};
    double p = kCoefficient[10];
    for (int i = 9; i >= 0; --i)
        p = p * a2 + kCoefficient[i];
    return a + a * a2 * p;
}

} // namespace vek::engine
