// Rows and columns with a role: numeric columns that refuse what is no
// number (typed, left half typed, pasted), the highlighted row and the
// clickable columns, as a user sees them.
#include "grid_test_support.h"

#include "grid/in_place_edit.h"

#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace vek;
using vek::test::showFocusedOnFirstCell;

namespace {

// Column 1 holds names, columns 2 and 3 numbers, column 4 a toggle.
struct RolesWindow : vek::test::WithApp {
    QWidget window;
    CGridCtrl *grid;
    RolesWindow() {
        auto *layout = new QVBoxLayout(&window);
        grid = new CGridCtrl(&window);
        layout->addWidget(grid);
        window.resize(500, 300);
        grid->setRowCount(4);
        grid->setColumnCount(5);
        grid->setFixedRowCount(1);
        grid->setFixedColumnCount(1);
        for (int r = 1; r < 4; ++r) {
            grid->setItemText(r, 1, QStringLiteral("name%1").arg(r));
            grid->setItemText(r, 2, QStringLiteral("1.5"));
            grid->setItemText(r, 3, QStringLiteral("2"));
            grid->setItemText(r, 4, QStringLiteral("yes"));
            grid->setItemState(r, 4, GVIS_READONLY);
        }
        grid->setColumnNumeric(2, true);
        grid->setColumnNumeric(3, true);
        grid->setColumnClickable(4, true);
        showFocusedOnFirstCell(window, *grid);
    }
    QImage shot() { return grid->viewport()->grab().toImage(); }
    QColor at(int row, int col) { return shot().pixelColor(grid->cellRect(row, col).topLeft() + QPoint(2, 2)); }
};

} // namespace

TEST(GridRoles, NumberTextIsWholeLocaleFreeDecimals) {
    // A decimal comma stands for the point; a number beyond single precision
    // is none.
    for (const char *yes :
         {"0", "12", "-3", "+4.", ".5", "1.25e3", "1E-3", " 7 ", "-0.000001", "1,5", ",5", "3.4e38", "1e-50"})
        EXPECT_TRUE(CGridCtrl::isNumberText(QString::fromLatin1(yes))) << yes;
    for (const char *no : {"", " ", "-", ".", "1e", "12abc", "abc", "nan", "inf", "1.2.3", "1,2,3", "1.2,3", "0x10",
                           "--1", "1 2", "1e39", "-3.5e38", "1e400"})
        EXPECT_FALSE(CGridCtrl::isNumberText(QString::fromLatin1(no))) << no;
    EXPECT_EQ(CGridCtrl::numberWithPoint(QStringLiteral(" 3,5 ")), "3.5");
}

TEST(GridRoles, LetterTypedIntoANumericCellIsRefusedAndReported) {
    RolesWindow w;
    QSignalSpy refused(w.grid, &CGridCtrl::numberRefused);
    w.grid->setFocusCell(1, 2);
    QTest::keyClick(w.grid, Qt::Key_A);
    EXPECT_FALSE(w.grid->isEditing()) << "a letter starts no edit in a numeric cell";
    ASSERT_EQ(refused.count(), 1);
    EXPECT_EQ(refused.at(0).at(0).toInt(), 1);
    EXPECT_EQ(refused.at(0).at(1).toInt(), 2);

    // Inside an edit the letter is refused too; the digits go on.
    QTest::keyClick(w.grid, Qt::Key_4);
    ASSERT_TRUE(w.grid->isEditing());
    QTest::keyClicks(w.grid->inPlaceEdit(), QStringLiteral("2x.5"));
    EXPECT_EQ(w.grid->inPlaceEdit()->text(), "42.5");
    EXPECT_EQ(refused.count(), 2);
    QTest::keyClick(w.grid->inPlaceEdit(), Qt::Key_Return);
    EXPECT_EQ(w.grid->itemText(1, 2), "42.5");

    // Names take any text.
    w.grid->setFocusCell(1, 1);
    QTest::keyClick(w.grid, Qt::Key_A);
    EXPECT_TRUE(w.grid->isEditing());
    EXPECT_EQ(refused.count(), 2);
}

TEST(GridRoles, HalfTypedNumberKeepsTheOldTextButEmptyClears) {
    RolesWindow w;
    QSignalSpy refused(w.grid, &CGridCtrl::numberRefused);
    for (const char *half : {"-", "1e", "."}) {
        ASSERT_TRUE(w.grid->editCell(2, 3));
        w.grid->inPlaceEdit()->setText(QString::fromLatin1(half));
        w.grid->endEditing(CGridCtrl::EditEnd::Commit);
        EXPECT_EQ(w.grid->itemText(2, 3), "2") << half;
    }
    EXPECT_EQ(refused.count(), 3);
    ASSERT_TRUE(w.grid->editCell(2, 3));
    w.grid->inPlaceEdit()->setText(QString());
    w.grid->endEditing(CGridCtrl::EditEnd::Commit);
    EXPECT_EQ(w.grid->itemText(2, 3), "");
    EXPECT_EQ(refused.count(), 3);
}

TEST(GridRoles, PasteLeavesOutAndCountsFieldsThatAreNoNumbers) {
    RolesWindow w;
    QSignalSpy skipped(w.grid, &CGridCtrl::pasteSkippedNonNumbers);
    w.grid->setFocusCell(1, 1);
    // Names go anywhere; "abc", "1x" and "-" are no numbers; the empty field
    // clears its cell; the read-only toggle is skipped without counting.
    EXPECT_EQ(w.grid->pasteText("Alpha\tabc\t3\tno\nBeta\t1x\t\nGamma\t-\t4e2"), 6);
    EXPECT_EQ(w.grid->itemText(1, 1), "Alpha");
    EXPECT_EQ(w.grid->itemText(1, 2), "1.5");
    EXPECT_EQ(w.grid->itemText(1, 3), "3");
    EXPECT_EQ(w.grid->itemText(1, 4), "yes");
    EXPECT_EQ(w.grid->itemText(2, 2), "1.5");
    EXPECT_EQ(w.grid->itemText(2, 3), "");
    EXPECT_EQ(w.grid->itemText(3, 3), "4e2");
    ASSERT_EQ(skipped.count(), 1);
    EXPECT_EQ(skipped.at(0).at(0).toInt(), 3);

    w.grid->setFocusCell(1, 2);
    w.grid->pasteText("5\t6");
    EXPECT_EQ(skipped.count(), 1) << "nothing to report";
}

TEST(GridRoles, HighlightedRowAndClickableColumnsShow) {
    RolesWindow w;
    w.grid->clearSelection();
    w.grid->setFocusCell(3, 1);
    const QColor plain = w.at(1, 2);
    w.grid->setHighlightedRow(2);
    EXPECT_EQ(w.grid->highlightedRow(), 2);
    EXPECT_NE(w.at(2, 1), plain) << "every cell of the row";
    EXPECT_NE(w.at(2, 3), plain);
    EXPECT_EQ(w.at(1, 2), plain) << "other rows stay as they were";
    EXPECT_FALSE(w.grid->isCellSelected(2, 1)) << "the selection is not involved";

    // A read-only toggle shows in the link colour, not greyed as disabled.
    auto textColours = [&](int row, int col) {
        QSet<QRgb> seen;
        const QImage img = w.shot();
        const QRect r = w.grid->cellRect(row, col).adjusted(2, 2, -2, -2);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                seen.insert(img.pixel(x, y));
        return seen;
    };
    const QRgb link = w.grid->palette().color(QPalette::Link).rgb();
    const QRgb greyed = w.grid->palette().color(QPalette::Disabled, QPalette::Text).rgb();
    EXPECT_TRUE(textColours(3, 4).contains(link));
    EXPECT_FALSE(textColours(3, 4).contains(greyed));

    // The pointing hand over a toggle, none over a name.
    QTest::mouseMove(w.grid->viewport(), w.grid->cellRect(3, 4).center());
    EXPECT_EQ(w.grid->viewport()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(w.grid->viewport(), w.grid->cellRect(3, 1).center());
    EXPECT_NE(w.grid->viewport()->cursor().shape(), Qt::PointingHandCursor);
}
