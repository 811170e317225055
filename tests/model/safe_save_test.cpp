// The safe save on its own: targets that are not regular files are written,
// never replaced, and no temporary file outlives a failed or killed save.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

#include "common/safe_save.h"
#include "support/test_files.h"

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
namespace t = vek::test;

std::size_t entriesIn(const std::string &dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(SafeSaveFile, ReplacesOnlyOnCommit) {
    const std::string dir = t::freshDir("safe_save_file_commit");
    const std::string path = dir + "/a.txt";
    t::writeFile(path, "old");
    {
        vek::SafeSave s;
        ASSERT_TRUE(s.open(path));
        ASSERT_FALSE(s.temporaryName().empty());
        EXPECT_TRUE(s.write(std::string(200000, 'x')));
        EXPECT_EQ(t::readFile(path), "old");
        EXPECT_EQ(entriesIn(dir), 2u);
        // Dropped without commit: the old file stays, the temporary goes.
    }
    EXPECT_EQ(t::readFile(path), "old");
    EXPECT_EQ(entriesIn(dir), 1u);
    vek::SafeSave s;
    ASSERT_TRUE(s.open(path));
    EXPECT_TRUE(s.write("new\n"));
    EXPECT_TRUE(s.commit());
    EXPECT_EQ(t::readFile(path), "new\n");
    EXPECT_EQ(entriesIn(dir), 1u);
}

TEST(SafeSaveFile, ReadOnlyTargetIsRefused) {
    const std::string dir = t::freshDir("safe_save_file_readonly");
    const std::string path = dir + "/a.txt";
    t::writeFile(path, "old");
    fs::permissions(path, fs::perms::owner_read);
    vek::SafeSave s;
    EXPECT_FALSE(s.open(path));
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(t::readFile(path), "old");
    EXPECT_EQ(entriesIn(dir), 1u);
}

#ifndef _WIN32

// A FIFO stays a FIFO: the bytes go to its reader.
TEST(SafeSaveFile, FifoIsWrittenNotReplaced) {
    const std::string dir = t::freshDir("safe_save_file_fifo");
    const std::string path = dir + "/pipe";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = t::readFile(path); });
    vek::SafeSave s;
    const bool opened = s.open(path);
    const bool written = opened && s.write("through the pipe\n") && s.commit();
    if (!opened) { // let the reader finish
        int fd = ::open(path.c_str(), O_WRONLY);
        if (fd >= 0) ::close(fd);
    }
    reader.join();
    EXPECT_TRUE(opened);
    EXPECT_TRUE(written);
    EXPECT_EQ(received, "through the pipe\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(entriesIn(dir), 1u);
}

// A FIFO whose reader went away: the write fails (no SIGPIPE ends the
// program) and the FIFO stays.
TEST(SafeSaveFile, FifoWithoutReaderFailsQuietly) {
    const std::string dir = t::freshDir("safe_save_file_fifo_gone");
    const std::string path = dir + "/pipe";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    std::thread reader([&] {
        int fd = ::open(path.c_str(), O_RDONLY);
        if (fd >= 0) ::close(fd);
    });
    vek::SafeSave s;
    ASSERT_TRUE(s.open(path));
    reader.join();
    EXPECT_FALSE(s.write(std::string(1 << 20, 'x')) && s.commit());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// Runs `body` in a child process and returns its wait status.
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

// Past the file size limit the system would end the program with SIGXFSZ:
// the save fails instead, and its temporary file is gone.
TEST(SafeSaveFile, FileSizeLimitFailsAndCleansUp) {
    const std::string dir = t::freshDir("safe_save_file_xfsz");
    const std::string path = dir + "/a.txt";
    t::writeFile(path, "old");
    const int st = inChild([&] {
        signal(SIGXFSZ, SIG_DFL);
        rlimit small{16 * 1024, 16 * 1024};
        setrlimit(RLIMIT_FSIZE, &small);
        bool ok = false;
        {
            vek::SafeSave s;
            if (!s.open(path)) _exit(3);
            ok = s.write(std::string(200000, 'x')) && s.commit();
        }
        // The program's own disposition is back after the save.
        struct sigaction now {};
        sigaction(SIGXFSZ, nullptr, &now);
        _exit(ok ? 1 : now.sa_handler == SIG_DFL ? 0 : 2);
    });
    ASSERT_TRUE(WIFEXITED(st)) << "ended by signal " << (WIFSIGNALED(st) ? WTERMSIG(st) : 0);
    EXPECT_EQ(WEXITSTATUS(st), 0);
    EXPECT_EQ(t::readFile(path), "old");
    EXPECT_EQ(entriesIn(dir), 1u);
}

// A program ended by a signal in the middle of a save leaves no temporary
// file; the signal still ends it.
TEST(SafeSaveFile, EndingSignalRemovesTheTemporaryFile) {
    const std::string dir = t::freshDir("safe_save_file_sigterm");
    const std::string path = dir + "/a.txt";
    t::writeFile(path, "old");
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        const int st = inChild([&] {
            signal(sig, SIG_DFL);
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
}

// A handler the program installed itself is left alone.
TEST(SafeSaveFile, ProgramHandlersAreKept) {
    static volatile sig_atomic_t seen = 0;
    auto old = signal(SIGTERM, [](int) { seen = 1; });
    const std::string dir = t::freshDir("safe_save_file_handler");
    vek::SafeSave s;
    ASSERT_TRUE(s.open(dir + "/a.txt"));
    raise(SIGTERM);
    EXPECT_EQ(seen, 1);
    EXPECT_TRUE(s.commit());
    signal(SIGTERM, old);
}

#endif

} // namespace
