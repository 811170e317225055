// The year types' calendar (see calendar.h).
#include "common/calendar.h"

namespace vek {

namespace {

const char *const kMonthAbbreviations[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                             "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const int kDaysOfMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int wrap12(int m) { return ((m % 12) + 12) % 12; }

} // namespace

bool isValidYearMode(int yearMode) { return yearMode >= CalendarYear && yearMode <= UsgsYear; }

int yearTypeStartMonth(int yearMode) {
    switch (yearMode) {
    case IrrigationYear:
        return 10;
    case UsgsYear:
        return 9;
    default:
        return 0;
    }
}

int calendarMonth(int yearMode, int column) { return wrap12(wrap12(column) + yearTypeStartMonth(yearMode)); }

int monthsBeforeJanuary(int yearMode) { return wrap12(12 - yearTypeStartMonth(yearMode)); }

int yearTypeShift(int from, int to) { return monthsBeforeJanuary(from) - monthsBeforeJanuary(to); }

const char *calendarMonthAbbreviation(int cm) { return kMonthAbbreviations[wrap12(cm)]; }

int daysOfCalendarMonth(int cm, int year) {
    cm = wrap12(cm);
    if (cm == 1 && year % 4 == 0) return 29;
    return kDaysOfMonth[cm];
}

} // namespace vek
