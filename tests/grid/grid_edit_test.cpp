// In-place editing and keyboard handling of the grid control: how edits
// start and end, what they store and announce, and how the focus moves.
#include "grid_test_support.h"

#include "grid/in_place_edit.h"

#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace vek;
using vek::test::fillNames;
using vek::test::GridRecorder;
using vek::test::showFocusedOnFirstCell;

namespace {

// A shown, active window holding the grid (1 header row and column, 4 x 4
// data cells) and a line edit to take the focus away.
struct EditWindow : vek::test::WithApp {
    QWidget window;
    CGridCtrl *grid;
    QLineEdit *other;
    EditWindow() {
        auto *layout = new QVBoxLayout(&window);
        // Made first, so it heads the focus chain the editor box ends.
        other = new QLineEdit(&window);
        grid = new CGridCtrl(&window);
        layout->addWidget(grid);
        layout->addWidget(other);
        window.resize(500, 300);
        grid->setRowCount(5);
        grid->setColumnCount(5);
        grid->setFixedRowCount(1);
        grid->setFixedColumnCount(1);
        fillNames(*grid);
        showFocusedOnFirstCell(window, *grid);
    }
    QLineEdit *edit() const { return grid->inPlaceEdit(); }
    void type(const QString &text) {
        for (QChar ch : text)
            QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), k, mods);
    }
};

TEST(GridEdit, EnterStoresNotifiesAndEditsTheCellBelow) {
    EditWindow w;
    GridRecorder rec(*w.grid);
    w.key(Qt::Key_F2);
    ASSERT_NE(w.edit(), nullptr);
    EXPECT_EQ(w.edit()->text(), "r1c1");
    w.edit()->setText("42");
    w.key(Qt::Key_Return);
    EXPECT_EQ(w.grid->itemText(1, 1), "42");
    EXPECT_TRUE(w.grid->itemState(1, 1) & GVIS_MODIFIED);
    EXPECT_EQ(w.grid->focusCell(), CCellID(2, 1));
    ASSERT_NE(w.edit(), nullptr);
    EXPECT_EQ(w.grid->editingCell(), CCellID(2, 1));
    EXPECT_EQ(w.edit()->text(), "r2c1");
    EXPECT_EQ(rec.edits(), QStringList({"begin 1,1", "end 1,1", "begin 2,1"}));
    const auto ends = rec.of(GVN_ENDLABELEDIT);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].text, "42"); // stored before the owner is told
}

TEST(GridEdit, EnterOnTheLastRowEndsTheEditInPlace) {
    EditWindow w;
    w.grid->setFocusCell(4, 2);
    w.type("9");
    w.key(Qt::Key_Enter);
    EXPECT_EQ(w.grid->itemText(4, 2), "9");
    EXPECT_EQ(w.grid->focusCell(), CCellID(4, 2));
    EXPECT_EQ(w.edit(), nullptr);
}

TEST(GridEdit, EscapeRestoresTheOldText) {
    EditWindow w;
    GridRecorder rec(*w.grid);
    w.type("77");
    ASSERT_NE(w.edit(), nullptr);
    EXPECT_EQ(w.edit()->text(), "77");
    w.key(Qt::Key_Escape);
    EXPECT_EQ(w.edit(), nullptr);
    EXPECT_EQ(w.grid->itemText(1, 1), "r1c1");
    EXPECT_FALSE(w.grid->itemState(1, 1) & GVIS_MODIFIED);
    EXPECT_EQ(w.grid->focusCell(), CCellID(1, 1));
    // The owner still hears the edit end, with the old text in the cell.
    const auto ends = rec.of(GVN_ENDLABELEDIT);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].text, "r1c1");
}

TEST(GridEdit, ArrowsEndATypedEditButMoveInsideAnF2Edit) {
    struct Row {
        const char *name;
        bool typed;
        Qt::KeyboardModifiers mods;
        Qt::Key key;
        bool ends;
        CCellID focus;
    };
    const Row rows[] = {
        {"typed, Right", true, Qt::NoModifier, Qt::Key_Right, true, {2, 3}},
        {"typed, Up", true, Qt::NoModifier, Qt::Key_Up, true, {1, 2}},
        {"typed, Page Down", true, Qt::NoModifier, Qt::Key_PageDown, true, {4, 2}},
        {"F2, Right", false, Qt::NoModifier, Qt::Key_Right, false, {2, 2}},
        {"F2, Down", false, Qt::NoModifier, Qt::Key_Down, false, {2, 2}},
        {"F2, Ctrl+Down", false, Qt::ControlModifier, Qt::Key_Down, true, {3, 2}},
        {"F2, Tab", false, Qt::NoModifier, Qt::Key_Tab, true, {2, 3}},
        {"F2, Shift+Tab", false, Qt::ShiftModifier, Qt::Key_Backtab, true, {2, 1}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EditWindow w;
        w.grid->setFocusCell(2, 2);
        if (row.typed)
            w.type("5");
        else
            w.key(Qt::Key_F2);
        ASSERT_NE(w.edit(), nullptr);
        w.edit()->setText("5");
        w.key(row.key, row.mods);
        EXPECT_EQ(w.grid->focusCell(), row.focus);
        if (row.ends) {
            EXPECT_EQ(w.grid->itemText(2, 2), "5");
            // Navigation keys go straight on to edit the next cell.
            EXPECT_EQ(w.grid->editingCell(), row.focus);
        } else {
            EXPECT_EQ(w.grid->editingCell(), CCellID(2, 2));
            EXPECT_EQ(w.grid->itemText(2, 2), "r2c2");
        }
    }
}

TEST(GridEdit, FocusLossStoresTheText) {
    EditWindow w;
    GridRecorder rec(*w.grid);
    w.key(Qt::Key_F2);
    ASSERT_NE(w.edit(), nullptr);
    w.edit()->setText("kept");
    w.other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(w.edit(), nullptr);
    EXPECT_EQ(w.grid->itemText(1, 1), "kept");
    EXPECT_EQ(rec.edits(), QStringList({"begin 1,1", "end 1,1"}));
}

// Counts focus arrivals at a widget.
struct FocusCounter : QObject {
    int count = 0;
    bool eventFilter(QObject *, QEvent *e) override {
        if (e->type() == QEvent::FocusIn) ++count;
        return false;
    }
};

TEST(GridEdit, ClosingTheEditorKeepsTheFocusInTheGrid) {
    // The next control may act on focus changes (the form's year fields do).
    struct Row {
        const char *name;
        Qt::Key key;
    };
    const Row rows[] = {{"Enter on the last row", Qt::Key_Return}, {"Escape", Qt::Key_Escape}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EditWindow w;
        FocusCounter counter;
        w.other->installEventFilter(&counter);
        w.grid->setFocusCell(4, 4);
        w.key(Qt::Key_F2);
        ASSERT_NE(w.edit(), nullptr);
        w.key(row.key);
        EXPECT_EQ(w.edit(), nullptr);
        EXPECT_EQ(counter.count, 0);
        EXPECT_TRUE(w.grid->hasFocus());
    }
    {
        SCOPED_TRACE("row of the open editor removed");
        EditWindow w;
        FocusCounter counter;
        w.other->installEventFilter(&counter);
        w.grid->setFocusCell(4, 4);
        w.key(Qt::Key_F2);
        w.grid->setRowCount(2);
        EXPECT_EQ(counter.count, 0);
        EXPECT_TRUE(w.grid->hasFocus());
    }
}

TEST(GridEdit, EditBoxWidensWithTheTextUpToTheGridEdge) {
    EditWindow w;
    w.grid->setFocusCell(1, 2);
    w.key(Qt::Key_F2);
    ASSERT_NE(w.edit(), nullptr);
    const int start = w.edit()->width();
    w.edit()->setText("a text that is clearly wider than one cell");
    EXPECT_GT(w.edit()->width(), start);
    w.edit()->setText(QString(400, 'x'));
    EXPECT_LE(w.edit()->geometry().right(), w.grid->viewport()->width());
    EXPECT_GE(w.edit()->width(), start);
}

TEST(GridEdit, TypedCharacterBecomesTheFirstCharacter) {
    EditWindow w;
    w.type("3.5");
    ASSERT_NE(w.edit(), nullptr);
    EXPECT_EQ(w.edit()->text(), "3.5");
    w.key(Qt::Key_Return);
    EXPECT_EQ(w.grid->itemText(1, 1), "3.5");
}

TEST(GridEdit, ProtectedCellsNeverOpenAnEditor) {
    EditWindow w;
    GridRecorder rec(*w.grid);
    w.grid->setItemState(2, 2, GVIS_READONLY);
    w.grid->setFocusCell(2, 2);
    w.key(Qt::Key_F2);
    w.type("x");
    QTest::mouseDClick(w.grid->viewport(), Qt::LeftButton, {}, w.grid->cellRect(2, 2).center());
    EXPECT_EQ(w.edit(), nullptr);
    // Header cells.
    QTest::mouseDClick(w.grid->viewport(), Qt::LeftButton, {}, w.grid->cellRect(0, 2).center());
    QTest::mouseDClick(w.grid->viewport(), Qt::LeftButton, {}, w.grid->cellRect(3, 0).center());
    EXPECT_EQ(w.edit(), nullptr);
    EXPECT_FALSE(w.grid->editCell(0, 1));
    EXPECT_FALSE(w.grid->editCell(2, 2));
    // Editing switched off.
    w.grid->setEditable(false);
    EXPECT_FALSE(w.grid->editCell(3, 3));
    EXPECT_TRUE(rec.edits().isEmpty());
    EXPECT_EQ(w.grid->itemText(2, 2), "r2c2");
}

TEST(GridEdit, DoubleClickNotifiesAndEdits) {
    EditWindow w;
    GridRecorder rec(*w.grid);
    QTest::mouseDClick(w.grid->viewport(), Qt::LeftButton, {}, w.grid->cellRect(3, 2).center());
    const auto dbl = rec.of(NM_DBLCLK);
    ASSERT_EQ(dbl.size(), 1u);
    EXPECT_EQ(dbl[0].row, 3);
    EXPECT_EQ(dbl[0].col, 2);
    EXPECT_EQ(w.grid->editingCell(), CCellID(3, 2));
}

TEST(GridEdit, OwnerRewritingTheCellAtEndEditIsKept) {
    // As the input form does: it rewrites the typed number in "%g" form.
    EditWindow w;
    QObject::connect(w.grid, &CGridCtrl::endLabelEdit, [&](int row, int col) {
        w.grid->setItemText(row, col, QString::number(w.grid->itemText(row, col).toDouble()));
    });
    w.type("007");
    w.key(Qt::Key_Return);
    EXPECT_EQ(w.grid->itemText(1, 1), "7");
    EXPECT_EQ(w.grid->editingCell(), CCellID(2, 1));
}

TEST(GridEdit, OwnerRefillingTheTableAtEndEditDoesNotBreakTheNextEdit) {
    EditWindow w;
    QObject::connect(w.grid, &CGridCtrl::endLabelEdit, [&](int, int) {
        w.grid->deleteNonFixedRows();
        w.grid->setRowCount(2);
    });
    w.grid->setFocusCell(1, 1);
    w.type("1");
    w.key(Qt::Key_Return);
    EXPECT_EQ(w.grid->rowCount(), 2);
    EXPECT_EQ(w.edit(), nullptr);
    EXPECT_FALSE(w.grid->focusCell().isValid() && !w.grid->isValid(w.grid->focusCell()));
}

TEST(GridEdit, EditorGoesWhenItsRowIsRemoved) {
    EditWindow w;
    w.grid->setFocusCell(4, 1);
    w.key(Qt::Key_F2);
    ASSERT_NE(w.edit(), nullptr);
    w.grid->setRowCount(3);
    EXPECT_EQ(w.edit(), nullptr);
    QApplication::processEvents();
    EXPECT_EQ(w.grid->rowCount(), 3);
}

TEST(GridKeys, MovementSkipsHiddenRowsAndColumns) {
    struct Row {
        const char *name;
        CCellID from;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        CCellID to;
    };
    // Row 2 and column 2 are hidden.
    const Row rows[] = {
        {"down over hidden row", {1, 1}, Qt::Key_Down, Qt::NoModifier, {3, 1}},
        {"up over hidden row", {3, 1}, Qt::Key_Up, Qt::NoModifier, {1, 1}},
        {"right over hidden column", {1, 1}, Qt::Key_Right, Qt::NoModifier, {1, 3}},
        {"left stops at first data column", {1, 1}, Qt::Key_Left, Qt::NoModifier, {1, 1}},
        {"up stops at first data row", {1, 3}, Qt::Key_Up, Qt::NoModifier, {1, 3}},
        {"enter moves down", {1, 3}, Qt::Key_Return, Qt::NoModifier, {3, 3}},
        {"tab wraps to next row", {1, 4}, Qt::Key_Tab, Qt::NoModifier, {3, 1}},
        {"home", {3, 4}, Qt::Key_Home, Qt::NoModifier, {3, 1}},
        {"end", {3, 1}, Qt::Key_End, Qt::NoModifier, {3, 4}},
        {"ctrl+home", {4, 4}, Qt::Key_Home, Qt::ControlModifier, {1, 1}},
        {"ctrl+end", {1, 1}, Qt::Key_End, Qt::ControlModifier, {4, 4}},
        {"page down", {1, 1}, Qt::Key_PageDown, Qt::NoModifier, {4, 1}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EditWindow w;
        w.grid->setRowHeight(2, 0);
        w.grid->setColumnWidth(2, 0);
        w.grid->setFocusCell(row.from);
        w.key(row.key, row.mods);
        EXPECT_EQ(w.grid->focusCell(), row.to);
        EXPECT_EQ(w.edit(), nullptr);
    }
}

TEST(GridKeys, FocusMovesAreAnnouncedFirst) {
    EditWindow w;
    CCellID focusAtNotice;
    int noticedRow = -1;
    QObject::connect(w.grid, &CGridCtrl::focusChanging, [&](int row, int) {
        focusAtNotice = w.grid->focusCell();
        noticedRow = row;
    });
    w.key(Qt::Key_Down);
    EXPECT_EQ(noticedRow, 2);
    EXPECT_EQ(focusAtNotice, CCellID(1, 1)); // not moved yet
    EXPECT_EQ(w.grid->focusCell(), CCellID(2, 1));
    EXPECT_TRUE(w.grid->isCellSelected(2, 1));
}

TEST(GridKeys, ClipboardShortcuts) {
    EditWindow w;
    w.grid->setSelectedRange(1, 1, 2, 2);
    w.key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "r1c1\tr1c2\nr2c1\tr2c2");
    w.grid->setFocusCell(3, 3);
    w.key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.grid->itemText(4, 4), "r2c2");
    w.key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w.grid->selectedRange(), CCellRange(1, 1, 4, 4));
    w.grid->setSelectedRange(3, 3, 3, 4);
    w.key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "r1c1\tr1c2"); // pasted there above
    w.grid->setFocusCell(1, 3);
    w.key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(w.grid->itemText(1, 4), "r1c2");
    w.grid->setSelectedRange(1, 1, 1, 2);
    w.key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(w.grid->itemText(1, 1), "");
    EXPECT_EQ(w.grid->itemText(1, 2), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "r1c1\tr1c2");
}

TEST(GridMouse, ClickRightClickAndDragSelection) {
    EditWindow w;
    GridRecorder rec(*w.grid);
    QWidget *vp = w.grid->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, {}, w.grid->cellRect(3, 2).center());
    EXPECT_EQ(w.grid->focusCell(), CCellID(3, 2));
    ASSERT_EQ(rec.of(NM_CLICK).size(), 1u);
    EXPECT_EQ(rec.of(NM_CLICK)[0].row, 3);
    EXPECT_EQ(rec.of(NM_CLICK)[0].col, 2);

    QTest::mouseClick(vp, Qt::RightButton, {}, w.grid->cellRect(1, 4).center());
    ASSERT_EQ(rec.of(NM_RCLICK).size(), 1u);
    EXPECT_EQ(rec.of(NM_RCLICK)[0].row, 1);
    EXPECT_EQ(rec.of(NM_RCLICK)[0].col, 4);

    QTest::mousePress(vp, Qt::LeftButton, {}, w.grid->cellRect(1, 1).center());
    QTest::mouseMove(vp, w.grid->cellRect(3, 3).center());
    QTest::mouseRelease(vp, Qt::LeftButton, {}, w.grid->cellRect(3, 3).center());
    EXPECT_EQ(w.grid->selectedRange(), CCellRange(1, 1, 3, 3));
    EXPECT_EQ(w.grid->focusCell(), CCellID(1, 1));
}

TEST(GridMouse, HeaderClicksSelectWholeColumnsAndRows) {
    EditWindow w;
    QWidget *vp = w.grid->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, {}, w.grid->cellRect(0, 3).center());
    EXPECT_EQ(w.grid->selectedRange(), CCellRange(1, 3, 4, 3));
    QTest::mouseClick(vp, Qt::LeftButton, {}, w.grid->cellRect(2, 0).center());
    EXPECT_EQ(w.grid->selectedRange(), CCellRange(2, 1, 2, 4));
    QTest::mouseClick(vp, Qt::LeftButton, {}, w.grid->cellRect(0, 0).center());
    EXPECT_EQ(w.grid->selectedRange(), CCellRange(1, 1, 4, 4));
}

TEST(GridMouse, DraggingAHeaderBorderResizesTheRow) {
    EditWindow w;
    QWidget *vp = w.grid->viewport();
    const QRect r = w.grid->cellRect(2, 0);
    const int before = w.grid->rowHeight(2);
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(r.center().x(), r.bottom() + 1));
    QTest::mouseMove(vp, QPoint(r.center().x(), r.bottom() + 11));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(r.center().x(), r.bottom() + 11));
    EXPECT_EQ(w.grid->rowHeight(2), before + 10);
    // Dragged to nothing, the row hides and the keys pass over it.
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(r.center().x(), r.bottom() + 11));
    QTest::mouseMove(vp, QPoint(r.center().x(), 0));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(r.center().x(), 0));
    EXPECT_EQ(w.grid->rowHeight(2), 0);
    w.grid->setFocusCell(1, 1);
    w.key(Qt::Key_Down);
    EXPECT_EQ(w.grid->focusCell(), CCellID(3, 1));
}

TEST(GridSizes, NewFontResizesDefaultRows) {
    EditWindow w;
    w.grid->setRowHeight(3, 50);
    const int before = w.grid->rowHeight(1);
    QFont big = w.grid->font();
    big.setPointSize(big.pointSize() * 2);
    w.grid->setFont(big);
    EXPECT_GT(w.grid->rowHeight(1), before);
    EXPECT_EQ(w.grid->rowHeight(3), 50); // sized by hand: kept
}

TEST(GridMouse, DraggingAHeaderBorderResizesTheColumn) {
    EditWindow w;
    QWidget *vp = w.grid->viewport();
    const QRect r = w.grid->cellRect(0, 2);
    const int before = w.grid->columnWidth(2);
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(r.right() + 1, r.center().y()));
    QTest::mouseMove(vp, QPoint(r.right() + 31, r.center().y()));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(r.right() + 31, r.center().y()));
    EXPECT_EQ(w.grid->columnWidth(2), before + 30);
}

TEST(GridSizes, AutoSizeFitsTheWidestTextAndKeepsHiddenColumnsHidden) {
    EditWindow w;
    w.grid->setItemText(3, 1, "a much longer text than the others");
    w.grid->setColumnWidth(2, 0);
    w.grid->autoSizeColumns();
    const QFontMetrics fm = w.grid->fontMetrics();
    EXPECT_GE(w.grid->columnWidth(1), fm.horizontalAdvance("a much longer text than the others"));
    EXPECT_LT(w.grid->columnWidth(3), w.grid->columnWidth(1));
    EXPECT_GE(w.grid->columnWidth(3), fm.horizontalAdvance("r1c3"));
    EXPECT_EQ(w.grid->columnWidth(2), 0);
}

TEST(GridSizes, ShrinkingTheTableDropsAFocusOrSelectionOutsideIt) {
    EditWindow w;
    w.grid->setFocusCell(4, 4);
    w.grid->setSelectedRange(2, 2, 4, 4);
    w.grid->setRowCount(3);
    EXPECT_FALSE(w.grid->focusCell().isValid());
    EXPECT_EQ(w.grid->selectedRange(), CCellRange(2, 2, 2, 4));
    w.grid->setColumnCount(2);
    EXPECT_EQ(w.grid->selectedRange(), CCellRange());
    EXPECT_EQ(w.grid->copyText(), "r0c0\tr0c1\nr1c0\tr1c1\nr2c0\tr2c1");
}

TEST(GridSizes, InsertRowAppendsAndDeleteNonFixedRowsKeepsHeaders) {
    EditWindow w;
    EXPECT_EQ(w.grid->insertRow("new"), 5);
    EXPECT_EQ(w.grid->itemText(5, 0), "new");
    EXPECT_EQ(w.grid->itemText(5, 1), "");
    w.grid->deleteNonFixedRows();
    EXPECT_EQ(w.grid->rowCount(), 1);
    EXPECT_EQ(w.grid->itemText(0, 3), "r0c3");
}

} // namespace
