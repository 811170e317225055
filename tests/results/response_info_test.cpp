// How each location's numbers were made, as the results carry it: the
// report's list of response methods read back, paired with the location
// blocks, and the same from a run held in memory.
#include "engine/engine_run.h"
#include "results/output_results.h"
#include "results/response_info.h"
#include "results/run_results.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <sstream>

using vek::ResponseInfo;
namespace t = vek::test;

namespace {

using M = ResponseInfo::Method;

struct DescriptionCase {
    const char *text;
    M method;
    std::optional<double> sdf, aOverW, lambda;
    const char *table, *after;
    std::optional<double> heldAt;
};

// A model whose locations respond by every method, one of them named like
// the reader's keywords and one named like another.
std::string methodsDeck(const std::vector<std::string> &names, const std::string &methods) {
    std::string d = "Version 1.12\n2000 2001 0 2000 2002 " + std::to_string(names.size()) + " 0 4 0 0 1 1 0\n";
    for (const auto &n : names)
        d += "300 -1 1\n" + n + "\n0 0 0 0 0 50 100 150 170 130 60 0\n0 0 0 0 0 40 90 120 140 100 40 0\n";
    return d + methods;
}

const char *const kMethods = "Response methods 1\n"
                             "table name=\"Agency \\\"run\\\" LOCATION: 2019\" months=3 after=hold\n0.5 0.25 0.1\n"
                             "table name=\"t\" months=2 after=one\n0.5 0.25\n"
                             "location 1 alluvial a/W=0.6\n"
                             "location 2 hunt lambda=1.5\n"
                             "location 3 table name=\"Agency \\\"run\\\" LOCATION: 2019\"\n"
                             "location 5 table name=\"t\"\n"
                             "end\n";

// The report the engine writes for a deck, read back, and the results of
// the same run held in memory.
std::pair<vek::OutputResults, vek::OutputResults> bothWays(const std::string &deck) {
    // A directory of each test's own: ctest runs the tests of this file as
    // processes side by side.
    const std::string dir = t::freshDir(std::string("results_response_info_") +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    t::writeFile(dir + "/model.vek", deck);
    std::ostringstream console, errors;
    EXPECT_EQ(vek::engine::runEngine(dir + "/model.vek", dir + "/model.out", {}, console, errors), 0) << errors.str();
    std::pair<vek::OutputResults, vek::OutputResults> out;
    t::ScriptedPrompter p;
    EXPECT_TRUE(out.first.Load(dir + "/model.out", p));
    vek::engine::RunTables tables;
    EXPECT_EQ(vek::engine::runEngine({dir + "/model.vek", std::nullopt}, tables, {}, console, errors), 0);
    vek::fillRunResults(out.second, tables);
    return out;
}

void expectSameResponse(const ResponseInfo &a, const ResponseInfo &b, const std::string &where) {
    EXPECT_EQ(a.method, b.method) << where;
    EXPECT_EQ(a.sdf, b.sdf) << where;
    EXPECT_EQ(a.aOverW, b.aOverW) << where;
    EXPECT_EQ(a.lambda, b.lambda) << where;
    EXPECT_EQ(a.table, b.table) << where;
    EXPECT_EQ(a.tableMonths, b.tableMonths) << where;
    EXPECT_EQ(a.after, b.after) << where;
    EXPECT_EQ(a.heldAt, b.heldAt) << where;
    EXPECT_EQ(a.description, b.description) << where;
}

} // namespace

TEST(ResponseInfo, DescriptionsOfTheList) {
    const DescriptionCase cases[] = {
        {"ALLUVIAL AQUIFER (GLOVER), SDF 2500 DAYS, A/W 0.6", M::Alluvial, 2500, 0.6, {}, "", "", {}},
        {"STREAMBED RESISTANCE (HUNT 1999), SDF 800.5 DAYS, LAMBDA' 0.5", M::Hunt, 800.5, {}, 0.5, "", "", {}},
        {"INFINITE AQUIFER, SDF 30 DAYS", M::Infinite, 30, {}, {}, "", "", {}},
        {"UNIT RESPONSE TABLE \"Agency \\\"run\\\" 2019\", 14 MONTHS, THEN HELD AT 0.9",
         M::Table,
         {},
         {},
         {},
         "Agency \"run\" 2019",
         "hold",
         0.9},
        {"UNIT RESPONSE TABLE \"t LOCATION : x\", 2 MONTHS, THEN 1", M::Table, {}, {}, {}, "t LOCATION: x", "one", {}},
        // Forms this program does not know, or damaged ones, are never
        // passed off as a method.
        {"UNIT RESPONSE TABLE \"t\", 2 MONTHS, THEN 2", M::Unknown, {}, {}, {}, "", "", {}},
        {"ALLUVIAL AQUIFER (GLOVER), SDF 2500 DAYS", M::Unknown, {}, {}, {}, "", "", {}},
        {"ALLUVIAL AQUIFER (GLOVER), SDF 2500 DAYS, A/W 0.6 AND MORE", M::Unknown, {}, {}, {}, "", "", {}},
        {"ELECTRIC ANALOG MODEL", M::Unknown, {}, {}, {}, "", "", {}},
    };
    for (const DescriptionCase &c : cases) {
        const ResponseInfo r = vek::parseResponseDescription(c.text);
        EXPECT_EQ(r.method, c.method) << c.text;
        EXPECT_EQ(r.sdf, c.sdf) << c.text;
        EXPECT_EQ(r.aOverW, c.aOverW) << c.text;
        EXPECT_EQ(r.lambda, c.lambda) << c.text;
        EXPECT_EQ(r.table, c.table) << c.text;
        EXPECT_EQ(r.after, c.after) << c.text;
        EXPECT_EQ(r.heldAt, c.heldAt) << c.text;
        EXPECT_FALSE(r.description.empty()) << c.text;
    }
}

// The list read from a report says of every location what the engine held
// for it, in every form of name the list prints (cut at 60 bytes, with the
// reader's keywords spaced out); a location it leaves out is the infinite
// aquifer with its own factor.
TEST(ResponseInfo, ReportAndRunInMemoryAgree) {
    const std::vector<std::string> names = {
        "Alluvial well", "LOCATION: SUMMARY OF ALL LOCATIONS well",
        "A table-driven recharge pond whose name runs well past the sixty bytes of the field", "Plain well",
        "Pond \xC3\xA9"};
    const auto [read, run] = bothWays(methodsDeck(names, kMethods));
    ASSERT_EQ(read.locations.size(), 8u);
    ASSERT_EQ(run.locations.size(), 8u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(read.locations[i].name, run.locations[i].name);
        expectSameResponse(read.locations[i].response, run.locations[i].response, read.locations[i].name);
    }
    const M want[] = {M::Alluvial, M::Hunt, M::Table, M::Infinite, M::Table};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(read.locations[i].response.method, want[i]) << i;
    EXPECT_EQ(read.locations[0].response.aOverW, 0.6);
    EXPECT_EQ(read.locations[0].response.sdf, 300.0);
    EXPECT_EQ(read.locations[2].response.table, "Agency \"run\" LOCATION: 2019");
    EXPECT_EQ(read.locations[2].response.heldAt, 0.85);
    EXPECT_EQ(read.locations[3].response.sdf, 300.0);
    EXPECT_TRUE(read.locations[3].response.description.empty());
    EXPECT_EQ(read.locations[4].response.after, "one");
    ASSERT_EQ(read.reportedMethods.size(), 4u);
    ASSERT_EQ(run.reportedMethods.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(read.reportedMethods[i].number, run.reportedMethods[i].number);
        EXPECT_EQ(read.reportedMethods[i].name, run.reportedMethods[i].name);
        expectSameResponse(read.reportedMethods[i].response, run.reportedMethods[i].response, "list");
    }
    EXPECT_EQ(read.reportedMethods[3].number, 5);
}

// The list numbers locations by their place in the model file, which the
// blocks do not print: two locations of one name are paired in order when
// the list names both, and are unknown when it names only one of them.
TEST(ResponseInfo, LocationsOfOneName) {
    const std::string two = "Response methods 1\nlocation 1 alluvial a/W=0.5\nlocation 2 hunt lambda=2\nend\n";
    const std::string one = "Response methods 1\nlocation 2 hunt lambda=2\nend\n";
    {
        const auto [read, run] = bothWays(methodsDeck({"Well", "Well"}, two));
        EXPECT_EQ(read.locations[0].response.method, M::Alluvial);
        EXPECT_EQ(read.locations[1].response.method, M::Hunt);
    }
    const auto [read, run] = bothWays(methodsDeck({"Well", "Well", "Other"}, one));
    EXPECT_EQ(read.locations[0].response.method, M::Unknown);
    EXPECT_EQ(read.locations[1].response.method, M::Unknown);
    EXPECT_NE(read.locations[1].response.description.find("names 1 of the 2 locations called Well"), std::string::npos);
    EXPECT_EQ(read.locations[2].response.method, M::Infinite);
    // The run itself knows.
    EXPECT_EQ(run.locations[0].response.method, M::Infinite);
    EXPECT_EQ(run.locations[1].response.method, M::Hunt);
}
