// The safe save on its own: targets that are not regular files are written,
// never replaced, and no temporary file outlives a failed or killed save.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "common/safe_save.h"
#include "support/in_child.h"
#include "support/test_files.h"

#ifndef _WIN32
#include "support/fifo_reader.h"

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
namespace t = vek::test;

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
        EXPECT_EQ(t::entriesIn(dir), 2u);
        // Dropped without commit: the old file stays, the temporary goes.
    }
    EXPECT_EQ(t::readFile(path), "old");
    EXPECT_EQ(t::entriesIn(dir), 1u);
    vek::SafeSave s;
    ASSERT_TRUE(s.open(path));
    EXPECT_TRUE(s.write("new\n"));
    EXPECT_TRUE(s.commit());
    EXPECT_EQ(t::readFile(path), "new\n");
    EXPECT_EQ(t::entriesIn(dir), 1u);
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
    EXPECT_EQ(t::entriesIn(dir), 1u);
}

// Every refusal names the file and says why, in words a user can act on.
TEST(SafeSaveFile, FailuresSayWhy) {
    const std::string dir = t::freshDir("safe_save_file_why");
    fs::create_directory(dir + "/adir");
    t::writeFile(dir + "/afile", "x");
    t::writeFile(dir + "/ro.txt", "old");
    fs::permissions(dir + "/ro.txt", fs::perms::owner_read);
    struct Row {
        std::string target, reason;
    };
    const Row rows[] = {
        {dir + "/adir", "it is a folder"},
        {dir + "/missing/a.txt", "the folder " + dir + "/missing does not exist"},
        {dir + "/ro.txt", "the file is read-only"},
    };
    for (const Row &row : rows) {
        std::string error;
        EXPECT_FALSE(vek::saveFile(row.target, "new", &error));
        EXPECT_EQ(error, "Unable to write " + row.target + ": " + row.reason + ".");
    }
    // A file where a folder should be: the system's own words.
    std::string error;
    EXPECT_FALSE(vek::saveFile(dir + "/afile/a.txt", "new", &error));
    EXPECT_EQ(error.rfind("Unable to write " + dir + "/afile/a.txt: ", 0), 0u) << error;
    fs::permissions(dir + "/ro.txt", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(t::readFile(dir + "/ro.txt"), "old");
    EXPECT_EQ(t::entriesIn(dir), 3u);
}

// A save that may only make a new file never replaces one, not even one that
// appears while it writes.
TEST(SafeSaveFile, NewFileOnlyNeverReplaces) {
    const std::string dir = t::freshDir("safe_save_file_new_only");
    const std::string path = dir + "/a.csv";
    std::string error;
    ASSERT_TRUE(vek::saveFile(path, "first", &error, vek::SafeSave::Replace::Never)) << error;
    EXPECT_FALSE(vek::saveFile(path, "second", &error, vek::SafeSave::Replace::Never));
    EXPECT_EQ(error, "Unable to write " + path + ": it already exists.");
    vek::SafeSave s;
    ASSERT_TRUE(s.open(dir + "/b.csv", vek::SafeSave::Replace::Never));
    EXPECT_TRUE(s.write("late"));
    t::writeFile(dir + "/b.csv", "someone else's");
    EXPECT_FALSE(s.commit());
    EXPECT_EQ(t::readFile(dir + "/b.csv"), "someone else's");
    EXPECT_EQ(t::readFile(path), "first");
    EXPECT_EQ(t::entriesIn(dir), 2u);
}

// Two threads save at once, each its own files; a save that cannot start in
// one thread fails cleanly while the other goes on. (The failing target's
// folder is a file: a read-only folder would not stop root.)
TEST(SafeSaveFile, TwoThreadsSaveAtOnce) {
    const std::string dir = t::freshDir("safe_save_file_threads");
    t::writeFile(dir + "/blocker", "a file, not a folder");
    constexpr int kRounds = 200;
    std::vector<std::string> errors(2);
    int failures = 0;
    auto saver = [&](int who) {
        for (int i = 0; i < kRounds; ++i) {
            const std::string body = std::to_string(who) + ":" + std::to_string(i) + std::string(5000, 'x');
            std::string error;
            if (!vek::saveFile(dir + "/out" + std::to_string(who) + ".txt", body, &error)) errors[who] = error;
            if (who == 0 && vek::saveFile(dir + "/blocker/never.txt", body, &error)) errors[0] = "saved into a file";
            if (who == 0 && !error.empty()) ++failures;
        }
    };
    std::thread a(saver, 0), b(saver, 1);
    a.join();
    b.join();
    EXPECT_EQ(errors[0], "");
    EXPECT_EQ(errors[1], "");
    EXPECT_EQ(failures, kRounds);
    for (int who : {0, 1})
        EXPECT_EQ(t::readFile(dir + "/out" + std::to_string(who) + ".txt"),
                  std::to_string(who) + ":" + std::to_string(kRounds - 1) + std::string(5000, 'x'));
    EXPECT_EQ(t::entriesIn(dir), 3u); // no temporary file left behind
}

TEST(SafeSaveFile, SameFileSeesThroughSpellingsAndLinks) {
    const std::string dir = t::freshDir("safe_save_same_file");
    t::writeFile(dir + "/m.out", "report");
    t::writeFile(dir + "/other.out", "report");
    EXPECT_TRUE(vek::sameFile(dir + "/m.out", dir + "/./m.out"));
    EXPECT_FALSE(vek::sameFile(dir + "/m.out", dir + "/other.out"));
    EXPECT_FALSE(vek::sameFile(dir + "/m.out", dir + "/new.csv"));
#ifndef _WIN32
    fs::create_symlink("m.out", dir + "/link.out");
    fs::create_hard_link(dir + "/m.out", dir + "/hard.out");
    EXPECT_TRUE(vek::sameFile(dir + "/m.out", dir + "/link.out"));
    EXPECT_TRUE(vek::sameFile(dir + "/hard.out", dir + "/link.out"));
#endif
}

// A scratch file for a writer that wants a file name is gone with its owner,
// and its bytes reach the target through the save.
TEST(SafeSaveFile, ScratchFileIsCopiedAndRemoved) {
    const std::string dir = t::freshDir("safe_save_scratch");
    std::string scratchPath, error;
    {
        vek::ScratchFile scratch;
        ASSERT_TRUE(scratch.create("workbook", &error)) << error;
        scratchPath = scratch.path();
        t::writeFile(scratchPath, std::string(150000, 'w'));
        vek::SafeSave s;
        ASSERT_TRUE(s.open(dir + "/book.xlsx"));
        ASSERT_TRUE(scratch.copyInto(s, &error)) << error;
        ASSERT_TRUE(s.commit()) << s.error();
    }
    EXPECT_FALSE(fs::exists(scratchPath));
    EXPECT_EQ(t::readFile(dir + "/book.xlsx"), std::string(150000, 'w'));
}

#ifndef _WIN32

// A FIFO stays a FIFO: the bytes go to its reader.
TEST(SafeSaveFile, FifoIsWrittenNotReplaced) {
    const std::string dir = t::freshDir("safe_save_file_fifo");
    const std::string path = dir + "/pipe";
    t::FifoReader reader(path);
    ASSERT_TRUE(reader.ok());
    vek::SafeSave s;
    ASSERT_TRUE(s.open(path)) << s.error();
    EXPECT_TRUE(s.write("through the pipe\n") && s.commit()) << s.error();
    EXPECT_EQ(reader.take(), "through the pipe\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(t::entriesIn(dir), 1u);
}

// A FIFO nobody reads is refused at once (never waited on), and one whose
// reader goes away fails the write (no SIGPIPE ends the program); the FIFO
// stays either way.
TEST(SafeSaveFile, FifoWithoutReaderFailsWithAMessage) {
    const std::string dir = t::freshDir("safe_save_file_fifo_gone");
    const std::string path = dir + "/pipe";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    {
        vek::SafeSave s;
        EXPECT_FALSE(s.open(path));
        EXPECT_EQ(s.error(), "Unable to write " + path + ": no program is reading from it.");
    }
    const int readEnd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(readEnd, 0);
    vek::SafeSave s;
    ASSERT_TRUE(s.open(path)) << s.error();
    ::close(readEnd);
    EXPECT_FALSE(s.write(std::string(1 << 20, 'x')) && s.commit());
    EXPECT_EQ(s.error(), "Unable to write " + path + ": " + std::generic_category().message(EPIPE) + ".");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// A device node (here one like /dev/null, made in a scratch folder) is
// written and stays a device; a link to a file is written through and stays
// a link.
TEST(SafeSaveFile, DevicesAndLinksStayWhatTheyAre) {
    const std::string dir = t::freshDir("safe_save_file_device");
    const std::string node = dir + "/null";
    ASSERT_EQ(mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0) << "needs root: " << std::strerror(errno);
    vek::SafeSave s;
    ASSERT_TRUE(s.open(node)) << s.error();
    EXPECT_TRUE(s.writesDirectly());
    EXPECT_TRUE(s.write(std::string(300000, 'x')) && s.commit()) << s.error();
    struct stat st {};
    ASSERT_EQ(::stat(node.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));

    t::writeFile(dir + "/real.txt", "old");
    fs::create_symlink("real.txt", dir + "/link.txt");
    std::string error;
    ASSERT_TRUE(vek::saveFile(dir + "/link.txt", "new", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir + "/link.txt"));
    EXPECT_EQ(t::readFile(dir + "/real.txt"), "new");
    EXPECT_EQ(t::entriesIn(dir), 3u);
}

// A dangling link is written through, as cp does: the file it names is made
// and every link of the chain stays. A loop of links is refused with the
// system's reason, and the links are left as they were.
TEST(SafeSaveFile, DanglingLinksAreWrittenThroughAndLoopsRefused) {
    const std::string dir = t::freshDir("safe_save_file_dangling");
    fs::create_directory(dir + "/sub");
    fs::create_symlink("hop.txt", dir + "/dangling.txt");
    fs::create_symlink("sub/made.txt", dir + "/hop.txt");
    std::string error;
    ASSERT_TRUE(vek::saveFile(dir + "/dangling.txt", "new", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir + "/dangling.txt"));
    EXPECT_TRUE(fs::is_symlink(dir + "/hop.txt"));
    EXPECT_EQ(t::readFile(dir + "/sub/made.txt"), "new");
    EXPECT_EQ(t::entriesIn(dir), 3u);
    EXPECT_EQ(t::entriesIn(dir + "/sub"), 1u);

    fs::create_symlink("self.txt", dir + "/self.txt");
    fs::create_symlink("b.txt", dir + "/a.txt");
    fs::create_symlink("a.txt", dir + "/b.txt");
    for (const char *name : {"/self.txt", "/a.txt"}) {
        EXPECT_FALSE(vek::saveFile(dir + name, "new", &error));
        EXPECT_EQ(error, "Unable to write " + dir + name + ": Too many levels of symbolic links.");
        EXPECT_TRUE(fs::is_symlink(dir + name));
    }
    EXPECT_EQ(t::entriesIn(dir), 6u);
}

// A save killed outright (SIGKILL: no handler runs) leaves its temporary
// file, named for what it is; the next save of the same target removes it,
// but neither the temporary file of a save under way nor another target's.
TEST(SafeSaveFile, TheNextSaveRemovesWhatAKilledSaveLeft) {
    const std::string dir = t::freshDir("safe_save_file_stale");
    vek::SafeSave underWay;
    ASSERT_TRUE(underWay.open(dir + "/m.vek")) << underWay.error();
    const std::string kept = fs::path(underWay.temporaryName()).filename().string();
    EXPECT_EQ(kept.rfind(".m.vek.", 0), 0u) << kept;
    EXPECT_EQ(kept.substr(kept.size() - 12), ".vek-partial") << kept;
    const int st = t::inChild([&] {
        vek::SafeSave killed;
        if (killed.open(dir + "/m.vek") && killed.write(std::string(200000, 'x'))) ::kill(getpid(), SIGKILL);
    });
    ASSERT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == SIGKILL) << st;
    t::writeFile(dir + "/.other.vek.0123456789abcdef.vek-partial", "another target's");
    ASSERT_EQ(t::entriesIn(dir), 3u);
    // All of them older than a file just made, which is never taken for a
    // stale one.
    for (const auto &e : fs::directory_iterator(dir))
        fs::last_write_time(e.path(), fs::file_time_type::clock::now() - std::chrono::minutes(1));

    std::string error;
    ASSERT_TRUE(vek::saveFile(dir + "/m.vek", "new", &error)) << error;
    EXPECT_EQ(t::entriesIn(dir), 3u); // m.vek, the save under way's, the other target's
    EXPECT_TRUE(fs::exists(dir + "/" + kept));
    EXPECT_TRUE(fs::exists(dir + "/.other.vek.0123456789abcdef.vek-partial"));
    EXPECT_TRUE(underWay.write("mine") && underWay.commit()) << underWay.error();
    EXPECT_EQ(t::readFile(dir + "/m.vek"), "mine");
}

// Past the file size limit the system would end the program with SIGXFSZ:
// the save fails instead, and its temporary file is gone.
TEST(SafeSaveFile, FileSizeLimitFailsAndCleansUp) {
    const std::string dir = t::freshDir("safe_save_file_xfsz");
    const std::string path = dir + "/a.txt";
    t::writeFile(path, "old");
    const int st = t::inChild([&] {
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
    EXPECT_EQ(t::entriesIn(dir), 1u);
}

// Saving changes nothing of how the process handles signals: a library's
// host (a Python interpreter) keeps its own. Checked in a child whose ending
// signals are at their default, where a handler would once have been put.
TEST(SafeSaveFile, SavesLeaveTheProcessSignalHandlingAlone) {
    const std::string dir = t::freshDir("safe_save_file_no_handlers");
    const int st = t::inChild([&] {
        for (int sig = 1; sig < NSIG; ++sig)
            if (sig != SIGKILL && sig != SIGSTOP) signal(sig, SIG_DFL);
        std::vector<struct sigaction> before(NSIG), after(NSIG);
        for (int sig = 1; sig < NSIG; ++sig)
            sigaction(sig, nullptr, &before[static_cast<std::size_t>(sig)]);
        std::string error;
        vek::ScratchFile scratch;
        if (!vek::saveFile(dir + "/a.txt", "new", &error) || !scratch.create("book", &error)) _exit(3);
        for (int sig = 1; sig < NSIG; ++sig) {
            sigaction(sig, nullptr, &after[static_cast<std::size_t>(sig)]);
            if (after[static_cast<std::size_t>(sig)].sa_handler != before[static_cast<std::size_t>(sig)].sa_handler)
                _exit(10 + sig);
        }
        _exit(0);
    });
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 0) << "the handler of signal " << WEXITSTATUS(st) - 10 << " changed";
}

#endif

} // namespace
