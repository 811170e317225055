// The choice dialogs' answers, the typed-number rules and the help bundle.
#include "editor/choice_dialogs.h"
#include "editor/help_window.h"
#include "editor_test_support.h"

#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>

#include <gtest/gtest.h>

using namespace vek;

namespace {
struct AppInit : ::testing::Test {
    void SetUp() override { vek::test::testApp(); }
};
} // namespace

TEST(TypedNumbers, LeadingNumericPartOrZero) {
    struct Row {
        const char *text;
        float number;
        int integer;
    } rows[] = {
        {"12.5", 12.5f, 12},
        {"  7abc", 7.0f, 7},
        {"abc", 0.0f, 0},
        {"", 0.0f, 0},
        {"-3.25", -3.25f, -3},
        {"1e3", 1000.0f, 1},
        {"inf", 0.0f, 0},
        {"nan", 0.0f, 0},
        {"1e60", 0.0f, 1},
        {"+4", 4.0f, 4},
        {"99999999999", 1e11f, 2147483647},
    };
    for (const auto &r : rows) {
        EXPECT_FLOAT_EQ(leadingNumber(QString::fromLatin1(r.text)), r.number) << r.text;
        EXPECT_EQ(leadingInteger(QString::fromLatin1(r.text)), r.integer) << r.text;
    }
}

TEST_F(AppInit, CycleUntilListFollowsTheStartYear) {
    CycleDialog dlg(1990, 1999);
    ASSERT_EQ(dlg.startList()->count(), 10);
    EXPECT_EQ(dlg.endList()->count(), 10);
    dlg.startList()->setCurrentIndex(4);
    dlg.endList()->setCurrentIndex(3);
    dlg.startList()->hidePopup(); // the drop-down closes
    ASSERT_EQ(dlg.endList()->count(), 6);
    EXPECT_EQ(dlg.endList()->itemText(0), "1994");
    EXPECT_EQ(dlg.endList()->currentIndex(), 0);
    dlg.endList()->setCurrentIndex(2);
    dlg.accept();
    EXPECT_EQ(dlg.startPosition(), 4);
    EXPECT_EQ(dlg.endPosition(), 2);
}

TEST_F(AppInit, AverageYearsReturnsSelectionAscendingOrEmpty) {
    AverageYearsDialog none(2000, 2005);
    EXPECT_EQ(none.yearList()->selectedItems().size(), 0);
    none.accept();
    EXPECT_TRUE(none.positions().empty());

    AverageYearsDialog some(2000, 2005);
    some.yearList()->item(5)->setSelected(true);
    some.yearList()->item(1)->setSelected(true);
    some.yearList()->item(3)->setSelected(true);
    some.accept();
    EXPECT_EQ(some.positions(), (std::vector<int>{1, 3, 5}));
}

TEST_F(AppInit, DeleteReturnsPositionsDescending) {
    DeleteItemsDialog dlg({"a", "b", "c", "d"}, -1);
    ASSERT_EQ(dlg.itemList()->count(), 4);
    dlg.itemList()->item(0)->setSelected(true);
    dlg.itemList()->item(3)->setSelected(true);
    dlg.itemList()->item(2)->setSelected(true);
    dlg.accept();
    EXPECT_EQ(dlg.positions(), (std::vector<int>{3, 2, 0}));
}

TEST_F(AppInit, SmallDialogsDefaultsAndAnswers) {
    GivenYearDialog given(1980, 1984);
    EXPECT_EQ(given.position(), -1);
    EXPECT_EQ(given.yearList()->currentIndex(), 0);
    given.yearList()->setCurrentIndex(2);
    given.accept();
    EXPECT_EQ(given.position(), 2);

    SynthesisMethodDialog method;
    EXPECT_EQ(method.methodList()->currentText(), "Average Years");
    method.methodList()->setCurrentIndex(2);
    method.accept();
    EXPECT_EQ(method.method(), 2);

    ImportOptionsDialog options;
    options.accept();
    EXPECT_EQ(options.yearType(), 0);
    EXPECT_EQ(options.units(), 1);

    SoilMoistureDialog dismissed;
    dismissed.reject();
    EXPECT_EQ(dismissed.choice(), 0);
    SoilMoistureDialog with;
    with.withSoilMoistureButton()->click();
    EXPECT_EQ(with.choice(), 2);
    EXPECT_EQ(with.result(), QDialog::Accepted);
}

TEST_F(AppInit, HelpTopicsAreBundled) {
    for (const char *topic : {"index", "input_form", "pumping_record", "synthesis", "properties", "imports", "running"})
        EXPECT_TRUE(HelpWindow::hasTopic(QString::fromLatin1(topic))) << topic;
    HelpWindow *w = HelpWindow::showTopic(HelpWindow::topicForContext(123));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->currentTopic(), "pumping_record");
    EXPECT_TRUE(w->browser()->toPlainText().contains("1.9835"));
    HelpWindow::showTopic("no_such_topic");
    EXPECT_EQ(w->currentTopic(), "index");
    w->close();
}
