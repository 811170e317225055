// The straightforward superposition: step month outer, effect month inner,
// one table look-up and one multiply-add per pair.
#include "engine/superposition.h"

#include <string>

namespace vek::engine {

void superposeReference(const Real *q, Real *e, int months, const DayCalendar &calendar, const Real *fraction,
                        std::ostream &console) {
    for (int k = 1; k <= months; ++k) {
        const Real step = q[k] - q[k - 1];
        const int start = calendar[k - 1];
        for (int i = k; i <= months; ++i) {
            const int lag = calendar[i] - start - 15;
            if (lag < 1) {
                console << " IDELT OUT OF RANGE: " + std::to_string(lag) + "\n";
                continue;
            }
            e[i] = e[i] + step * fraction[lag];
        }
    }
}

} // namespace vek::engine
