// Reading engine reports into OutputResults: the heading, location blocks,
// summaries, the reader's messages, and what a failed read keeps.
#include "results/graph_data.h"
#include "results/output_results.h"
#include "results/text_report.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <string>

using vek::hasData;
using vek::LocationResult;
using vek::OutputResults;
using vek::ViewChoices;
using vek::test::dataPath;
using vek::test::readFile;
using vek::test::ScriptedPrompter;

namespace {

std::string fixture(const std::string &name) { return readFile(dataPath("results/" + name)); }

// Cuts text just after the n-th occurrence (1-based) of what, line end included.
std::string cutAfter(const std::string &text, const std::string &what, int n = 1) {
    size_t at = std::string::npos, from = 0;
    for (int i = 0; i < n; ++i) {
        at = text.find(what, from);
        if (at == std::string::npos) ADD_FAILURE() << "missing " << what;
        from = at + 1;
    }
    size_t eol = text.find("\r\n", at);
    return text.substr(0, eol + 2);
}

std::string cutBefore(const std::string &text, const std::string &what, int n = 1) {
    size_t at = std::string::npos, from = 0;
    for (int i = 0; i < n; ++i) {
        at = text.find(what, from);
        from = at + 1;
    }
    return text.substr(0, text.rfind("\r\n", at) + 2);
}

// Replaces the whole line that holds the n-th occurrence of what.
std::string replaceLine(const std::string &text, const std::string &what, const std::string &line, int n = 1) {
    size_t at = std::string::npos, from = 0;
    for (int i = 0; i < n; ++i) {
        at = text.find(what, from);
        from = at + 1;
    }
    size_t b = text.rfind("\r\n", at);
    b = b == std::string::npos ? 0 : b + 2;
    size_t e = text.find("\r\n", at);
    return text.substr(0, b) + line + text.substr(e);
}

std::string replaceAll(std::string s, const std::string &from, const std::string &to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

} // namespace

TEST(OutputResultsLoad, OrdinaryReportReadsEveryField) {
    ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.Load(dataPath("results/two_locations.out"), p));
    EXPECT_TRUE(p.messages.empty());
    EXPECT_EQ(r.yearType, 1);
    EXPECT_EQ(r.firstPrintYear, 1989);
    EXPECT_EQ(r.lastPrintYear, 1991);
    EXPECT_EQ(r.firstSynthYear, 1991);
    EXPECT_EQ(r.lastSynthYear, 1991);
    EXPECT_EQ(r.units, "( acre feet )");
    EXPECT_EQ(r.monthHeader.substr(0, 13), "YEAR   NOV   ");
    EXPECT_EQ(r.monthHeader.substr(r.monthHeader.size() - 5), "TOTAL");
    EXPECT_EQ(r.synthesisText, "SYNTHESIZED DATA WAS GENERATED USING AVERAGING YEARS");
    EXPECT_EQ(r.conversionText, "MONTHLY TO DAILY CONVERSIONS USED AVERAGE DAYS PER MONTH (30.417).");

    ASSERT_EQ(r.locations.size(), 5u);
    const char *names[] = {"Well 7", "Pond A", "Recharge Summary", "CU of Ground Water Summary",
                           "Net Impact on Stream"};
    LocationResult::Kind kinds[] = {LocationResult::Kind::Location, LocationResult::Kind::Location,
                                    LocationResult::Kind::RechargeSummary, LocationResult::Kind::GroundWaterSummary,
                                    LocationResult::Kind::NetImpact};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(r.locations[i].name, names[i]);
        EXPECT_EQ(r.locations[i].kind, kinds[i]);
        EXPECT_EQ(r.locations[i].rows.size(), 4u) << names[i];
    }
    EXPECT_DOUBLE_EQ(r.locations[0].depletionFactor, 30.0);
    EXPECT_DOUBLE_EQ(r.locations[1].depletionFactor, 150.5);
    EXPECT_DOUBLE_EQ(r.locations[2].depletionFactor, 0.0);

    const auto &well = r.locations[0].rows;
    EXPECT_FLOAT_EQ(well[0].diversion[0], -100.5f);
    EXPECT_FLOAT_EQ(well[1].diversion[11], -121.5f);
    EXPECT_FLOAT_EQ(well[0].diversionTotal, -1272.0f);
    EXPECT_FLOAT_EQ(well[1].diversionCumulative, -1272.0f - 1392.0f);
    EXPECT_FLOAT_EQ(well[2].diversionCumulative, -1272.0f - 1392.0f - 1512.0f);
    EXPECT_FLOAT_EQ(well[2].stream[1], -30.2f);
    EXPECT_FLOAT_EQ(well[2].streamTotal, -373.2f);
    // The average row is kept last and gets a running total like the others.
    EXPECT_FLOAT_EQ(well[3].diversion[0], -110.5f);
    EXPECT_FLOAT_EQ(well[3].diversionTotal, -1392.0f);
    EXPECT_FLOAT_EQ(well[3].diversionCumulative, -1272.0f - 1392.0f - 1512.0f - 1392.0f);

    // The summaries carry the tables of the kind they sum; the net impact
    // has no diversion table.
    EXPECT_FLOAT_EQ(r.locations[2].rows[0].diversion[5], 50.5f);
    EXPECT_FLOAT_EQ(r.locations[3].rows[0].diversion[0], -100.5f);
    const auto &net = r.locations[4].rows;
    EXPECT_FLOAT_EQ(net[0].stream[0], -20.0f);
    for (const auto &row : net) {
        for (float v : row.diversion)
            EXPECT_FALSE(vek::hasData(v));
        EXPECT_FALSE(vek::hasData(row.diversionTotal));
    }
}

TEST(OutputResultsLoad, UntitledSummaryFormatReadsAsEmptyList) {
    ScriptedPrompter p;
    OutputResults r;
    r.locations.resize(2); // an earlier read's results are replaced
    ASSERT_TRUE(r.Load(dataPath("results/untitled_summaries.out"), p));
    EXPECT_TRUE(p.messages.empty());
    EXPECT_TRUE(r.locations.empty());
    EXPECT_TRUE(r.units.empty());
    EXPECT_EQ(r.firstPrintYear, 1989);
    EXPECT_EQ(r.lastPrintYear, 1991);
}

// The exports take a report written without titles as its two summaries,
// stream tables only; a cut one says where it ends.
TEST(OutputResultsLoad, UntitledSummariesForTheExports) {
    ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.LoadUntitledSummaries(dataPath("results/untitled_summaries.out"), p));
    EXPECT_TRUE(p.messages.empty());
    ASSERT_EQ(r.locations.size(), 2u);
    EXPECT_EQ(r.locations[0].name, "Recharge Summary");
    EXPECT_EQ(r.locations[1].kind, vek::LocationResult::Kind::GroundWaterSummary);
    for (const auto &loc : r.locations) {
        EXPECT_FALSE(loc.hasDiversion());
        ASSERT_EQ(loc.rows.size(), 4u);
        EXPECT_FALSE(vek::hasData(loc.rows[0].diversionTotal));
    }
    EXPECT_FLOAT_EQ(r.locations[0].rows[1].stream[6], 4.9f);
    EXPECT_FLOAT_EQ(r.locations[1].rows[2].streamTotal, -373.2f);
    EXPECT_FLOAT_EQ(r.locations[1].rows[2].streamCumulative, -253.2f - 313.2f - 373.2f);
    EXPECT_FLOAT_EQ(r.locations[1].rows[3].stream[0], -25.0f);
    EXPECT_EQ(r.units, "( acre feet )");

    const std::string text = fixture("untitled_summaries.out");
    const std::string dir = vek::test::freshDir("output_results_untitled_cut");
    vek::test::writeFile(dir + "/cut.out", text.substr(0, text.find("1990    -25.0")));
    OutputResults cut;
    EXPECT_FALSE(cut.LoadUntitledSummaries(dir + "/cut.out", p));
    EXPECT_EQ(p.messages, std::vector<std::string>{"Unexpected EOF reading 1990's data."});
    EXPECT_EQ(cut.locations.size(), 1u);
}

TEST(OutputResultsLoad, SummariesOnlyTakeUnitsFromFirstSummaryTable) {
    ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.Load(dataPath("results/summaries_only.out"), p));
    EXPECT_TRUE(p.messages.empty());
    ASSERT_EQ(r.locations.size(), 3u);
    EXPECT_EQ(r.units, "( acre feet )");
    EXPECT_EQ(r.monthHeader.substr(0, 4), "YEAR");
    EXPECT_EQ(r.locations[0].name, "Recharge Summary");
    EXPECT_FLOAT_EQ(r.locations[0].rows[2].diversion[11], 53.1f);
    EXPECT_FLOAT_EQ(r.locations[2].rows[1].stream[0], -25.0f);
    EXPECT_FLOAT_EQ(r.locations[2].rows[1].stream[6], 3.1f + 1.8f - 26.2f);
    // No synthesized years: the first synthesized year is one past the data.
    EXPECT_EQ(r.firstSynthYear, 1992);
    EXPECT_EQ(r.lastSynthYear, 1991);
    EXPECT_EQ(r.conversionText, "MONTHLY TO DAILY CONVERSIONS USED ACTUAL DAYS IN THE MONTH.");
}

TEST(OutputResultsLoad, BlankLinesBetweenRowsAreNotRows) {
    std::string text = fixture("two_locations.out");
    std::string spaced = replaceAll(text, "\r\n1990", "\r\n   \t \r\n\r\n1990");
    ScriptedPrompter p;
    OutputResults a, b;
    ASSERT_TRUE(a.LoadText(text, "a.out", p));
    ASSERT_TRUE(b.LoadText(spaced, "b.out", p));
    ASSERT_EQ(a.locations.size(), b.locations.size());
    for (size_t i = 0; i < a.locations.size(); ++i)
        for (size_t y = 0; y < a.locations[i].rows.size(); ++y) {
            EXPECT_FLOAT_EQ(a.locations[i].rows[y].stream[4], b.locations[i].rows[y].stream[4]);
            EXPECT_FLOAT_EQ(a.locations[i].rows[y].streamCumulative, b.locations[i].rows[y].streamCumulative);
        }
}

TEST(OutputResultsLoad, LoneLineFeedsAndSplitLongLinesReadAlike) {
    std::string text = fixture("two_locations.out");
    ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.LoadText(replaceAll(text, "\r\n", "\n"), "lf.out", p));
    EXPECT_EQ(r.locations.size(), 5u);
}

TEST(OutputResultsLoad, LargeFileReadsAsFromMemory) {
    // Many blocks: the file is read in pieces whose ends fall anywhere.
    std::string text = fixture("two_locations.out");
    size_t b = text.find(" \r\nLOCATION:"), e = text.find(" \r\nLOCATION:", b + 1);
    std::string block = text.substr(b, e - b);
    std::string big = text.substr(0, b);
    for (int i = 0; i < 400; ++i)
        big += block;
    big += text.substr(b);
    std::string path = vek::test::freshDir("results_large_file") + "/big.out";
    vek::test::writeFile(path, big);
    ScriptedPrompter p;
    OutputResults fromFile, fromMemory;
    ASSERT_TRUE(fromFile.Load(path, p));
    ASSERT_TRUE(fromMemory.LoadText(big, path, p));
    ASSERT_EQ(fromFile.locations.size(), 405u);
    for (size_t i = 0; i < fromFile.locations.size(); ++i) {
        const auto &x = fromFile.locations[i], &y = fromMemory.locations[i];
        ASSERT_EQ(x.name, y.name);
        for (size_t row = 0; row < x.rows.size(); ++row)
            for (int m = 0; m < 12; ++m) {
                ASSERT_EQ(x.rows[row].diversion[m], y.rows[row].diversion[m]);
                ASSERT_EQ(x.rows[row].stream[m], y.rows[row].stream[m]);
            }
    }
}

TEST(OutputResultsLoad, LongNamesAreCutTo80Characters) {
    std::string name(100, 'n');
    for (size_t i = 0; i < name.size(); ++i)
        name[i] = static_cast<char>('a' + i % 26);
    std::string text = replaceLine(fixture("two_locations.out"), "LOCATION:", "LOCATION:        " + name);
    ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.LoadText(text, "x.out", p));
    // The name starts after "LOCATION:" and its blanks: 80 characters taken
    // from just after the keyword, then trimmed.
    EXPECT_EQ(r.locations[0].name, name.substr(0, 80 - 8));
    std::string tight = replaceLine(fixture("two_locations.out"), "LOCATION:", "LOCATION:" + name);
    ASSERT_TRUE(r.LoadText(tight, "x.out", p));
    EXPECT_EQ(r.locations[0].name, name.substr(0, 80));
}

TEST(OutputResultsLoad, LinesLongerThan511CharactersArriveInPieces) {
    std::string text =
        replaceLine(fixture("two_locations.out"), "LOCATION:", "LOCATION:" + std::string(502, 'a') + "TAIL");
    ScriptedPrompter p;
    OutputResults r;
    EXPECT_FALSE(r.LoadText(text, "x.out", p));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], "Error looking for VEK (line is TAIL)");
}

TEST(OutputResultsLoad, FieldsTooWideForTheReportAreNoDataAndFullFieldsStillRead) {
    ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.Load(dataPath("results/wide_values.out"), p));
    EXPECT_TRUE(p.messages.empty());
    const auto &rows = r.locations[0].rows;
    EXPECT_FALSE(vek::hasData(rows[1].diversion[3]));  // twelve million: asterisks
    EXPECT_FLOAT_EQ(rows[1].diversion[4], 9999999.9f); // fills its field, touches its neighbour
    EXPECT_FLOAT_EQ(rows[1].diversion[2], 1.0f);
    EXPECT_FLOAT_EQ(rows[1].diversion[5], 1.0f);
    EXPECT_FALSE(vek::hasData(rows[1].diversionTotal));
    // An unknown total leaves the running total where it was.
    EXPECT_FLOAT_EQ(rows[1].diversionCumulative, rows[0].diversionCumulative);
    EXPECT_FLOAT_EQ(rows[0].stream[0], 0.0f);
}

TEST(OutputResultsLoad, HandWrittenRowsWithLooseSpacingRead) {
    std::string text = fixture("two_locations.out");
    text = replaceLine(text, "1989   -100.5",
                       "1989 -100.5 -101.5 -102.5 -103.5 -104.5 -.5 -106.5 -107.5 -108.5 "
                       "-109.5 -110.5 -111.5 -1272");
    ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.LoadText(text, "x.out", p));
    EXPECT_FLOAT_EQ(r.locations[0].rows[0].diversion[5], -0.5f);
    EXPECT_FLOAT_EQ(r.locations[0].rows[0].diversionTotal, -1272.0f);
}

struct Broken {
    const char *what;
    std::string text;
    std::string message;
    size_t locationsKept;
};

TEST(OutputResultsLoad, BrokenReportsStopWithTheirMessageAndKeepWhatWasRead) {
    const std::string t = fixture("two_locations.out");
    const std::string P = "x.out";
    const std::string range = "Parse error reading x.out for starting and ending years (expected PRINT OUT OF "
                              "DEPLETIONS IS FOR YEARS %d TO %d)";
    // The reader's own words, then what was wrong in plain ones.
    auto noLine = [&](const std::string &line) {
        return range + "\nx.out is not a complete engine report: its heading has no line \"" + line + "\"";
    };
    const std::string badRange = "\nThe heading gives the years ";
    const std::string badRangeEnd =
        ", which no report prints (the first year comes first, and a report prints at most 10000 years).";
    const Broken cases[] = {
        {"no pumping line", replaceLine(t, "PUMPING BEGINS", ""),
         noLine("PUMPING BEGINS IN <year> AND CONTINUES <count> MORE YEARS."), 0},
        {"no historical line", replaceLine(t, "THE LAST YEAR", ""),
         noLine("THE LAST YEAR OF HISTORICAL DATA IS <year>."), 0},
        {"no print range", replaceLine(t, "PRINT OUT OF", "          PRINT OUT OF DEPLETIONS"),
         noLine("PRINT OUT OF DEPLETIONS IS FOR YEARS <first year> TO <last year> INCLUSIVE."), 0},
        {"reversed print range",
         replaceLine(t, "PRINT OUT OF", "          PRINT OUT OF DEPLETIONS IS FOR YEARS 1991 TO 1989 INCLUSIVE."),
         range + badRange + "1991 TO 1989" + badRangeEnd, 0},
        {"absurd print range",
         replaceLine(t, "PRINT OUT OF", "          PRINT OUT OF DEPLETIONS IS FOR YEARS -2000000000 TO 2000000000"),
         range + badRange + "-2000000000 TO 2000000000" + badRangeEnd, 0},
        {"nothing after print range", cutAfter(t, "PRINT OUT OF"),
         "End-of-file error reading x.out for monthly conversion method (expected MONTHLY TO DAILY CONVERSIONS "
         "USED...)",
         0},
        {"end after location", cutAfter(t, "LOCATION:"), "Unexepected EOF looking for VEK.", 0},
        {"no factor line", replaceLine(t, "VEK FACTOR:", "VEK FCTR: 30.0"),
         "Error looking for VEK (line is VEK FCTR: 30.0)", 0},
        {"end before units", cutAfter(t, "DIVERSIONS FROM WELLS"), "Unexepected EOF looking for well units.", 0},
        {"end before month heading", cutAfter(t, " ( acre feet ) "), "Unexepected EOF looking for well month header.",
         0},
        {"end inside a table", cutAfter(t, "1989   -100.5"), "Unexpected EOF reading 1990's data.", 0},
        {"end before the average row", cutBefore(t, " AVG"), "Unexpected EOF reading 1992's data.", 0},
        {"short diversion row", replaceLine(t, "1990   -110.5", "1990   -110.5   -111.5"),
         "Parse error reading monthly pumping for year 1990", 0},
        {"short stream row", replaceLine(t, "1991    -30.0", "1991    -30.0 x"),
         "Parse error reading monthly depletion for year 1991", 0},
        {"end before the second location's year heading", cutAfter(t, "NET DIVERSION INTO RECHARGE SITES"),
         "Unexpected EOF reading year header.", 1},
        {"end inside the well summary", cutBefore(t, "DEPLETIONS OCCURRING FROM THE STREAM DUE TO WELLS", 2),
         "Unexpected EOF reading year header.", 3},
        {"end inside the net impact", cutAfter(t, "NET IMPACT UPON THE STREAM"), "Unexpected EOF reading year header.",
         4},
    };
    for (const Broken &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPrompter p;
        OutputResults r;
        EXPECT_FALSE(r.LoadText(c.text, P, p));
        ASSERT_EQ(p.messages.size(), 1u);
        EXPECT_EQ(p.messages[0], c.message);
        EXPECT_EQ(r.locations.size(), c.locationsKept);
        EXPECT_GE(r.printedYears(), 1);
        EXPECT_LE(r.printedYears(), 3);
        for (const auto &loc : r.locations)
            EXPECT_EQ(loc.rows.size(), 4u);
    }
}

TEST(OutputResultsLoad, HugeYearCountsDoNotOverflow) {
    std::string text = replaceLine(fixture("two_locations.out"), "NUMBER OF YEARS",
                                   "          NUMBER OF YEARS OF SYNTHESIZED DATA ARE 2147483647");
    ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.LoadText(text, "x.out", p));
    EXPECT_EQ(r.firstSynthYear, 1991);
    EXPECT_EQ(r.lastSynthYear, 100000000);
}

TEST(OutputResultsLoad, MissingFileSaysSo) {
    ScriptedPrompter p;
    OutputResults r;
    EXPECT_FALSE(r.Load("/nonexistent/dir/a.out", p));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], "Unable to open /nonexistent/dir/a.out for reading.");
}

TEST(OutputResultsLoad, HeadingFactsSurviveAFailedTableRead) {
    ScriptedPrompter p;
    OutputResults r;
    std::string t = fixture("two_locations.out");
    EXPECT_FALSE(r.LoadText(cutAfter(t, "1989   -100.5"), "x.out", p));
    EXPECT_EQ(r.firstPrintYear, 1989);
    EXPECT_EQ(r.lastPrintYear, 1991);
    EXPECT_EQ(r.units, "( acre feet )");
    EXPECT_FALSE(r.conversionText.empty());
}

// Whatever part of a report is missing, the read ends with at most one
// message, says false exactly when it showed one, and what it kept can be
// shown, plotted and converted.
TEST(OutputResultsLoad, EveryTruncationAndMissingLineEndsCleanly) {
    const std::string t = fixture("two_locations.out");
    std::vector<std::string> variants;
    for (size_t n = 0; n <= t.size(); n += 3)
        variants.push_back(t.substr(0, n));
    for (size_t b = 0; b < t.size();) {
        size_t e = t.find("\r\n", b);
        if (e == std::string::npos) break;
        variants.push_back(t.substr(0, b) + t.substr(e + 2));
        b = e + 2;
    }
    for (const std::string &text : variants) {
        ScriptedPrompter p;
        OutputResults r;
        bool ok = r.LoadText(text, "x.out", p);
        ASSERT_LE(p.messages.size(), 1u);
        ASSERT_EQ(ok, p.messages.empty());
        vek::ViewChoices c;
        for (size_t i = 0; i < r.locations.size(); ++i)
            c.locations.push_back(static_cast<int>(i));
        for (int y = 0; y <= r.printedYears() && y < 50; ++y)
            c.years.push_back(y);
        EXPECT_FALSE(vek::buildTextReport(r, c, "\n").empty());
        vek::preparePlot(r, c);
        r.changeYearType(0);
        r.changeYearType(2);
        vek::buildTextReport(r, c, "\n");
    }
}

// Heading lines are found by formatted scans: any leading white space, other
// lines in between, and a line that only looks like one is passed over.
TEST(OutputResultsLoad, HeadingScanIsForgiving) {
    struct Row {
        const char *what;
        std::string text;
        int firstSynth, lastSynth, firstPrint, lastPrint;
        std::string synthesis;
    };
    const std::string t = fixture("two_locations.out");
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
TEST(OutputResultsLoad, LocationNameAndFactorVariants) {
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
        std::string text = replaceLine(replaceLine(fixture("two_locations.out"), "LOCATION:", row.locationLine),
                                       "VEK FACTOR:", row.factorLine);
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
    EXPECT_FALSE(r.LoadText(replaceLine(fixture("two_locations.out"), "VEK FACTOR:", "   VEK 30.0"), "x.out", p));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], "Error looking for VEK (line is    VEK 30.0)");
}

// Rows are counted, not matched by their label: whatever stands in the first
// four columns, the n-th row is taken as the n-th year and the last as the
// average.
TEST(OutputResultsLoad, RowLabelsAreNeverRead) {
    std::string text = fixture("two_locations.out");
    for (const char *label : {"1989", "1990", "1991", " AVG"}) {
        size_t at = text.find(std::string("\r\n") + label);
        ASSERT_NE(at, std::string::npos);
        text.replace(at + 2, 4, label[0] == '1' ? (label[3] == '0' ? "    " : "abcd") : "2050");
    }
    ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.LoadText(text, "x.out", p));
    OutputResults plain;
    ASSERT_TRUE(plain.LoadText(fixture("two_locations.out"), "x.out", p));
    for (size_t y = 0; y < 4; ++y) {
        EXPECT_FLOAT_EQ(r.locations[0].rows[y].diversion[0], plain.locations[0].rows[y].diversion[0]);
        EXPECT_FLOAT_EQ(r.locations[0].rows[y].diversionTotal, plain.locations[0].rows[y].diversionTotal);
    }
}

TEST(OutputResultsLoad, AFolderCannotBeOpened) {
    const std::string dir = vek::test::freshDir("results_review_folder") + "/report.out";
    std::filesystem::create_directories(dir);
    ScriptedPrompter p;
    OutputResults r;
    EXPECT_FALSE(r.Load(dir, p));
    EXPECT_EQ(p.messages, std::vector<std::string>{"Unable to open " + dir + " for reading."});
}
