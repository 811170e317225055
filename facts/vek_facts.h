// The facts of the problem every part of the system shares, written once:
// the calendar months and their order in each year type, the leap rule, the
// days a month counts when monthly values become daily ones, the lengths the
// engine keeps of names and the longest run it accepts. Header-only and free
// of every library, so the engine includes it exactly as the document,
// results and desktop cores do.
#pragma once

namespace vek {

// ---- Year types ---------------------------------------------------------------

enum YearMode : int { CalendarYear = 0, IrrigationYear = 1, UsgsYear = 2 };

// A month number taken modulo 12, in 0..11 for any integer.
constexpr int wrapMonth(int m) { return ((m % 12) + 12) % 12; }

// True for 0 (Calendar), 1 (Irrigation Year), 2 (USGS Year).
constexpr bool isValidYearMode(int yearMode) { return yearMode >= CalendarYear && yearMode <= UsgsYear; }

// Calendar month (0 = January) of a year type's first column: 0, 10
// (November) or 9 (October). An unknown year type counts as Calendar.
constexpr int yearTypeStartMonth(int yearMode) {
    return yearMode == IrrigationYear ? 10 : yearMode == UsgsYear ? 9 : 0;
}

// Calendar month (0 = January) held in month column `column` (any integer,
// taken modulo 12) of a table of the given year type.
constexpr int calendarMonth(int yearMode, int column) {
    return wrapMonth(wrapMonth(column) + yearTypeStartMonth(yearMode));
}

// How many months a row's first column lies before January of the row year:
// 0 Calendar, 2 Irrigation Year, 3 USGS Year. Column m of row Y holds the
// absolute month 12*Y + m - monthsBeforeJanuary(mode).
constexpr int monthsBeforeJanuary(int yearMode) { return wrapMonth(12 - yearTypeStartMonth(yearMode)); }

// Columns a value moves towards the start of its row when a table of year
// type `from` is read as year type `to` (negative: towards the end).
constexpr int yearTypeShift(int from, int to) { return monthsBeforeJanuary(from) - monthsBeforeJanuary(to); }

// The engine writes its months November to October. Column k of a table of
// the given year type holds the engine's month (k + offset) mod 12: the
// offset is 2 for Calendar, 0 for Irrigation Year and 11 for USGS Year.
constexpr int engineMonthOffset(int yearMode) {
    return wrapMonth(yearTypeStartMonth(yearMode) - yearTypeStartMonth(IrrigationYear));
}

// ---- Months and days ----------------------------------------------------------

inline constexpr const char *kCalendarMonthAbbreviations[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                                "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
inline constexpr int kCalendarMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// "JAN" .. "DEC" of calendar month cm (taken modulo 12).
constexpr const char *calendarMonthAbbreviation(int cm) { return kCalendarMonthAbbreviations[wrapMonth(cm)]; }

// February of a year divisible by 4 has 29 days; there is no century rule.
constexpr bool isLeapYear(long long year) { return year % 4 == 0; }

// Days of calendar month cm (taken modulo 12) of `year`.
constexpr int daysOfCalendarMonth(int cm, long long year) {
    const int month = wrapMonth(cm);
    return month == 1 && isLeapYear(year) ? 29 : kCalendarMonthDays[month];
}

// With the average-days rule every month counts 30.417 days; monthly
// acre-feet times the second constant (one over the first, as a single-
// precision constant of its own) are average daily acre-feet.
inline constexpr float kMonthlyToDailyRuleDays = 30.417f;
inline constexpr float kDailyPerMonthly = 0.032876354f;

// ---- What the engine keeps of names -------------------------------------------

// Each file name on the engine's command line: its first 45 characters.
inline constexpr int kEngineFileNameLength = 45;
// A location's name record: its first 90 characters.
inline constexpr int kEngineLocationNameLength = 90;
// The report prints a location's name in a field of 60 characters.
inline constexpr int kReportLocationNameWidth = 60;

// ---- What the engine runs -----------------------------------------------------

// The longest run, in years: a longer one is refused before anything is
// written to the report.
inline constexpr int kEngineMaxRunYears = 400;

} // namespace vek
