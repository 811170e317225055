// A model read once and run again, as it is and changed: an unchanged run is
// the program's run, a changed one is the program's run of the changed file,
// bit for bit, and runs of one model at once on several threads do not
// disturb each other.
#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/model_generator.h"
#include "engine/prepared_model.h"
#include "support/test_files.h"

namespace {

using namespace vek::engine;
namespace t = vek::test;

std::string reportOf(const RunTables &tables) {
    std::string text;
    writeReport(tables, [&](std::string_view piece) { text.append(piece); });
    return text;
}

// The report vek writes for a deck.
std::string programReport(const std::string &deck, const std::string &name) {
    const std::string dir = t::freshDir("engine_prepared_" + name);
    t::writeFile(dir + "/m.vek", deck);
    std::ostringstream console, errors;
    EXPECT_EQ(runEngine(dir + "/m.vek", dir + "/m.out", EngineOptions{}, console, errors), kExitNormal) << errors.str();
    return t::readFile(dir + "/m.out");
}

PreparedModel prepared(const std::string &deck) {
    PreparedModel model;
    std::ostringstream console, errors;
    EXPECT_EQ(prepareModel({"deck in memory", deck}, model, console, errors), kExitNormal) << errors.str();
    return model;
}

std::string runReport(const PreparedModel &model, const RunVariation &v = {}, unsigned threads = 0) {
    RunTables tables;
    EngineOptions options;
    options.threads = threads;
    runPrepared(model, v, tables, options);
    return reportOf(tables);
}

// Three locations over three data years and a tail year; the first on the
// alluvial aquifer, the third on streambed resistance. Each row is
// `scale` times the base values, which are exact in decimal at any power of
// two.
std::string smallDeck(double factor1, const char *aOverW, const char *lambda, double scale1, double scale3) {
    auto rows = [](double scale, double base) {
        std::string out;
        for (int y = 0; y < 3; ++y) {
            for (int m = 0; m < 12; ++m) {
                char value[32];
                std::snprintf(value, sizeof value, "%.10g", scale * base * ((m * 7 + y * 3) % 11));
                out += (m ? " " : "") + std::string(value);
            }
            out += "\n";
        }
        return out;
    };
    char factor[32];
    std::snprintf(factor, sizeof factor, "%.10g", factor1);
    return "Version 1.12\n"
           "2000 2002 0 2000 2003 3 0 4 0 0 1 1 0 # parameters\n" +
           std::string(factor) + " -1 1 # VEK LocationType UseInOutput\nWell A\n" + rows(scale1, 10.25) +
           "1200 1 1 # VEK LocationType UseInOutput\nSite B\n" + rows(1.0, 7.5) +
           "800 -1 1 # VEK LocationType UseInOutput\nWell C\n" + rows(scale3, 20.5) +
           "Response methods 1\nlocation 1 alluvial a/W=" + aOverW + "\nlocation 3 hunt lambda=" + lambda + "\nend\n";
}

// Unchanged, a prepared model runs as the program runs its file, on any
// number of threads and as often as asked.
TEST(PreparedModel, UnchangedRunIsTheProgramsRun) {
    std::vector<std::pair<std::string, std::string>> decks; // name, deck
    for (const char *golden : {"cancel", "fifteen", "late_start", "layout", "no_locations", "untitled", "years400"})
        decks.emplace_back(golden, t::readFile(t::dataPath(std::string("engine/") + golden + ".vek")));
    decks.emplace_back("methods", t::readFile(t::dataPath("../../examples/aquifer_methods.vek")));
    vek::bench::ModelShape totals;
    totals.locations = 7;
    totals.historicalYears = 30;
    totals.synthesizedYears = 5;
    totals.outputFormat = 1;
    totals.unusedEvery = 3;
    decks.emplace_back("totals", vek::bench::generateModel(totals));
    for (const auto &[name, deck] : decks) {
        const std::string expected = programReport(deck, name);
        const PreparedModel model = prepared(deck);
        for (unsigned threads : {1u, 3u})
            EXPECT_EQ(runReport(model, {}, threads), expected) << name << " threads " << threads;
        EXPECT_EQ(runReport(model), expected) << name << ": a second run";
    }
}

// Every kind of change, against the program's run of the file that says it.
TEST(PreparedModel, ChangedRunIsTheRunOfTheChangedFile) {
    const PreparedModel model = prepared(smallDeck(250, "0.4", "2.5", 1.0, 1.0));
    ASSERT_EQ(model.locations.size(), 3u);
    struct Row {
        const char *name;
        RunVariation variation;
        std::string deck;
    } rows[] = {
        {"factor", {{300.0f, 1200.0f, 800.0f}, {}, {}}, smallDeck(300, "0.4", "2.5", 1.0, 1.0)},
        {"parameters", {{}, {0.7f, 9.0f, 0.5f}, {}}, smallDeck(250, "0.7", "0.5", 1.0, 1.0)},
        {"pumping", {{}, {}, {2.0f, 1.0f, 0.5f}}, smallDeck(250, "0.4", "2.5", 2.0, 0.5)},
        {"all",
         {{300.0f, 1200.0f, 800.0f}, {0.7f, 0.0f, 0.5f}, {0.5f, 1.0f, 4.0f}},
         smallDeck(300, "0.7", "0.5", 0.5, 4.0)},
    };
    for (const Row &r : rows) {
        EXPECT_EQ(runReport(model, r.variation), programReport(r.deck, r.name)) << r.name;
        EXPECT_NE(runReport(model, r.variation), runReport(model)) << r.name << " changed nothing";
    }
    // The model itself is what it was.
    EXPECT_EQ(runReport(model), programReport(smallDeck(250, "0.4", "2.5", 1.0, 1.0), "unchanged"));
}

TEST(PreparedModel, UnusableVariationsAreRefusedNamingTheLocation) {
    const PreparedModel model = prepared(smallDeck(250, "0.4", "2.5", 1.0, 1.0));
    const Real nan = std::numeric_limits<Real>::quiet_NaN(), inf = std::numeric_limits<Real>::infinity();
    struct Row {
        RunVariation variation;
        const char *problem; // part of the message; "" for none
    } rows[] = {
        {{{1.0f, 2.0f}, {}, {}}, "lists 2 values where the model has 3 locations"},
        {{{}, {}, {1.0f, 1.0f, 1.0f, 1.0f}}, "lists 4 values"},
        {{{1.0f, -0.5f, 1.0f}, {}, {}}, "location 2: the depletion factor must be"},
        {{{nan, 1.0f, 1.0f}, {}, {}}, "location 1: the depletion factor must be"},
        {{{inf, 1.0f, 1.0f}, {}, {}}, "location 1: the depletion factor must be"},
        {{{0.0f, 0.0f, 0.0f}, {}, {}}, ""},
        {{{}, {1.0f, 0.0f, 2.0f}, {}}, "location 1: "}, // a/W must stay below 1
        {{{}, {0.5f, 0.0f, 0.0f}, {}}, "location 3: "}, // lambda' must be above 0
        {{{}, {0.5f, -7.0f, 1.0f}, {}}, ""},            // the infinite aquifer has no parameter
        {{{}, {}, {1.0f, inf, 1.0f}}, "location 2: the pumping multiplier must be a finite number"},
        {{{}, {}, {0.0f, -1.0f, 3.0f}}, ""},
    };
    for (const Row &r : rows) {
        const std::string problem = variationProblem(model, r.variation);
        if (*r.problem == 0) {
            EXPECT_EQ(problem, "");
            continue;
        }
        EXPECT_NE(problem.find(r.problem), std::string::npos) << problem;
        RunTables tables;
        EXPECT_THROW(runPrepared(model, r.variation, tables, EngineOptions{}), std::invalid_argument) << r.problem;
    }
}

// Samples of one model on four threads at once, each itself on two threads,
// give the results each gives alone.
TEST(PreparedModel, SamplesAtOnceGiveTheirOwnResults) {
    vek::bench::ModelShape shape;
    shape.locations = 9;
    shape.historicalYears = 40;
    shape.synthesizedYears = 4;
    shape.otherMethods = true;
    const PreparedModel model = prepared(vek::bench::generateModel(shape));
    std::vector<RunVariation> samples(8);
    for (std::size_t s = 0; s < samples.size(); ++s)
        for (std::size_t i = 0; i < model.locations.size(); ++i) {
            samples[s].factor.push_back(model.locations[i].response.factor * (1.0f + 0.1f * static_cast<Real>(s)));
            samples[s].pumping.push_back(s % 2 ? 1.5f : 0.75f);
        }
    std::vector<std::string> alone;
    for (const RunVariation &v : samples)
        alone.push_back(runReport(model, v, 1));
    std::vector<std::string> together(samples.size());
    std::vector<std::thread> threads;
    for (std::size_t w = 0; w < 4; ++w)
        threads.emplace_back([&, w] {
            for (std::size_t s = w; s < samples.size(); s += 4)
                together[s] = runReport(model, samples[s], 2);
        });
    for (auto &th : threads)
        th.join();
    for (std::size_t s = 0; s < samples.size(); ++s)
        EXPECT_TRUE(together[s] == alone[s]) << "sample " << s;
    EXPECT_NE(alone[0], alone[1]);
}

// A model the program refuses is refused with the program's lines and status.
TEST(PreparedModel, RefusedAsTheProgramRefuses) {
    PreparedModel model;
    std::ostringstream console, errors;
    EXPECT_EQ(prepareModel({t::dataPath("engine/years401.vek"), std::nullopt}, model, console, errors), kExitYearLimit);
    EXPECT_EQ(console.str(), " ERROR: input contains more than          400 years of data.\n");
    std::ostringstream console2, errors2;
    std::string deck = smallDeck(250, "0.4", "2.5", 1.0, 1.0);
    deck.replace(deck.find("Well C\n") + 7, 1, "x");
    EXPECT_EQ(prepareModel({"deck in memory", deck}, model, console2, errors2), kExitRuntimeError);
    EXPECT_NE(errors2.str().find(" run-time error: unreadable number \"x"), std::string::npos) << errors2.str();
}

// Sampled runs one after another: each recomputes only the locations whose
// response or rates it changes against the run before, and gives what a
// fresh run of its variation gives, in either report layout.
TEST(PreparedModel, RunnerRecomputesOnlyWhatChanged) {
    const PreparedModel model = prepared(smallDeck(250, "0.4", "2.5", 1.0, 1.0));
    PreparedRunner runner(model, EngineOptions{});
    struct Row {
        RunVariation variation;
        std::size_t recomputed;
    } rows[] = {
        {{}, 3},                                                  // the first run computes all
        {{}, 0},                                                  // the same again
        {{{300.0f, 1200.0f, 800.0f}, {}, {}}, 1},                 // location 1's factor
        {{{300.0f, 1200.0f, 800.0f}, {}, {1.0f, 1.0f, 2.0f}}, 1}, // location 3's rates
        {{{}, {}, {1.0f, 1.0f, 2.0f}}, 1},                        // location 1's factor back
        {{{}, {0.7f, 5.0f, 2.5f}, {1.0f, 1.0f, 2.0f}}, 1},        // location 1's a/W; 2 has no parameter
        {{}, 2},                                                  // a/W and rates back
    };
    for (std::size_t r = 0; r < std::size(rows); ++r) {
        RunTables tables;
        runner.run(rows[r].variation, tables);
        EXPECT_EQ(runner.recomputed(), rows[r].recomputed) << "run " << r;
        EXPECT_EQ(reportOf(tables), runReport(model, rows[r].variation)) << "run " << r;
    }
    // A refused variation changes nothing the next run relies on.
    RunTables tables;
    EXPECT_THROW(runner.run({{1.0f}, {}, {}}, tables), std::invalid_argument);
    runner.run({}, tables);
    EXPECT_EQ(runner.recomputed(), 0u);
    EXPECT_EQ(reportOf(tables), runReport(model));

    vek::bench::ModelShape totals;
    totals.locations = 6;
    totals.historicalYears = 20;
    totals.synthesizedYears = 3;
    totals.outputFormat = 1;
    const PreparedModel summaryOnly = prepared(vek::bench::generateModel(totals));
    PreparedRunner summaries(summaryOnly, EngineOptions{});
    RunVariation one;
    for (const DeckLocation &l : summaryOnly.locations)
        one.factor.push_back(l.response.factor);
    one.factor[4] *= 3.0f;
    for (const RunVariation &v : {RunVariation{}, one}) {
        summaries.run(v, tables);
        EXPECT_EQ(reportOf(tables), runReport(summaryOnly, v));
    }
    EXPECT_EQ(summaries.recomputed(), 1u);
}

} // namespace
