// One cell of the grid control: its text, state flags and display format,
// plus the small value types (cell id, cell range) the grid is addressed with.
#pragma once

#include "grid/cell_roles.h"

#include <QString>
#include <Qt>

namespace vek {

// Cell state flags. Owners set and test these bits directly, so the values
// are fixed.
enum GridCellState : unsigned {
    GVIS_FOCUSED = 0x01,
    GVIS_SELECTED = 0x02,
    GVIS_DROPHILITED = 0x04,
    GVIS_READONLY = 0x08, // never edited; skipped by paste, cut and delete
    GVIS_FIXED = 0x10,
    GVIS_FIXEDROW = 0x20,
    GVIS_FIXEDCOL = 0x40,
    GVIS_MODIFIED = 0x80,
};

// Notification codes, carried by CGridCtrl::notify() next to the dedicated
// signals, for owners that route every notification through one handler.
enum GridNotifyCode : int {
    NM_CLICK = -2,
    NM_DBLCLK = -3,
    NM_RCLICK = -5,
    GVN_SELCHANGING = -100,
    GVN_SELCHANGED = -101,
    GVN_BEGINLABELEDIT = -105,
    GVN_ENDLABELEDIT = -106,
    GVN_BEGINDRAG = -109,
};

// Row and column of a cell; -1 means "none".
struct CCellID {
    int row = -1;
    int col = -1;
    CCellID() = default;
    CCellID(int r, int c) : row(r), col(c) {}
    bool isValid() const { return row >= 0 && col >= 0; }
    bool operator==(const CCellID &) const = default;
};

// Inclusive rectangle of cells; invalid when any bound is negative or the
// range is inverted.
struct CCellRange {
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;
    CCellRange() = default;
    CCellRange(int r1, int c1, int r2, int c2) : minRow(r1), minCol(c1), maxRow(r2), maxCol(c2) {}
    bool isValid() const { return minRow >= 0 && minCol >= 0 && maxRow >= minRow && maxCol >= minCol; }
    bool contains(int row, int col) const {
        return isValid() && row >= minRow && row <= maxRow && col >= minCol && col <= maxCol;
    }
    bool operator==(const CCellRange &) const = default;
};

// A cell: its own text, the state bits the owner sets (the focused,
// selected and fixed bits follow from the grid and are not stored here) and
// its alignment. An empty format takes the grid's default for ordinary or
// fixed cells, so a cell keeps the right look when the fixed counts change.

class CGridCell {
  public:
    QString text;
    unsigned state = 0;
    Qt::Alignment format = {};
    CellMark mark = CellMark::None;
    QString note;
};

} // namespace vek
