// The form's table models under Qt's model tester while the form and the
// document change them: refills, edits, pastes, undo, marks, a document
// replaced under them. Each cell shows what the document holds, read when
// it is asked for: there is no copy to fall out of step.
#include "editor/location_list_model.h"
#include "editor/month_table_model.h"
#include "editor/pumping_record_dialog.h"
#include "editor/pumping_record_model.h"
#include "editor/response_shares_model.h"
#include "editor/response_tables_dialog.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "grid/cell_roles.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

using namespace vek;
using vek::test::cellText;

namespace {

// Collects the model tester's complaints (it reports them as warnings).
QStringList complaints;
void collect(QtMsgType type, const QMessageLogContext &, const QString &text) {
    if (type != QtDebugMsg && text.contains("FAIL")) complaints << text;
}

class TableModels : public vek::test::FormFixture {
  protected:
    void SetUp() override {
        FormFixture::SetUp();
        complaints.clear();
        previous = qInstallMessageHandler(collect);
        for (QAbstractItemModel *m : {static_cast<QAbstractItemModel *>(view->locationModel()),
                                      static_cast<QAbstractItemModel *>(view->historicalModel()),
                                      static_cast<QAbstractItemModel *>(view->synthesizedModel())})
            testers.push_back(
                std::make_unique<QAbstractItemModelTester>(m, QAbstractItemModelTester::FailureReportingMode::Warning));
    }
    void TearDown() override {
        testers.clear();
        qInstallMessageHandler(previous);
        EXPECT_TRUE(complaints.isEmpty()) << complaints.join('\n').toStdString();
    }
    QtMessageHandler previous = nullptr;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
};

} // namespace

TEST_F(TableModels, KeepTheirContractThroughEditsRefillsAndUndo) {
    test::typeCell(view->historicalTable(), 1, 2, "7");
    test::typeCell(view->locationTable(), 1, 0, "East");
    view->synthesizedTable()->setCurrentIndex(view->synthesizedModel()->index(0, 0));
    view->synthesizedTable()->pasteText("1\t2\n3\t4\n5\t6\n7\t8");
    QCoreApplication::processEvents(); // the marks
    view->OnNew();
    prompter.deletions = {std::vector<int>{0, 2}};
    view->OnDelete();
    for (int i = 0; i < 5; ++i)
        doc->undo();
    typeYear(view->inputEndEdit(), "1994");
    doc->updateAllViews(ViewHint::TablesAndMonthHeaders);
    // The whole document replaced by a smaller one.
    doc->document().model = ModelInput{};
    doc->updateAllViews(ViewHint::Everything);
    EXPECT_EQ(view->locationModel()->rowCount(), 0);
    EXPECT_EQ(view->historicalModel()->rowCount(), 0);
}

TEST_F(TableModels, CellsShowWhatTheDocumentHoldsNow) {
    // Changed behind the form's back, with no refill: the next look at the
    // cell shows it.
    m().locations[0].historicalData[4][1] = 12.5f;
    m().locations[1].name = "Renamed";
    EXPECT_EQ(cellText(view->historicalTable(), 1, 4), "12.5");
    EXPECT_EQ(cellText(view->locationTable(), 1, 0), "Renamed");
    // Rows the document no longer holds show nothing until the refill.
    for (auto &col : m().locations[0].historicalData)
        col.clear();
    EXPECT_EQ(cellText(view->historicalTable(), 2, 0), "");
    EXPECT_FALSE(view->historicalModel()->setData(view->historicalModel()->index(2, 0), "1"));
}

TEST_F(TableModels, MarksOfTheValidationAndOfDoubtfulValuesShowTogether) {
    MonthTableModel *h = view->historicalModel();
    CellMarks marks;
    marks[{0, 0}] = {CellMark::LooksWrong, "the first"};
    h->setMarks(marks);
    m().locations[0].historicalData[0][0] = -5.0f; // a well's use below zero also looks wrong
    EXPECT_EQ(h->index(0, 0).data(MarkRole).toInt(), static_cast<int>(CellMark::LooksWrong));
    const QStringList notes = h->index(0, 0).data(Qt::ToolTipRole).toString().split('\n');
    ASSERT_EQ(notes.size(), 2);
    EXPECT_EQ(notes[0], "the first");
    marks[{0, 0}] = {CellMark::Refused, "refused"};
    h->setMarks(marks);
    EXPECT_EQ(h->index(0, 0).data(MarkRole).toInt(), static_cast<int>(CellMark::Refused));
    EXPECT_EQ(h->index(0, 0).data(Qt::ToolTipRole).toString(), "refused") << "the refusal says more";
    EXPECT_EQ(h->index(1, 1).data(MarkRole).toInt(), static_cast<int>(CellMark::None));
}

// The dialogs' models too: the pumping record through a unit switch, the
// response shares through new tables, fewer months and a paste past the last
// month (which adds rows).
TEST_F(TableModels, DialogModelsKeepTheirContractThroughTheirChanges) {
    {
        PumpingRecordDialog record(doc.get(), 0);
        QAbstractItemModelTester tester(record.tableModel(), QAbstractItemModelTester::FailureReportingMode::Warning);
        test::typeCell(record.table(), 2, 1, "12.5");
        record.cfsRadio()->click();
        record.acFtRadio()->click();
        EXPECT_EQ(record.tableModel()->rowCount(), 12);
        EXPECT_EQ(cellText(record.table(), 2, 1), "12.5");
        record.reject();
    }
    ResponseTablesDialog tables(doc.get());
    QAbstractItemModelTester tester(tables.sharesModel(), QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(tables.sharesModel()->rowCount(), 0) << "no table yet";
    tables.addButton()->click();
    tables.addButton()->click();
    tables.selectTable("New table");
    EXPECT_EQ(tables.sharesModel()->rowCount(), 12);
    tables.monthsSpin()->setValue(3);
    EXPECT_EQ(tables.sharesModel()->rowCount(), 3);
    SpreadsheetView *shares = tables.sharesTable();
    shares->setFocus();
    shares->setCurrentIndex(tables.sharesModel()->index(2, ResponseSharesModel::Share));
    QGuiApplication::clipboard()->setText("0.1\n0.2\n0.3");
    QTest::keyClick(shares, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(tables.sharesModel()->rowCount(), 5);
    EXPECT_EQ(cellText(shares, 4, ResponseSharesModel::Cumulative), "0.6");
    tables.selectTable("New table (2)");
    EXPECT_EQ(tables.sharesModel()->rowCount(), 12);
}
