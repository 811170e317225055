// Whole runs of the engine on small decks, each report checked byte for byte
// against a golden file and, before that, on the lines that were worked out
// by hand (row layout, cut names, asterisks, blank lines, heading figures).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "engine/engine_run.h"
#include "support/test_files.h"

namespace {

using vek::engine::EngineOptions;
using vek::engine::runEngine;
namespace t = vek::test;

struct EngineResult {
    int status = 0;
    std::string report;
    std::string console;
    std::string errors;
};

EngineResult runDeck(const std::string &deck, bool reference = false) {
    // A folder of the running test's own: tests of one deck run in parallel.
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string test = info ? std::string(info->test_suite_name()) + "_" + info->name() : std::string("none");
    for (char &c : test)
        if (c == '/') c = '_';
    const std::string dir =
        t::freshDir(std::string("engine_golden_") + (reference ? "ref_" : "fast_") + deck + "_" + test);
    const std::string out = dir + "/" + deck + ".out";
    std::ostringstream console, errors;
    EngineOptions options;
    options.reference = reference;
    EngineResult r;
    r.status = runEngine(t::dataPath("engine/" + deck + ".vek"), out, options, console, errors);
    r.report = t::readFile(out);
    r.console = console.str();
    r.errors = errors.str();
    return r;
}

std::vector<std::string> lines(const std::string &report) {
    std::vector<std::string> result;
    std::size_t pos = 0;
    while (pos < report.size()) {
        const std::size_t end = report.find("\r\n", pos);
        EXPECT_NE(end, std::string::npos) << "line without CR LF at byte " << pos;
        if (end == std::string::npos) break;
        result.push_back(report.substr(pos, end - pos));
        pos = end + 2;
    }
    return result;
}

std::size_t indexOf(const std::vector<std::string> &ls, const std::string &text, std::size_t from = 0) {
    for (std::size_t i = from; i < ls.size(); ++i)
        if (ls[i] == text) return i;
    return ls.size();
}

std::string field(const std::string &text) { return std::string(9 - text.size(), ' ') + text; }

class GoldenReport : public ::testing::TestWithParam<const char *> {};

TEST_P(GoldenReport, MatchesGoldenInBothComputations) {
    const std::string deck = GetParam();
    const EngineResult fast = runDeck(deck, false);
    EXPECT_EQ(fast.status, 0) << fast.errors;
    EXPECT_EQ(fast.console, " Stop - Program terminated.\n");
    const std::string diff = t::compareGolden("engine/" + deck + ".out", fast.report);
    EXPECT_TRUE(diff.empty()) << diff;
    const EngineResult reference = runDeck(deck, true);
    EXPECT_EQ(reference.report, fast.report);
}

INSTANTIATE_TEST_SUITE_P(Decks, GoldenReport,
                         ::testing::Values("layout", "cancel", "untitled", "fifteen", "late_start", "years400",
                                           "no_locations"));

TEST(ReportLayout, RowsNamesAsterisksAndUnusedLocation) {
    const auto ls = lines(runDeck("layout").report);
    // A well pumping 1234.5 acre-feet every month with factor 0.
    std::string row = "1999";
    for (int j = 0; j < 12; ++j)
        row += "  -1234.5";
    row += " -14814.0";
    EXPECT_EQ(row.size(), 121u);
    const std::size_t well = indexOf(ls, "DEPLETIONS OCCURRING FROM THE STREAM DUE TO WELLS");
    ASSERT_LT(well + 4, ls.size());
    EXPECT_EQ(ls[well + 4], row) << "factor 0: the depletion equals the diversion";
    EXPECT_EQ(ls[indexOf(ls, "DIVERSIONS FROM WELLS") + 4], row);
    EXPECT_EQ(ls[indexOf(ls, "DIVERSIONS FROM WELLS") + 1], " ( acre feet ) ");

    // The name is cut to 60 characters; short names are padded to 60.
    EXPECT_EQ(ls[17], "LOCATION:        Well with a very long name that runs past the sixtieth colum");
    const std::size_t big = indexOf(ls, "LOCATION:        Big site" + std::string(52, ' '));
    ASSERT_LT(big, ls.size());
    EXPECT_EQ(ls[big].size(), 77u);
    EXPECT_EQ(ls[big + 1], "VEK FACTOR:            0.0");
    EXPECT_EQ(ls[big + 2], "TYPE OF SITE:    RECHARGE  ");
    EXPECT_EQ(ls[big + 3], "DEPTH:           SHALLOW   ");
    // Twelve million acre-feet do not fit F9.1.
    EXPECT_EQ(ls[big + 10].substr(0, 13), "1999*********");
    EXPECT_EQ(ls[big + 10].substr(112), "*********");

    // The unused location between two used ones leaves no trace.
    EXPECT_EQ(t::readFile(t::dataPath("engine/layout.vek")).find("Unused") != std::string::npos, true);
    for (const auto &l : ls)
        EXPECT_EQ(l.find("Unused"), std::string::npos);

    // Factor 100000 over one year: no month reaches the stream.
    const std::size_t slow = indexOf(ls, "LOCATION:        Slow well" + std::string(51, ' '));
    ASSERT_LT(slow, ls.size());
    const std::size_t effect = indexOf(ls, "DEPLETIONS OCCURRING FROM THE STREAM DUE TO WELLS", slow);
    std::string zeros = "1999";
    for (int j = 0; j < 13; ++j)
        zeros += field("0.0");
    EXPECT_EQ(ls[effect + 4], zeros);
    EXPECT_EQ(ls[slow + 10].substr(0, 13), "1999   -300.0");

    // Heading: the other day rule is titled as actual days.
    EXPECT_EQ(ls[15], "          MONTHLY TO DAILY CONVERSIONS USED ACTUAL DAYS IN THE MONTH.");
    EXPECT_EQ(ls[10], "          SYNTHESIZED DATA WAS GENERATED USING USER-DEFINED DATA" + std::string(33, ' '));
}

TEST(ReportLayout, CancellingWellAndSiteGiveZeroNetImpact) {
    const auto ls = lines(runDeck("cancel").report);
    EXPECT_EQ(indexOf(ls, "LOCATION:        Site" + std::string(56, ' ')), ls.size()) << "totals only";
    const std::size_t net = indexOf(ls, "NET IMPACT UPON THE STREAM");
    ASSERT_LT(net, ls.size());
    EXPECT_EQ(ls[net + 1], " Depletions + Accretions");
    for (int y = 0; y < 16; ++y) {
        std::string zeros = std::to_string(2000 + y);
        for (int j = 0; j < 13; ++j)
            zeros += field("0.0");
        EXPECT_EQ(ls[net + 5 + static_cast<std::size_t>(y)], zeros);
    }
    EXPECT_EQ(ls.size(), net + 5 + 16 + 2) << "the report ends with the net-impact average row";
    // 16 data years: a blank line before the second title of each group.
    const std::size_t second = indexOf(ls, "SUMMARY OF ALL LOCATIONS", indexOf(ls, "SUMMARY OF ALL LOCATIONS") + 1);
    EXPECT_EQ(ls[second - 1], " ");
    EXPECT_EQ(ls[second - 2].substr(0, 4), " AVG");
    EXPECT_EQ(ls[15], "          MONTHLY TO DAILY CONVERSIONS USED AVERAGE DAYS PER MONTH (30.417).");
}

TEST(ReportLayout, FifteenDataYearsWriteNoExtraBlankLine) {
    const auto ls = lines(runDeck("fifteen").report);
    const std::size_t second = indexOf(ls, "SUMMARY OF ALL LOCATIONS", indexOf(ls, "SUMMARY OF ALL LOCATIONS") + 1);
    ASSERT_LT(second, ls.size());
    EXPECT_EQ(ls[second - 1].substr(0, 4), " AVG");
}

TEST(ReportLayout, UntitledLayoutHoldsOnlyRowsOfTwoSummaries) {
    const auto ls = lines(runDeck("untitled").report);
    ASSERT_EQ(ls.size(), 16u + 1 + 18 + 2 + 1 + 1 + 18 + 2 + 1);
    EXPECT_EQ(ls[16], " ");
    EXPECT_EQ(ls[17].substr(0, 4), "1990");
    EXPECT_EQ(ls[34].substr(0, 4), "2007");
    EXPECT_EQ(ls[35], "");
    EXPECT_EQ(ls[36].substr(0, 4), " AVG");
    EXPECT_EQ(ls[37], " ");
    EXPECT_EQ(ls[38], " ");
    EXPECT_EQ(ls[39].substr(0, 4), "1990");
    EXPECT_EQ(ls[58].substr(0, 4), " AVG");
    EXPECT_EQ(ls[59], " ");
    // Tail years: the recharge effect decays after the last data year.
    const double y2005 = std::stod(ls[32].substr(4, 9)), y2007 = std::stod(ls[34].substr(103, 9));
    EXPECT_GT(y2005, y2007);
    EXPECT_GT(y2007, 0.0);
}

TEST(ReportLayout, RunAfterLastHistoricalYear) {
    const auto ls = lines(runDeck("late_start").report);
    EXPECT_EQ(ls[8], "          NUMBER OF YEARS OF SYNTHESIZED DATA ARE     5");
    EXPECT_EQ(ls[10], "          SYNTHESIZED DATA WAS GENERATED USING HISTORICAL CYCLE FROM YEAR 1998 TO  2000" +
                          std::string(10, ' '));
    EXPECT_EQ(ls[12], "          PUMPING BEGINS IN 2005 AND CONTINUES  0 MORE YEARS.");
    EXPECT_EQ(ls[14], "          PRINT OUT OF DEPLETIONS IS FOR YEARS 2005 TO 2020 INCLUSIVE.");
    // Data years 2005..2010, tail years 2011..2020 without diversion.
    const std::size_t div = indexOf(ls, "DIVERSIONS FROM WELLS");
    std::string zeros;
    for (int j = 0; j < 13; ++j)
        zeros += field("0.0");
    EXPECT_EQ(ls[div + 4 + 5].substr(0, 4), "2010");
    EXPECT_NE(ls[div + 4 + 5].substr(4), zeros);
    EXPECT_EQ(ls[div + 4 + 6], "2011" + zeros);
}

TEST(ReportLayout, FourHundredYearsAcceptedFourHundredOneRefused) {
    const EngineResult ok = runDeck("years400");
    const auto ls = lines(ok.report);
    EXPECT_EQ(ls[12], "          PUMPING BEGINS IN 1601 AND CONTINUES399 MORE YEARS.");
    EXPECT_EQ(ls[17].substr(0, 4), "1601");
    EXPECT_EQ(ls[17 + 399].substr(0, 4), "2000");

    const EngineResult refused = runDeck("years401");
    EXPECT_EQ(refused.status, -1);
    EXPECT_EQ(refused.console, " ERROR: input contains more than          400 years of data.\n");
    EXPECT_EQ(refused.report, "") << "nothing is written to the output file";
}

TEST(ReportLayout, NoLocationsGiveHeadingAndZeroSummaries) {
    const auto ls = lines(runDeck("no_locations").report);
    EXPECT_EQ(ls[16], " ");
    EXPECT_EQ(ls[17], "SUMMARY OF ALL LOCATIONS");
    std::size_t rows = 0;
    for (const auto &l : ls) {
        if (l.size() != 121 || l.substr(0, 4) == "YEAR") continue;
        ++rows;
        for (int j = 0; j < 13; ++j)
            EXPECT_EQ(l.substr(4 + 9 * static_cast<std::size_t>(j), 9), field("0.0")) << l;
    }
    EXPECT_EQ(rows, 5u * 4u); // five tables of three years and an average
}

// Runs a deck given as text (both computations must agree) and returns the report.
std::string reportOf(const std::string &name, const std::string &deck) {
    const std::string dir = t::freshDir("engine_invariant_" + name);
    t::writeFile(dir + "/model.vek", deck);
    std::string reports[2];
    for (int reference = 0; reference < 2; ++reference) {
        EngineOptions options;
        options.reference = reference == 1;
        std::ostringstream console, errors;
        EXPECT_EQ(runEngine(dir + "/model.vek", dir + "/model.out", options, console, errors), 0) << errors.str();
        reports[reference] = t::readFile(dir + "/model.out");
    }
    EXPECT_EQ(reports[0], reports[1]);
    return reports[0];
}

std::string replaced(std::string text, const std::string &from, const std::string &to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(ReportInvariants, UnusedLocationAndYearModeChangeNothing) {
    const std::string deck = t::readFile(t::dataPath("engine/layout.vek"));
    const std::string base = reportOf("base", deck);
    // The unused group removed, and the count of groups with it.
    const auto from = deck.find("250 -1 0");
    const auto to = deck.find("0 1 1 # VEK");
    std::string without = deck.substr(0, from) + deck.substr(to);
    without = replaced(without, "1999 1999 0 1999 1999 4", "1999 1999 0 1999 1999 3");
    EXPECT_EQ(reportOf("without_unused", without), base);
    for (const char *mode : {"0", "2", "17"})
        EXPECT_EQ(reportOf(std::string("year_mode_") + mode,
                           replaced(deck, "0 0 1 0 2 # input", std::string("0 0 ") + mode + " 0 2 # input")),
                  base);
}

TEST(ReportInvariants, LeapFebruaryVolumeWithActualDays) {
    // 28 acre-feet a day in every month of 1999..2001: FEB 2000 has 29 days.
    std::string deck = "Version 1.12\n1999 2001 0 1999 2001 1 0 4 0 0 1 0 0\n0 1 1\nDaily site\n";
    for (int y = 0; y < 3; ++y)
        deck += "28 28 28 28 28 28 28 28 28 28 28 28\n";
    const auto ls = lines(reportOf("leap", deck));
    const std::size_t table = indexOf(ls, "NET DIVERSION INTO RECHARGE SITES");
    ASSERT_LT(table + 7, ls.size());
    EXPECT_EQ(ls[table + 4].substr(0, 4 + 36),
              "1999" + field("840.0") + field("868.0") + field("868.0") + field("784.0"));
    EXPECT_EQ(ls[table + 5].substr(0, 4 + 36),
              "2000" + field("840.0") + field("868.0") + field("868.0") + field("812.0"));
    EXPECT_EQ(ls[table + 5].substr(112), field("10248.0"));
    EXPECT_EQ(ls[table + 4].substr(112), field("10220.0"));
}

// A location type other than 1 is titled as a well and scaled by its own
// value; a day rule other than 0 or 1 leaves monthly values unconverted and
// counts 30 days a month in the volumes.
TEST(ReportInvariants, OtherTypesAndDayRules) {
    std::string deck = "Version 1.12\n2001 2001 0 2001 2001 1 0 4 0 0 1 1 2\n0 2 1\nDouble well\n";
    deck += "300 300 300 300 300 300 300 300 300 300 300 300\n";
    const auto ls = lines(reportOf("other_type", deck));
    EXPECT_EQ(ls[15], "          MONTHLY TO DAILY CONVERSIONS USED ACTUAL DAYS IN THE MONTH.");
    const std::size_t block = indexOf(ls, "LOCATION:        Double well" + std::string(49, ' '));
    ASSERT_LT(block + 10, ls.size());
    EXPECT_EQ(ls[block + 2], "TYPE OF SITE:    PUMPING   ");
    EXPECT_EQ(ls[block + 6], "DIVERSIONS FROM WELLS");
    // 300 a day (not converted) times 30 days times 2.
    EXPECT_EQ(ls[block + 10].substr(0, 13), "2001  18000.0");
    EXPECT_EQ(ls[block + 10].substr(112), field("216000.0"));
    // Summed with the wells (column 3), not the recharge sites.
    const std::size_t wells = indexOf(ls, "DIVERSIONS FROM WELLS", block + 8);
    EXPECT_EQ(ls[wells + 4].substr(0, 13), "2001  18000.0");
    const std::size_t sites = indexOf(ls, "NET DIVERSION INTO RECHARGE SITES");
    EXPECT_EQ(ls[sites + 4].substr(0, 13), "2001      0.0");
}

} // namespace
