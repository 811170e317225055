// SafeSave: the part both platforms share (buffering, the target's real name)
// and the two system implementations.
#include "common/safe_save.h"
#include "common/utf8_path.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

namespace vek {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// Through a symbolic link the file it names is replaced, not the link:
// renaming over the link would leave the real file unsaved.
std::string realTarget(const std::string &requested) {
    std::error_code ec;
    const std::filesystem::path p = pathFromUtf8(requested);
    if (std::filesystem::is_symlink(p, ec)) {
        std::filesystem::path real = std::filesystem::weakly_canonical(p, ec);
        if (!ec) return utf8FromPath(real);
    }
    return requested;
}

// Folder and file name of the target, for the temporary name beside it.
void splitTarget(const std::string &target, std::string &dir, std::string &name) {
    const std::filesystem::path t = pathFromUtf8(target);
    dir = t.has_parent_path() ? utf8FromPath(t.parent_path()) : std::string(".");
    name = utf8FromPath(t.filename());
}

} // namespace

void SafeSave::restart(const std::string &requested) {
    abandon();
    failed_ = false;
    direct_ = false;
    buffer_.clear();
    target_ = realTarget(requested);
}

bool SafeSave::write(std::string_view bytes) {
    if (failed_) return false;
    buffer_.append(bytes);
    if (buffer_.size() >= kBufferSize && !flushBuffer()) failed_ = true;
    return !failed_;
}

#ifdef _WIN32

namespace {

std::wstring wide(const std::string &utf8) { return wideFromUtf8(utf8); }

} // namespace

bool SafeSave::open(const std::string &requested) {
    restart(requested);
    const std::wstring target = wide(target_);
    const DWORD attrs = GetFileAttributesW(target.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY) && !(attrs & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // A device (NUL, a console, a serial line, a pipe) is written as it is:
    // it cannot be replaced by a file.
    HANDLE existing = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing != INVALID_HANDLE_VALUE) {
        if (GetFileType(existing) != FILE_TYPE_DISK) {
            handle_ = existing;
            direct_ = true;
            return true;
        }
        CloseHandle(existing);
    }
    std::string dir, name;
    splitTarget(target_, dir, name);
    // A name no other save uses: the process and a counter, retried when
    // taken (CREATE_NEW never opens an existing file).
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string tmp =
            dir + "/." + name + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
        HANDLE h =
            CreateFileW(wide(tmp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = h;
            tmp_ = tmp;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

bool SafeSave::flushBuffer() {
    const char *p = buffer_.data();
    std::size_t left = buffer_.size();
    while (left > 0) {
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(left > (1u << 30) ? (1u << 30) : left);
        if (!WriteFile(static_cast<HANDLE>(handle_), p, chunk, &done, nullptr) || done == 0) return false;
        p += done;
        left -= done;
    }
    buffer_.clear();
    return true;
}

bool SafeSave::commit() {
    if (!handle_) return false;
    bool ok = !failed_ && flushBuffer();
    if (direct_) {
        CloseHandle(static_cast<HANDLE>(handle_));
        handle_ = nullptr;
        direct_ = false;
        return ok;
    }
    ok = ok && FlushFileBuffers(static_cast<HANDLE>(handle_));
    ok = CloseHandle(static_cast<HANDLE>(handle_)) && ok;
    handle_ = nullptr;
    if (ok &&
        MoveFileExW(wide(tmp_).c_str(), wide(target_).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        tmp_.clear();
        return true;
    }
    abandon();
    return false;
}

void SafeSave::abandon() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    if (!tmp_.empty()) DeleteFileW(wide(tmp_).c_str());
    tmp_.clear();
    direct_ = false;
    buffer_.clear();
}

#else

namespace {

// While a temporary file exists, a signal that would end the program removes
// it first: its name is kept where a handler may read it without locking.
char gPendingTemp[4096];
volatile sig_atomic_t gPending = 0;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void removePendingAndRaise(int sig) {
    if (gPending) ::unlink(gPendingTemp);
    gPending = 0;
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

// Signal dispositions for the time of one save, restored after it. Only
// signals left at their default are touched, so a program's own handlers
// keep working. SIGXFSZ (the file size limit) and SIGPIPE (a FIFO's reader
// gone) are ignored, so the write fails with EFBIG or EPIPE and the save
// cleans up as after any failed write; the ending signals remove the
// temporary file before they end the program.
class SignalGuard {
  public:
    // Arms the guard, or names the file to remove when already armed.
    void arm(const std::string &tmp) {
        gPending = 0;
        if (!tmp.empty() && tmp.size() < sizeof gPendingTemp) {
            std::memcpy(gPendingTemp, tmp.c_str(), tmp.size() + 1);
            gPending = 1;
        }
        if (armed_) return;
        armed_ = true;
        for (int sig : {SIGXFSZ, SIGPIPE})
            replaceIfDefault(sig, SIG_IGN);
        if (!tmp.empty())
            for (int sig : kEndingSignals)
                replaceIfDefault(sig, removePendingAndRaise);
    }
    void disarm() {
        if (!armed_) return;
        // Handlers go before the name, so none can run with a stale one.
        for (auto &[sig, old] : saved_)
            sigaction(sig, &old, nullptr);
        saved_.clear();
        gPending = 0;
        armed_ = false;
    }

  private:
    void replaceIfDefault(int sig, void (*handler)(int)) {
        struct sigaction old {};
        if (sigaction(sig, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL) return;
        struct sigaction now {};
        now.sa_handler = handler;
        sigemptyset(&now.sa_mask);
        if (sigaction(sig, &now, nullptr) == 0) saved_.emplace_back(sig, old);
    }

    bool armed_ = false;
    std::vector<std::pair<int, struct sigaction>> saved_;
};

SignalGuard gGuard;

} // namespace

bool SafeSave::open(const std::string &requested) {
    restart(requested);
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode) && !S_ISDIR(old.st_mode)) {
        // A FIFO or a device cannot be replaced by a file: it is written
        // directly. (A folder is left to the rename, which fails.)
        gGuard.arm({});
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0) {
            gGuard.disarm();
            return false;
        }
        direct_ = true;
        return true;
    }
    // A file marked read-only is one the user protected: opening it for
    // writing would fail, so replacing it by a rename must not bypass that.
    if (exists && S_ISREG(old.st_mode) && ((old.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0))
        return false;
    std::string dir, name;
    splitTarget(target_, dir, name);
    std::string tmpl = dir + "/." + name + ".XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    // Signals are set before the file exists, so none can leave it behind.
    gGuard.arm(tmpl);
    int fd = mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0) {
        gGuard.disarm();
        return false;
    }
    tmp_ = buf.data();
    gGuard.arm(tmp_);
    // Keep the old file's permissions, or the usual ones for a new file.
    mode_t mode;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    if (fchmod(fd, mode) != 0) {
        // Not fatal: the file is ours and readable; only its mode differs.
    }
    fd_ = fd;
    return true;
}

bool SafeSave::flushBuffer() {
    const char *p = buffer_.data();
    std::size_t left = buffer_.size();
    while (left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    buffer_.clear();
    return true;
}

bool SafeSave::commit() {
    if (fd_ < 0) return false;
    bool ok = !failed_ && flushBuffer();
    if (direct_) {
        ok = (::close(fd_) == 0) && ok;
        fd_ = -1;
        direct_ = false;
        gGuard.disarm();
        return ok;
    }
    ok = ok && ::fsync(fd_) == 0;
    ok = (::close(fd_) == 0) && ok;
    fd_ = -1;
    if (ok && std::rename(tmp_.c_str(), target_.c_str()) == 0) {
        tmp_.clear();
        gGuard.disarm();
        return true;
    }
    abandon();
    return false;
}

void SafeSave::abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tmp_.empty()) ::unlink(tmp_.c_str());
    tmp_.clear();
    direct_ = false;
    buffer_.clear();
    gGuard.disarm();
}

#endif

} // namespace vek
