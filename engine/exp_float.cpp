// expFloat: the range checks, then the table and the cubic.
#include "engine/exp_float.h"

#include <cmath>
#include <cstring>

namespace vek::engine {

float expFloat(float x) {
    using namespace exp_float;
    if (std::isnan(x)) return x;
    // Outside these bounds the result is 0 or infinite anyway; inside, the
    // exponent arithmetic below cannot overflow.
    if (x < -104.0f) return 0.0f;
    if (x > 89.0f) return HUGE_VALF;
    const double z = kInvLn2N * static_cast<double>(x);
    // volatile: the rounding must happen here, in double.
    volatile double shifted = z + kShift;
    double kd = shifted;
    std::uint64_t ki;
    std::memcpy(&ki, &kd, sizeof ki);
    kd -= kShift;
    const double r = z - kd;
    std::uint64_t bits = kTable[ki % kN] + (ki << (52 - kTableBits));
    double s;
    std::memcpy(&s, &bits, sizeof s);
    const double p = kC0 * r + kC1;
    const double r2 = r * r;
    double y = kC2 * r + 1.0;
    y = p * r2 + y;
    return static_cast<float>(y * s);
}

} // namespace vek::engine
