// Constants shared by the parts of CGridCtrl (table, painting, input,
// editing); not for the grid's users.
#pragma once

#include "grid/grid_cell.h"

#include <QString>

namespace vek::grid_detail {

constexpr int kMargin = 3;        // text inset inside a cell
constexpr int kBorderSlop = 3;    // pixels either side of a header border that grab it
constexpr int kAutoScrollMs = 50; // drag-selection scroll pace
constexpr unsigned kDerivedBits = GVIS_FOCUSED | GVIS_SELECTED | GVIS_FIXED | GVIS_FIXEDROW | GVIS_FIXEDCOL;

// Text that a number may still grow from as it is typed ("", "-", "1e",
// "2."), or a whole number.
bool mayBecomeNumber(const QString &text);

} // namespace vek::grid_detail
