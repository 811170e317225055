// The vek program's report opening, POSIX and Windows.
#include "engine/report_opening.h"

#include "engine/report_writer.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vek::engine {

namespace {

[[noreturn]] void refuse(const std::string &path, const std::string &why) {
    throw ReportError("cannot create output file \"" + path + "\": " + why);
}

[[noreturn]] void busy(const std::string &path) {
    throw ReportError("output file \"" + path +
                      "\" is being written by another run; wait for it to end or give this run another report name");
}

} // namespace

#ifdef _WIN32

namespace {
std::string systemText(DWORD code) {
    char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == '.'))
        --n;
    return n > 0 ? std::string(text, n) : "system error " + std::to_string(code);
}
} // namespace

std::FILE *openLockedReport(const std::string &path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) refuse(path, systemText(GetLastError()));
    if (GetFileType(h) == FILE_TYPE_DISK) {
        OVERLAPPED whole{};
        if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
            const DWORD err = GetLastError();
            CloseHandle(h);
            if (err == ERROR_LOCK_VIOLATION || err == ERROR_SHARING_VIOLATION || err == ERROR_IO_PENDING) busy(path);
            refuse(path, systemText(err));
        }
        if (!SetEndOfFile(h)) {
            const DWORD err = GetLastError();
            CloseHandle(h);
            refuse(path, systemText(err));
        }
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        refuse(path, "cannot use the open file");
    }
    std::FILE *f = _fdopen(fd, "wb");
    if (!f) {
        _close(fd);
        refuse(path, std::generic_category().message(errno));
    }
    return f;
}

#else

std::FILE *openLockedReport(const std::string &path) {
    // Without O_TRUNC: the file is emptied once the lock is held.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) refuse(path, errno == ENXIO ? "no program is reading from it" : std::generic_category().message(errno));
    const auto fail = [&](int err) {
        ::close(fd);
        refuse(path, std::generic_category().message(err));
    };
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) fail(errno);
    if (S_ISREG(st.st_mode)) {
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            ::close(fd);
            if (err == EWOULDBLOCK) busy(path);
            refuse(path, std::generic_category().message(err));
        }
        if (::ftruncate(fd, 0) != 0) fail(errno);
    }
    std::FILE *f = ::fdopen(fd, "wb");
    if (!f) fail(errno);
    return f;
}

#endif

} // namespace vek::engine
