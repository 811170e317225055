// The application shell driven as a user would: menus by document type, the
// opening rules, imports, recent files, the remembered working directory,
// save prompts, and a whole session that runs the real engine and plots.
#include "editor/about_dialog.h"
#include "editor/child_frame.h"
#include "editor/help_window.h"
#include "editor/main_frame.h"
#include "editor/output_doc.h"
#include "editor/vekview_app.h"
#include "editor/vekview_doc.h"
#include "editor/vekview_view.h"
#include "model/input_file.h"
#include "shell_test_support.h"
#include "support/qt_test_app.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"
#include "viewer/graph_view.h"
#include "viewer/vek_output_view.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <QUrl>

#include <gtest/gtest.h>

using namespace vek;
using vek::test::clickOn;
using vek::test::flushDeletes;
using vek::test::ShellTest;

TEST_F(ShellTest, MenusFollowTheActiveDocumentType) {
    ASSERT_TRUE(shell->startUp({}, false));
    CMainFrame *f = shell->mainFrame();
    EXPECT_EQ(f->currentMenu(), CMainFrame::IDR_MAINFRAME);
    EXPECT_EQ(menus(), QStringList({"&File", "&View", "&Help"}));
    EXPECT_TRUE(shell->documents().empty()); // no empty document at start-up
    EXPECT_EQ(f->statusText(), "For Help, press F1");
    EXPECT_EQ(f->action(CMainFrame::ID_VEK_RUN)->statusTip(), "Execute the VEK Model");
    EXPECT_EQ(f->action(CMainFrame::ID_PROPERTIES_TOOL)->statusTip(), "Set properties (Units && Year Type)");
    EXPECT_FALSE(f->action(CMainFrame::ID_FILE_PRINT)->isVisible());
    EXPECT_FALSE(f->action(CMainFrame::ID_FILE_EXPORT_EXCEL)->isVisible());

    shell->onFileNew();
    EXPECT_EQ(f->currentMenu(), CMainFrame::IDR_VEKVIETYPE);
    EXPECT_EQ(menus(), QStringList({"&File", "VE&K", "&Edit", "&View", "&Window", "&Help"}));
    EXPECT_TRUE(f->action(CMainFrame::ID_FILE_SAVE)->isVisible());
    EXPECT_TRUE(f->action(CMainFrame::ID_VEK_RUN)->isEnabled());
    EXPECT_TRUE(f->action(CMainFrame::ID_FILE_PRINT_PREVIEW)->isVisible());
    EXPECT_FALSE(f->action(CMainFrame::ID_FILE_EXPORT_EXCEL)->isVisible());
    ASSERT_NE(f->activeChild(), nullptr);
    EXPECT_TRUE(f->activeChild()->isMaximized());

    shell->openDocumentFile(fixture("viewer/two_locations.out", "model.out"));
    EXPECT_EQ(f->currentMenu(), CMainFrame::IDR_VEKOUTTYPE);
    EXPECT_EQ(menus(), QStringList({"&File", "&View", "&Window", "&Help"}));
    EXPECT_FALSE(f->action(CMainFrame::ID_FILE_SAVE)->isVisible());
    EXPECT_FALSE(f->action(CMainFrame::ID_FILE_SAVE_AS)->isVisible());
    EXPECT_FALSE(f->action(CMainFrame::ID_VEK_RUN)->isEnabled());
    EXPECT_EQ(f->windowTitle(), "VEKView - model.out");
    // File > Export to Excel... writes the active report's selection.
    EXPECT_TRUE(f->action(CMainFrame::ID_FILE_PRINT)->isVisible());
    ASSERT_TRUE(f->action(CMainFrame::ID_FILE_EXPORT_EXCEL)->isVisible());
    auto *view = qobject_cast<VEKOutputView *>(f->activeChild()->view());
    ASSERT_NE(view, nullptr);
    view->chooseSaveFile = [this](const QString &, const QString &) { return dir + "/model.xlsx"; };
    view->locationList()->item(0)->setSelected(true);
    view->yearList()->item(0)->setSelected(true);
    f->action(CMainFrame::ID_FILE_EXPORT_EXCEL)->trigger();
    EXPECT_TRUE(QFile::exists(dir + "/model.xlsx"));
    EXPECT_EQ(f->statusText(), "Workbook saved to " + dir + "/model.xlsx");

    shell->onFileClose();
    shell->onFileClose();
    flushDeletes();
    EXPECT_EQ(f->currentMenu(), CMainFrame::IDR_MAINFRAME);
}

// One report window per report file; a report whose name merely ends the
// same way keeps its window.
TEST_F(ShellTest, ReopeningAReportReplacesOnlyItsOwnWindow) {
    ASSERT_TRUE(shell->startUp({}, false));
    const QString model = fixture("viewer/two_locations.out", "model.out");
    const QString other = fixture("viewer/two_locations.out", "other_model.out");
    QObject *otherDoc = shell->openDocumentFile(other);
    QObject *first = shell->openDocumentFile(model);
    ASSERT_NE(first, nullptr);
    QObject *second = shell->openDocumentFile(dir + "/./model.out"); // as a run hands it over, spelt otherwise
    flushDeletes();
    ASSERT_EQ(shell->outputDocuments().size(), 2u);
    EXPECT_EQ(shell->outputDocuments()[0], otherDoc);
    EXPECT_EQ(shell->outputDocuments()[1], second);
    EXPECT_EQ(shell->mainFrame()->mdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(static_cast<CVEKOutputViewDoc *>(second)->title(), model);
}

TEST_F(ShellTest, MissingFileIsReportedAndOpensNothing) {
    ASSERT_TRUE(shell->startUp({}, false));
    EXPECT_EQ(shell->openDocumentFile(dir + "/nothere.vek"), nullptr);
    EXPECT_EQ(shell->openDocumentFile(dir + "/nothere.out"), nullptr);
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0], (dir + "/nothere.vek was not found.").toStdString());
    EXPECT_TRUE(shell->documents().empty());
}

TEST_F(ShellTest, ImportedWellFileSavesAsVekBesideIt) {
    ASSERT_TRUE(shell->startUp({}, false));
    const QString owl = fixture("shell/run1.owl", "run1.owl");
    openAnswers << owl;
    prompter.soilMoisture.push_back(1);
    shell->onImportWendra();
    EXPECT_EQ(openTitles.value(0), "Choose a model data input file.");
    ASSERT_EQ(shell->modelDocuments().size(), 1u);
    CVEKViewDoc *doc = shell->modelDocuments()[0];
    EXPECT_EQ(doc->path(), dir + "/run1.vek");
    EXPECT_EQ(doc->title(), dir + "/run1.vek");
    EXPECT_EQ(shell->dialogFolder(), dir);
    EXPECT_FALSE(doc->model().locations.empty());
    ASSERT_TRUE(shell->onFileSave());
    EXPECT_TRUE(QFile::exists(dir + "/run1.vek"));
    EXPECT_EQ(test::readFile((dir + "/run1.owl").toStdString()), test::readFile(test::dataPath("shell/run1.owl")));
    EXPECT_TRUE(prompter.messages.empty()) << prompter.messages[0];
}

TEST_F(ShellTest, CancelledSoilMoistureChoiceDiscardsTheNewDocument) {
    ASSERT_TRUE(shell->startUp({}, false));
    openAnswers << fixture("shell/run1.owl", "run1.owl");
    shell->onImportWendra(); // the scripted soil-moisture choice is dismissed
    flushDeletes();
    EXPECT_TRUE(shell->documents().empty());
}

// "VEKView CWD" is the file dialogs' starting folder; the process's working
// directory stays where the program was started.
TEST_F(ShellTest, DialogFolderComesFromSettingsOrExamples) {
    // Empty setting: the examples beside the program's folder.
    const QString examples =
        QDir::cleanPath(QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../examples"));
    QDir().mkpath(examples);
    ASSERT_TRUE(shell->startUp({}, false));
    EXPECT_EQ(CVEKViewApp::defaultExamplesDirectory(), examples);
    EXPECT_EQ(shell->dialogFolder(), examples);

    // The dialogs follow an opened file, and the settings keep its folder
    // for the next start at once.
    const QString model = fixture("shell/model.vek", "model.vek");
    QObject *doc = shell->openDocumentFile(model);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(shell->dialogFolder(), dir);
    EXPECT_EQ(QSettings().value("VEKView/VEKView CWD").toString(), dir);
    ASSERT_TRUE(shell->closeDocument(doc)); // just opened: nothing to save
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(QSettings().value("VEKView/VEKView CWD").toString(), dir);
    // A report opened elsewhere moves them; a new document leaves them
    // where the user last worked (not back in the examples).
    QDir().mkpath(dir + "/reports");
    shell->openDocumentFile(fixture("viewer/two_locations.out", "reports/elsewhere.out"));
    EXPECT_EQ(shell->dialogFolder(), dir + "/reports");
    shell->newModelDocument();
    EXPECT_EQ(shell->dialogFolder(), dir + "/reports");
    EXPECT_EQ(QSettings().value("VEKView/VEKView CWD").toString(), dir + "/reports");
    EXPECT_EQ(QDir::currentPath(), startCwd);

    shell->closeAllDocuments();
    shell.reset();
    CVEKViewApp again;
    ASSERT_TRUE(again.startUp({}, false));
    EXPECT_EQ(again.dialogFolder(), dir + "/reports");
    EXPECT_EQ(QDir::currentPath(), startCwd);
}

TEST_F(ShellTest, RecentFilesKeepFourNewestFirst) {
    ASSERT_TRUE(shell->startUp({}, false));
    QStringList paths;
    for (int i = 0; i < 5; ++i)
        paths << fixture("viewer/two_locations.out", QString("r%1.out").arg(i));
    for (const QString &p : paths)
        shell->openDocumentFile(p);
    shell->openDocumentFile(paths[2]);
    EXPECT_EQ(shell->recentFiles(), QStringList({paths[2], paths[4], paths[3], paths[1]}));
    QAction *first = shell->mainFrame()->action(CMainFrame::ID_FILE_MRU_FILE1);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->text().startsWith("&1 "));
}

TEST_F(ShellTest, SavePromptsDecideWhatCloses) {
    ASSERT_TRUE(shell->startUp({}, false));
    CVEKViewDoc *doc = shell->newModelDocument();
    doc->setModified(true);
    shell->openDocumentFile(fixture("viewer/two_locations.out", "a.out"));

    // Cancel: Exit stops, everything stays.
    prompter.yesNoCancel.push_back(Answer::Cancel);
    EXPECT_FALSE(shell->closeAllDocuments());
    EXPECT_EQ(shell->modelDocuments().size(), 1u);
    ASSERT_FALSE(prompter.questions.empty());
    EXPECT_EQ(prompter.questions.back(), "Save changes to Untitled 1?");

    // Yes on a never-saved document asks for a name; cancelling that keeps it.
    prompter.yesNoCancel.push_back(Answer::Yes);
    EXPECT_FALSE(shell->closeDocument(doc));
    EXPECT_EQ(shell->modelDocuments().size(), 1u);

    // Yes with a name saves and closes.
    saveAnswers << dir + "/kept.vek";
    prompter.yesNoCancel.push_back(Answer::Yes);
    EXPECT_TRUE(shell->closeAllDocuments());
    EXPECT_TRUE(QFile::exists(dir + "/kept.vek"));
    EXPECT_TRUE(shell->documents().empty());
}

TEST_F(ShellTest, AboutBoxNamesTheVersion) {
    AboutDialog dlg;
    EXPECT_EQ(dlg.windowTitle(), "About VEKView");
    auto *text = dlg.findChild<QLabel *>("versionText");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), "VEKView 1.2.8");
}

// A whole session: open an example, run the real engine twice, work with the
// report, plot, and close with the right prompts.
TEST_F(ShellTest, EndToEndSessionWithTheRealEngine) {
    QString model;
    CVEKViewDoc *doc = openExampleToRun(model);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(shell->mainFrame()->currentMenu(), CMainFrame::IDR_VEKVIETYPE);

    // A document just opened is its file: the run needs no save, and runs
    // the range the file stores (to 2024, ten years past the synthesized).
    EXPECT_FALSE(doc->isModified());
    ASSERT_TRUE(shell->runDocument(doc)) << (prompter.messages.empty() ? "" : prompter.messages.back());
    EXPECT_TRUE(prompter.questions.empty());
    // The engine ran in the model's folder; the program's working directory
    // is where it was.
    EXPECT_NE(QDir::currentPath(), dir);
    EXPECT_EQ(QDir::currentPath(), startCwd);
    ASSERT_EQ(shell->outputDocuments().size(), 1u);
    CVEKOutputViewDoc *out = shell->outputDocuments()[0];
    EXPECT_EQ(out->title(), dir + "/model.out");
    EXPECT_EQ(shell->mainFrame()->currentMenu(), CMainFrame::IDR_VEKOUTTYPE);
    // The status bar confirms the run, its time and the report's path.
    const QString runStatus = shell->mainFrame()->statusText();
    EXPECT_TRUE(runStatus.startsWith("Run finished in ")) << runStatus.toStdString();
    EXPECT_TRUE(runStatus.endsWith(" s; report " + dir + "/model.out")) << runStatus.toStdString();

    // The same model again: still one report window.
    ASSERT_TRUE(shell->runDocument(doc));
    flushDeletes();
    ASSERT_EQ(shell->outputDocuments().size(), 1u);
    out = shell->outputDocuments()[0];
    VEKOutputView *view = outputView(out);
    ASSERT_NE(view, nullptr);

    // Locations and years, monthly then yearly.
    QListWidget *locs = view->locationList();
    QListWidget *years = view->yearList();
    ASSERT_GE(locs->count(), 4);
    ASSERT_EQ(years->count(), 2024 - 1980 + 2);
    EXPECT_EQ(years->item(years->count() - 2)->text(), "2024");
    locs->item(0)->setSelected(true);
    locs->item(locs->count() - 1)->setSelected(true);
    years->item(0)->setSelected(true);
    years->item(1)->setSelected(true);
    years->item(years->count() - 1)->setSelected(true);
    const QString monthly = view->reportBox()->toPlainText();
    EXPECT_TRUE(monthly.contains("Location: "));
    EXPECT_TRUE(monthly.contains("YEAR\tNOV\tDEC"));
    EXPECT_TRUE(monthly.contains("Avg\t"));
    clickOn(view->yearlyButton());
    EXPECT_TRUE(view->reportBox()->toPlainText().contains("YEAR\tTOTAL\tCUMULATIVE TOTAL"));

    // Irrigation -> Calendar adds a year before the first; the selection
    // stays.
    const int yearCount = years->count();
    clickOn(view->calendarButton());
    EXPECT_EQ(years->count(), yearCount + 1);
    EXPECT_FALSE(view->reportBox()->toPlainText().isEmpty());
    EXPECT_EQ(years->selectedItems().size(), 3);
    years->clearSelection();
    years->item(1)->setSelected(true);
    clickOn(view->monthlyButton());
    EXPECT_TRUE(view->reportBox()->toPlainText().contains("YEAR\tJAN\tFEB"));

    // Plot: both tables, one above the other; the lower one leaves the
    // upper one's bottom axis title visible.
    clickOn(view->plotButton());
    ASSERT_EQ(view->graphs().size(), 2u);
    EXPECT_GT(view->graphs()[0]->built().numPoints, 0);
    EXPECT_GT(view->graphs()[1]->frameGeometry().top(), view->graphs()[0]->frameGeometry().bottom());
    // One table plotted twice: the second window cascades off the first.
    view->showStreamCheck()->setChecked(false);
    for (GraphView *g : view->graphs())
        g->close();
    flushDeletes();
    clickOn(view->plotButton());
    clickOn(view->plotButton());
    const auto single = view->graphs();
    ASSERT_EQ(single.size(), 2u);
    EXPECT_GT(single[1]->x(), single[0]->x());
    EXPECT_GT(single[1]->y(), single[0]->y());

    // Save To File: the status bar names the file written.
    view->chooseSaveFile = [this](const QString &, const QString &) { return dir + "/export.txt"; };
    clickOn(view->saveToFileButton());
    EXPECT_EQ(shell->mainFrame()->statusText(), "Report saved to " + dir + "/export.txt");

    // Close everything: the model (edited again) asks once, the report never.
    doc->setModified(true);
    prompter.questions.clear();
    prompter.yesNoCancel.push_back(Answer::No);
    EXPECT_TRUE(shell->closeAllDocuments());
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0], ("Save changes to " + dir + "/model.vek?").toStdString());
    EXPECT_TRUE(shell->documents().empty());
}

TEST_F(ShellTest, DroppedFilesOpenAsByFileOpen) {
    ASSERT_TRUE(shell->startUp({}, false));
    auto *mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(fixture("viewer/two_locations.out", "dropped.out")),
                   QUrl::fromLocalFile(fixture("shell/model.vek", "dropped.vek"))});
    EXPECT_EQ(shell->mainFrame()->openDropped(mime), 2);
    ASSERT_EQ(shell->outputDocuments().size(), 1u);
    ASSERT_EQ(shell->modelDocuments().size(), 1u);
    EXPECT_EQ(shell->modelDocuments()[0]->path(), dir + "/dropped.vek");
    EXPECT_EQ(shell->recentFiles().value(0), dir + "/dropped.vek");
    delete mime;
}

// The two imports that start from a new, empty document: what a cancelled
// step leaves and what a finished import is marked.
TEST_F(ShellTest, OldFormatAndTabDelimitedImports) {
    ASSERT_TRUE(shell->startUp({}, false));

    shell->onImportOldFormat(); // file dialog cancelled: the empty document stays
    ASSERT_EQ(shell->modelDocuments().size(), 1u);
    EXPECT_TRUE(shell->modelDocuments()[0]->model().locations.empty());

    openAnswers << fixture("shell/old_format.txt", "old_format.txt");
    shell->onImportOldFormat();
    ASSERT_EQ(shell->modelDocuments().size(), 2u);
    CVEKViewDoc *old = shell->modelDocuments()[1];
    EXPECT_FALSE(old->model().locations.empty());
    EXPECT_TRUE(old->isModified());
    EXPECT_EQ(openTitles.back(), "Choose a model data input file.");

    shell->onImportTabDelimited(); // options cancelled: nothing asked further
    ASSERT_EQ(shell->modelDocuments().size(), 3u);
    const int asked = openTitles.size();

    prompter.importOptions.push_back(std::make_pair(0, 1));
    openAnswers << fixture("shell/wells.txt", "wells.txt");
    shell->onImportTabDelimited();
    EXPECT_EQ(openTitles.size(), asked + 1);
    ASSERT_EQ(shell->modelDocuments().size(), 4u);
    CVEKViewDoc *tab = shell->modelDocuments()[3];
    EXPECT_FALSE(tab->model().locations.empty());
    EXPECT_EQ(tab->model().yearMode, 0);
    EXPECT_EQ(tab->model().unitMode, 1);
    // Imported locations exist nowhere else: closing must offer to save them.
    EXPECT_TRUE(tab->isModified());
    EXPECT_EQ(tab->undoStack()->undoText(), "Import from Tab-delimited File");
    for (CVEKViewDoc *d : shell->modelDocuments())
        d->setModified(false);
}

// An imported model never replaces a file without a question. After File >
// Import From Wendra the document is named after the file imported: where a
// .vek of that name is there already, Save asks first (Save As... the
// default), and only Replace It writes over it. After the tab-delimited
// import the document has no name, and Save opens Save As.
TEST_F(ShellTest, SavingAnImportAsksBeforeItReplacesAFile) {
    ASSERT_TRUE(shell->startUp({}, false));
    const QString owl = fixture("shell/run1.owl", "run1.owl");
    const std::string existing = (dir + "/run1.vek").toStdString();
    test::writeFile(existing, "a model of its own\n");
    openAnswers << owl;
    prompter.soilMoisture.push_back(1);
    shell->onImportWendra();
    ASSERT_EQ(shell->modelDocuments().size(), 1u);
    CVEKViewDoc *doc = shell->modelDocuments()[0];
    ASSERT_EQ(doc->path(), dir + "/run1.vek");

    // Dismissed (Cancel), then Save As... cancelled: nothing written.
    EXPECT_FALSE(shell->onFileSave());
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0], existing + " already exists.  This model was imported from another file; replace "
                                                "the existing file with it, or save it under another name?");
    EXPECT_EQ(prompter.choiceButtons[0], (std::vector<std::string>{"Replace It", "Save As...", "Cancel"}));
    EXPECT_EQ(prompter.defaultChoices[0], "Save As...");
    prompter.choices.push_back("Save As...");
    EXPECT_FALSE(shell->onFileSave());
    EXPECT_EQ(test::readFile(existing), "a model of its own\n");

    // Save As... to another name, then Replace It: each writes what it says.
    prompter.choices.push_back("Save As...");
    saveAnswers << dir + "/other.vek";
    ASSERT_TRUE(shell->onFileSave());
    EXPECT_EQ(test::readFile(existing), "a model of its own\n");
    EXPECT_EQ(doc->path(), dir + "/other.vek");
    doc->setModified(true);
    ASSERT_TRUE(shell->onFileSave()); // a name the user chose: no question
    EXPECT_EQ(prompter.questions.size(), 3u);

    openAnswers << owl;
    prompter.soilMoisture.push_back(1);
    prompter.choices.push_back("Import into a New Document");
    shell->onImportWendra();
    ASSERT_EQ(shell->modelDocuments().size(), 2u);
    prompter.choices.push_back("Replace It");
    ASSERT_TRUE(shell->onFileSave());
    EXPECT_EQ(test::readFile(existing), test::readFile((dir + "/other.vek").toStdString()));

    // The tab-delimited import: Save asks for a name.
    prompter.importOptions.push_back(std::make_pair(0, 1));
    openAnswers << fixture("shell/wells.txt", "wells.txt");
    shell->onImportTabDelimited();
    ASSERT_EQ(shell->modelDocuments().size(), 3u);
    const int asked = saveAnswers.size();
    saveAnswers << QString();
    EXPECT_FALSE(shell->onFileSave());
    EXPECT_EQ(saveAnswers.size(), asked);
    for (CVEKViewDoc *d : shell->modelDocuments())
        d->setModified(false);
}

// A deep folder is remembered whole, so the next start returns to it rather
// than to a path cut short.
TEST_F(ShellTest, LongWorkingDirectoryIsRememberedWhole) {
    QString deep = dir;
    while (deep.size() <= 600)
        deep += "/a_rather_long_folder_name_for_project_files";
    ASSERT_TRUE(QDir().mkpath(deep));
    ASSERT_TRUE(shell->startUp({}, false));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(test::dataPath("shell/model.vek")), deep + "/m.vek"));
    QObject *doc = shell->openDocumentFile(deep + "/m.vek");
    ASSERT_NE(doc, nullptr);
    prompter.yesNoCancel.push_back(Answer::No);
    ASSERT_TRUE(shell->closeDocument(doc));
    EXPECT_EQ(QSettings().value("VEKView/VEKView CWD").toString(), deep);

    // A remembered folder that has gone away gives way to the examples.
    QSettings().setValue("VEKView/VEKView CWD", dir + "/gone");
    CVEKViewApp again;
    ASSERT_TRUE(again.startUp({}, false));
    EXPECT_EQ(again.dialogFolder(), CVEKViewApp::defaultExamplesDirectory());
}

TEST_F(ShellTest, ExitCommandAsksAndCancelKeepsTheProgram) {
    ASSERT_TRUE(shell->startUp({}, false));
    shell->mainFrame()->show();
    CVEKViewDoc *doc = shell->newModelDocument();
    doc->setModified(true);
    prompter.yesNoCancel.push_back(Answer::Cancel);
    shell->mainFrame()->action(CMainFrame::ID_APP_EXIT)->trigger();
    EXPECT_TRUE(shell->mainFrame()->isVisible());
    EXPECT_EQ(shell->modelDocuments().size(), 1u);
    prompter.yesNoCancel.push_back(Answer::No);
    HelpWindow *help = HelpWindow::showTopic();
    ASSERT_TRUE(help->isVisible());
    shell->mainFrame()->action(CMainFrame::ID_APP_EXIT)->trigger();
    EXPECT_FALSE(shell->mainFrame()->isVisible());
    EXPECT_FALSE(help->isVisible()) << "the help window goes with the program";
    EXPECT_TRUE(shell->documents().empty());
    EXPECT_EQ(prompter.questions.size(), 2u);
}

namespace {

// A menu text as the user reads it: mnemonics and accelerators dropped.
QString shownText(const QString &text) {
    QString out;
    const QString t = text.section('\t', 0, 0);
    for (int i = 0; i < t.size(); ++i) {
        if (t[i] == '&') {
            if (i + 1 < t.size() && t[i + 1] == '&') out += t[++i];
            continue;
        }
        out += t[i];
    }
    return out;
}

// Copy of an example with one value damaged so that its read fails half way.
QByteArray damagedExample(const QString &from) {
    QFile f(from);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    const int at = bytes.indexOf(" 53.4 ");
    EXPECT_GT(at, 0);
    bytes.replace(at, 6, " 5x3.4 ");
    return bytes;
}

} // namespace

// Opening a model does not change it: the stored run range stays when the
// form can show it, and the document needs no save. A range the form cannot
// show is fitted to the modelled years and the document then counts as
// changed.
TEST_F(ShellTest, OpeningAModelKeepsItsRunRange) {
    ASSERT_TRUE(shell->startUp({}, false));
    struct Case {
        const char *stored; // outputStartYear outputEndYear in the file
        int start, end;     // what the document holds afterwards
        bool modified;
    } cases[] = {{"1980 2024", 1980, 2024, false}, // the example: ten years past the synthesized
                 {"1990 2000", 1990, 2000, false},
                 {"1970 2024", 1980, 2024, true},  // start before the listed years
                 {"1990 1985", 1990, 2014, true}}; // end before start
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        const QString path = fixture("examples/river_valley.vek", QString("m%1.vek").arg(n++));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        f.close();
        bytes.replace("1980 2004 10 1980 2024 ", QByteArray("1980 2004 10 ") + c.stored + " ");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();

        auto *doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(path));
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(doc->model().outputStartYear, c.start);
        EXPECT_EQ(doc->model().outputEndYear, c.end);
        EXPECT_EQ(doc->isModified(), c.modified);
        auto *view = qobject_cast<CVEKViewView *>(shell->frameOf(doc)->view());
        ASSERT_NE(view, nullptr);
        auto *start = view->runStartList();
        auto *end = view->runEndEdit();
        EXPECT_EQ(start->currentText(), QString::number(c.start));
        EXPECT_EQ(start->itemText(start->count() - 1), "2014");
        EXPECT_EQ(end->text(), QString::number(c.end));
        // Later full refills keep it.
        doc->setModified(true);
        doc->updateAllViews(ViewHint::EverythingButMonthHeaders);
        EXPECT_EQ(doc->model().outputStartYear, c.start);
        EXPECT_EQ(doc->model().outputEndYear, c.end);
        doc->setModified(false);
        EXPECT_TRUE(shell->closeDocument(doc));
    }
    EXPECT_TRUE(prompter.questions.empty());
}

namespace {

QByteArray onDisk(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString examplePath() { return QString::fromStdString(test::dataDir()) + "/../../examples/river_valley.vek"; }

} // namespace

// End to end: a damaged model opened and saved never overwrites the file on
// disk.
TEST_F(ShellTest, DamagedModelIsNeverOverwritten) {
    ASSERT_TRUE(shell->startUp({}, false));
    const QString example = examplePath();
    const QString damaged = dir + "/river_valley.vek";
    const QByteArray damagedBytes = damagedExample(example);
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damagedBytes);
    }
    QStringList suggested;
    shell->chooseSaveFile = [&](const QString &, const QString &, const QString &s) {
        suggested << s;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    };
    auto *doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(damaged));
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(prompter.messages.size(), 1u); // the reader's message
    EXPECT_EQ(doc->title(), "river_valley.vek (read partly)");
    EXPECT_EQ(shell->frameOf(doc)->windowTitle(), "river_valley.vek (read partly)[*]");
    EXPECT_TRUE(doc->path().isEmpty());
    EXPECT_EQ(doc->model().locations.size(), 4u); // what was read is there to see

    // Save asks for a name; cancelled, nothing is written.
    CMainFrame *f = shell->mainFrame();
    f->action(CMainFrame::ID_FILE_SAVE)->trigger();
    EXPECT_EQ(onDisk(damaged), damagedBytes);
    ASSERT_EQ(suggested.size(), 1);
    EXPECT_EQ(suggested[0], dir + "/river_valley (read partly).vek");
    // Save As onto the damaged file asks first; No keeps it.
    saveAnswers << damaged;
    f->action(CMainFrame::ID_FILE_SAVE_AS)->trigger();
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_NE(prompter.questions[0].find("was read only partly"), std::string::npos);
    EXPECT_EQ(onDisk(damaged), damagedBytes);
    EXPECT_TRUE(doc->isModified());
    doc->setModified(false);
    ASSERT_TRUE(shell->closeDocument(doc));
}

// End to end: a garbage well file imported into the open example leaves it
// equal to the example; a good one replaces it and marks it changed.
TEST_F(ShellTest, GarbageImportLeavesTheOpenModelAsItWas) {
    ASSERT_TRUE(shell->startUp({}, false));
    const QString example = examplePath();
    CMainFrame *f = shell->mainFrame();
    const QString model = fixture("examples/river_valley.vek", "model.vek");
    auto *doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(model));
    ASSERT_NE(doc, nullptr);
    const QString garbage = dir + "/garbage.owl";
    {
        QFile g(garbage);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        g.write("PK\x03\x04 this is no well output file\n\xff\xfe\x01\n");
    }
    prompter.messages.clear();
    for (int choice : {1, 0}) { // "No Soil Moisture", then dismissed
        openAnswers << garbage;
        prompter.choices.push_back("Replace the Model");
        prompter.soilMoisture.push_back(choice);
        doc->setModified(false);
        f->action(CMainFrame::ID_IMPORT_WENDRA)->trigger();
        EXPECT_FALSE(doc->isModified());
        const QString copy = dir + QString("/after_import_%1.vek").arg(choice);
        ASSERT_TRUE(SaveInput(doc->document(), prompter, copy.toStdString()));
        EXPECT_EQ(onDisk(copy), onDisk(example));
    }
    EXPECT_EQ(prompter.messages.size(), 1u); // the file holds no wells
    EXPECT_EQ(doc->path(), model);
    EXPECT_EQ(shell->modelDocuments().size(), 1u);

    // A good well file does replace the model, and the document is changed.
    openAnswers << fixture("shell/run1.owl", "run1.owl");
    prompter.choices.push_back("Replace the Model");
    prompter.soilMoisture.push_back(1);
    f->action(CMainFrame::ID_IMPORT_WENDRA)->trigger();
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(doc->model().yearMode, 0);
    EXPECT_EQ(doc->path(), model);
    doc->setModified(false);
}

// The run's year-type refusal names a command the menus really hold.
TEST_F(ShellTest, YearTypeRefusalNamesTheRealMenuCommand) {
    ASSERT_TRUE(shell->startUp({}, false));
    CVEKViewDoc *doc = shell->newModelDocument();
    doc->model().yearMode = 0;
    EXPECT_FALSE(shell->runDocument(doc));
    ASSERT_EQ(prompter.messages.size(), 1u);
    QAction *props = shell->mainFrame()->action(CMainFrame::ID_PROPERTIES);
    ASSERT_NE(props, nullptr);
    QString path;
    for (QAction *top : shell->mainFrame()->menuBar()->actions())
        if (top->menu() && top->menu()->actions().contains(props)) path = shownText(top->text());
    ASSERT_FALSE(path.isEmpty());
    path += "->" + shownText(props->text());
    EXPECT_EQ(path, "VEK->Properties (Units & Year Type)");
    EXPECT_NE(QString::fromStdString(prompter.messages[0]).indexOf("\"" + path + "\""), -1) << prompter.messages[0];
}
