// Folder of the running program: /proc/self/exe on Linux, the module's own
// name (GetModuleFileNameW) on Windows.
#include "model/program_directory.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vek {

std::string programDirectory() {
#ifdef _WIN32
    std::wstring name(MAX_PATH, L'\0');
    while (true) {
        const DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (n == 0) return "./";
        if (n < name.size()) {
            name.resize(n);
            break;
        }
        name.resize(name.size() * 2);
    }
    const std::filesystem::path exe(name);
#else
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
#endif
    if (!exe.has_parent_path()) return "./";
    const std::u8string u8 = exe.parent_path().generic_u8string();
    std::string dir(u8.begin(), u8.end());
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

} // namespace vek
