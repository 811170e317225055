// The engine as a library: a run on a deck in memory (or a file) keeps its
// tables instead of writing a report, and the report written from them is
// the one the engine writes while it runs, byte for byte.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "bench/model_generator.h"
#include "engine/engine_run.h"
#include "support/test_files.h"

namespace {

using namespace vek::engine;
namespace t = vek::test;

std::string reportOf(const RunTables &tables) {
    std::string text;
    writeReport(tables, [&](std::string_view piece) { text.append(piece); });
    return text;
}

struct KeptRun {
    int status = 0;
    RunTables tables;
    std::string console, errors;
};

KeptRun keep(DeckSource deck, unsigned threads = 0) {
    KeptRun r;
    std::ostringstream console, errors;
    EngineOptions options;
    options.threads = threads;
    r.status = runEngine(std::move(deck), r.tables, options, console, errors);
    r.console = console.str();
    r.errors = errors.str();
    return r;
}

class GoldenDecks : public ::testing::TestWithParam<const char *> {};

TEST_P(GoldenDecks, ReportFromKeptTablesIsTheGoldenReport) {
    const std::string deck = t::dataPath(std::string("engine/") + GetParam() + ".vek");
    const std::string golden = t::readFile(t::dataPath(std::string("engine/") + GetParam() + ".out"));
    KeptRun fromFile = keep({deck, std::nullopt});
    ASSERT_EQ(fromFile.status, kExitNormal) << fromFile.errors;
    EXPECT_EQ(fromFile.console, " Stop - Program terminated.\n");
    EXPECT_EQ(reportOf(fromFile.tables), golden);
    KeptRun fromMemory = keep({"deck in memory", t::readFile(deck)}, 1);
    ASSERT_EQ(fromMemory.status, kExitNormal) << fromMemory.errors;
    EXPECT_EQ(reportOf(fromMemory.tables), golden);
}

INSTANTIATE_TEST_SUITE_P(Engine, GoldenDecks,
                         ::testing::Values("cancel", "fifteen", "late_start", "layout", "no_locations", "untitled",
                                           "years400"));

TEST(RunTables, ReportOfOtherResponseMethodsEndsWithTheirList) {
    // A model whose response-method section closes the file: from memory the
    // engine finds it in the deck it was given.
    const std::string model = t::readFile(t::dataPath("../../examples/aquifer_methods.vek"));
    const std::string dir = t::freshDir("engine_run_tables_methods");
    t::writeFile(dir + "/m.vek", model);
    std::ostringstream console, errors;
    ASSERT_EQ(runEngine(dir + "/m.vek", dir + "/m.out", EngineOptions{}, console, errors), kExitNormal) << errors.str();
    const std::string written = t::readFile(dir + "/m.out");
    ASSERT_NE(written.find("RESPONSE METHODS OTHER THAN THE INFINITE AQUIFER"), std::string::npos);
    KeptRun kept = keep({"in memory", model});
    ASSERT_EQ(kept.status, kExitNormal) << kept.errors;
    EXPECT_FALSE(kept.tables.responses.empty());
    EXPECT_EQ(reportOf(kept.tables), written);

    // A damaged section in memory is named by the deck's name and its line.
    std::string damaged = model;
    damaged.replace(damaged.rfind("\nend"), 4, "\nfinish");
    KeptRun bad = keep({"in memory", damaged});
    EXPECT_EQ(bad.status, kExitRuntimeError);
    EXPECT_NE(bad.errors.find("in input file \"in memory\", record "), std::string::npos) << bad.errors;
}

TEST(RunTables, HoldTheLocationsTheReportLists) {
    vek::bench::ModelShape shape;
    shape.locations = 9;
    shape.historicalYears = 20;
    shape.synthesizedYears = 5;
    shape.unusedEvery = 4;
    const std::string deck = vek::bench::generateModel(shape);
    KeptRun r = keep({"generated", deck});
    ASSERT_EQ(r.status, kExitNormal) << r.errors;
    ASSERT_EQ(r.tables.locations.size(), 7u); // two of nine are left out of the run
    const RunTables::Location &first = r.tables.locations.front();
    EXPECT_EQ(first.name.size(), 90u);
    EXPECT_EQ(first.name.substr(0, 16), "Irrigation well ");
    EXPECT_EQ(first.diversion.size(), static_cast<std::size_t>(r.tables.counts.runMonths + 1));
    // Column 4 of the summaries is the sum of every location.
    double sum = 0.0;
    for (const auto &loc : r.tables.locations)
        sum += loc.effect[13];
    EXPECT_NEAR(r.tables.summaries.effect(4)[13], sum, 1e-3 * std::abs(sum) + 1e-3);

    // Totals only: the report lists no location, and neither do the tables.
    shape.outputFormat = 1;
    KeptRun totals = keep({"generated", vek::bench::generateModel(shape)});
    ASSERT_EQ(totals.status, kExitNormal);
    EXPECT_TRUE(totals.tables.locations.empty());
    EXPECT_EQ(totals.tables.summaries.effect(4)[13], r.tables.summaries.effect(4)[13]);
}

TEST(RunTables, FailuresGiveTheConsoleLinesAndStatusesOfVek) {
    KeptRun limit = keep({"limit", t::readFile(t::dataPath("engine/years401.vek"))});
    EXPECT_EQ(limit.status, kExitYearLimit);
    EXPECT_EQ(limit.console, " ERROR: input contains more than          400 years of data.\n");

    std::string deck = t::readFile(t::dataPath("engine/layout.vek"));
    deck.replace(deck.find("41.15"), 5, "4x.15");
    KeptRun bad = keep({"the model", deck});
    EXPECT_EQ(bad.status, kExitRuntimeError);
    EXPECT_EQ(bad.errors.rfind(" run-time error: unreadable number \"4x.15\" in input file \"the model\", record 5", 0),
              0u)
        << bad.errors;

    KeptRun missing = keep({t::outputDir() + "/no such model.vek", std::nullopt});
    EXPECT_EQ(missing.status, kExitRuntimeError);
    EXPECT_NE(missing.errors.find("cannot open input file"), std::string::npos);
}

} // namespace
