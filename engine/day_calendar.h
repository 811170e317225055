// Cumulative days from the start of run month 1 to the end of each run month,
// filled for 400 years whatever the run length.
#pragma once

#include <array>

#include "engine/real.h"

namespace vek::engine {

class DayCalendar {
  public:
    // FEB (the fourth month, NOV first) has 29 days when its year number is
    // divisible by 4; there is no century rule.
    explicit DayCalendar(int outputStartYear);

    // Days from the start of run month 1 to the end of run month m (0..4800).
    int operator[](int m) const { return days_[static_cast<std::size_t>(m)]; }
    int daysInMonth(int m) const { return days_[static_cast<std::size_t>(m)] - days_[static_cast<std::size_t>(m - 1)]; }

    // Run months repeat their lengths every 48 months (four years): the
    // calendar of month m + 48 is that of month m shifted by 1461 days.
    static constexpr int kCycleMonths = 48;

  private:
    std::array<int, kMaxMonths + 1> days_{};
};

} // namespace vek::engine
