// Numbers typed into the form's cells, key by key as a user types them: a
// decimal comma is the decimal point it stands for, and a number the model
// cannot store is refused with a word in the status bar, never kept as 0.
#include "editor/location_list_model.h"
#include "editor/month_table_model.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "grid/cell_roles.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace vek;
using vek::test::cellText;

namespace {

// Types text into cell (row, col) key by key, then Enter.
void typeKeys(SpreadsheetView *t, int row, int col, const QString &text) {
    t->setFocus();
    t->setCurrentIndex(t->model()->index(row, col));
    for (QChar ch : text)
        QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

CellMark markOf(const QTableView *t, int row, int col) {
    return static_cast<CellMark>(t->model()->index(row, col).data(MarkRole).toInt());
}
QString noteOf(const QTableView *t, int row, int col) {
    return t->model()->index(row, col).data(Qt::ToolTipRole).toString();
}

using TypedNumbers = test::FormFixture;

} // namespace

TEST_F(TypedNumbers, DecimalCommaIsThePointItStandsFor) {
    SpreadsheetView *h = view->historicalTable();
    typeKeys(h, 0, 2, "3,5");
    EXPECT_FLOAT_EQ(m().locations[0].historicalData[2][0], 3.5f);
    EXPECT_EQ(cellText(h, 0, 2), "3.5");
    typeKeys(view->locationTable(), 1, 1, "12,25");
    EXPECT_FLOAT_EQ(m().locations[1].VEK, 12.25f);
    EXPECT_TRUE(statuses.isEmpty()) << statuses.join("; ").toStdString();
}

TEST_F(TypedNumbers, NumbersBeyondSinglePrecisionAreRefusedAndTold) {
    SpreadsheetView *s = view->synthesizedTable();
    const float before = m().locations[0].synthesizedData[0][1];
    typeKeys(s, 1, 0, "1e39");
    EXPECT_FLOAT_EQ(m().locations[0].synthesizedData[0][1], before);
    EXPECT_EQ(cellText(s, 1, 0), QString::number(static_cast<double>(before)));
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_TRUE(statuses.last().contains("3.4e38")) << statuses.last().toStdString();
    EXPECT_NE(m().synthesizeFormat, 4) << "a refused value makes nothing user-defined";
}

// Values a run would refuse, and values that hardly mean what was meant, are
// marked in their cells and told in the status bar; a mended value loses its
// mark.
TEST_F(TypedNumbers, ValuesTheRunWouldRefuseOrThatLookWrongAreMarked) {
    SpreadsheetView *list = view->locationTable();
    SpreadsheetView *h = view->historicalTable();
    QCoreApplication::processEvents();
    EXPECT_EQ(markOf(list, 0, 1), CellMark::None);

    typeKeys(list, 0, 1, "-5");
    QCoreApplication::processEvents();
    EXPECT_FLOAT_EQ(m().locations[0].VEK, -5.0f) << "the value is kept as typed";
    EXPECT_EQ(markOf(list, 0, 1), CellMark::Refused);
    EXPECT_FALSE(noteOf(list, 0, 1).isEmpty());
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_EQ(statuses.last(), noteOf(list, 0, 1).section('\n', 0, 0));

    typeKeys(h, 0, 2, "1e30");
    QCoreApplication::processEvents();
    EXPECT_EQ(markOf(h, 0, 2), CellMark::LooksWrong);
    EXPECT_TRUE(statuses.last().contains("million")) << statuses.last().toStdString();

    typeKeys(h, 1, 3, "-7");
    QCoreApplication::processEvents();
    EXPECT_EQ(markOf(h, 1, 3), CellMark::LooksWrong) << "a well's use is not negative";

    // Mended values lose their marks; the others keep theirs.
    typeKeys(list, 0, 1, "2500");
    typeKeys(h, 0, 2, "30");
    QCoreApplication::processEvents();
    EXPECT_EQ(markOf(list, 0, 1), CellMark::None);
    EXPECT_EQ(markOf(h, 0, 2), CellMark::None);
    EXPECT_EQ(markOf(h, 1, 3), CellMark::LooksWrong);
}
