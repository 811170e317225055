// What a current desktop program does, through the real windows: Ctrl+W
// closes the active document, the Window menu lists every window (graphs
// too) by its shown title, Escape closes the help, the location list's
// toggles work from the keyboard, a paste that does not fit says so, and a
// new document says what it holds.
#include "editor/choice_dialogs.h"
#include "editor/help_window.h"
#include "editor/main_frame.h"
#include "editor/output_doc.h"
#include "editor/vekview_doc.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "shell_test_support.h"

#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUndoStack>

#include <gtest/gtest.h>

using namespace vek;
using vek::test::ShellTest;

namespace {

QStringList windowList(CMainFrame *f) {
    emit f->windowMenu()->aboutToShow();
    QStringList out;
    bool after = false;
    for (QAction *a : f->windowMenu()->actions()) {
        if (a->isSeparator()) {
            after = true;
            continue;
        }
        if (after) out << a->text();
    }
    return out;
}

} // namespace

TEST_F(ShellTest, CtrlWClosesTheActiveDocument) {
    ASSERT_TRUE(shell->startUp({}, false));
    CMainFrame *f = shell->mainFrame();
    f->show();
    QApplication::setActiveWindow(f);
    shell->openDocumentFile(fixture("shell/model.vek", "a.vek"));
    shell->openDocumentFile(fixture("shell/model.vek", "b.vek"));
    ASSERT_EQ(shell->modelDocuments().size(), 2u);
    QTest::keyClick(f, Qt::Key_W, Qt::ControlModifier);
    ASSERT_EQ(shell->modelDocuments().size(), 1u);
    EXPECT_EQ(shell->modelDocuments()[0]->path(), dir + "/a.vek");
}

TEST_F(ShellTest, WindowMenuListsShownTitlesAndTheGraphs) {
    ASSERT_TRUE(shell->startUp({}, false));
    CMainFrame *f = shell->mainFrame();
    auto *doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(fixture("shell/model.vek", "model.vek")));
    ASSERT_NE(doc, nullptr);
    doc->setModified(true);
    QObject *out = shell->openDocumentFile(fixture("viewer/two_locations.out", "two.out"));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(windowList(f), QStringList({"&1 model.vek*", "&2 two.out"}));
    doc->setModified(false);
    EXPECT_EQ(windowList(f), QStringList({"&1 model.vek", "&2 two.out"}));

    // The graphs are windows too, listed after the documents; they close
    // with their report.
    VEKOutputView *view = outputView(out);
    view->locationList()->item(0)->setSelected(true);
    view->yearList()->item(0)->setSelected(true);
    view->plotButton()->click();
    ASSERT_EQ(view->graphs().size(), 2u);
    const QStringList listed = windowList(f);
    ASSERT_EQ(listed.size(), 4);
    EXPECT_TRUE(listed.contains("&3 Diversion/Recharge Data"));
    EXPECT_TRUE(listed.contains("&4 Stream Depletion/Accretion Data"));
    QPointer<GraphView> graph = view->graphs()[0];
    shell->closeDocument(out, false);
    test::flushDeletes();
    EXPECT_TRUE(graph.isNull());
    EXPECT_EQ(windowList(f), QStringList({"&1 model.vek"}));
}

TEST_F(ShellTest, NewDocumentSaysItIsUntitledAndEmpty) {
    ASSERT_TRUE(shell->startUp({}, false));
    CVEKViewDoc *doc = shell->newModelDocument();
    EXPECT_EQ(doc->title(), "Untitled 1");
    auto *form = qobject_cast<CVEKViewView *>(shell->frameOf(doc)->view());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->historicalCaption()->toolTip(), "Historical CU of Ground Water for Well: <NONE>");
    EXPECT_EQ(form->synthesizedCaption()->toolTip(), "Synthesized CU of Ground Water for Well: <NONE>");
    EXPECT_EQ(form->runEndEdit()->text(), "");
    EXPECT_EQ(form->inputStartEdit()->text(), "");
    EXPECT_EQ(form->inputEndEdit()->text(), "");
}

TEST(WindowConventions, EscapeClosesTheHelp) {
    test::testApp();
    HelpWindow *help = HelpWindow::showTopic();
    ASSERT_NE(help, nullptr);
    QApplication::setActiveWindow(help);
    QPointer<HelpWindow> alive = help;
    QTest::keyClick(help->browser(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull() || !alive->isVisible());
}

// A choice dialog's caption is drawn by the window manager, in its own
// (often bold) font, beside the title bar's buttons: each dialog, as it
// opens, is wide enough for the whole caption and three buttons.
TEST(WindowConventions, ChoiceDialogsShowTheirWholeCaption) {
    test::testApp();
    std::vector<std::unique_ptr<QDialog>> dialogs;
    dialogs.push_back(std::make_unique<SynthesisMethodDialog>());
    dialogs.push_back(std::make_unique<AverageYearsDialog>(1980, 2004));
    dialogs.push_back(std::make_unique<GivenYearDialog>(1980, 2004));
    dialogs.push_back(std::make_unique<CycleDialog>(1980, 2004));
    dialogs.push_back(std::make_unique<ImportOptionsDialog>());
    dialogs.push_back(std::make_unique<SoilMoistureDialog>());
    for (const auto &dlg : dialogs) {
        dlg->show();
        QApplication::processEvents();
        QFont bold = dlg->font();
        bold.setBold(true);
        const int buttons = 3 * dlg->style()->pixelMetric(QStyle::PM_TitleBarButtonSize);
        EXPECT_GE(dlg->width(), QFontMetrics(bold).horizontalAdvance(dlg->windowTitle()) + buttons)
            << dlg->windowTitle().toStdString();
        dlg->hide();
    }
}

using FormKeys = test::FormFixture;

TEST_F(FormKeys, SpaceTogglesTypeOutputAndPumpingRecord) {
    SpreadsheetView *list = view->locationTable();
    list->setFocus();
    const Location before = doc->model().locations[1];
    for (int col : {2, 3, 4}) {
        list->setCurrentIndex(list->model()->index(1, col));
        QTest::keyClick(list, Qt::Key_Space);
    }
    const Location &after = doc->model().locations[1];
    EXPECT_EQ(after.LocationType, RechargeSite);
    EXPECT_EQ(after.UseInOutput, 0);
    EXPECT_EQ(after.UsePumpingRecord, before.UsePumpingRecord) << "a recharge site has no pumping record";
    EXPECT_EQ(test::cellText(list, 1, 2), "Recharge site");
    EXPECT_EQ(test::cellText(list, 1, 3), "no");
    EXPECT_EQ(doc->undoStack()->count(), 2);
}

TEST_F(FormKeys, APasteThatDoesNotFitSaysHowMuchWasLeftOut) {
    SpreadsheetView *h = view->historicalTable();
    h->setFocus();
    h->setCurrentIndex(h->model()->index(2, 10)); // the last year, OCT is the last column
    QGuiApplication::clipboard()->setText("1\t2\t3\n4\t5\t6\n");
    view->pasteIntoHistoricalTable();
    EXPECT_EQ(test::cellText(h, 2, 10), "1");
    EXPECT_EQ(test::cellText(h, 2, 11), "2");
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_EQ(statuses.last(), "4 pasted values fell outside the table and were not pasted.");
}

// Print Preview opens over most of the screen with the whole page in view,
// for the form and for a report.
TEST_F(ShellTest, PrintPreviewOpensLargeWithTheWholePage) {
    ASSERT_TRUE(shell->startUp({}, false));
    CMainFrame *f = shell->mainFrame();
    f->show();
    QObject *out = shell->openDocumentFile(fixture("viewer/two_locations.out", "two.out"));
    shell->openDocumentFile(fixture("shell/model.vek", "model.vek"));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (QObject *doc : {static_cast<QObject *>(shell->modelDocuments()[0]), out}) {
        shell->mainFrame()->mdiArea()->setActiveSubWindow(shell->frameOf(doc));
        QSize seen;
        int zoom = -1;
        QTimer::singleShot(0, [&] {
            auto *dlg = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            seen = dlg->size();
            if (auto *w = dlg->findChild<QPrintPreviewWidget *>()) zoom = w->zoomMode();
            dlg->reject();
        });
        f->action(CMainFrame::ID_FILE_PRINT_PREVIEW)->trigger();
        EXPECT_GE(seen.width(), area.width() * 7 / 10);
        EXPECT_GE(seen.height(), area.height() * 7 / 10);
        EXPECT_EQ(zoom, QPrintPreviewWidget::FitInView);
    }
}

// The Run button stands out on a light and on a dark tool bar alike.
TEST_F(ShellTest, RunIconShowsOnLightAndDarkToolBars) {
    ASSERT_TRUE(shell->startUp({}, false));
    const QImage icon = shell->mainFrame()->action(CMainFrame::ID_VEK_RUN)->icon().pixmap(20).toImage();
    ASSERT_FALSE(icon.isNull());
    for (QColor bar : {QColor(0xef, 0xef, 0xef), QColor(0x35, 0x35, 0x38)}) {
        double contrast = 0;
        int drawn = 0;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x) {
                const QColor c = icon.pixelColor(x, y);
                if (c.alpha() < 128) continue;
                contrast += std::abs(qGray(c.rgb()) - qGray(bar.rgb()));
                ++drawn;
            }
        ASSERT_GT(drawn, 40);
        EXPECT_GT(contrast / drawn, 60.0) << bar.name().toStdString();
    }
}

// The note under the run range is whole, inside its frame and in view, at
// the window sizes people use.
TEST_F(FormKeys, RunRangeNoteIsWholeAtCommonSizes) {
    auto *note = qobject_cast<QLabel *>(view->control(1067));
    QWidget *frame = view->control(1063);
    ASSERT_NE(note, nullptr);
    ASSERT_NE(frame, nullptr);
    for (QSize size : {QSize(1024, 600), QSize(1024, 700), QSize(1280, 720), QSize(1366, 650), QSize(1920, 1000)}) {
        view->resize(size);
        QApplication::processEvents();
        const std::string where = std::to_string(size.width()) + "x" + std::to_string(size.height());
        EXPECT_GE(note->width(), note->sizeHint().width()) << where;
        EXPECT_GE(note->height(), note->sizeHint().height()) << where;
        EXPECT_TRUE(frame->rect().contains(QRect(note->mapTo(frame, QPoint(0, 0)), note->size()))) << where;
        EXPECT_TRUE(view->viewport()->rect().contains(QRect(note->mapTo(view->viewport(), QPoint(0, 0)), note->size())))
            << where;
    }
}

// Undo and Redo pressed in a year field that has just committed its value
// undo and redo the document's change, and the field shows it.
TEST_F(ShellTest, UndoAndRedoKeysInAYearFieldAreTheDocuments) {
    ASSERT_TRUE(shell->startUp({}, false));
    CMainFrame *f = shell->mainFrame();
    f->show();
    QApplication::setActiveWindow(f);
    auto *doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(fixture("examples/river_valley.vek", "m.vek")));
    ASSERT_NE(doc, nullptr);
    auto *form = qobject_cast<CVEKViewView *>(shell->frameOf(doc)->view());
    QLineEdit *end = form->runEndEdit();
    end->setFocus();
    end->selectAll();
    QTest::keyClicks(end, "2016");
    QTest::keyClick(end, Qt::Key_Return);
    ASSERT_EQ(doc->model().outputEndYear, 2016);
    QTest::keyClick(end, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc->model().outputEndYear, 2024);
    EXPECT_EQ(end->text(), "2024");
    QTest::keyClick(end, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(doc->model().outputEndYear, 2016);
    EXPECT_EQ(end->text(), "2016");
    // While typing, the keys are the field's own.
    QTest::keyClicks(end, "9");
    QTest::keyClick(end, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(end->text(), "2016");
    EXPECT_EQ(doc->model().outputEndYear, 2016);
}
