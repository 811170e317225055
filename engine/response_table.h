// The response of the stream to a unit step of the diversion rate: the share
// felt t whole days after the step, erfc(sqrt(F / 4t)), with erf from the
// five-term rational approximation evaluated step by step in single precision.
#pragma once

#include <vector>

#include "engine/real.h"
#include "engine/response_methods.h"

namespace vek::engine {

// depletionFraction(t) for depletion factor F (days) and lag t >= 1 (days).
Real depletionFraction(Real factor, int t);

// The whole table for days 1..T, as the straightforward computation keeps it.
class ResponseTable {
  public:
    ResponseTable() : fraction_(kMaxDays + 1, 0.0f) {}
    void build(Real factor, int lastDay);
    // The table of another method: each day's double-precision share stored
    // as a float.
    void build(const StepResponse &response, int lastDay);
    Real operator[](int t) const { return fraction_[static_cast<std::size_t>(t)]; }
    const Real *data() const { return fraction_.data(); }

  private:
    std::vector<Real> fraction_; // index 0 unused
};

} // namespace vek::engine
