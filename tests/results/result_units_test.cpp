// Results in other units: exact factors, each month's own seconds for the
// rates, the calendar month of every column, and the rounding of exports.
#include "results/csv_export.h"
#include "results/result_units.h"
#include "results/text_report.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vek;

namespace {

OutputResults fixture() {
    test::ScriptedPrompter p;
    OutputResults r;
    EXPECT_TRUE(r.Load(test::dataPath("results/two_locations.out"), p));
    return r;
}

} // namespace

TEST(ResultUnits, FactorsAndRounding) {
    // 1 acre-foot = 43560 ft3 = 43560 x 0.3048^3 m3.
    EXPECT_DOUBLE_EQ(kCubicMetresPerAcreFoot, 43560.0 * 0.3048 * 0.3048 * 0.3048);
    struct Case {
        ResultUnit unit;
        double days, want, rounded;
    };
    const Case cases[] = {
        {ResultUnit::AcreFeet, 31, 2.5, 2.5},
        {ResultUnit::CubicMetres, 31, 3083.7045938688, 3084},
        {ResultUnit::Megalitres, 31, 3.0837045938688, 3.084},
        {ResultUnit::CubicDecametres, 31, 3.0837045938688, 3.084},
        {ResultUnit::CubicFeetPerSecond, 31, 2.5 * 43560 / (31 * 86400.0), 0.04066},
        {ResultUnit::CubicFeetPerSecond, 29, 2.5 * 43560 / (29 * 86400.0), 0.04346},
        {ResultUnit::CubicMetresPerSecond, 30, 2.5 * 1233.48183754752 / (30 * 86400.0), 0.0011897},
    };
    for (const Case &c : cases) {
        const double v = convertAcreFeet(2.5, c.unit, c.days);
        EXPECT_DOUBLE_EQ(v, c.want) << unitFacts(c.unit).option;
        EXPECT_DOUBLE_EQ(roundForExport(v, c.unit), c.rounded) << unitFacts(c.unit).option;
    }
    EXPECT_EQ(unitFromOption("m3/s"), ResultUnit::CubicMetresPerSecond);
    EXPECT_EQ(unitFromOption("ml"), ResultUnit::Megalitres);
    EXPECT_FALSE(unitFromOption("acre-feet").has_value());
}

// Column m of row Y is a calendar month in every year type; February of a
// year divisible by 4 has 29 days.
TEST(ResultUnits, CalendarMonthOfEveryColumn) {
    OutputResults r;
    r.firstPrintYear = 1988;
    r.lastPrintYear = 1989;
    struct Case {
        int yearType, row, column, year, month, days;
    };
    const Case cases[] = {
        {1, 0, 0, 1987, 11, 30}, {1, 0, 1, 1987, 12, 31},  {1, 0, 2, 1988, 1, 31},   {1, 0, 3, 1988, 2, 29},
        {1, 1, 3, 1989, 2, 28},  {1, 1, 11, 1989, 10, 31}, {2, 1, 0, 1988, 10, 31},  {2, 1, 3, 1989, 1, 31},
        {0, 0, 0, 1988, 1, 31},  {0, 0, 1, 1988, 2, 29},   {0, 1, 11, 1989, 12, 31},
    };
    for (const Case &c : cases) {
        r.yearType = c.yearType;
        int year = 0, month = 0;
        calendarMonthOf(r, c.row, c.column, year, month);
        EXPECT_EQ(year, c.year) << c.yearType << " " << c.row << " " << c.column;
        EXPECT_EQ(month, c.month) << c.yearType << " " << c.row << " " << c.column;
        EXPECT_EQ(monthDays(r, c.row, c.column), c.days);
    }
}

// A year's rate is its volume over the year's seconds; the average row's
// over the mean of the years it averages; a running total has no rate.
TEST(ResultUnits, RatesOfTotalsAndAverages) {
    OutputResults r = fixture();
    const LocationResult &well = r.locations[0];
    EXPECT_DOUBLE_EQ(*valueIn(r, well, 0, false, 12, ResultUnit::CubicFeetPerSecond, false),
                     -1272.0 * 43560 / (365 * 86400.0));
    EXPECT_DOUBLE_EQ(*valueIn(r, well, 3, false, 3, ResultUnit::CubicFeetPerSecond, false),
                     -113.5 * 43560 / (28 * 86400.0)); // the average February of 1989-1991
    EXPECT_FALSE(cumulativeIn(r, well, 0, false, ResultUnit::CubicFeetPerSecond, false).has_value());
    EXPECT_DOUBLE_EQ(*cumulativeIn(r, well, 1, false, ResultUnit::CubicMetres, true),
                     std::round((-1272.0 - 1392.0) * kCubicMetresPerAcreFoot));
    // After a year type change a blank month stays blank in any unit.
    r.changeYearType(0);
    EXPECT_FALSE(valueIn(r, r.locations[0], 0, false, 0, ResultUnit::CubicMetres, true).has_value());
}

// The views name the unit chosen in every heading; acre-feet keep the
// report's own line.
TEST(ResultUnits, TextReportNamesTheUnit) {
    const OutputResults r = fixture();
    ViewChoices c;
    c.locations = {0};
    c.years = {0};
    c.showStream = false;
    EXPECT_NE(buildTextReport(r, c, "\n").find("CU or Recharge Data  ( acre feet )\n"), std::string::npos);
    c.units = ResultUnit::CubicMetres;
    const std::string text = buildTextReport(r, c, "\n");
    EXPECT_NE(text.find("CU or Recharge Data  ( cubic metres )\n"), std::string::npos) << text;
    // -100.5 af = -123964.9 m3, shown with six digits.
    EXPECT_NE(text.find("\n1989\t-123965\t"), std::string::npos) << text;
}
