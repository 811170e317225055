// What the desktop proposes before the user says anything, met in real
// widgets: the default answer of the save prompt, the location preselected
// for deletion, the folder proposed for a PDF, and one form of the title
// however a model was opened.
#include "editor/choice_dialogs.h"
#include "editor/main_frame.h"
#include "editor/qt_prompter.h"
#include "editor/vekview_view.h"
#include "grid/spreadsheet_view.h"
#include "shell_test_support.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

// Calls `act` with the next modal widget of type W to open, then closes it.
template <class W> void onNextModal(std::function<void(W *)> act) {
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto *w = qobject_cast<W *>(QApplication::activeModalWidget());
        if (!w) return;
        timer->stop();
        timer->deleteLater();
        act(w);
    });
    timer->start();
}

// Presses Enter on the next message box and notes its default button.
void enterOnNextBox(QString *defaultText) {
    onNextModal<QMessageBox>([defaultText](QMessageBox *box) {
        defaultText->clear();
        for (QAbstractButton *b : box->buttons())
            if (auto *p = qobject_cast<QPushButton *>(b); p && p->isDefault()) *defaultText = p->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
}

QByteArray bytesOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// Enter on "Save changes to ...?" saves a model read whole, and keeps a
// partly read one from being written without what could not be read.
TEST_F(ShellTest, SavePromptDefaultsToNoForAPartlyReadModel) {
    ASSERT_TRUE(shell->startUp({}, false));
    shell->askYesNoCancel = nullptr; // the real message box
    const QString damaged = fixture("examples/river_valley.vek", "damaged.vek");
    QByteArray bytes = bytesOf(damaged);
    const int at = bytes.indexOf(" 53.4 ");
    ASSERT_GT(at, 0);
    bytes.replace(at, 6, " 5x3.4 ");
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList asked;
    shell->chooseSaveFile = [&](const QString &, const QString &, const QString &s) {
        asked << s;
        return QString();
    };
    auto *doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(damaged));
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->isReadPartly());
    doc->setModified(true);
    QString def;
    enterOnNextBox(&def);
    EXPECT_TRUE(shell->closeDocument(doc));
    EXPECT_EQ(def, "&No");
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(bytesOf(damaged), bytes);

    // A model read whole: Enter saves it.
    const QString whole = fixture("examples/river_valley.vek", "whole.vek");
    doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(whole));
    ASSERT_NE(doc, nullptr);
    doc->setModified(true);
    enterOnNextBox(&def);
    EXPECT_TRUE(shell->closeDocument(doc));
    EXPECT_EQ(def, "&Yes");
}

// The main window's title has one form whether the model was named on the
// command line or opened with File > Open.
TEST_F(ShellTest, OneTitleFormHoweverAModelWasOpened) {
    const QString first = fixture("examples/river_valley.vek", "m.vek");
    const QString second = fixture("examples/river_valley.vek", "x.vek");
    ASSERT_TRUE(shell->startUp({first}, true));
    CMainFrame *f = shell->mainFrame();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    EXPECT_EQ(f->windowTitle(), "VEKView - m.vek[*]");
    openAnswers << second;
    f->action(CMainFrame::ID_FILE_OPEN)->trigger();
    QTest::qWait(20);
    EXPECT_EQ(f->windowTitle(), "VEKView - x.vek[*]");
    // A change of the active window and of the modified mark keep the form.
    auto *doc = qobject_cast<CVEKViewDoc *>(shell->activeDocument());
    ASSERT_NE(doc, nullptr);
    doc->setModified(true);
    QTest::qWait(20);
    EXPECT_EQ(f->windowTitle(), "VEKView - x.vek[*]");
    EXPECT_TRUE(f->isWindowModified());
    doc->setModified(false);
    f->mdiArea()->activatePreviousSubWindow();
    QTest::qWait(20);
    EXPECT_EQ(f->windowTitle(), "VEKView - m.vek[*]");
}

// Delete offers the location selected in the form, so Enter deletes that
// one; with none selected, nothing is.
TEST_F(ShellTest, DeleteOffersTheLocationSelectedInTheForm) {
    QtPrompter qt;
    shell->documentPrompter = &qt;
    ASSERT_TRUE(shell->startUp({}, false));
    auto *doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(fixture("examples/river_valley.vek", "m.vek")));
    ASSERT_NE(doc, nullptr);
    auto *view = qobject_cast<CVEKViewView *>(shell->frameOf(doc)->view());
    ASSERT_NE(view, nullptr);
    const auto names = [doc] {
        std::vector<std::string> n;
        for (const auto &loc : doc->model().locations)
            n.push_back(loc.name);
        return n;
    };
    std::vector<std::string> expected = names();
    ASSERT_GE(expected.size(), 3u);
    QTableView *list = view->locationTable();
    list->setCurrentIndex(list->model()->index(2, 0));
    ASSERT_EQ(view->selectedLocation(), 2);
    std::vector<int> offered{-2};
    onNextModal<DeleteItemsDialog>([&offered](DeleteItemsDialog *dlg) {
        offered.clear();
        for (const QListWidgetItem *i : dlg->itemList()->selectedItems())
            offered.push_back(dlg->itemList()->row(i));
        QTest::keyClick(dlg, Qt::Key_Return);
    });
    view->deleteButton()->click();
    EXPECT_EQ(offered, std::vector<int>{2});
    expected.erase(expected.begin() + 2);
    EXPECT_EQ(names(), expected);
    doc->setModified(false);
    shell->documentPrompter = &prompter;
}

// Print to File proposes a PDF beside the model or the report, not in the
// home folder; the dialog is cancelled, so nothing is printed.
TEST_F(ShellTest, PrintToFileProposesTheDocumentsFolder) {
    ASSERT_TRUE(shell->startUp({}, false));
    auto *doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(fixture("examples/river_valley.vek", "m.vek")));
    ASSERT_NE(doc, nullptr);
    auto *form = qobject_cast<CVEKViewView *>(shell->frameOf(doc)->view());
    ASSERT_NE(form, nullptr);
    QString proposed;
    const auto noteFile = [&proposed](QPrintDialog *dlg) {
        auto *field = dlg->findChild<QLineEdit *>("filename");
        proposed = field ? field->text() : QString("no file field");
        dlg->reject();
    };
    onNextModal<QPrintDialog>(noteFile);
    form->print();
    EXPECT_EQ(proposed, dir + "/m.pdf");

    QObject *report = shell->openDocumentFile(fixture("viewer/two_locations.out", "report.out"));
    ASSERT_NE(outputView(report), nullptr);
    proposed.clear();
    onNextModal<QPrintDialog>(noteFile);
    outputView(report)->OnPrint();
    EXPECT_EQ(proposed, dir + "/report.pdf");
}
