// Synthesized years: the three projection methods with their years as
// parameters, their refusals as typed errors, the record and its caption;
// then the asking layer: the dialogs, the method choice and what it shows.
#include "model/synthesis.h"

#include "model/document_operations.h"
#include "support/scripted_prompter.h"
#include "year_test_docs.h"

#include <gtest/gtest.h>

namespace vek {
namespace {

using test::DocFixture;
using test::ScriptedPrompter;
using Kind = OperationError::Kind;

// 8 historical years from 1980, 7 synthesized years, 2 locations; historical
// value = 1000 * location + 100 * offset + column, so every value tells
// where it came from.
struct SynthFixture : DocFixture {
    ScriptedPrompter prompter;
    SynthFixture(int n = 8, int k = 7, int locations = 2) : DocFixture(1980, n, k, locations) {
        ui.setPrompter(prompter);
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

    const OperationResult r = synthesizeAverage(f.model(), {1982, 1983, 1987});

    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.changed);
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(f.synth(1, 4, k), 30.0f) << k;
        // Location 0, column 0: (200 + 300 + 700) / 3
        EXPECT_EQ(f.synth(0, 0, k), 400.0f) << k;
    }
    EXPECT_EQ(f.model().synthesizeFormat, 1);
    EXPECT_EQ(f.model().projYearStart, 2);
    EXPECT_EQ(f.model().projYearEnd, 7);
    EXPECT_EQ(synthesisCaption(f.model()), " (synthesized using average of historical data from 1982 to 1987)");
}

TEST(Synthesis, AverageSumsInDoubleAndStoresSingle) {
    SynthFixture f(3, 1, 1);
    f.hist(0, 0, 0) = 16777216.0f; // 2^24: adding 1 in single precision is lost
    f.hist(0, 0, 1) = 1.0f;
    f.hist(0, 0, 2) = 1.0f;
    ASSERT_TRUE(synthesizeAverage(f.model(), {1980, 1981, 1982}).ok());
    EXPECT_EQ(f.synth(0, 0, 0), static_cast<float>((16777216.0 + 2.0) / 3.0));
}

TEST(Synthesis, AverageTakesTheSelectionAsASet) {
    SynthFixture f(8, 2, 1);
    ASSERT_TRUE(synthesizeAverage(f.model(), {1987, 1982, 1982, 1983}).ok());
    EXPECT_EQ(f.synth(0, 0, 0), 400.0f); // (200 + 300 + 700) / 3
    EXPECT_EQ(f.model().projYearStart, 2);
    EXPECT_EQ(f.model().projYearEnd, 7);
}

TEST(Synthesis, CycleRepeatsFromItsFirstYear) {
    SynthFixture f;

    ASSERT_TRUE(synthesizeCycle(f.model(), 1981, 3).ok());

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

    ASSERT_TRUE(synthesizeGivenYear(f.model(), 1985).ok());

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
    OperationResult r = synthesizeAverage(f.model(), {1981, 1984});
    EXPECT_TRUE(r.ok());
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(f.model().synthesizeFormat, 1);
    EXPECT_EQ(f.model().projYearEnd, 4);
    r = synthesizeGivenYear(f.model(), 1986);
    EXPECT_TRUE(r.ok() && !r.changed);
    EXPECT_EQ(f.model().projYearStart, 6);
    r = synthesizeCycle(f.model(), 1982, 4);
    EXPECT_TRUE(r.ok() && !r.changed);
    EXPECT_EQ(f.model().synthesizeFormat, 3);
    EXPECT_EQ(f.model().projYearStart, 2);
    EXPECT_EQ(f.model().projYearEnd, 3);
}

TEST(Synthesis, DamagedShortColumnsAreNotReadPastTheirEnd) {
    SynthFixture f(4, 2, 1);
    for (auto &col : f.loc(0).historicalData)
        col.resize(2); // shorter than the period
    ASSERT_TRUE(synthesizeGivenYear(f.model(), 1983).ok());
    EXPECT_EQ(f.synth(0, 5, 1), 0.0f);
}

// Every way a method refuses: a failed precondition, a year outside the
// historical period, no year, a cycle of no year. The error names its kind
// and where; nothing may change.
struct RefusalCase {
    const char *name;
    int historical, synthesized;
    int method;             // 0 average, 1 given year, 2 cycle
    std::vector<int> years; // average: the years; given: {year}; cycle: {first, length}
    Kind kind;
    const char *message;
    std::optional<int> year; // the year the error names
    const char *field;
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
    const ModelInput before = f.model();

    const OperationResult r = c.method == 0   ? synthesizeAverage(f.model(), c.years)
                              : c.method == 1 ? synthesizeGivenYear(f.model(), c.years.at(0))
                                              : synthesizeCycle(f.model(), c.years.at(0), c.years.at(1));

    ASSERT_FALSE(r.ok());
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(f.model(), before);
    EXPECT_EQ(r.error->kind, c.kind);
    EXPECT_EQ(r.error->family(), OperationError::Family::Synthesis);
    EXPECT_EQ(r.error->message, c.message);
    EXPECT_EQ(r.error->year, c.year);
    EXPECT_EQ(r.error->field, c.field);
}

const char *const kNoSynth = "Can't project flows until synthesized flow years are provided.";
const char *const kNoHist = "No historical flow data to project.";

INSTANTIATE_TEST_SUITE_P(
    Synthesis, RefusalTest,
    ::testing::Values(
        RefusalCase{"AverageNoSynthesizedYears", 8, 0, 0, {1981}, Kind::NoSynthesizedYears, kNoSynth, {}, ""},
        RefusalCase{"GivenNoSynthesizedYears", 8, 0, 1, {1981}, Kind::NoSynthesizedYears, kNoSynth, {}, ""},
        RefusalCase{"CycleNoSynthesizedYears", 8, 0, 2, {1980, 2}, Kind::NoSynthesizedYears, kNoSynth, {}, ""},
        RefusalCase{
            "NeitherPeriodReportsSynthesizedFirst", 0, 0, 0, {1980}, Kind::NoSynthesizedYears, kNoSynth, {}, ""},
        RefusalCase{"AverageNoHistoricalYears", 0, 3, 0, {1980}, Kind::NoHistoricalYears, kNoHist, {}, ""},
        RefusalCase{"GivenNoHistoricalYears", 0, 3, 1, {1980}, Kind::NoHistoricalYears, kNoHist, {}, ""},
        RefusalCase{"CycleNoHistoricalYears", 0, 3, 2, {1980, 1}, Kind::NoHistoricalYears, kNoHist, {}, ""},
        RefusalCase{"AverageOfNoYears",
                    8,
                    3,
                    0,
                    {},
                    Kind::NoYearsChosen,
                    "No years were chosen to average; nothing was synthesized.",
                    {},
                    "years"},
        RefusalCase{"AverageYearPastThePeriod",
                    8,
                    3,
                    0,
                    {1982, 1988},
                    Kind::NotAHistoricalYear,
                    "Year 1988 is not a historical year (1980 to 1987); nothing was synthesized.",
                    1988,
                    "years"},
        RefusalCase{"GivenYearBeforeThePeriod",
                    8,
                    3,
                    1,
                    {1979},
                    Kind::NotAHistoricalYear,
                    "Year 1979 is not a historical year (1980 to 1987); nothing was synthesized.",
                    1979,
                    "year"},
        RefusalCase{"GivenYearPastThePeriod",
                    8,
                    3,
                    1,
                    {1988},
                    Kind::NotAHistoricalYear,
                    "Year 1988 is not a historical year (1980 to 1987); nothing was synthesized.",
                    1988,
                    "year"},
        RefusalCase{"CycleStartPastThePeriod",
                    8,
                    3,
                    2,
                    {1989, 1},
                    Kind::NotAHistoricalYear,
                    "Year 1989 is not a historical year (1980 to 1987); nothing was synthesized.",
                    1989,
                    "first"},
        RefusalCase{"CycleEndPastTheLastYear",
                    8,
                    3,
                    2,
                    {1985, 4},
                    Kind::NotAHistoricalYear,
                    "Year 1988 is not a historical year (1980 to 1987); nothing was synthesized.",
                    1988,
                    "length"},
        RefusalCase{"CycleOfNoYear",
                    8,
                    3,
                    2,
                    {1985, 0},
                    Kind::CycleTooShort,
                    "The cycle must end at or after its first year; nothing was synthesized.",
                    {},
                    "length"}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Asking: the dialogs of the three methods --------------------------------

TEST(SynthesisDialogs, PositionsBecomeYearsAndTheDocumentIsMarked) {
    SynthFixture f;
    f.prompter.averageYears.push_back(std::vector<int>{2, 3, 7});
    f.prompter.cycles.push_back(std::pair{1, 2});
    f.prompter.givenYears.push_back(5);

    // Years that are not adjacent: the whole range, once the user agrees.
    f.prompter.choices.push_back("Average 1982 to 1987");
    ASSERT_TRUE(synthesizeAverage(f.doc, f.prompter));
    EXPECT_EQ(f.prompter.choiceButtons.size(), 1u);
    EXPECT_EQ(f.model().projYearStart, 2);
    EXPECT_EQ(f.model().projYearEnd, 7);
    EXPECT_TRUE(f.doc.isModified());
    // The end position counts from the start year: 1981 to 1983.
    ASSERT_TRUE(synthesizeCycle(f.doc, f.prompter));
    EXPECT_EQ(f.sourceOf(0, 0, 3), 1);
    EXPECT_EQ(f.model().projYearEnd, 2);
    ASSERT_TRUE(synthesizeGivenYear(f.doc, f.prompter));
    EXPECT_EQ(f.model().projYearStart, 5);
    // Each dialog listed the historical years.
    EXPECT_EQ(f.prompter.yearListRanges, (std::vector<std::pair<int, int>>(3, {1980, 1987})));
    EXPECT_TRUE(f.prompter.messages.empty());
}

TEST(SynthesisDialogs, RefusalsShowTheirMessageAndChangeNothing) {
    struct Row {
        const char *name;
        int synthesized;
        std::optional<std::vector<int>> average; // nullopt: Cancel
        const char *message;                     // nullptr: none
        bool dialogShown;
    };
    const Row rows[] = {
        {"no synthesized years: no dialog", 0, std::vector<int>{1}, kNoSynth, false},
        {"cancelled", 3, std::nullopt, nullptr, true},
        {"nothing selected", 3, std::vector<int>{}, nullptr, true},
        {"position past the list", 3, std::vector<int>{2, 8},
         "Year 1988 is not a historical year (1980 to 1987); nothing was synthesized.", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SynthFixture f(8, row.synthesized);
        f.prompter.averageYears.push_back(row.average);
        const ModelInput before = f.model();
        EXPECT_FALSE(synthesizeAverage(f.doc, f.prompter));
        EXPECT_EQ(f.model(), before);
        EXPECT_FALSE(f.doc.isModified());
        EXPECT_EQ(f.prompter.yearListRanges.size(), row.dialogShown ? 1u : 0u);
        EXPECT_EQ(f.prompter.messages,
                  row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{});
    }
}

TEST(SynthesisDialogs, CycleEndingBeforeItsStartIsRefused) {
    SynthFixture f;
    f.prompter.cycles.push_back(std::pair{5, -1});
    EXPECT_FALSE(synthesizeCycle(f.doc, f.prompter));
    EXPECT_EQ(f.prompter.messages,
              std::vector<std::string>{"The cycle must end at or after its first year; nothing was synthesized."});
}

// ---- The method choice ----------------------------------------------------

TEST(ChooseMethod, CancelChangesNothing) {
    SynthFixture f;
    f.doc.historicalDataChanged = true;
    f.prompter.methods.push_back(std::nullopt);
    chooseSynthesisMethod(f.doc, f.ui);
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
        chooseSynthesisMethod(f.doc, f.ui);
        EXPECT_EQ(f.model().synthesizeFormat, method + 1);
        EXPECT_EQ(f.sourceOf(1, 7, 6), 4);
        EXPECT_TRUE(f.doc.isModified());
        EXPECT_EQ(f.hints, std::vector<ViewHint>{ViewHint::SynthesizedTable});
        EXPECT_FALSE(f.doc.historicalDataChanged);
    }
}

TEST(ChooseMethod, CancelledMethodStillEndsTheChoice) {
    SynthFixture f;
    f.doc.historicalDataChanged = true;
    f.prompter.methods.push_back(1);
    f.prompter.givenYears.push_back(std::nullopt);
    chooseSynthesisMethod(f.doc, f.ui);
    EXPECT_EQ(f.hints, std::vector<ViewHint>{ViewHint::SynthesizedTable});
    EXPECT_TRUE(f.doc.isModified());
    EXPECT_EQ(f.model().synthesizeFormat, 0);
    // Ending the choice answers the stale warning, whatever the method did.
    EXPECT_FALSE(f.doc.historicalDataChanged);
}

TEST(ChooseMethod, WithoutSynthesizedYearsNothingIsStale) {
    SynthFixture f(8, 0);
    f.doc.historicalDataChanged = true;
    f.prompter.methods.push_back(2);
    chooseSynthesisMethod(f.doc, f.ui);
    EXPECT_EQ(f.prompter.messages,
              std::vector<std::string>{"Can't project flows until synthesized flow years are provided."});
    EXPECT_FALSE(f.doc.historicalDataChanged);
    EXPECT_EQ(f.hints, std::vector<ViewHint>{ViewHint::SynthesizedTable});
}

TEST(ChooseMethod, UnknownIndexIsRefused) {
    SynthFixture f;
    f.doc.historicalDataChanged = true;
    f.prompter.methods.push_back(3);
    chooseSynthesisMethod(f.doc, f.ui);
    EXPECT_EQ(f.prompter.messages, std::vector<std::string>{"Unknown synthesis method 3; nothing was synthesized."});
    EXPECT_FALSE(f.doc.isModified());
    EXPECT_TRUE(f.hints.empty());
    EXPECT_TRUE(f.doc.historicalDataChanged);
}

TEST(ChooseMethod, APrompterThatCannotAskChangesNothing) {
    DocFixture f(1980, 3, 2, 1);
    chooseSynthesisMethod(f.doc, f.ui);
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
