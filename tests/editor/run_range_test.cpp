// The run range through the form's refills: a range the form can show is
// kept by every refill and through undo and redo; a range that no longer
// fits is fitted and the status bar says so; a range at the ends of the
// modelled years follows the user's own year edits.
#include "editor/properties_dialog.h"
#include "editor/pumping_record_dialog.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "model/year_types.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace vek;
using vek::test::typeCell;

namespace {

class RunRangeTest : public test::FormFixture {
  public: // the action table's lambdas drive the fixture
    void SetUp() override {
        vek::test::testApp();
        openForm(); // 1990-1992, synthesized 1993-1995
        // A run from the second year to five years past the synthesized ones.
        chooseRunStart(1991);
        typeYear(view->runEndEdit(), "2000");
        doc->resetHistory();
        doc->setModified(false);
    }
    void chooseRunStart(int year) {
        QComboBox *list = view->runStartList();
        const int i = list->findText(QString::number(year));
        ASSERT_GE(i, 0);
        list->setCurrentIndex(i);
        QMetaObject::invokeMethod(list, "activated", Q_ARG(int, i));
    }
    void expectRange(int start, int end) {
        EXPECT_EQ(m().outputStartYear, start);
        EXPECT_EQ(m().outputEndYear, end);
        EXPECT_EQ(view->runStartList()->currentText(), QString::number(start));
        EXPECT_EQ(view->runEndEdit()->text(), QString::number(end));
    }
    void changeYearType(int mode) {
        prompter.choices = {"Change the Year Type"};
        doc->showProperties(view.get());
        doc->propertiesDialog()->yearTypeButton(mode)->click();
        doc->propertiesDialog()->hide();
    }
};

} // namespace

TEST_F(RunRangeTest, EveryRefillKeepsTheRunRange) {
    struct Action {
        const char *what;
        std::function<void(RunRangeTest &)> act;
    };
    const std::vector<Action> actions = {
        {"a cell edit, undone",
         [](RunRangeTest &t) {
             typeCell(t.view->historicalTable(), 0, 0, "5");
             t.doc->undo();
         }},
        {"New location", [](RunRangeTest &t) { t.view->OnNew(); }},
        {"Pumping Record OK", [](RunRangeTest &t) { test::acceptPumpingRecord(t.view.get(), t.prompter); }},
        // December of the first year holds water: a year is added before it.
        {"year type that adds a year, and back",
         [](RunRangeTest &t) {
             t.changeYearType(CalendarYear);
             ASSERT_EQ(t.m().inputStartYear, 1989);
             t.changeYearType(IrrigationYear);
         }},
        {"Years of Data",
         [](RunRangeTest &t) {
             t.prompter.methods = {1};
             t.prompter.givenYears = {0};
             t.typeYear(t.view->synthYearsEdit(), "4");
             ASSERT_EQ(t.m().synthEndYear, 1996);
         }},
        {"End Year",
         [](RunRangeTest &t) {
             t.typeYear(t.view->inputEndEdit(), "1993");
             ASSERT_EQ(t.m().synthEndYear, 1996);
         }},
        {"Recalculate",
         [](RunRangeTest &t) {
             t.prompter.methods = {1};
             t.prompter.givenYears = {1};
             t.view->OnRecalculate();
         }},
        {"Delete, cancelled", [](RunRangeTest &t) { t.view->OnDelete(); }},
    };
    for (const Action &a : actions) {
        SCOPED_TRACE(a.what);
        SetUp();
        a.act(*this);
        expectRange(1991, 2000);
        EXPECT_TRUE(statuses.filter("run").isEmpty()) << statuses.join("; ").toStdString();
    }
}

TEST_F(RunRangeTest, UndoAndRedoOfTheRunStartAndEnd) {
    typeYear(view->runEndEdit(), "1999");
    chooseRunStart(1993);
    expectRange(1993, 1999);
    doc->undo();
    expectRange(1991, 1999);
    doc->undo();
    expectRange(1991, 2000);
    doc->redo();
    expectRange(1991, 1999);
    doc->redo();
    expectRange(1993, 1999);
}

// Shortening the historical period past the run start: the run starts at
// the new first year, keeps its end, and the status bar says so.
TEST_F(RunRangeTest, ARangeThatNoLongerFitsIsFittedAndTold) {
    prompter.yesNo = {true};
    typeYear(view->inputStartEdit(), "1992");
    ASSERT_EQ(m().inputStartYear, 1992);
    expectRange(1992, 2000);
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_TRUE(statuses.last().contains("1991 to 2000")) << statuses.last().toStdString();
    EXPECT_TRUE(statuses.last().contains("1992 to 2000")) << statuses.last().toStdString();
    doc->undo();
    expectRange(1991, 2000);
}

// A run over the whole modelled period stays over it when the user changes
// the years; the status bar tells the new range.
TEST_F(RunRangeTest, ARangeAtThePeriodsEndsFollowsTheYearEdits) {
    chooseRunStart(1990);
    typeYear(view->runEndEdit(), "1995");
    prompter.methods = {1};
    prompter.givenYears = {0};
    typeYear(view->synthYearsEdit(), "5");
    expectRange(1990, 1997);
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_TRUE(statuses.last().contains("1990 to 1997")) << statuses.last().toStdString();
    typeYear(view->inputStartEdit(), "1988");
    expectRange(1988, 1997);
}

// A new document has no years: the run end shows nothing rather than -1.
TEST_F(RunRangeTest, NoYearsShowNoRunEnd) {
    CVEKViewDoc empty(&prompter);
    CVEKViewView form(&empty);
    EXPECT_EQ(form.runEndEdit()->text(), "");
    EXPECT_EQ(form.runStartList()->count(), 0);
}
