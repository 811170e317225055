// The shell never changes a model, or a result, behind the user's back: a
// run with unsaved changes asks what to run and says when the results are
// those of the saved file; Import From Wendra asks before it replaces a
// model; a file named on the command line opens as File Open opens it.
#include "editor/main_frame.h"
#include "editor/output_doc.h"
#include "editor/vekview_doc.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "shell_test_support.h"

#include <QAction>
#include <QFileInfo>
#include <QMdiArea>

#include <gtest/gtest.h>

using namespace vek;
using vek::test::ShellTest;

namespace {

QByteArray onDisk(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

CVEKViewView *formOf(CVEKViewApp &shell, QObject *doc) {
    CChildFrame *f = shell.frameOf(doc);
    return f ? qobject_cast<CVEKViewView *>(f->view()) : nullptr;
}

} // namespace

TEST_F(ShellTest, RunWithUnsavedChangesAsksWhatToRun) {
    QString model;
    CVEKViewDoc *doc = openExampleToRun(model);
    ASSERT_NE(doc, nullptr);
    CVEKViewView *form = formOf(*shell, doc);
    ASSERT_NE(form, nullptr);
    test::typeCell(form->historicalTable(), 0, 0, "999");
    ASSERT_TRUE(doc->isModified());
    const QByteArray saved = onDisk(model);

    // Dismissed: nothing runs, nothing is saved (the stale synthesized years
    // are run anyway).
    prompter.yesNo = {true};
    EXPECT_FALSE(shell->runDocument(doc));
    ASSERT_EQ(prompter.choiceButtons.size(), 1u);
    EXPECT_EQ(prompter.choiceButtons[0], (std::vector<std::string>{"Save and Run", "Run the Saved File", "Cancel"}));
    EXPECT_EQ(prompter.defaultChoices[0], "Save and Run");
    EXPECT_NE(prompter.questions.back().find(model.toStdString()), std::string::npos);
    EXPECT_TRUE(shell->outputDocuments().empty());
    EXPECT_EQ(onDisk(model), saved);

    // The saved file: the results say they are not those of the screen.
    prompter.choices = {"Run the Saved File"};
    ASSERT_TRUE(shell->runDocument(doc)) << (prompter.messages.empty() ? "" : prompter.messages.back());
    EXPECT_EQ(onDisk(model), saved);
    EXPECT_TRUE(doc->isModified());
    ASSERT_EQ(shell->outputDocuments().size(), 1u);
    CChildFrame *out = shell->frameOf(shell->outputDocuments()[0]);
    EXPECT_TRUE(out->windowTitle().contains("saved file")) << out->windowTitle().toStdString();
    EXPECT_TRUE(shell->mainFrame()->statusText().contains("unsaved changes"))
        << shell->mainFrame()->statusText().toStdString();

    // Saved first: the results are those of the form, and say nothing more.
    prompter.choices = {"Save and Run"};
    ASSERT_TRUE(shell->runDocument(doc));
    test::flushDeletes();
    EXPECT_NE(onDisk(model), saved);
    EXPECT_FALSE(doc->isModified());
    ASSERT_EQ(shell->outputDocuments().size(), 1u);
    out = shell->frameOf(shell->outputDocuments()[0]);
    EXPECT_EQ(out->windowTitle(), "model.out");
    EXPECT_FALSE(shell->mainFrame()->statusText().contains("unsaved"))
        << shell->mainFrame()->statusText().toStdString();
}

// Import From Wendra over a model with locations asks first; Enter imports
// into a new document and leaves the open one as it was.
TEST_F(ShellTest, WellImportAsksBeforeReplacingAModel) {
    ASSERT_TRUE(shell->startUp({}, false));
    const QString model = fixture("examples/river_valley.vek", "model.vek");
    auto *doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(model));
    ASSERT_NE(doc, nullptr);
    const ModelInput before = doc->model();
    const QString wells = fixture("shell/run1.owl", "run1.owl");
    QAction *import = shell->mainFrame()->action(CMainFrame::ID_IMPORT_WENDRA);

    openAnswers << wells; // dismissed
    import->trigger();
    ASSERT_EQ(prompter.choiceButtons.size(), 1u);
    EXPECT_EQ(prompter.choiceButtons[0],
              (std::vector<std::string>{"Replace the Model", "Import into a New Document", "Cancel"}));
    EXPECT_EQ(prompter.defaultChoices[0], "Import into a New Document");
    const std::string &q = prompter.questions.back();
    EXPECT_NE(q.find("4 locations"), std::string::npos) << q;
    EXPECT_NE(q.find("25 historical years"), std::string::npos) << q;
    EXPECT_EQ(doc->model(), before);
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(shell->modelDocuments().size(), 1u);

    openAnswers << wells;
    prompter.choices = {"Import into a New Document"};
    prompter.soilMoisture = {1};
    import->trigger();
    EXPECT_EQ(doc->model(), before);
    ASSERT_EQ(shell->modelDocuments().size(), 2u);
    CVEKViewDoc *imported = shell->modelDocuments()[1];
    EXPECT_EQ(imported->path(), dir + "/run1.vek");
    EXPECT_FALSE(imported->model().locations.empty());

    shell->mainFrame()->mdiArea()->setActiveSubWindow(shell->frameOf(doc));
    openAnswers << wells;
    prompter.choices = {"Replace the Model"};
    prompter.soilMoisture = {1};
    import->trigger();
    EXPECT_EQ(doc->model().locations.size(), imported->model().locations.size());
    EXPECT_TRUE(doc->isModified());
    doc->setModified(false);
    imported->setModified(false);
}

// A file given on the command line, by a relative path, opens exactly as
// File Open opens it: its own path and name, unmodified, saved in place.
TEST_F(ShellTest, CommandLineFileOpensAsFileOpen) {
    const QString model = fixture("shell/model.vek", "model.vek");
    const QString relative = QDir::current().relativeFilePath(model);
    ASSERT_TRUE(QFileInfo(relative).isRelative());
    ASSERT_TRUE(shell->startUp({relative}, false));
    ASSERT_EQ(shell->modelDocuments().size(), 1u);
    CVEKViewDoc *doc = shell->modelDocuments()[0];
    EXPECT_EQ(doc->path(), model);
    EXPECT_EQ(doc->title(), model);
    EXPECT_EQ(shell->frameOf(doc)->windowTitle(), "model.vek[*]");
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(shell->recentFiles().value(0), model);
    // Save writes the file itself, without a dialog.
    doc->setModified(true);
    ASSERT_TRUE(shell->onFileSave());
    EXPECT_TRUE(saveAnswers.isEmpty());
    EXPECT_FALSE(doc->isModified());
}

// A damaged value is named as it stands in the file, with its line and its
// location: "5x3.4", not the number after it.
TEST_F(ShellTest, DamagedFileMessageNamesTheTextItsLineAndLocation) {
    ASSERT_TRUE(shell->startUp({}, false));
    const QString path = fixture("examples/river_valley.vek", "damaged.vek");
    QByteArray bytes = onDisk(path);
    // The first location's third historical year (1982), line 7 of the file.
    const QList<QByteArray> lines = bytes.split('\n');
    QList<QByteArray> fields = lines[6].split(' ');
    ASSERT_GE(fields.size(), 12);
    fields[6] = "5x3.4";
    QByteArray damaged;
    for (int i = 0; i < lines.size(); ++i)
        damaged += (i ? "\n" : "") + (i == 6 ? fields.join(' ') : lines[i]);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(damaged);
    f.close();

    prompter.messages.clear();
    auto *doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(path));
    ASSERT_NE(doc, nullptr);
    ASSERT_FALSE(prompter.messages.empty());
    const std::string &m = prompter.messages[0];
    EXPECT_NE(m.find("Location 1 (North ditch well 1 (near river)), historical year 1982, line 7: the text \"5x3.4\" "
                     "of month 7 is "
                     "not a number a model can use."),
              std::string::npos)
        << m;
    doc->setModified(false);
}
