// Undo and redo of every kind of change to a model input document, driven
// through the form and the dialogs as a user would: after Undo the document
// is the one before the change, after Redo the changed one, and undoing back
// to the saved state clears the modified mark. Also the history's memory
// bound and the shell's window titles.
#include "editor/child_frame.h"
#include "editor/main_frame.h"
#include "editor/properties_dialog.h"
#include "editor/pumping_record_dialog.h"
#include "editor/vekview_app.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "grid/spreadsheet_view.h"
#include "model/year_types.h"
#include "support/test_files.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace vek;
using vek::test::cellText;
using vek::test::CountingPrompter;
using vek::test::typeCell;

namespace {

using UndoTest = vek::test::FormFixture;

struct Change {
    const char *undoText;
    std::function<void(UndoTest &)> act;
    std::function<void(UndoTest &)> prepare = {};
};

} // namespace

TEST_F(UndoTest, EveryKindOfChangeIsOneStepThatUndoesAndRedoesExactly) {
    const Change changes[] = {
        {"Edit in Historical Table", [](UndoTest &t) { typeCell(t.view->historicalTable(), 1, 2, "7"); }},
        {"Edit in Synthesized Table", [](UndoTest &t) { typeCell(t.view->synthesizedTable(), 0, 0, "5.5"); }},
        {"Edit in Location List", [](UndoTest &t) { typeCell(t.view->locationTable(), 1, 0, "East"); }},
        {"Paste into Historical Table",
         [](UndoTest &t) {
             SpreadsheetView *h = t.view->historicalTable();
             h->setCurrentIndex(h->model()->index(0, 0));
             QGuiApplication::clipboard()->setText("1\t2\t3\n4\t5\t6");
             t.view->pasteIntoHistoricalTable();
         }},
        {"Paste into Synthesized Table",
         [](UndoTest &t) {
             // The table's own Ctrl+V key is one step too.
             SpreadsheetView *s = t.view->synthesizedTable();
             s->setFocus();
             s->setCurrentIndex(s->model()->index(1, 1));
             QGuiApplication::clipboard()->setText("9,8\n7,6");
             QTest::keyClick(s, Qt::Key_V, Qt::ControlModifier);
         }},
        {"Cut from Historical Table",
         [](UndoTest &t) {
             SpreadsheetView *h = t.view->historicalTable();
             h->selectionModel()->select(QItemSelection(h->model()->index(1, 2), h->model()->index(2, 3)),
                                         QItemSelectionModel::ClearAndSelect);
             h->cut();
         }},
        {"Change Location Type", [](UndoTest &t) { t.click(t.view->locationTable(), 1, 2); }},
        {"New Location", [](UndoTest &t) { t.view->OnNew(); }},
        {"Delete Locations",
         [](UndoTest &t) {
             t.prompter.deletions = {std::vector<int>{0}};
             t.view->OnDelete();
         }},
        {"Change Historical End Year", [](UndoTest &t) { t.typeYear(t.view->inputEndEdit(), "1994"); }},
        {"Change Historical Start Year",
         [](UndoTest &t) {
             t.prompter.yesNo = {true};
             t.typeYear(t.view->inputStartEdit(), "1991");
         }},
        {"Change Synthesized Years",
         [](UndoTest &t) {
             t.prompter.methods = {1};
             t.prompter.givenYears = {0};
             t.typeYear(t.view->synthYearsEdit(), "5");
         }},
        {"Recalculate Synthesized Years",
         [](UndoTest &t) {
             t.prompter.methods = {2};
             t.prompter.cycles = {std::pair<int, int>{0, 2}};
             t.view->OnRecalculate();
         }},
        {"Change Year Type",
         [](UndoTest &t) {
             t.prompter.choices = {"Change the Year Type"}; // it adds a year before the first
             t.doc->showProperties(t.view.get());
             t.doc->propertiesDialog()->yearTypeButton(vek::CalendarYear)->click(); // Calendar
             // The open dialog follows an undo.
             t.doc->undo();
             EXPECT_TRUE(t.doc->propertiesDialog()->yearTypeButton(vek::IrrigationYear)->isChecked());
             t.doc->redo();
             EXPECT_TRUE(t.doc->propertiesDialog()->yearTypeButton(vek::CalendarYear)->isChecked());
             t.doc->propertiesDialog()->hide();
         }},
        {"Change Units",
         [](UndoTest &t) {
             t.doc->showProperties(t.view.get());
             t.doc->propertiesDialog()->unitsButton(vek::AverageDailyAcreFeet)->click(); // Average Daily Ac-Ft
             t.doc->propertiesDialog()->hide();
         }},
        {"Pumping Record", [](UndoTest &t) { vek::test::acceptPumpingRecord(t.view.get(), t.prompter); },
         [](UndoTest &t) {
             for (int mo = 0; mo < 12; ++mo)
                 t.m().locations[0].pumpingFlow[mo] = {10.0f, 20.0f, 30.0f};
             t.doc->resetHistory();
         }},
    };
    for (const Change &c : changes) {
        SCOPED_TRACE(c.undoText);
        SetUp();
        if (c.prepare) c.prepare(*this);
        const ModelInput before = m();
        c.act(*this);
        ASSERT_EQ(doc->undoStack()->count(), 1);
        const QUndoStack *stack = doc->undoStack();
        EXPECT_EQ(stack->undoText(), QString::fromLatin1(c.undoText));
        const ModelInput changed = m();
        const bool changedStale = doc->document().historicalDataChanged;
        EXPECT_TRUE(doc->isModified());

        doc->undo();
        EXPECT_TRUE(m() == before);
        EXPECT_FALSE(m() == changed);
        EXPECT_FALSE(doc->document().historicalDataChanged);
        EXPECT_FALSE(doc->isModified()) << "undone back to the saved state";
        EXPECT_EQ(stack->redoText(), QString::fromLatin1(c.undoText));

        doc->redo();
        EXPECT_TRUE(m() == changed);
        EXPECT_EQ(doc->document().historicalDataChanged, changedStale);
        EXPECT_TRUE(doc->isModified());
    }
}

TEST_F(UndoTest, StepsThatChangeNothingAreNotRecordedNorMarkModified) {
    SpreadsheetView *h = view->historicalTable();
    typeCell(h, 1, 2, "102"); // the value the cell holds, typed again
    typeCell(view->synthesizedTable(), 0, 0, "1000.00001");
    prompter.yesNo = {false}; // shortening refused
    typeYear(view->inputStartEdit(), "1991");
    prompter.deletions = {std::nullopt};
    view->OnDelete();
    // A pumping record edited, then cancelled.
    QTimer::singleShot(0, [] {
        auto *dlg = qobject_cast<PumpingRecordDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        typeCell(dlg->table(), 0, 0, "0.5");
        dlg->reject();
    });
    view->OnPumpingRecord();
    EXPECT_EQ(doc->undoStack()->count(), 0);
    EXPECT_FALSE(doc->isModified());
    EXPECT_FALSE(doc->undoStack()->canUndo());
}

TEST_F(UndoTest, StepsStackAndUndoInOrder) {
    SpreadsheetView *h = view->historicalTable();
    const ModelInput s0 = m();
    typeCell(h, 0, 0, "11");
    const ModelInput s1 = m();
    view->OnNew();
    const ModelInput s2 = m();
    typeCell(h, 0, 1, "12");
    EXPECT_EQ(doc->undoStack()->count(), 3);
    doc->undo();
    EXPECT_TRUE(m() == s2);
    doc->undo();
    EXPECT_TRUE(m() == s1);
    EXPECT_TRUE(doc->isModified());
    doc->undo();
    EXPECT_TRUE(m() == s0);
    EXPECT_FALSE(doc->isModified());
    doc->redo();
    doc->redo();
    EXPECT_TRUE(m() == s2);
    // A new step after undo drops the steps that could have been redone.
    doc->undo();
    typeCell(h, 0, 2, "13");
    EXPECT_FALSE(doc->undoStack()->canRedo());
    EXPECT_EQ(doc->undoStack()->count(), 2);
}

TEST_F(UndoTest, ACellEditUnderWayEndsBeforeUndo) {
    SpreadsheetView *h = view->historicalTable();
    const ModelInput s0 = m();
    h->setCurrentIndex(h->model()->index(0, 0));
    h->edit(h->currentIndex());
    ASSERT_NE(h->cellEditor(), nullptr);
    h->cellEditor()->setText("77");
    doc->undo(); // commits the edit as a step, then undoes it
    EXPECT_FALSE(h->isEditing());
    EXPECT_TRUE(m() == s0);
    EXPECT_EQ(cellText(h, 0, 0), "0");
}

TEST_F(UndoTest, HistoryStaysWithinItsByteBudget) {
    // 150 locations x 400 historical years: about 3 MB of values, so a step
    // that touches every location holds a whole new copy.
    view.reset();
    ModelDocument &d = doc->document();
    d.model = ModelInput{};
    d.model.inputStartYear = 1600;
    d.model.inputEndYear = 1999;
    d.model.synthStartYear = 2000;
    d.model.synthEndYear = 1999;
    d.resetLocations(150);
    doc->setModified(false);
    doc->resetHistory();
    std::vector<ModelInput> states;
    for (int i = 0; i < 40; ++i) {
        states.push_back(d.model);
        {
            auto step = doc->step("Add Year");
            d.addHistoricalYear(d.model.historicalYears() - 1, true);
        }
    }
    const int kept = doc->undoStack()->count();
    EXPECT_LT(kept, 40) << "the oldest steps were dropped";
    EXPECT_GE(kept, 5);
    EXPECT_LE(doc->historyBytes(), CVEKViewDoc::kUndoBytes);
    // The steps kept still undo exactly, and the document stays modified at
    // the oldest one (the saved state was dropped with the older steps).
    for (int i = 0; i < kept; ++i)
        doc->undo();
    EXPECT_TRUE(d.model == states[static_cast<size_t>(40 - kept)]);
    EXPECT_TRUE(doc->isModified());

    // A one-cell step shares the untouched locations: after the first step
    // (whose before state is a whole copy) each costs about one location.
    doc->resetHistory();
    {
        auto step = doc->step("Cell");
        d.setHistoricalValue(3, 10, 4, 1.0f);
    }
    const size_t first = doc->historyBytes();
    {
        auto step = doc->step("Cell");
        d.setHistoricalValue(3, 11, 4, 1.0f);
    }
    EXPECT_GT(first, 150u * 3u * 12u * 400u * sizeof(float)) << "the first step holds the whole document";
    EXPECT_LT(doc->historyBytes() - first, 3u * 12u * 440u * sizeof(float) + 4096u) << "then one location a step";
}

// ---- the shell: titles, shortcuts, status -----------------------------------

namespace {

class ShellUndoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        vek::test::qtTestApp("undo_test", true);
        dir = QString::fromStdString(
            vek::test::freshDir(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        QDir().mkpath(dir + "/settings");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir + "/settings");
        QSettings().clear();
        shell = std::make_unique<CVEKViewApp>();
        shell->documentPrompter = &prompter;
        shell->showMessage = [this](const QString &m) { prompter.message(m.toStdString()); };
        shell->askYesNoCancel = [this](const QString &q) { return prompter.askYesNoCancel(q.toStdString()); };
        shell->chooseOpenFile = [this](const QString &, const QString &) {
            return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
        };
        shell->chooseSaveFile = [this](const QString &, const QString &, const QString &) {
            return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
        };
        ASSERT_TRUE(shell->startUp({}, false));
    }
    void TearDown() override {
        if (shell && shell->mainFrame()) shell->closeAllDocuments();
        shell.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    CVEKViewView *form(CVEKViewDoc *d) { return qobject_cast<CVEKViewView *>(shell->frameOf(d)->view()); }
    QAction *act(int id) { return shell->mainFrame()->action(id); }

    QString dir;
    CountingPrompter prompter;
    std::unique_ptr<CVEKViewApp> shell;
    QStringList openAnswers, saveAnswers;
};

} // namespace

TEST_F(ShellUndoTest, ModifiedMarkFollowsTheStackAndTheSavedState) {
    CVEKViewDoc *d = shell->newModelDocument();
    CMainFrame *f = shell->mainFrame();
    CChildFrame *frame = shell->frameOf(d);
    EXPECT_EQ(frame->windowTitle(), "Untitled 1[*]");
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_FALSE(f->isWindowModified());
    EXPECT_FALSE(act(CMainFrame::ID_EDIT_UNDO)->isEnabled());

    {
        auto step = d->step("New Locations");
        d->document().insertLocations(0, 2);
        d->updateAllViews(ViewHint::EverythingButMonthHeaders);
    }
    EXPECT_TRUE(frame->isWindowModified());
    EXPECT_TRUE(f->isWindowModified());
    EXPECT_TRUE(f->windowTitle().endsWith("[*]"));
    EXPECT_TRUE(act(CMainFrame::ID_EDIT_UNDO)->isEnabled());
    EXPECT_EQ(act(CMainFrame::ID_EDIT_UNDO)->text(), "&Undo New Locations");

    // Saved: the mark goes; a new step brings it back; undoing that step
    // returns to the saved state and clears it again.
    saveAnswers << dir + "/saved.vek";
    ASSERT_TRUE(shell->onFileSaveAs());
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_FALSE(f->isWindowModified());
    EXPECT_EQ(frame->windowTitle(), "saved.vek[*]") << "the file name, not its path";
    EXPECT_TRUE(f->statusText().startsWith("Saved ")) << f->statusText().toStdString();
    QFile saved(dir + "/saved.vek");
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray savedBytes = saved.readAll();

    {
        auto step = d->step("Delete Locations");
        d->document().deleteLocations(0, 1);
        d->updateAllViews(ViewHint::EverythingButMonthHeaders);
    }
    EXPECT_TRUE(frame->isWindowModified());
    act(CMainFrame::ID_EDIT_UNDO)->trigger();
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_FALSE(d->isModified());
    // The undone document saves to the same bytes as the saved one.
    saveAnswers << dir + "/again.vek";
    ASSERT_TRUE(shell->onFileSaveAs());
    QFile again(dir + "/again.vek");
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), savedBytes);
    // Undo past the saved state marks it modified; no prompt needed before
    // that, one after.
    act(CMainFrame::ID_EDIT_UNDO)->trigger();
    EXPECT_TRUE(frame->isWindowModified());
    act(CMainFrame::ID_EDIT_REDO)->trigger();
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_TRUE(shell->closeDocument(d));
    EXPECT_TRUE(prompter.questions.empty()) << "no Save changes? for an unchanged document";
}

TEST_F(ShellUndoTest, ImportIntoTheOpenDocumentUndoes) {
    CVEKViewDoc *d = shell->newModelDocument();
    const ModelInput before = d->model();
    const QString owl = dir + "/wells.owl";
    ASSERT_TRUE(QFile::copy(QString::fromStdString(vek::test::dataPath("imports/two_methods.owl")), owl));
    openAnswers << owl;
    prompter.soilMoisture = {1};
    shell->onImportWendra();
    ASSERT_FALSE(d->model().locations.empty());
    EXPECT_EQ(d->undoStack()->undoText(), "Import From Wendra");
    EXPECT_TRUE(
        shell->mainFrame()->statusText().startsWith(QString("Imported %1 location").arg(d->model().locations.size())))
        << shell->mainFrame()->statusText().toStdString();
    const ModelInput imported = d->model();
    d->undo();
    EXPECT_TRUE(d->model() == before);
    EXPECT_FALSE(d->isModified());
    d->redo();
    EXPECT_TRUE(d->model() == imported);
}

TEST_F(ShellUndoTest, StandardShortcutsAndDistinctMenuLetters) {
    shell->newModelDocument();
    auto has = [this](int id, const QKeySequence &k) { return act(id)->shortcuts().contains(k); };
    EXPECT_TRUE(has(CMainFrame::ID_EDIT_UNDO, QKeySequence(Qt::CTRL | Qt::Key_Z)));
    EXPECT_TRUE(has(CMainFrame::ID_EDIT_REDO, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    EXPECT_TRUE(has(CMainFrame::ID_EDIT_REDO, QKeySequence(Qt::CTRL | Qt::Key_Y)));
    EXPECT_TRUE(has(CMainFrame::ID_FILE_CLOSE, QKeySequence(Qt::CTRL | Qt::Key_W)));
    EXPECT_TRUE(has(CMainFrame::ID_APP_EXIT, QKeySequence(Qt::CTRL | Qt::Key_Q)));
    EXPECT_FALSE(act(CMainFrame::ID_FILE_SAVE_AS)->shortcuts().isEmpty());
    // No two shortcuts of the window's actions are the same key.
    QList<QKeySequence> seen;
    for (QAction *a : shell->mainFrame()->findChildren<QAction *>(Qt::FindDirectChildrenOnly))
        for (const QKeySequence &k : a->shortcuts()) {
            EXPECT_FALSE(seen.contains(k)) << k.toString().toStdString();
            seen << k;
        }
    QList<QChar> letters;
    for (const QString &t : shell->mainFrame()->visibleMenuTitles()) {
        const int amp = t.indexOf('&');
        ASSERT_GE(amp, 0) << t.toStdString();
        const QChar c = t.at(amp + 1).toLower();
        EXPECT_FALSE(letters.contains(c)) << t.toStdString();
        letters << c;
    }
}

TEST_F(ShellUndoTest, RecentFileNotFoundLeavesTheList) {
    const QString gone = dir + "/gone.vek";
    QFile f(gone);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    shell->addToRecentFiles(gone);
    shell->addToRecentFiles(dir + "/kept.vek");
    QFile::remove(gone);
    EXPECT_EQ(shell->openDocumentFile(gone), nullptr);
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.messages.back(), (gone + " was not found.").toStdString());
    EXPECT_EQ(shell->recentFiles(), QStringList{QDir::cleanPath(dir + "/kept.vek")});
}
