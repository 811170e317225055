// The domain facts: month order of each year type, the shift between year
// types (which the output view's year-type change and the document's
// conversion both use), the engine's month offsets, and the days of the
// months.
#include "facts/vek_facts.h"

#include <gtest/gtest.h>

#include <string>

using namespace vek;

TEST(Calendar, MonthOrderOfEachYearType) {
    const std::string expected[3] = {"JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC", "NOVDECJANFEBMARAPRMAYJUNJULAUGSEPOCT",
                                     "OCTNOVDECJANFEBMARAPRMAYJUNJULAUGSEP"};
    for (int mode = 0; mode < 3; ++mode) {
        std::string order;
        for (int c = 0; c < 12; ++c)
            order += calendarMonthAbbreviation(calendarMonth(mode, c));
        EXPECT_EQ(order, expected[mode]) << mode;
    }
    // Unknown year types read as Calendar; columns wrap, also far out.
    EXPECT_EQ(calendarMonth(7, 3), 3);
    EXPECT_EQ(calendarMonth(IrrigationYear, -1), 9);
    EXPECT_EQ(calendarMonth(UsgsYear, 2147483647), calendarMonth(UsgsYear, 2147483647 % 12));
    EXPECT_FALSE(isValidYearMode(3));
    EXPECT_FALSE(isValidYearMode(-1));
}

TEST(Calendar, ShiftMovesEachCalendarMonthIntoItsColumn) {
    // Reading a table of year type `from` as `to`: the value in column c
    // moves to column c - shift, and that column holds the same calendar month.
    for (int from = 0; from < 3; ++from)
        for (int to = 0; to < 3; ++to) {
            const int s = yearTypeShift(from, to);
            EXPECT_LT(s, 12);
            EXPECT_GT(s, -12);
            for (int c = 0; c < 12; ++c) {
                const int moved = c - s;
                if (moved < 0 || moved >= 12) continue; // leaves the row
                EXPECT_EQ(calendarMonth(to, moved), calendarMonth(from, c)) << from << "->" << to << " col " << c;
            }
        }
    EXPECT_EQ(yearTypeShift(IrrigationYear, CalendarYear), 2);
    EXPECT_EQ(yearTypeShift(CalendarYear, UsgsYear), -3);
    EXPECT_EQ(monthsBeforeJanuary(UsgsYear), 3);
}

TEST(Calendar, EngineMonthOffsetHeadsEachColumnWithItsMonth) {
    // The engine's months run November to October; column k of a table of
    // year type t holds engine month (k + offset) mod 12.
    EXPECT_EQ(engineMonthOffset(CalendarYear), 2);
    EXPECT_EQ(engineMonthOffset(IrrigationYear), 0);
    EXPECT_EQ(engineMonthOffset(UsgsYear), 11);
    for (int mode = 0; mode < 3; ++mode)
        for (int k = 0; k < 12; ++k)
            EXPECT_EQ(calendarMonth(IrrigationYear, (k + engineMonthOffset(mode)) % 12), calendarMonth(mode, k))
                << mode << " col " << k;
}

TEST(Calendar, DaysOfTheMonths) {
    int year = 0;
    for (int cm = 0; cm < 12; ++cm)
        year += daysOfCalendarMonth(cm, 2001);
    EXPECT_EQ(year, 365);
    EXPECT_EQ(daysOfCalendarMonth(1, 2004), 29);
    EXPECT_EQ(daysOfCalendarMonth(1, 1900), 29) << "no century rule";
    EXPECT_EQ(daysOfCalendarMonth(13, 2001), 28) << "months wrap";
    // The average month and its reciprocal agree to single precision.
    EXPECT_FLOAT_EQ(kMonthlyToDailyRuleDays * kDailyPerMonthly, 1.0f);
}
