// Folder of the running program, from /proc/self/exe.
#include "model/program_directory.h"

#include <filesystem>
#include <system_error>

namespace vek {

std::string programDirectory() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || !exe.has_parent_path()) return "./";
    std::string dir = exe.parent_path().string();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

} // namespace vek
