// The input form driven through its real widgets: year edits, location list
// clicks and edits, table edits and pastes, New / Delete, refills and the
// resize rule, each checked against the document.
#include "editor/choice_dialogs.h"
#include "editor/location_list_model.h"
#include "editor/month_table_model.h"
#include "editor/pumping_record_dialog.h"
#include "editor/qt_prompter.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "grid/spreadsheet_view.h"
#include "model/year_types.h"
#include "support/test_files.h"
#include "support/text_recorder.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace vek;
using vek::test::cellText;
using vek::test::columnHeader;
using vek::test::CountingPrompter;
using vek::test::rowHeader;
using vek::test::typeCell;

namespace {

class FormTest : public vek::test::FormFixture {
  protected:
    void SetUp() override { vek::test::testApp(); }
    // A form over the small model (or over an empty document).
    void open(bool withModel = true) {
        if (withModel)
            openForm();
        else
            openForm(nullptr);
    }
};

} // namespace

TEST_F(FormTest, FirstYearIntoEmptyDocumentMakesOneHistoricalYear) {
    open(false);
    typeYear(view->inputStartEdit(), "1987");
    EXPECT_EQ(m().inputStartYear, 1987);
    EXPECT_EQ(m().inputEndYear, 1987);
    EXPECT_EQ(m().historicalYears(), 1);
    EXPECT_EQ(m().synthesizedYears(), 0);
    EXPECT_EQ(view->inputEndEdit()->text(), "1987");
    EXPECT_TRUE(doc->isModified());
}

TEST_F(FormTest, FirstYearKeepsSynthesizedYearsOfAnEmptyPeriodInStep) {
    open(false);
    doc->document().insertLocations(0, 1);
    m().synthStartYear = 0;
    m().synthEndYear = -1;
    doc->document().addSynthesizedYear();
    doc->document().addSynthesizedYear();
    const int held = m().locations[0].synthesizedCount();
    typeYear(view->inputStartEdit(), "2000");
    EXPECT_EQ(m().historicalYears(), 1);
    EXPECT_EQ(m().synthStartYear, 2001);
    EXPECT_EQ(m().synthesizedYears(), held) << "the period agrees with the columns";
}

TEST_F(FormTest, FirstYearBelowOneOrUnchangedChangesNothing) {
    open();
    for (const char *typed : {"0", "-5", "abc", "", "1990"}) {
        typeYear(view->inputStartEdit(), typed);
        EXPECT_EQ(m().inputStartYear, 1990) << typed;
        EXPECT_EQ(m().historicalYears(), 3) << typed;
    }
    EXPECT_TRUE(prompter.questions.empty());
}

TEST_F(FormTest, FirstYearEarlierAddsYearsLaterAsksBeforeShortening) {
    open();
    typeYear(view->inputStartEdit(), "1988");
    EXPECT_EQ(m().inputStartYear, 1988);
    EXPECT_EQ(m().locations[0].historicalCount(), 5);
    EXPECT_FLOAT_EQ(m().locations[0].historicalData[3][2], 3.0f) << "old first year moved two rows down";

    prompter.yesNo = {false};
    typeYear(view->inputStartEdit(), "1990");
    EXPECT_EQ(m().inputStartYear, 1988) << "No keeps the period";
    EXPECT_EQ(view->inputStartEdit()->text(), "1988") << "and the field shows it again";
    prompter.yesNo = {true};
    typeYear(view->inputStartEdit(), "1990");
    EXPECT_EQ(m().inputStartYear, 1990);
    EXPECT_EQ(m().locations[0].historicalCount(), 3);
    ASSERT_EQ(prompter.questions.size(), 2u);
    EXPECT_EQ(prompter.questions[0],
              "Warning: you are shortening your input period of record.  Input data will be lost.  Continue?");
}

TEST_F(FormTest, FirstYearPastTheLastYearEmptiesThePeriodSafely) {
    open();
    prompter.yesNo = {true};
    typeYear(view->inputStartEdit(), "2010");
    EXPECT_EQ(m().inputStartYear, 2010);
    EXPECT_EQ(m().historicalYears(), 0);
    EXPECT_EQ(m().locations[0].historicalCount(), 0);
    EXPECT_EQ(m().synthesizedYears(), m().locations[0].synthesizedCount());
}

TEST_F(FormTest, LastYearGrowsAndShrinks) {
    open();
    typeYear(view->inputEndEdit(), "1994");
    EXPECT_EQ(m().inputEndYear, 1994);
    EXPECT_EQ(m().locations[1].historicalCount(), 5);
    prompter.yesNo = {true};
    typeYear(view->inputEndEdit(), "1000"); // below the start: the start year
    EXPECT_EQ(m().inputStartYear, 1990);
    EXPECT_EQ(m().inputEndYear, 1990);
    EXPECT_EQ(m().locations[0].historicalCount(), 1);
    EXPECT_FLOAT_EQ(m().locations[0].historicalData[5][0], 5.0f);
}

TEST_F(FormTest, LastYearOfEmptyPeriodMakesOneYear) {
    open(false);
    typeYear(view->inputEndEdit(), "2005");
    EXPECT_EQ(m().inputStartYear, 2005);
    EXPECT_EQ(m().historicalYears(), 1);
}

TEST_F(FormTest, YearsOfDataNoRestoresAndGrowingFromZeroAsksForMethod) {
    open();
    prompter.yesNo = {false};
    typeYear(view->synthYearsEdit(), "1");
    EXPECT_EQ(m().synthesizedYears(), 3);
    EXPECT_EQ(view->synthYearsEdit()->text(), "3");
    EXPECT_EQ(prompter.methodQuestions, 0);

    prompter.yesNo = {true};
    typeYear(view->synthYearsEdit(), "0");
    EXPECT_EQ(m().synthesizedYears(), 0);
    EXPECT_EQ(prompter.methodQuestions, 0) << "no method for no years";

    prompter.methods = {1};
    prompter.givenYears = {0};
    typeYear(view->synthYearsEdit(), "1");
    EXPECT_EQ(m().synthesizedYears(), 1);
    EXPECT_EQ(prompter.methodQuestions, 1);
    EXPECT_EQ(m().locations[0].synthesizedCount(), 1);
}

TEST_F(FormTest, EnterCommitsEveryYearEditWithoutClosing) {
    open();
    typeYear(view->inputStartEdit(), "1989");
    EXPECT_EQ(m().inputStartYear, 1989);
    typeYear(view->inputEndEdit(), "1993");
    EXPECT_EQ(m().inputEndYear, 1993);
    prompter.methods = {1};
    prompter.givenYears = {0};
    typeYear(view->synthYearsEdit(), "4");
    EXPECT_EQ(m().synthesizedYears(), 4);
    typeYear(view->runEndEdit(), "1996");
    EXPECT_EQ(m().outputEndYear, 1996);
    typeYear(view->runEndEdit(), "1200"); // never before the run start
    EXPECT_EQ(m().outputEndYear, 1989);
    EXPECT_TRUE(view->isVisible());
}

TEST_F(FormTest, FullRefillKeepsRunRange) {
    open();
    auto *start = view->runStartList();
    ASSERT_EQ(start->count(), 6);
    EXPECT_EQ(start->itemText(0), "1990");
    EXPECT_EQ(start->itemText(5), "1995");
    start->setCurrentIndex(2);
    QMetaObject::invokeMethod(start, "activated", Q_ARG(int, 2));
    EXPECT_EQ(m().outputStartYear, 1992);
    typeYear(view->runEndEdit(), "1994");
    EXPECT_EQ(m().outputEndYear, 1994);

    view->onUpdate(ViewHint::EverythingButMonthHeaders);
    EXPECT_EQ(start->currentIndex(), 2);
    EXPECT_EQ(m().outputStartYear, 1992);
    EXPECT_EQ(m().outputEndYear, 1994);
    EXPECT_EQ(view->runEndEdit()->text(), "1994");
}

TEST_F(FormTest, LocationListClicksToggleAndRestore) {
    open();
    SpreadsheetView *list = view->locationTable();
    m().locations[1].UsePumpingRecord = 1;
    view->onUpdate(ViewHint::EverythingButMonthHeaders);
    EXPECT_EQ(cellText(list, 1, 4), "yes");

    click(list, 1, 2);
    EXPECT_EQ(view->selectedLocation(), 1);
    EXPECT_EQ(m().locations[1].LocationType, 1);
    EXPECT_EQ(cellText(list, 1, 2), "Recharge site");
    EXPECT_EQ(cellText(list, 1, 4), "NA");
    click(list, 1, 4); // a recharge site keeps "NA"
    EXPECT_EQ(cellText(list, 1, 4), "NA");
    EXPECT_EQ(m().locations[1].UsePumpingRecord, 1);
    click(list, 1, 2);
    EXPECT_EQ(m().locations[1].LocationType, -1);
    EXPECT_EQ(cellText(list, 1, 2), "Irrig. well");
    EXPECT_EQ(cellText(list, 1, 4), "yes");

    click(list, 0, 3);
    EXPECT_EQ(m().locations[0].UseInOutput, 0);
    EXPECT_EQ(cellText(list, 0, 3), "no");
    click(list, 0, 4);
    EXPECT_EQ(m().locations[0].UsePumpingRecord, 1);
    EXPECT_FALSE(view->historicalTable()->isEnabled()) << "values come from the pumping record";
    EXPECT_FALSE(view->historicalModel()->flags(view->historicalModel()->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(doc->isModified());
}

TEST_F(FormTest, CaptionsFollowSelectionUnitsAndMethod) {
    open();
    auto *hist = view->historicalCaption();
    auto *synth = view->synthesizedCaption();
    auto *units = view->historicalUnits();
    EXPECT_EQ(hist->property("caption").toString(), "Historical CU of Ground Water for Well North");
    EXPECT_EQ(synth->property("caption").toString(),
              "Synthesized CU of Ground Water for Well North (synthesized using historical data year 1991)");
    EXPECT_EQ(units->text(), "Monthly AC-FT    <Irrigation Year>");
    SpreadsheetView *h = view->historicalTable();
    EXPECT_EQ(columnHeader(h, 0), "NOV");
    EXPECT_EQ(columnHeader(h, 11), "OCT");
    EXPECT_EQ(rowHeader(h, 2), "1992");
    EXPECT_EQ(h->cornerText(), "Year");
    EXPECT_EQ(rowHeader(view->synthesizedTable(), 0), "1993");
    click(view->locationTable(), 1, 2);
    EXPECT_EQ(hist->property("caption").toString(), "Historical Net Recharge for Site South");

    // A caption longer than the window widens its frame and shows whole;
    // the form scrolls.
    m().locations[1].name = std::string(200, 'W');
    view->onUpdate(ViewHint::Tables);
    QApplication::processEvents();
    EXPECT_EQ(synth->title(), synth->property("caption").toString());
    EXPECT_LE(synth->fontMetrics().horizontalAdvance(synth->title()), synth->width());
    EXPECT_GT(synth->width(), view->viewport()->width());
    EXPECT_EQ(synth->toolTip(), synth->property("caption").toString());
}

TEST_F(FormTest, LocationNameAndFactorEdits) {
    open();
    SpreadsheetView *list = view->locationTable();
    typeCell(list, 1, 0, "  Well 7  ");
    EXPECT_EQ(m().locations[1].name, "Well 7");
    EXPECT_EQ(view->selectedLocation(), 1);
    EXPECT_EQ(view->historicalCaption()->property("caption").toString(),
              "Historical CU of Ground Water for Well Well 7");
    typeCell(list, 1, 1, "123.50");
    EXPECT_FLOAT_EQ(m().locations[1].VEK, 123.5f);
    EXPECT_EQ(cellText(list, 1, 1), "123.5");
    // Text that is no number is refused, never stored as 0.
    for (const char *typed : {"nan", "123.50days", "-"}) {
        typeCell(list, 0, 1, typed);
        EXPECT_FLOAT_EQ(m().locations[0].VEK, 250.0f) << typed;
        EXPECT_EQ(cellText(list, 0, 1), "250") << typed;
    }
}

TEST_F(FormTest, HistoricalEditStoresAndFlagsStaleSynthesis) {
    open();
    SpreadsheetView *h = view->historicalTable();
    typeCell(h, 0, 2, "42.25");
    EXPECT_FLOAT_EQ(m().locations[0].historicalData[2][0], 42.25f);
    EXPECT_EQ(cellText(h, 0, 2), "42.25");
    EXPECT_FALSE(doc->document().historicalDataChanged) << "year 0 is not the given year 1";
    typeCell(h, 1, 2, "7");
    EXPECT_TRUE(doc->document().historicalDataChanged);

    // A cycle draws on projYearStart .. projYearStart + projYearEnd.
    doc->document().historicalDataChanged = false;
    m().synthesizeFormat = 3;
    m().projYearStart = 1;
    m().projYearEnd = 1;
    typeCell(h, 2, 2, "8");
    EXPECT_TRUE(doc->document().historicalDataChanged);
}

TEST_F(FormTest, SynthesizedEditWithinToleranceKeepsValueAndMethod) {
    open();
    SpreadsheetView *s = view->synthesizedTable();
    struct Row {
        const char *typed;
        float stored;
        int method;
        const char *shown;
        bool modified; // only a change of the document marks it
    } rows[] = {
        {"1000.00005", 1000.0f, 2, "1000", false},
        {"1000.5", 1000.5f, 4, "1000.5", true},
    };
    for (const auto &r : rows) {
        typeCell(s, 0, 0, r.typed);
        EXPECT_FLOAT_EQ(m().locations[0].synthesizedData[0][0], r.stored) << r.typed;
        EXPECT_EQ(m().synthesizeFormat, r.method) << r.typed;
        EXPECT_EQ(cellText(s, 0, 0), r.shown) << r.typed;
        EXPECT_EQ(doc->isModified(), r.modified) << r.typed;
    }
    EXPECT_TRUE(
        view->synthesizedCaption()->property("caption").toString().endsWith(" (synthesized data is user-defined)"));
}

TEST_F(FormTest, PastedBlockActsAsTypedCellsSkippingReadOnly) {
    open();
    SpreadsheetView *h = view->historicalTable();
    h->setCurrentIndex(h->model()->index(1, 10));
    EXPECT_EQ(h->pasteText("5, 6\t7\n8,9"), 4) << "the third column falls outside and is dropped";
    EXPECT_FLOAT_EQ(m().locations[0].historicalData[10][1], 5.0f);
    EXPECT_FLOAT_EQ(m().locations[0].historicalData[11][1], 6.0f);
    EXPECT_FLOAT_EQ(m().locations[0].historicalData[10][2], 8.0f);
    EXPECT_FLOAT_EQ(m().locations[0].historicalData[11][2], 9.0f);
    EXPECT_FLOAT_EQ(m().locations[0].historicalData[9][1], 109.0f) << "left of the target untouched";
    EXPECT_TRUE(doc->document().historicalDataChanged);

    SpreadsheetView *list = view->locationTable();
    list->setCurrentIndex(list->model()->index(0, 0));
    list->pasteText("Alpha\t12\tRecharge site\tno\tyes\nBeta\t13");
    EXPECT_EQ(m().locations[0].name, "Alpha");
    EXPECT_FLOAT_EQ(m().locations[0].VEK, 12.0f);
    EXPECT_EQ(m().locations[0].LocationType, -1) << "read-only columns skipped";
    EXPECT_EQ(m().locations[0].UseInOutput, 1);
    EXPECT_EQ(cellText(list, 0, 2), "Irrig. well");
    EXPECT_EQ(m().locations[1].name, "Beta");
    EXPECT_FLOAT_EQ(m().locations[1].VEK, 13.0f);
}

TEST_F(FormTest, NewValidatesCountAndSelectsFirst) {
    open();
    struct Row {
        const char *typed;
        const char *message;
    } rows[] = {
        {"x", "Please enter an integer."},
        {"2.5", "Please enter an integer."},
        {"0", "Please enter an integer between 1 and 1000."},
        {"1001", "Please enter an integer between 1 and 1000."},
    };
    QLineEdit *toAdd = view->toAddEdit();
    for (const auto &r : rows) {
        prompter.messages.clear();
        toAdd->setText(r.typed);
        view->OnNew();
        ASSERT_EQ(prompter.messages.size(), 1u) << r.typed;
        EXPECT_EQ(prompter.messages[0], r.message);
        EXPECT_EQ(m().locations.size(), 2u);
    }
    click(view->locationTable(), 1, 0);
    EXPECT_EQ(view->selectedLocation(), 1);
    toAdd->setText("3");
    QTest::mouseClick(view->newButton(), Qt::LeftButton);
    ASSERT_EQ(m().locations.size(), 5u);
    EXPECT_EQ(m().locations[4].name, "<none>");
    EXPECT_EQ(m().locations[4].historicalCount(), 3);
    EXPECT_EQ(toAdd->text(), "1");
    EXPECT_EQ(view->selectedLocation(), 0);
    EXPECT_EQ(cellText(view->locationTable(), 4, 0), "<none>");
    EXPECT_EQ(cellText(view->locationTable(), 4, 4), "no");
}

TEST_F(FormTest, DeleteRemovesChosenLocationsAndSelectsFirst) {
    open();
    doc->document().insertLocations(2, 2);
    m().locations[2].name = "Third";
    m().locations[3].name = "Fourth";
    view->onUpdate(ViewHint::EverythingButMonthHeaders);
    click(view->locationTable(), 2, 0);
    prompter.deletions = {std::vector<int>{0, 3, 1}}; // order as a careless caller might give
    view->OnDelete();
    ASSERT_EQ(prompter.deleteLists.size(), 1u);
    EXPECT_EQ(prompter.deleteLists[0], (std::vector<std::string>{"North", "South", "Third", "Fourth"}));
    ASSERT_EQ(m().locations.size(), 1u);
    EXPECT_EQ(m().locations[0].name, "Third");
    EXPECT_EQ(view->selectedLocation(), 0);

    view->OnDelete(); // Cancel: a refill, nothing removed
    EXPECT_EQ(m().locations.size(), 1u);
}

TEST_F(FormTest, ResizeGrowsListAndTablesWithoutDrift) {
    open();
    QWidget *page = view->widget();
    const QSize base = page->minimumSize();
    view->resize(base);
    QApplication::processEvents();
    ASSERT_EQ(page->size(), base);
    auto geom = [&](QWidget *w) { return QRect(w->mapTo(page, QPoint(0, 0)), w->size()); };
    QWidget *hist = view->historicalTable(), *synth = view->synthesizedTable(), *list = view->locationTable();
    QLineEdit *runEnd = view->runEndEdit();
    const QRect hist0 = geom(hist), synth0 = geom(synth), run0 = geom(runEnd), list0 = geom(list);

    view->resize(base + QSize(100, 90));
    QApplication::processEvents();
    ASSERT_EQ(page->size(), base + QSize(100, 90));
    EXPECT_EQ(geom(hist).width(), hist0.width() + 100);
    EXPECT_EQ(geom(synth).width(), synth0.width() + 100);
    EXPECT_EQ(geom(list).width(), list0.width() + 100);
    EXPECT_GT(geom(hist).height(), hist0.height());
    EXPECT_GT(geom(synth).height(), synth0.height());
    EXPECT_GT(geom(list).height(), list0.height());
    EXPECT_EQ(geom(runEnd).top(), run0.top() + 90) << "the run range stays at the bottom";

    for (int i = 0; i < 9; ++i) { // many one-pixel steps, then back
        view->resize(view->size() + QSize(1, 1));
        QApplication::processEvents();
    }
    view->resize(base);
    QApplication::processEvents();
    EXPECT_EQ(geom(hist), hist0);
    EXPECT_EQ(geom(synth), synth0);
    EXPECT_EQ(geom(runEnd), run0);

    view->resize(200, 150); // smaller than the form: it scrolls, nothing moves
    QApplication::processEvents();
    EXPECT_EQ(page->size(), base);
    EXPECT_EQ(geom(synth), synth0);
}

TEST_F(FormTest, PropertiesConvertAndRefreshTheForm) {
    open();
    doc->showProperties(view.get());
    PropertiesDialog *props = doc->propertiesDialog();
    ASSERT_NE(props, nullptr);
    EXPECT_TRUE(props->yearTypeButton(vek::IrrigationYear)->isChecked());
    EXPECT_TRUE(props->unitsButton(vek::MonthlyAcreFeet)->isChecked());
    EXPECT_TRUE(props->daysRuleButton(false)->isChecked());

    prompter.choices = {"Change the Year Type", "Change the Year Type"}; // a year added, values dropped
    props->yearTypeButton(vek::CalendarYear)->click();                   // Calendar
    EXPECT_EQ(m().yearMode, 0);
    EXPECT_EQ(columnHeader(view->historicalTable(), 0), "JAN");
    props->yearTypeButton(vek::IrrigationYear)->click();
    EXPECT_EQ(m().yearMode, 1);
    EXPECT_EQ(columnHeader(view->historicalTable(), 0), "NOV");

    const float feb = m().locations[0].historicalData[3][2];
    const float days = (m().inputStartYear + 2) % 4 == 0 ? 29.0f : 28.0f;
    props->unitsButton(vek::AverageDailyAcreFeet)->click(); // daily
    EXPECT_EQ(m().unitMode, 0);
    EXPECT_FLOAT_EQ(m().locations[0].historicalData[3][2], feb / days);
    EXPECT_EQ(view->historicalUnits()->text(), "Daily AC-FT    <Irrigation Year>");

    doc->setModified(false);
    props->daysRuleButton(true)->click();
    EXPECT_TRUE(m().useAvgDaysPerMonth);
    EXPECT_TRUE(doc->isModified());
    EXPECT_FLOAT_EQ(m().locations[0].historicalData[3][2], feb / days) << "the rule converts nothing";
    props->hide();
    m().yearMode = 2;
    doc->showProperties(view.get());
    EXPECT_TRUE(props->yearTypeButton(vek::UsgsYear)->isChecked()) << "radios follow the document each time it shows";
}

TEST_F(FormTest, CellEditUnderWayEndsBeforeAConversion) {
    open();
    SpreadsheetView *s = view->synthesizedTable();
    s->setCurrentIndex(s->model()->index(0, 1));
    s->edit(s->currentIndex());
    ASSERT_NE(s->cellEditor(), nullptr);
    s->cellEditor()->setText("77");
    view->endCellEdit();
    EXPECT_FALSE(s->isEditing());
    EXPECT_FLOAT_EQ(m().locations[0].synthesizedData[1][0], 77.0f);
}

TEST_F(FormTest, RecalculateFillsSynthesizedYearsAndClearsStaleFlag) {
    open();
    doc->document().historicalDataChanged = true;
    prompter.methods = {0};
    prompter.averageYears = {std::vector<int>{1, 2}};
    QTest::mouseClick(view->recalculateButton(), Qt::LeftButton);
    EXPECT_EQ(prompter.methodQuestions, 1);
    EXPECT_FLOAT_EQ(m().locations[0].synthesizedData[4][1], 154.0f) << "(104 + 204) / 2";
    EXPECT_EQ(cellText(view->synthesizedTable(), 1, 4), "154");
    EXPECT_FALSE(doc->document().historicalDataChanged);
    EXPECT_TRUE(view->synthesizedCaption()->property("caption").toString().endsWith(
        " (synthesized using average of historical data from 1991 to 1992)"));
}

TEST_F(FormTest, QtPrompterDrivesTheRealCycleDialog) {
    QtPrompter qt;
    QTimer::singleShot(0, [] {
        auto *dlg = qobject_cast<CycleDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        dlg->startList()->setCurrentIndex(2);
        dlg->startList()->hidePopup();
        dlg->endList()->setCurrentIndex(1);
        dlg->accept();
    });
    auto answer = qt.chooseCycle(1990, 1999);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, std::make_pair(2, 1));

    QTimer::singleShot(0, [] {
        if (QWidget *w = QApplication::activeModalWidget()) static_cast<QDialog *>(w)->reject();
    });
    EXPECT_FALSE(qt.chooseItemsToDelete({"a", "b"}, -1).has_value());
}

TEST_F(FormTest, FormPrintsToAFile) {
    open();
    const QString pdf = QString::fromStdString(vek::test::freshDir("form_print")) + "/form.pdf";
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    view->renderForm(&printer);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");

    // What the page holds: the form as it is shown, the selected location's
    // values included.
    test::typeCell(view->historicalTable(), 1, 3, "4321.5");
    QCoreApplication::processEvents();
    vek::test::TextRecorder page(QSize(1100, 850));
    QPainter painter(&page);
    view->renderPage(painter, QRectF(0, 0, 1100, 850));
    painter.end();
    for (const char *shown : {"Historical Start Year:", "1990", "1992", "North", "South", "Wells/Recharge Sites", "NOV",
                              "OCT", "4321.5", "1011", "by well/recharge site"})
        EXPECT_TRUE(page.texts.contains(QString::fromUtf8(shown))) << shown << " not printed";
    EXPECT_TRUE(page.texts.contains("Historical CU of Ground Water for Well North"));
}

TEST_F(FormTest, PumpingRecordButtonComputesAndRefreshesTheForm) {
    open();
    m().locations[0].Units = 1;
    for (int mo = 0; mo < 12; ++mo)
        m().locations[0].pumpingFlow[mo] = {10.0f, 20.0f, 30.0f};
    prompter.okCancel = {true};
    QTimer::singleShot(0, [] {
        auto *dlg = qobject_cast<PumpingRecordDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        dlg->okButton()->click();
    });
    QTest::mouseClick(view->pumpingRecordButton(), Qt::LeftButton);
    EXPECT_FLOAT_EQ(m().locations[0].historicalData[7][2], 30.0f);
    EXPECT_EQ(cellText(view->historicalTable(), 2, 7), "30");
    EXPECT_EQ(cellText(view->locationTable(), 0, 4), "yes");
    EXPECT_FALSE(view->historicalTable()->isEnabled());

    click(view->locationTable(), 1, 2); // a recharge site has no pumping record
    EXPECT_FALSE(view->pumpingRecordButton()->isEnabled());
}
