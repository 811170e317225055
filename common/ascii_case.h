// Letter case of the names the programs compare (file extensions, keywords,
// sheet names), ASCII letters only. The C library's tolower follows the
// process's locale: in a Turkish one 'I' stays 'I' (its lower case is the
// dotless i), and in a single-byte one it changes bytes of UTF-8 text.
#pragma once

#include <string>

namespace vek {

constexpr char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string asciiLowered(std::string s) {
    for (char &c : s)
        c = asciiLower(c);
    return s;
}

} // namespace vek
