// The run's day calendar.
#include "engine/day_calendar.h"

namespace vek::engine {

DayCalendar::DayCalendar(int outputStartYear) {
    days_[0] = 0;
    for (int m = 1; m <= kCalendarMonths; ++m) {
        const int month = (m - 1) % 12;
        const long long year = static_cast<long long>(outputStartYear) + (m - 1) / 12;
        // The run's months are those of the Irrigation Year, November first.
        const int length = daysOfCalendarMonth(calendarMonth(IrrigationYear, month), year);
        days_[static_cast<std::size_t>(m)] = days_[static_cast<std::size_t>(m - 1)] + length;
    }
}

} // namespace vek::engine
