// Draws, designs and inverse distribution functions, the same bits everywhere.
#include "engine/sampling.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "engine/special_functions.h"

namespace vek::engine {

namespace {

constexpr double kSqrt2 = 1.4142135623730950488;
constexpr double kSqrt2Pi = 2.5066282746310005024;

bool finite(double x) { return std::isfinite(x); }

std::uint64_t mix(std::uint64_t z) {
    z += 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t drawBits(std::uint64_t seed, std::uint64_t sample, std::uint64_t location, std::uint64_t quantity) {
    return mix(mix(mix(mix(seed) ^ sample) ^ location) ^ quantity);
}

// Keys of the strata shuffle, apart from those of the draws.
constexpr std::uint64_t kShuffleKey = 0x5A17ED5EED5A17EDULL;

double uniformQuantile(double low, double high, double u) { return low + u * (high - low); }

double triangularQuantile(const Range &r, double u) {
    const double width = r.high - r.low;
    if (!(width > 0.0)) return r.low;
    const double split = (r.value - r.low) / width;
    if (u < split) return r.low + std::sqrt(u * width * (r.value - r.low));
    return r.high - std::sqrt((1.0 - u) * width * (r.high - r.value));
}

// The standard normal cut to a..b at probability u; the tail that lies
// farther from the mean is mirrored so its probabilities keep their digits.
double truncatedNormal(double a, double b, double u) {
    if (a > 0.0) return -truncatedNormal(-b, -a, 1.0 - u);
    const double pa = normalProbability(a);
    const double pb = normalProbability(b);
    double p = pa + u * (pb - pa);
    if (!(p > 0.0)) p = pa > 0.0 ? pa : 1e-300;
    if (!(p < 1.0)) p = 1.0 - 1e-16;
    return std::clamp(normalQuantile(p), a, b);
}

} // namespace

std::string rangeProblem(const Range &r) {
    for (double x : {r.value, r.spread, r.low, r.high})
        if (!finite(x)) return "a range's numbers must be finite";
    switch (r.distribution) {
    case Distribution::Fixed:
        return {};
    case Distribution::Uniform:
        return r.low <= r.high ? std::string() : "the low end of a range must not be above its high end";
    case Distribution::LogUniform:
        if (!(r.low > 0.0)) return "a log-uniform range must lie above 0";
        return r.low <= r.high ? std::string() : "the low end of a range must not be above its high end";
    case Distribution::Triangular:
        return r.low <= r.value && r.value <= r.high ? std::string()
                                                     : "a triangular range's mode must lie between its ends";
    case Distribution::Normal:
    case Distribution::LogNormal:
        if (!(r.spread > 0.0)) return "a normal range's spread must be above 0";
        if (r.distribution == Distribution::LogNormal && !(r.low > 0.0 && r.value > 0.0))
            return "a log-normal range and its median must lie above 0";
        return r.low < r.high ? std::string() : "the low end of a normal range must be below its high end";
    }
    return "unknown distribution";
}

double rangeQuantile(const Range &r, double u) {
    switch (r.distribution) {
    case Distribution::Fixed:
        return r.value;
    case Distribution::Uniform:
        return uniformQuantile(r.low, r.high, u);
    case Distribution::LogUniform:
        return std::clamp(expDouble(uniformQuantile(logDouble(r.low), logDouble(r.high), u)), r.low, r.high);
    case Distribution::Triangular:
        return triangularQuantile(r, u);
    case Distribution::Normal:
        return std::clamp(r.value + r.spread *
                                        truncatedNormal((r.low - r.value) / r.spread, (r.high - r.value) / r.spread, u),
                          r.low, r.high);
    case Distribution::LogNormal: {
        const double mu = logDouble(r.value);
        const double z = truncatedNormal((logDouble(r.low) - mu) / r.spread, (logDouble(r.high) - mu) / r.spread, u);
        return std::clamp(expDouble(mu + r.spread * z), r.low, r.high);
    }
    }
    return r.value;
}

double logDouble(double x) {
    if (!(x > 0.0)) return x == 0.0 ? -HUGE_VAL : NAN;
    if (!finite(x)) return x;
    int exponent = 0;
    double m = std::frexp(x, &exponent); // x = m 2^exponent, 0.5 <= m < 1
    if (m < 0.70710678118654752440) {
        m *= 2.0;
        --exponent;
    }
    // ln m = 2 atanh(s), s = (m - 1) / (m + 1), |s| < 0.172
    const double s = (m - 1.0) / (m + 1.0);
    const double s2 = s * s;
    double sum = 0.0;
    for (int k = 41; k >= 3; k -= 2)
        sum = (sum + 1.0 / k) * s2;
    const double lnm = 2.0 * s + 2.0 * s * sum;
    constexpr double kLn2High = 6.93147180369123816490e-01; // ln 2 cut to 32 bits
    constexpr double kLn2Low = 1.90821492927058770002e-10;
    const double e = exponent;
    return e * kLn2High + (lnm + e * kLn2Low);
}

double normalProbability(double x) { return 0.5 * erfcDouble(-x / kSqrt2); }

double normalQuantile(double p) {
    // P. J. Acklam's rational approximation (relative error below 1.2e-9),
    // then one step of Halley's method on the error function.
    static const double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,  -2.759285104469687e+02,
                               1.383577518672690e+02,  -3.066479806614716e+01, 2.506628277459239e+00};
    static const double b[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                               6.680131188771972e+01, -1.328068155288572e+01};
    static const double c[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                               -2.549732539343734e+00, 4.374664141464968e+00,  2.938163982698783e+00};
    static const double d[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00,
                               3.754408661907416e+00};
    if (!(p > 0.0)) return -HUGE_VAL;
    if (!(p < 1.0)) return HUGE_VAL;
    constexpr double kLow = 0.02425;
    double x = 0.0;
    auto tail = [&](double q) {
        return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
               ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
    };
    if (p < kLow) {
        x = tail(std::sqrt(-2.0 * logDouble(p)));
    } else if (p <= 1.0 - kLow) {
        const double q = p - 0.5;
        const double r = q * q;
        x = (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
            (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
    } else {
        x = -tail(std::sqrt(-2.0 * logDouble(1.0 - p)));
    }
    const double e = normalProbability(x) - p;
    const double u = e * kSqrt2Pi * expDouble(0.5 * x * x);
    return x - u / (1.0 + 0.5 * x * u);
}

double uniformDraw(std::uint64_t seed, std::uint64_t sample, std::uint64_t location, std::uint64_t quantity) {
    const std::uint64_t bits = drawBits(seed, sample, location, quantity) >> 11;
    return (static_cast<double>(bits) + 0.5) * 0x1.0p-53;
}

std::vector<double> designDraws(Design design, std::uint64_t seed, std::size_t samples, std::uint64_t location,
                                std::uint64_t quantity) {
    std::vector<double> draws(samples);
    for (std::size_t k = 0; k < samples; ++k)
        draws[k] = uniformDraw(seed, k, location, quantity);
    if (design == Design::MonteCarlo || samples == 0) return draws;
    std::vector<std::size_t> stratum(samples);
    std::iota(stratum.begin(), stratum.end(), std::size_t{0});
    for (std::size_t k = samples - 1; k > 0; --k) {
        const std::uint64_t bits = drawBits(seed ^ kShuffleKey, k, location, quantity);
        std::swap(stratum[k], stratum[static_cast<std::size_t>(bits % (k + 1))]);
    }
    const auto n = static_cast<double>(samples);
    for (std::size_t k = 0; k < samples; ++k)
        draws[k] = std::min((static_cast<double>(stratum[k]) + draws[k]) / n, 1.0 - 0x1.0p-53);
    return draws;
}

} // namespace vek::engine
