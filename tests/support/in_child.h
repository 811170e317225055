// Runs a piece of a test in a child process of its own (POSIX only), for
// tests of what signals and exits do to a program.
#pragma once

#ifndef _WIN32

#include <sys/wait.h>
#include <unistd.h>

namespace vek::test {

// Runs `body` in a forked child that then exits with status 0, and returns
// the child's wait status.
template <class F> int inChild(F body) {
    const pid_t pid = fork();
    if (pid == 0) {
        body();
        _exit(0);
    }
    int st = 0;
    waitpid(pid, &st, 0);
    return st;
}

} // namespace vek::test

#endif
