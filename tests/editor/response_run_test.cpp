// A model with one location per response method, made and run from the
// desktop program through its real widgets: the example's wells start on the
// infinite aquifer, the dialogs import the agency's response table and give
// the other three locations their methods, Save writes the example file byte
// for byte, and Run's report, report view and graphs show all four.
#include "editor/child_frame.h"
#include "editor/main_frame.h"
#include "editor/output_doc.h"
#include "editor/response_method_dialog.h"
#include "editor/response_tables_dialog.h"
#include "editor/vekview_app.h"
#include "editor/vekview_doc.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "support/qt_test_app.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"
#include "viewer/graph_view.h"
#include "viewer/vek_output_view.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <functional>

using namespace vek;
namespace t = vek::test;

namespace {

const char *const kNames[] = {"North ditch well 1 (near river)", "Mesa well field", "Upland irrigation well",
                              "Cottonwood recharge pond"};

// Clicks a location's method cell; `inDialog` works the dialog that opens
// (it must close it).
void workMethodDialog(CVEKViewView *form, int location, std::function<void(ResponseMethodDialog *)> inDialog) {
    SpreadsheetView *list = form->locationTable();
    bool seen = false;
    QTimer::singleShot(0, [&seen, inDialog] {
        auto *dlg = qobject_cast<ResponseMethodDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        seen = true;
        inDialog(dlg);
    });
    t::clickCell(list, location, 5);
    EXPECT_TRUE(seen);
}

TEST(ResponseRun, FourMethodsMadeInTheDialogsRunAndShow) {
    t::qtTestApp("response_run_test", true);
    const std::string vek = t::binDir() + "/vek";
    ASSERT_TRUE(QFileInfo(QString::fromStdString(vek)).isExecutable()) << "vek is not built: " << vek;
    const QString dir = QString::fromStdString(t::freshDir("response_run"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir + "/settings");
    QSettings().clear();

    // The example without its response section: every location on the
    // infinite aquifer, and no table.
    const std::string example = t::readFile(t::dataDir() + "/../../examples/aquifer_methods.vek");
    const std::size_t section = example.find("Response methods 1\n");
    ASSERT_NE(section, std::string::npos);
    t::writeFile(dir.toStdString() + "/aquifer_methods.vek", example.substr(0, section));
    const QString csv = QString::fromStdString(t::dataDir() + "/../../examples/cottonwood_pond_urf.csv");

    t::ScriptedPrompter prompter;
    auto shell = std::make_unique<CVEKViewApp>();
    shell->documentPrompter = &prompter;
    shell->showMessage = [&](const QString &m) { prompter.message(m.toStdString()); };
    ASSERT_TRUE(shell->startUp({}, false));
    auto *doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(dir + "/aquifer_methods.vek"));
    ASSERT_NE(doc, nullptr);
    doc->document().programDirectory = t::binDir() + "/";
    auto *form = qobject_cast<CVEKViewView *>(shell->frameOf(doc)->view());
    ASSERT_NE(form, nullptr);
    for (int r = 1; r <= 4; ++r)
        EXPECT_EQ(t::cellText(form->locationTable(), r - 1, 5), "Infinite aquifer");

    // The recharge pond: a unit response table, imported from the agency's
    // file through the Tables... button, completing the step after its last
    // month.
    workMethodDialog(form, 3, [&](ResponseMethodDialog *dlg) {
        dlg->methodList()->setCurrentIndex(static_cast<int>(ResponseMethod::ResponseTable));
        EXPECT_FALSE(dlg->okButton()->isEnabled()) << "no table yet";
        QTimer::singleShot(0, [&] {
            auto *tables = qobject_cast<ResponseTablesDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(tables, nullptr);
            tables->chooseFile = [&] { return csv; };
            tables->importButton()->click();
            ASSERT_EQ(tables->tableList()->count(), 1);
            tables->afterList()->setCurrentIndex(1);
            tables->accept();
        });
        dlg->tablesButton()->click();
        EXPECT_EQ(dlg->tableList()->currentText(), "Cottonwood pond (basin model 2019)");
        ASSERT_TRUE(dlg->okButton()->isEnabled()) << dlg->problem().toStdString();
        dlg->okButton()->click();
    });
    // The valley well: an alluvial aquifer; the upland well: streambed
    // resistance.
    workMethodDialog(form, 1, [](ResponseMethodDialog *dlg) {
        dlg->methodList()->setCurrentIndex(static_cast<int>(ResponseMethod::AlluvialAquifer));
        dlg->ratioEdit()->setText("0.6");
        dlg->okButton()->click();
    });
    workMethodDialog(form, 2, [](ResponseMethodDialog *dlg) {
        dlg->methodList()->setCurrentIndex(static_cast<int>(ResponseMethod::StreambedResistance));
        dlg->lambdaEdit()->setText("2");
        dlg->okButton()->click();
    });
    EXPECT_EQ(t::cellText(form->locationTable(), 1, 5), "Alluvial, a/W 0.6");
    EXPECT_EQ(t::cellText(form->locationTable(), 2, 5), "Streambed, \u03bb\u2032 2");
    EXPECT_EQ(t::cellText(form->locationTable(), 3, 5), "Table: Cottonwood pond (basin model 2019)");
    EXPECT_EQ(doc->undoStack()->count(), 5) << "import, table edit and three methods";

    // Save writes the example as it comes with the program.
    shell->mainFrame()->action(CMainFrame::ID_FILE_SAVE)->trigger();
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(t::readFile(dir.toStdString() + "/aquifer_methods.vek"), example);

    // Run from the menu.
    shell->mainFrame()->action(CMainFrame::ID_VEK_RUN)->trigger();
    ASSERT_EQ(shell->outputDocuments().size(), 1u)
        << (prompter.messages.empty() ? std::string() : prompter.messages.back());
    const std::string report = t::readFile(dir.toStdString() + "/aquifer_methods.out");
    EXPECT_NE(report.find("RESPONSE METHODS OTHER THAN THE INFINITE AQUIFER"), std::string::npos);
    EXPECT_NE(report.find("ALLUVIAL AQUIFER (GLOVER), SDF 2500 DAYS, A/W 0.6"), std::string::npos);
    EXPECT_NE(report.find("STREAMBED RESISTANCE (HUNT 1999), SDF 12000 DAYS, LAMBDA' 2"), std::string::npos);
    EXPECT_NE(report.find("UNIT RESPONSE TABLE \"Cottonwood pond (basin model 2019)\", 48 MONTHS, THEN 1"),
              std::string::npos);

    auto *out = qobject_cast<VEKOutputView *>(shell->frameOf(shell->outputDocuments()[0])->view());
    ASSERT_NE(out, nullptr);
    QListWidget *locs = out->locationList();
    QListWidget *years = out->yearList();
    for (const char *name : kNames)
        EXPECT_EQ(locs->findItems(QString::fromLatin1(name), Qt::MatchStartsWith).size(), 1) << name;
    for (int i = 0; i < locs->count(); ++i)
        locs->item(i)->setSelected(true);
    years->item(0)->setSelected(true);
    years->item(years->count() - 2)->setSelected(true);
    const QString shown = out->reportBox()->toPlainText();
    for (const char *name : kNames)
        EXPECT_TRUE(shown.contains(QString::fromLatin1(name))) << name;

    // The graphs: each location its own series, and each method its own
    // curve of the same kind of pumping.
    out->plotButton()->click();
    ASSERT_EQ(out->graphs().size(), 2u);
    for (GraphView *g : out->graphs()) {
        SCOPED_TRACE(g->built().title.toStdString());
        for (int s = 0; s < 4; ++s)
            EXPECT_TRUE(g->built().legends.value(s).startsWith(QString::fromLatin1(kNames[s])))
                << g->built().legends.value(s).toStdString();
        const auto &series = g->data().series;
        ASSERT_GE(series.size(), 4u);
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b)
                EXPECT_NE(series[static_cast<std::size_t>(a)].values, series[static_cast<std::size_t>(b)].values);
    }

    QList<QPointer<GraphView>> graphs;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *g = qobject_cast<GraphView *>(w)) graphs << g;
    for (const auto &g : graphs)
        delete g.data();
    shell->closeAllDocuments();
}

} // namespace
