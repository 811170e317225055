// Locale-free number reading and writing (see numbers.h).
#include "common/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace vek {

namespace {

std::size_t skipBlanks(std::string_view s, std::size_t p) {
    while (p < s.size() && isBlank(s[p]))
        ++p;
    return p;
}

// Skips a plus sign that from_chars would not take, unless another sign
// follows it ("+-1" is no number, as for scanf).
std::size_t skipPlus(std::string_view s, std::size_t p) {
    if (p + 1 < s.size() && s[p] == '+' && s[p + 1] != '-' && s[p + 1] != '+') ++p;
    return p;
}

} // namespace

std::string_view trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool scanInt(std::string_view s, std::size_t &pos, int &out) {
    const std::size_t p = skipPlus(s, skipBlanks(s, pos));
    int v = 0;
    auto r = std::from_chars(s.data() + p, s.data() + s.size(), v);
    if (r.ec != std::errc()) return false;
    out = v;
    pos = static_cast<std::size_t>(r.ptr - s.data());
    return true;
}

bool scanUnsigned(std::string_view s, std::size_t &pos, unsigned int &out) {
    std::size_t p = skipBlanks(s, pos);
    if (p < s.size() && s[p] == '+') ++p;
    unsigned int v = 0;
    auto r = std::from_chars(s.data() + p, s.data() + s.size(), v);
    if (r.ec != std::errc()) return false;
    out = v;
    pos = static_cast<std::size_t>(r.ptr - s.data());
    return true;
}

bool scanReal(std::string_view s, std::size_t &pos, float &out) {
    const std::size_t p = skipPlus(s, skipBlanks(s, pos));
    const char *first = s.data() + p;
    const char *last = s.data() + s.size();
    float v = 0.0f;
    auto r = std::from_chars(first, last, v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        double d = 0.0;
        auto rd = std::from_chars(first, last, d, std::chars_format::general);
        if (rd.ec != std::errc() || !(std::fabs(d) <= std::numeric_limits<float>::max())) return false;
        v = static_cast<float>(d);
        r = rd;
    } else if (r.ec != std::errc()) {
        return false;
    }
    if (!std::isfinite(v)) return false;
    out = v;
    pos = static_cast<std::size_t>(r.ptr - s.data());
    return true;
}

bool scanReal(std::string_view s, std::size_t &pos, double &out) {
    const std::size_t p = skipPlus(s, skipBlanks(s, pos));
    double v = 0.0;
    auto r = std::from_chars(s.data() + p, s.data() + s.size(), v, std::chars_format::general);
    if (r.ec != std::errc() || !std::isfinite(v)) return false;
    out = v;
    pos = static_cast<std::size_t>(r.ptr - s.data());
    return true;
}

float leadingNumber(std::string_view field) {
    std::size_t pos = 0;
    float v = 0.0f;
    return scanReal(field, pos, v) ? v : 0.0f;
}

int leadingInteger(std::string_view field) {
    std::size_t p = skipPlus(field, skipBlanks(field, 0));
    long long v = 0;
    auto r = std::from_chars(field.data() + p, field.data() + field.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        const bool negative = p < field.size() && field[p] == '-';
        return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    if (r.ec != std::errc()) return 0;
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

std::string formatG(double v, int precision) {
    // std::to_chars with a precision is printf's "%.*g" in the "C" locale,
    // including "inf" and "nan".
    char buf[128];
    if (precision < 0) precision = 6;
    if (precision > 60) precision = 60;
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, precision);
    return std::string(buf, r.ptr);
}

} // namespace vek
