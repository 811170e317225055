// Fixed-column fields of the report: In, F9.1 and An, right- or left-justified
// with asterisks when a value does not fit.
#pragma once

#include <string>
#include <string_view>

#include "engine/real.h"

namespace vek::engine {

// Integer right-justified in `width` columns; `width` asterisks when it does not fit.
void appendInt(std::string &out, long long value, int width);

// Real rounded to one decimal (the float's exact value, ties to even) in 9
// columns; 9 asterisks when the rounded form is wider or the value is not
// finite. A zero of either sign prints as 0.0; any other negative value keeps
// its minus sign even when it rounds to -0.0.
void appendF91(std::string &out, Real value);

// Text of exactly `width` characters: cut, or padded with blanks on the right.
void appendText(std::string &out, std::string_view text, std::size_t width);

} // namespace vek::engine
