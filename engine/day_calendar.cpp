// The run's day calendar.
#include "engine/day_calendar.h"

namespace vek::engine {

namespace {
// NOV..OCT
constexpr int kMonthDays[12] = {30, 31, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31};
} // namespace

DayCalendar::DayCalendar(int outputStartYear) {
    days_[0] = 0;
    for (int m = 1; m <= kCalendarMonths; ++m) {
        const int month = (m - 1) % 12;
        const long long year = static_cast<long long>(outputStartYear) + (m - 1) / 12;
        int length = kMonthDays[month];
        if (month == 3 && year % 4 == 0) length = 29;
        days_[static_cast<std::size_t>(m)] = days_[static_cast<std::size_t>(m - 1)] + length;
    }
}

} // namespace vek::engine
