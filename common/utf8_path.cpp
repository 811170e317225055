// UTF-8 to UTF-16 for the Windows API (see utf8_path.h).
#include "common/utf8_path.h"

#ifdef _WIN32
#include <windows.h>

namespace vek {

std::wstring wideFromUtf8(const std::string &utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

} // namespace vek
#endif
