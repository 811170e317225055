// Number scanning shared by the import readers: scanf-like conversions that
// skip leading white space, but never depend on the process locale (the
// desktop program runs with the user's locale, where a decimal comma would
// break "%f"), never wrap or saturate silently, and refuse non-finite reals.
#pragma once

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace vek::scan {

inline const char *skipBlanks(const char *p) {
    while (*p && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    return p;
}

// "%d": optional sign and decimal digits. On success advances p.
inline bool scanInt(const char *&p, int &out) {
    const char *q = skipBlanks(p);
    if (*q == '+' && q[1] != '-') ++q;
    int v = 0;
    auto r = std::from_chars(q, q + std::strlen(q), v);
    if (r.ec != std::errc()) return false;
    out = v;
    p = r.ptr;
    return true;
}

// "%u" without the wrap-around of a minus sign.
inline bool scanUnsigned(const char *&p, unsigned int &out) {
    const char *q = skipBlanks(p);
    if (*q == '+') ++q;
    unsigned int v = 0;
    auto r = std::from_chars(q, q + std::strlen(q), v);
    if (r.ec != std::errc()) return false;
    out = v;
    p = r.ptr;
    return true;
}

// "%f"/"%g": a finite single-precision real. A magnitude too small for a
// float reads as the nearest float (as strtof does); one too large fails.
inline bool scanReal(const char *&p, float &out) {
    const char *q = skipBlanks(p);
    if (*q == '+' && q[1] != '-' && q[1] != '+') ++q;
    const char *end = q + std::strlen(q);
    float v = 0.0f;
    auto r = std::from_chars(q, end, v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        double d = 0.0;
        auto rd = std::from_chars(q, end, d, std::chars_format::general);
        if (rd.ec != std::errc() || !(std::fabs(d) <= FLT_MAX)) return false;
        v = static_cast<float>(d);
        r = rd;
    } else if (r.ec != std::errc()) {
        return false;
    }
    if (!std::isfinite(v)) return false;
    out = v;
    p = r.ptr;
    return true;
}

} // namespace vek::scan
