// The vek program as a user or the editor runs it: arguments or the console
// dialogue, exit statuses, "run-time error" lines, and what the report holds
// when a run stops early.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <streambuf>
#include <string>

#include "engine/vek_command.h"
#include "support/test_files.h"
#include "vek_process.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

namespace t = vek::test;
namespace fs = std::filesystem;
using t::Outcome;
using t::runVek;

std::string copyDeck(const std::string &dir, const std::string &deck, const std::string &as) {
    fs::copy_file(t::dataPath("engine/" + deck), dir + "/" + as, fs::copy_options::overwrite_existing);
    return dir + "/" + as;
}

TEST(VekCommand, ArgumentsRunWithoutQuestions) {
    const std::string dir = t::freshDir("engine_cmd_args");
    copyDeck(dir, "layout.vek", "model.vek");
    const Outcome o = runVek(dir, "model.vek model.out /dde");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, " Stop - Program terminated.\n");
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(t::readFile(dir + "/model.out"), t::readFile(t::dataPath("engine/layout.out")));
}

TEST(VekCommand, ConsoleDialogueWithoutArguments) {
    const std::string dir = t::freshDir("engine_cmd_dialogue");
    copyDeck(dir, "layout.vek", "model.vek");
    // Trailing blanks and a CR are not part of the names.
    const Outcome o = runVek(dir, "", "model.vek   \r\nasked.out\n");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, " ENTER THE INPUT DATA FILE NAME (45 CHARACTERS):  \n\n"
                     " ENTER THE OUTPUT FILE NAME (45 CHARACTERS):  \n\n"
                     " Stop - Program terminated.\n");
    EXPECT_EQ(t::readFile(dir + "/asked.out"), t::readFile(t::dataPath("engine/layout.out")));
}

TEST(VekCommand, NamesKeepTheirFirst45Characters) {
    const std::string dir = t::freshDir("engine_cmd_long_names");
    const std::string in45 = std::string(41, 'i') + ".vek"; // 45 characters
    const std::string out45 = std::string(41, 'o') + ".out";
    copyDeck(dir, "layout.vek", in45);
    const Outcome o = runVek(dir, in45 + "extra " + out45 + "extra");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(fs::exists(dir + "/" + out45));
    EXPECT_FALSE(fs::exists(dir + "/" + out45 + "extra"));
}

TEST(VekCommand, FailuresGiveRunTimeErrorLines) {
    struct Row {
        const char *name;
        const char *args;
        const char *input;
        int status;
        const char *message;
    } rows[] = {
        {"one_argument", "model.vek", "", 2, "output file name missing"},
        {"missing_input", "absent.vek out.out", "", 2, "cannot open input file \"absent.vek\""},
        {"no_console_input", "", "", 2, "end of console input"},
        {"unwritable_output", "model.vek no/such/dir.out", "", 2, "cannot create output file \"no/such/dir.out\""},
#ifndef _WIN32
        {"full_disk", "model.vek /dev/full", "", 2, "cannot write output file \"/dev/full\""},
#endif
        {"year_limit", "years401.vek out.out", "", 255, ""},
    };
    for (const auto &r : rows) {
        const std::string dir = t::freshDir(std::string("engine_cmd_") + r.name);
        copyDeck(dir, "layout.vek", "model.vek");
        copyDeck(dir, "years401.vek", "years401.vek");
        const Outcome o = runVek(dir, r.args, r.input);
        EXPECT_EQ(o.status, r.status) << r.name;
        if (*r.message) {
            EXPECT_NE(o.err.find("run-time error"), std::string::npos) << r.name << ": " << o.err;
            EXPECT_NE(o.err.find(r.message), std::string::npos) << r.name << ": " << o.err;
            EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << "one line: " << o.err;
        }
        EXPECT_EQ(o.out.find("Stop - Program terminated."), std::string::npos) << r.name;
    }
}

// A deck that breaks inside a location keeps every earlier location in the
// report, plus the block of the location being read, in both computations.
TEST(VekCommand, EarlyEndKeepsWhatWasWritten) {
    const std::string full = t::readFile(t::dataPath("engine/layout.vek"));
    const std::string cut = full.substr(0, full.find("Slow well") + 10); // name read, rows missing
    const std::string bad = [&] {
        std::string s = full;
        s.replace(s.find("10 10 10 10"), 2, "1O"); // letter O for zero
        return s;
    }();
    struct Row {
        const char *name;
        std::string deck;
        const char *message;
    } rows[] = {
        {"eof", cut, "end of file in input file \"model.vek\", record 14 (year row 1 of location 4)"},
        {"letter", bad, "unreadable number \"1O\" in input file \"model.vek\", record 14 (year row 1 of location 4)"},
    };
    const std::string golden = t::readFile(t::dataPath("engine/layout.out"));
    const std::string kept = golden.substr(0, golden.find("\r\nDIVERSIONS FROM WELLS", golden.find("Slow well")));
    for (const auto &r : rows) {
        for (const char *env : {"", "VEK_SUPERPOSITION=reference", "VEK_THREADS=3"}) {
            const std::string dir = t::freshDir(std::string("engine_cmd_early_") + r.name);
            t::writeFile(dir + "/model.vek", r.deck);
            const Outcome o = runVek(dir, "model.vek model.out", "", env);
            EXPECT_EQ(o.status, 2) << r.name << " " << env;
            EXPECT_NE(o.err.find(r.message), std::string::npos) << o.err;
            EXPECT_EQ(t::readFile(dir + "/model.out"), kept) << r.name << " " << env;
        }
    }
}

// Caller errors that would otherwise give a report of NaN or divide by zero.
TEST(VekCommand, MeaninglessParametersAreRefused) {
    const std::string full = t::readFile(t::dataPath("engine/layout.vek"));
    struct Row {
        const char *name;
        std::string from, to;
        const char *message;
    } rows[] = {
        {"negative_factor", "100000 -1 1", "-5 -1 1",
         "negative depletion factor in input file \"model.vek\", record 12 (location 4)"},
        {"end_before_start", "1999 1999 0 1999 1999 4", "1999 1999 0 1999 1998 4", "the run has no years"},
    };
    for (const auto &r : rows) {
        const std::string dir = t::freshDir(std::string("engine_cmd_refused_") + r.name);
        std::string deck = full;
        deck.replace(deck.find(r.from), r.from.size(), r.to);
        t::writeFile(dir + "/model.vek", deck);
        const Outcome o = runVek(dir, "model.vek model.out");
        EXPECT_EQ(o.status, 2) << r.name;
        EXPECT_NE(o.err.find(r.message), std::string::npos) << r.name << ": " << o.err;
    }
}

// Creating the report must not empty the model it was about to read.
TEST(VekCommand, ReportNamedLikeTheInputIsRefused) {
    const std::string dir = t::freshDir("engine_cmd_same_file");
    const std::string model = copyDeck(dir, "layout.vek", "model.vek");
    const std::string before = t::readFile(model);
    for (const char *args : {"model.vek model.vek", "model.vek ./model.vek"}) {
        const Outcome o = runVek(dir, args);
        EXPECT_EQ(o.status, 2) << args;
        EXPECT_NE(o.err.find("run-time error: output file"), std::string::npos) << o.err;
        EXPECT_NE(o.err.find("is the input file"), std::string::npos) << o.err;
        EXPECT_EQ(t::readFile(model), before) << args;
    }
}

} // namespace

namespace {

// A console whose device is full: lines are taken into a buffer, and
// writing them out fails as a full disk does.
class FullConsole : public std::streambuf {
  public:
    FullConsole() { setp(buffer_, buffer_ + sizeof buffer_); }

  protected:
    int overflow(int) override {
        errno = ENOSPC;
        return traits_type::eof();
    }
    int sync() override {
        errno = ENOSPC;
        return -1;
    }

  private:
    char buffer_[4096];
};

} // namespace

// Console lines that cannot be written make a failed run, with the reason.
TEST(VekCommand, UnwritableConsoleFailsTheRun) {
    const std::string dir = t::freshDir("vek_fc");
    copyDeck(dir, "layout.vek", "m.vek");
    // The engine keeps 45 characters of a name: the files by a short way.
    const std::string model = fs::relative(dir + "/m.vek").string(), report = fs::relative(dir + "/m.out").string();
    ASSERT_LE(report.size(), 45u) << report;
    FullConsole full;
    std::ostream out(&full);
    std::istringstream in;
    std::ostringstream err;
    const int status = vek::engine::runVekCommand({model, report}, in, out, err, vek::engine::EngineOptions{});
    EXPECT_EQ(status, vek::engine::kExitRuntimeError);
    EXPECT_EQ(err.str(), " run-time error: cannot write standard output: " + std::string(std::strerror(ENOSPC)) + "\n");
    // The report itself is complete.
    EXPECT_EQ(t::readFile(dir + "/m.out"), t::readFile(t::dataPath("engine/layout.out")));
#ifndef _WIN32
    // The program itself, onto a full device.
    const std::string cmd = "cd '" + dir + "' && '" + t::programPath("vek") + "' m.vek again.out >/dev/full 2>err.txt";
    const int st = std::system(cmd.c_str());
    EXPECT_EQ(WIFEXITED(st) ? WEXITSTATUS(st) : -1, vek::engine::kExitRuntimeError);
    EXPECT_EQ(t::readFile(dir + "/err.txt"), err.str());
#endif
}

namespace {

// The environment's settings: a thread count beyond the machine is capped and
// noted (a count of 100000 once started that many threads and their tables),
// a kernel variant the processor lacks or a misspelt one is noted and
// replaced, anything else that is not a positive count is ignored.
TEST(VekCommand, EnvironmentSettingsAreCappedWithANote) {
    const unsigned hardware = vek::engine::computingThreads(0);
    const auto best = vek::engine::bestKernelVariant();
    struct Row {
        const char *threads;
        const char *kernels;
        unsigned expectThreads;
        vek::engine::KernelVariant expectKernels;
        const char *note; // part of the note, or "" for none
    } rows[] = {
        {"100000", nullptr, hardware, best, "VEK_THREADS=100000 is more than this machine's"},
        {"99999999999999999999", nullptr, hardware, best, "VEK_THREADS=99999999999999999999 is more than"},
        {"1", nullptr, 1, best, ""},
        {nullptr, nullptr, 0, best, ""},
        {"0", nullptr, 0, best, ""},
        {"-4", nullptr, 0, best, ""},
        {"2x", nullptr, 0, best, ""},
        {nullptr, "baseline", 0, vek::engine::KernelVariant::Baseline, ""},
        {nullptr, "avx9", 0, best, "VEK_KERNELS=avx9 is not one of baseline, avx2, avx512"},
    };
    for (const auto &r : rows) {
        std::ostringstream notes;
        const auto o = vek::engine::optionsFromEnvironment(nullptr, r.threads, r.kernels, notes);
        const std::string what = std::string(r.threads ? r.threads : "-") + " " + (r.kernels ? r.kernels : "-");
        EXPECT_EQ(o.threads, r.expectThreads) << what;
        EXPECT_EQ(o.kernels, r.expectKernels) << what;
        if (*r.note == 0) {
            EXPECT_EQ(notes.str(), "") << what;
        } else {
            EXPECT_NE(notes.str().find(r.note), std::string::npos) << what << ": " << notes.str();
            EXPECT_EQ(notes.str().find("rror"), std::string::npos) << "a note must not read as a failure";
        }
    }
    EXPECT_EQ(vek::engine::computingThreads(hardware + 1), hardware);
    EXPECT_EQ(vek::engine::computingThreads(1), 1u);
}

// The program itself: the run ends at once with the same report.
TEST(VekCommand, ThreadCountBeyondTheMachineRunsOnItsThreads) {
    const std::string dir = t::freshDir("engine_cmd_threads");
    copyDeck(dir, "layout.vek", "model.vek");
    const Outcome o = runVek(dir, "model.vek model.out", "", "VEK_THREADS=100000");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find(" note: VEK_THREADS=100000 is more than this machine's "), std::string::npos) << o.err;
    EXPECT_EQ(t::readFile(dir + "/model.out"), t::readFile(t::dataPath("engine/layout.out")));
}

} // namespace
