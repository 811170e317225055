// runProgram: fork and exec on POSIX, CreateProcessW on Windows.
#include "support/run_program.h"

#include "common/utf8_path.h"

#include "support/test_files.h"

#include <sstream>

#ifdef _WIN32
#include "model/process_pipe.h"
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vek::test {

std::vector<std::string> words(const std::string &text) {
    std::istringstream in(text);
    std::vector<std::string> w;
    for (std::string s; in >> s;)
        w.push_back(s);
    return w;
}

std::string programPath(const std::string &name) {
#ifdef _WIN32
    return binDir() + "/" + name + ".exe";
#else
    return binDir() + "/" + name;
#endif
}

#ifdef _WIN32

namespace {
std::wstring wide(const std::string &utf8) { return wideFromUtf8(utf8); }
} // namespace

ProgramRun runProgram(const std::string &dir, const std::string &program, const std::vector<std::string> &args,
                      const std::string &input, const std::vector<std::string> &env) {
    writeFile(dir + "/stdin.txt", input);
    std::string exe = program;
    const std::size_t slash = exe.find_last_of("/\\");
    if (exe.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos) exe += ".exe";
    std::vector<std::string> argv{exe};
    argv.insert(argv.end(), args.begin(), args.end());
    std::wstring line = wide(windowsCommandLine(argv));
    line.push_back(L'\0');

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    auto open = [&](const std::string &name, bool write) {
        return CreateFileW(wide(dir + "/" + name).c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ,
                           &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    ProgramRun r;
    // The environment entries for this child only.
    std::vector<std::pair<std::wstring, std::wstring>> saved;
    for (const auto &e : env) {
        const std::size_t eq = e.find('=');
        if (eq == std::string::npos) continue;
        const std::wstring name = wide(e.substr(0, eq));
        wchar_t old[32767];
        const DWORD n = GetEnvironmentVariableW(name.c_str(), old, 32767);
        saved.emplace_back(name, n ? std::wstring(old, n) : std::wstring());
        SetEnvironmentVariableW(name.c_str(), wide(e.substr(eq + 1)).c_str());
    }
    // wine64 under a parallel test load now and then fails to start a
    // process; a few tries keep that from reading as the program's fault,
    // and a start that keeps failing says why.
    PROCESS_INFORMATION pi{};
    BOOL ok = FALSE;
    DWORD startError = 0;
    for (int attempt = 0; attempt < 5 && !ok; ++attempt) {
        if (attempt > 0) Sleep(200 * attempt);
        HANDLE in = open("stdin.txt", false), out = open("stdout.txt", true), err = open("stderr.txt", true);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = in;
        si.hStdOutput = out;
        si.hStdError = err;
        ok = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
             CreateProcessW(wide(exe).c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, wide(dir).c_str(), &si,
                            &pi);
        if (!ok) startError = GetLastError();
        for (HANDLE h : {in, out, err})
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    for (const auto &[name, value] : saved)
        SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str());
    if (!ok) {
        r.err = "could not start " + exe + ": Windows error " + std::to_string(startError);
        return r;
    }
    DWORD code = 0;
    WaitForSingleObject(pi.hProcess, INFINITE);
    // As a POSIX parent sees it: the low eight bits (exit(-1) is 255).
    if (GetExitCodeProcess(pi.hProcess, &code)) r.status = static_cast<int>(code & 0xFF);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    r.out = readFile(dir + "/stdout.txt");
    r.err = readFile(dir + "/stderr.txt");
    return r;
}

#else

ProgramRun runProgram(const std::string &dir, const std::string &program, const std::vector<std::string> &args,
                      const std::string &input, const std::vector<std::string> &env) {
    writeFile(dir + "/stdin.txt", input);
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        for (const auto &e : env)
            putenv(const_cast<char *>(e.c_str()));
        const int in = ::open("stdin.txt", O_RDONLY);
        const int out = ::open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char *> a;
        for (auto &s : argv)
            a.push_back(s.data());
        a.push_back(nullptr);
        execv(a[0], a.data());
        _exit(127);
    }
    ProgramRun r;
    int st = 0;
    if (pid > 0 && waitpid(pid, &st, 0) == pid && WIFEXITED(st)) r.status = WEXITSTATUS(st);
    r.out = readFile(dir + "/stdout.txt");
    r.err = readFile(dir + "/stderr.txt");
    return r;
}

#endif

} // namespace vek::test
