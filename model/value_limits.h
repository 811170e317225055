// What a model may hold so that every file the writer makes reads back:
// the readers refuse a line longer than kMaxLineBytes and a number that is
// not finite, so names and values are checked against the same limits when
// they are set. Each check returns an empty string when the value may be
// set, or says why not in words a user can act on.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vek {

// A location's name is a line of the file of its own.
inline constexpr std::size_t kMostLocationNameBytes = std::size_t{1} << 20;
// A reach's or a response table's name shares its line with other words and
// may be written escaped, so it is held to far less.
inline constexpr std::size_t kMostLabelBytes = std::size_t{64} << 10;

// `what` names the value in the message ("a location name").
std::string locationNameProblem(std::string_view name);
std::string labelProblem(std::string_view name, std::string_view what);
std::string finiteProblem(double value, std::string_view what);

} // namespace vek
