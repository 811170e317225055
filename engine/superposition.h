// Superposition of the monthly changes of a location's diversion rate into its
// stream-effect rate. Two interchangeable ways give the same floats: the
// straightforward pair loop (kept as the reference) and the kernel form used
// by default.
#pragma once

#include <ostream>

#include "engine/day_calendar.h"
#include "engine/real.h"

namespace vek::engine {

// e(i) += (q(k) - q(k-1)) * fraction(lag) for k = 1..months ascending and
// i = k..months ascending, lag = cal[i] - cal[k-1] - 15. Arrays are 1-based
// (q[0] is 0); e must hold zeros on entry. A lag below one day is reported on
// the console and contributes nothing.
void superposeReference(const Real *q, Real *e, int months, const DayCalendar &calendar, const Real *fraction,
                        std::ostream &console);

} // namespace vek::engine
