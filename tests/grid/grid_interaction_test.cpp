// Mouse and keyboard behaviour around the cells: title tips for cut-off
// text, wheel and drag scrolling, the start of a drag, extending the
// selection, and grid keys winning over window shortcuts.
#include "grid_test_support.h"

#include "grid/title_tip.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace vek;
using vek::test::fillNames;
using vek::test::GridRecorder;
using vek::test::showFocusedOnFirstCell;

namespace {

// A shown, active window with a 1 header row/column grid of 30 x 6 cells.
struct Window : vek::test::WithApp {
    QWidget window;
    CGridCtrl *grid;
    explicit Window(int rows = 31, QSize size = QSize(420, 220)) {
        auto *layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        grid = new CGridCtrl(&window);
        layout->addWidget(grid);
        window.resize(size);
        grid->setColumnCount(7);
        grid->setRowCount(rows);
        grid->setFixedRowCount(1);
        grid->setFixedColumnCount(1);
        fillNames(*grid);
        showFocusedOnFirstCell(window, *grid);
    }
    QWidget *vp() const { return grid->viewport(); }
};

// Rests the mouse on a point. Qt drops a move to where the mouse already
// is, so it first goes elsewhere.
void hover(QWidget *w, QPoint pos) {
    QTest::mouseMove(w, QPoint(1, 1));
    QTest::mouseMove(w, pos);
}

CTitleTip *shownTip() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *tip = qobject_cast<CTitleTip *>(w); tip && tip->isVisible()) return tip;
    return nullptr;
}

TEST(GridTitleTip, ShowsOnlyForCutOffText) {
    Window w;
    w.grid->setItemText(2, 2, "a text far too long for its narrow column");
    hover(w.vp(), w.grid->cellRect(2, 2).center());
    CTitleTip *tip = shownTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->text(), "a text far too long for its narrow column");
    EXPECT_GT(tip->width(), w.grid->columnWidth(2));
    EXPECT_EQ(tip->geometry().topLeft(), w.vp()->mapToGlobal(w.grid->cellRect(2, 2).topLeft()));

    hover(w.vp(), w.grid->cellRect(3, 3).center());
    EXPECT_EQ(shownTip(), nullptr);

    w.grid->setTitleTipsEnabled(false);
    hover(w.vp(), w.grid->cellRect(2, 2).center());
    EXPECT_EQ(shownTip(), nullptr);
}

TEST(GridTitleTip, HidesWhenTheMouseLeavesOrTheGridHides) {
    Window w;
    w.grid->setItemText(2, 2, "a text far too long for its narrow column");
    hover(w.vp(), w.grid->cellRect(2, 2).center());
    ASSERT_NE(shownTip(), nullptr);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w.vp(), &leave);
    EXPECT_EQ(shownTip(), nullptr);
    hover(w.vp(), w.grid->cellRect(2, 2).center() + QPoint(1, 0));
    ASSERT_NE(shownTip(), nullptr);
    w.window.hide();
    EXPECT_EQ(shownTip(), nullptr);
}

TEST(GridTitleTip, GoesWithTheGrid) {
    {
        Window w;
        w.grid->setItemText(2, 2, "a text far too long for its narrow column");
        hover(w.vp(), w.grid->cellRect(2, 2).center());
        ASSERT_NE(shownTip(), nullptr);
    }
    EXPECT_EQ(shownTip(), nullptr);
}

TEST(GridScroll, WheelScrollsByTheDesktopLineCount) {
    Window w;
    QScrollBar *bar = w.grid->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const QPointF pos = w.grid->cellRect(2, 2).center();
    QWheelEvent down(pos, w.vp()->mapToGlobal(pos), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.vp(), &down);
    EXPECT_EQ(bar->value(), std::min(bar->maximum(), QApplication::wheelScrollLines() * w.grid->defaultRowHeight()));
    // Header row and column stay in place.
    EXPECT_EQ(w.grid->cellRect(0, 3).top(), 0);
    EXPECT_GT(w.grid->topLeftNonFixedCell().row, 1);
}

TEST(GridScroll, KeyboardScrollsTheFocusCellIntoView) {
    Window w;
    w.grid->setFocusCell(1, 1);
    QTest::keyClick(w.grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w.grid->focusCell(), CCellID(30, 6));
    const QRect r = w.grid->cellRect(30, 6);
    EXPECT_TRUE(w.vp()->rect().contains(r)) << r.x() << "," << r.y();
    QTest::keyClick(w.grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(w.grid->verticalScrollBar()->value(), 0);
    EXPECT_EQ(w.grid->horizontalScrollBar()->value(), 0);
}

TEST(GridScroll, DraggingPastTheBottomEdgeScrollsAndExtendsTheSelection) {
    Window w;
    const QPoint start = w.grid->cellRect(2, 2).center();
    QTest::mousePress(w.vp(), Qt::LeftButton, {}, start);
    const QPoint below(start.x(), w.vp()->height() + 10);
    QTest::mouseMove(w.vp(), below);
    QTest::qWait(400);
    EXPECT_GT(w.grid->verticalScrollBar()->value(), 0);
    const CCellRange sel = w.grid->selectedRange();
    EXPECT_EQ(sel.minRow, 2);
    EXPECT_GT(sel.maxRow, 6);
    EXPECT_EQ(sel.minCol, 2);
    EXPECT_EQ(sel.maxCol, 2);
    QTest::mouseRelease(w.vp(), Qt::LeftButton, {}, below);
    const int after = w.grid->verticalScrollBar()->value();
    QTest::qWait(150);
    EXPECT_EQ(w.grid->verticalScrollBar()->value(), after); // stops with the button
}

TEST(GridSelection, DraggingASelectedBlockAnnouncesTheDrag) {
    Window w;
    GridRecorder rec(*w.grid);
    w.grid->setSelectedRange(1, 1, 3, 3);
    QTest::mousePress(w.vp(), Qt::LeftButton, {}, w.grid->cellRect(2, 2).center());
    QTest::mouseMove(w.vp(), w.grid->cellRect(4, 3).center());
    QTest::mouseRelease(w.vp(), Qt::LeftButton, {}, w.grid->cellRect(4, 3).center());
    const auto drags = rec.of(GVN_BEGINDRAG);
    ASSERT_EQ(drags.size(), 1u);
    EXPECT_EQ(drags[0].row, 2);
    EXPECT_EQ(drags[0].col, 2);
    EXPECT_EQ(w.grid->selectedRange(), CCellRange(2, 2, 4, 3));
}

TEST(GridSelection, ShiftExtendsFromTheAnchor) {
    Window w;
    QTest::keyClick(w.grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(w.grid, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(w.grid->selectedRange(), CCellRange(1, 1, 2, 2));
    QTest::mouseClick(w.vp(), Qt::LeftButton, Qt::ShiftModifier, w.grid->cellRect(4, 3).center());
    EXPECT_EQ(w.grid->selectedRange(), CCellRange(1, 1, 4, 3));
    // A plain move collapses it again.
    QTest::keyClick(w.grid, Qt::Key_Up);
    EXPECT_EQ(w.grid->selectedRange().isValid(), true);
    EXPECT_EQ(w.grid->selectedCount(), 1);
}

TEST(GridKeys, GridKeysWinOverWindowShortcuts) {
    Window w;
    int fired = 0;
    auto *copyAction = new QAction(&w.window);
    copyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    w.window.addAction(copyAction);
    QObject::connect(copyAction, &QAction::triggered, [&] { ++fired; });
    w.grid->setSelectedRange(2, 2, 2, 3);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(w.grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "r2c2\tr2c3");
}

} // namespace

namespace {

// Counts the context-menu events that get past the grid to its window.
struct MenuCounter : QWidget {
    int menus = 0;
    void contextMenuEvent(QContextMenuEvent *) override { ++menus; }
};

TEST(GridMouse, RightClickReachesTheOwnerOnce) {
    vek::test::gridApp();
    MenuCounter window;
    auto *grid = new CGridCtrl(&window);
    grid->resize(300, 150);
    grid->setRowCount(4);
    grid->setColumnCount(4);
    grid->setFixedRowCount(1);
    window.resize(300, 150);
    window.show();
    GridRecorder rec(*grid);
    const QPoint pos = grid->cellRect(2, 1).center();
    QContextMenuEvent byMouse(QContextMenuEvent::Mouse, pos, grid->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(grid->viewport(), &byMouse);
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, pos);
    EXPECT_EQ(window.menus, 0);
    ASSERT_EQ(rec.of(NM_RCLICK).size(), 1u);
    EXPECT_EQ(rec.of(NM_RCLICK)[0].row, 2);

    grid->setFocusCell(3, 2);
    QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(grid, &byKey);
    EXPECT_EQ(window.menus, 0);
    ASSERT_EQ(rec.of(NM_RCLICK).size(), 2u);
    EXPECT_EQ(rec.of(NM_RCLICK)[1].row, 3);
    EXPECT_EQ(rec.of(NM_RCLICK)[1].col, 2);
}

} // namespace
