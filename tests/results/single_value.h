// A report of one location over 2000-2001 whose only diversion and stream
// value stand at one position, for the tests of the year-type change, the
// text report and the graph data.
#pragma once

#include "results/output_results.h"

namespace vek::test {

// One location over 2000-2001 whose only diversion and stream value is at
// (row, position).
inline OutputResults singleValue(int yearType, int row, int position) {
    OutputResults r;
    r.yearType = yearType;
    r.firstPrintYear = 2000;
    r.lastPrintYear = 2001;
    vek::LocationResult loc;
    loc.name = "Well";
    loc.rows.resize(3);
    loc.rows[static_cast<size_t>(row)].diversion[position] = -7.0f;
    loc.rows[static_cast<size_t>(row)].stream[position] = -3.0f;
    r.locations.push_back(loc);
    return r;
}

} // namespace vek::test
