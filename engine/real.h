// The engine's one precision decision: every real of the computation and the
// report is a 32-bit IEEE float, every integer a 32-bit signed int.
#pragma once

#include <cstdint>

#include "facts/vek_facts.h"

namespace vek::engine {

using Real = float;

// Capacities of the fixed tables; the 400-year limit keeps every run inside.
inline constexpr int kMaxRunYears = kEngineMaxRunYears;
inline constexpr int kMaxMonths = 5000;
inline constexpr int kCalendarMonths = 12 * kMaxRunYears; // entries filled in the day calendar
inline constexpr int kMaxDays = 155000;

// Days per month for volumes when the day rule is neither 0 nor 1 (the
// average and the actual days come from facts/vek_facts.h).
inline constexpr Real kFallbackDaysPerMonth = 30.0f;

} // namespace vek::engine
