// Small helpers the text report and the graph data share: how a number is
// shown, and a selection put in list order.
#pragma once

#include "common/numbers.h" // formatG: a number as printf's "%g" shows it

#include <algorithm>
#include <vector>

namespace vek {

// Selected indexes in ascending order, each once.
inline std::vector<int> sortedUnique(std::vector<int> v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

} // namespace vek
