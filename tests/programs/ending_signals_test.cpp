// The ending-signal handlers a program's main installs: a signal in the
// middle of a save leaves no temporary file and still ends the program; a
// handler the program installed itself is kept.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "common/safe_save.h"
#include "programs/ending_signals.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;
namespace t = vek::test;

std::size_t entriesIn(const std::string &dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

template <class F> int inChild(F body) {
    pid_t pid = fork();
    if (pid == 0) {
        body();
        _exit(0);
    }
    int st = 0;
    waitpid(pid, &st, 0);
    return st;
}

// A program that asked for it (from its main) and is ended by a signal in
// the middle of a save leaves no temporary file; the signal still ends it.
// Without asking, the signal ends it all the same.
TEST(EndingSignals, EndingSignalRemovesTheTemporaryFile) {
    const std::string dir = t::freshDir("safe_save_file_sigterm");
    const std::string path = dir + "/a.txt";
    t::writeFile(path, "old");
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
        const int st = inChild([&] {
            signal(sig, SIG_DFL);
            vek::removeTemporaryFilesOnEndingSignals();
            vek::SafeSave s;
            if (!s.open(path)) _exit(3);
            s.write(std::string(200000, 'x'));
            raise(sig);
            _exit(4);
        });
        ASSERT_TRUE(WIFSIGNALED(st)) << sig;
        EXPECT_EQ(WTERMSIG(st), sig);
        EXPECT_EQ(t::readFile(path), "old");
        EXPECT_EQ(entriesIn(dir), 1u) << sig;
    }
    const int st = inChild([&] {
        signal(SIGTERM, SIG_DFL);
        vek::SafeSave s;
        if (!s.open(path)) _exit(3);
        raise(SIGTERM);
        _exit(4);
    });
    ASSERT_TRUE(WIFSIGNALED(st));
    EXPECT_EQ(WTERMSIG(st), SIGTERM);
    EXPECT_EQ(t::readFile(path), "old");
}

// A handler the program installed itself is left alone, also by the call
// that asks for the clean-up.
TEST(EndingSignals, ProgramHandlersAreKept) {
    const std::string dir = t::freshDir("safe_save_file_handler");
    const int st = inChild([&] {
        static volatile sig_atomic_t seen = 0;
        signal(SIGTERM, [](int) { seen = 1; });
        vek::removeTemporaryFilesOnEndingSignals();
        vek::SafeSave s;
        if (!s.open(dir + "/a.txt")) _exit(3);
        raise(SIGTERM);
        _exit(seen == 1 && s.commit() ? 0 : 4);
    });
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 0);
    EXPECT_EQ(t::readFile(dir + "/a.txt"), "");
}

// A signal while a child runs for the program goes on to the child; the
// program waits for it, then ends by that signal, its save's temporary file
// removed. Once the child has ended, a signal ends the program at once.
TEST(EndingSignals, SignalWhileAChildRunsGoesToTheChildFirst) {
    const std::string dir = t::freshDir("ending_signals_child");
    for (int sig : {SIGTERM, SIGINT}) {
        const std::string marks = dir + "/child-" + std::to_string(sig);
        const int st = inChild([&] {
            vek::removeTemporaryFilesOnEndingSignals();
            vek::SafeSave s;
            if (!s.open(dir + "/a.txt")) _exit(3);
            const pid_t child = fork();
            if (child == 0) {
                signal(sig, SIG_DFL);
                alarm(10); // never left behind, whatever the program does
                pause();
                _exit(0);
            }
            vek::passEndingSignalsTo(child);
            raise(sig); // passed on: the program goes on
            int cst = 0;
            waitpid(child, &cst, 0);
            vek::SafeSave mark;
            if (!mark.open(marks) || !mark.write(std::to_string(WIFSIGNALED(cst) ? WTERMSIG(cst) : -1)) ||
                !mark.commit())
                _exit(5);
            vek::passEndingSignalsTo(-1);
            vek::endByPassedSignal();
            _exit(4);
        });
        ASSERT_TRUE(WIFSIGNALED(st)) << sig;
        EXPECT_EQ(WTERMSIG(st), sig);
        EXPECT_EQ(t::readFile(marks), std::to_string(sig));
        EXPECT_FALSE(fs::exists(dir + "/a.txt"));
        EXPECT_EQ(entriesIn(dir), sig == SIGTERM ? 1u : 2u) << "a temporary file was left";
    }
    // No signal while the child ran: the program goes on.
    const int st = inChild([&] {
        vek::removeTemporaryFilesOnEndingSignals();
        vek::passEndingSignalsTo(-1);
        vek::endByPassedSignal();
        _exit(0);
    });
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 0);
}

} // namespace

#endif
