// The Plot command's graph data: which graphs, series and points, labels,
// legends and titles, the shared y range, tick and grid numbers, placement.
#include "results/graph_data.h"
#include "single_value.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

using vek::hasData;
using vek::LocationResult;
using vek::OutputResults;
using vek::PlotData;
using vek::ViewChoices;

namespace {

// A well, a recharge site and the three summaries over `years` years from
// 1989, every month holding data.
OutputResults makeResults(int years) {
    OutputResults r;
    r.firstPrintYear = 1989;
    r.lastPrintYear = 1989 + years - 1;
    r.units = "( acre feet )";
    struct SeriesCase {
        const char *name;
        LocationResult::Kind kind;
        double factor;
        float sign;
    };
    const SeriesCase cases[] = {{"Well 7", LocationResult::Kind::Location, 30, -1},
                                {"Pond A", LocationResult::Kind::Location, 150.5, 1},
                                {"Recharge Summary", LocationResult::Kind::RechargeSummary, 0, 1},
                                {"CU of Ground Water Summary", LocationResult::Kind::GroundWaterSummary, 0, -1},
                                {"Net Impact on Stream", LocationResult::Kind::NetImpact, 0, -1}};
    for (const SeriesCase &s : cases) {
        LocationResult loc;
        loc.name = s.name;
        loc.kind = s.kind;
        loc.depletionFactor = s.factor;
        loc.rows.resize(static_cast<size_t>(years + 1));
        for (int y = 0; y <= years; ++y) {
            auto &row = loc.rows[static_cast<size_t>(y)];
            row.streamTotal = 0;
            if (s.kind != LocationResult::Kind::NetImpact) row.diversionTotal = 0;
            for (int m = 0; m < 12; ++m) {
                row.stream[m] = s.sign * static_cast<float>(y + m);
                row.streamTotal += row.stream[m];
                if (s.kind != LocationResult::Kind::NetImpact) {
                    row.diversion[m] = s.sign * static_cast<float>(100 + y * 12 + m);
                    row.diversionTotal += row.diversion[m];
                }
            }
        }
        r.locations.push_back(std::move(loc));
    }
    return r;
}

ViewChoices select(std::vector<int> locations, int firstYear, int yearCount, int scale = ViewChoices::Monthly) {
    ViewChoices c;
    c.locations = std::move(locations);
    for (int p = firstYear; p < firstYear + yearCount; ++p)
        c.years.push_back(p);
    c.scale = scale;
    return c;
}

} // namespace

// The first month of a row carries its own calendar year: November of
// Irrigation year 1990 is "11/89", October of USGS year 1990 "10/89".
TEST(GraphData, MonthLabelsCarryTheirOwnCalendarYearOnTheFirstMonth) {
    OutputResults r = makeResults(3);
    ViewChoices c = select({0}, 1, 3); // 1990, 1991 and the average row
    PlotData plot = vek::preparePlot(r, c);
    const auto &labels = plot.stream->labels;
    ASSERT_EQ(labels.size(), 36u);
    EXPECT_EQ(labels[0], "11/89");
    EXPECT_EQ(labels[1], "12");
    EXPECT_EQ(labels[2], "1");
    EXPECT_EQ(labels[11], "10");
    EXPECT_EQ(labels[12], "11/90");
    EXPECT_EQ(labels[24], "11/Avg");

    c.yearType = 0;
    EXPECT_EQ(vek::preparePlot(r, c).stream->labels[0], "1/90");
    c.yearType = 2;
    EXPECT_EQ(vek::preparePlot(r, c).stream->labels[0], "10/89");
    r.firstPrintYear = 2000;
    r.lastPrintYear = 2002;
    c.yearType = 1;
    EXPECT_EQ(vek::preparePlot(r, c).stream->labels[0], "11/00");

    c.scale = ViewChoices::Yearly;
    auto yearly = vek::preparePlot(r, c).stream->labels;
    EXPECT_EQ(yearly, (std::vector<std::string>{"2001", "2002", "Avg"}));
}

// Over a century two digits would name two years: the labels then carry
// all four.
TEST(GraphData, FourDigitYearsWhereTwoWouldBeAmbiguous) {
    OutputResults r = makeResults(120); // 1989 to 2108
    ViewChoices c;
    c.locations = {0};
    c.years = {1, 101, 120}; // Irrigation years 1990, 2090 and the average
    const auto labels = vek::preparePlot(r, c).stream->labels;
    ASSERT_EQ(labels.size(), 36u);
    EXPECT_EQ(labels[0], "11/1989");
    EXPECT_EQ(labels[12], "11/2089");
    EXPECT_EQ(labels[24], "11/Avg");
    c.years = {1, 100}; // Novembers of 1989 and 2088: each two-digit label names one year
    EXPECT_EQ(vek::preparePlot(r, c).stream->labels[12], "11/88");
}

TEST(GraphData, MonthsWithoutDataAreLeftOut) {
    vek::test::ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.Load(vek::test::dataPath("results/two_locations.out"), p));
    r.changeYearType(0); // 1988 holds only November and December
    ViewChoices c = select({0}, 0, 2);
    c.yearType = 0;
    PlotData plot = vek::preparePlot(r, c);
    ASSERT_EQ(plot.diversion->numPoints(), 14);
    EXPECT_EQ(plot.diversion->labels[0], "11");
    EXPECT_EQ(plot.diversion->labels[2], "1/89");
    EXPECT_DOUBLE_EQ(plot.diversion->series[0].values[0], -100.5);
    EXPECT_DOUBLE_EQ(plot.stream->series[0].values[2], r.locations[0].rows[1].stream[0]);
    // A yearly point whose total is unknown is not plotted.
    c.scale = ViewChoices::Yearly;
    c.years = {0, 4};
    r.locations[0].rows[0].diversionTotal = vek::kNoData;
    PlotData yearly = vek::preparePlot(r, c);
    EXPECT_FALSE(yearly.diversion->series[0].present[0]);
    EXPECT_EQ(yearly.diversion->series[0].values[0], 0.0);
    EXPECT_GT(yearly.diversion->yMin, -1.0e9);
}

TEST(GraphData, ASeriesWithAGapStaysOnItsDates) {
    OutputResults r = makeResults(2);
    r.locations[1].rows[0].diversion[3] = vek::kNoData; // Pond A lacks February 1990
    PlotData plot = vek::preparePlot(r, select({0, 1}, 0, 2));
    const auto &pond = plot.diversion->series[1];
    ASSERT_EQ(pond.values.size(), 24u);
    EXPECT_FALSE(pond.present[3]);
    EXPECT_TRUE(pond.present[4]);
    EXPECT_DOUBLE_EQ(pond.values[4], r.locations[1].rows[0].diversion[4]);
    EXPECT_DOUBLE_EQ(pond.values[23], r.locations[1].rows[1].diversion[11]);
}

// Gaps in the first location's diversions (asterisk fields of the report)
// do not decide the points: every series keeps its own values and gaps, and
// months where no series has data inside the plotted span stay as gaps so a
// line is broken there rather than drawn across.
TEST(GraphData, EachSeriesKeepsItsOwnValuesAndGaps) {
    OutputResults r = makeResults(2);
    for (int m = 2; m < 12; ++m)
        r.locations[0].rows[0].diversion[m] = vek::kNoData; // Well 7: only Nov, Dec 1989
    for (auto &loc : r.locations)
        for (int m = 5; m < 8; ++m) {
            loc.rows[1].diversion[m] = vek::kNoData; // nobody: Apr..Jun 1990
            loc.rows[1].stream[m] = vek::kNoData;
        }
    PlotData plot = vek::preparePlot(r, select({0, 1}, 0, 2));
    ASSERT_TRUE(plot.diversion && plot.stream);
    for (const vek::GraphData *g : {&*plot.diversion, &*plot.stream}) {
        ASSERT_EQ(g->numPoints(), 24);
        EXPECT_EQ(g->labels[12], "11/89");
        for (const auto &series : g->series)
            for (int k = 17; k < 20; ++k)
                EXPECT_FALSE(series.present[static_cast<size_t>(k)]);
    }
    const auto &well = plot.diversion->series[0];
    const auto &pond = plot.diversion->series[1];
    EXPECT_TRUE(well.present[1]);
    EXPECT_FALSE(well.present[2]);
    EXPECT_TRUE(well.present[12]);
    for (int k = 0; k < 12; ++k)
        EXPECT_DOUBLE_EQ(pond.values[static_cast<size_t>(k)], r.locations[1].rows[0].diversion[k]) << k;
    // The stream values of both locations are all there in 1989.
    for (const auto &series : plot.stream->series)
        for (int k = 0; k < 12; ++k)
            EXPECT_TRUE(series.present[static_cast<size_t>(k)]) << k;
}

TEST(GraphData, SingleSeriesTitleCarriesTheLegend) {
    OutputResults r = makeResults(2);
    PlotData plot = vek::preparePlot(r, select({0}, 0, 2));
    ASSERT_TRUE(plot.diversion);
    EXPECT_EQ(plot.diversion->title, "Diversion/Recharge Data -- Well 7  (30 days)");
    EXPECT_EQ(plot.diversion->caption, "Diversion/Recharge Data");
    EXPECT_FALSE(plot.diversion->showLegends);
    EXPECT_EQ(plot.stream->title, "Stream Depletion/Accretion Data -- Well 7  (30 days)");
    EXPECT_EQ(plot.stream->leftTitle, "( acre feet )");
    EXPECT_EQ(plot.stream->bottomTitle, "Year");
    EXPECT_EQ(plot.stream->graphName, "stream_dep");
    EXPECT_EQ(plot.diversion->settingsFile, "div_rech.gsp");

    PlotData two = vek::preparePlot(r, select({1, 3}, 0, 2));
    EXPECT_EQ(two.diversion->title, "Diversion/Recharge Data");
    EXPECT_TRUE(two.diversion->showLegends);
    ASSERT_EQ(two.diversion->numSeries(), 2);
    EXPECT_EQ(two.diversion->series[0].legend, "Pond A  (150.5 days)");
    EXPECT_EQ(two.diversion->series[1].legend, "CU of Ground Water Summary");
}

TEST(GraphData, NetImpactAloneMakesOnlyTheStreamGraph) {
    OutputResults r = makeResults(2);
    PlotData plot = vek::preparePlot(r, select({4}, 0, 2));
    EXPECT_FALSE(plot.diversion);
    ASSERT_TRUE(plot.stream);
    EXPECT_EQ(plot.stream->placement.x, 0);
    EXPECT_EQ(plot.stream->placement.width, 800);
    EXPECT_EQ(plot.stream->placement.height, 600);
    EXPECT_EQ(plot.stream->title, "Stream Depletion/Accretion Data -- Net Impact on Stream");
}

TEST(GraphData, BothGraphsShareOneRangeAndSplitTheScreen) {
    OutputResults r = makeResults(2);
    PlotData plot = vek::preparePlot(r, select({0, 1}, 0, 2), 1600, 1000);
    ASSERT_TRUE(plot.diversion && plot.stream);
    // Diversions run from -(100+23) to +123, stream values from -12 to 12.
    for (const vek::GraphData *g : {&*plot.diversion, &*plot.stream}) {
        EXPECT_DOUBLE_EQ(g->yMin, -123.0);
        EXPECT_DOUBLE_EQ(g->yMax, 123.0);
    }
    EXPECT_EQ(plot.diversion->placement.y, 0);
    EXPECT_EQ(plot.diversion->placement.width, 1600);
    EXPECT_EQ(plot.diversion->placement.height, 510);
    EXPECT_EQ(plot.stream->placement.y, 500);
    EXPECT_EQ(plot.stream->placement.height, 520);

    // With one value plotted the stream axis runs between it and 0, never
    // upside down.
    ViewChoices one = select({1}, 0, 1, ViewChoices::Yearly);
    one.showDiversion = false;
    PlotData single = vek::preparePlot(r, one);
    EXPECT_DOUBLE_EQ(single.stream->yMin, 0.0);
    EXPECT_DOUBLE_EQ(single.stream->yMax, 66.0);
    one.locations = {0};
    single = vek::preparePlot(r, one);
    EXPECT_DOUBLE_EQ(single.stream->yMin, -66.0);
    EXPECT_DOUBLE_EQ(single.stream->yMax, 0.0);
}

TEST(GraphData, NothingSelectedMakesNoGraph) {
    OutputResults r = makeResults(2);
    EXPECT_FALSE(vek::preparePlot(r, select({}, 0, 2)).stream);
    EXPECT_FALSE(vek::preparePlot(r, select({0}, 0, 0)).stream);
    EXPECT_FALSE(vek::preparePlot(r, select({9}, 7, 1)).diversion);
}

TEST(GraphData, JsonNamesEveryPart) {
    OutputResults r = makeResults(2);
    r.locations[0].name = "Well \"7\"";
    std::string json = vek::plotToJson(vek::preparePlot(r, select({0}, 0, 1, ViewChoices::Yearly)));
    for (const char *part : {"\"diversion\": {", "\"stream\": {", "\"labels\": [\"1989\"]",
                             "\"yMin\": ", "\"xTicks\": 1", "\"grid\": 3", "Well \\\"7\\\"", "\"values\": [-1266]"})
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
}

// The monthly points are the months the document's first location holds,
// whichever locations are plotted.
// The monthly points do not follow the document's first location: a
// plotted location keeps every month it holds, whichever location is first.
TEST(GraphData, MonthlyPointsDoNotFollowTheFirstLocation) {
    OutputResults r = vek::test::singleValue(1, 0, 0);
    r.lastPrintYear = 2000;
    r.locations[0].rows.resize(2);
    r.locations[0].rows[0].diversion[5] = -1.0f; // the first location holds Nov and Apr only
    LocationResult other;
    other.name = "Pond";
    other.depletionFactor = 40;
    other.rows.resize(2);
    for (int m = 0; m < 12; ++m) {
        other.rows[0].diversion[m] = static_cast<float>(m + 1);
        other.rows[0].stream[m] = static_cast<float>(m + 1) / 2;
    }
    r.locations.push_back(other);

    ViewChoices c;
    c.locations = {1};
    c.years = {0};
    const vek::PlotData plot = vek::preparePlot(r, c);
    ASSERT_TRUE(plot.diversion && plot.stream);
    EXPECT_EQ(plot.diversion->labels,
              (std::vector<std::string>{"11/99", "12", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    ASSERT_EQ(plot.diversion->numSeries(), 1);
    EXPECT_EQ(plot.diversion->series[0].values, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(plot.stream->series[0].values[11], 6.0);
    EXPECT_EQ(plot.diversion->title, "Diversion/Recharge Data -- Pond  (40 days)");
    // One range over both graphs: 0.5 to 12.
    for (const vek::GraphData *g : {&*plot.diversion, &*plot.stream}) {
        EXPECT_DOUBLE_EQ(g->yMin, 0.5);
        EXPECT_DOUBLE_EQ(g->yMax, 12.0);
    }
}
