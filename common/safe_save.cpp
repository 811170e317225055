// SafeSave: the part both platforms share (buffering, the target's real name,
// the messages) and the two system implementations.
#include "common/safe_save.h"
#include "common/utf8_path.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vek {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// Reasons in plain words for the failures a user can mend; every other one
// is the system's own text.
constexpr const char *kIsFolder = "it is a folder";
constexpr const char *kReadOnly = "the file is read-only";
constexpr const char *kNoReader = "no program is reading from it";
constexpr const char *kExists = "it already exists";
std::string folderMissing(const std::string &dir) { return "the folder " + dir + " does not exist"; }

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

// A hidden name beside the target that no other save picks: random, and
// created exclusively (a name taken is tried again).
std::string asideName(const std::string &dir, const std::string &name) {
    std::random_device random;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string suffix;
    for (int i = 0; i < 2; ++i)
        for (unsigned v = random(), k = 0; k < 8; ++k, v >>= 4)
            suffix += kHex[v & 15u];
    return dir + "/." + name + "." + suffix;
}

} // namespace

void SafeSave::restart(const std::string &requested, Replace replace) {
    abandon();
    failed_ = false;
    direct_ = false;
    buffer_.clear();
    error_.clear();
    requested_ = requested;
    replace_ = replace;
    target_ = realTarget(requested);
}

bool SafeSave::fail(const std::string &reason) {
    error_ = "Unable to write " + requested_ + ": " + reason + ".";
    failed_ = true;
    return false;
}

bool SafeSave::write(std::string_view bytes) {
    if (failed_) return false;
    if (buffer_.size() + bytes.size() < kBufferSize) {
        buffer_.append(bytes);
        return true;
    }
    // Large pieces go straight to the file instead of through the buffer.
    if (!flushBuffer() || !writeAll(bytes.data(), bytes.size())) {
        failed_ = true;
        return false;
    }
    return true;
}

bool SafeSave::flushBuffer() {
    if (!writeAll(buffer_.data(), buffer_.size())) return false;
    buffer_.clear();
    return true;
}

bool saveFile(const std::string &path, std::string_view bytes, std::string *error, SafeSave::Replace replace) {
    SafeSave save;
    if (save.open(path, replace) && save.write(bytes) && save.commit()) return true;
    if (error) *error = save.error();
    return false;
}

bool sameFile(const std::string &a, const std::string &b) {
    std::error_code ec;
    return std::filesystem::equivalent(pathFromUtf8(a), pathFromUtf8(b), ec) && !ec;
}

bool ScratchFile::copyInto(SafeSave &save, std::string *error) const {
    std::ifstream in(pathFromUtf8(path_), std::ios::binary);
    std::string chunk(kBufferSize, '\0');
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        if (in.gcount() > 0 && !save.write(std::string_view(chunk.data(), static_cast<std::size_t>(in.gcount())))) {
            if (error) *error = save.error();
            return false;
        }
    }
    if (!in.eof()) {
        if (error) *error = "Unable to read back the temporary file " + path_ + ".";
        return false;
    }
    return true;
}

#ifdef _WIN32

namespace {

std::wstring wide(const std::string &utf8) { return wideFromUtf8(utf8); }

std::string systemText(DWORD code) {
    wchar_t *text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::string out;
    if (n > 0 && text) {
        const int len = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
        out.resize(static_cast<std::size_t>(len > 0 ? len : 0));
        if (len > 0) WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), out.data(), len, nullptr, nullptr);
    }
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' || out.back() == '.'))
        out.pop_back();
    return out.empty() ? "system error " + std::to_string(code) : out;
}

// A new file that no other program has open; INVALID_HANDLE_VALUE when the
// name is taken or the folder refuses it (GetLastError says which).
HANDLE createNew(const std::string &path) {
    return CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

bool SafeSave::failSystem(unsigned long code) { return fail(systemText(static_cast<DWORD>(code))); }

bool SafeSave::open(const std::string &requested, Replace replace) {
    restart(requested, replace);
    const std::wstring target = wide(target_);
    const DWORD attrs = GetFileAttributesW(target.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) {
        if (attrs & FILE_ATTRIBUTE_DIRECTORY) return fail(kIsFolder);
        if (replace == Replace::Never) return fail(kExists);
        if (attrs & FILE_ATTRIBUTE_READONLY) return fail(kReadOnly);
    }
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
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string tmp = asideName(dir, name);
        HANDLE h = createNew(tmp);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = h;
            tmp_ = tmp;
            return true;
        }
        const DWORD err = GetLastError();
        if (err == ERROR_PATH_NOT_FOUND) return fail(folderMissing(dir));
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) return failSystem(err);
    }
    return failSystem(ERROR_FILE_EXISTS);
}

bool SafeSave::writeAll(const char *p, std::size_t left) {
    if (!handle_) return fail("the file is not open");
    while (left > 0) {
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(left > (1u << 30) ? (1u << 30) : left);
        if (!WriteFile(static_cast<HANDLE>(handle_), p, chunk, &done, nullptr) || done == 0)
            return failSystem(GetLastError());
        p += done;
        left -= done;
    }
    return true;
}

bool SafeSave::putInPlace() {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace_ == Replace::Allowed ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(wide(tmp_).c_str(), wide(target_).c_str(), flags)) return true;
    const DWORD err = GetLastError();
    return err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS ? fail(kExists) : failSystem(err);
}

bool SafeSave::commit() {
    if (!handle_) return failed_ ? false : fail("the file is not open");
    bool ok = !failed_ && flushBuffer();
    if (direct_) {
        CloseHandle(static_cast<HANDLE>(handle_));
        handle_ = nullptr;
        direct_ = false;
        return ok;
    }
    if (ok && !FlushFileBuffers(static_cast<HANDLE>(handle_))) ok = failSystem(GetLastError());
    if (!CloseHandle(static_cast<HANDLE>(handle_)) && ok) ok = failSystem(GetLastError());
    handle_ = nullptr;
    if (ok && putInPlace()) {
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

bool ScratchFile::create(const std::string &stem, std::string *error) {
    std::error_code ec;
    const std::string dir = utf8FromPath(std::filesystem::temp_directory_path(ec));
    for (int attempt = 0; !ec && attempt < 100; ++attempt) {
        const std::string tmp = asideName(dir, stem);
        HANDLE h = createNew(tmp);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            path_ = tmp;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    if (error)
        *error = "Unable to make a temporary file in " + (ec ? std::string("the temporary folder") : dir) + ": " +
                 (ec ? ec.message() : systemText(GetLastError())) + ".";
    return false;
}

ScratchFile::~ScratchFile() {
    if (!path_.empty()) DeleteFileW(wide(path_).c_str());
}

void removeListedTemporaryFiles() {}

#else

namespace {

// What a signal does to a save in progress. While a save's temporary file
// (or a scratch file) exists, its name stands in one of the slots below, the
// only state the saves share. A program's signal handler removes every
// listed file with removeListedTemporaryFiles (programs/ending_signals.cpp
// installs such handlers for VEKView and vektool); the saves themselves
// never install one: a library must not change how its host handles
// signals. The target itself is never touched
// by a signal: before the rename it is the old file, after it the new one; a
// direct write to a FIFO or a device stops where it stood. SIGPIPE (a FIFO's
// reader gone) and SIGXFSZ (the file size limit) are held back in the
// writing thread during a write (that thread's mask only, put back after),
// so the write fails with EPIPE or EFBIG and the save ends like any failed
// one. The slots need no lock, so two threads save at once; past kSlots open
// saves a temporary file is simply not listed, and a signal then leaves it
// behind.
constexpr int kSlots = 16;
constexpr int kFree = 0, kBusy = 1, kListed = 2;

struct PendingSlot {
    std::atomic<int> state{kFree};
    char name[4096];
};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only read lock-free atomics");

PendingSlot gPending[kSlots];

} // namespace

void removeListedTemporaryFiles() {
    for (PendingSlot &slot : gPending)
        if (slot.state.load() == kListed) ::unlink(slot.name);
}

namespace {

int listPending(const std::string &name) {
    if (name.size() >= sizeof gPending[0].name) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!gPending[i].state.compare_exchange_strong(expected, kBusy)) continue;
        std::memcpy(gPending[i].name, name.c_str(), name.size() + 1);
        gPending[i].state.store(kListed);
        return i;
    }
    return -1;
}

void unlistPending(int &slot) {
    if (slot >= 0) gPending[slot].state.store(kFree);
    slot = -1;
}

// Blocks `signals` in this thread for the guard's life.
class BlockedSignals {
  public:
    explicit BlockedSignals(std::initializer_list<int> signals) {
        sigemptyset(&set_);
        for (int sig : signals)
            sigaddset(&set_, sig);
        pthread_sigmask(SIG_BLOCK, &set_, &old_);
    }
    ~BlockedSignals() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    BlockedSignals(const BlockedSignals &) = delete;
    BlockedSignals &operator=(const BlockedSignals &) = delete;

  protected:
    sigset_t set_, old_;
};

// Holds SIGPIPE and SIGXFSZ back while a write runs and drops the one the
// write raised, so a failed write is an error, not the end of the program.
class QuietWrite : BlockedSignals {
  public:
    QuietWrite() : BlockedSignals({SIGPIPE, SIGXFSZ}) {
        sigset_t pending;
        sigpending(&pending);
        for (int sig : {SIGPIPE, SIGXFSZ})
            wasPending_[sig == SIGPIPE ? 0 : 1] = sigismember(&pending, sig) == 1;
    }
    ~QuietWrite() {
        sigset_t pending;
        sigpending(&pending);
        for (int sig : {SIGPIPE, SIGXFSZ}) {
            if (wasPending_[sig == SIGPIPE ? 0 : 1] || sigismember(&pending, sig) != 1) continue;
            sigset_t one;
            sigemptyset(&one);
            sigaddset(&one, sig);
            const timespec now{};
            sigtimedwait(&one, nullptr, &now);
        }
    }

  private:
    bool wasPending_[2] = {false, false};
};

// A new file made exclusively with the usual permissions (the umask's);
// -1 with errno set when it cannot be.
int createNew(const std::string &path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
}

} // namespace

bool SafeSave::failSystem(unsigned long code) { return fail(std::generic_category().message(static_cast<int>(code))); }

bool SafeSave::open(const std::string &requested, Replace replace) {
    restart(requested, replace);
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) return fail(kIsFolder);
    if (exists && replace == Replace::Never) return fail(kExists);
    if (exists && !S_ISREG(old.st_mode)) {
        // A FIFO or a device cannot be replaced by a file: it is written
        // directly. Opened without waiting, so that a FIFO nobody reads is
        // refused instead of blocking the program for good.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0) return errno == ENXIO ? fail(kNoReader) : failSystem(static_cast<unsigned long>(errno));
        const int flags = ::fcntl(fd_, F_GETFL);
        if (flags != -1) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
        direct_ = true;
        return true;
    }
    // A file marked read-only is one the user protected: opening it for
    // writing would fail, so replacing it by a rename must not bypass that.
    if (exists && ((old.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0)) return fail(kReadOnly);
    std::string dir, name;
    splitTarget(target_, dir, name);
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        const std::string tmp = asideName(dir, name);
        // No ending signal between making the file and listing it.
        BlockedSignals quiet({SIGINT, SIGTERM, SIGHUP, SIGQUIT});
        fd_ = createNew(tmp);
        if (fd_ >= 0) {
            tmp_ = tmp;
            slot_ = listPending(tmp);
        } else if (errno == ENOENT) {
            return fail(folderMissing(dir));
        } else if (errno != EEXIST) {
            return failSystem(static_cast<unsigned long>(errno));
        }
    }
    if (fd_ < 0) return failSystem(EEXIST);
    // Keep the old file's permissions.
    if (exists && fchmod(fd_, old.st_mode & 07777) != 0) {
        // Not fatal: the file is ours and readable; only its mode differs.
    }
    return true;
}

bool SafeSave::writeAll(const char *p, std::size_t left) {
    if (fd_ < 0) return fail("the file is not open");
    QuietWrite quiet;
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return failSystem(n < 0 ? static_cast<unsigned long>(errno) : EIO);
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool SafeSave::putInPlace() {
    if (replace_ == Replace::Allowed) {
        if (std::rename(tmp_.c_str(), target_.c_str()) == 0) return true;
        return failSystem(static_cast<unsigned long>(errno));
    }
    // Never over an existing file: a second name for the temporary one,
    // which fails when the target has appeared meanwhile.
    if (::link(tmp_.c_str(), target_.c_str()) != 0)
        return errno == EEXIST ? fail(kExists) : failSystem(static_cast<unsigned long>(errno));
    ::unlink(tmp_.c_str());
    return true;
}

bool SafeSave::commit() {
    if (fd_ < 0) return failed_ ? false : fail("the file is not open");
    bool ok = !failed_ && flushBuffer();
    if (direct_) {
        if (::close(fd_) != 0 && ok) ok = failSystem(static_cast<unsigned long>(errno));
        fd_ = -1;
        direct_ = false;
        return ok;
    }
    if (ok && ::fsync(fd_) != 0) ok = failSystem(static_cast<unsigned long>(errno));
    if (::close(fd_) != 0 && ok) ok = failSystem(static_cast<unsigned long>(errno));
    fd_ = -1;
    if (ok && putInPlace()) {
        // Listed until renamed: a signal before the rename removes the file,
        // one after it finds its name gone.
        tmp_.clear();
        unlistPending(slot_);
        return true;
    }
    abandon();
    return false;
}

void SafeSave::abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tmp_.empty()) ::unlink(tmp_.c_str());
    unlistPending(slot_);
    tmp_.clear();
    direct_ = false;
    buffer_.clear();
}

bool ScratchFile::create(const std::string &stem, std::string *error) {
    std::error_code ec;
    const std::string dir = utf8FromPath(std::filesystem::temp_directory_path(ec));
    if (ec) {
        if (error) *error = "Unable to find the temporary folder: " + ec.message() + ".";
        return false;
    }
    int reason = EEXIST;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string tmp = asideName(dir, stem);
        BlockedSignals quiet({SIGINT, SIGTERM, SIGHUP, SIGQUIT});
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd >= 0) {
            ::close(fd);
            path_ = tmp;
            slot_ = listPending(tmp);
            return true;
        }
        reason = errno;
        if (reason != EEXIST) break;
    }
    if (error)
        *error = "Unable to make a temporary file in " + dir + ": " + std::generic_category().message(reason) + ".";
    return false;
}

ScratchFile::~ScratchFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
    unlistPending(slot_);
}

#endif

} // namespace vek
