// The synthesis choices through the form: an average of years that are not
// adjacent is never recorded under a label that names other years, and a
// cancelled method choice after a Years of Data change leaves the document
// as it was before that change.
#include "editor/month_table_model.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "model/synthesis.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <memory>

using namespace vek;

namespace {

class SynthesisChoice : public test::FormFixture {
  protected:
    void SetUp() override {
        vek::test::testApp();
        // 1990-1994 historical, 1995-1997 synthesized; the first well's
        // historical values are 100 * year offset + month.
        openForm([](ModelDocument &d) {
            test::ModelBuilder(1990, 5, 3)
                .locations(2)
                .historical([](int i, int k, int mo) { return i == 0 ? static_cast<float>(100 * k + mo) : 0.0f; })
                .into(d);
            d.model.outputStartYear = 1990;
            d.model.outputEndYear = 1997;
        });
    }
};

} // namespace

// 1990 and 1992 averaged would be recorded, shown and reported as "1990 to
// 1992": the user is told and offered the three years; Enter cancels.
TEST_F(SynthesisChoice, AverageOfYearsThatAreNotAdjacentAsksFirst) {
    const ModelInput before = m();
    prompter.methods = {0};
    prompter.averageYears = {std::vector<int>{0, 2}};
    view->OnRecalculate();
    ASSERT_EQ(prompter.choiceButtons.size(), 1u);
    EXPECT_EQ(prompter.choiceButtons[0], (std::vector<std::string>{"Average 1990 to 1992", "Cancel"}));
    EXPECT_EQ(prompter.defaultChoices[0], "Cancel");
    const std::string &q = prompter.questions.back();
    EXPECT_NE(q.find("1990, 1992"), std::string::npos) << q;
    EXPECT_NE(q.find("3 years"), std::string::npos) << q;
    EXPECT_EQ(m().locations, before.locations);
    EXPECT_EQ(m().synthesizeFormat, before.synthesizeFormat);

    // Accepted: the three years, recorded as they are averaged.
    prompter.methods = {0};
    prompter.averageYears = {std::vector<int>{0, 2}};
    prompter.choices = {"Average 1990 to 1992"};
    view->OnRecalculate();
    EXPECT_EQ(m().synthesizeFormat, SynthesizedAverage);
    EXPECT_EQ(m().projYearStart, 0);
    EXPECT_EQ(m().projYearEnd, 2);
    EXPECT_FLOAT_EQ(m().locations[0].synthesizedData[3][0], 103.0f); // (3 + 103 + 203) / 3
    EXPECT_TRUE(view->synthesizedCaption()->toolTip().contains("from 1990 to 1992"));

    // Adjacent years need no question.
    prompter.methods = {0};
    prompter.averageYears = {std::vector<int>{3, 4}};
    view->OnRecalculate();
    EXPECT_EQ(prompter.choiceButtons.size(), 2u);
    EXPECT_EQ(m().projYearStart, 3);
    EXPECT_FLOAT_EQ(m().locations[0].synthesizedData[3][0], 353.0f);
}

// Years of Data 3 -> 5, then Cancel in the method's choice or in its own
// dialog: the document is the one before the change, nothing to undo.
TEST_F(SynthesisChoice, CancelledMethodRestoresTheYearsOfData) {
    const ModelInput before = m();
    struct Row {
        const char *what;
        std::optional<int> method;
    } rows[] = {{"method choice cancelled", std::nullopt}, {"years to average cancelled", 0}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        prompter.methods = {r.method};
        prompter.averageYears = {std::nullopt};
        typeYear(view->synthYearsEdit(), "5");
        EXPECT_EQ(m(), before);
        EXPECT_EQ(view->synthYearsEdit()->text(), "3");
        EXPECT_EQ(view->synthesizedModel()->rowCount(), 3);
        EXPECT_FALSE(doc->isModified());
        EXPECT_EQ(doc->undoStack()->count(), 0);
    }
    // A method that runs keeps the new count.
    prompter.methods = {1};
    prompter.givenYears = {2};
    typeYear(view->synthYearsEdit(), "5");
    EXPECT_EQ(m().synthesizedYears(), 5);
    EXPECT_EQ(m().synthesizeFormat, SynthesizedGivenYear);
}
