// Response table. Every step is a float operation on floats so that the table
// holds exactly the values the single-precision method gives; the constants
// are single-precision literals.
#include "engine/response_table.h"

#include <cmath>

#include "engine/exp_float.h"

namespace vek::engine {

Real depletionFraction(Real factor, int t) {
    const Real u = 0.5f * std::sqrt(factor / static_cast<Real>(t));
    if (u > 3.0f) return 0.0f;
    const Real s = 1.0f / (1.0f + 0.3275911f * u);
    const Real g = expFloat(-u * u);
    Real poly = -1.453152027f + s * 1.061405429f;
    poly = 1.421413741f + s * poly;
    poly = -0.284496736f + s * poly;
    poly = 0.254829592f + s * poly;
    const Real erf = 1.0f - poly * g * s;
    return 1.0f - erf;
}

void ResponseTable::build(Real factor, int lastDay) {
    for (int t = 1; t <= lastDay; ++t)
        fraction_[static_cast<std::size_t>(t)] = depletionFraction(factor, t);
}

void ResponseTable::build(const StepResponse &response, int lastDay) {
    for (int t = 1; t <= lastDay; ++t)
        fraction_[static_cast<std::size_t>(t)] = static_cast<Real>(response(t));
}

} // namespace vek::engine
