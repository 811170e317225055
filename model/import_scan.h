// Number scanning for the import readers, over NUL-terminated text: the
// locale-free conversions of common/numbers.h with a moving pointer, as
// scanf-like code reads them.
#pragma once

#include "common/numbers.h"

#include <cstring>
#include <string_view>

namespace vek::scan {

namespace detail {
template <typename T, typename Scan> bool advance(const char *&p, T &out, Scan scan) {
    const std::string_view s(p, std::strlen(p));
    std::size_t pos = 0;
    if (!scan(s, pos, out)) return false;
    p += pos;
    return true;
}
} // namespace detail

// "%d": optional sign and decimal digits. On success advances p.
inline bool scanInt(const char *&p, int &out) {
    return detail::advance(p, out,
                           [](std::string_view s, std::size_t &pos, int &v) { return vek::scanInt(s, pos, v); });
}

// "%u" without the wrap-around of a minus sign.
inline bool scanUnsigned(const char *&p, unsigned int &out) {
    return detail::advance(
        p, out, [](std::string_view s, std::size_t &pos, unsigned int &v) { return vek::scanUnsigned(s, pos, v); });
}

// "%f"/"%g": a finite single-precision real.
inline bool scanReal(const char *&p, float &out) {
    return detail::advance(p, out,
                           [](std::string_view s, std::size_t &pos, float &v) { return vek::scanReal(s, pos, v); });
}

} // namespace vek::scan
