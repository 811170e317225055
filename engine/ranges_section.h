// The uncertainty ranges of a model input file: a section after the pumping
// records and before the response methods, which readers that do not know it
// pass over (they look only for the response methods' first line):
//
//   Uncertainty ranges 1
//   range factor all lognormal median=800 sd=0.5 low=50 high=5000
//   range pumping 3 uniform low=0.8 high=1.2 shared
//   end
//
// A statement is `range QUANTITY LOCATION DISTRIBUTION fields`: the quantity
// (factor, a, S, T, parameter, pumping), the location's 1-based position in
// the file or `all`, the distribution (fixed, uniform, loguniform,
// triangular, normal, lognormal), then the fields the distribution uses:
// value= (fixed), low= high= (all others), mode= (triangular), mean= sd=
// (normal), median= sd= (log-normal, sd that of ln x), and the word `shared`
// for one draw for all the locations the range applies to. A field starting
// with # ends the line; blank lines are ignored. Like the response methods'
// first line, a first line followed by a number is a location's name.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/uncertainty.h"

namespace vek::engine {

inline constexpr std::string_view kRangesSectionTitle = "Uncertainty ranges";
inline constexpr int kRangesSectionLayout = 1;

class RangesSectionError : public std::runtime_error {
  public:
    RangesSectionError(const std::string &what, long long line) : std::runtime_error(what), line_(line) {}
    long long line() const { return line_; }

  private:
    long long line_;
};

struct RangesSection {
    bool present = false;
    long long line = 0; // of its first line
    Ranges ranges;
};

// The section of a model file held in memory (its last first line); none
// when the file has none. Throws RangesSectionError for a damaged section,
// naming its line.
RangesSection findRangesSection(std::string_view text);

// A range of `distribution` from its fields, named as the section names
// them (value, low, high, mode, mean, median, sd): what is wrong (a field
// the distribution does not use, one given twice or missing, a range
// rangeProblem refuses), empty when `out` holds the range.
std::string rangeFromFields(Distribution distribution, const std::vector<std::pair<std::string, double>> &fields,
                            Range &out);

// The section's lines for `ranges` (none for no ranges); numbers in the
// shortest form that reads back as the same double.
std::vector<std::string> rangesSectionLines(const Ranges &ranges);

} // namespace vek::engine
