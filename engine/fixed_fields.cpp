// Fixed-column field formatting for the report. F9.1 is done by hand rather
// than through printf: a float times 10 is exact in a double, so rounding that
// product half-to-even gives the same digits printf would, many times faster.
#include "engine/fixed_fields.h"

#include <cmath>
#include <cstdint>

namespace vek::engine {

namespace {
void pad(std::string &out, std::size_t used, std::size_t width, char fill) {
    if (used < width) out.append(width - used, fill);
}
} // namespace

void appendInt(std::string &out, long long value, int width) {
    char digits[24];
    int n = 0;
    bool negative = value < 0;
    // Work on the magnitude as unsigned so the most negative value is safe.
    unsigned long long mag =
        negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        digits[n++] = static_cast<char>('0' + mag % 10);
        mag /= 10;
    } while (mag != 0);
    int len = n + (negative ? 1 : 0);
    if (len > width) {
        out.append(static_cast<std::size_t>(width), '*');
        return;
    }
    pad(out, static_cast<std::size_t>(len), static_cast<std::size_t>(width), ' ');
    if (negative) out.push_back('-');
    while (n > 0)
        out.push_back(digits[--n]);
}

void appendF91(std::string &out, Real value) {
    constexpr std::size_t kWidth = 9;
    if (!std::isfinite(value) || std::fabs(value) >= 1.0e8f) {
        out.append(kWidth, '*');
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
    char field[kWidth];
    int pos = static_cast<int>(kWidth);
    field[--pos] = static_cast<char>('0' + mag % 10);
    mag /= 10;
    field[--pos] = '.';
    do {
        if (pos == 0) {
            out.append(kWidth, '*');
            return;
        }
        field[--pos] = static_cast<char>('0' + mag % 10);
        mag /= 10;
    } while (mag != 0);
    if (value < 0.0f) {
        if (pos == 0) {
            out.append(kWidth, '*');
            return;
        }
        field[--pos] = '-';
    }
    while (pos > 0)
        field[--pos] = ' ';
    out.append(field, kWidth);
}

void appendText(std::string &out, std::string_view text, std::size_t width) {
    if (text.size() >= width) {
        out.append(text.substr(0, width));
    } else {
        out.append(text);
        out.append(width - text.size(), ' ');
    }
}

} // namespace vek::engine
