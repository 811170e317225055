// The spreadsheet view as a user works it, over a plain Qt model: its keys
// (typing replaces, Enter / Tab / arrows store and move on, Escape puts the
// value back), numbers-only cells, copy and paste of blocks, cut and
// Delete, and how the delegate shows marks and cut-off texts.
#include "grid/cell_roles.h"
#include "grid/spreadsheet_view.h"
#include "support/qt_test_app.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace vek;

namespace {

// Comes first among the fixture's bases: the application exists before
// its widgets.
struct WithApp {
    WithApp() { vek::test::qtTestApp("grid_tests"); }
};

// A window with a 4 x 4 table (column 0 text, columns 1 to 3 numbers,
// column 3 read-only) and a button after it.
class SheetTest : public WithApp, public ::testing::Test {
  protected:
    void SetUp() override {
        model.setHorizontalHeaderLabels({"Name", "A", "B", "C"});
        model.setVerticalHeaderLabels({"1990", "1991", "1992", "1993"});
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                auto *item = new QStandardItem(QString("%1%2").arg(QChar('a' + r)).arg(c));
                if (c > 0) item->setData(true, NumericRole);
                if (c > 0) item->setText(QString::number(10 * r + c));
                if (c == 3) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
                model.setItem(r, c, item);
            }
        view = new SpreadsheetView;
        view->setModel(&model);
        view->setCornerText("Year");
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(view);
        after = new QPushButton("After");
        layout->addWidget(after);
        window.resize(500, 300);
        window.show();
        QApplication::setActiveWindow(&window);
        view->setFocus();
        view->setCurrentIndex(model.index(0, 1));
    }
    QString text(int r, int c) const { return model.index(r, c).data().toString(); }
    // Types key by key into whatever has the focus.
    static void keys(const QString &typed) {
        for (QChar ch : typed)
            QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    }
    static void key(Qt::Key k, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClick(QApplication::focusWidget(), k, mods);
    }

    QStandardItemModel model;
    QWidget window;
    SpreadsheetView *view = nullptr;
    QPushButton *after = nullptr;
};

} // namespace

TEST_F(SheetTest, TypingReplacesAndEnterStoresMovesDownAndGoesOnEditing) {
    keys("42");
    ASSERT_TRUE(view->isEditing());
    EXPECT_EQ(view->cellEditor()->text(), "42") << "the first key replaces the value";
    key(Qt::Key_Return);
    EXPECT_EQ(text(0, 1), "42");
    EXPECT_EQ(view->currentIndex(), model.index(1, 1));
    ASSERT_TRUE(view->isEditing()) << "typing down a column goes on";
    EXPECT_EQ(view->cellEditor()->text(), "11");
    keys("7");
    key(Qt::Key_Down); // an edit begun by Enter ends on the arrows too
    EXPECT_EQ(text(1, 1), "7");
    EXPECT_EQ(view->currentIndex(), model.index(2, 1));
    view->setCurrentIndex(model.index(3, 1));
    keys("5");
    key(Qt::Key_Return); // the last row: the edit simply ends
    EXPECT_EQ(text(3, 1), "5");
    EXPECT_FALSE(view->isEditing());
    EXPECT_EQ(view->currentIndex(), model.index(3, 1));
    key(Qt::Key_Return);
    EXPECT_EQ(view->currentIndex(), model.index(3, 1)) << "Enter without an edit moves down, not past the end";
}

TEST_F(SheetTest, EscapeKeepsTheValueAndArrowsMoveInsideAnF2Edit) {
    keys("99");
    key(Qt::Key_Escape);
    EXPECT_FALSE(view->isEditing());
    EXPECT_EQ(text(0, 1), "1");

    key(Qt::Key_F2);
    ASSERT_TRUE(view->isEditing());
    view->cellEditor()->setCursorPosition(1);
    key(Qt::Key_Left); // inside the text
    ASSERT_TRUE(view->isEditing());
    EXPECT_EQ(view->cellEditor()->cursorPosition(), 0);
    keys("3");
    key(Qt::Key_Right, Qt::ControlModifier); // with Ctrl it leaves
    EXPECT_EQ(text(0, 1), "31");
    EXPECT_EQ(view->currentIndex(), model.index(0, 2));
}

TEST_F(SheetTest, TabStoresAndWalksTheRowsThenLeavesAfterTheLastCell) {
    keys("8");
    key(Qt::Key_Tab);
    EXPECT_EQ(text(0, 1), "8");
    EXPECT_EQ(view->currentIndex(), model.index(0, 2));
    view->endEdit(false);
    view->setCurrentIndex(model.index(0, 3));
    key(Qt::Key_Tab); // the row's end: the next row's first cell
    EXPECT_EQ(view->currentIndex(), model.index(1, 0));
    key(Qt::Key_Backtab);
    EXPECT_EQ(view->currentIndex(), model.index(0, 3));
    view->setCurrentIndex(model.index(3, 3));
    key(Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus()) << "past the last cell Tab leaves the table";
}

TEST_F(SheetTest, NumbersOnlyCellsRefuseOtherTextAndReadADecimalComma) {
    QSignalSpy refused(view, &SpreadsheetView::numberRefused);
    keys("x");
    EXPECT_FALSE(view->isEditing()) << "a letter does not open a numbers cell";
    EXPECT_EQ(refused.count(), 1);

    keys("1e");
    key(Qt::Key_Return); // half a number: the cell keeps its value
    EXPECT_EQ(text(0, 1), "1");
    EXPECT_EQ(refused.count(), 2);
    view->endEdit(false);

    view->setCurrentIndex(model.index(0, 2));
    keys("3,5");
    key(Qt::Key_Return);
    EXPECT_EQ(text(0, 2), "3.5");
    view->endEdit(false);

    view->setCurrentIndex(model.index(0, 0));
    keys("x"); // a text cell takes letters
    key(Qt::Key_Return);
    EXPECT_EQ(text(0, 0), "x");
    EXPECT_EQ(refused.count(), 2);
}

TEST_F(SheetTest, CopyTakesTheSelectionOrTheWholeTableWithHeaders) {
    view->clearSelection();
    EXPECT_EQ(view->copyText(), "Year\tName\tA\tB\tC\n1990\ta0\t1\t2\t3\n1991\tb0\t11\t12\t13\n"
                                "1992\tc0\t21\t22\t23\n1993\td0\t31\t32\t33");
    view->setColumnHidden(2, true);
    view->selectionModel()->select(QItemSelection(model.index(1, 1), model.index(2, 3)),
                                   QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(view->copyText(), "11\t13\n21\t23") << "a hidden column is left out";
    view->copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "11\t13\n21\t23");
}

TEST_F(SheetTest, PasteLaysTheBlockOutAndSaysWhatItLeftOut) {
    QSignalSpy clipped(view, &SpreadsheetView::pasteClipped);
    QSignalSpy notNumbers(view, &SpreadsheetView::pasteSkippedNonNumbers);
    int batches = 0;
    QString what;
    view->setBatch([&](const QString &w, const std::function<void()> &apply) {
        ++batches;
        what = w;
        apply();
    });
    view->setRowHidden(1, true);
    view->setCurrentIndex(model.index(0, 0));
    // Row 1 is hidden: the second line goes to row 2. Column 3 is read-only;
    // "x" is no number; the third line and the fifth field fall outside.
    const int written = view->pasteText("n1\t5\tx\t9\t7\nn2,6,7\nn3\nn4\n");
    EXPECT_EQ(written, 6);
    EXPECT_EQ(text(0, 0), "n1");
    EXPECT_EQ(text(0, 1), "5");
    EXPECT_EQ(text(0, 2), "2") << "not a number: left as it was";
    EXPECT_EQ(text(0, 3), "3") << "read-only";
    EXPECT_EQ(text(1, 0), "b0") << "hidden";
    EXPECT_EQ(text(2, 0), "n2");
    EXPECT_EQ(text(2, 2), "7");
    EXPECT_EQ(text(3, 0), "n3");
    EXPECT_EQ(batches, 1);
    EXPECT_EQ(what, "Paste into");
    ASSERT_EQ(notNumbers.count(), 1);
    EXPECT_EQ(notNumbers.at(0).at(0).toInt(), 1);
    ASSERT_EQ(clipped.count(), 1);
    EXPECT_EQ(clipped.at(0).at(0).toInt(), 2) << "the field past the last column and the line past the last row";

    EXPECT_EQ(view->pasteText(""), 0) << "an empty clipboard blanks nothing";
    EXPECT_EQ(text(0, 0), "n1");
}

TEST_F(SheetTest, CutAndDeleteEmptyOnlyEditableCells) {
    view->selectionModel()->select(QItemSelection(model.index(1, 2), model.index(1, 3)),
                                   QItemSelectionModel::ClearAndSelect);
    view->cut();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "12\t13");
    EXPECT_EQ(text(1, 2), "");
    EXPECT_EQ(text(1, 3), "13") << "read-only";
    view->setCurrentIndex(model.index(2, 3));
    key(Qt::Key_Delete);
    EXPECT_EQ(text(2, 3), "23");
    view->setCurrentIndex(model.index(2, 1));
    key(Qt::Key_Delete);
    EXPECT_EQ(text(2, 1), "");
}

TEST_F(SheetTest, TableKeysWinOverTheWindowsShortcuts) {
    auto *pasteAction = new QAction("Paste", &window);
    pasteAction->setShortcut(QKeySequence::Paste);
    window.addAction(pasteAction);
    QSignalSpy triggered(pasteAction, &QAction::triggered);
    QGuiApplication::clipboard()->setText("77");
    view->setCurrentIndex(model.index(3, 2));
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(text(3, 2), "77");
    EXPECT_EQ(triggered.count(), 0);
}

TEST_F(SheetTest, SpaceClicksACellThatActsOnAClick) {
    QSignalSpy clicked(view, &QAbstractItemView::clicked);
    model.item(1, 0)->setData(true, ClickableRole);
    view->setCurrentIndex(model.index(1, 0));
    QTest::keyClick(view, Qt::Key_Space);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toModelIndex(), model.index(1, 0));
    EXPECT_FALSE(view->isEditing());
}

TEST_F(SheetTest, MarksAndTheCurrentRowAreTintedAndATipSaysWhy) {
    model.item(0, 1)->setData(static_cast<int>(CellMark::Refused), MarkRole);
    model.item(0, 1)->setData(QString("No negative factor."), Qt::ToolTipRole);
    model.item(2, 0)->setData(true, HighlightRole);
    view->clearSelection();
    view->setCurrentIndex(QModelIndex());
    const QImage shot = view->viewport()->grab().toImage();
    const auto colourAt = [&](int r, int c) {
        const QRect cell = view->visualRect(model.index(r, c));
        return shot.pixelColor(cell.left() + 4, cell.center().y());
    };
    const QColor base = view->palette().color(QPalette::Base);
    const QColor refused = colourAt(0, 1), highlighted = colourAt(2, 0), plain = colourAt(1, 1);
    EXPECT_EQ(plain, base);
    EXPECT_GT(refused.red(), refused.blue() + 40) << "tinted towards red";
    EXPECT_NE(highlighted, base);

    // The tool tip: the note of a marked cell, the whole text of a cut one.
    model.item(3, 0)->setText(QString(60, 'W'));
    for (const auto &[cell, expected] : {std::pair{model.index(0, 1), QString("No negative factor.")},
                                         std::pair{model.index(3, 0), QString(60, 'W')}}) {
        const QRect r = view->visualRect(cell);
        QHelpEvent help(QEvent::ToolTip, r.center(), view->viewport()->mapToGlobal(r.center()));
        QApplication::sendEvent(view->viewport(), &help);
        EXPECT_EQ(QToolTip::text(), expected);
    }
}
