// The desktop's questions as a user meets them in real message boxes: Enter
// takes the answer that keeps the data and Escape dismisses, for the plain
// Yes/No and OK/Cancel questions, for questions with buttons of their own,
// and for the two questions that delete or replace data (shortening the
// historical period, saving over a damaged file).
#include "editor/qt_prompter.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "model/input_file.h"
#include "support/test_files.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace vek;

namespace {

// Presses `key` on the next message box that opens and notes the text of
// its default button.
void pressOnNextBox(int key, QString *defaultText = nullptr) {
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, key, defaultText] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) return;
        timer->stop();
        timer->deleteLater();
        if (defaultText) *defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
        QTest::keyClick(box, static_cast<Qt::Key>(key));
    });
    timer->start();
}

class PromptDefaults : public ::testing::Test {
  protected:
    void SetUp() override {
        vek::test::testApp();
        owner = std::make_unique<QWidget>();
        prompter.setParent(owner.get());
    }
    std::unique_ptr<QWidget> owner;
    QtPrompter prompter;
};

} // namespace

TEST_F(PromptDefaults, EnterKeepsTheDataAndEscapeDismisses) {
    QString def;
    pressOnNextBox(Qt::Key_Return, &def);
    EXPECT_FALSE(prompter.askYesNo("Delete 24 years?"));
    EXPECT_EQ(def, "&No");

    pressOnNextBox(Qt::Key_Return, &def);
    EXPECT_FALSE(prompter.askOkCancel("This will update the consumptive use of groundwater for the well.  Continue?"));
    EXPECT_EQ(def, "Cancel");

    // The save prompt keeps the user's work by saving it.
    pressOnNextBox(Qt::Key_Return, &def);
    EXPECT_EQ(prompter.askYesNoCancel("Save changes to a.vek?"), Answer::Yes);

    const std::vector<std::string> buttons{"Save", "Run the Saved File", "Cancel"};
    pressOnNextBox(Qt::Key_Return, &def);
    EXPECT_EQ(prompter.choose("Run?", buttons, 0, 2), 0);
    EXPECT_EQ(def, "Save");
    pressOnNextBox(Qt::Key_Escape);
    EXPECT_EQ(prompter.choose("Run?", buttons, 0, 2), 2);
    pressOnNextBox(Qt::Key_Return, &def);
    EXPECT_EQ(prompter.choose("Replace?", {"Replace", "Cancel"}, 1, 1), 1);
    EXPECT_EQ(def, "Cancel");
}

TEST_F(PromptDefaults, EnterOnTheShorteningQuestionDeletesNoYear) {
    CVEKViewDoc doc(&prompter);
    vek::test::fillSmallModel(doc.document());
    CVEKViewView view(&doc);
    view.resize(900, 700);
    view.show();
    const ModelInput before = doc.model();
    // An end year before the start: every year but the first would go.
    QLineEdit *end = view.inputEndEdit();
    end->selectAll();
    QTest::keyClicks(end, "1970");
    QString def;
    pressOnNextBox(Qt::Key_Return, &def);
    QTest::keyClick(end, Qt::Key_Return);
    EXPECT_EQ(def, "&No");
    EXPECT_EQ(doc.model(), before);
    EXPECT_EQ(end->text(), "1992");
}

TEST_F(PromptDefaults, EnterOnReplacingADamagedFileWritesNothing) {
    const std::string dir = test::freshDir("EnterOnReplacingADamagedFileWritesNothing");
    const std::string path = dir + "/damaged.vek";
    {
        SilentPrompter silent;
        ModelDocument source;
        vek::test::fillSmallModel(source);
        ASSERT_TRUE(SaveInput(source, silent, path));
    }
    // A value of the last pumping record made unreadable: everything before
    // it reads, the rest of the file does not.
    std::string bytes = test::readFile(path);
    const size_t at = bytes.rfind('\n', bytes.size() - 2);
    bytes.insert(at + 1, "x");
    test::writeFile(path, bytes);

    test::ScriptedPrompter quiet; // takes the reader's message
    ModelDocument doc;
    ASSERT_TRUE(doc.open(path, quiet));
    ASSERT_TRUE(doc.isReadPartly());
    QString def;
    pressOnNextBox(Qt::Key_Return, &def);
    EXPECT_FALSE(doc.save(path, prompter));
    EXPECT_EQ(def, "&No");
    EXPECT_EQ(test::readFile(path), bytes);
}
