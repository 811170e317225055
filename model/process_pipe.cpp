// ProcessPipe. POSIX: posix_spawn with the pipe ends as the child's standard
// handles and a change of folder among its file actions (where the C library
// has posix_spawn_file_actions_addchdir_np; elsewhere fork, then the folder,
// then exec in the child). Windows: CreateProcessW with inheritable pipe
// ends and the folder as the child's current directory. In all of them our
// own ends are never inherited, so the output pipe ends exactly when this
// child (and whatever it started) has closed its standard output, and our
// own working directory is never touched.
#include "model/process_pipe.h"
#include "common/utf8_path.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 29))
#define VEK_SPAWN_ADDCHDIR 1
#endif
#endif

namespace vek {

namespace {

// The program as an absolute name: the child changes folder before it
// starts, so a relative name must not be looked up from there.
std::string absoluteProgram(const std::string &program) {
    std::error_code ec;
    const std::filesystem::path p = pathFromUtf8(program);
    if (p.is_absolute() || !p.has_parent_path()) return program;
    const std::filesystem::path abs = std::filesystem::absolute(p, ec);
    return ec ? program : utf8FromPath(abs);
}

} // namespace

std::string windowsCommandLine(const std::vector<std::string> &argv) {
    std::string line;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string &a = argv[i];
        if (i) line += ' ';
        if (i == 0) {
            // The program name is read up to the closing quote, without
            // escapes (Windows names hold no quotes).
            line += '"' + a + '"';
            continue;
        }
        if (!a.empty() && a.find_first_of(" \t\n\v\"") == std::string::npos) {
            line += a;
            continue;
        }
        line += '"';
        std::size_t backslashes = 0;
        for (char c : a) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            // Backslashes before a quote are doubled, and the quote escaped;
            // elsewhere they stand for themselves.
            line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        // Before the closing quote, too.
        line.append(2 * backslashes, '\\');
        line += '"';
    }
    return line;
}

int ProcessPipe::fill() {
    bufPos_ = 0;
    bufLen_ = 0;
#ifdef _WIN32
    if (!outRead_) return 0;
    DWORD n = 0;
    // A broken pipe is the end of the output.
    if (!ReadFile(static_cast<HANDLE>(outRead_), buf_, sizeof buf_, &n, nullptr)) n = 0;
    bufLen_ = n;
#else
    if (outRead_ < 0) return 0;
    ssize_t n;
    do {
        n = ::read(outRead_, buf_, sizeof buf_);
    } while (n < 0 && errno == EINTR);
    bufLen_ = n > 0 ? static_cast<size_t>(n) : 0;
#endif
    return static_cast<int>(bufLen_);
}

bool ProcessPipe::readLine(std::string &text) {
    text.clear();
    // Byte by byte from a small buffer: the same lines as reading one byte
    // per call, without a system call per byte.
    while (true) {
        if (bufPos_ >= bufLen_ && fill() <= 0) return false;
        char c = buf_[bufPos_++];
        if (c == '\n') return true;
        text += c;
    }
}

ProcessPipe::~ProcessPipe() { close(); }

#ifdef _WIN32

namespace {

std::wstring wide(const std::string &utf8) { return wideFromUtf8(utf8); }

void closeHandle(void *&h) {
    if (h) CloseHandle(static_cast<HANDLE>(h));
    h = nullptr;
}

} // namespace

bool ProcessPipe::started() const { return process_ != nullptr; }

long ProcessPipe::processId() const {
    return process_ && !closed_ ? static_cast<long>(GetProcessId(static_cast<HANDLE>(process_))) : -1;
}

ProcessPipe::ProcessPipe(const std::vector<std::string> &argv, const std::string &workingDirectory, int showMode) {
    if (argv.empty()) return;
    std::string program = absoluteProgram(argv[0]);
    const std::size_t slash = program.find_last_of("/\\");
    if (program.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos) program += ".exe";

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, inRead = nullptr, inWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return;
    if (!CreatePipe(&inRead, &inWrite, &inherit, 0)) {
        CloseHandle(outRead);
        CloseHandle(outWrite);
        return;
    }
    // Only the child's ends are inherited.
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    // Nothing is ever written to the child: a child that asks a question
    // reads end-of-file instead of waiting for ever.
    CloseHandle(inWrite);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.hStdInput = inRead;
    si.hStdOutput = outWrite;
    si.hStdError = outWrite;
    si.wShowWindow = static_cast<WORD>(showMode);
    PROCESS_INFORMATION pi{};
    std::wstring app = wide(program);
    std::vector<std::string> args = argv;
    args[0] = program;
    std::wstring line = wide(windowsCommandLine(args));
    line.push_back(L'\0');
    const std::wstring folder = workingDirectory.empty() ? std::wstring() : wide(workingDirectory);
    const BOOL ok = CreateProcessW(app.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                   folder.empty() ? nullptr : folder.c_str(), &si, &pi);
    // Our copies of the child's ends go, so the output pipe ends with the
    // child.
    CloseHandle(outWrite);
    CloseHandle(inRead);
    if (!ok) {
        CloseHandle(outRead);
        return;
    }
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    outRead_ = outRead;
}

int ProcessPipe::close() {
    if (closed_) return status_;
    closed_ = true;
    // Our read end goes first: a child still writing to a caller that
    // stopped reading then gets a broken pipe instead of blocking the wait.
    closeHandle(outRead_);
    if (process_) {
        DWORD code = 0;
        if (WaitForSingleObject(static_cast<HANDLE>(process_), INFINITE) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(static_cast<HANDLE>(process_), &code))
            status_ = static_cast<int>(code);
        closeHandle(process_);
    }
    return status_;
}

#else

namespace {
void closeFd(int &fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}
} // namespace

namespace {

// Starts the child with `in` and `out` as its standard handles, in `folder`
// when it is not empty. Returns 0 and the child's id, or an errno value.
int spawnChild(char *const args[], int in, int out, const std::string &folder, pid_t &pid) {
#ifdef VEK_SPAWN_ADDCHDIR
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in, 0);
    posix_spawn_file_actions_adddup2(&fa, out, 1);
    posix_spawn_file_actions_adddup2(&fa, out, 2);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&fa, folder.c_str());
    const int rc = posix_spawn(&pid, args[0], &fa, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&fa);
    return rc;
#else
    // Without a change of folder among the spawn actions: fork, and in the
    // child (only async-signal-safe calls there) set up the handles, enter
    // the folder and start the program; 127 is the status of a child that
    // could not.
    pid = fork();
    if (pid < 0) return errno;
    if (pid == 0) {
        if (dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0) _exit(127);
        if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
        execve(args[0], args, environ);
        _exit(127);
    }
    return 0;
#endif
}

} // namespace

ProcessPipe::ProcessPipe(const std::vector<std::string> &argv, const std::string &workingDirectory, int /*showMode*/) {
    if (argv.empty()) return;
    int out[2] = {-1, -1}, in[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0) return;
    if (pipe2(in, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return;
    }

    const std::string program = absoluteProgram(argv[0]);
    std::vector<char *> args;
    args.push_back(const_cast<char *>(program.c_str()));
    for (std::size_t i = 1; i < argv.size(); ++i)
        args.push_back(const_cast<char *>(argv[i].c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int rc = spawnChild(args.data(), in[0], out[1], workingDirectory, pid);

    // Our copies of the child's ends go, so the output pipe ends with the
    // child.
    ::close(out[1]);
    ::close(in[0]);
    outRead_ = out[0];
    inWrite_ = in[1];
    if (rc != 0) {
        closeFd(outRead_);
        closeFd(inWrite_);
        return;
    }
    pid_ = pid;
    // Nothing is ever written to the child. Ending its input now means a
    // child that asks a question reads end-of-file instead of waiting for
    // ever on an answer that cannot come.
    closeFd(inWrite_);
}

bool ProcessPipe::started() const { return pid_ > 0; }

long ProcessPipe::processId() const { return pid_ > 0 && !closed_ ? static_cast<long>(pid_) : -1; }

int ProcessPipe::close() {
    if (closed_) return status_;
    closed_ = true;
    // Our read end goes first: a child still writing to a caller that
    // stopped reading then gets a broken pipe instead of blocking the wait.
    closeFd(outRead_);
    if (pid_ > 0) {
        int st = 0;
        pid_t r;
        do {
            r = waitpid(pid_, &st, 0);
        } while (r < 0 && errno == EINTR);
        status_ = (r == pid_ && WIFEXITED(st)) ? WEXITSTATUS(st) : -1;
    }
    closeFd(outRead_);
    closeFd(inWrite_);
    return status_;
}

#endif

} // namespace vek
