// Changing the month order of read results between Calendar, Irrigation and
// USGS years: no month lost or moved to the wrong date, blank years where
// months would fall off, recomputed totals, running totals and averages.
#include "calendar_date.h"
#include "results/output_results.h"
#include "single_value.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <tuple>
#include <vector>

using vek::hasData;
using vek::LocationResult;
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
        bool started[2] = {false, false};
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
                    started[t] = true;
                } else {
                    EXPECT_FALSE(hasData(totals[t]));
                }
                if (started[t])
                    EXPECT_FLOAT_EQ(cums[t], cumulative[t]);
                else
                    EXPECT_FALSE(hasData(cums[t]));
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

TEST(YearTypeChange, IrrigationToCalendarAddsAYear) {
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
}

// Every change starts from the report's own values: back in the report's
// year type they are the report's again, the engine's totals (the sums of
// its unrounded months) included, and a type reached by way of another is
// the type reached directly.
TEST(YearTypeChange, EveryTypeComesFromTheReportsValues) {
    // The engine's total of a year is the sum of its unrounded months: it
    // may differ from the sum of the printed ones (-1272.0).
    std::string text = vek::test::readFile(vek::test::dataPath("results/two_locations.out"));
    const std::string total = "  -111.5  -1272.0";
    ASSERT_NE(text.find(total), std::string::npos);
    text.replace(text.find(total), total.size(), "  -111.5  -1272.2");
    vek::test::ScriptedPrompter p;
    OutputResults original;
    ASSERT_TRUE(original.LoadText(text, "two.out", p));
    auto same = [](const OutputResults &a, const OutputResults &b) {
        if (a.yearType != b.yearType || a.firstPrintYear != b.firstPrintYear || a.lastPrintYear != b.lastPrintYear ||
            a.locations.size() != b.locations.size())
            return false;
        for (size_t i = 0; i < a.locations.size(); ++i) {
            const auto &x = a.locations[i].rows, &y = b.locations[i].rows;
            if (x.size() != y.size()) return false;
            for (size_t r = 0; r < x.size(); ++r)
                if (std::memcmp(&x[r], &y[r], sizeof x[r]) != 0) return false;
        }
        return true;
    };
    const std::vector<std::vector<int>> roundTrips = {{0, 1}, {2, 1}, {0, 2, 1}, {2, 0, 1}, {0, 1, 0, 1}};
    for (const auto &path : roundTrips) {
        OutputResults r = original;
        for (int t : path)
            r.changeYearType(t);
        EXPECT_TRUE(same(r, original)) << "path ending " << path.back() << " of " << path.size();
    }
    EXPECT_FLOAT_EQ(original.locations[0].rows[0].diversionTotal, -1272.2f);
    for (int to : {0, 2}) {
        OutputResults direct = original;
        direct.changeYearType(to);
        OutputResults byWay = original;
        byWay.changeYearType(2 - to);
        byWay.changeYearType(to);
        EXPECT_TRUE(same(byWay, direct)) << to;
    }
}

// A running total before any year with data is none (shown "-"), not 0.
TEST(YearTypeChange, NoRunningTotalBeforeTheFirstData) {
    OutputResults r = vek::test::singleValue(1, 1, 5); // April 2001 only
    for (auto &loc : r.locations) {
        vek::accumulateTotals(loc, false);
        vek::accumulateTotals(loc, true);
    }
    EXPECT_FALSE(hasData(r.locations[0].rows[0].diversionCumulative));
    EXPECT_FALSE(r.changeYearType(0));
    const auto &rows = r.locations[0].rows;
    EXPECT_FALSE(hasData(rows[0].diversionTotal));
    EXPECT_FALSE(hasData(rows[0].diversionCumulative));
    EXPECT_FALSE(hasData(rows[0].streamCumulative));
    EXPECT_FLOAT_EQ(rows[1].diversionCumulative, -7.0f);
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

// Every single month of the first and the last year, for every change of
// year type: a blank year is added exactly when that month would otherwise
// fall off the table, and the month keeps its calendar date either way.
TEST(YearTypeChange, BlankYearExactlyWhereAMonthWouldFallOff) {
    struct Rule {
        int from, to;
        bool atStart;               // blank year before the first (else after the last)
        std::vector<int> positions; // positions of that row that are checked
    };
    const Rule rules[] = {
        {1, 0, true, {0, 1}},       {1, 2, false, {11}},     {0, 1, false, {10, 11}},
        {0, 2, false, {9, 10, 11}}, {2, 0, true, {0, 1, 2}}, {2, 1, true, {0}},
    };
    for (const Rule &rule : rules) {
        for (int row = 0; row < 2; ++row) {
            for (int p = 0; p < 12; ++p) {
                SCOPED_TRACE("from " + std::to_string(rule.from) + " to " + std::to_string(rule.to) + ", row " +
                             std::to_string(row) + ", position " + std::to_string(p));
                const bool checkedRow = rule.atStart ? row == 0 : row == 1;
                bool expectAdded = false;
                for (int q : rule.positions)
                    expectAdded = expectAdded || (checkedRow && q == p);

                OutputResults r = vek::test::singleValue(rule.from, row, p);
                const auto date = calendarDate(rule.from, 2000 + row, p);
                EXPECT_EQ(r.changeYearType(rule.to), expectAdded);
                EXPECT_EQ(r.yearType, rule.to);
                EXPECT_EQ(r.firstPrintYear, expectAdded && rule.atStart ? 1999 : 2000);
                EXPECT_EQ(r.lastPrintYear, expectAdded && !rule.atStart ? 2002 : 2001);
                const auto &rows = r.locations[0].rows;
                ASSERT_EQ(static_cast<int>(rows.size()), r.printedYears() + 1);

                int found = 0;
                for (int y = 0; y + 1 < static_cast<int>(rows.size()); ++y)
                    for (int m = 0; m < 12; ++m) {
                        const auto &v = rows[static_cast<size_t>(y)];
                        if (hasData(v.stream[m])) {
                            EXPECT_TRUE(hasData(v.diversion[m]));
                        }
                        if (!hasData(v.diversion[m])) continue;
                        ++found;
                        EXPECT_EQ(calendarDate(rule.to, r.firstPrintYear + y, m), date);
                        EXPECT_FLOAT_EQ(v.diversion[m], -7.0f);
                        EXPECT_FLOAT_EQ(v.stream[m], -3.0f);
                    }
                EXPECT_EQ(found, 1);
                // The average of a month held by one year is that month.
                int held = 0;
                for (int m = 0; m < 12; ++m) {
                    if (!hasData(rows.back().diversion[m])) continue;
                    ++held;
                    EXPECT_FLOAT_EQ(rows.back().diversion[m], -7.0f);
                }
                EXPECT_EQ(held, 1);
            }
        }
    }
}

TEST(YearTypeChange, AverageRowCumulativesStayAsRead) {
    OutputResults r = loadFixture();
    const float diversion = r.locations[0].rows.back().diversionCumulative;
    const float stream = r.locations[0].rows.back().streamCumulative;
    ASSERT_TRUE(r.changeYearType(0));
    EXPECT_FLOAT_EQ(r.locations[0].rows.back().diversionCumulative, diversion);
    EXPECT_FLOAT_EQ(r.locations[0].rows.back().streamCumulative, stream);
    // The net impact never gains a diversion value.
    for (const auto &row : r.locations.back().rows)
        for (float v : row.diversion)
            EXPECT_FALSE(hasData(v));
    EXPECT_FALSE(hasData(r.locations.back().rows.back().diversionTotal));
}
