// Rules of the results core that the other result tests leave open: which
// month positions make a year-type change add a blank year, how forgiving the
// heading scan and the location block are, row labels that are never read,
// and the points of a graph that the document's first location decides.
#include "calendar_date.h"
#include "results/graph_data.h"
#include "results/output_results.h"
#include "results/text_report.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <string>
#include <utility>
#include <vector>

using vek::hasData;
using vek::LocationResult;
using vek::OutputResults;
using vek::ViewChoices;
using vek::test::calendarDate;
using vek::test::ScriptedPrompter;

namespace {

std::string fixture() { return vek::test::readFile(vek::test::dataPath("results/two_locations.out")); }

// Replaces the whole line that holds the first occurrence of what.
std::string replaceLine(const std::string &text, const std::string &what, const std::string &line) {
    size_t at = text.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    size_t b = text.rfind("\r\n", at);
    b = b == std::string::npos ? 0 : b + 2;
    return text.substr(0, b) + line + text.substr(text.find("\r\n", at));
}

// One location over 2000-2001 whose only diversion and stream value is at
// (row, position).
OutputResults singleValue(int yearType, int row, int position) {
    OutputResults r;
    r.yearType = yearType;
    r.firstPrintYear = 2000;
    r.lastPrintYear = 2001;
    LocationResult loc;
    loc.name = "Well";
    loc.rows.resize(3);
    loc.rows[static_cast<size_t>(row)].diversion[position] = -7.0f;
    loc.rows[static_cast<size_t>(row)].stream[position] = -3.0f;
    r.locations.push_back(loc);
    return r;
}

} // namespace

// Every single month of the first and the last year, for every change of
// year type: a blank year is added exactly when that month would otherwise
// fall off the table, and the month keeps its calendar date either way.
TEST(ReviewYearType, BlankYearExactlyWhereAMonthWouldFallOff) {
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

                OutputResults r = singleValue(rule.from, row, p);
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

TEST(ReviewYearType, AverageRowCumulativesStayAsRead) {
    ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.LoadText(fixture(), "x.out", p));
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

// Heading lines are found by formatted scans: any leading white space, other
// lines in between, and a line that only looks like one is passed over.
TEST(ReviewReader, HeadingScanIsForgiving) {
    struct Row {
        const char *what;
        std::string text;
        int firstSynth, lastSynth, firstPrint, lastPrint;
        std::string synthesis;
    };
    const std::string t = fixture();
    const std::string shifted =
        replaceLine(replaceLine(replaceLine(t, "THE LAST YEAR", "\tTHE LAST YEAR OF HISTORICAL DATA IS  1990."),
                                "PUMPING BEGINS", "PUMPING BEGINS IN 1989 AND CONTINUES 2 MORE YEARS."),
                    "PRINT OUT OF", "  \t PRINT OUT OF DEPLETIONS IS FOR YEARS 1989 TO 1991");
    const std::string noisy = replaceLine(t, "THE LAST YEAR",
                                          "a remark\r\n          THE LAST YEAR OF HISTORICAL DATA IS ????\r\n"
                                          "          THE LAST YEAR OF HISTORICAL DATA IS 1990.\r\n          NUMBER OF "
                                          "YEARS OF SYNTHESIZED DATA ARE *****");
    const Row rows[] = {
        {"tabs and no blanks", shifted, 1991, 1991, 1989, 1991, "SYNTHESIZED DATA WAS GENERATED USING AVERAGING YEARS"},
        {"lines that only look like heading lines", noisy, 1991, 1991, 1989, 1991,
         "SYNTHESIZED DATA WAS GENERATED USING AVERAGING YEARS"},
        {"a negative number of synthesized years",
         replaceLine(t, "NUMBER OF YEARS", "          NUMBER OF YEARS OF SYNTHESIZED DATA ARE    -3"), 1991, 1990, 1989,
         1991, "SYNTHESIZED DATA WAS GENERATED USING AVERAGING YEARS"},
        {"many synthesized years",
         replaceLine(t, "NUMBER OF YEARS", "          NUMBER OF YEARS OF SYNTHESIZED DATA ARE    12"), 1991, 2002, 1989,
         1991, "SYNTHESIZED DATA WAS GENERATED USING AVERAGING YEARS"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        ScriptedPrompter p;
        OutputResults r;
        EXPECT_TRUE(r.LoadText(row.text, "x.out", p));
        EXPECT_TRUE(p.messages.empty()) << p.messages.front();
        EXPECT_EQ(r.firstSynthYear, row.firstSynth);
        EXPECT_EQ(r.lastSynthYear, row.lastSynth);
        EXPECT_EQ(r.firstPrintYear, row.firstPrint);
        EXPECT_EQ(r.lastPrintYear, row.lastPrint);
        EXPECT_EQ(r.synthesisText, row.synthesis);
        EXPECT_EQ(r.locations.size(), 5u);
    }
}

// The factor is the number after the first eleven characters of the line
// after "LOCATION:"; the keyword may stand anywhere in that line.
TEST(ReviewReader, LocationNameAndFactorVariants) {
    struct Row {
        std::string locationLine, factorLine;
        std::string name;
        double factor;
    };
    const Row rows[] = {
        {"LOCATION:        Well 7", "VEK FACTOR:           30.0", "Well 7", 30.0},
        {"   LOCATION:   Well 7   ", "VEK FACTOR:30.5", "Well 7", 30.5},
        {"LOCATION:Well 7", "VEK FACTOR:         .5", "Well 7", 0.5},
        {"LOCATION:        Well 7", "VEK FACTOR:      *********", "Well 7", 0.0},
        {"LOCATION:        Well 7", "VEK FACTOR:      1.5e2 days", "Well 7", 150.0},
        {"LOCATION:        Well 7", "   VEK FACTOR:  30.0", "Well 7", 0.0},
        {"LOCATION:", "VEK FACTOR:            7.0", "", 7.0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.locationLine + " / " + row.factorLine);
        std::string text =
            replaceLine(replaceLine(fixture(), "LOCATION:", row.locationLine), "VEK FACTOR:", row.factorLine);
        ScriptedPrompter p;
        OutputResults r;
        EXPECT_TRUE(r.LoadText(text, "x.out", p));
        ASSERT_EQ(r.locations.size(), 5u);
        EXPECT_EQ(r.locations[0].name, row.name);
        EXPECT_DOUBLE_EQ(r.locations[0].depletionFactor, row.factor);
    }
    // The line is quoted as read, leading blanks included.
    ScriptedPrompter p;
    OutputResults r;
    EXPECT_FALSE(r.LoadText(replaceLine(fixture(), "VEK FACTOR:", "   VEK 30.0"), "x.out", p));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], "Error looking for VEK (line is    VEK 30.0)");
}

// Rows are counted, not matched by their label: whatever stands in the first
// four columns, the n-th row is taken as the n-th year and the last as the
// average.
TEST(ReviewReader, RowLabelsAreNeverRead) {
    std::string text = fixture();
    for (const char *label : {"1989", "1990", "1991", " AVG"}) {
        size_t at = text.find(std::string("\r\n") + label);
        ASSERT_NE(at, std::string::npos);
        text.replace(at + 2, 4, label[0] == '1' ? (label[3] == '0' ? "    " : "abcd") : "2050");
    }
    ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.LoadText(text, "x.out", p));
    OutputResults plain;
    ASSERT_TRUE(plain.LoadText(fixture(), "x.out", p));
    for (size_t y = 0; y < 4; ++y) {
        EXPECT_FLOAT_EQ(r.locations[0].rows[y].diversion[0], plain.locations[0].rows[y].diversion[0]);
        EXPECT_FLOAT_EQ(r.locations[0].rows[y].diversionTotal, plain.locations[0].rows[y].diversionTotal);
    }
}

// Recharge site only when the year rows add up above zero: the average row
// is not counted, and a location of zeros is a well.
TEST(ReviewTextReport, LocationTypeFromTheYearRowsOnly) {
    struct Row {
        float yearValue, averageValue;
        const char *type;
    };
    for (const Row &row :
         {Row{0.0f, 5.0f, "Irrig. well"}, Row{1.0f, -5.0f, "Recharge site"}, Row{-1.0f, 0.0f, "Irrig. well"}}) {
        OutputResults r = singleValue(1, 0, 0);
        auto &loc = r.locations[0];
        for (auto &y : loc.rows)
            for (float &v : y.diversion)
                v = 0.0f;
        loc.rows[1].diversion[4] = row.yearValue;
        loc.rows[2].diversion[4] = row.averageValue;
        loc.depletionFactor = 12.25;
        ViewChoices c;
        c.locations = {0};
        c.years = {0};
        c.showStream = false;
        std::string text = vek::buildTextReport(r, c, "\n");
        EXPECT_NE(text.find(std::string("Location: Well  Location Type = ") + row.type + "  VEK = 12.25 days\n"),
                  std::string::npos)
            << text;
    }
}

// The monthly points no longer follow the document's first location: a
// plotted location keeps every month it holds, whichever location is first.
TEST(ReviewGraph, MonthlyPointsDoNotFollowTheFirstLocation) {
    OutputResults r = singleValue(1, 0, 0);
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
              (std::vector<std::string>{"11/00", "12", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
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

TEST(ReviewReader, AFolderCannotBeOpened) {
    const std::string dir = vek::test::freshDir("results_review_folder") + "/report.out";
    std::filesystem::create_directories(dir);
    ScriptedPrompter p;
    OutputResults r;
    EXPECT_FALSE(r.Load(dir, p));
    EXPECT_EQ(p.messages, std::vector<std::string>{"Unable to open " + dir + " for reading."});
}

// The graph data stays valid JSON whatever the report held: names cut inside
// a character or in a one-byte code page, and sums too large for a float.
TEST(ReviewGraph, JsonIsValidForAnyNameAndValue) {
    struct Row {
        std::string name, expected;
    };
    const Row rows[] = {
        {"Pozo de la Se\xc3\xb1ora", "\"Pozo de la Se\xc3\xb1ora\""},          // whole UTF-8 character kept
        {"Pozo \xe2\x82", "\"Pozo \\u00e2\\u0082\""},                          // cut inside a character
        {"Se\xf1ora", "\"Se\\u00f1ora\""},                                     // Latin-1
        {"\xc0\xaf \xed\xa0\x80", "\"\\u00c0\\u00af \\u00ed\\u00a0\\u0080\""}, // overlong form, surrogate
        {"tab\there \x7f", "\"tab\\there \\u007f\""},
    };
    for (const Row &row : rows) {
        OutputResults r = singleValue(1, 0, 0);
        r.locations[0].kind = LocationResult::Kind::RechargeSummary; // legend is the bare name
        r.locations[0].name = row.name;
        ViewChoices c;
        c.locations = {0};
        c.years = {0};
        c.scale = ViewChoices::Yearly;
        c.showStream = false;
        const std::string json = vek::plotToJson(vek::preparePlot(r, c));
        EXPECT_NE(json.find("\"legend\": " + row.expected), std::string::npos) << json;
    }

    OutputResults r = singleValue(1, 0, 0);
    r.locations[0].rows[0].diversionTotal = 3.0e38f * 10.0f; // infinity
    r.locations[0].rows[1].diversionTotal = 5.0f;
    ViewChoices c;
    c.locations = {0};
    c.years = {0, 1};
    c.scale = ViewChoices::Yearly;
    c.showStream = false;
    const std::string json = vek::plotToJson(vek::preparePlot(r, c));
    EXPECT_EQ(json.find("inf"), std::string::npos) << json;
    EXPECT_NE(json.find("\"values\": [null, 5]"), std::string::npos) << json;
}
