// Shared fixture of the application shell's tests: a CVEKViewApp with
// scripted questions, file dialogs and messages, settings of its own in the
// test's folder, and fixtures copied there.
#pragma once

#include "editor/child_frame.h"
#include "editor/vekview_app.h"
#include "editor/vekview_doc.h"
#include "support/qt_test_app.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"
#include "viewer/graph_view.h"
#include "viewer/vek_output_view.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSettings>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vek::test {

inline QApplication *app() { return qtTestApp("app_shell_test", true); }

inline void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app();
        name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = QString::fromStdString(freshDir(name));
        settingsDir = dir + "/settings";
        QDir().mkpath(settingsDir);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir);
        QSettings().clear();
        shell = std::make_unique<CVEKViewApp>();
        shell->documentPrompter = &prompter;
        shell->showMessage = [this](const QString &m) { prompter.message(m.toStdString()); };
        shell->askYesNoCancel = [this](const QString &q) { return prompter.askYesNoCancel(q.toStdString()); };
        shell->chooseOpenFile = [this](const QString &title, const QString &) {
            openTitles << title;
            return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
        };
        shell->chooseSaveFile = [this](const QString &, const QString &, const QString &) {
            return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
        };
    }
    void TearDown() override {
        // Graph windows own menus that are top-level widgets too: collect
        // first, then delete.
        QList<QPointer<GraphView>> graphs;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *g = qobject_cast<GraphView *>(w)) graphs << g;
        for (const auto &g : graphs)
            delete g.data();
        if (shell && shell->mainFrame()) shell->closeAllDocuments();
        shell.reset();
        flushDeletes();
        // The program never changes its working directory.
        EXPECT_EQ(QDir::currentPath(), startCwd);
    }
    // Copies a fixture into the test's folder under a new name.
    QString fixture(const QString &from, const QString &to) {
        const QString target = dir + "/" + to;
        QFile::remove(target);
        // "examples/..." names a bundled example, anything else a fixture.
        const QString source = from.startsWith("examples/") ? QString::fromStdString(dataDir()) + "/../../" + from
                                                            : QString::fromStdString(dataPath(from.toStdString()));
        EXPECT_TRUE(QFile::copy(source, target)) << source.toStdString();
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        return target;
    }
    // Starts the shell and opens the example, copied as model.vek into the
    // test's folder, to be run by the vek built beside the tests; null when
    // that fails (and the test has failed).
    CVEKViewDoc *openExampleToRun(QString &model) {
        const std::string vek = binDir() + "/vek";
        EXPECT_TRUE(QFileInfo(QString::fromStdString(vek)).isExecutable()) << "vek is not built: " << vek;
        EXPECT_TRUE(shell->startUp({}, false));
        model = fixture("examples/river_valley.vek", "model.vek");
        auto *doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(model));
        EXPECT_NE(doc, nullptr);
        if (doc) doc->document().programDirectory = binDir() + "/";
        return doc;
    }
    VEKOutputView *outputView(QObject *doc) {
        CChildFrame *f = shell->frameOf(doc);
        return f ? qobject_cast<VEKOutputView *>(f->view()) : nullptr;
    }
    QStringList menus() { return shell->mainFrame()->visibleMenuTitles(); }

    std::string name;
    QString dir, settingsDir;
    // The working directory the tests were started in; nothing may change it.
    const QString startCwd = QDir::currentPath();
    ScriptedPrompter prompter;
    std::unique_ptr<CVEKViewApp> shell;
    QStringList openAnswers, saveAnswers, openTitles;
};

} // namespace vek::test
