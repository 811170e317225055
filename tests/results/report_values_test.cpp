// What the report reader keeps for the exports: every value to the report's
// tenth at every magnitude (also after a year type change moves it), each
// location's site type, names decoded to UTF-8, and the longest print range
// it accepts.
#include "results/csv_export.h"
#include "results/output_results.h"
#include "results/text_report.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <string>

using vek::exportValue;
using vek::OutputResults;
using vek::test::ScriptedPrompter;

namespace {

std::string twoLocations() { return vek::test::readFile(vek::test::dataPath("results/two_locations.out")); }

std::string replaced(std::string text, const std::string &from, const std::string &to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

const std::string kFirstRow = "1989   -100.5   -101.5   -102.5   -103.5   -104.5   -105.5   -106.5   -107.5   -108.5"
                              "   -109.5   -110.5   -111.5  -1272.0";

// Well 7's first diversion row with these fields in its first months.
std::string withFirstMonths(const std::vector<std::string> &fields) {
    std::string row = "1989";
    for (const std::string &f : fields)
        row += std::string(9 - f.size(), ' ') + f;
    row += kFirstRow.substr(row.size());
    return replaced(twoLocations(), kFirstRow, row);
}

OutputResults load(const std::string &text) {
    ScriptedPrompter p;
    OutputResults r;
    EXPECT_TRUE(r.LoadText(text, "x.out", p));
    EXPECT_TRUE(p.messages.empty());
    return r;
}

} // namespace

// A float holds the tenths only below about a million; the exports write
// the report's own.
TEST(ReportValues, EveryMagnitudeToTheTenth) {
    const std::vector<std::string> fields = {"123456.7",  "3005556.5", "3005556.1", "9999999.9",
                                             "-999999.9", "8388607.3", ".5",        "-0.0"};
    const std::vector<double> want = {123456.7, 3005556.5, 3005556.1, 9999999.9, -999999.9, 8388607.3, 0.5, 0.0};
    const OutputResults r = load(withFirstMonths(fields));
    const vek::YearRow &row = r.locations[0].rows[0];
    for (std::size_t m = 0; m < want.size(); ++m)
        EXPECT_EQ(exportValue(row, false, static_cast<int>(m)), want[m]) << fields[m];
    // What the float alone would have given.
    EXPECT_NE(static_cast<double>(row.diversion[2]), 3005556.1);
    EXPECT_EQ(exportValue(row, false, 12), -1272.0);
    // In the CSV as the report prints them.
    vek::ViewChoices c;
    c.locations = {0};
    c.years = {0};
    c.showStream = false;
    EXPECT_NE(vek::buildCsv(r, c).find(
                  ",diversion,1989,123456.7,3005556.5,3005556.1,9999999.9,-999999.9,8388607.3,0.5,0,-108.5,"),
              std::string::npos)
        << vek::buildCsv(r, c);
}

// A year type change moves the report's values with their months; the
// totals and averages it makes are those of the printed values.
TEST(ReportValues, YearTypeChangeKeepsThem) {
    OutputResults r = load(withFirstMonths({"3005556.1", "0.1"}));
    ASSERT_TRUE(r.changeYearType(0)); // Calendar: a year before the first
    const auto &rows = r.locations[0].rows;
    ASSERT_EQ(rows.size(), 5u);
    // November and December 1988 are the report's first two months.
    EXPECT_EQ(exportValue(rows[0], false, 10), 3005556.1);
    EXPECT_EQ(exportValue(rows[0], false, 11), 0.1);
    EXPECT_FALSE(exportValue(rows[0], false, 0).has_value());
    EXPECT_EQ(exportValue(rows[0], false, 12), 3005556.2); // the sum of what the row shows
    // January to October 1989 of the report, then November and December 1989.
    double sum = 0.0;
    for (int m = 0; m < 12; ++m)
        sum += *exportValue(rows[1], false, m);
    EXPECT_NEAR(*exportValue(rows[1], false, 12), sum, 1e-6);
    EXPECT_EQ(exportValue(rows[1], false, 12), -1292.0) << "-102.5 ... -111.5, then -110.5 and -111.5";
    // The average of the November column over the years that hold it,
    // (3005556.1 - 110.5 - 120.5) / 3, to the tenth.
    EXPECT_EQ(exportValue(rows.back(), false, 10), 1001775.0);
    // Back to Irrigation years: the values are where they were.
    r.changeYearType(1);
    EXPECT_EQ(exportValue(r.locations[0].rows[0], false, 0), 3005556.1);
}

TEST(ReportValues, SiteTypesAndNames) {
    const OutputResults r = load(twoLocations());
    EXPECT_EQ(r.locations[0].siteType, "PUMPING");
    EXPECT_EQ(r.locations[1].siteType, "RECHARGE");
    EXPECT_EQ(r.locations[2].siteType, "");

    // A name of 61 bytes printed in the report's 60 columns ends inside its
    // last character, which is dropped; a Windows-1252 name is decoded.
    const std::string cut = "Recharge pond of the Alamosa irrigation district, north end\xC3";
    std::string text =
        replaced(twoLocations(), "LOCATION:        Well 7" + std::string(54, ' '), "LOCATION:        " + cut);
    text = replaced(text, "LOCATION:        Pond A", "LOCATION:        Caf\xE9 \x93Nord\x94");
    const OutputResults named = load(text);
    EXPECT_EQ(named.locations[0].name, "Recharge pond of the Alamosa irrigation district, north end");
    EXPECT_EQ(named.locations[1].name, "Caf\xC3\xA9 \xE2\x80\x9CNord\xE2\x80\x9D");
}

// The reader takes a print range of up to 10000 years.
TEST(ReportValues, LongestPrintRange) {
    for (const int years : {10000, 10001}) {
        SCOPED_TRACE(years);
        const std::string heading = "          THE LAST YEAR OF HISTORICAL DATA IS 1990.\r\n"
                                    "          NUMBER OF YEARS OF SYNTHESIZED DATA ARE     0\r\n"
                                    "          SYNTHESIZED DATA WAS GENERATED USING\r\n"
                                    "          PUMPING BEGINS IN 1001 AND CONTINUES  0 MORE YEARS.\r\n"
                                    "          PRINT OUT OF DEPLETIONS IS FOR YEARS 1001 TO " +
                                    std::to_string(1000 + years) +
                                    " INCLUSIVE.\r\n"
                                    "          MONTHLY TO DAILY CONVERSIONS USED ACTUAL DAYS IN THE MONTH.\r\n";
        ScriptedPrompter p;
        OutputResults r;
        const bool read = r.LoadText(heading, "x.out", p);
        EXPECT_EQ(read, years <= 10000);
        if (read) {
            EXPECT_EQ(r.printedYears(), years);
            EXPECT_TRUE(p.messages.empty());
        } else {
            ASSERT_EQ(p.messages.size(), 1u);
            EXPECT_NE(p.messages[0].find("a report prints at most 10000 years"), std::string::npos);
        }
    }
}

// A value printed as asterisks is no data, and so is every total, average
// and running total that would take it in: never a sum that silently
// leaves it out. The results count them.
TEST(ReportValues, AsterisksAreCountedAndNeverSummedOver) {
    OutputResults r = load(withFirstMonths({"*********"}));
    EXPECT_EQ(r.unprintedValues, 1);
    const auto &rows = r.locations[0].rows;
    EXPECT_TRUE(vek::unprinted(rows[0], false, 0));
    EXPECT_FALSE(vek::hasData(rows[0].diversion[0]));
    EXPECT_EQ(exportValue(rows[0], false, 12), -1272.0); // the report's own total stands
    ASSERT_TRUE(r.changeYearType(2));                    // USGS: the month moves into 1989's second column
    const auto &usgs = r.locations[0].rows;
    EXPECT_TRUE(vek::unprinted(usgs[0], false, 1));
    EXPECT_FALSE(vek::hasData(usgs[0].diversionTotal));
    EXPECT_FALSE(vek::hasData(usgs[0].diversionCumulative));
    EXPECT_FALSE(vek::hasData(usgs[2].diversionCumulative)); // unknown from there on
    EXPECT_FALSE(vek::hasData(usgs.back().diversion[1]));    // and its column's average
    EXPECT_TRUE(vek::hasData(usgs.back().diversion[2]));
    EXPECT_TRUE(vek::hasData(usgs[0].streamCumulative)); // the other table is whole

    // A total printed as asterisks: the running totals from it on are unknown.
    const OutputResults wide = load(vek::test::readFile(vek::test::dataPath("results/wide_values.out")));
    EXPECT_GT(wide.unprintedValues, 0);
    EXPECT_FALSE(vek::hasData(wide.locations[0].rows[0].diversionCumulative));
    EXPECT_FALSE(vek::exportCumulative(wide.locations[0].rows[2], false).has_value());
}

// Running totals are the sums of the printed year totals, exactly, where a
// float would have lost the tenths; the text report shows them so.
TEST(ReportValues, RunningTotalsToTheTenth) {
    const OutputResults r = load(replaced(twoLocations(), "   -111.5  -1272.0", "   -111.51042240.3"));
    const auto &rows = r.locations[0].rows;
    EXPECT_EQ(vek::exportCumulative(rows[0], false), 1042240.3);
    EXPECT_EQ(vek::exportCumulative(rows[2], false), 1042240.3 - 1392.0 - 1512.0);
    vek::ViewChoices c;
    c.locations = {0};
    c.years = {0, 2};
    c.scale = vek::ViewChoices::Yearly;
    c.showStream = false;
    const std::string text = vek::buildTextReport(r, c, "\n");
    EXPECT_NE(text.find("\n1989\t1042240.3\t1042240.3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n1991\t-1512\t1039336.3\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("e+06"), std::string::npos) << text;
}
