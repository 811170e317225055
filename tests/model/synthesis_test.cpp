// Synthesized years: the three projection methods, their preconditions and
// refusals, the method choice and the caption of the synthesis record.
#include "model/synthesis.h"
#include "support/scripted_prompter.h"
#include "year_test_docs.h"

#include <gtest/gtest.h>

namespace vek {
namespace {

using test::DocFixture;
using test::ScriptedPrompter;

// 8 historical years from 1980, 7 synthesized years, 2 locations; historical
// value = 1000 * location + 100 * offset + column, so every value tells
// where it came from.
struct SynthFixture : DocFixture {
    ScriptedPrompter prompter;
    SynthFixture(int n = 8, int k = 7, int locations = 2) : DocFixture(1980, n, k, locations) {
        doc.setPrompter(&prompter);
        for (int i = 0; i < locations; ++i)
            for (int m = 0; m < 12; ++m)
                for (int y = 0; y < n; ++y)
                    hist(i, m, y) = static_cast<float>(1000 * i + 100 * y + m);
    }
    // Offset of the historical year synthesized year k of column m came from.
    int sourceOf(int i, int m, int k) {
        return static_cast<int>(synth(i, m, k) - static_cast<float>(1000 * i + m)) / 100;
    }
};

TEST(Synthesis, AverageOfNonContiguousYears) {
    SynthFixture f;
    f.hist(1, 4, 2) = 10.0f;
    f.hist(1, 4, 3) = 20.0f;
    f.hist(1, 4, 7) = 60.0f;
    f.prompter.averageYears.push_back(std::vector<int>{2, 3, 7});

    ASSERT_TRUE(synthesizeAverage(f.doc));

    ASSERT_EQ(f.prompter.yearListRanges, (std::vector<std::pair<int, int>>{{1980, 1987}}));
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(f.synth(1, 4, k), 30.0f) << k;
        // Location 0, column 0: (200 + 300 + 700) / 3
        EXPECT_EQ(f.synth(0, 0, k), 400.0f) << k;
    }
    EXPECT_EQ(f.model().synthesizeFormat, 1);
    EXPECT_EQ(f.model().projYearStart, 2);
    EXPECT_EQ(f.model().projYearEnd, 7);
    EXPECT_TRUE(f.doc.isModified());
    EXPECT_EQ(synthesisCaption(f.model()), " (synthesized using average of historical data from 1982 to 1987)");
}

TEST(Synthesis, AverageSumsInDoubleAndStoresSingle) {
    SynthFixture f(3, 1, 1);
    f.hist(0, 0, 0) = 16777216.0f; // 2^24: adding 1 in single precision is lost
    f.hist(0, 0, 1) = 1.0f;
    f.hist(0, 0, 2) = 1.0f;
    f.prompter.averageYears.push_back(std::vector<int>{0, 1, 2});
    ASSERT_TRUE(synthesizeAverage(f.doc));
    EXPECT_EQ(f.synth(0, 0, 0), static_cast<float>((16777216.0 + 2.0) / 3.0));
}

TEST(Synthesis, CycleRepeatsFromItsFirstYear) {
    SynthFixture f;
    f.prompter.cycles.push_back(std::pair{1, 2});

    ASSERT_TRUE(synthesizeCycle(f.doc));

    const std::vector<int> want{1, 2, 3, 1, 2, 3, 1};
    for (int i = 0; i < 2; ++i)
        for (int m = 0; m < 12; ++m)
            for (int k = 0; k < 7; ++k)
                EXPECT_EQ(f.sourceOf(i, m, k), want[k]) << i << "," << m << "," << k;
    EXPECT_EQ(f.model().synthesizeFormat, 3);
    EXPECT_EQ(f.model().projYearStart, 1);
    EXPECT_EQ(f.model().projYearEnd, 2);
    EXPECT_EQ(synthesisCaption(f.model()), " (synthesized using historical cycle from year 1981 to year 1983)");
}

TEST(Synthesis, GivenYearCopiesItsTwelveMonths) {
    SynthFixture f;
    f.model().projYearEnd = 6;
    f.prompter.givenYears.push_back(5);

    ASSERT_TRUE(synthesizeGivenYear(f.doc));

    for (int i = 0; i < 2; ++i)
        for (int m = 0; m < 12; ++m)
            for (int k = 0; k < 7; ++k)
                EXPECT_EQ(f.synth(i, m, k), f.hist(i, m, 5));
    EXPECT_EQ(f.model().synthesizeFormat, 2);
    EXPECT_EQ(f.model().projYearStart, 5);
    EXPECT_EQ(f.model().projYearEnd, 6); // left as it was
    EXPECT_EQ(synthesisCaption(f.model()), " (synthesized using historical data year 1985)");
}

TEST(Synthesis, WithoutLocationsOnlyTheRecordChanges) {
    SynthFixture f(8, 3, 0);
    f.prompter.averageYears.push_back(std::vector<int>{1, 4});
    f.prompter.givenYears.push_back(6);
    f.prompter.cycles.push_back(std::pair{2, 3});

    EXPECT_TRUE(synthesizeAverage(f.doc));
    EXPECT_EQ(f.model().synthesizeFormat, 1);
    EXPECT_EQ(f.model().projYearEnd, 4);
    EXPECT_TRUE(synthesizeGivenYear(f.doc));
    EXPECT_EQ(f.model().projYearStart, 6);
    EXPECT_TRUE(synthesizeCycle(f.doc));
    EXPECT_EQ(f.model().synthesizeFormat, 3);
    EXPECT_EQ(f.model().projYearStart, 2);
    EXPECT_EQ(f.model().projYearEnd, 3);
    EXPECT_FALSE(f.doc.isModified());
    EXPECT_TRUE(f.prompter.messages.empty());
}

// Every way a method can end without synthesizing: a failed precondition
// (with its message, before any dialog), Cancel, an empty selection, or an
// answer outside the offered years. Nothing may change.
struct RefusalCase {
    const char *name;
    int historical, synthesized;
    int method; // 0 average, 1 given year, 2 cycle
    std::optional<std::vector<int>> average;
    std::optional<int> given;
    std::optional<std::pair<int, int>> cycle;
    const char *message; // nullptr: none expected
    bool dialogShown;
};

// Test names show the row's name, not the struct's bytes.
void PrintTo(const RefusalCase &c, std::ostream *os) { *os << c.name; }

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, ChangesNothing) {
    const RefusalCase &c = GetParam();
    SynthFixture f(c.historical, c.synthesized);
    f.model().synthesizeFormat = 4;
    f.model().projYearStart = 1;
    f.model().projYearEnd = 2;
    for (int k = 0; k < c.synthesized; ++k)
        f.synth(0, 3, k) = 42.0f;
    f.prompter.averageYears.push_back(c.average);
    f.prompter.givenYears.push_back(c.given);
    f.prompter.cycles.push_back(c.cycle);
    const ModelInput before = f.model();

    const bool done = c.method == 0   ? synthesizeAverage(f.doc)
                      : c.method == 1 ? synthesizeGivenYear(f.doc)
                                      : synthesizeCycle(f.doc);

    EXPECT_FALSE(done);
    EXPECT_FALSE(f.doc.isModified());
    EXPECT_EQ(f.model().synthesizeFormat, 4);
    EXPECT_EQ(f.model().projYearStart, 1);
    EXPECT_EQ(f.model().projYearEnd, 2);
    for (size_t i = 0; i < before.locations.size(); ++i)
        EXPECT_EQ(f.model().locations[i].synthesizedData, before.locations[i].synthesizedData);
    EXPECT_EQ(f.prompter.yearListRanges.size(), c.dialogShown ? 1u : 0u);
    if (c.message)
        EXPECT_EQ(f.prompter.messages, std::vector<std::string>{c.message});
    else
        EXPECT_TRUE(f.prompter.messages.empty());
}

const char *const kNoSynth = "Can't project flows until synthesized flow years are provided.";
const char *const kNoHist = "No historical flow data to project.";

INSTANTIATE_TEST_SUITE_P(
    Synthesis, RefusalTest,
    ::testing::Values(
        RefusalCase{"AverageNoSynthesizedYears", 8, 0, 0, std::vector<int>{1}, {}, {}, kNoSynth, false},
        RefusalCase{"GivenNoSynthesizedYears", 8, 0, 1, {}, 1, {}, kNoSynth, false},
        RefusalCase{"CycleNoSynthesizedYears", 8, 0, 2, {}, {}, std::pair{0, 1}, kNoSynth, false},
        RefusalCase{"NeitherPeriodReportsSynthesizedFirst", 0, 0, 0, std::vector<int>{0}, {}, {}, kNoSynth, false},
        RefusalCase{"AverageNoHistoricalYears", 0, 3, 0, std::vector<int>{0}, {}, {}, kNoHist, false},
        RefusalCase{"GivenNoHistoricalYears", 0, 3, 1, {}, 0, {}, kNoHist, false},
        RefusalCase{"CycleNoHistoricalYears", 0, 3, 2, {}, {}, std::pair{0, 0}, kNoHist, false},
        RefusalCase{"AverageCancelled", 8, 3, 0, std::nullopt, {}, {}, nullptr, true},
        RefusalCase{"AverageNothingSelected", 8, 3, 0, std::vector<int>{}, {}, {}, nullptr, true},
        RefusalCase{"GivenCancelled", 8, 3, 1, {}, std::nullopt, {}, nullptr, true},
        RefusalCase{"CycleCancelled", 8, 3, 2, {}, {}, std::nullopt, nullptr, true},
        RefusalCase{"AveragePositionPastTheList",
                    8,
                    3,
                    0,
                    std::vector<int>{2, 8},
                    {},
                    {},
                    "Year 1988 is not a historical year (1980 to 1987); nothing was synthesized.",
                    true},
        RefusalCase{"GivenNegativePosition",
                    8,
                    3,
                    1,
                    {},
                    -1,
                    {},
                    "Year 1979 is not a historical year (1980 to 1987); nothing was synthesized.",
                    true},
        RefusalCase{"GivenPositionPastTheList",
                    8,
                    3,
                    1,
                    {},
                    8,
                    {},
                    "Year 1988 is not a historical year (1980 to 1987); nothing was synthesized.",
                    true},
        RefusalCase{"CycleStartPastTheList",
                    8,
                    3,
                    2,
                    {},
                    {},
                    std::pair{9, 0},
                    "Year 1989 is not a historical year (1980 to 1987); nothing was synthesized.",
                    true},
        RefusalCase{"CycleEndPastTheLastYear",
                    8,
                    3,
                    2,
                    {},
                    {},
                    std::pair{5, 3},
                    "Year 1988 is not a historical year (1980 to 1987); nothing was synthesized.",
                    true},
        RefusalCase{"CycleEndBeforeItsStart",
                    8,
                    3,
                    2,
                    {},
                    {},
                    std::pair{5, -1},
                    "The cycle must end at or after its first year; nothing was synthesized.",
                    true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Synthesis, AverageTakesTheSelectionAsASet) {
    SynthFixture f(8, 2, 1);
    f.prompter.averageYears.push_back(std::vector<int>{7, 2, 2, 3});
    ASSERT_TRUE(synthesizeAverage(f.doc));
    EXPECT_EQ(f.synth(0, 0, 0), 400.0f); // (200 + 300 + 700) / 3
    EXPECT_EQ(f.model().projYearStart, 2);
    EXPECT_EQ(f.model().projYearEnd, 7);
}

TEST(Synthesis, DamagedShortColumnsAreNotReadPastTheirEnd) {
    SynthFixture f(4, 2, 1);
    for (auto &col : f.loc(0).historicalData)
        col.resize(2); // shorter than the period
    f.prompter.givenYears.push_back(3);
    ASSERT_TRUE(synthesizeGivenYear(f.doc));
    EXPECT_EQ(f.synth(0, 5, 1), 0.0f);
}

// ---- The method choice ----------------------------------------------------

TEST(ChooseMethod, CancelChangesNothing) {
    SynthFixture f;
    f.doc.historicalDataChanged = true;
    f.prompter.methods.push_back(std::nullopt);
    chooseSynthesisMethod(f.doc);
    EXPECT_FALSE(f.doc.isModified());
    EXPECT_TRUE(f.hints.empty());
    EXPECT_TRUE(f.doc.historicalDataChanged);
    EXPECT_TRUE(f.prompter.yearListRanges.empty());
}

TEST(ChooseMethod, EachIndexRunsItsMethodAndClearsTheStaleFlag) {
    for (int method = 0; method < 3; ++method) {
        SCOPED_TRACE(method);
        SynthFixture f;
        f.doc.historicalDataChanged = true;
        f.prompter.methods.push_back(method);
        f.prompter.averageYears.push_back(std::vector<int>{4});
        f.prompter.givenYears.push_back(4);
        f.prompter.cycles.push_back(std::pair{4, 0});
        chooseSynthesisMethod(f.doc);
        EXPECT_EQ(f.model().synthesizeFormat, method + 1);
        EXPECT_EQ(f.sourceOf(1, 7, 6), 4);
        EXPECT_TRUE(f.doc.isModified());
        EXPECT_EQ(f.hints, std::vector<int>{3});
        EXPECT_FALSE(f.doc.historicalDataChanged);
    }
}

TEST(ChooseMethod, CancelledMethodStillEndsTheChoice) {
    SynthFixture f;
    f.doc.historicalDataChanged = true;
    f.prompter.methods.push_back(1);
    f.prompter.givenYears.push_back(std::nullopt);
    chooseSynthesisMethod(f.doc);
    EXPECT_EQ(f.hints, std::vector<int>{3});
    EXPECT_TRUE(f.doc.isModified());
    EXPECT_EQ(f.model().synthesizeFormat, 0);
    // Ending the choice answers the stale warning, whatever the method did.
    EXPECT_FALSE(f.doc.historicalDataChanged);
}

TEST(ChooseMethod, WithoutSynthesizedYearsNothingIsStale) {
    SynthFixture f(8, 0);
    f.doc.historicalDataChanged = true;
    f.prompter.methods.push_back(2);
    chooseSynthesisMethod(f.doc);
    EXPECT_EQ(f.prompter.messages,
              std::vector<std::string>{"Can't project flows until synthesized flow years are provided."});
    EXPECT_FALSE(f.doc.historicalDataChanged);
    EXPECT_EQ(f.hints, std::vector<int>{3});
}

TEST(ChooseMethod, UnknownIndexIsRefused) {
    SynthFixture f;
    f.doc.historicalDataChanged = true;
    f.prompter.methods.push_back(3);
    chooseSynthesisMethod(f.doc);
    EXPECT_EQ(f.prompter.messages, std::vector<std::string>{"Unknown synthesis method 3; nothing was synthesized."});
    EXPECT_FALSE(f.doc.isModified());
    EXPECT_TRUE(f.hints.empty());
    EXPECT_TRUE(f.doc.historicalDataChanged);
}

TEST(ChooseMethod, WithoutPrompterNothingHappens) {
    DocFixture f(1980, 3, 2, 1);
    chooseSynthesisMethod(f.doc);
    EXPECT_FALSE(f.doc.isModified());
    EXPECT_TRUE(f.hints.empty());
}

TEST(Caption, ByRecordedMethod) {
    ModelInput md;
    md.inputStartYear = 1950;
    md.projYearStart = 3;
    md.projYearEnd = 4;
    const std::pair<int, const char *> rows[] = {
        {0, ""},
        {1, " (synthesized using average of historical data from 1953 to 1954)"},
        {2, " (synthesized using historical data year 1953)"},
        {3, " (synthesized using historical cycle from year 1953 to year 1957)"},
        {4, " (synthesized data is user-defined)"},
        {5, ""},
        {-1, ""},
    };
    for (const auto &[format, text] : rows) {
        md.synthesizeFormat = format;
        EXPECT_EQ(synthesisCaption(md), text) << format;
    }
}

} // namespace
} // namespace vek
