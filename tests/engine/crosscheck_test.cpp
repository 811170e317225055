// Faults found by running random decks through vek and an independent model
// of the engine, and golden reports that model wrote for decks whose numbers
// were also checked by hand.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/kernel_variants.h"
#include "support/test_files.h"
#include "vek_process.h"

namespace {

namespace t = vek::test;
namespace fs = std::filesystem;
using t::Outcome;
using t::runVek;

// An output name that reaches the input file by a less obvious road (the same
// after the names are cut to 45 characters, a link, the console dialogue) must
// not empty the model file before it is read.
TEST(Crosscheck, OutputNamingTheInputFileLeavesItIntact) {
    const std::string long45 = std::string(41, 'm') + ".vek";
    struct Row {
        const char *name;
        const char *deckName;
        std::string args;
        std::string input;
    } rows[] = {
        {"cut_to_45", long45.c_str(), long45 + "in " + long45 + "out", ""},
        {"symlink", "model.vek", "model.vek link.vek", ""},
        {"asked", "model.vek", "", "model.vek\nmodel.vek\n"},
    };
    const std::string deck = t::readFile(t::dataPath("engine/layout.vek"));
    for (const auto &r : rows) {
        const std::string dir = t::freshDir(std::string("engine_crosscheck_same_") + r.name);
        t::writeFile(dir + "/" + r.deckName, deck);
#ifdef _WIN32
        if (std::string(r.name) == "symlink") continue; // no links to make under Windows
#else
        fs::create_symlink(dir + "/model.vek", dir + "/link.vek");
#endif
        const Outcome o = runVek(dir, r.args, r.input);
        EXPECT_EQ(o.status, 2) << r.name;
        EXPECT_NE(o.err.find("run-time error"), std::string::npos) << r.name << ": " << o.err;
        EXPECT_NE(o.err.find("is the input file"), std::string::npos) << r.name << ": " << o.err;
        EXPECT_EQ(t::readFile(dir + "/" + r.deckName), deck) << r.name << ": the model file was changed";
    }
}

// Reports written by tools/vek_reference.py, an implementation of the engine
// that shares no code with it, and checked by hand: a zero factor under the
// 30-day rule (effects equal diversions, a leap FEB still counts 30 days), a run
// starting after the historical years with tail years and an unused location
// between used ones, and the untitled layout over 17 years with rows skipped
// after the run; and steady rates of 200000 acre-feet a day whose printed
// effects show each fraction almost to the last bit, over 35 years of leap
// phases with steps up and down. Both computations, several threads and every
// kernel variant this processor runs must write them.
TEST(Crosscheck, IndependentReports) {
    for (const char *deck : {"zero_factor_odd_rule", "late_output_tail", "format2_long", "fine_fractions"}) {
        std::vector<std::string> envs{"", "VEK_SUPERPOSITION=reference", "VEK_THREADS=3"};
        for (vek::engine::KernelVariant v : vek::engine::availableKernelVariants())
            envs.push_back(std::string("VEK_KERNELS=") + vek::engine::kernelVariantName(v));
        for (const std::string &env : envs) {
            const std::string dir = t::freshDir(std::string("engine_crosscheck_") + deck);
            t::writeFile(dir + "/model.vek",
                         t::readFile(t::dataPath(std::string("engine/crosscheck/") + deck + ".vek")));
            const Outcome o = runVek(dir, "model.vek model.out", "", env);
            EXPECT_EQ(o.status, 0) << deck << " " << env << ": " << o.err;
            EXPECT_EQ(o.out, " Stop - Program terminated.\n");
            const std::string diff =
                t::compareGolden(std::string("engine/crosscheck/") + deck + ".out", t::readFile(dir + "/model.out"));
            EXPECT_TRUE(diff.empty()) << deck << " " << env << "\n" << diff;
        }
    }
}

} // namespace
