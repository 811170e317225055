// The year types' calendar: which calendar month each of a table's twelve
// month columns holds, how far a year type's first month lies from January,
// and the days of the months. Every part of the program (input document,
// pumping record, output reports, graphs) reads its month order from here.
#pragma once

namespace vek {

enum YearMode : int { CalendarYear = 0, IrrigationYear = 1, UsgsYear = 2 };

// True for 0 (Calendar), 1 (Irrigation Year), 2 (USGS Year).
bool isValidYearMode(int yearMode);

// Calendar month (0 = January) of the first column: 0, 10 (November) or 9
// (October). An unknown year type counts as Calendar.
int yearTypeStartMonth(int yearMode);
// Calendar month (0 = January) held in month column `column` (any integer,
// taken modulo 12) of a table of the given year type.
int calendarMonth(int yearMode, int column);
// How many months a row's first column lies before January of the row year:
// 0 Calendar, 2 Irrigation Year, 3 USGS Year. Column m of row Y holds the
// absolute month 12*Y + m - monthsBeforeJanuary(mode).
int monthsBeforeJanuary(int yearMode);
// Columns a value moves towards the start of its row when a table of year
// type `from` is read as year type `to` (negative: towards the end).
int yearTypeShift(int from, int to);

// "JAN" .. "DEC" of calendar month cm (taken modulo 12).
const char *calendarMonthAbbreviation(int cm);
// Days of calendar month cm (taken modulo 12) of `year`: February of a year
// divisible by 4 has 29 (no century rule).
int daysOfCalendarMonth(int cm, int year);

} // namespace vek
