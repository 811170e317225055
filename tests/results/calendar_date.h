// The calendar month a report position stands for, worked out independently
// of the results code so tests can check its year-type moves against it.
#pragma once

#include <utility>

namespace vek::test {

// Calendar year and month (1..12) of position p in the row labelled year y,
// under year type 0 (Calendar), 1 (Irrigation Year) or 2 (USGS Year).
inline std::pair<int, int> calendarDate(int yearType, int y, int p) {
    switch (yearType) {
    case 0:
        return {y, p + 1};
    case 1:
        return {p < 2 ? y - 1 : y, (p + 10) % 12 + 1};
    default:
        return {p < 3 ? y - 1 : y, (p + 9) % 12 + 1};
    }
}

} // namespace vek::test
