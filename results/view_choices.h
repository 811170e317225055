// What the output view has chosen: the selection, the scale, the year type
// and the two check boxes. The text report and the graph data are built from
// an OutputResults and one of these.
#pragma once

#include "results/result_units.h"

#include <vector>

namespace vek {

struct ViewChoices {
    enum Scale { Yearly = 0, Monthly = 1 };

    // Selected entries of the locations list (indexes into
    // OutputResults::locations), any order; built in ascending order.
    std::vector<int> locations;
    // Selected entries of the years list: position p is firstPrintYear + p,
    // and position printedYears() is the "Average" entry.
    std::vector<int> years;
    int scale = Monthly;
    // The view's year type choice; the graphs number their months by it
    // (-1: take the results' own year type). The text report always follows
    // the results' year type, which the view changes through
    // OutputResults::changeYearType.
    int yearType = -1;
    bool showDiversion = true;
    bool showStream = true;
    // The unit of every value shown or exported (the engine's acre-feet by
    // default).
    ResultUnit units = ResultUnit::AcreFeet;
};

} // namespace vek
