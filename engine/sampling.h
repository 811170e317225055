// Drawing values of uncertain quantities the same way on every machine: a
// counter-based generator (each draw a function of the seed, the sample, the
// location and the quantity alone, so no result depends on the order or the
// thread a sample is drawn on), Monte Carlo and Latin hypercube designs, and
// the inverse distribution functions that turn a draw in (0, 1) into a value.
// Everything is computed in double from additions, multiplications,
// divisions and square roots (with the engine's own exponential and error
// function), never with the C library's log/exp or the standard library's
// distributions, whose results differ between platforms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vek::engine {

enum class Distribution { Fixed, Uniform, LogUniform, Triangular, Normal, LogNormal };

// One quantity's range.
//   Fixed:      always `value`.
//   Uniform:    evenly between low and high.
//   LogUniform: its logarithm evenly between ln low and ln high (0 < low).
//   Triangular: low, high and the mode `value` between them.
//   Normal:     mean `value`, standard deviation `spread`, cut to low..high.
//   LogNormal:  median `value` (> 0; e to the mean of ln x), `spread` the
//               standard deviation of ln x, cut to low..high (0 < low).
struct Range {
    Distribution distribution = Distribution::Fixed;
    double value = 0.0;
    double spread = 0.0;
    double low = 0.0;
    double high = 0.0;

    bool operator==(const Range &) const = default;
};

// What makes a range unusable (bounds out of order, a mode outside them, a
// logarithmic range that reaches 0, a spread that is not positive, a
// non-finite number); empty when it is usable.
std::string rangeProblem(const Range &range);

// The value at probability u in (0, 1) of the range's distribution (its
// inverse distribution function); u = 0.5 gives the median.
double rangeQuantile(const Range &range, double u);

// The natural logarithm for x > 0, within a few units in the last place.
double logDouble(double x);
// The standard normal distribution function and its inverse (0 < p < 1).
double normalProbability(double x);
double normalQuantile(double p);

// The draw in (0, 1) of one sample for one quantity of one location (all
// four keys hashed by splitmix64's finaliser, chained); a 53-bit fraction
// offset by half a step, so never 0 or 1.
double uniformDraw(std::uint64_t seed, std::uint64_t sample, std::uint64_t location, std::uint64_t quantity);

enum class Design { MonteCarlo, LatinHypercube };

// The draws of samples 0 .. samples - 1 for one quantity of one location.
// Monte Carlo: uniformDraw of each. Latin hypercube: the range (0, 1) cut
// into `samples` equal strata, each holding exactly one sample, placed in it
// by its own draw; the strata are dealt to the samples by a Fisher-Yates
// shuffle keyed by the same seed, location and quantity.
std::vector<double> designDraws(Design design, std::uint64_t seed, std::size_t samples, std::uint64_t location,
                                std::uint64_t quantity);

} // namespace vek::engine
