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
