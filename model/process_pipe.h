// A child process whose standard output and standard error arrive on one
// pipe and whose standard input is closed, started in a working folder of
// its own: the caller's working directory is never changed. process_pipe.cpp
// holds the POSIX implementation (posix_spawn) and the Windows one
// (CreateProcessW).
#pragma once

#include <string>
#include <vector>

namespace vek {

// The command line that hands `argv` (UTF-8) to a Windows program as the
// same arguments, by the rules CommandLineToArgvW and the C runtime read it
// with: an argument with blanks or quotes, or an empty one, is quoted;
// quotes inside are escaped with a backslash, and backslashes only where
// they come before a quote. No shell reads it, so &, ^ and % need nothing.
std::string windowsCommandLine(const std::vector<std::string> &argv);

class ProcessPipe {
  public:
    // Starts argv[0] with the given arguments, never through a shell, so
    // names with blanks, quotes or shell characters reach the child as they
    // are. The child runs in `workingDirectory` (UTF-8; empty: the caller's
    // working directory) with the parent's environment; a folder it cannot
    // enter means it is not started. A relative argv[0] is found from the
    // caller's working directory, not the child's. On Windows a program named
    // without an extension gets ".exe", and `showMode` is the child's window
    // show state; elsewhere it has no effect.
    explicit ProcessPipe(const std::vector<std::string> &argv, const std::string &workingDirectory = {},
                         int showMode = 0);
    ~ProcessPipe();
    ProcessPipe(const ProcessPipe &) = delete;
    ProcessPipe &operator=(const ProcessPipe &) = delete;

    // False when the child could not be started; readLine then returns false
    // at once and close() does not wait.
    bool started() const;

    // The child's process id while it may still run (until close()), or -1.
    // For a program's main that passes its own ending signals on to the
    // child (programs/ending_signals.h).
    long processId() const;

    // Reads the next line of the child's output: true when a line end was
    // read (not stored; carriage returns are kept), false when the output
    // has ended (text then holds what came after the last line end).
    bool readLine(std::string &text);

    // Waits, without a time limit, until the child has ended and releases
    // it and both pipe ends. Returns the child's exit status, or -1 when it
    // was not started or did not exit normally. Further calls return the
    // same status.
    int close();

  private:
    int fill();

#ifdef _WIN32
    void *process_ = nullptr; // HANDLE
    void *outRead_ = nullptr;
#else
    int pid_ = -1;
    int outRead_ = -1;
    int inWrite_ = -1;
#endif
    int status_ = -1;
    bool closed_ = false;
    char buf_[4096];
    size_t bufPos_ = 0, bufLen_ = 0;
};

} // namespace vek
