// The "Well Pumping Record" dialog on a real document: table layout, clamped
// edits, the CFS / Ac-Ft radios, OK with and without confirmation, Cancel.
#include "editor/pumping_record_dialog.h"
#include "editor/pumping_record_model.h"
#include "editor_test_support.h"
#include "grid/spreadsheet_view.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace vek;
using vek::test::cellText;
using vek::test::columnHeader;
using vek::test::rowHeader;

namespace {

class PumpingDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        vek::test::testApp();
        doc = std::make_unique<CVEKViewDoc>(&prompter);
        vek::test::fillSmallModel(doc->document());
        Location &w = well();
        w.Units = 0;
        for (int mo = 0; mo < 12; ++mo)
            for (int k = 0; k < 3; ++k) {
                w.pumpingFlow[mo][k] = 0.5f + static_cast<float>(mo);
                w.daysOn[mo][k] = static_cast<float>(10 + k);
            }
        w.daysOn[4][1] = 0.0f;
        dlg = std::make_unique<PumpingRecordDialog>(doc.get(), 0);
    }
    Location &well() { return doc->model().locations[0]; }
    // Row and column as the record counts them: months from 1, the
    // efficiencies in column 1.
    void typeCell(int row, int col, const QString &text) { vek::test::typeCell(dlg->table(), row - 1, col - 1, text); }
    QString shown(int row, int col) const { return cellText(dlg->table(), row - 1, col - 1); }

    vek::test::ScriptedPrompter prompter;
    std::unique_ptr<CVEKViewDoc> doc;
    std::unique_ptr<PumpingRecordDialog> dlg;
};

} // namespace

TEST_F(PumpingDialogTest, TableFollowsUnitsAndYearType) {
    SpreadsheetView *g = dlg->table();
    EXPECT_TRUE(dlg->cfsRadio()->isChecked());
    EXPECT_EQ(g->model()->columnCount(), 7);
    EXPECT_EQ(g->model()->rowCount(), 12);
    EXPECT_EQ(g->cornerText(), "Month");
    EXPECT_EQ(columnHeader(g, 0), "App. Eff. (0.0-1.0)");
    EXPECT_EQ(columnHeader(g, 3), "1991 Flow Rate");
    EXPECT_EQ(columnHeader(g, 4), "1991 Days On");
    EXPECT_EQ(rowHeader(g, 0), "NOV");
    EXPECT_EQ(cellText(g, 1, 1), "1.5");
    dlg->acFtRadio()->click();
    EXPECT_EQ(g->model()->columnCount(), 4);
    EXPECT_EQ(columnHeader(g, 2), "1991 Flow Volume");

    CVEKViewDoc emptyDoc(&prompter);
    emptyDoc.document().insertLocations(0, 1);
    PumpingRecordDialog noYears(&emptyDoc, 0);
    EXPECT_EQ(noYears.table()->model()->columnCount(), 1) << "efficiencies only, beside the months";
}

TEST_F(PumpingDialogTest, EditsAreClampedAndStored) {
    typeCell(1, 1, "1.7");
    EXPECT_FLOAT_EQ(well().efficiency[0], 1.0f);
    EXPECT_EQ(shown(1, 1), "1");
    typeCell(2, 4, "-3");
    EXPECT_FLOAT_EQ(well().pumpingFlow[1][1], 0.0f);
    EXPECT_EQ(shown(2, 4), "0");
    typeCell(2, 5, "21");
    EXPECT_FLOAT_EQ(well().daysOn[1][1], 21.0f);
    EXPECT_TRUE(doc->isModified()) << "a changed record must not be lost unsaved";
}

TEST_F(PumpingDialogTest, CfsToAcFtAndBackThroughTheRadios) {
    const Location before = well();
    dlg->acFtRadio()->click();
    EXPECT_EQ(well().Units, 1);
    EXPECT_FLOAT_EQ(well().pumpingFlow[2][0], 2.5f * 10.0f * 1.9835f);
    EXPECT_EQ(shown(3, 2), QString::asprintf("%g", double(2.5f * 10.0f * 1.9835f)));
    dlg->acFtRadio()->click(); // already volumes: nothing converts again
    EXPECT_FLOAT_EQ(well().pumpingFlow[2][0], 2.5f * 10.0f * 1.9835f);

    dlg->cfsRadio()->click();
    EXPECT_EQ(well().Units, 0);
    for (int mo = 0; mo < 12; ++mo)
        for (int k = 0; k < 3; ++k) {
            if (mo == 4 && k == 1) continue;
            EXPECT_NEAR(well().pumpingFlow[mo][k], before.pumpingFlow[mo][k], 1e-5) << mo << "," << k;
        }
    EXPECT_FLOAT_EQ(well().pumpingFlow[4][1], 0.0f) << "zero days on: the rate is lost";
    EXPECT_FLOAT_EQ(well().daysOn[4][1], 1.0f);
}

TEST_F(PumpingDialogTest, OkComputesOnlyAfterConfirmation) {
    const auto hist = well().historicalData;
    prompter.okCancel = {false};
    dlg->okButton()->click();
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(well().historicalData, hist);
    EXPECT_EQ(well().UsePumpingRecord, 0);
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0], "This will update the consumptive use of groundwater for the well.  Continue?");

    PumpingRecordDialog again(doc.get(), 0);
    prompter.okCancel = {true};
    again.okButton()->click();
    EXPECT_EQ(well().UsePumpingRecord, 1);
    EXPECT_FLOAT_EQ(well().historicalData[0][2], 0.5f * 1.0f * 12.0f * 1.9835f);
}

TEST_F(PumpingDialogTest, CancelRestoresEverything) {
    const Location before = well();
    doc->setModified(false);
    typeCell(1, 1, "0.25");
    typeCell(3, 3, "30");
    dlg->acFtRadio()->click();
    typeCell(5, 4, "99");
    dlg->cancelButton()->click();
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    const Location &after = well();
    EXPECT_EQ(after.Units, before.Units);
    EXPECT_EQ(after.efficiency, before.efficiency);
    EXPECT_EQ(after.pumpingFlow, before.pumpingFlow);
    EXPECT_EQ(after.daysOn, before.daysOn);
    EXPECT_EQ(after.historicalData, before.historicalData);
    EXPECT_FALSE(doc->isModified());
}

TEST_F(PumpingDialogTest, ResizingGrowsTableAndMovesButtonsDown) {
    dlg->show();
    const QRect table = dlg->table()->geometry(), ok = dlg->okButton()->geometry();
    dlg->resize(dlg->size() + QSize(120, 60));
    QApplication::processEvents();
    EXPECT_EQ(dlg->table()->geometry(), table.adjusted(0, 0, 120, 60));
    EXPECT_EQ(dlg->okButton()->geometry(), ok.translated(0, 60));
}
