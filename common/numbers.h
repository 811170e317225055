// Reading and writing numbers the same way in every locale. The desktop
// program runs with the user's locale, where the C library's conversions
// would read and write a decimal comma; these follow the C library's rules
// in the "C" locale instead ("%d" and "%g" as scanf reads them, "%g" as
// printf writes it), built on std::from_chars and std::to_chars.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vek {

// White space as the "C" locale's isspace has it (space, \t \n \v \f \r).
constexpr bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// s without leading and trailing white space.
std::string_view trim(std::string_view s);

// Scanning at a position, as scanf's conversions do: white space is skipped
// first; on success `pos` moves past the number, on failure it stays.
// "%d": optional sign and decimal digits, within the range of int.
bool scanInt(std::string_view s, std::size_t &pos, int &out);
// "%u" without the wrap-around of a minus sign.
bool scanUnsigned(std::string_view s, std::size_t &pos, unsigned int &out);
// "%g"/"%f": a finite single-precision real ("inf" and "nan" are no
// numbers). A magnitude too small for a float reads as the nearest float;
// one too large fails.
bool scanReal(std::string_view s, std::size_t &pos, float &out);
// The same in double precision ("%lf"): a finite double; a magnitude
// beyond the range of double is no number.
bool scanReal(std::string_view s, std::size_t &pos, double &out);

// The leading number of a typed or stored field, 0 when there is none (the
// rule of atof and atoi). An integer beyond the range of int saturates.
float leadingNumber(std::string_view field);
int leadingInteger(std::string_view field);

// A number as printf's "%.<precision>g" writes it in the "C" locale: that
// many significant digits (6 by default), trailing zeros dropped, exponent
// form ("1e+06", "1.5e-05") when the exponent is below -4 or not below the
// precision.
std::string formatG(double v, int precision = 6);

} // namespace vek
