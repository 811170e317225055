// Year-type and unit conversions of a model: the months that leave the
// historical period, the added year that keeps them, the shift of every
// series, the monthly/daily conversion and the refusals as typed errors;
// then the document's versions, which show the refusals, mark the document
// and refresh its views.
#include "model/year_types.h"

#include "model/document_operations.h"
#include "support/scripted_prompter.h"
#include "year_test_docs.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <map>
#include <random>

namespace vek {
namespace {

using test::DocFixture;
using test::ScriptedPrompter;

// Absolute month (12 * calendar year + calendar month) held by column m of
// row year Y: the first column of Irrigation rows is November of Y-1, of
// USGS rows October of Y-1.
int absMonth(int mode, int rowYear, int m) {
    static const int firstColumn[3] = {0, -2, -3};
    return 12 * rowYear + m + firstColumn[mode];
}

// Every nonzero historical value of location i, keyed by its absolute month.
std::map<int, float> historicalByMonth(DocFixture &f, int i) {
    std::map<int, float> out;
    const ModelInput &md = f.model();
    for (int k = 0; k < md.historicalYears(); ++k)
        for (int m = 0; m < 12; ++m)
            if (float v = f.hist(i, m, k); v != 0.0f) out[absMonth(md.yearMode, md.inputStartYear + k, m)] = v;
    return out;
}

struct RescueCase {
    const char *name;
    int from, to;
    bool lastYear; // the value sits in the last historical year (else the first)
    int column;
    float value;
    bool added; // one historical year is added
    bool lost;  // the value leaves the period
};

// Test names show the row's name, not the struct's bytes.
void PrintTo(const RescueCase &c, std::ostream *os) { *os << c.name; }

class RescueTest : public ::testing::TestWithParam<RescueCase> {};

TEST_P(RescueTest, KeepsEveryMonthThatHoldsWater) {
    const RescueCase &c = GetParam();
    DocFixture f(1990, 3, 2, 2);
    ModelInput &md = f.model();
    md.yearMode = c.from;
    // Water in the middle year of both locations, and in their pumping records.
    for (int i = 0; i < 2; ++i) {
        for (int m = 0; m < 12; ++m) {
            f.hist(i, m, 1) = static_cast<float>(10 * i + m + 1);
            f.loc(i).pumpingFlow[m][1] = static_cast<float>(100 + m);
        }
        f.loc(i).UsePumpingRecord = 1;
    }
    // The value under test sits in the second location, so the search must
    // walk past the first one.
    const int row = c.lastYear ? 2 : 0;
    f.hist(1, c.column, row) = c.value;
    f.loc(1).pumpingFlow[c.column][row] = 7.0f;
    const auto before0 = historicalByMonth(f, 0);
    auto before1 = historicalByMonth(f, 1);

    const YearTypeChange r = changeYearType(md, c.to);

    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(r.yearAdded, c.added);
    EXPECT_EQ(md.yearMode, c.to);
    const int n = c.added ? 4 : 3;
    EXPECT_EQ(md.historicalYears(), n);
    const bool atEnd = c.added && c.lastYear;
    EXPECT_EQ(md.inputStartYear, c.added && !c.lastYear ? 1989 : 1990);
    EXPECT_EQ(md.inputEndYear, atEnd ? 1993 : 1992);
    EXPECT_EQ(md.synthStartYear, atEnd ? 1994 : 1993);
    EXPECT_EQ(md.synthEndYear, atEnd ? 1995 : 1994);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(f.loc(i).UsePumpingRecord, c.added ? 0 : 1);
        for (int m = 0; m < 12; ++m) {
            EXPECT_EQ(f.loc(i).historicalData[m].size(), static_cast<size_t>(n));
            EXPECT_EQ(f.loc(i).pumpingFlow[m].size(), static_cast<size_t>(n));
            EXPECT_EQ(f.loc(i).daysOn[m].size(), static_cast<size_t>(n));
        }
    }
    if (c.lost) before1.erase(absMonth(c.from, 1990 + row, c.column));
    EXPECT_EQ(historicalByMonth(f, 0), before0);
    EXPECT_EQ(historicalByMonth(f, 1), before1);
}

INSTANTIATE_TEST_SUITE_P(
    YearTypes, RescueTest,
    ::testing::Values(RescueCase{"CalendarToIrrigationLastNovember", 0, 1, true, 10, 5.0f, true, false},
                      RescueCase{"CalendarToIrrigationLastDecember", 0, 1, true, 11, 5.0f, true, false},
                      RescueCase{"CalendarToIrrigationZeros", 0, 1, true, 10, 0.0f, false, false},
                      RescueCase{"CalendarToIrrigationNegative", 0, 1, true, 10, -4.0f, false, true},
                      RescueCase{"CalendarToIrrigationOctoberStays", 0, 1, true, 9, 5.0f, false, false},
                      RescueCase{"CalendarToIrrigationFirstNovemberStays", 0, 1, false, 10, 5.0f, false, false},
                      RescueCase{"IrrigationToCalendarFirstNovember", 1, 0, false, 0, 7.0f, true, false},
                      RescueCase{"IrrigationToCalendarFirstDecember", 1, 0, false, 1, 7.0f, true, false},
                      RescueCase{"IrrigationToCalendarJanuaryStays", 1, 0, false, 2, 7.0f, false, false},
                      RescueCase{"IrrigationToCalendarNegative", 1, 0, false, 0, -7.0f, false, true},
                      RescueCase{"UsgsToIrrigationFirstOctober", 2, 1, false, 0, 3.0f, true, false},
                      RescueCase{"UsgsToIrrigationNovemberStays", 2, 1, false, 1, 3.0f, false, false},
                      RescueCase{"UsgsToCalendarFirstDecember", 2, 0, false, 2, 3.0f, true, false},
                      RescueCase{"CalendarToUsgsLastOctober", 0, 2, true, 9, 2.0f, true, false},
                      RescueCase{"IrrigationToUsgsLastOctober", 1, 2, true, 11, 2.0f, true, false},
                      RescueCase{"IrrigationToUsgsNegative", 1, 2, true, 11, -2.0f, false, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(YearTypes, CalendarToIrrigationPutsLastNovemberAndDecemberIntoAddedYear) {
    DocFixture f(2000, 2, 1, 1);
    f.model().yearMode = 0;
    f.hist(0, 10, 1) = 5.0f; // November 2001
    f.hist(0, 11, 1) = 6.0f; // December 2001
    f.hist(0, 0, 1) = 1.0f;  // January 2001
    f.synth(0, 0, 0) = 9.0f; // January 2002, synthesized

    ASSERT_TRUE(changeYearType(f.model(), 1).yearAdded);

    ASSERT_EQ(f.model().inputEndYear, 2002);
    EXPECT_EQ(f.model().synthStartYear, 2003);
    EXPECT_EQ(f.hist(0, 0, 2), 5.0f);
    EXPECT_EQ(f.hist(0, 1, 2), 6.0f);
    for (int m = 2; m < 12; ++m)
        EXPECT_EQ(f.hist(0, m, 2), 0.0f) << m;
    EXPECT_EQ(f.hist(0, 2, 1), 1.0f);
    // The synthesized series moves on its own and takes nothing from the
    // historical one: its first November and December are empty.
    EXPECT_EQ(f.synth(0, 2, 0), 9.0f);
    EXPECT_EQ(f.synth(0, 0, 0), 0.0f);
    EXPECT_EQ(f.synth(0, 1, 0), 0.0f);
}

TEST(YearTypes, IrrigationToCalendarRescuesFirstNovemberIntoYearBefore) {
    DocFixture f(2000, 1, 0, 1);
    f.model().yearMode = 1;
    f.hist(0, 0, 0) = 7.0f; // November 1999
    f.hist(0, 2, 0) = 3.0f; // January 2000

    ASSERT_TRUE(changeYearType(f.model(), 0).yearAdded);

    ASSERT_EQ(f.model().inputStartYear, 1999);
    EXPECT_EQ(f.model().inputEndYear, 2000);
    EXPECT_EQ(f.hist(0, 10, 0), 7.0f);
    for (int m = 0; m < 10; ++m)
        EXPECT_EQ(f.hist(0, m, 0), 0.0f) << m;
    EXPECT_EQ(f.hist(0, 0, 1), 3.0f);
}

TEST(YearTypes, OnlyOneYearIsAddedHoweverManyLocationsHoldWater) {
    DocFixture f(2000, 2, 0, 3);
    f.model().yearMode = 0;
    for (int i = 0; i < 3; ++i)
        f.hist(i, 11, 1) = 1.0f + static_cast<float>(i);
    changeYearType(f.model(), 2);
    EXPECT_EQ(f.model().historicalYears(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(f.hist(i, 2, 2), 1.0f + static_cast<float>(i));
}

TEST(YearTypes, RoundTripRestoresValuesAndResetsVacatedEfficiencies) {
    DocFixture f(1995, 3, 2, 2);
    f.model().yearMode = 0;
    for (int i = 0; i < 2; ++i) {
        Location &loc = f.loc(i);
        for (int m = 0; m < 12; ++m) {
            loc.efficiency[m] = 0.5f + 0.01f * static_cast<float>(m);
            for (int k = 0; k < 3; ++k) {
                // Zeros at both ends: November and December of the last year.
                const bool edge = k == 2 && m >= 10;
                loc.historicalData[m][k] = edge ? 0.0f : static_cast<float>(100 * i + 12 * k + m + 1);
                loc.pumpingFlow[m][k] = edge ? 0.0f : static_cast<float>(k + m) * 0.5f;
                loc.daysOn[m][k] = edge ? 0.0f : static_cast<float>(m % 28 + 1);
            }
            // Synthesized months that fall out at either end are not rescued.
            for (int k = 0; k < 2; ++k)
                loc.synthesizedData[m][k] = (k == 1 && m >= 10) ? 0.0f : static_cast<float>(k * 12 + m + 1);
        }
    }
    const ModelInput before = f.model();

    EXPECT_FALSE(changeYearType(f.model(), 1).yearAdded);
    EXPECT_FALSE(changeYearType(f.model(), 0).yearAdded);

    const ModelInput &after = f.model();
    EXPECT_EQ(after.inputStartYear, before.inputStartYear);
    EXPECT_EQ(after.inputEndYear, before.inputEndYear);
    for (int i = 0; i < 2; ++i) {
        const Location &a = after.locations[i];
        const Location &b = before.locations[i];
        EXPECT_EQ(a.historicalData, b.historicalData);
        EXPECT_EQ(a.pumpingFlow, b.pumpingFlow);
        EXPECT_EQ(a.daysOn, b.daysOn);
        EXPECT_EQ(a.synthesizedData, b.synthesizedData);
        for (int m = 0; m < 10; ++m)
            EXPECT_EQ(a.efficiency[m], b.efficiency[m]) << m;
        EXPECT_EQ(a.efficiency[10], 1.0f);
        EXPECT_EQ(a.efficiency[11], 1.0f);
    }
}

TEST(YearTypes, EfficienciesFollowTheirMonths) {
    DocFixture f(2000, 2, 0, 1);
    f.model().yearMode = 2; // October first
    for (int m = 0; m < 12; ++m)
        f.loc(0).efficiency[m] = 0.1f * static_cast<float>(m % 10);
    changeYearType(f.model(), 1); // November first: one month earlier
    const auto &e = f.loc(0).efficiency;
    for (int m = 0; m < 11; ++m)
        EXPECT_EQ(e[m], 0.1f * static_cast<float>((m + 1) % 10)) << m;
    EXPECT_EQ(e[11], 1.0f); // last October left the period
}

TEST(YearTypes, WithoutHistoricalYearsOnlySynthesizedSeriesShift) {
    DocFixture f(2000, 0, 2, 1);
    f.model().yearMode = 0;
    f.synth(0, 10, 1) = 4.0f; // November of the last synthesized year: no rescue
    f.synth(0, 0, 0) = 2.0f;
    EXPECT_FALSE(changeYearType(f.model(), 1).yearAdded);
    EXPECT_EQ(f.model().historicalYears(), 0);
    EXPECT_EQ(f.model().inputStartYear, 2000);
    EXPECT_EQ(f.model().synthesizedYears(), 2);
    for (int m = 0; m < 12; ++m)
        for (int k = 0; k < 2; ++k)
            EXPECT_EQ(f.synth(0, m, k), m == 2 && k == 0 ? 2.0f : 0.0f) << m << "," << k;
}

TEST(YearTypes, SameOrUnknownTypeChangesNothingUnknownIsATypedError) {
    DocFixture f(2000, 1, 0, 1);
    f.hist(0, 0, 0) = 5.0f;
    const ModelInput before = f.model();
    YearTypeChange r = changeYearType(f.model(), 1); // already Irrigation
    EXPECT_TRUE(r.ok());
    EXPECT_FALSE(r.changed);
    for (int bad : {3, -1}) {
        r = changeYearType(f.model(), bad);
        ASSERT_FALSE(r.ok());
        EXPECT_FALSE(r.changed);
        EXPECT_EQ(r.error->kind, OperationError::Kind::UnknownYearType);
        EXPECT_EQ(r.error->family(), OperationError::Family::Conversion);
        EXPECT_EQ(r.error->field, std::to_string(bad));
    }
    EXPECT_EQ(r.error->message, "Unknown year type -1: the tables were not converted.");
    EXPECT_EQ(f.model(), before);
}

TEST(YearTypes, RescueBeyondTheYearNumbersIsRefusedWithNothingChanged) {
    // The first year is the lowest year number: no year fits before it.
    DocFixture f(0, 1, 0, 1);
    ModelInput &md = f.model();
    md.inputStartYear = md.inputEndYear = std::numeric_limits<int>::min();
    md.synthStartYear = md.inputEndYear + 1;
    md.synthEndYear = md.inputEndYear;
    f.hist(0, 0, 0) = 7.0f; // November before the first January
    const ModelInput before = md;
    const YearTypeChange r = changeYearType(md, CalendarYear);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error->kind, OperationError::Kind::PeriodFull);
    EXPECT_EQ(r.error->message, "The year type was not changed: the historical period cannot take one more year.");
    EXPECT_EQ(r.error->field, "inputStartYear");
    EXPECT_EQ(r.error->year, std::numeric_limits<int>::min());
    EXPECT_EQ(md, before);
}

TEST(YearTypes, UnknownStoredTypeIsRelabelledWithoutMovingData) {
    DocFixture f(2000, 1, 0, 1);
    f.model().yearMode = 7;
    f.hist(0, 11, 0) = 5.0f;
    EXPECT_TRUE(changeYearType(f.model(), 1).changed);
    EXPECT_EQ(f.model().yearMode, 1);
    EXPECT_EQ(f.hist(0, 11, 0), 5.0f);
}

TEST(YearTypes, ShiftMonthsMovesThroughYearBoundaries) {
    DocFixture f(2000, 2, 0, 1);
    for (int k = 0; k < 2; ++k)
        for (int m = 0; m < 12; ++m)
            f.hist(0, m, k) = static_cast<float>(12 * k + m + 1);
    shiftMonths(f.model(), 5);
    for (int pos = 0; pos < 24; ++pos)
        EXPECT_EQ(f.hist(0, pos % 12, pos / 12), pos + 5 < 24 ? static_cast<float>(pos + 6) : 0.0f) << pos;
    shiftMonths(f.model(), -7);
    for (int pos = 0; pos < 24; ++pos) {
        const float want = pos < 7 ? 0.0f : static_cast<float>(pos - 1);
        EXPECT_EQ(f.hist(0, pos % 12, pos / 12), want) << pos;
    }
}

// ---- Units --------------------------------------------------------------

struct UnitCase {
    const char *name;
    int yearMode;
    int column;
    int rowYear;
    bool avg;
    float days; // days the month counts
};

// Test names show the row's name, not the struct's bytes.
void PrintTo(const UnitCase &c, std::ostream *os) { *os << c.name; }

class UnitsTest : public ::testing::TestWithParam<UnitCase> {};

TEST_P(UnitsTest, MonthlyToDailyAndBackUseTheMonthsDays) {
    const UnitCase &c = GetParam();
    DocFixture f(c.rowYear, 1, 1, 1);
    f.model().yearMode = c.yearMode;
    f.model().useAvgDaysPerMonth = c.avg;
    f.model().unitMode = 1;
    const float v = 300.0f;
    f.hist(0, c.column, 0) = v;
    f.loc(0).pumpingFlow[c.column][0] = v;
    f.loc(0).daysOn[c.column][0] = 12.0f;

    EXPECT_TRUE(changeUnits(f.model(), 0).changed);

    const float daily = c.avg ? v * 0.032876354f : v / c.days;
    EXPECT_EQ(f.hist(0, c.column, 0), daily);
    EXPECT_EQ(f.model().unitMode, 0);
    // The pumping record keeps its own unit.
    EXPECT_EQ(f.loc(0).pumpingFlow[c.column][0], v);
    EXPECT_EQ(f.loc(0).daysOn[c.column][0], 12.0f);

    changeUnits(f.model(), 1);
    EXPECT_EQ(f.hist(0, c.column, 0), c.avg ? daily * 30.417f : daily * c.days);
    EXPECT_NEAR(f.hist(0, c.column, 0), v, v * 4 * FLT_EPSILON);
}

INSTANTIATE_TEST_SUITE_P(Units, UnitsTest,
                         ::testing::Values(UnitCase{"CalendarLeapFebruary", 0, 1, 2000, false, 29.0f},
                                           UnitCase{"CalendarCenturyFebruaryStillLeap", 0, 1, 1900, false, 29.0f},
                                           UnitCase{"CalendarCommonFebruary", 0, 1, 1999, false, 28.0f},
                                           UnitCase{"IrrigationLeapFebruary", 1, 3, 1996, false, 29.0f},
                                           UnitCase{"IrrigationCommonFebruary", 1, 3, 1997, false, 28.0f},
                                           UnitCase{"IrrigationNovember", 1, 0, 1996, false, 30.0f},
                                           UnitCase{"UsgsFebruary", 2, 4, 2004, false, 29.0f},
                                           UnitCase{"UsgsOctober", 2, 0, 2004, false, 31.0f},
                                           UnitCase{"AverageDaysFebruary", 0, 1, 2000, true, 30.417f},
                                           UnitCase{"AverageDaysJuly", 1, 8, 2001, true, 30.417f}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Units, SynthesizedRowsUseTheirOwnYears) {
    DocFixture f(1999, 1, 2, 1); // synthesized 2000 (leap) and 2001
    f.model().yearMode = 0;
    f.hist(0, 1, 0) = 290.0f;
    f.synth(0, 1, 0) = 290.0f;
    f.synth(0, 1, 1) = 280.0f;
    changeUnits(f.model(), 0);
    EXPECT_EQ(f.hist(0, 1, 0), 290.0f / 28.0f);
    EXPECT_EQ(f.synth(0, 1, 0), 10.0f);
    EXPECT_EQ(f.synth(0, 1, 1), 10.0f);
}

TEST(Units, SameOrUnknownUnitChangesNothing) {
    DocFixture f(2000, 1, 0, 1);
    f.hist(0, 0, 0) = 31.0f;
    const ModelInput before = f.model();
    OperationResult r = changeUnits(f.model(), 1); // already monthly
    EXPECT_TRUE(r.ok() && !r.changed);
    r = changeUnits(f.model(), 2);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error->kind, OperationError::Kind::UnknownUnits);
    EXPECT_EQ(r.error->message, "Unknown units 2: the values were not converted.");
    EXPECT_EQ(f.model(), before);
}

// ---- The document's conversions --------------------------------------------

TEST(DocumentConversions, ChangesMarkTheDocumentAndRefreshWithTheirHint) {
    ScriptedPrompter p;
    DocFixture f(2000, 2, 1, 1, &p);
    f.model().yearMode = CalendarYear;
    f.hist(0, 11, 1) = 6.0f; // December of the last year: kept in an added year
    p.choices.push_back("Change the Year Type");
    changeYearType(f.doc, f.ui, IrrigationYear);
    changeYearType(f.doc, f.ui, UsgsYear);
    changeUnits(f.doc, f.ui, AverageDailyAcreFeet);
    EXPECT_TRUE(f.doc.isModified());
    // The form refills everything after the added year, then the tables and
    // month headers for the year type, then the tables for the units.
    EXPECT_EQ(f.hints,
              (std::vector<ViewHint>{ViewHint::Everything, ViewHint::TablesAndMonthHeaders, ViewHint::Tables}));
}

TEST(DocumentConversions, RefusalsAreShownAndChangeNothing) {
    ScriptedPrompter p;
    DocFixture f(2000, 1, 0, 1, &p);
    changeYearType(f.doc, f.ui, IrrigationYear); // already: nothing, no message
    changeYearType(f.doc, f.ui, 3);
    changeUnits(f.doc, f.ui, MonthlyAcreFeet);
    changeUnits(f.doc, f.ui, 2);
    EXPECT_FALSE(f.doc.isModified());
    EXPECT_TRUE(f.hints.empty());
    EXPECT_EQ(p.messages, (std::vector<std::string>{"Unknown year type 3: the tables were not converted.",
                                                    "Unknown units 2: the values were not converted."}));
}

TEST(DocumentConversions, AverageDaysRuleOnlySetsTheFlag) {
    DocFixture f(2000, 1, 1, 1);
    f.hist(0, 3, 0) = 100.0f;
    setUseAvgDaysPerMonth(f.doc, true);
    EXPECT_TRUE(f.model().useAvgDaysPerMonth);
    EXPECT_TRUE(f.doc.isModified());
    EXPECT_EQ(f.hist(0, 3, 0), 100.0f);
    setUseAvgDaysPerMonth(f.doc, false);
    EXPECT_FALSE(f.model().useAvgDaysPerMonth);
    EXPECT_TRUE(f.hints.empty());
}

TEST(Labels, YearTypesAndUnits) {
    struct Row {
        int mode;
        const char *label;
        const char *name;
        const char *first;
        int february;
    };
    for (const Row &r : {Row{0, "    <Calendar Year>", "Calendar", "JAN", 1},
                         Row{1, "    <Irrigation Year>", "Irrigation Year (Nov-Oct)", "NOV", 3},
                         Row{2, "    <USGS Year>", "USGS Year (Oct-Sep)", "OCT", 4}}) {
        EXPECT_EQ(yearTypeLabel(r.mode), r.label);
        EXPECT_EQ(yearTypeName(r.mode), r.name);
        EXPECT_STREQ(monthAbbreviation(r.mode, 0), r.first);
        EXPECT_STREQ(monthAbbreviation(r.mode, r.february), "FEB");
        EXPECT_EQ(daysInMonth(r.mode, r.february, 2008, false), 29.0f);
    }
    EXPECT_EQ(yearTypeLabel(3), "<error>");
    EXPECT_EQ(unitsLabel(0), "Daily AC-FT");
    EXPECT_EQ(unitsLabel(1), "Monthly AC-FT");
    EXPECT_EQ(unitsLabel(2), "<Error>");
    EXPECT_EQ(unitsName(0), "Average Daily Ac-Ft");
    EXPECT_EQ(unitsName(1), "Monthly Ac-Ft");
}

// ---- Water is conserved ---------------------------------------------------

TEST(Conservation, YearTypeChangeAndInverseKeepEveryPositiveValue) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        const int n = pick(0, 4), k = pick(0, 3), locs = pick(1, 3);
        DocFixture f(pick(1950, 2030), n, k, locs);
        const int from = pick(0, 2);
        const int to = (from + pick(1, 2)) % 3;
        f.model().yearMode = from;
        for (int i = 0; i < locs; ++i)
            for (int m = 0; m < 12; ++m)
                for (int y = 0; y < n; ++y) {
                    const int kind = pick(0, 9); // zeros and negatives too
                    const float v = kind < 4   ? 0.0f
                                    : kind < 6 ? -static_cast<float>(pick(1, 99))
                                               : static_cast<float>(pick(1, 9999)) / 8.0f;
                    f.hist(i, m, y) = v;
                    f.loc(i).pumpingFlow[m][y] = 2.0f * v;
                }

        auto positives = [&f, locs] {
            std::vector<std::map<int, float>> out;
            for (int i = 0; i < locs; ++i) {
                auto all = historicalByMonth(f, i);
                std::erase_if(all, [](const auto &kv) { return kv.second <= 0.0f; });
                out.push_back(all);
            }
            return out;
        };
        auto checkSeries = [&f, locs] {
            const int years = f.model().historicalYears();
            for (int i = 0; i < locs; ++i)
                for (int m = 0; m < 12; ++m) {
                    ASSERT_EQ(f.loc(i).historicalData[m].size(), static_cast<size_t>(years));
                    ASSERT_EQ(f.loc(i).pumpingFlow[m].size(), static_cast<size_t>(years));
                    ASSERT_EQ(f.loc(i).daysOn[m].size(), static_cast<size_t>(years));
                    for (int y = 0; y < years; ++y)
                        ASSERT_EQ(f.loc(i).pumpingFlow[m][y], 2.0f * f.hist(i, m, y));
                }
        };
        const auto before = positives();
        changeYearType(f.model(), to);
        checkSeries();
        EXPECT_EQ(positives(), before);
        changeYearType(f.model(), from);
        checkSeries();
        EXPECT_EQ(positives(), before);
        EXPECT_LE(f.model().historicalYears(), n + 2);
    }
}

TEST(Conservation, UnitChangeAndBackStaysWithinSinglePrecision) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        const int n = pick(1, 4), k = pick(0, 3);
        DocFixture f(pick(1896, 2030), n, k, 2);
        ModelInput &md = f.model();
        md.yearMode = pick(0, 2);
        md.useAvgDaysPerMonth = pick(0, 1) == 1;
        md.unitMode = pick(0, 1);
        std::uniform_real_distribution<float> value(-50.0f, 5000.0f);
        for (auto &loc : md.locations)
            for (int m = 0; m < 12; ++m) {
                for (auto &v : loc.historicalData[m])
                    v = value(rng);
                for (auto &v : loc.synthesizedData[m])
                    v = value(rng);
            }
        const ModelInput before = md;
        const int unit = md.unitMode;
        changeUnits(f.model(), 1 - unit);
        changeUnits(f.model(), unit);
        for (size_t i = 0; i < md.locations.size(); ++i)
            for (int m = 0; m < 12; ++m) {
                const auto &a = md.locations[i];
                const auto &b = before.locations[i];
                for (size_t y = 0; y < b.historicalData[m].size(); ++y)
                    EXPECT_NEAR(a.historicalData[m][y], b.historicalData[m][y],
                                std::fabs(b.historicalData[m][y]) * 3 * FLT_EPSILON);
                for (size_t y = 0; y < b.synthesizedData[m].size(); ++y)
                    EXPECT_NEAR(a.synthesizedData[m][y], b.synthesizedData[m][y],
                                std::fabs(b.synthesizedData[m][y]) * 3 * FLT_EPSILON);
            }
    }
}

} // namespace
} // namespace vek
