// Step responses of the four methods. Every value comes from additions,
// multiplications, divisions, square roots and the portable special
// functions, in a fixed order.
#include "engine/response_methods.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "engine/special_functions.h"

namespace vek::engine {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Where the alluvial aquifer's image series gives way to its late-time
// series, in tau = T t / (S W^2) = (a/W)^2 t / sdf. Near it both need a handful
// of terms and agree to about 1e-16.
constexpr double kLateTau = 0.15;
// erfc beyond this argument, and exp below minus this, add less than 1e-19.
constexpr double kLastErfcArgument = 6.5;
constexpr double kLastExponent = 45.0;

// The odd k whose late-series term can still count: k^2 pi^2 tau / 4 at most
// kLastExponent for some tau the series is used at (tau > kLateTau).
constexpr int lateTermsThatCount() {
    int terms = 0;
    for (int k = 1; static_cast<double>(k) * k * 0.25 * kPi * kPi * kLateTau <= kLastExponent; k += 2)
        ++terms;
    return terms;
}

// A parameter as it was written: a float (as the model file holds them) in
// its shortest form, any other double in its own.
std::string number(double v) {
    char buf[32];
    const auto f = static_cast<float>(v);
    const auto r =
        static_cast<double>(f) == v ? std::to_chars(buf, buf + sizeof buf, f) : std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// A sum of shares to 7 significant digits, enough to show it is above 1.
std::string sumText(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 7);
    return std::string(buf, r.ptr);
}

} // namespace

const char *methodKeyword(ResponseMethod method) {
    switch (method) {
    case ResponseMethod::InfiniteAquifer:
        return "infinite";
    case ResponseMethod::AlluvialAquifer:
        return "alluvial";
    case ResponseMethod::StreambedResistance:
        return "hunt";
    case ResponseMethod::ResponseTable:
        return "table";
    }
    return "infinite";
}

bool methodFromKeyword(const std::string &word, ResponseMethod &method) {
    for (ResponseMethod m : {ResponseMethod::InfiniteAquifer, ResponseMethod::AlluvialAquifer,
                             ResponseMethod::StreambedResistance, ResponseMethod::ResponseTable}) {
        if (word == methodKeyword(m)) {
            method = m;
            return true;
        }
    }
    return false;
}

int tableMonth(double t) {
    if (!(t > 0.0)) return 0;
    const double n = std::floor((t + 15.0) / kCycleMeanMonthDays + 0.5);
    return n > 1.0e9 ? 1000000000 : static_cast<int>(n);
}

StepResponse StepResponse::infiniteAquifer(double sdf) {
    StepResponse r;
    r.method_ = ResponseMethod::InfiniteAquifer;
    r.sdf_ = sdf;
    return r;
}

StepResponse StepResponse::alluvialAquifer(double sdf, double aOverW) {
    StepResponse r;
    r.method_ = ResponseMethod::AlluvialAquifer;
    r.sdf_ = sdf;
    r.parameter_ = aOverW;
    for (int m = 0; m < kLateTerms; ++m) {
        const double k = 2.0 * m + 1.0;
        r.lateCoefficient_[static_cast<std::size_t>(m)] = 4.0 * sinPiDouble(0.5 * k * aOverW) / (k * kPi);
    }
    return r;
}

StepResponse StepResponse::streambedResistance(double sdf, double lambda) {
    StepResponse r;
    r.method_ = ResponseMethod::StreambedResistance;
    r.sdf_ = sdf;
    r.parameter_ = lambda;
    return r;
}

StepResponse StepResponse::responseTable(const std::vector<float> &shares, bool afterOne) {
    StepResponse r;
    r.method_ = ResponseMethod::ResponseTable;
    r.afterOne_ = afterOne;
    double sum = 0.0;
    r.cumulative_.reserve(shares.size());
    for (float s : shares) {
        sum += static_cast<double>(s);
        r.cumulative_.push_back(sum);
    }
    return r;
}

double StepResponse::operator()(double t) const {
    if (!(t > 0.0)) return 0.0;
    switch (method_) {
    case ResponseMethod::InfiniteAquifer:
        return erfcDouble(std::sqrt(sdf_ / (4.0 * t)));
    case ResponseMethod::AlluvialAquifer:
        return alluvial(t);
    case ResponseMethod::StreambedResistance:
        return streambed(t);
    case ResponseMethod::ResponseTable: {
        const int n = tableMonth(t);
        if (n <= 0 || cumulative_.empty()) return 0.0;
        if (static_cast<std::size_t>(n) <= cumulative_.size()) return cumulative_[static_cast<std::size_t>(n) - 1];
        return afterOne_ ? 1.0 : cumulative_.back();
    }
    }
    return 0.0;
}

// Glover's images: the stream (head held) and the wall (no flow) mirror the
// well into an endless row of image wells of alternating sign, so that
//   f = sum over n >= 0 of (-1)^n [erfc((2n + r) g) + erfc((2n + 2 - r) g)]
// with r = a/W and g = 1 / (2 sqrt(tau)) = sqrt(sdf / 4t) / r. Early on only
// the first images count; late, the series of the strip's own decaying
// modes converges within a few terms instead:
//   f = 1 - sum over odd k of c_k exp(-k^2 pi^2 tau / 4).
double StepResponse::alluvial(double t) const {
    const double r = parameter_;
    const double u = std::sqrt(sdf_ / (4.0 * t));
    if (u == 0.0) return 1.0;
    if (r == 0.0) return erfcDouble(u); // the wall infinitely far away
    const double tau = r * r * t / sdf_;
    if (tau <= kLateTau) {
        const double g = u / r;
        double sum = 0.0;
        for (int n = 0; n < 1000; ++n) {
            const double near = u + 2.0 * n * g;
            if (near > kLastErfcArgument) break;
            const double far = (2.0 * n + 2.0 - r) * g;
            double pair = erfcDouble(near);
            if (far <= kLastErfcArgument) pair += erfcDouble(far);
            sum = n % 2 == 0 ? sum + pair : sum - pair;
        }
        return sum;
    }
    const double alpha = 0.25 * kPi * kPi * tau;
    // The whole series is then below 1.3 exp(-40), and 1 less it rounds to 1.
    if (alpha > 40.0) return 1.0;
    // exp(-k^2 alpha) for odd k by products: exp(-(k+2)^2 alpha) =
    // exp(-k^2 alpha) exp(-(4k+4) alpha), the second factor growing by
    // exp(-8 alpha) each time.
    const double e1 = expDouble(-alpha);
    const double e2 = e1 * e1;
    const double e4 = e2 * e2;
    const double e8 = e4 * e4;
    double term = e1;
    double step = e8;
    double sum = 0.0;
    static_assert(kLateTerms == lateTermsThatCount(), "the late series holds every term that can count");
    for (int m = 0; m < kLateTerms; ++m) {
        const double k = 2.0 * m + 1.0;
        if (k * k * alpha > kLastExponent) break;
        sum += lateCoefficient_[static_cast<std::size_t>(m)] * term;
        term *= step;
        step *= e8;
    }
    return 1.0 - sum;
}

// Hunt (1999): with u = sqrt(sdf / 4t) and lambda' = lambda a / T,
//   f = erfc(u) - exp(lambda'^2 t / (4 sdf) + lambda' / 2) erfc(lambda' sqrt(t / (4 sdf)) + u).
// The exponent of the second term less the square of erfc's argument B is
// -u^2, so the term is exp(-u^2) erfcx(B), which never overflows.
double StepResponse::streambed(double t) const {
    const double u = std::sqrt(sdf_ / (4.0 * t));
    if (u == 0.0) return 1.0;
    const double b = u + parameter_ / (4.0 * u);
    const double e = expMinusSquareDouble(u);
    // Beyond erf's range erfc(u) is exp(-u^2) erfcx(u) as well: one
    // exponential for both terms. Where both terms are down at the smallest
    // doubles their difference could round below 0.
    const double f = u <= 0.46875 ? erfcDouble(u) - e * erfcxDouble(b) : e * (erfcxDouble(u) - erfcxDouble(b));
    return std::max(0.0, f);
}

std::string alluvialProblem(double aOverW) {
    if (aOverW >= 0.0 && aOverW < 1.0) return {};
    return "a/W is " + number(aOverW) +
           "; it must be at least 0 and less than 1 (the well lies between the stream and the boundary, a < W)";
}

std::string streambedProblem(double lambda) {
    if (lambda > 0.0 && lambda <= std::numeric_limits<double>::max()) return {};
    return "lambda' is " + number(lambda) + "; it must be a number greater than 0";
}

std::string tableProblem(const std::vector<float> &shares) {
    if (shares.empty()) return "the table has no monthly shares";
    double sum = 0.0;
    for (std::size_t i = 0; i < shares.size(); ++i) {
        const double s = shares[i];
        if (!(s >= 0.0 && s <= 1.0))
            return "the share of month " + std::to_string(i + 1) + " is " + number(s) +
                   "; each share must lie between 0 and 1";
        sum += s;
        if (sum > 1.0 + 1.0e-6)
            return "the shares of months 1 to " + std::to_string(i + 1) + " add up to " + sumText(sum) +
                   ", more than the whole step (1)";
    }
    return {};
}

} // namespace vek::engine
