// The parts the application is put together from, each built on its own:
// the open documents, the opening rules with a host of the test's own, the
// recent-file list, the dialogs' folder, and Run with the real engine. None
// of them changes the process's working directory.
#include "editor/child_frame.h"
#include "editor/dialog_folder.h"
#include "editor/document_opener.h"
#include "editor/document_registry.h"
#include "editor/output_doc.h"
#include "editor/recent_files.h"
#include "editor/run_command.h"
#include "editor/vekview_doc.h"
#include "model/engine_runner.h"
#include "support/qt_test_app.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"
#include "support/validation_cases.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

#include <memory>

namespace vek {
namespace {

class AppPartsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::qtTestApp("app_parts_test", true);
        dir = QString::fromStdString(test::freshDir(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        QDir().mkpath(dir + "/settings");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir + "/settings");
        QSettings().clear();
    }
    void TearDown() override { EXPECT_EQ(QDir::currentPath(), startCwd); }

    QString copy(const char *fixture, const QString &as) {
        const QString target = dir + "/" + as;
        EXPECT_TRUE(QFile::copy(QString::fromStdString(test::dataPath(fixture)), target));
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        return target;
    }

    QString dir;
    const QString startCwd = QDir::currentPath();
};

// A host without windows: documents are made and registered, "shown" and
// "closed" are recorded.
class TestHost : public DocumentHost {
  public:
    explicit TestHost(Prompter *prompter) : prompter_(prompter) {}
    ~TestHost() override {
        for (QObject *d : registry_.documents())
            delete d;
    }

    DocumentRegistry &registry() override { return registry_; }
    CVEKViewDoc *createModelDocument() override {
        auto *d = new CVEKViewDoc(prompter_);
        registry_.add(d, DocumentRegistry::DocType::ModelInput);
        return d;
    }
    void showModelDocument(CVEKViewDoc *doc) override { shown.push_back(doc); }
    CVEKViewDoc *newModelDocument() override {
        CVEKViewDoc *d = createModelDocument();
        showModelDocument(d);
        return d;
    }
    QObject *openOutputDocument(const QString &path) override {
        auto *d = new CVEKOutputViewDoc;
        registry_.add(d, DocumentRegistry::DocType::EngineOutput);
        d->open(path, *prompter_);
        return d;
    }
    bool closeDocument(QObject *doc, bool) override {
        closed.push_back(doc);
        registry_.remove(doc);
        delete doc;
        return true;
    }
    void discardDocument(QObject *doc) override { closeDocument(doc, false); }
    void activateDocument(QObject *doc) override { activated.push_back(doc); }
    QObject *activeDocument() const override { return active; }
    void endCellEdit(CVEKViewDoc *) override {}
    void message(const QString &text) override { messages << text; }
    void showStatus(const QString &text) override { status = text; }
    QString askOpenFile(const QString &, const QString &, const QString &folder) override {
        folders << folder;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    std::vector<QObject *> shown, closed, activated;
    QObject *active = nullptr;
    QStringList messages, answers, folders;
    QString status;

  private:
    Prompter *prompter_;
    DocumentRegistry registry_;
};

TEST_F(AppPartsTest, RegistryComparesPathsWhole) {
    DocumentRegistry r;
    int changes = 0;
    QObject::connect(&r, &DocumentRegistry::changed, [&] { ++changes; });
    CVEKOutputViewDoc report, other;
    test::ScriptedPrompter p;
    report.open(copy("viewer/two_locations.out", "model.out"), p);
    other.open(copy("viewer/two_locations.out", "other_model.out"), p);
    CVEKViewDoc model(&p);
    model.setPath(dir + "/model.vek");
    r.add(&other, DocumentRegistry::DocType::EngineOutput);
    r.add(&report, DocumentRegistry::DocType::EngineOutput);
    r.add(&model, DocumentRegistry::DocType::ModelInput);
    EXPECT_EQ(r.outputDocumentFor(dir + "/sub/../model.out"), &report);
    EXPECT_EQ(r.outputDocumentFor(dir + "/er_model.out"), nullptr);
    EXPECT_EQ(r.modelDocumentFor(dir + "/./model.vek"), &model);
    EXPECT_EQ(r.modelDocuments(), std::vector<CVEKViewDoc *>{&model});
    EXPECT_EQ(r.newest(), &model);
    EXPECT_EQ(r.remove(&report), nullptr); // no window
    EXPECT_FALSE(r.contains(&report));
    EXPECT_EQ(r.typeOf(&report), DocumentRegistry::DocType::EngineOutput) << "by its class";
    EXPECT_EQ(changes, 4);
}

TEST_F(AppPartsTest, RecentFilesKeepFourNewestFirstAsAbsolutePaths) {
    RecentFiles recent;
    for (const char *name : {"a.vek", "b.vek", "c.out", "d.vek", "e.vek"})
        recent.add(dir + "/x/../" + name);
    recent.add(dir + "/c.out");
    EXPECT_EQ(recent.list(), QStringList({dir + "/c.out", dir + "/e.vek", dir + "/d.vek", dir + "/b.vek"}));
    recent.remove(dir + "/d.vek");
    EXPECT_EQ(recent.list().size(), 3);
    EXPECT_EQ(RecentFiles().list(), recent.list()) << "kept in the settings";
}

TEST_F(AppPartsTest, DialogFolderFollowsFilesAndIsKept) {
    DialogFolder folder;
    folder.restore();
    EXPECT_EQ(folder.path(), DialogFolder::defaultExamplesDirectory());
    folder.follow(dir + "/data/model.vek");
    EXPECT_EQ(folder.path(), dir + "/data");
    folder.remember();
    QDir().mkpath(dir + "/data");
    DialogFolder next;
    next.restore();
    EXPECT_EQ(next.path(), dir + "/data");
    QDir(dir + "/data").removeRecursively();
    next.restore(); // gone: the examples again
    EXPECT_EQ(next.path(), DialogFolder::defaultExamplesDirectory());
}

TEST_F(AppPartsTest, OpeningAWellFileImportsItAndSavesBesideIt) {
    test::ScriptedPrompter p;
    p.soilMoisture.push_back(1);
    TestHost host(&p);
    RecentFiles recent;
    DialogFolder folder;
    DocumentOpener opener(host, recent, folder);
    const QString owl = copy("shell/run1.owl", "run1.owl");

    auto *doc = qobject_cast<CVEKViewDoc *>(opener.open(owl));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(host.shown, std::vector<QObject *>{doc});
    EXPECT_EQ(doc->path(), dir + "/run1.vek");
    EXPECT_EQ(doc->title(), dir + "/run1.vek");
    EXPECT_EQ(folder.path(), dir);
    EXPECT_EQ(recent.list(), QStringList{owl});
    EXPECT_TRUE(host.status.startsWith("Imported ")) << host.status.toStdString();
    // The same file again is the document already open.
    EXPECT_EQ(opener.open(dir + "/run1.vek"), nullptr) << "not saved yet: no such file";
    EXPECT_EQ(host.messages, QStringList{dir + "/run1.vek was not found."});
    ASSERT_TRUE(doc->save(doc->path()));
    EXPECT_EQ(opener.open(dir + "/run1.vek"), doc);
    EXPECT_EQ(host.activated, std::vector<QObject *>{doc});
}

TEST_F(AppPartsTest, AReportOpenedAgainReplacesItsWindowAndAMissingFileLeavesTheList) {
    test::ScriptedPrompter p;
    TestHost host(&p);
    RecentFiles recent;
    DialogFolder folder;
    DocumentOpener opener(host, recent, folder);
    const QString report = copy("viewer/two_locations.out", "model.out");
    QObject *first = opener.open(report);
    QObject *second = opener.open(dir + "/./model.out");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(host.closed, std::vector<QObject *>{first});
    EXPECT_EQ(host.registry().outputDocuments().size(), 1u);

    QFile::remove(report);
    EXPECT_EQ(opener.open(report), nullptr);
    EXPECT_EQ(host.messages, QStringList{report + " was not found."});
    EXPECT_TRUE(recent.list().isEmpty());
}

TEST_F(AppPartsTest, ImportDialogsStartInTheDialogFolder) {
    test::ScriptedPrompter p;
    TestHost host(&p);
    RecentFiles recent;
    DialogFolder folder;
    folder.follow(dir + "/anything.vek");
    DocumentOpener opener(host, recent, folder);
    host.answers << copy("shell/old_format.txt", "old.txt");
    opener.importOldFormat();
    opener.importWendra(); // cancelled
    EXPECT_EQ(host.folders, QStringList({dir, dir}));
    ASSERT_EQ(host.registry().modelDocuments().size(), 1u);
    EXPECT_FALSE(host.registry().modelDocuments()[0]->model().locations.empty());
}

// Run from the desktop: the engine runs in the model's folder, the report
// comes by its absolute path, and the program's working directory stays.
TEST_F(AppPartsTest, RunOpensTheReportByItsAbsolutePath) {
    ASSERT_TRUE(QFileInfo(QString::fromStdString(test::binDir() + "/vek")).isExecutable());
    test::ScriptedPrompter p;
    CVEKViewDoc doc(&p);
    ASSERT_TRUE(doc.open(copy("shell/model.vek", "model.vek")));
    EXPECT_EQ(doc.title(), "model.vek"); // its full path once it has run
    // Its synthesized years are not the copies of 1993 it records: said when
    // it opens, asked when it runs.
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_NE(p.messages[0].find("its synthesized years are not copies of the historical year 1993"),
              std::string::npos);
    p.yesNo.push_back(true);
    doc.document().programDirectory = test::binDir() + "/";
    QStringList opened;
    RunCommand run;
    run.openReport = [&](const QString &path) {
        opened << path;
        return true;
    };
    ASSERT_TRUE(run.run(&doc)) << (p.messages.empty() ? "" : p.messages.back());
    EXPECT_EQ(p.questions.size(), 1u);
    EXPECT_EQ(opened, QStringList{dir + "/model.out"});
    EXPECT_TRUE(QFileInfo(dir + "/model.out").isFile());
    EXPECT_TRUE(run.status().startsWith("Run finished in ")) << run.status().toStdString();
    EXPECT_TRUE(run.status().endsWith(" s; report " + dir + "/model.out")) << run.status().toStdString();
    EXPECT_EQ(doc.title(), dir + "/model.vek");

    // A failed run opens nothing and says nothing in the status bar.
    doc.model().yearMode = 0;
    EXPECT_FALSE(run.run(&doc));
    EXPECT_TRUE(run.status().isEmpty());
    EXPECT_EQ(opened.size(), 1);
}

// Run refuses what vektool check and vektool run refuse, before the engine
// starts (no report is left behind), and runs what they only warn about.
TEST_F(AppPartsTest, RunRefusesWhatTheEngineWouldRefuse) {
    ASSERT_TRUE(QFileInfo(QString::fromStdString(test::binDir() + "/vek")).isExecutable());
    for (const test::ValidationCase &c : test::validationCases()) {
        SCOPED_TRACE(c.file);
        const QString path = dir + "/" + c.file;
        test::writeFile(path.toStdString(), test::validationCaseText(c));
        test::ScriptedPrompter p;
        CVEKViewDoc doc(&p);
        ASSERT_TRUE(doc.open(path));
        EXPECT_EQ(p.messages.size(), c.refused || !*c.field ? 0u : 1u) << "the warnings are said on opening";
        p.messages.clear();
        p.yesNo = {true}; // stale synthesized years: run anyway
        doc.document().programDirectory = test::binDir() + "/";
        RunCommand run;
        bool opened = false;
        run.openReport = [&](const QString &) { return opened = true; };
        EXPECT_EQ(run.run(&doc), !c.refused);
        const QString report = dir + "/" + QFileInfo(path).completeBaseName() + ".out";
        EXPECT_EQ(QFileInfo(report).exists(), !c.refused);
        if (!c.refused) continue;
        ASSERT_EQ(p.messages.size(), 1u);
        const std::string &said = p.messages[0];
        if (std::string(c.field) == "yearMode")
            EXPECT_EQ(said, kIrrigationYearOnlyMessage);
        else if (std::string(c.field) == "file name")
            EXPECT_NE(said.find("is longer than the 45 characters the engine reads."), std::string::npos) << said;
        else
            EXPECT_EQ(said.rfind(kModelCannotRunMessage, 0), 0u) << said;
        EXPECT_EQ(said.find("vektool"), std::string::npos) << said;
    }
}

} // namespace
} // namespace vek
