// The response method and response tables dialogs driven as a user would:
// the location list's method column opens the method dialog, OK is one undo
// step, unusable parameters are refused, the chart draws the core's curves,
// the factor calculator goes both ways in both units, and every table change
// (import, rename, delete, shares) is a step that keeps the locations'
// references sound. Models of infinite-aquifer locations alone save as
// before.
#include "editor/factor_calculator.h"
#include "editor/help_window.h"
#include "editor/response_curve_chart.h"
#include "editor/response_edits.h"
#include "editor/response_method_dialog.h"
#include "editor/response_tables_dialog.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "model/input_file.h"
#include "support/test_files.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <QtCharts/QLineSeries>

#include <gtest/gtest.h>

#include <memory>

using namespace vek;
using vek::test::typeCell;

namespace {

class ResponseDialogTest : public vek::test::FormFixture {
  protected:
    void SetUp() override {
        vek::test::testApp();
        openForm(vek::test::fillSmallModel, 1000);
    }
    const QUndoStack *stack() { return doc->undoStack(); }
    // A table dialog whose questions and messages go to the test.
    std::unique_ptr<ResponseTablesDialog> tablesDialog() {
        auto dlg = std::make_unique<ResponseTablesDialog>(doc.get());
        dlg->askYesNo = [this](const QString &q) {
            questions << q;
            return !answers.empty() && answers.takeFirst();
        };
        dlg->showMessage = [this](const QString &t) { messages << t; };
        return dlg;
    }
    QString writeCsv(const std::string &name, const std::string &text) {
        const std::string dir = vek::test::freshDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        vek::test::writeFile(dir + "/" + name, text);
        return QString::fromStdString(dir + "/" + name);
    }

    QStringList questions, messages;
    QList<bool> answers;
};

// The value a chart series draws at day t (its samples are evenly spaced).
double drawnAt(const QLineSeries *s, double t) {
    for (const QPointF &p : s->points())
        if (std::abs(p.x() - t) < 1e-9) return p.y();
    ADD_FAILURE() << "no sample at day " << t;
    return -1.0;
}

TEST_F(ResponseDialogTest, MethodColumnOpensTheDialogWhoseOkIsOneStep) {
    SpreadsheetView *list = view->locationTable();
    EXPECT_EQ(test::columnHeader(list, 5), "Response Method");
    EXPECT_EQ(test::cellText(list, 1, 5), "Infinite aquifer");
    EXPECT_FALSE(list->model()->index(1, 5).flags() & Qt::ItemIsEditable);
    QTimer::singleShot(0, [] {
        auto *dlg = qobject_cast<ResponseMethodDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->methodList()->currentIndex(), 0);
        EXPECT_EQ(dlg->factorEdit()->text(), "0");
        dlg->methodList()->setCurrentIndex(static_cast<int>(ResponseMethod::AlluvialAquifer));
        dlg->factorEdit()->setText("1000");
        dlg->ratioEdit()->setText("0.5");
        dlg->daysEdit()->setText("4800");
        // The chart draws the core's alluvial response and, beside it, the
        // infinite aquifer of the same factor.
        const QLineSeries *curve = dlg->chart()->curveSeries();
        const QLineSeries *reference = dlg->chart()->referenceSeries();
        ASSERT_EQ(curve->count(), ResponseCurveChart::kSamples + 1);
        const auto alluvial = engine::StepResponse::alluvialAquifer(1000.0, static_cast<double>(0.5f));
        const auto infinite = engine::StepResponse::infiniteAquifer(1000.0);
        for (double t : {0.0, 1000.0, 3000.0, 4800.0}) {
            EXPECT_DOUBLE_EQ(drawnAt(curve, t), alluvial(t)) << t;
            EXPECT_DOUBLE_EQ(drawnAt(reference, t), infinite(t)) << t;
        }
        EXPECT_NEAR(drawnAt(curve, 1000.0), 0.512987281, 1e-9); // the method's published check
        EXPECT_TRUE(reference->isVisible());
        dlg->okButton()->click();
    });
    test::clickCell(list, 1, 5);

    const Location &south = m().locations[1];
    EXPECT_EQ(south.response.method, ResponseMethod::AlluvialAquifer);
    EXPECT_EQ(south.response.aOverW, 0.5f);
    EXPECT_EQ(south.VEK, 1000.0f);
    EXPECT_EQ(test::cellText(list, 1, 5), "Alluvial, a/W 0.5");
    EXPECT_EQ(test::cellText(list, 1, 1), "1000");
    EXPECT_EQ(view->selectedLocation(), 1) << "the location clicked stays selected";
    ASSERT_EQ(stack()->count(), 1);
    EXPECT_EQ(stack()->undoText(), "Change Response Method");
    EXPECT_TRUE(doc->isModified());
    doc->undo();
    EXPECT_TRUE(m().locations[1].response.isInfiniteAquifer());
    EXPECT_EQ(m().locations[1].VEK, 0.0f);
    EXPECT_EQ(test::cellText(list, 1, 5), "Infinite aquifer");
    EXPECT_FALSE(doc->isModified());

    // Cancel, or OK without a change, records nothing.
    for (bool ok : {false, true}) {
        QTimer::singleShot(0, [ok] {
            auto *dlg = qobject_cast<ResponseMethodDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            if (ok) {
                dlg->okButton()->click();
            } else {
                dlg->methodList()->setCurrentIndex(static_cast<int>(ResponseMethod::StreambedResistance));
                dlg->lambdaEdit()->setText("3");
                dlg->reject();
            }
        });
        view->OnResponseMethod();
    }
    EXPECT_EQ(stack()->count(), 1);
    EXPECT_EQ(stack()->index(), 0);
    EXPECT_TRUE(m().locations[0].response.isInfiniteAquifer());
    // F1 in either dialog opens a help page of its own.
    EXPECT_TRUE(HelpWindow::hasTopic(QStringLiteral("response_methods")));
}

TEST_F(ResponseDialogTest, UnusableParametersAreRefusedWithTheReason) {
    ResponseMethodDialog dlg(doc.get(), 0);
    struct Case {
        ResponseMethod method;
        const char *sdf, *field, *why;
    };
    const Case cases[] = {
        {ResponseMethod::InfiniteAquifer, "-1", "", "0 or more days"},
        {ResponseMethod::InfiniteAquifer, "12 days", "", "as a number of days"},
        {ResponseMethod::InfiniteAquifer, "1e60", "", "cannot hold so large a number"},
        {ResponseMethod::AlluvialAquifer, "100", "1", "a/W is 1"},
        {ResponseMethod::AlluvialAquifer, "100", "0.99999999", "a/W is 1"}, // 1 once stored as a float
        {ResponseMethod::AlluvialAquifer, "100", "-0.1", "a/W is -0.1"},
        {ResponseMethod::AlluvialAquifer, "100", "", "Type a/W"},
        {ResponseMethod::StreambedResistance, "100", "0", "lambda' is 0"},
        {ResponseMethod::StreambedResistance, "100", "x", "Type \u03bb\u2032"},
        {ResponseMethod::ResponseTable, "100", "", "no response table yet"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.sdf) + " / " + c.field);
        dlg.methodList()->setCurrentIndex(static_cast<int>(c.method));
        dlg.factorEdit()->setText(QString::fromLatin1(c.sdf));
        dlg.ratioEdit()->setText(QString::fromLatin1(c.field));
        dlg.lambdaEdit()->setText(QString::fromLatin1(c.field));
        EXPECT_TRUE(dlg.problem().contains(QString::fromUtf8(c.why))) << dlg.problem().toStdString();
        EXPECT_EQ(dlg.problemLabel()->text(), dlg.problem());
        EXPECT_FALSE(dlg.okButton()->isEnabled());
        EXPECT_EQ(dlg.chart()->curveSeries()->count(), 0);
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_TRUE(m().locations[0].response.isInfiniteAquifer());
        EXPECT_EQ(stack()->count(), 0);
    }
    // A table whose cumulative share passes 1 is refused too.
    putResponseTable(m(), {"Too much", {0.6f, 0.6f}, false});
    doc->resetHistory();
    ResponseMethodDialog withTable(doc.get(), 0);
    withTable.methodList()->setCurrentIndex(static_cast<int>(ResponseMethod::ResponseTable));
    EXPECT_TRUE(withTable.problem().startsWith("Response table \"Too much\": ")) << withTable.problem().toStdString();
}

// Parameters of other methods do not stay behind: the model equals what its
// saved file reads back as.
TEST_F(ResponseDialogTest, ChangingTheMethodClearsTheOldParameters) {
    m().locations[0].response = {ResponseMethod::AlluvialAquifer, 0.6f, 0.0f, ""};
    doc->resetHistory();
    ResponseMethodDialog dlg(doc.get(), 0);
    EXPECT_EQ(dlg.ratioEdit()->text(), "0.6");
    dlg.methodList()->setCurrentIndex(static_cast<int>(ResponseMethod::StreambedResistance));
    dlg.lambdaEdit()->setText("2.5");
    dlg.accept();
    EXPECT_EQ(m().locations[0].response, (ResponseSettings{ResponseMethod::StreambedResistance, 0.0f, 2.5f, ""}));
    ResponseMethodDialog back(doc.get(), 0);
    back.methodList()->setCurrentIndex(static_cast<int>(ResponseMethod::InfiniteAquifer));
    back.accept();
    EXPECT_EQ(m().locations[0].response, ResponseSettings{});
    EXPECT_EQ(stack()->count(), 2);
}

TEST_F(ResponseDialogTest, FactorCalculatorGoesBothWaysInEitherUnit) {
    ResponseMethodDialog dlg(doc.get(), 0);
    FactorCalculator *calc = dlg.calculator();
    calc->distanceEdit()->setText("1000");
    calc->storativityEdit()->setText("0.2");
    calc->transmissivityEdit()->setText("20000");
    calc->toFactorButton()->click();
    EXPECT_EQ(dlg.factorEdit()->text(), "10");

    // Metres: a and T convert, S does not, and the factor stays.
    calc->metresRadio()->click();
    EXPECT_EQ(calc->distanceEdit()->text(), "304.8");
    EXPECT_EQ(calc->transmissivityEdit()->text(), "1858.06");
    EXPECT_EQ(calc->storativityEdit()->text(), "0.2");
    dlg.factorEdit()->clear();
    calc->toFactorButton()->click();
    EXPECT_NEAR(typedNumber(dlg.factorEdit()->text()).value(), 10.0, 1e-4);

    // Back from the factor: a, S and T in turn.
    dlg.factorEdit()->setText("40");
    calc->solveList()->setCurrentIndex(1);
    calc->fromFactorButton()->click();
    EXPECT_EQ(calc->storativityEdit()->text(), "0.8");
    calc->solveList()->setCurrentIndex(0);
    calc->storativityEdit()->setText("0.1");
    calc->fromFactorButton()->click();
    EXPECT_EQ(calc->distanceEdit()->text(), shownNumber(std::sqrt(40.0 * 1858.06 / 0.1)));
    calc->solveList()->setCurrentIndex(2);
    calc->distanceEdit()->setText("100");
    calc->fromFactorButton()->click();
    EXPECT_EQ(calc->transmissivityEdit()->text(), "25");
    EXPECT_EQ(dlg.factorEdit()->text(), "40") << "solving never changes the factor";

    // A solution that is no property is refused, and the field stays.
    dlg.factorEdit()->setText("1000");
    calc->solveList()->setCurrentIndex(1);
    calc->fromFactorButton()->click();
    EXPECT_EQ(calc->storativityEdit()->text(), "0.1");
    EXPECT_TRUE(calc->resultLabel()->text().startsWith("The storage coefficient S is 2.5"))
        << calc->resultLabel()->text().toStdString();
    calc->storativityEdit()->setText("1.5");
    calc->toFactorButton()->click();
    EXPECT_EQ(dlg.factorEdit()->text(), "1000");

    // a/W from the boundary's distance, lambda' from the streambed's
    // conductance; each only for its own method.
    dlg.methodList()->setCurrentIndex(static_cast<int>(ResponseMethod::AlluvialAquifer));
    EXPECT_TRUE(calc->ratioButton()->isVisibleTo(&dlg));
    EXPECT_FALSE(calc->lambdaButton()->isVisibleTo(&dlg));
    calc->feetRadio()->click();
    calc->distanceEdit()->setText("1000");
    calc->boundaryEdit()->setText("2500");
    calc->ratioButton()->click();
    EXPECT_EQ(dlg.ratioEdit()->text(), "0.4");
    calc->boundaryEdit()->setText("900");
    calc->ratioButton()->click();
    EXPECT_EQ(dlg.ratioEdit()->text(), "0.4");
    EXPECT_TRUE(calc->resultLabel()->text().contains("greater than the distance to the stream"));
    dlg.methodList()->setCurrentIndex(static_cast<int>(ResponseMethod::StreambedResistance));
    EXPECT_TRUE(calc->lambdaButton()->isVisibleTo(&dlg));
    calc->transmissivityEdit()->setText("20000");
    calc->conductanceEdit()->setText("2");
    calc->lambdaButton()->click();
    EXPECT_EQ(dlg.lambdaEdit()->text(), "0.1");
}

TEST_F(ResponseDialogTest, ImportedTablesComeInAsOneStepAndReplaceOnlyWhenAllowed) {
    const QString csv = writeCsv("basin.csv", "month,Basin A,Basin B\n1,0.1,0.2\n2,0.2,0.3\n3,0.3,\n");
    auto dlg = tablesDialog();
    dlg->importFile(csv);
    ASSERT_EQ(m().responseTables.size(), 2u);
    EXPECT_EQ(m().responseTables[0], (UnitResponseTable{"Basin A", {0.1f, 0.2f, 0.3f}, false}));
    EXPECT_EQ(m().responseTables[1].shares, (std::vector<float>{0.2f, 0.3f}));
    EXPECT_EQ(stack()->count(), 1);
    EXPECT_EQ(stack()->undoText(), "Import Response Tables");
    EXPECT_EQ(dlg->tableList()->count(), 2);
    EXPECT_EQ(dlg->currentTable(), "Basin A");
    EXPECT_EQ(test::cellText(dlg->sharesTable(), 2, 1), "0.6") << "cumulative share";
    EXPECT_TRUE(questions.isEmpty());

    // The same file again: No keeps the model's table and brings the new one
    // in beside it; Yes replaces.
    m().responseTables[0].shares = {0.05f};
    m().responseTables[1].shares = {0.05f};
    answers = {false, true};
    dlg->importFile(csv);
    ASSERT_EQ(questions.size(), 2);
    EXPECT_TRUE(questions[0].startsWith("The model has a response table \"Basin A\" already. Replace it"));
    ASSERT_EQ(m().responseTables.size(), 3u);
    EXPECT_EQ(m().responseTables[0].shares, std::vector<float>{0.05f});
    EXPECT_EQ(m().responseTables[1].shares, (std::vector<float>{0.2f, 0.3f}));
    EXPECT_EQ(m().responseTables[2].name, "Basin A (2)");

    // A file that cannot be read changes nothing and says why.
    const int steps = stack()->count();
    dlg->importFile(writeCsv("bad.csv", "month,X\n1,0.1\n3,0.2\n"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("line 3, column 1")) << messages[0].toStdString();
    EXPECT_EQ(stack()->count(), steps);
}

TEST_F(ResponseDialogTest, RenamingAndDeletingKeepTheLocationsSound) {
    putResponseTable(m(), {"Agency 2019", {0.3f, 0.2f}, false});
    putResponseTable(m(), {"Other", {0.1f}, false});
    m().locations[1].response = {ResponseMethod::ResponseTable, 0.0f, 0.0f, "Agency 2019"};
    doc->resetHistory();
    view->onUpdate(ViewHint::EverythingButMonthHeaders);
    auto dlg = tablesDialog();
    dlg->selectTable("Agency 2019");
    EXPECT_TRUE(dlg->usersLabel()->text().contains("South (2)"));

    // Rename in place: the location follows; a taken or empty name is
    // refused and the list shows the name again.
    QListWidgetItem *item = dlg->tableList()->currentItem();
    item->setText("  Agency\t2021 ");
    EXPECT_EQ(m().locations[1].response.table, "Agency 2021");
    EXPECT_EQ(dlg->tableList()->currentItem()->text(), "Agency 2021");
    EXPECT_EQ(test::cellText(view->locationTable(), 1, 5), "Table: Agency 2021");
    for (const char *bad : {"Other", "   "}) {
        dlg->tableList()->currentItem()->setText(QString::fromLatin1(bad));
        EXPECT_EQ(dlg->tableList()->currentItem()->text(), "Agency 2021");
    }
    EXPECT_EQ(messages,
              QStringList({"There is already a response table \"Other\".", "A response table needs a name."}));
    EXPECT_EQ(stack()->count(), 1);
    EXPECT_EQ(stack()->undoText(), "Rename Response Table");

    // Delete a table in use: asked, No by default; Yes sends its user back
    // to the infinite aquifer in the same step.
    dlg->deleteButton()->click();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0].toStdString(), "The response table \"Agency 2021\" is used by 1 location: South (2). Delete "
                                          "it? That location would then respond by the infinite aquifer.");
    EXPECT_EQ(m().responseTables.size(), 2u);
    answers = {true};
    dlg->deleteButton()->click();
    EXPECT_EQ(m().responseTables.size(), 1u);
    EXPECT_TRUE(m().locations[1].response.isInfiniteAquifer());
    EXPECT_EQ(test::cellText(view->locationTable(), 1, 5), "Infinite aquifer");
    EXPECT_EQ(stack()->undoText(), "Delete Response Table");
    doc->undo();
    EXPECT_EQ(m().responseTables.size(), 2u);
    EXPECT_EQ(m().locations[1].response.table, "Agency 2021");
}

TEST_F(ResponseDialogTest, SharesAreTypedPastedAndResizedAsSteps) {
    auto dlg = tablesDialog();
    dlg->addButton()->click();
    ASSERT_EQ(m().responseTables.size(), 1u);
    EXPECT_EQ(m().responseTables[0], (UnitResponseTable{"New table", std::vector<float>(12, 0.0f), false}));
    dlg->addButton()->click();
    EXPECT_EQ(m().responseTables[1].name, "New table (2)");
    dlg->selectTable("New table");

    SpreadsheetView *g = dlg->sharesTable();
    test::typeCell(g, 1, 0, "0.25");
    EXPECT_EQ(m().responseTables[0].shares[1], 0.25f);
    EXPECT_EQ(test::cellText(g, 11, 1), "0.25");
    EXPECT_EQ(stack()->undoText(), "Edit Response Table");
    EXPECT_FALSE(g->model()->index(1, 1).flags() & Qt::ItemIsEditable) << "the cumulative share is computed";

    // Pasting past the last month adds the months the lines need.
    const int steps = stack()->count();
    g->setFocus();
    g->setCurrentIndex(g->model()->index(10, 0));
    QGuiApplication::clipboard()->setText("0.1\n0.2\n0.3\n0.4\n");
    QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(stack()->count(), steps + 1);
    EXPECT_EQ(stack()->undoText(), "Paste into Response Table");
    EXPECT_EQ(m().responseTables[0].shares,
              (std::vector<float>{0, 0.25f, 0, 0, 0, 0, 0, 0, 0, 0, 0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(dlg->monthsSpin()->value(), 14);
    EXPECT_TRUE(dlg->problemLabel()->text().startsWith("The shares of months 1 to 14 add up to 1.25"))
        << dlg->problemLabel()->text().toStdString();

    dlg->monthsSpin()->setValue(3);
    EXPECT_EQ(m().responseTables[0].shares, (std::vector<float>{0, 0.25f, 0}));
    EXPECT_TRUE(dlg->problemLabel()->text().isEmpty());
    dlg->afterList()->setCurrentIndex(1);
    EXPECT_TRUE(m().responseTables[0].afterTableOne);
    EXPECT_EQ(dlg->chart()->curveSeries()->points().back().y(), 1.0) << "the stream takes the rest";
}

// A model of infinite-aquifer locations alone is written as before, also
// after the dialogs were used and their changes undone; a model with methods
// reads back as it was.
TEST_F(ResponseDialogTest, SavedFilesKeepTheirBytes) {
    const std::string dir = vek::test::freshDir("response_dialogs_save");
    const std::string original = vek::test::readFile(vek::test::dataDir() + "/../../examples/river_valley.vek");
    vek::test::writeFile(dir + "/model.vek", original);
    CVEKViewDoc opened(&prompter);
    ASSERT_TRUE(opened.open(QString::fromStdString(dir + "/model.vek")));
    ResponseMethodDialog unchanged(&opened, 1);
    unchanged.accept();
    EXPECT_EQ(opened.undoStack()->count(), 0);
    ResponseMethodDialog alluvial(&opened, 1);
    alluvial.methodList()->setCurrentIndex(static_cast<int>(ResponseMethod::AlluvialAquifer));
    alluvial.ratioEdit()->setText("0.3");
    alluvial.accept();
    addResponseTable(opened);
    opened.undo();
    opened.undo();
    ASSERT_TRUE(opened.save(QString::fromStdString(dir + "/again.vek")));
    EXPECT_EQ(vek::test::readFile(dir + "/again.vek"), original);

    opened.redo();
    opened.redo();
    ASSERT_TRUE(opened.save(QString::fromStdString(dir + "/methods.vek")));
    CVEKViewDoc reread(&prompter);
    ASSERT_TRUE(reread.open(QString::fromStdString(dir + "/methods.vek")));
    EXPECT_TRUE(reread.model() == opened.model());
    EXPECT_EQ(reread.model().locations[1].response.aOverW, 0.3f);
}

} // namespace
