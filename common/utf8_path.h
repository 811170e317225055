// File names are UTF-8 strings inside the program. std::filesystem::path
// built from a plain std::string reads it in the system's narrow encoding
// (on Windows not UTF-8), so paths are made and read through these two.
#pragma once

#include <filesystem>
#include <string>

namespace vek {

inline std::filesystem::path pathFromUtf8(const std::string &utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8FromPath(const std::filesystem::path &p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

#ifdef _WIN32
// UTF-16 for the Windows API (invalid bytes become U+FFFD).
std::wstring wideFromUtf8(const std::string &utf8);
#endif

} // namespace vek
