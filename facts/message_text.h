// How the programs read lines and quote what they read in a message, written
// once for every reader: no line may be longer than kMaxLineBytes (a file
// without line ends, such as /dev/zero, is refused instead of filling the
// memory), and a message shows at most kQuotedCharacters characters of the
// offending text with control characters, escape sequences and bytes that
// are not UTF-8 written out as escapes, so nothing a file holds reaches the
// terminal as a command.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vek {

// The longest line any reader takes, its line end not counted: 1 MiB.
inline constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;
// The same in words, for the messages.
inline constexpr const char *kMaxLineText = "1 MiB (1048576 bytes)";

// Characters of a file's text a message quotes.
inline constexpr std::size_t kQuotedCharacters = 80;

namespace message_text_detail {

inline void appendHex(std::string &out, unsigned value, int digits) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (int d = digits - 1; d >= 0; --d)
        out += kHex[(value >> (4 * d)) & 15u];
}

// Length of the UTF-8 sequence at the start of `s` (2 to 4), or 0 when it is
// none (a lone continuation byte, a cut or overlong sequence, a surrogate).
inline std::size_t utf8Length(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned c = b(0);
    std::size_t n = 0;
    unsigned cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2, cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3, cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4, cp = c & 0x07u;
    } else {
        return 0;
    }
    if (s.size() < n) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xC0u) != 0x80u) return 0;
        cp = (cp << 6) | (b(i) & 0x3Fu);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

} // namespace message_text_detail

// `text` as a message quotes it (without the quotation marks): at most
// `most` characters, then "..." when there was more. Tab, carriage return and
// line feed are written \t, \r and \n, every other control character (the
// escape that starts a terminal's command sequences included, and the C1
// controls U+0080 to U+009F) and every byte that is not part of a valid
// UTF-8 character as \xNN (\u00NN for a C1 control).
inline std::string messageText(std::string_view text, std::size_t most = kQuotedCharacters) {
    using namespace message_text_detail;
    std::string out;
    std::size_t shown = 0, i = 0;
    while (i < text.size() && shown < most) {
        const auto c = static_cast<unsigned char>(text[i]);
        ++shown;
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            ++i;
        } else if (c == '\t' || c == '\r' || c == '\n') {
            out += c == '\t' ? "\\t" : c == '\r' ? "\\r" : "\\n";
            ++i;
        } else if (const std::size_t n = c >= 0x80 ? utf8Length(text.substr(i)) : 0; n > 0) {
            const auto second = static_cast<unsigned char>(text[i + 1]);
            if (c == 0xC2 && second < 0xA0) {
                out += "\\u00";
                appendHex(out, second, 2);
            } else {
                out.append(text.substr(i, n));
            }
            i += n;
        } else {
            out += "\\x";
            appendHex(out, c, 2);
            ++i;
        }
    }
    if (i < text.size()) out += "...";
    return out;
}

// A line as read (its line end, "\n" or "\r\n", dropped) quoted for a message.
inline std::string messageLine(std::string_view line, std::size_t most = kQuotedCharacters) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return messageText(line, most);
}

} // namespace vek
