#include "programs/ending_signals.h"

#include "common/safe_save.h"

#ifndef _WIN32
#include <atomic>
#include <csignal>
#include <sys/types.h>
#endif

namespace vek {

#ifdef _WIN32

void removeTemporaryFilesOnEndingSignals() {}
void passEndingSignalsTo(long) {}
void endByPassedSignal() {}

#else

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

static_assert(std::atomic<pid_t>::is_always_lock_free, "a signal handler may only read lock-free atomics");
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only write lock-free atomics");
std::atomic<pid_t> runningChild{0};
std::atomic<int> passedSignal{0};

void endBy(int sig) {
    removeListedTemporaryFiles();
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

void removeAndEnd(int sig) {
    const pid_t child = runningChild.load();
    if (child > 0) {
        // The first signal is kept to end the program by once the child has
        // ended; the child gets every one.
        int none = 0;
        passedSignal.compare_exchange_strong(none, sig);
        ::kill(child, sig);
        return;
    }
    endBy(sig);
}

} // namespace

void removeTemporaryFilesOnEndingSignals() {
    for (int sig : kEndingSignals) {
        struct sigaction old {};
        if (sigaction(sig, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL) continue;
        struct sigaction now {};
        now.sa_handler = removeAndEnd;
        // Reads and waits on the child go on after a signal passed on.
        now.sa_flags = SA_RESTART;
        sigemptyset(&now.sa_mask);
        sigaction(sig, &now, nullptr);
    }
}

void passEndingSignalsTo(long processId) { runningChild.store(processId > 0 ? static_cast<pid_t>(processId) : 0); }

void endByPassedSignal() {
    runningChild.store(0);
    if (const int sig = passedSignal.exchange(0); sig != 0) endBy(sig);
}

#endif

} // namespace vek
