// Numbers typed into the form's cells, key by key as a user types them: a
// decimal comma is the decimal point it stands for, and a number the model
// cannot store is refused with a word in the status bar, never kept as 0.
#include "editor/vekview_view.h"
#include "editor_test_support.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace vek;

namespace {

// Types text into cell (row, col) key by key, then Enter.
void typeKeys(CGridCtrl *g, int row, int col, const QString &text) {
    g->setFocus();
    g->setFocusCell(row, col);
    for (QChar ch : text)
        QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

using TypedNumbers = test::FormFixture;

} // namespace

TEST_F(TypedNumbers, DecimalCommaIsThePointItStandsFor) {
    CGridCtrl *h = view->historicalGrid();
    typeKeys(h, 1, 3, "3,5");
    EXPECT_FLOAT_EQ(m().locations[0].historicalData[2][0], 3.5f);
    EXPECT_EQ(h->itemText(1, 3), "3.5");
    typeKeys(view->locationGrid(), 2, 1, "12,25");
    EXPECT_FLOAT_EQ(m().locations[1].VEK, 12.25f);
    EXPECT_TRUE(statuses.isEmpty()) << statuses.join("; ").toStdString();
}

TEST_F(TypedNumbers, NumbersBeyondSinglePrecisionAreRefusedAndTold) {
    CGridCtrl *s = view->synthesizedGrid();
    const float before = m().locations[0].synthesizedData[0][1];
    typeKeys(s, 2, 1, "1e39");
    EXPECT_FLOAT_EQ(m().locations[0].synthesizedData[0][1], before);
    EXPECT_EQ(s->itemText(2, 1), QString::number(static_cast<double>(before)));
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_TRUE(statuses.last().contains("3.4e38")) << statuses.last().toStdString();
    EXPECT_NE(m().synthesizeFormat, 4) << "a refused value makes nothing user-defined";
}

// Values a run would refuse, and values that hardly mean what was meant, are
// marked in their cells and told in the status bar; a mended value loses its
// mark.
TEST_F(TypedNumbers, ValuesTheRunWouldRefuseOrThatLookWrongAreMarked) {
    CGridCtrl *list = view->locationGrid();
    CGridCtrl *h = view->historicalGrid();
    QCoreApplication::processEvents();
    EXPECT_EQ(list->itemMark(1, 1), CellMark::None);

    typeKeys(list, 1, 1, "-5");
    QCoreApplication::processEvents();
    EXPECT_FLOAT_EQ(m().locations[0].VEK, -5.0f) << "the value is kept as typed";
    EXPECT_EQ(list->itemMark(1, 1), CellMark::Refused);
    EXPECT_FALSE(list->itemNote(1, 1).isEmpty());
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_EQ(statuses.last(), list->itemNote(1, 1).section('\n', 0, 0));

    typeKeys(h, 1, 3, "1e30");
    QCoreApplication::processEvents();
    EXPECT_EQ(h->itemMark(1, 3), CellMark::LooksWrong);
    EXPECT_TRUE(statuses.last().contains("million")) << statuses.last().toStdString();

    typeKeys(h, 2, 4, "-7");
    QCoreApplication::processEvents();
    EXPECT_EQ(h->itemMark(2, 4), CellMark::LooksWrong) << "a well's use is not negative";

    // Mended values lose their marks; the others keep theirs.
    typeKeys(list, 1, 1, "2500");
    typeKeys(h, 1, 3, "30");
    QCoreApplication::processEvents();
    EXPECT_EQ(list->itemMark(1, 1), CellMark::None);
    EXPECT_EQ(h->itemMark(1, 3), CellMark::None);
    EXPECT_EQ(h->itemMark(2, 4), CellMark::LooksWrong);
}
