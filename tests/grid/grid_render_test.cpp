// Renders a grid laid out like the input form's monthly table to a PNG in
// the build tree (for a look by eye) and checks the colours that tell the
// parts apart: button-coloured headers, faint grid lines, highlighted
// selection, plain data cells.
#include "grid_test_support.h"

#include "grid/in_place_edit.h"
#include "support/test_files.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

using namespace vek;

namespace {

const char *kMonths[] = {"NOV", "DEC", "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT"};

struct MonthlyTable : vek::test::WithApp {
    CGridCtrl grid;
    MonthlyTable() {
        grid.resize(720, 220);
        grid.setColumnCount(13);
        grid.setFixedColumnCount(1);
        grid.setRowCount(1);
        grid.setFixedRowCount(1);
        grid.setItemText(0, 0, "Year");
        for (int c = 1; c <= 12; ++c)
            grid.setItemText(0, c, kMonths[c - 1]);
        for (int y = 0; y < 12; ++y) {
            const int r = grid.insertRow(QString::number(1990 + y));
            for (int c = 1; c <= 12; ++c)
                grid.setItemText(r, c, QString::number((y * 13 + c * 7) % 50 * 1.25, 'g', 6));
        }
        grid.setItemState(2, 3, GVIS_READONLY);
        grid.autoSizeColumns();
        grid.setFocusCell(3, 2);
        grid.setSelectedRange(3, 2, 5, 4);
        grid.show();
    }
};

TEST(GridRender, DrawsHeadersGridLinesSelectionAndFocus) {
    MonthlyTable t;
    const QImage img = t.grid.viewport()->grab().toImage();
    ASSERT_FALSE(img.isNull());
    const std::string dir = vek::test::outputDir();
    QDir().mkpath(QString::fromStdString(dir));
    img.save(QString::fromStdString(dir + "/grid_render.png"));

    const QPalette pal = t.grid.palette();
    auto colourAt = [&](int row, int col, int dx, int dy) {
        const QRect r = t.grid.cellRect(row, col);
        return img.pixelColor(r.left() + dx, r.top() + dy);
    };
    // Middle of a header cell, left of its centred text.
    EXPECT_EQ(colourAt(0, 5, 3, 3), pal.color(QPalette::Button));
    EXPECT_EQ(colourAt(4, 0, 3, 3), pal.color(QPalette::Button));
    // A plain data cell and its right-hand grid line.
    const QRect plain = t.grid.cellRect(8, 8);
    EXPECT_EQ(colourAt(8, 8, plain.width() - 3, 3), pal.color(QPalette::Base));
    // The grid line is a quarter of the way from the background to the text,
    // in whatever palette: faint, never a fixed light grey.
    const QColor line = colourAt(8, 8, plain.width() - 1, 3);
    const QColor base = pal.color(QPalette::Base), text = pal.color(QPalette::Text);
    EXPECT_NEAR(line.red(), base.red() + (text.red() - base.red()) / 4, 1);
    EXPECT_NEAR(line.green(), base.green() + (text.green() - base.green()) / 4, 1);
    EXPECT_NEAR(line.blue(), base.blue() + (text.blue() - base.blue()) / 4, 1);
    // Selected cells other than the focus cell are highlighted.
    const QRect sel = t.grid.cellRect(4, 3);
    const QColor hl = colourAt(4, 3, sel.width() - 3, 3);
    EXPECT_NE(hl, pal.color(QPalette::Base));
    EXPECT_EQ(hl.rgb(), pal.color(QPalette::Inactive, QPalette::Highlight).rgb());
    // The focus cell has its frame.
    EXPECT_EQ(colourAt(3, 2, 1, 5), pal.color(QPalette::WindowText));
}

TEST(GridRender, FollowsADarkPalette) {
    MonthlyTable t;
    QPalette dark = t.grid.palette();
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2e));
    dark.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x38));
    dark.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
    t.grid.setPalette(dark);
    const QImage img = t.grid.viewport()->grab().toImage();
    img.save(QString::fromStdString(vek::test::outputDir() + "/grid_render_dark.png"));
    // Every pixel of a data cell's background and grid lines stays dark; only
    // the text is light.
    const QRect cell = t.grid.cellRect(8, 8);
    int light = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (img.pixelColor(x, y).lightness() > 128) ++light;
    const int textWidth = t.grid.fontMetrics().horizontalAdvance(t.grid.itemText(8, 8));
    EXPECT_LT(light, textWidth * t.grid.fontMetrics().height() / 2) << "light pixels beyond the text";
    EXPECT_EQ(img.pixelColor(cell.left() + cell.width() - 3, cell.top() + 3), dark.color(QPalette::Base));
    EXPECT_LT(img.pixelColor(cell.right(), cell.top() + 3).lightness(), 100) << "grid line";
}

TEST(GridRender, EditBoxSitsOverItsCell) {
    MonthlyTable t;
    t.grid.resize(420, 160);
    QApplication::processEvents();
    ASSERT_TRUE(t.grid.editCell(4, 3));
    ASSERT_NE(t.grid.inPlaceEdit(), nullptr);
    const QRect cell = t.grid.cellRect(4, 3);
    const QRect box = t.grid.inPlaceEdit()->geometry();
    EXPECT_EQ(box.topLeft(), cell.topLeft() + QPoint(1, 1));
    EXPECT_EQ(box.height(), cell.height() - 2);
    const std::string dir = vek::test::outputDir();
    QDir().mkpath(QString::fromStdString(dir));
    t.grid.grab().save(QString::fromStdString(dir + "/grid_render_editing.png"));
}

TEST(GridRender, FixedRowsAndColumnsStayPutWhenScrolled) {
    MonthlyTable t;
    t.grid.resize(300, 120);
    QApplication::processEvents();
    const QRect header = t.grid.cellRect(0, 5);
    t.grid.ensureVisible(12, 12);
    EXPECT_EQ(t.grid.cellRect(0, 0), QRect(0, 0, t.grid.columnWidth(0), t.grid.rowHeight(0)));
    EXPECT_EQ(t.grid.cellRect(12, 0).left(), 0);
    EXPECT_EQ(t.grid.cellRect(0, 12).top(), 0);
    EXPECT_NE(t.grid.cellRect(0, 5), header);
    // The last cell is now inside the viewport, not under a header.
    const QRect last = t.grid.cellRect(12, 12);
    EXPECT_LE(last.right(), t.grid.viewport()->width());
    EXPECT_LE(last.bottom(), t.grid.viewport()->height());
    EXPECT_EQ(t.grid.cellAt(last.center()), CCellID(12, 12));
    // A scrolled cell hidden under the header column is not hit there.
    EXPECT_EQ(t.grid.cellAt(QPoint(2, last.center().y())).col, 0);
}

} // namespace
