// Fixed-column fields of the report: In, F9.1 and An, right- or left-justified
// with asterisks when a value does not fit.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
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

// The same field written into field[0..8]. Done by hand rather than through
// printf: a float times 10 is exact in a double, so rounding that product
// half-to-even gives printf's digits, many times faster.
inline void formatF91(char *field, Real value) {
    constexpr int kWidth = 9;
    if (!std::isfinite(value) || std::fabs(value) >= 1.0e8f) {
        std::memset(field, '*', kWidth);
        return;
    }
    // Exact: 24 significant bits times 10 needs at most 28 bits.
    const double tenths = static_cast<double>(value) * 10.0;
    // Adding and taking away 1.5 * 2^52 rounds to an integer, nearest with
    // ties to even, for any magnitude below 2^51 (here below 1e9). Without
    // fast-math the compiler keeps both steps.
    constexpr double kRound = 6755399441055744.0;
    const double rounded = (tenths + kRound) - kRound;
    auto mag = static_cast<std::uint32_t>(std::fabs(rounded));
    // Filled from the right: tenths digit, point, integer digits, sign.
    int pos = kWidth;
    field[--pos] = static_cast<char>('0' + mag % 10);
    mag /= 10;
    field[--pos] = '.';
    do {
        if (pos == 0) {
            std::memset(field, '*', kWidth);
            return;
        }
        field[--pos] = static_cast<char>('0' + mag % 10);
        mag /= 10;
    } while (mag != 0);
    if (value < 0.0f) {
        if (pos == 0) {
            std::memset(field, '*', kWidth);
            return;
        }
        field[--pos] = '-';
    }
    while (pos > 0)
        field[--pos] = ' ';
}

// Text of exactly `width` characters: cut, or padded with blanks on the right.
void appendText(std::string &out, std::string_view text, std::size_t width);

} // namespace vek::engine
