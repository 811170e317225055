// What vektool check passes, the engine runs: check and run judge each small
// file of the shared table alike. A refused file fails check (status 1, the
// problem and the convert options that mend it) and never reaches the
// engine under run; a warned one passes check with its warning on standard
// error and runs.
#include "support/run_program.h"
#include "support/test_files.h"
#include "support/validation_cases.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace t = vek::test;
namespace fs = std::filesystem;

namespace {

t::ProgramRun vektool(const std::string &dir, const std::vector<std::string> &args) {
    return t::runProgram(dir, t::programPath("vektool"), args);
}

std::string reportOf(const std::string &file) { return fs::path(file).stem().string() + ".out"; }

} // namespace

TEST(VektoolValidation, CheckAndRunJudgeEachFileAlike) {
    ASSERT_TRUE(fs::exists(t::programPath("vektool")) && fs::exists(t::programPath("vek")))
        << "vektool and vek are not built in " << t::binDir();
    const std::string dir = t::freshDir("vektool_validation");
    for (const t::ValidationCase &c : t::validationCases()) {
        SCOPED_TRACE(c.file);
        t::writeFile(dir + "/" + c.file, t::validationCaseText(c));
        const std::string prefix = std::string(c.file) + ": ";

        const t::ProgramRun check = vektool(dir, {"check", c.file});
        EXPECT_EQ(check.status, c.refused ? 1 : 0) << check.err;
        EXPECT_NE(check.out.find(prefix + (c.refused ? "failed" : "ok")), std::string::npos) << check.out;
        if (!*c.field) {
            EXPECT_EQ(check.err, "");
        } else if (c.refused) {
            EXPECT_EQ(check.err.rfind(prefix, 0), 0u) << check.err;
            EXPECT_EQ(check.err.find("warning:"), std::string::npos) << check.err;
            if (*c.option) {
                EXPECT_NE(check.err.find(std::string("  Mend: vektool convert ") + c.file + " " + c.file + " " +
                                         c.option + "\n"),
                          std::string::npos)
                    << check.err;
            }
        } else {
            EXPECT_EQ(check.err.rfind(prefix + "warning: ", 0), 0u) << check.err;
        }

        // run judges as check does, before the engine starts: a refused file
        // leaves no report behind.
        const t::ProgramRun run = vektool(dir, {"run", c.file});
        EXPECT_EQ(run.status, c.refused ? 1 : 0) << run.err;
        EXPECT_EQ(fs::exists(dir + "/" + reportOf(c.file)), !c.refused);
        if (c.refused) {
            EXPECT_EQ(run.err.find("Error running"), std::string::npos) << run.err;
            EXPECT_EQ(run.out, "");
        } else {
            EXPECT_EQ(run.err, check.err);
        }
    }
}

// The refusals name vektool's options, never a menu of the desktop program;
// following them gives a file that runs.
TEST(VektoolValidation, TheNamedOptionsMendTheFile) {
    ASSERT_TRUE(fs::exists(t::programPath("vektool")) && fs::exists(t::programPath("vek")))
        << "vektool and vek are not built in " << t::binDir();
    const std::string dir = t::freshDir("vektool_validation_mend");
    for (const t::ValidationCase &c : t::validationCases()) {
        const std::string option = c.option;
        if (!c.refused || option.empty() || option.find(" or ") != std::string::npos ||
            option.find("METHOD") != std::string::npos)
            continue;
        SCOPED_TRACE(c.file);
        t::writeFile(dir + "/" + c.file, t::validationCaseText(c));
        const t::ProgramRun check = vektool(dir, {"check", c.file});
        EXPECT_EQ(check.err.find("VEK->"), std::string::npos) << check.err;
        std::vector<std::string> args{"convert", c.file, c.file};
        for (const std::string &w : t::words(option))
            args.push_back(w);
        const t::ProgramRun mend = vektool(dir, args);
        ASSERT_EQ(mend.status, 0) << mend.err;
        const t::ProgramRun again = vektool(dir, {"run", c.file});
        EXPECT_EQ(again.status, 0) << again.err;
    }
}

// Files that no program can take are refused by check, run and convert alike,
// with the reader's message naming what is wrong: under run nothing is
// computed, and convert leaves the file it would write as it was. Each of these once went
// through with status 0 (an empty model written over an existing one, a run
// of no locations, a section ignored).
TEST(VektoolValidation, ReaderRefusalsAreTheSameEverywhere) {
    ASSERT_TRUE(fs::exists(t::programPath("vektool")) && fs::exists(t::programPath("vek")))
        << "vektool and vek are not built in " << t::binDir();
    const std::string dir = t::freshDir("vektool_reader_refusals");
    const std::string base = t::kRunnableModel;
    const auto with = [&](const std::string &from, const std::string &to) {
        std::string text = base;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const struct {
        const char *file;
        std::string text;
        const char *message;
    } rows[] = {
        {"nwells.vek", with("2000 2003 2 ", "2000 2003 -2 "), "nwells -2: the number of locations cannot be negative"},
        {"years.vek", with("2000 2001 1 2000", "2002 2001 1 2002"), "inputStartYear 2002 after inputEndYear 2001"},
        {"synth.vek", with("2000 2001 1 2000", "2000 2001 -1 2000"), "noOfSimulationYears -1"},
        {"title.vek", base + "Response meth\nlocation 1 hunt lambda=2\nend\n",
         "first line \"Response meth\" is damaged"},
        {"second.vek", base + "Response methods 1\nend\nResponse methods 1\nend\n",
         "a second response-methods section"},
        {"long.vek", with("Well A\n1", std::string((1 << 20) + 1, 'W') + "\n1"),
         "Line 4 of long.vek is longer than 1 MiB"},
        {"garbage.owl",
         "\x7f"
         "ELF\x02\x01\x01 binary\n",
         "garbage.owl holds no well data."},
        {"passwd.owl", "root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1::/usr/sbin:/usr/sbin/nologin\n",
         "passwd.owl holds no well data."},
        {"empty.owl", "", "empty.owl holds no well data."},
    };
    t::writeFile(dir + "/existing.vek", base);
    for (const auto &r : rows) {
        SCOPED_TRACE(r.file);
        t::writeFile(dir + "/" + r.file, r.text);
        const bool model = fs::path(r.file).extension() == ".vek";
        if (model) {
            const t::ProgramRun check = vektool(dir, {"check", r.file});
            EXPECT_EQ(check.status, 1);
            EXPECT_NE(check.err.find(r.message), std::string::npos) << check.err;
            // run says the reader's message; the validation or the engine,
            // which judges the file itself, refuses it too: no report of any
            // location.
            const t::ProgramRun run = vektool(dir, {"run", r.file});
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find(r.message), std::string::npos) << run.err;
            const std::string report = dir + "/" + reportOf(r.file);
            EXPECT_TRUE(!fs::exists(report) || t::readFile(report).find("LOCATION:") == std::string::npos);
        }
        std::vector<std::string> args = {"convert", r.file, "existing.vek"};
        if (!model) args.insert(args.end(), {"--soil-moisture", "no"});
        const t::ProgramRun convert = vektool(dir, args);
        EXPECT_EQ(convert.status, 1);
        EXPECT_NE(convert.err.find(r.message), std::string::npos) << convert.err;
        EXPECT_EQ(t::readFile(dir + "/existing.vek"), base);
    }
}

// Text after the pumping records that is no section is a warning everywhere:
// check passes and says where it starts, run runs and its report's list says
// that every location used the infinite aquifer.
TEST(VektoolValidation, OtherTextAfterThePumpingRecordsIsAWarning) {
    const std::string dir = t::freshDir("vektool_other_text");
    t::writeFile(dir + "/notes.vek", t::kRunnableModel + "Notes of 1998\n");
    const std::string said = "notes.vek goes on after its pumping records at line 23 (\"Notes of 1998\")";
    const t::ProgramRun check = vektool(dir, {"check", "notes.vek"});
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_NE(check.err.find(said), std::string::npos) << check.err;
    const t::ProgramRun run = vektool(dir, {"run", "notes.vek"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
    EXPECT_NE(t::readFile(dir + "/notes.out")
                  .find("  NONE: EVERY LOCATION USED THE INFINITE AQUIFER. THE TEXT FROM "
                        "LINE 23 OF THE INPUT FILE ON"),
              std::string::npos);
}
