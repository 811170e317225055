// Marks on table cells (see cell_roles.h).
#include "grid/cell_roles.h"

namespace vek {

void addMark(CellNote &cell, CellMark mark, const QString &note) {
    if (mark == CellMark::None) return;
    if (cell.mark == CellMark::Refused && mark == CellMark::LooksWrong) return; // the refusal says more
    if (cell.mark == mark && !cell.note.isEmpty()) {
        cell.note += QLatin1Char('\n') + note;
        return;
    }
    cell.mark = mark;
    cell.note = note;
}

} // namespace vek
