// Year type changes through the Properties window of a form, over random
// models: a round trip that moves no value out of its period gives the model
// back exactly, without a question; a change that adds a year or drops
// values says so first (Cancel the default) and keeps the run range and the
// years the synthesis record names.
#include "editor/properties_dialog.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "model/input_file.h"
#include "model/synthesis.h"
#include "model/year_types.h"
#include "support/test_files.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>
#include <random>

using namespace vek;

namespace {

// Months that a change from `from` to `to` moves: > 0 out of the start of
// each series, < 0 out of its end.
int shiftOf(int from, int to) {
    const int beforeJanuary[3] = {0, 2, 3};
    return beforeJanuary[from] - beforeJanuary[to];
}

std::vector<int> edgeColumns(int s) {
    std::vector<int> cols;
    for (int m = s > 0 ? 0 : 12 + s; m <= (s > 0 ? s - 1 : 11); ++m)
        cols.push_back(m);
    return cols;
}

// A random model: periods, locations, values (zeros and negative values
// among them), pumping records, efficiencies, a synthesis record and a run
// range the form can show.
ModelInput randomModel(std::mt19937 &rng, int yearMode) {
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto value = [&]() -> float {
        const int kind = pick(0, 5);
        if (kind == 0) return 0.0f;
        if (kind == 1) return -static_cast<float>(pick(1, 500)) / 4.0f;
        return static_cast<float>(pick(1, 40000)) / 8.0f;
    };
    const int n = pick(1, 7), k = pick(0, 5);
    test::ModelBuilder b(pick(1940, 2010), n, k);
    b.locations(pick(1, 4)).yearMode(yearMode);
    ModelInput m = b.model();
    for (Location &loc : m.locations) {
        loc.LocationType = pick(0, 3) == 0 ? RechargeSite : IrrigationWell;
        loc.Units = pick(0, 1);
        for (int c = 0; c < 12; ++c) {
            for (float &v : loc.historicalData[static_cast<size_t>(c)])
                v = value();
            for (float &v : loc.synthesizedData[static_cast<size_t>(c)])
                v = value();
            for (float &v : loc.pumpingFlow[static_cast<size_t>(c)])
                v = value();
            for (float &v : loc.daysOn[static_cast<size_t>(c)])
                v = static_cast<float>(pick(0, 31));
            loc.efficiency[static_cast<size_t>(c)] = static_cast<float>(pick(1, 100)) / 100.0f;
        }
    }
    m.synthesizeFormat = pick(0, 4);
    m.projYearStart = pick(0, n - 1);
    m.projYearEnd =
        m.synthesizeFormat == SynthesizedCycle ? pick(0, n - 1 - m.projYearStart) : pick(m.projYearStart, n - 1);
    m.outputStartYear = pick(m.inputStartYear, m.synthEndYear);
    m.outputEndYear = pick(m.outputStartYear, m.synthEndYear + 10);
    return m;
}

// Zeroes what a change by s months would move out of each series (and gives
// the months it empties full efficiency, as every change does): a round
// trip by s and back then moves nothing out of its period.
void clearEdges(ModelInput &m, int s) {
    const std::vector<int> cols = edgeColumns(s);
    for (Location &loc : m.locations) {
        for (MonthColumns *t : {&loc.historicalData, &loc.pumpingFlow, &loc.daysOn, &loc.synthesizedData}) {
            const int rows = static_cast<int>((*t)[0].size());
            if (rows == 0) continue;
            const int row = s > 0 ? 0 : rows - 1;
            for (int c : cols)
                (*t)[static_cast<size_t>(c)][static_cast<size_t>(row)] = 0.0f;
        }
        for (int c : cols)
            loc.efficiency[static_cast<size_t>(c)] = 1.0f;
    }
}

// The historical year a synthesis record names first (and last, for an
// average): what must not move when a year is added before the first.
std::pair<int, int> recordYears(const ModelInput &m) {
    return {m.inputStartYear + m.projYearStart,
            m.synthesizeFormat == SynthesizedAverage ? m.inputStartYear + m.projYearEnd : m.projYearEnd};
}

class YearTypeRoundTrip : public ::testing::Test {
  protected:
    void SetUp() override { vek::test::testApp(); }
    void openModel(const ModelInput &m) {
        view.reset();
        doc = std::make_unique<CVEKViewDoc>(&prompter);
        doc->document().model = m;
        view = std::make_unique<CVEKViewView>(doc.get());
        view->resize(900, 700);
        doc->resetHistory();
    }
    void change(int mode) {
        doc->showProperties(view.get());
        doc->propertiesDialog()->yearTypeButton(mode)->click();
        doc->propertiesDialog()->hide();
    }
    void expectRunRange(int start, int end) {
        EXPECT_EQ(doc->model().outputStartYear, start);
        EXPECT_EQ(doc->model().outputEndYear, end);
        EXPECT_EQ(view->runStartList()->currentText(), QString::number(start));
        EXPECT_EQ(view->runEndEdit()->text(), QString::number(end));
    }

    test::CountingPrompter prompter;
    std::unique_ptr<CVEKViewDoc> doc;
    std::unique_ptr<CVEKViewView> view;
};

} // namespace

TEST_F(YearTypeRoundTrip, RoundTripsThatMoveNoValueOutAreExactAndAskNothing) {
    std::mt19937 rng(20240611);
    for (int trial = 0; trial < 30; ++trial) {
        for (int from = 0; from < 3; ++from)
            for (int to = 0; to < 3; ++to) {
                if (from == to) continue;
                SCOPED_TRACE("trial " + std::to_string(trial) + ", " + yearTypeName(from) + " and back through " +
                             yearTypeName(to));
                ModelInput m = randomModel(rng, from);
                clearEdges(m, shiftOf(from, to));
                openModel(m);
                prompter.choiceButtons.clear();
                change(to);
                ASSERT_EQ(doc->model().yearMode, to);
                change(from);
                EXPECT_TRUE(prompter.choiceButtons.empty()) << prompter.questions.back();
                EXPECT_TRUE(doc->model() == m);
                expectRunRange(m.outputStartYear, m.outputEndYear);
            }
    }
}

TEST_F(YearTypeRoundTrip, ChangesThatAddAYearOrDropValuesAskFirstAndKeepTheRanges) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 30; ++trial)
        for (int from = 0; from < 3; ++from)
            for (int to = 0; to < 3; ++to) {
                if (from == to) continue;
                SCOPED_TRACE("trial " + std::to_string(trial) + ", " + yearTypeName(from) + " to " + yearTypeName(to));
                ModelInput m = randomModel(rng, from);
                // A positive value in the months that leave the edge year.
                const int s = shiftOf(from, to);
                const int row = s > 0 ? 0 : m.historicalYears() - 1;
                m.locations[0].historicalData[static_cast<size_t>(edgeColumns(s).front())][static_cast<size_t>(row)] =
                    42.5f;
                openModel(m);

                // Dismissed (Enter): nothing changes.
                prompter.choiceButtons.clear();
                prompter.choices.clear();
                change(to);
                ASSERT_EQ(prompter.choiceButtons.size(), 1u);
                EXPECT_EQ(prompter.defaultChoices.back(), "Cancel");
                const int added = s > 0 ? m.inputStartYear - 1 : m.inputEndYear + 1;
                EXPECT_NE(prompter.questions.back().find("adds " + std::to_string(added)), std::string::npos)
                    << prompter.questions.back();
                EXPECT_TRUE(doc->model() == m);
                EXPECT_TRUE(doc->propertiesDialog()->yearTypeButton(from)->isChecked());

                // Accepted: the year is added; the run range and the years the
                // record names are where they were, there and back.
                prompter.choices = {"Change the Year Type", "Change the Year Type"};
                change(to);
                ASSERT_EQ(doc->model().yearMode, to);
                EXPECT_EQ(doc->model().historicalYears(), m.historicalYears() + 1);
                expectRunRange(m.outputStartYear, m.outputEndYear);
                if (m.synthesizeFormat >= SynthesizedAverage && m.synthesizeFormat <= SynthesizedCycle) {
                    EXPECT_EQ(recordYears(doc->model()), recordYears(m));
                }
                change(from);
                ASSERT_EQ(doc->model().yearMode, from);
                expectRunRange(m.outputStartYear, m.outputEndYear);
                if (m.synthesizeFormat >= SynthesizedAverage && m.synthesizeFormat <= SynthesizedCycle) {
                    EXPECT_EQ(recordYears(doc->model()), recordYears(m));
                }
            }
}

// The example, Irrigation to Calendar: a year before the first, and the
// first synthesized year's November and December, counted and named.
TEST_F(YearTypeRoundTrip, TheQuestionSaysWhatChangesInCountsAndYears) {
    ModelDocument example;
    ASSERT_TRUE(ReadInput(example, prompter, test::dataDir() + "/../../examples/river_valley.vek", false));
    openModel(example.model);
    change(CalendarYear);
    ASSERT_EQ(prompter.questions.size(), 1u);
    const std::string &q = prompter.questions[0];
    EXPECT_NE(q.find("adds 1979 as a new first historical year, to take the NOV and DEC values of 1980"),
              std::string::npos)
        << q;
    EXPECT_NE(q.find("synthesized values that are not zero: the NOV and DEC of the first synthesized year, 2005"),
              std::string::npos)
        << q;
    EXPECT_EQ(doc->model(), example.model);
}
