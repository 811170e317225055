// The output view's text report: heading lines, table sections of the
// selected locations and years, month headings through the year type, and
// the month-heading tokenizer.
#include "results/string_array.h"
#include "results/text_report.h"
#include "single_value.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

using vek::hasData;
using vek::LocationResult;
using vek::OutputResults;
using vek::ViewChoices;
using vek::test::ScriptedPrompter;

namespace {

OutputResults load(const std::string &name) {
    ScriptedPrompter p;
    OutputResults r;
    EXPECT_TRUE(r.Load(vek::test::dataPath("results/" + name), p));
    return r;
}

ViewChoices all(const OutputResults &r) {
    ViewChoices c;
    for (size_t i = 0; i < r.locations.size(); ++i)
        c.locations.push_back(static_cast<int>(i));
    for (int p = 0; p <= r.printedYears(); ++p)
        c.years.push_back(p);
    return c;
}

const char *kHeading = "The last year of historical data is 1990\n"
                       "There are 1 year(s) of synthesized data.\n"
                       "SYNTHESIZED DATA WAS GENERATED USING AVERAGING YEARS\n"
                       "No well CU/Recharge after year 1991\n\n"
                       "Monthly to daily conversions used average days per month (30.417).\n\n";

} // namespace

TEST(TextReport, GoldenMonthlySelection) {
    OutputResults r = load("two_locations.out");
    ViewChoices c;
    c.locations = {4, 0, 1}; // built in list order whatever the selection order
    c.years = {3, 0, 2};
    std::string text = vek::buildTextReport(r, c, "\n");
    EXPECT_EQ(vek::test::compareGolden("results/monthly_report.txt", text), "");
    // The report box gets the same text with CR LF.
    std::string crlf = vek::buildTextReport(r, c, "\r\n");
    std::string expected;
    for (char ch : text)
        expected += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    EXPECT_EQ(crlf, expected);
}

TEST(TextReport, GoldenYearlySelectionInCalendarYears) {
    OutputResults r = load("two_locations.out");
    ASSERT_TRUE(r.changeYearType(0));
    ViewChoices c = all(r);
    c.scale = ViewChoices::Yearly;
    EXPECT_EQ(vek::test::compareGolden("results/yearly_calendar_report.txt", vek::buildTextReport(r, c, "\n")), "");
}

TEST(TextReport, MonthHeadingsFollowTheYearType) {
    struct Row {
        int yearType;
        std::string heading;
    };
    const Row rows[] = {
        {1, "YEAR\tNOV\tDEC\tJAN\tFEB\tMAR\tAPR\tMAY\tJUN\tJUL\tAUG\tSEP\tOCT\tTOTAL\tCUMULATIVE TOTAL"},
        {0, "YEAR\tJAN\tFEB\tMAR\tAPR\tMAY\tJUN\tJUL\tAUG\tSEP\tOCT\tNOV\tDEC\tTOTAL\tCUMULATIVE TOTAL"},
        {2, "YEAR\tOCT\tNOV\tDEC\tJAN\tFEB\tMAR\tAPR\tMAY\tJUN\tJUL\tAUG\tSEP\tTOTAL\tCUMULATIVE TOTAL"},
    };
    for (const Row &row : rows) {
        OutputResults r = load("two_locations.out");
        r.changeYearType(row.yearType);
        ViewChoices c;
        c.locations = {0};
        c.years = {0};
        c.showStream = false;
        std::string text = vek::buildTextReport(r, c, "\n");
        EXPECT_NE(text.find("\n" + row.heading + "\n"), std::string::npos) << row.yearType << "\n" << text;
    }
}

TEST(TextReport, SelectionsThatShowNoTableGiveOnlyTheHeading) {
    OutputResults r = load("two_locations.out");
    struct Row {
        const char *what;
        ViewChoices c;
    };
    ViewChoices none = all(r);
    none.locations.clear();
    ViewChoices noYears = all(r);
    noYears.years.clear();
    ViewChoices noTables = all(r);
    noTables.showDiversion = noTables.showStream = false;
    ViewChoices netOnly = all(r);
    netOnly.locations = {4};
    netOnly.showStream = false;
    for (const Row &row : {Row{"no location", none}, Row{"no year", noYears}, Row{"no table", noTables},
                           Row{"net impact without stream", netOnly}})
        EXPECT_EQ(vek::buildTextReport(r, row.c, "\n"), kHeading) << row.what;
}

TEST(TextReport, NoSynthesizedYearsLeavesOutTheirLines) {
    OutputResults r = load("summaries_only.out");
    ViewChoices c;
    EXPECT_EQ(vek::buildTextReport(r, c, "\n"), "The last year of historical data is 1991\n"
                                                "No well CU/Recharge after year 1991\n\n"
                                                "Monthly to daily conversions used actual days in the month.\n\n");
}

TEST(TextReport, NetImpactShowsOnlyItsStreamTable) {
    OutputResults r = load("two_locations.out");
    ViewChoices c;
    c.locations = {4};
    c.years = {0};
    std::string text = vek::buildTextReport(r, c, "\n");
    EXPECT_EQ(
        text.substr(std::string(kHeading).size()),
        "Net Impact on Stream\n"
        "Stream Depletion or Accretion Data  ( acre feet )\n"
        "YEAR\tNOV\tDEC\tJAN\tFEB\tMAR\tAPR\tMAY\tJUN\tJUL\tAUG\tSEP\tOCT\tTOTAL\tCUMULATIVE TOTAL\n" +
            std::string(91, '-') +
            "\n1989\t-20\t-20.2\t-20.4\t-20.6\t-20.8\t-21\t-16.4\t-16.3\t-16.2\t-16.1\t-16\t-15.9\t-219.9\t-219.9\n\n");
}

TEST(TextReport, LocationTypeFollowsTheSignOfTheData) {
    OutputResults r = load("two_locations.out");
    ViewChoices c;
    c.locations = {0, 1};
    c.years = {0};
    c.showStream = false;
    std::string text = vek::buildTextReport(r, c, "\n");
    EXPECT_NE(text.find("Location: Well 7  Location Type = Irrig. well  VEK = 30 days\n"), std::string::npos);
    EXPECT_NE(text.find("Location: Pond A  Location Type = Recharge site  VEK = 150.5 days\n"), std::string::npos);
}

TEST(TextReport, ShortMonthHeadingReportsOutOfRange) {
    OutputResults r = load("two_locations.out");
    r.monthHeader = "YEAR NOV DEC";
    r.yearType = 0;
    ViewChoices c;
    c.locations = {0};
    c.years = {0};
    c.showStream = false;
    ScriptedPrompter p;
    std::string text = vek::buildTextReport(r, c, "\n", &p);
    EXPECT_NE(text.find("\nYEAR\t\t\n"), std::string::npos);
    ASSERT_EQ(p.messages.size(), 2u);
    EXPECT_EQ(p.messages[0], "[StringArray::operator[]] Request out of range.\n");
}

TEST(StringArray, TokenizeSplitsAtRunsOfDelimiters) {
    struct Row {
        std::string text, delimiters;
        std::vector<std::string> tokens;
    };
    const Row rows[] = {
        {"YEAR   NOV      DEC   TOTAL", "", {"YEAR", "NOV", "DEC", "TOTAL"}},
        {",, a,\tb \n c,,", "", {"a", "b", "c"}},
        {"", "", {}},
        {" ,\t\n", "", {}},
        {"a;b;;c", ";", {"a", "b", "c"}},
        {"a b;c", ";", {"a b", "c"}},
    };
    for (const Row &row : rows) {
        vek::StringArray a;
        a.append("stale");
        a.tokenize(row.text, row.delimiters);
        ASSERT_EQ(a.size(), static_cast<int>(row.tokens.size())) << row.text;
        for (int i = 0; i < a.size(); ++i)
            EXPECT_EQ(a[i], row.tokens[static_cast<size_t>(i)]);
    }
}

TEST(StringArray, OutOfRangeGivesEmptyTextAndMessage) {
    ScriptedPrompter p;
    vek::StringArray a(&p);
    a.tokenize("x y");
    EXPECT_EQ(a[1], "y");
    EXPECT_EQ(a[2], "");
    EXPECT_EQ(a[-1], "");
    ASSERT_EQ(p.messages.size(), 2u);
    EXPECT_EQ(p.messages[1], "[StringArray::operator[]] Request out of range.\n");
}

TEST(TextReport, ACutShortReportNeverPassesALocationOffAsASummary) {
    // The read stops inside the second location: only Well 7 is kept, and
    // it is still shown as a location with both its tables.
    std::string text = vek::test::readFile(vek::test::dataPath("results/two_locations.out"));
    ScriptedPrompter p;
    OutputResults r;
    ASSERT_FALSE(r.LoadText(text.substr(0, text.find("NET DIVERSION INTO RECHARGE SITES")), "x.out", p));
    ASSERT_EQ(r.locations.size(), 1u);
    ViewChoices c = all(r);
    std::string report = vek::buildTextReport(r, c, "\n");
    EXPECT_NE(report.find("Location: Well 7  Location Type = Irrig. well"), std::string::npos);
    EXPECT_NE(report.find("CU or Recharge Data"), std::string::npos);
}

// Recharge site only when the year rows add up above zero: the average row
// is not counted, and a location of zeros is a well.
TEST(TextReport, LocationTypeFromTheYearRowsOnly) {
    struct Row {
        float yearValue, averageValue;
        const char *type;
    };
    for (const Row &row :
         {Row{0.0f, 5.0f, "Irrig. well"}, Row{1.0f, -5.0f, "Recharge site"}, Row{-1.0f, 0.0f, "Irrig. well"}}) {
        OutputResults r = vek::test::singleValue(1, 0, 0);
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
