// Locations and years named on a command line (vektool report, VEKView
// --plot): "all", or positions and years separated by commas.
#pragma once

#include "results/output_results.h"

#include <string>
#include <vector>

namespace vek {

// "all", or 0-based positions "0,3,4" of the results' entries (the last
// three are the summaries). Empty, or what names nothing in the results.
std::string selectLocations(const OutputResults &results, const std::string &wanted, std::vector<int> &out);

// "all" (every printed year, then the average row), or printed years and
// "avg" for the average row: "1990,1991,avg". Positions into every entry's
// rows. Empty, or what names nothing in the results.
std::string selectYears(const OutputResults &results, const std::string &wanted, std::vector<int> &out);

} // namespace vek
