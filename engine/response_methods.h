// The stream's response to a unit step of pumping (or recharge) by each
// method a location can use, in double precision:
//
// - infinite aquifer (Glover and Balmer): erfc(sqrt(sdf / 4t));
// - alluvial aquifer bounded by an impermeable wall parallel to the stream at
//   distance W behind the well (Glover's image solution), parameter a/W;
// - streambed resistance (Hunt 1999), parameter lambda' = lambda a / T;
// - unit response table: monthly shares r1..rN of one month's pumping felt in
//   that month and the months after it.
//
// The engine tabulates these by whole day and stores each value as a float;
// vektool prints them as they are. Everything is computed with the portable
// functions of special_functions.h, so the engine's tables have the same bits
// on every machine. The infinite aquifer of the engine keeps its own
// single-precision table (response_table.h); the double-precision form here
// is its reference.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vek::engine {

enum class ResponseMethod : std::uint8_t { InfiniteAquifer, AlluvialAquifer, StreambedResistance, ResponseTable };

// The word the model file and the programs use for a method ("infinite",
// "alluvial", "hunt", "table"), and back (false for an unknown word).
const char *methodKeyword(ResponseMethod method);
bool methodFromKeyword(const std::string &word, ResponseMethod &method);

// Days of the average month of the engine's four-year calendar (1461 / 48):
// a response table's month n is sampled t days after a step when
// t + 15 rounds to n such months.
inline constexpr double kCycleMeanMonthDays = 30.4375;

// Month of a response table sampled t days after a step: the nearest whole
// number to (t + 15) / 30.4375. The engine samples the n-th month after a
// step (the step month being the first) at t = days of those n months - 15,
// which always rounds back to n. 0 before the step.
int tableMonth(double t);

class StepResponse {
  public:
    // sdf in days (>= 0).
    static StepResponse infiniteAquifer(double sdf);
    // 0 <= a/W < 1; a/W = 0 is the infinite aquifer (W without end).
    static StepResponse alluvialAquifer(double sdf, double aOverW);
    // lambda' > 0; a lambda' without end is the infinite aquifer.
    static StepResponse streambedResistance(double sdf, double lambda);
    // Monthly shares; after the last one the cumulative share is held, or
    // (afterOne) the rest of the step, 1 - cumulative, arrives in the month
    // after the table ends.
    static StepResponse responseTable(const std::vector<float> &shares, bool afterOne);

    ResponseMethod method() const { return method_; }

    // Share of a unit step felt by the stream t days after the step: 0 for
    // t <= 0, rising towards 1 (towards the table's last cumulative share
    // when it is held).
    double operator()(double t) const;

  private:
    double alluvial(double t) const;
    double streambed(double t) const;

    ResponseMethod method_ = ResponseMethod::InfiniteAquifer;
    double sdf_ = 0.0;
    double parameter_ = 0.0; // a/W or lambda'
    // Alluvial aquifer at late times: 1 - sum of c_k exp(-k^2 pi^2 tau / 4)
    // over odd k, with c_k = 4 sin(k pi a/W / 2) / (k pi). The series is
    // used from tau = 0.15 on, where a term's exponent passes 45 (it adds
    // less than 1e-19) beyond k = 11: six odd k, 1 to 11, ever count
    // (checked where the series is summed).
    static constexpr int kLateTerms = 6;
    std::array<double, kLateTerms> lateCoefficient_{};
    std::vector<double> cumulative_; // table: cumulative share through month n (index n - 1)
    bool afterOne_ = false;
};

// What makes a parameter unusable, or empty when it is usable. The engine
// refuses such a location; the model core's checks report the same text.
std::string alluvialProblem(double aOverW);
std::string streambedProblem(double lambda);
// Shares: each finite and within [0, 1], at least one, and a cumulative share
// of at most 1 (the stream cannot lose more than was pumped; 1e-6 of rounding
// is allowed).
std::string tableProblem(const std::vector<float> &shares);

} // namespace vek::engine
