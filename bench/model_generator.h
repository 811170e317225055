// Generates model input files for benchmarks and tests: a run of up to 400
// years, wells with seasonal pumping (nothing in winter) and recharge sites
// filled in winter, written the way the editor writes a model input file.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vek::bench {

struct ModelShape {
    int locations = 100;
    int firstYear = 1700; // inputStartYear
    int historicalYears = 350;
    int synthesizedYears = 50;
    int skipYears = 0;       // outputStartYear - inputStartYear
    int tailYears = 0;       // outputEndYear beyond the last data year
    int cutYears = 0;        // last data years after outputEndYear
    int distinctFactors = 0; // 0: every location its own factor
    float minFactor = 5.0f;  // factors spread between these (days)
    float maxFactor = 20000.0f;
    int outputFormat = 0;
    int unitMode = 1;
    int useAvgDaysPerMonth = 0;
    int unusedEvery = 0;         // every n-th location has UseInOutput 0 (0: none)
    int rechargeEvery = 5;       // every n-th location is a recharge site (0: none)
    bool extremeFactors = false; // the first two locations get factors 0 and 100000
    // Response methods: false, every location on the infinite aquifer; true,
    // locations alternate between the alluvial aquifer (a/W from 0.2 to 0.9)
    // and streambed resistance (lambda' from 0.1 to 10), each its own value.
    bool otherMethods = false;
    std::uint32_t seed = 1;
};

// The longest run a model can hold.
inline constexpr int kMostRunYears = 400;

// Makes `s` a run of `years` years that ends with 1999: the last ten of them
// synthesized, fewer in a short run, which keeps at least one historical
// year. False, and `s` unchanged, for a number of years no run can have.
inline bool setRunYears(ModelShape &s, int years) {
    if (years < 1 || years > kMostRunYears) return false;
    s.synthesizedYears = std::min(10, years - 1);
    s.historicalYears = years - s.synthesizedYears;
    s.firstYear = 2000 - years;
    s.skipYears = 0;
    s.tailYears = 0;
    s.cutYears = 0;
    return true;
}

namespace detail {
// Small deterministic generator, the same on every platform.
struct Lcg {
    std::uint64_t state;
    explicit Lcg(std::uint32_t seed) : state(seed * 6364136223846793005ULL + 1442695040888963407ULL) {}
    double next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) * (1.0 / 9007199254740992.0);
    }
};
inline void appendG(std::string &out, double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", static_cast<float>(v) * 1.0);
    out += buf;
}
} // namespace detail

inline std::string generateModel(const ModelShape &s) {
    detail::Lcg rng(s.seed);
    const int inputEnd = s.firstYear + s.historicalYears - 1;
    const int last = inputEnd + s.synthesizedYears;
    const int outStart = s.firstYear + s.skipYears;
    const int outEnd = last + s.tailYears - s.cutYears;
    // The synthesized years are recorded as the cycle of the first ten
    // historical years, or of all of them when there are fewer.
    const int cycleEnd = std::max(0, std::min(9, s.historicalYears - 1));
    std::string out = "Version 1.12\n";
    char buf[512];
    std::snprintf(buf, sizeof buf,
                  "%d %d %d %d %d %d %d %d %d %d %d %d %d # inputStartYear inputEndYear noOfSimulationYears "
                  "outputStartYear outputEndYear nwells outputFormat synthesizeFormat projYearStart projYearEnd "
                  "yearMode unitMode useAvgDaysPerMonth\n",
                  s.firstYear, inputEnd, s.synthesizedYears, outStart, outEnd, s.locations, s.outputFormat, 3, 0,
                  cycleEnd, 1, s.unitMode, s.useAvgDaysPerMonth);
    out += buf;
    const int rows = s.historicalYears + s.synthesizedYears;
    // Irrigation season APR..SEP (months 6..11 of NOV..OCT); winter recharge NOV..MAR.
    static const double kWellShape[12] = {0, 0, 0, 0, 0, 0.4, 0.8, 1.0, 1.0, 0.7, 0.3, 0};
    static const double kRechargeShape[12] = {0.6, 1.0, 1.0, 0.8, 0.5, 0, 0, 0, 0, 0, 0, 0};
    for (int n = 0; n < s.locations; ++n) {
        double factor;
        if (s.distinctFactors > 0) {
            const int g = n % s.distinctFactors;
            factor = s.minFactor + (s.maxFactor - s.minFactor) * (g + 0.5) / s.distinctFactors;
        } else {
            factor = s.minFactor + (s.maxFactor - s.minFactor) * rng.next();
        }
        if (s.extremeFactors && n < 2) factor = n == 0 ? 0.0 : 100000.0;
        const bool recharge = s.rechargeEvery > 0 && n % s.rechargeEvery == s.rechargeEvery - 1;
        const bool unused = s.unusedEvery > 0 && n % s.unusedEvery == s.unusedEvery - 1;
        std::string line;
        detail::appendG(line, factor);
        line += recharge ? " 1" : " -1";
        line += unused ? " 0" : " 1";
        out += line + " # VEK LocationType UseInOutput\n";
        out += (recharge ? "Recharge site " : "Irrigation well ") + std::to_string(n + 1) + "\n";
        const double size = 50.0 + 400.0 * rng.next();
        const double *shape = recharge ? kRechargeShape : kWellShape;
        for (int r = 0; r < rows; ++r) {
            const double wet = 0.6 + 0.8 * rng.next(); // year-to-year variation
            std::string row;
            for (int m = 0; m < 12; ++m) {
                double v = shape[m] * size * wet;
                if (s.unitMode == 0) v /= 30.0;
                if (m > 0) row += ' ';
                detail::appendG(row, v);
            }
            out += row + "\n";
        }
    }
    // Pumping records follow; the engine never reads them.
    for (int n = 0; n < s.locations; ++n) {
        out += "Location " + std::to_string(n + 1) + "\n0 1 # UsePumpingRecord Units\n1 1 1 1 1 1 1 1 1 1 1 1\n";
        for (int r = 0; r < s.historicalYears; ++r)
            out += "0 0 0 0 0 0 0 0 0 0 0 0\n";
    }
    if (s.otherMethods) {
        out += "Response methods 1\n";
        for (int n = 0; n < s.locations; ++n) {
            std::string line = "location " + std::to_string(n + 1);
            if (n % 2 == 0) {
                line += " alluvial a/W=";
                detail::appendG(line, 0.2 + 0.7 * rng.next());
            } else {
                line += " hunt lambda=";
                detail::appendG(line, 0.1 * std::pow(100.0, rng.next()));
            }
            out += line + "\n";
        }
        out += "end\n";
    }
    return out;
}

} // namespace vek::bench
