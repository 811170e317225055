// Helpers for the grid control tests: one QApplication per test program and
// a recorder of the notifications a grid sends to its owner.
#pragma once

#include "grid/grid_ctrl.h"
#include "support/qt_test_app.h"

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

QT_BEGIN_NAMESPACE
// Readable failure messages for Qt strings.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace vek {
inline void PrintTo(const CCellID &c, std::ostream *os) { *os << "(" << c.row << "," << c.col << ")"; }
inline void PrintTo(const CCellRange &r, std::ostream *os) {
    *os << "(" << r.minRow << "," << r.minCol << ")-(" << r.maxRow << "," << r.maxCol << ")";
}
} // namespace vek

namespace vek::test {

inline QApplication &gridApp() { return *qtTestApp("grid_tests"); }

// First base (or member) of a test fixture that holds widgets, so the
// application exists before they are made.
struct WithApp {
    WithApp() { gridApp(); }
};

// Shows the window holding grid, waits until it is active and puts the focus
// and the selection on the first data cell, as the window tests start.
inline void showFocusedOnFirstCell(QWidget &window, CGridCtrl &grid) {
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    grid.setFocus();
    grid.setFocusCell(1, 1);
    grid.setSelectedRange(1, 1, 1, 1);
}

struct GridNote {
    int code;
    int row;
    int col;
    QString text; // old text at begin edit, cell text at end edit
};

// Records every notification in order, reading the cell text the way the
// owners do: the old text at begin edit, the stored text at end edit.
class GridRecorder {
  public:
    explicit GridRecorder(CGridCtrl &grid) : m_grid(grid) {
        QObject::connect(&grid, &CGridCtrl::notify, &m_context, [this](int code, int row, int col) {
            QString text;
            if (code == GVN_BEGINLABELEDIT || code == GVN_ENDLABELEDIT) text = m_grid.itemText(row, col);
            notes.push_back({code, row, col, text});
        });
    }
    std::vector<GridNote> of(int code) const {
        std::vector<GridNote> out;
        for (const auto &n : notes)
            if (n.code == code) out.push_back(n);
        return out;
    }
    // "r,c" of each begin/end edit, in order, for compact comparisons.
    QStringList edits() const {
        QStringList out;
        for (const auto &n : notes)
            if (n.code == GVN_BEGINLABELEDIT || n.code == GVN_ENDLABELEDIT)
                out << QString("%1 %2,%3").arg(n.code == GVN_BEGINLABELEDIT ? "begin" : "end").arg(n.row).arg(n.col);
        return out;
    }
    void clear() { notes.clear(); }

    std::vector<GridNote> notes;

  private:
    CGridCtrl &m_grid;
    QObject m_context; // ends the connection with the recorder
};

// Fills every cell with "r<row>c<col>".
inline void fillNames(CGridCtrl &grid) {
    for (int r = 0; r < grid.rowCount(); ++r)
        for (int c = 0; c < grid.columnCount(); ++c)
            grid.setItemText(r, c, QString("r%1c%2").arg(r).arg(c));
}

// The table as lines of '|'-joined texts, to compare whole grids at once.
inline QStringList dump(const CGridCtrl &grid) {
    QStringList out;
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < grid.columnCount(); ++c)
            row << grid.itemText(r, c);
        out << row.join('|');
    }
    return out;
}

} // namespace vek::test
