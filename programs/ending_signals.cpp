#include "programs/ending_signals.h"

#include "common/safe_save.h"

#ifndef _WIN32
#include <csignal>
#endif

namespace vek {

#ifdef _WIN32

void removeTemporaryFilesOnEndingSignals() {}

#else

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void removeAndEnd(int sig) {
    removeListedTemporaryFiles();
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

} // namespace

void removeTemporaryFilesOnEndingSignals() {
    for (int sig : kEndingSignals) {
        struct sigaction old {};
        if (sigaction(sig, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL) continue;
        struct sigaction now {};
        now.sa_handler = removeAndEnd;
        sigemptyset(&now.sa_mask);
        sigaction(sig, &now, nullptr);
    }
}

#endif

} // namespace vek
