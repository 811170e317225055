// Changing the month order of read results between Calendar, Irrigation and
// USGS years: no month lost or moved to the wrong date, blank years where
// months would fall off, recomputed totals, running totals and averages.
#include "calendar_date.h"
#include "results/output_results.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

using vek::hasData;
using vek::OutputResults;
using vek::test::calendarDate;

namespace {

OutputResults loadFixture() {
    vek::test::ScriptedPrompter p;
    OutputResults r;
    EXPECT_TRUE(r.Load(vek::test::dataPath("results/two_locations.out"), p));
    return r;
}

using Key = std::tuple<size_t, int, int, int>; // location, table, year, month

std::map<Key, float> byDate(const OutputResults &r) {
    std::map<Key, float> m;
    for (size_t i = 0; i < r.locations.size(); ++i) {
        const auto &rows = r.locations[i].rows;
        for (size_t y = 0; y + 1 < rows.size(); ++y)
            for (int p = 0; p < 12; ++p) {
                auto [cy, cm] = calendarDate(r.yearType, r.firstPrintYear + static_cast<int>(y), p);
                if (hasData(rows[y].diversion[p])) m[{i, 0, cy, cm}] = rows[y].diversion[p];
                if (hasData(rows[y].stream[p])) m[{i, 1, cy, cm}] = rows[y].stream[p];
            }
    }
    return m;
}

// Totals and running totals follow the months that hold data.
void expectConsistentTotals(const OutputResults &r) {
    for (const auto &loc : r.locations) {
        ASSERT_EQ(static_cast<int>(loc.rows.size()), r.printedYears() + 1) << loc.name;
        float cumulative[2] = {0, 0};
        for (size_t y = 0; y + 1 < loc.rows.size(); ++y) {
            const auto &row = loc.rows[y];
            const float *v[2] = {row.diversion, row.stream};
            float totals[2] = {row.diversionTotal, row.streamTotal};
            float cums[2] = {row.diversionCumulative, row.streamCumulative};
            for (int t = loc.hasDiversion() ? 0 : 1; t < 2; ++t) {
                float sum = 0;
                bool any = false;
                for (int m = 0; m < 12; ++m)
                    if (hasData(v[t][m])) sum += v[t][m], any = true;
                if (any) {
                    EXPECT_FLOAT_EQ(totals[t], sum);
                    cumulative[t] += sum;
                } else {
                    EXPECT_FALSE(hasData(totals[t]));
                }
                EXPECT_FLOAT_EQ(cums[t], cumulative[t]);
            }
        }
        if (!loc.hasDiversion()) {
            for (const auto &row : loc.rows)
                for (float v : row.diversion)
                    EXPECT_FALSE(hasData(v));
        }
    }
}

} // namespace

TEST(YearTypeChange, EveryPathKeepsEveryMonthOnItsDate) {
    const std::vector<std::vector<int>> paths = {{0},       {2},          {0, 1},      {2, 1},       {0, 2},
                                                 {2, 0},    {0, 2, 1},    {2, 0, 1},   {0, 1, 2, 0}, {1},
                                                 {2, 2, 0}, {0, 1, 0, 1}, {2, 1, 2, 1}};
    const OutputResults original = loadFixture();
    const auto expected = byDate(original);
    for (const auto &path : paths) {
        std::string name;
        for (int t : path)
            name += std::to_string(t) + " ";
        SCOPED_TRACE("path " + name);
        OutputResults r = original;
        for (int t : path)
            r.changeYearType(t);
        EXPECT_EQ(r.yearType, path.back());
        EXPECT_EQ(byDate(r), expected);
        expectConsistentTotals(r);
    }
}

TEST(YearTypeChange, IrrigationToCalendarAddsAYearAndBackAddsNone) {
    OutputResults r = loadFixture();
    EXPECT_TRUE(r.changeYearType(0));
    EXPECT_EQ(r.firstPrintYear, 1988);
    EXPECT_EQ(r.lastPrintYear, 1991);
    const auto &well = r.locations[0].rows;
    EXPECT_FLOAT_EQ(well[0].diversion[10], -100.5f); // November 1988
    EXPECT_FLOAT_EQ(well[0].diversion[11], -101.5f);
    EXPECT_FALSE(hasData(well[0].diversion[9]));
    EXPECT_FLOAT_EQ(well[1].diversion[0], -102.5f); // January 1989
    EXPECT_FALSE(hasData(well[3].diversion[10]));   // November 1991 was never printed
    EXPECT_FLOAT_EQ(well[0].diversionTotal, -202.0f);

    EXPECT_FALSE(r.changeYearType(1));
    EXPECT_EQ(r.firstPrintYear, 1988);
    EXPECT_EQ(r.lastPrintYear, 1991);
    const auto &back = r.locations[0].rows;
    for (int m = 0; m < 12; ++m)
        EXPECT_FALSE(hasData(back[0].diversion[m]));
    EXPECT_FALSE(hasData(back[0].diversionTotal));
    EXPECT_FLOAT_EQ(back[0].diversionCumulative, 0.0f);
    EXPECT_FLOAT_EQ(back[1].diversion[0], -100.5f);
    EXPECT_FLOAT_EQ(back[1].diversionTotal, -1272.0f);
}

TEST(YearTypeChange, OctoberDataAddsAYearAtTheEndForUsgs) {
    OutputResults r = loadFixture();
    EXPECT_TRUE(r.changeYearType(2));
    EXPECT_EQ(r.firstPrintYear, 1989);
    EXPECT_EQ(r.lastPrintYear, 1992);
    EXPECT_FLOAT_EQ(r.locations[0].rows[1].diversion[0], -111.5f); // October 1989 opens USGS 1990
    EXPECT_FALSE(r.changeYearType(2));                             // same type: nothing happens
}

TEST(YearTypeChange, UnknownTypeChangesNothing) {
    OutputResults r = loadFixture();
    EXPECT_FALSE(r.changeYearType(3));
    EXPECT_FALSE(r.changeYearType(-1));
    EXPECT_EQ(r.yearType, 1);
    EXPECT_EQ(r.firstPrintYear, 1989);
}

// The recomputed averages keep the report's precision (tenths), not two
// significant digits: a mean of -512.3 must not show as -510 or -500.
TEST(YearTypeChange, AveragesKeepThePrecisionOfTheYearRows) {
    OutputResults r;
    r.firstPrintYear = 2000;
    r.lastPrintYear = 2002;
    vek::LocationResult loc;
    loc.rows.resize(4);
    const float jan[] = {66.0f, 66.8f, 67.1f};
    const float feb[] = {150.0f, 153.0f, 156.0f};
    const float mar[] = {-500.0f, -512.0f, -525.0f};
    for (int y = 0; y < 3; ++y) {
        for (int m = 0; m < 12; ++m)
            loc.rows[y].diversion[m] = loc.rows[y].stream[m] = 0.0f;
        loc.rows[y].diversion[2] = jan[y];
        loc.rows[y].diversion[3] = feb[y];
        loc.rows[y].diversion[4] = mar[y];
        loc.rows[y].stream[2] = -0.01234f;
        loc.rows[y].stream[3] = 1234567.0f;
    }
    r.locations.push_back(loc);
    ASSERT_TRUE(r.changeYearType(0));
    const auto &avg = r.locations[0].rows.back();
    EXPECT_FLOAT_EQ(avg.diversion[0], 66.6f); // mean 66.633
    EXPECT_FLOAT_EQ(avg.diversion[1], 153.0f);
    EXPECT_FLOAT_EQ(avg.diversion[2], -512.3f); // mean -512.333
    EXPECT_FLOAT_EQ(avg.stream[0], 0.0f);
    EXPECT_FLOAT_EQ(avg.stream[1], 1234567.0f);
    EXPECT_FLOAT_EQ(avg.diversionTotal, -219.5f); // year totals 0, -284, -292.2, -301.9
    EXPECT_FLOAT_EQ(avg.diversion[5], 0.0f);
}
