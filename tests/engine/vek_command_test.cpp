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

// Names are used whole: a report name of 52 characters once went to the file
// named by its first 45, overwriting it.
TEST(VekCommand, NamesAreUsedWhole) {
    const std::string dir = t::freshDir("engine_cmd_long_names");
    const std::string in = std::string(48, 'i') + ".vek", out = std::string(48, 'o') + ".out";
    copyDeck(dir, "layout.vek", in);
    t::writeFile(dir + "/" + out.substr(0, 45), "unrelated\n");
    const Outcome o = runVek(dir, in + " " + out);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(t::readFile(dir + "/" + out), t::readFile(t::dataPath("engine/layout.out")));
    EXPECT_EQ(t::readFile(dir + "/" + out.substr(0, 45)), "unrelated\n");
    // The same from the console dialogue.
    const Outcome asked = runVek(dir, "", in + "\nasked" + out + "\n");
    EXPECT_EQ(asked.status, 0) << asked.err;
    EXPECT_TRUE(fs::exists(dir + "/asked" + out));
}

// A name that cannot be a file name is refused before either file is opened:
// a NUL typed at the console would otherwise cut it short.
TEST(VekCommand, UnusableNamesAreRefusedBeforeAnythingIsOpened) {
    const std::string dir = t::freshDir("engine_cmd_bad_names");
    copyDeck(dir, "layout.vek", "model.vek");
    t::writeFile(dir + "/a", "unrelated\n");
    using namespace std::string_literals;
    const struct {
        std::string input;
        const char *message;
    } rows[] = {
        {"model.vek\na\tb\n", "output file name \"a\\tb\" holds a control character"},
        {"model.vek\na\0b\n"s, "output file name \"a\\x00b\" holds a control character"},
        {"model.vek\n   \n", "output file name is empty"},
    };
    for (const auto &r : rows) {
        const Outcome o = runVek(dir, "", r.input);
        EXPECT_EQ(o.status, 2) << r.message;
        EXPECT_NE(o.err.find(" run-time error: " + std::string(r.message)), std::string::npos) << o.err;
        EXPECT_EQ(t::readFile(dir + "/a"), "unrelated\n");
        EXPECT_FALSE(fs::exists(dir + "/a\tb"));
    }
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
        // Each of these once ran to an all-zero report or lost a location,
        // with status 0.
        {"negative_nwells", "1999 1999 0 1999 1999 4", "1999 1999 0 1999 1999 -4",
         "nwells is -4 in input file \"model.vek\", record 2; the number of locations cannot be negative"},
        {"first_year_after_last", "1999 1999 0 1999 1999 4", "2000 1999 1 2000 2000 4",
         "inputStartYear 2000 is after inputEndYear 1999 in input file \"model.vek\", record 2"},
        {"negative_synthesized", "1999 1999 0 1999 1999 4", "1999 1999 -1 1999 1999 4",
         "noOfSimulationYears is -1 in input file \"model.vek\", record 2"},
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

// A year row of more than 12 values is read by the rules (its first 12), and
// the console says which location and year held it: "41,15" is two values,
// and every later month of the row moves.
TEST(VekCommand, RowsOfMoreThanTwelveValuesAreNoted) {
    const std::string full = t::readFile(t::dataPath("engine/layout.vek"));
    const std::string row = "41.15 41.15 41.15";
    std::string comma = full, split = full;
    comma.replace(comma.find(row), 5, "41,15");
    split.replace(split.find(row), 5, "41 15");
    const std::string dir = t::freshDir("engine_cmd_long_rows");
    t::writeFile(dir + "/comma.vek", comma);
    t::writeFile(dir + "/split.vek", split);
    const Outcome a = runVek(dir, "comma.vek comma.out");
    const Outcome b = runVek(dir, "split.vek split.out");
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(a.out, " NOTE: location 1, year 1999 (record 5 of the input file) holds more than 12 values; only the "
                     "first 12 are read. Values are separated by blanks or commas: a decimal comma splits a number "
                     "in two.\n Stop - Program terminated.\n");
    EXPECT_EQ(b.out, a.out);
    EXPECT_EQ(t::readFile(dir + "/comma.out"), t::readFile(dir + "/split.out"));
    // Text after the twelfth value is no value.
    std::string comment = full;
    comment.replace(comment.find(row), row.size(), row + " 41.15 41.15 41.15 41.15 41.15 41.15 41.15 41.15 41.15 # x");
    t::writeFile(dir + "/comment.vek", comment);
    EXPECT_EQ(runVek(dir, "comment.vek comment.out").out, " Stop - Program terminated.\n");
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
    const std::string model = dir + "/m.vek", report = dir + "/m.out";
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
