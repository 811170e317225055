// Decoding report text (see text_decoding.h).
#include "results/text_decoding.h"

namespace vek {

namespace {

// Windows-1252's characters for the bytes 0x80 to 0x9F; 0 where it has none.
constexpr char32_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void appendUtf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The lead byte's sequence length and the range its second byte must lie in
// (which rules out overlong forms, surrogates and code points beyond
// U+10FFFF); 0 for a byte that starts no sequence.
struct Lead {
    unsigned length;
    unsigned char low, high;
};
Lead leadOf(unsigned char c) {
    if (c >= 0xC2 && c <= 0xDF) return {2, 0x80, 0xBF};
    if (c == 0xE0) return {3, 0xA0, 0xBF};
    if (c == 0xED) return {3, 0x80, 0x9F};
    if (c >= 0xE1 && c <= 0xEF) return {3, 0x80, 0xBF};
    if (c == 0xF0) return {4, 0x90, 0xBF};
    if (c == 0xF4) return {4, 0x80, 0x8F};
    if (c >= 0xF1 && c <= 0xF3) return {4, 0x80, 0xBF};
    return {0, 0, 0};
}

// How many bytes from s[i] on belong to a well-formed sequence begun there
// (all of it, or as much as the text holds before its end).
unsigned wellFormed(std::string_view s, std::size_t i, const Lead &lead) {
    unsigned n = 1;
    for (; n < lead.length && i + n < s.size(); ++n) {
        const unsigned char b = static_cast<unsigned char>(s[i + n]);
        const bool ok = n == 1 ? b >= lead.low && b <= lead.high : (b & 0xC0) == 0x80;
        if (!ok) break;
    }
    return n;
}

} // namespace

std::string decodeReportText(std::string_view s, bool mayBeCut) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const Lead lead = leadOf(c);
        if (lead.length) {
            const unsigned n = wellFormed(s, i, lead);
            if (n == lead.length) {
                out.append(s.substr(i, n));
                i += n;
                continue;
            }
            if (mayBeCut && i + n == s.size()) break; // a character cut by the field's end
        }
        if (c >= 0xA0)
            appendUtf8(out, c);
        else if (const char32_t w = kWindows1252[c - 0x80])
            appendUtf8(out, w);
        else
            appendUtf8(out, 0xFFFD);
        ++i;
    }
    return out;
}

} // namespace vek
