// A child process whose standard output and standard error arrive on one
// pipe and whose standard input is another pipe. This is the POSIX
// implementation; a Windows one would keep the same interface.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace vek {

class ProcessPipe {
  public:
    // Starts argv[0] with the given arguments, never through a shell, so
    // names with blanks, quotes or shell characters reach the child as they
    // are. The child runs in the current working directory with the parent's
    // environment. `showMode` is accepted for symmetry with windowed
    // platforms and has no effect here.
    explicit ProcessPipe(const std::vector<std::string> &argv, int showMode = 0);
    ~ProcessPipe();
    ProcessPipe(const ProcessPipe &) = delete;
    ProcessPipe &operator=(const ProcessPipe &) = delete;

    // False when the child could not be started; readLine then returns false
    // at once and close() does not wait.
    bool started() const { return pid_ > 0; }

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

    pid_t pid_ = -1;
    int outRead_ = -1;
    int inWrite_ = -1;
    int status_ = -1;
    bool closed_ = false;
    char buf_[4096];
    size_t bufPos_ = 0, bufLen_ = 0;
};

} // namespace vek
