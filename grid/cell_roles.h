// What the tables' models tell their views beyond Qt's own item data roles:
// numbers-only cells, cells that act on a click, the owner's current row and
// marks on values that look wrong or would be refused.
#pragma once

#include <QString>
#include <Qt>

#include <map>
#include <utility>

namespace vek {

// A mark on a cell whose value the owner finds wrong: one the program would
// refuse, or one that only looks wrong. The cell shows it in colour, and its
// note (Qt::ToolTipRole) as the cell's tool tip.
enum class CellMark { None, LooksWrong, Refused };

enum CellRole : int {
    // bool: the cell takes numbers only (typed, pasted or cleared).
    NumericRole = Qt::UserRole + 1,
    // int, a CellMark.
    MarkRole,
    // bool: a click on the cell does something (the owner's toggles); it
    // shows in the link colour, and Space on it clicks it.
    ClickableRole,
    // bool: the row is the owner's current record (the selected location).
    HighlightRole,
};

// A cell's mark and why.
struct CellNote {
    CellMark mark = CellMark::None;
    QString note;
};
// Marks of a table by (row, column).
using CellMarks = std::map<std::pair<int, int>, CellNote>;

// Adds a mark to a cell's marks: a refusal outweighs a value that only looks
// wrong; notes of the same kind are joined a line each.
void addMark(CellNote &cell, CellMark mark, const QString &note);

} // namespace vek
