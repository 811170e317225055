// Small helpers the text report and the graph data share: how a number is
// shown, and a selection put in list order.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace vek {

// A number as printf's %g shows it.
inline std::string formatG(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// Selected indexes in ascending order, each once.
inline std::vector<int> sortedUnique(std::vector<int> v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

} // namespace vek
