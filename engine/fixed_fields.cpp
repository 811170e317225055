// Fixed-column field formatting for the report.
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
    char field[9];
    formatF91(field, value);
    out.append(field, 9);
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
