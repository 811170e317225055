// The vek program's report and console in the hands of other programs: a
// second run on a report another run is writing, a FIFO nobody reads, and a
// reader that goes away. Each is refused or reported with a non-zero status
// and a message; none leaves a report mixed from two runs or ends the program
// without a word.
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/test_files.h"
#include "vek_process.h"

namespace {

namespace t = vek::test;

// A model whose report is far larger than a pipe holds (64 KiB).
std::string largeModel() {
    std::string m = "Version 1.12\n1601 2000 0 1601 2000 4 0 4 0 0 1 0 0 # parameters\n";
    for (int w = 0; w < 4; ++w) {
        m += "250 -1 1 # VEK LocationType UseInOutput\nWell " + std::to_string(w + 1) + "\n";
        for (int y = 0; y < 400; ++y)
            m += "1 2 3 4 5 6 7 8 9 10 11 12\n";
    }
    return m;
}

// Runs vek in `dir` with its standard output on `out` (a descriptor of this
// process), standard error into err.txt; the raw wait status.
int runVekOnto(const std::string &dir, const std::string &args, int out) {
    const std::string cmd = "cd '" + dir + "' && exec '" + t::programPath("vek") + "' " + args;
    const std::string errors = dir + "/err.txt";
    const pid_t pid = fork();
    if (pid == 0) {
        const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

int exitStatus(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status); }

// A report another run holds is refused at once, and keeps every byte it had.
TEST(ReportSharing, ASecondRunOnTheSameReportIsRefused) {
    const std::string dir = t::freshDir("report_sharing_lock");
    t::writeFile(dir + "/model.vek", t::readFile(t::dataPath("engine/layout.vek")));
    t::writeFile(dir + "/model.out", "the first run's report so far\r\n");
    const int held = open((dir + "/model.out").c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0); // as the first run holds it
    const t::Outcome o = t::runVek(dir, "model.vek model.out");
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.err, " run-time error: output file \"model.out\" is being written by another run; wait for it to "
                     "end or give this run another report name\n");
    EXPECT_EQ(t::readFile(dir + "/model.out"), "the first run's report so far\r\n");
    close(held);
    // Once the first run has ended, the report is written as always.
    const t::Outcome again = t::runVek(dir, "model.vek model.out");
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(t::readFile(dir + "/model.out"), t::readFile(t::dataPath("engine/layout.out")));
}

// A FIFO that no program reads is refused at once instead of blocking the
// program for good; one whose reader goes away mid-report ends the run with
// the reason, as a closed standard output does.
TEST(ReportSharing, FifosAndPipesWithoutReaders) {
    const std::string dir = t::freshDir("report_sharing_fifo");
    t::writeFile(dir + "/model.vek", largeModel());
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0644), 0);
    const auto start = std::chrono::steady_clock::now();
    const t::Outcome none = t::runVek(dir, "model.vek fifo");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, " run-time error: cannot create output file \"fifo\": no program is reading from it\n");

    // A reader that takes the first block and goes away.
    const int reader = open((dir + "/fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    std::thread closer([&] {
        pollfd p{reader, POLLIN, 0};
        poll(&p, 1, 20000); // until the run has written
        close(reader);
    });
    const int devnull = open("/dev/null", O_WRONLY);
    const int status = runVekOnto(dir, "model.vek fifo", devnull);
    closer.join();
    EXPECT_EQ(exitStatus(status), 2) << "not ended by SIGPIPE";
    EXPECT_EQ(t::readFile(dir + "/err.txt"), " run-time error: cannot write output file \"fifo\": Broken pipe\n");

    // Standard output into a pipe whose reader is gone.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    close(pipeEnds[0]);
    const int console = runVekOnto(dir, "model.vek model.out", pipeEnds[1]);
    close(pipeEnds[1]);
    close(devnull);
    EXPECT_EQ(exitStatus(console), 2);
    EXPECT_EQ(t::readFile(dir + "/err.txt"), " run-time error: cannot write standard output: Broken pipe\n");
}

} // namespace
