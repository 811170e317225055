// Copy, paste, cut and Delete of the grid control: the clipboard text format,
// where pasted fields land, which cells are protected, and that every changed
// cell is announced to the owner exactly once before and once after.
#include "grid_test_support.h"

#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

using namespace vek;
using vek::test::dump;
using vek::test::fillNames;
using vek::test::GridRecorder;

namespace {

// 1 header row, 1 header column, 3 data rows x 3 data columns.
struct SmallGrid : vek::test::WithApp {
    CGridCtrl grid;
    SmallGrid() {
        grid.resize(400, 200);
        grid.setRowCount(4);
        grid.setColumnCount(4);
        grid.setFixedRowCount(1);
        grid.setFixedColumnCount(1);
        fillNames(grid);
    }
};

TEST(GridCopy, NothingSelectedCopiesWholeTableWithHeaders) {
    SmallGrid g;
    g.grid.clearSelection();
    g.grid.copy();
    const QString expected = "r0c0\tr0c1\tr0c2\tr0c3\n"
                             "r1c0\tr1c1\tr1c2\tr1c3\n"
                             "r2c0\tr2c1\tr2c2\tr2c3\n"
                             "r3c0\tr3c1\tr3c2\tr3c3";
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
}

TEST(GridCopy, SelectionCopiesRectangleSkippingHiddenRowsAndColumns) {
    SmallGrid g;
    g.grid.setColumnWidth(2, 0);
    g.grid.setRowHeight(2, 0);
    g.grid.setSelectedRange(1, 1, 3, 3);
    EXPECT_EQ(g.grid.copyText(), "r1c1\tr1c3\nr3c1\tr3c3");
    // Hidden rows at the end leave no trailing line feed behind.
    g.grid.setRowHeight(2, 20);
    g.grid.setRowHeight(3, 0);
    EXPECT_EQ(g.grid.copyText(), "r1c1\tr1c3\nr2c1\tr2c3");
}

TEST(GridCopy, EmptyCellsKeepTheirTabs) {
    SmallGrid g;
    g.grid.setItemText(1, 2, "");
    g.grid.setSelectedRange(1, 1, 1, 3);
    EXPECT_EQ(g.grid.copyText(), "r1c1\t\tr1c3");
}

struct PasteRow {
    const char *name;
    QString text;
    int row, col; // focus cell
    QStringList expected;
};

TEST(GridPaste, FieldsLandRightOfAndBelowTheFocusCell) {
    const QStringList start = {"r0c0|r0c1|r0c2|r0c3", "r1c0|r1c1|r1c2|r1c3", "r2c0|r2c1|r2c2|r2c3",
                               "r3c0|r3c1|r3c2|r3c3"};
    const std::vector<PasteRow> rows = {
        {"comma and tab make three fields", "a,b\tc", 1, 1, {start[0], "r1c0|a|b|c", start[2], start[3]}},
        {"fields are trimmed", "  a , b  \t c", 1, 1, {start[0], "r1c0|a|b|c", start[2], start[3]}},
        {"surplus past the last column is dropped", "a\tb\tc", 2, 2, {start[0], start[1], "r2c0|r2c1|a|b", start[3]}},
        {"surplus past the last row is dropped",
         "a\nb\nc",
         2,
         3,
         {start[0], start[1], "r2c0|r2c1|r2c2|a", "r3c0|r3c1|r3c2|b"}},
        {"CR LF line ends", "a\tb\r\nc\td\r\n", 1, 1, {start[0], "r1c0|a|b|r1c3", "r2c0|c|d|r2c3", start[3]}},
        {"trailing line feed does not blank the next row",
         "a\tb\n",
         1,
         1,
         {start[0], "r1c0|a|b|r1c3", start[2], start[3]}},
        {"empty clipboard changes nothing", "", 1, 1, start},
        {"empty field empties its cell", "a,,c", 3, 1, {start[0], start[1], start[2], "r3c0|a||c"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        SmallGrid g;
        g.grid.setFocusCell(row.row, row.col);
        g.grid.pasteText(row.text);
        EXPECT_EQ(dump(g.grid), row.expected);
    }
}

TEST(GridPaste, SkipsHiddenRowsAndColumns) {
    SmallGrid g;
    g.grid.setColumnWidth(2, 0);
    g.grid.setRowHeight(2, 0);
    g.grid.setFocusCell(1, 1);
    g.grid.pasteText("a\tb\nc\td");
    EXPECT_EQ(dump(g.grid),
              QStringList({"r0c0|r0c1|r0c2|r0c3", "r1c0|a|r1c2|b", "r2c0|r2c1|r2c2|r2c3", "r3c0|c|r3c2|d"}));
    // A focus cell on a row hidden since starts the paste at the next shown row.
    g.grid.setRowHeight(1, 0);
    g.grid.pasteText("x");
    EXPECT_EQ(g.grid.itemText(1, 1), "a");
    EXPECT_EQ(g.grid.itemText(3, 1), "x");
}

TEST(GridPaste, TargetsTopLeftOfSelectionWithoutFocusCell) {
    SmallGrid g;
    g.grid.setFocusCell(-1, -1);
    g.grid.setSelectedRange(2, 2, 3, 3);
    g.grid.pasteText("x");
    EXPECT_EQ(g.grid.itemText(2, 2), "x");
    // Pasted cells lose their selected mark.
    EXPECT_FALSE(g.grid.itemState(2, 2) & GVIS_SELECTED);
}

TEST(GridPaste, ReadsTheClipboard) {
    SmallGrid g;
    QGuiApplication::clipboard()->setText("7\t8");
    g.grid.setFocusCell(3, 2);
    g.grid.paste();
    EXPECT_EQ(g.grid.itemText(3, 2), "7");
    EXPECT_EQ(g.grid.itemText(3, 3), "8");
}

TEST(GridPaste, NothingChangesWhenEditingIsOff) {
    SmallGrid g;
    GridRecorder rec(g.grid);
    g.grid.setEditable(false);
    g.grid.setFocusCell(1, 1);
    EXPECT_EQ(g.grid.pasteText("a\tb"), 0);
    g.grid.setSelectedRange(1, 1, 3, 3);
    g.grid.cut();
    g.grid.deleteFocusCell();
    EXPECT_EQ(g.grid.itemText(1, 1), "r1c1");
    EXPECT_TRUE(rec.edits().isEmpty());
}

// The protected cells of one layout: read-only (1,2) and (2,1), headers in
// row 0 and column 0.
struct ProtectedGrid : SmallGrid {
    ProtectedGrid() {
        grid.setItemState(1, 2, grid.itemState(1, 2) | GVIS_READONLY);
        grid.setItemState(2, 1, GVIS_READONLY);
    }
};

TEST(GridProtection, PasteCutAndDeleteLeaveReadOnlyAndFixedCellsAlone) {
    {
        SCOPED_TRACE("paste");
        ProtectedGrid g;
        GridRecorder rec(g.grid);
        g.grid.setFocusCell(1, 1);
        EXPECT_EQ(g.grid.pasteText("a\tb\tc\nd\te\tf\ng\th\ti"), 7);
        EXPECT_EQ(dump(g.grid), QStringList({"r0c0|r0c1|r0c2|r0c3", "r1c0|a|r1c2|c", "r2c0|r2c1|e|f", "r3c0|g|h|i"}));
        EXPECT_EQ(rec.edits(),
                  QStringList({"begin 1,1", "end 1,1", "begin 1,3", "end 1,3", "begin 2,2", "end 2,2", "begin 2,3",
                               "end 2,3", "begin 3,1", "end 3,1", "begin 3,2", "end 3,2", "begin 3,3", "end 3,3"}));
    }
    {
        SCOPED_TRACE("cut over the whole table, headers included");
        ProtectedGrid g;
        GridRecorder rec(g.grid);
        g.grid.setSelectedRange(0, 0, 2, 2);
        g.grid.cut();
        EXPECT_EQ(dump(g.grid),
                  QStringList({"r0c0|r0c1|r0c2|r0c3", "r1c0||r1c2|r1c3", "r2c0|r2c1||r2c3", "r3c0|r3c1|r3c2|r3c3"}));
        EXPECT_EQ(rec.edits(), QStringList({"begin 1,1", "end 1,1", "begin 2,2", "end 2,2"}));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "r0c0\tr0c1\tr0c2\nr1c0\tr1c1\tr1c2\nr2c0\tr2c1\tr2c2");
    }
    {
        SCOPED_TRACE("Delete key");
        ProtectedGrid g;
        g.grid.show();
        GridRecorder rec(g.grid);
        g.grid.setFocusCell(1, 2);
        QTest::keyClick(&g.grid, Qt::Key_Delete);
        EXPECT_EQ(g.grid.itemText(1, 2), "r1c2");
        g.grid.setFocusCell(1, 3);
        QTest::keyClick(&g.grid, Qt::Key_Delete);
        EXPECT_EQ(g.grid.itemText(1, 3), "");
        EXPECT_EQ(rec.edits(), QStringList({"begin 1,3", "end 1,3"}));
    }
}

TEST(GridProtection, OwnerReadsOldTextAtBeginAndNewTextAtEnd) {
    SmallGrid g;
    GridRecorder rec(g.grid);
    QStringList oldTexts;
    QObject::connect(&g.grid, &CGridCtrl::beginLabelEdit, [&](int, int, const QString &old) { oldTexts << old; });
    g.grid.setFocusCell(2, 2);
    g.grid.pasteText("new");
    ASSERT_EQ(rec.notes.size() >= 2, true);
    const auto begins = rec.of(GVN_BEGINLABELEDIT);
    const auto ends = rec.of(GVN_ENDLABELEDIT);
    ASSERT_EQ(begins.size(), 1u);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(begins[0].text, "r2c2");
    EXPECT_EQ(ends[0].text, "new");
    EXPECT_EQ(oldTexts, QStringList({"r2c2"}));
    EXPECT_TRUE(g.grid.itemState(2, 2) & GVIS_MODIFIED);
    EXPECT_FALSE(g.grid.itemState(2, 1) & GVIS_MODIFIED);
}

TEST(GridProtection, OwnerMayShrinkTheTableWhilePasting) {
    // The input form refills tables from its end-edit handler.
    SmallGrid g;
    QObject::connect(&g.grid, &CGridCtrl::endLabelEdit, [&](int row, int) {
        if (row == 1) g.grid.setRowCount(2);
    });
    g.grid.setFocusCell(1, 1);
    g.grid.pasteText("a\tb\nc\td\ne\tf");
    EXPECT_EQ(g.grid.rowCount(), 2);
    EXPECT_EQ(g.grid.itemText(1, 1), "a");
}

TEST(GridSelection, SelectAllTakesEveryNonFixedCell) {
    SmallGrid g;
    g.grid.selectAll();
    EXPECT_EQ(g.grid.selectedRange(), CCellRange(1, 1, 3, 3));
    EXPECT_EQ(g.grid.copyText(), "r1c1\tr1c2\tr1c3\nr2c1\tr2c2\tr2c3\nr3c1\tr3c2\tr3c3");
}

} // namespace
