// Each stream reach's net impact read back as an entry of its own after the
// summaries: its name (one holding the reader's keywords included, which the
// report spaces out and the reader restores), its
// stream table as printed, named in the views' lists; a report cut inside a
// reach table is a failure at its line; a report without reaches reads as
// before.
#include "engine/engine_run.h"
#include "results/output_results.h"
#include "results/run_results.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <sstream>

namespace t = vek::test;

namespace {

std::string deck(int outputFormat, const std::string &sections) {
    std::string d = "Version 1.12\n2000 2002 0 2000 2003 2 " + std::to_string(outputFormat) + " 4 0 0 1 1 0\n";
    for (const char *n : {"North well", "Pond"})
        d += std::string("300 ") + (n[0] == 'P' ? "1" : "-1") + " 1\n" + n +
             "\n0 0 0 0 0 50 100 150 170 130 60 0\n0 0 0 0 0 40 90 120 140 100 40 0\n"
             "0 0 0 0 0 45 95 135 155 115 50 0\n";
    return d + sections;
}

const char *kReaches = "Stream reaches 1\nreach 1 name=\"Big River\"\nreach 2 name=\"Creek LOCATION: SUMMARY OF ALL "
                       "LOCATIONS\"\nshare 1 reach=1 fraction=0.25\nshare 1 reach=2 fraction=0.75\n"
                       "share 2 reach=2 fraction=1\nend\n";

std::string report(const std::string &text) {
    const std::string dir = t::freshDir("results_reach_tables");
    t::writeFile(dir + "/model.vek", text);
    std::ostringstream console, errors;
    EXPECT_EQ(vek::engine::runEngine(dir + "/model.vek", dir + "/model.out", {}, console, errors), 0) << errors.str();
    return t::readFile(dir + "/model.out");
}

} // namespace

TEST(ReachTables, ReadAfterTheSummaries) {
    for (int format : {0, 1}) {
        const std::string withReaches = report(deck(format, kReaches));
        const std::string without = report(deck(format, ""));
        t::ScriptedPrompter prompter;
        vek::OutputResults r, plain;
        ASSERT_TRUE(r.LoadText(withReaches, "model.out", prompter)) << prompter.messages.size();
        ASSERT_TRUE(plain.LoadText(without, "model.out", prompter));
        ASSERT_EQ(r.locations.size(), plain.locations.size() + 2) << format;
        const vek::LocationResult &big = r.locations[r.locations.size() - 2];
        const vek::LocationResult &creek = r.locations.back();
        EXPECT_EQ(big.kind, vek::LocationResult::Kind::Reach);
        EXPECT_EQ(big.name, "Big River");
        EXPECT_EQ(creek.name, "Creek LOCATION: SUMMARY OF ALL LOCATIONS");
        EXPECT_FALSE(big.hasDiversion());
        EXPECT_TRUE(big.isSummary());
        // Their values are the printed ones: together the net impact, to
        // the rounding of each printed tenth.
        const vek::LocationResult &net = r.locations[r.locations.size() - 3];
        ASSERT_EQ(net.kind, vek::LocationResult::Kind::NetImpact);
        for (std::size_t y = 0; y < net.rows.size(); ++y)
            for (int m = 0; m < 12; ++m)
                EXPECT_NEAR(big.rows[y].stream[m] + creek.rows[y].stream[m], net.rows[y].stream[m], 0.1 + 1e-4);
        EXPECT_EQ(r.locationListEntries().back(), "Net Impact on Reach Creek LOCATION: SUMMARY OF ALL LOCATIONS");
        // Everything before them reads as the report without reaches.
        for (std::size_t i = 0; i < plain.locations.size(); ++i) {
            EXPECT_EQ(r.locations[i].name, plain.locations[i].name);
            EXPECT_EQ(r.locations[i].rows.back().streamTotal, plain.locations[i].rows.back().streamTotal);
        }
    }
}

TEST(ReachTables, CutShortIsAFailureAtItsLine) {
    const std::string full = report(deck(1, kReaches));
    const std::string cut = full.substr(0, full.find("\r\n", full.find("NET IMPACT UPON REACH Big River") + 200) + 2);
    t::ScriptedPrompter prompter;
    vek::OutputResults r;
    EXPECT_FALSE(r.LoadText(cut, "cut.out", prompter));
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_NE(prompter.messages.back().find("Unexpected EOF reading"), std::string::npos) << prompter.messages.back();
    EXPECT_GT(r.failedLine, 0);
    // What was read before it stays: the summaries, no half reach.
    EXPECT_EQ(r.locations.back().kind, vek::LocationResult::Kind::NetImpact);
}

// The reaches follow the list of response methods at once when the model has
// both; a run in memory gives the same entries with the same printed tenths.
TEST(ReachTables, AfterTheResponseMethodsAndFromARunInMemory) {
    const std::string model = deck(1, std::string(kReaches) + "Response methods 1\nlocation 2 alluvial a/W=0.5\nend\n");
    t::ScriptedPrompter prompter;
    vek::OutputResults printed, inMemory;
    ASSERT_TRUE(printed.LoadText(report(model), "model.out", prompter));
    ASSERT_EQ(printed.reportedMethods.size(), 1u);
    ASSERT_GE(printed.locations.size(), 2u);
    EXPECT_EQ(printed.locations[printed.locations.size() - 2].name, "Big River");
    EXPECT_EQ(printed.locations.back().kind, vek::LocationResult::Kind::Reach);

    vek::engine::RunTables tables;
    std::ostringstream console, errors;
    ASSERT_EQ(vek::engine::runEngine({"model.vek", model}, tables, {}, console, errors), 0) << errors.str();
    std::vector<std::string> types;
    vek::fillRunResults(inMemory, tables, &types);
    ASSERT_EQ(inMemory.locations.size(), printed.locations.size());
    EXPECT_EQ(types.back(), "reach");
    for (std::size_t i = printed.locations.size() - 2; i < printed.locations.size(); ++i) {
        const vek::LocationResult &a = printed.locations[i], &b = inMemory.locations[i];
        EXPECT_EQ(b.kind, vek::LocationResult::Kind::Reach);
        EXPECT_EQ(b.name, a.name);
        ASSERT_EQ(b.rows.size(), a.rows.size());
        for (std::size_t y = 0; y < a.rows.size(); ++y)
            for (int m = 0; m < 13; ++m)
                EXPECT_EQ(b.rows[y].streamTenths[m], a.rows[y].streamTenths[m]) << i << " " << y << " " << m;
    }
}
