// Runs of the engine on models with stream reaches: each reach's net impact
// after the method list (the report before it unchanged), the apportioned
// tables adding up to the net impact, the depletion by reach distance taking
// each reach's own factor, and every damaged section refused before anything
// is computed.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine_run.h"
#include "engine/model_sections.h"
#include "engine/prepared_model.h"
#include "report_tables.h"
#include "support/test_files.h"

namespace {

using namespace vek::engine;
namespace t = vek::test;

const std::vector<std::string> kRows = {"0 0 0 0 0 50 100 150 170 130 60 0", "0 0 0 0 0 40 90 120 140 100 40 0",
                                        "0 0 0 0 0 45 95 135 155 115 50 0"};

// A deck of wells (type -1) and one recharge site (the last name), with the
// pumping records and `sections` at the end.
std::string deck(const std::vector<std::string> &names, const std::vector<std::string> &factors,
                 const std::string &sections, int outputFormat = 0) {
    std::string d = "Version 1.12\n2000 2001 1 2000 2004 " + std::to_string(names.size()) + " " +
                    std::to_string(outputFormat) + " 1 0 1 1 1 0\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        d += factors[i] + (i + 1 == names.size() ? " 1 1" : " -1 1") + " # VEK LocationType UseInOutput\n" + names[i] +
             "\n";
        for (const auto &r : kRows)
            d += r + "\n";
    }
    for (const auto &n : names)
        d += n + "\n0 1 # UsePumpingRecord Units\n1 1 1 1 1 1 1 1 1 1 1 1\n";
    return d + sections;
}

const char *kReaches = "Stream reaches 1\n"
                       "map units=feet depletion=apportioned\n"
                       "apportion inverse power=2\n"
                       "reach 1 name=\"Big River\"\n"
                       "line points=2\n"
                       "0 0 1000 0\n"
                       "reach 2 name=\"Cottonwood Creek\"\n"
                       "location 1 x=10 y=20\n"
                       "share 1 reach=1 fraction=0.25 distance=20\n"
                       "share 1 reach=2 fraction=0.75\n"
                       "share 2 reach=2 fraction=1\n"
                       "share 3 reach=1 fraction=0.6\n"
                       "share 3 reach=2 fraction=0.4\n"
                       "end\n";
const char *kMethods = "Response methods 1\nlocation 2 hunt lambda=2.5\nend\n";

struct Outcome {
    int status = -1;
    std::string report, errors;
    RunTables tables;
};

Outcome run(const std::string &name, const std::string &text, EngineOptions options = {}) {
    const std::string dir = t::freshDir(name);
    t::writeFile(dir + "/model.vek", text);
    std::ostringstream console, errors;
    Outcome r;
    r.status = runEngine(dir + "/model.vek", dir + "/model.out", options, console, errors);
    r.report = t::readFile(dir + "/model.out");
    r.errors = errors.str();
    std::ostringstream c2, e2;
    runEngine(DeckSource{dir + "/model.vek", std::nullopt}, r.tables, options, c2, e2);
    return r;
}

// The reach tables follow the method list; everything before it is the
// report of the same model without reaches. Each reach's net impact is the
// sum of its shares of the locations' depletions and accretions, and the
// reaches together give the net impact.
TEST(ReachRun, ApportionedReachesAddUpToTheNetImpact) {
    const std::vector<std::string> names = {"North well", "Hunt well", "Recharge pond"};
    const std::vector<std::string> factors = {"150", "400", "900"};
    const Outcome plain = run("engine_reach_plain", deck(names, factors, kMethods));
    const Outcome reaches = run("engine_reach_apportioned", deck(names, factors, std::string(kReaches) + kMethods));
    ASSERT_EQ(reaches.status, kExitNormal) << reaches.errors;
    ASSERT_EQ(plain.report, reaches.report.substr(0, plain.report.size()));
    const std::string rest = reaches.report.substr(plain.report.size());
    EXPECT_EQ(
        rest.find(" \r\n\r\nNET IMPACT UPON REACH Big River\r\n Depletions + Accretions\r\n ( acre feet )\r\n \r\n"
                  "YEAR"),
        0u);
    EXPECT_NE(rest.find("NET IMPACT UPON REACH Cottonwood Creek\r\n"), std::string::npos);
    EXPECT_NE(rest.find("    1  North well"), std::string::npos);

    const RunTables &kept = reaches.tables;
    ASSERT_EQ(kept.reaches.reaches.size(), 2u);
    ASSERT_EQ(kept.locations.size(), 3u);
    const float f[3][2] = {{0.25f, 0.75f}, {0.0f, 1.0f}, {0.6f, 0.4f}};
    for (int m = 1; m <= 60; ++m) {
        const float net = kept.summaries.effect(4)[m];
        float sum = 0.0f;
        for (int r = 0; r < 2; ++r) {
            float expected = 0.0f;
            for (int l = 0; l < 3; ++l)
                expected = expected +
                           kept.locations[static_cast<std::size_t>(l)].effect[static_cast<std::size_t>(m)] * f[l][r];
            const float got = kept.reaches.reaches[static_cast<std::size_t>(r)].effect[static_cast<std::size_t>(m)];
            EXPECT_EQ(got, expected) << "month " << m << " reach " << r;
            sum += got;
        }
        EXPECT_NEAR(sum, net, 1e-5 * (1.0 + std::fabs(net))) << "month " << m;
    }
    // Printed: each value within half a tenth, so the reaches' printed
    // values are within three halves of a tenth of the printed net impact.
    const auto tables = t::reportTables(reaches.report);
    const auto &net = tables[tables.size() - 3];
    for (std::size_t y = 0; y < net.size(); ++y)
        for (std::size_t k = 0; k < 13; ++k)
            EXPECT_NEAR(tables[tables.size() - 2][y][k] + tables.back()[y][k], net[y][k], 0.15 + 1e-9);
    // The report kept in memory is the report written; so are the other
    // computations' and thread counts'.
    std::string written;
    writeReport(kept, [&](std::string_view s) { written += s; });
    EXPECT_EQ(written, reaches.report);
    EngineOptions reference;
    reference.reference = true;
    EXPECT_EQ(run("engine_reach_reference", deck(names, factors, std::string(kReaches) + kMethods), reference).report,
              reaches.report);
}

// By reach distance: a reach's part of a location is its fraction times the
// response with the reach's own factor, the location's method kept; the
// location's own tables do not change.
TEST(ReachRun, ByDistanceTakesEachReachsFactor) {
    const std::string section =
        "Stream reaches 1\nmap depletion=distance\nreach 1 name=\"Near\"\nreach 2 name=\"Far\"\n"
        "share 1 reach=1 fraction=0.5 distance=100 factor=25\n"
        "share 1 reach=2 fraction=0.5 distance=2000 factor=10000\n"
        "share 2 reach=2 fraction=1 distance=2000 factor=10000\n"
        "end\n";
    const Outcome byDistance = run("engine_reach_distance", deck({"W", "Pond"}, {"150", "900"}, section));
    const Outcome near = run("engine_reach_near", deck({"W", "Pond"}, {"25", "10000"}, ""));
    const Outcome far = run("engine_reach_far", deck({"W", "Pond"}, {"10000", "10000"}, ""));
    ASSERT_EQ(byDistance.status, kExitNormal) << byDistance.errors;
    const Outcome own = run("engine_reach_own", deck({"W", "Pond"}, {"150", "900"}, ""));
    const RunTables &k = byDistance.tables;
    for (int m = 1; m <= 60; ++m) {
        const auto i = static_cast<std::size_t>(m);
        EXPECT_EQ(k.reaches.reaches[0].effect[i], near.tables.locations[0].effect[i] * 0.5f) << m;
        EXPECT_EQ(k.reaches.reaches[1].effect[i],
                  far.tables.locations[0].effect[i] * 0.5f + far.tables.locations[1].effect[i])
            << m;
        EXPECT_EQ(k.locations[0].effect[i], own.tables.locations[0].effect[i]) << m;
    }
    EXPECT_NE(byDistance.report.find("COMPUTED WITH ITS OWN DISTANCE"), std::string::npos);
    EXPECT_NE(byDistance.report.find("     25.0"), std::string::npos); // the factor column
}

// A prepared model's runs give the reaches' sums of the engine bit for bit,
// apportioned or by reach distance, in either titled layout (the summaries'
// layout computes the locations a chunk at a time); a runner that recomputes
// only a changed location gives what a fresh run of the change gives.
TEST(ReachRun, PreparedRunsGiveTheEnginesReaches) {
    const std::string byDistance =
        "Stream reaches 1\nmap depletion=distance\nreach 1 name=\"Near\"\nreach 2 name=\"Far\"\n"
        "share 1 reach=1 fraction=0.5 distance=100 factor=25\n"
        "share 1 reach=2 fraction=0.5 distance=2000 factor=10000\n"
        "share 2 reach=2 fraction=1 distance=2000 factor=10000\n"
        "share 3 reach=1 fraction=1 distance=100 factor=40\nend\n";
    auto same = [](const ReachResults &a, const ReachResults &b) {
        if (a.reaches.size() != b.reaches.size() || a.shares.size() != b.shares.size()) return false;
        for (std::size_t r = 0; r < a.reaches.size(); ++r)
            if (a.reaches[r].effect != b.reaches[r].effect) return false;
        return true;
    };
    for (const std::string &section : {std::string(kReaches), byDistance}) {
        for (int format : {0, 1}) {
            const std::string text =
                deck({"North well", "Hunt well", "Recharge pond"}, {"150", "400", "900"}, section + kMethods, format);
            const Outcome engine = run("engine_reach_prepared", text);
            ASSERT_EQ(engine.status, kExitNormal) << engine.errors;
            PreparedModel model;
            std::ostringstream console, errors;
            ASSERT_EQ(prepareModel({"model.vek", text}, model, console, errors), kExitNormal) << errors.str();
            RunTables fresh, changed, runner;
            runPrepared(model, {}, fresh, {});
            EXPECT_TRUE(same(fresh.reaches, engine.tables.reaches)) << format << section;
            EXPECT_NE(fresh.reaches.reaches[0].effect[30], 0.0f);

            RunVariation v;
            v.pumping = {1.0f, 2.0f, 1.0f};
            runPrepared(model, v, changed, {});
            EXPECT_FALSE(same(changed.reaches, fresh.reaches));
            PreparedRunner r(model, {});
            r.run({}, runner);
            r.run(v, runner);
            EXPECT_EQ(r.recomputed(), 1u);
            EXPECT_TRUE(same(runner.reaches, changed.reaches)) << format << section;
        }
    }
}

// More locations than the engine adds at a time, on several threads: every
// reach's month is still the sum over the locations in file order (the
// fractions round, so another order gives other floats), whatever the thread
// count; by reach distance the engine and a prepared model's runs, each
// adding in batches of its own, agree bit for bit.
TEST(ReachRun, ManyLocationsAddUpInFileOrder) {
    const int n = 150;
    const char *fractions[4] = {"0.3", "0.15", "0.2", "0.35"};
    std::vector<std::string> names, factors;
    std::string apportioned = "Stream reaches 1\nmap depletion=apportioned\n";
    std::string distance = "Stream reaches 1\nmap depletion=distance\n";
    for (int r = 1; r <= 4; ++r) {
        const std::string reach = "reach " + std::to_string(r) + " name=\"R" + std::to_string(r) + "\"\n";
        apportioned += reach;
        distance += reach;
    }
    for (int i = 1; i <= n; ++i) {
        names.push_back("Well " + std::to_string(i));
        factors.push_back(std::to_string(50 + 37 * i));
        for (int r = 1; r <= 4; ++r) {
            const std::string share =
                "share " + std::to_string(i) + " reach=" + std::to_string(r) + " fraction=" + fractions[(i + r) % 4];
            apportioned += share + "\n";
            distance += share + " distance=100 factor=" + std::to_string(30 + 11 * i + 300 * r) + "\n";
        }
    }
    apportioned += "end\n";
    distance += "end\n";

    EngineOptions reference;
    reference.reference = true;
    std::vector<EngineOptions> options = {reference, {}, {}};
    options[1].threads = 1;
    options[2].threads = 3;
    std::string first;
    for (const EngineOptions &o : options) {
        const Outcome r = run("engine_reach_many", deck(names, factors, apportioned), o);
        ASSERT_EQ(r.status, kExitNormal) << r.errors;
        const RunTables &kept = r.tables;
        ASSERT_EQ(kept.locations.size(), static_cast<std::size_t>(n));
        for (std::size_t reach = 0; reach < 4; ++reach)
            for (std::size_t m = 1; m <= 60; ++m) {
                float expected = 0.0f;
                for (std::size_t l = 0; l < kept.locations.size(); ++l)
                    expected = expected + kept.locations[l].effect[m] *
                                              static_cast<float>(std::stod(fractions[(l + 1 + reach + 1) % 4]));
                ASSERT_EQ(kept.reaches.reaches[reach].effect[m], expected) << "reach " << reach << " month " << m;
            }
        if (first.empty()) first = r.report;
        EXPECT_TRUE(r.report == first) << "threads " << o.threads;
    }

    RunTables engine;
    for (const EngineOptions &o : options) {
        const Outcome r = run("engine_reach_many_distance", deck(names, factors, distance, 1), o);
        ASSERT_EQ(r.status, kExitNormal) << r.errors;
        if (engine.reaches.reaches.empty()) engine = r.tables;
        for (std::size_t reach = 0; reach < 4; ++reach)
            EXPECT_TRUE(r.tables.reaches.reaches[reach].effect == engine.reaches.reaches[reach].effect) << reach;
    }
    PreparedModel model;
    std::ostringstream console, errors;
    ASSERT_EQ(prepareModel({"model.vek", deck(names, factors, distance, 1)}, model, console, errors), kExitNormal);
    for (unsigned threads : {1u, 3u}) {
        RunTables prepared;
        EngineOptions o;
        o.threads = threads;
        runPrepared(model, {}, prepared, o);
        for (std::size_t reach = 0; reach < 4; ++reach)
            EXPECT_TRUE(prepared.reaches.reaches[reach].effect == engine.reaches.reaches[reach].effect) << reach;
    }
}

// Only titled reports carry the reach tables; a report of the summaries
// alone carries them too.
TEST(ReachRun, UntitledReportsLeaveThemOut) {
    const std::vector<std::string> names = {"North well", "Hunt well", "Recharge pond"};
    const std::vector<std::string> factors = {"150", "400", "900"};
    for (int format : {1, 2}) {
        const Outcome r = run("engine_reach_format", deck(names, factors, kReaches, format));
        ASSERT_EQ(r.status, kExitNormal) << r.errors;
        EXPECT_EQ(r.report.find("NET IMPACT UPON REACH") != std::string::npos, format == 1) << format;
        EXPECT_EQ(r.tables.reaches.reaches.size(), 2u);
    }
}

// A damaged or unusable section of reaches stops the run before any location
// with a run-time error naming its record (the section starts on record 27).
TEST(ReachRun, DamagedSectionsAreRefused) {
    const struct {
        const char *section;
        const char *message;
        int record;
        const char *part;
    } rows[] = {
        {"Stream reaches 1\nreach 1 name=\"A\"\n", "have no end line", 28, "stream reaches"},
        {"Stream reaches 2\nend\n", "layout 2", 27, "stream reaches"},
        {"Stream reaches 1\nreach 2 name=\"A\"\nend\n", "reach 2 where reach 1 comes next", 28, "stream reaches"},
        {"Stream reaches 1\nreach 1 name=\"A\"\nreach 2 name=\"A\"\nend\n", "reach \"A\" is given twice", 29,
         "stream reaches"},
        {"Stream reaches 1\nreach 1 name=\"A\"\nshare 1 reach=2 fraction=1\nend\n", "reach 2 does not exist", 29,
         "stream reaches"},
        {"Stream reaches 1\nreach 1 name=\"A\"\nshare 1 reach=1 fraction=1.5\nend\n", "fraction must be from 0 to 1",
         29, "stream reaches"},
        {"Stream reaches 1\nreach 1 name=\"A\"\nreach 2 name=\"B\"\nshare 1 reach=1 fraction=0.5\nshare 1 reach=2 "
         "fraction=0.4\nend\n",
         "location 1's shares add up to 0.9, not 1", 30, "stream reaches"},
        {"Stream reaches 1\nmap depletion=distance\nreach 1 name=\"A\"\nshare 1 reach=1 fraction=1\nend\n",
         "has no factor", 30, "stream reaches"},
        {"Stream reaches 1\nreach 1 name=\"A\"\nshare 9 reach=1 fraction=1\nend\n",
         "location 9 does not exist (the file has 3)", 29, "stream reaches"},
        {"Stream reaches 1\nreach 1 name=\"A\"\nline points=2\n0 0 1\nend\n", "\"end\" is not a number", 31,
         "stream reaches"},
        {"Stream reaches 1\napportion glacier\nend\n", "unknown apportionment \"glacier\"", 28, "stream reaches"},
        {"Stream reaches 1\nlocation 1 x=3\nend\n", "needs both x and y", 28, "stream reaches"},
        {"Stream reaches 1\nlocation 1 power=2\nend\n", "without apportion=", 28, "stream reaches"},
        {"Stream reaches 1\nend\nlocation 1 x=1 y=2\n", "text after the end line", 29, "stream reaches"},
        // After the response methods, which end the file, they are refused
        // by the response methods' own rule.
        {"Response methods 1\nend\nStream reaches 1\nend\n", "text after the end line", 29, "response methods"},
    };
    for (const auto &row : rows) {
        const Outcome r = run("engine_reach_damaged", deck({"A", "B", "C"}, {"150", "150", "150"}, row.section));
        EXPECT_EQ(r.status, kExitRuntimeError) << row.section;
        EXPECT_NE(r.errors.find(row.message), std::string::npos) << row.section << "\n" << r.errors;
        EXPECT_NE(r.errors.find("record " + std::to_string(row.record) + " (" + row.part + ")"), std::string::npos)
            << row.section << "\n"
            << r.errors;
        EXPECT_EQ(r.report.find("LOCATION:"), std::string::npos) << row.section;
    }
    // A used location without shares stops the run at that location.
    const Outcome missing = run("engine_reach_missing", deck({"A", "B", "C"}, {"150", "150", "150"},
                                                             "Stream reaches 1\nreach 1 name=\"A\"\nshare 1 reach=1 "
                                                             "fraction=1\nend\n"));
    EXPECT_EQ(missing.status, kExitRuntimeError);
    EXPECT_NE(missing.errors.find("location 2 has no share of the stream reaches"), std::string::npos)
        << missing.errors;
}

// A location named like the section's first line is a name, also in a model
// with reaches: a number follows it.
TEST(ReachRun, NameLikeTheSectionStartIsAName) {
    const std::string named = deck({"Stream reaches 1", "B", "C"}, {"150", "150", "150"}, "");
    const ModelSections s = findModelSections(named);
    EXPECT_FALSE(s.reaches.present);
    const Outcome r = run("engine_reach_named", named);
    EXPECT_EQ(r.status, kExitNormal) << r.errors;
}

} // namespace
