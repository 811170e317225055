// vektool and the response methods: the response command's curves against
// the double-precision methods and the engine's single-precision tables,
// convert's method options, check's refusals, and the example model with one
// location per method through run, report --csv and --graph-data.
#include "engine/response_methods.h"
#include "engine/response_table.h"
#include "model/depletion_factor.h"
#include "support/run_program.h"
#include "support/test_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace t = vek::test;
using vek::engine::StepResponse;

namespace {

t::ProgramRun vektool(const std::string &dir, const std::vector<std::string> &args) {
    return t::runProgram(dir, t::programPath("vektool"), args);
}

// The days,fraction lines of the response command's output.
std::vector<std::pair<double, double>> curve(const std::string &csv) {
    std::vector<std::pair<double, double>> out;
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "days,fraction");
    while (std::getline(in, line)) {
        const auto comma = line.find(',');
        double d = 0.0, f = 0.0;
        std::from_chars(line.data(), line.data() + comma, d);
        const auto r = std::from_chars(line.data() + comma + 1, line.data() + line.size(), f);
        EXPECT_EQ(r.ptr, line.data() + line.size()) << line;
        // At least 9 significant digits.
        std::size_t digits = 0;
        for (std::size_t i = comma + 1; i < line.size() && line[i] != 'e'; ++i)
            digits += line[i] >= '0' && line[i] <= '9';
        EXPECT_GE(digits, 9u) << line;
        out.emplace_back(d, f);
    }
    return out;
}

std::string dayList(const std::vector<int> &days) {
    std::string s;
    for (int d : days)
        s += (s.empty() ? "" : ",") + std::to_string(d);
    return s;
}

// Each method's curve is its double-precision step response to the printed
// digits, and the engine's single-precision table (the rational
// approximation for the infinite aquifer, floats of the double values for
// the others) agrees with it within 1e-6 at every day the engine uses.
TEST(VektoolResponse, CurvesOfEachMethod) {
    const std::string dir = t::freshDir("vektool_response_curves");
    t::writeFile(dir + "/urf.csv", "month,A\n1,0.1\n2,0.3\n3,0.2\n");
    std::vector<int> days;
    for (int d = 13; d <= 146100; d += 97)
        days.push_back(d);
    const struct {
        std::vector<std::string> args;
        StepResponse reference;
    } cases[] = {
        {{"--method", "infinite", "--sdf", "2314.8"}, StepResponse::infiniteAquifer(2314.8)},
        {{"--method", "alluvial", "--sdf", "900", "--a-over-w", "0.45"}, StepResponse::alluvialAquifer(900, 0.45)},
        {{"--method", "hunt", "--sdf", "15000", "--lambda", "0.7"}, StepResponse::streambedResistance(15000, 0.7)},
        {{"--method", "table", "--table", "urf.csv", "--after", "one"},
         StepResponse::responseTable({0.1f, 0.3f, 0.2f}, true)},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args{"response"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"--days", dayList(days)});
        const t::ProgramRun r = vektool(dir, args);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto points = curve(r.out);
        ASSERT_EQ(points.size(), days.size());
        vek::engine::ResponseTable engine;
        if (c.args[1] == "infinite")
            engine.build(2314.8f, 146100);
        else
            engine.build(c.reference, 146100);
        double worst = 0.0;
        for (std::size_t i = 0; i < days.size(); ++i) {
            EXPECT_EQ(points[i].first, days[i]);
            EXPECT_NEAR(points[i].second, c.reference(days[i]), 1e-11) << c.args[1] << " day " << days[i];
            worst = std::max(worst, std::abs(points[i].second - double(engine[days[i]])));
        }
        EXPECT_LE(worst, 1e-6) << c.args[1];
    }
    // Days before the step and fractions of a day.
    const t::ProgramRun r = vektool(dir, {"response", "--method", "infinite", "--sdf", "0", "--days", "-5,0,0.5"});
    EXPECT_EQ(r.out, "days,fraction\n-5,0.00000000000\n0,0.00000000000\n0.5,1.00000000000\n");
}

TEST(VektoolResponse, RefusesWhatItCannotCompute) {
    const std::string dir = t::freshDir("vektool_response_refusals");
    t::writeFile(dir + "/two.csv", "A,B\n0.1,0.2\n");
    t::writeFile(dir + "/over.csv", "0.7\n0.6\n");
    const struct {
        std::vector<std::string> args;
        int status;
        const char *message;
    } rows[] = {
        {{"--sdf", "10", "--days", "1"}, 2, "--method is missing"},
        {{"--method", "glacier", "--sdf", "10", "--days", "1"}, 2, "--method takes infinite, alluvial, hunt or table"},
        {{"--method", "infinite", "--days", "1"}, 2, "--method infinite needs --sdf"},
        {{"--method", "infinite", "--sdf", "10"}, 2, "--days is missing"},
        {{"--method", "infinite", "--sdf", "-1", "--days", "1"}, 2, "--sdf must be 0 or more"},
        {{"--method", "alluvial", "--sdf", "10", "--days", "1"}, 2, "needs --a-over-w"},
        {{"--method", "alluvial", "--sdf", "10", "--a-over-w", "1", "--days", "1"}, 2, "--a-over-w: a/W is 1"},
        {{"--method", "hunt", "--sdf", "10", "--lambda", "0", "--days", "1"}, 2, "--lambda: lambda' is 0"},
        {{"--method", "hunt", "--sdf", "10", "--lambda", "1", "--a-over-w", "0.5", "--days", "1"},
         2,
         "--a-over-w does not apply to --method hunt"},
        {{"--method", "infinite", "--sdf", "10", "--days", "1,x"}, 2, "--days takes numbers"},
        {{"--method", "infinite", "--sdf", "ten", "--days", "1"}, 2, "--sdf takes a number, not 'ten'"},
        {{"--method", "table", "--table", "two.csv", "--days", "1"}, 1, "holds the tables \"A\", \"B\""},
        {{"--method", "table", "--table", "over.csv", "--days", "1"}, 1, "add up to 1.3"},
        {{"--method", "table", "--table", "none.csv", "--days", "1"}, 1, "cannot read none.csv"},
    };
    for (const auto &row : rows) {
        std::vector<std::string> args{"response"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const t::ProgramRun r = vektool(dir, args);
        EXPECT_EQ(r.status, row.status) << row.message;
        EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    const t::ProgramRun chosen =
        vektool(dir, {"response", "--method", "table", "--table", "two.csv", "--table-name", "B", "--days", "15"});
    EXPECT_EQ(chosen.out, "days,fraction\n15,0.200000002980\n");
    const t::ProgramRun tiny =
        vektool(dir, {"response", "--method", "infinite", "--sdf", "1000", "--days", "10,250"}); // erfc(5), erfc(1)
    EXPECT_EQ(tiny.out, "days,fraction\n10,1.53745979443e-12\n250,0.157299207050\n");
}

// convert sets methods from their parameters or from the aquifer, imports
// tables, and writes nothing when a location or parameter is unusable.
TEST(VektoolConvert, ResponseMethodOptions) {
    const std::string dir = t::freshDir("vektool_convert_methods");
    t::writeFile(dir + "/in.vek", t::readFile(t::dataDir() + "/../../examples/river_valley.vek"));
    t::writeFile(dir + "/urf.csv", "month,Agency run\n1,0.2\n2,0.3\n");
    const t::ProgramRun ok =
        vektool(dir, {"convert", "in.vek", "out.vek", "--response-table", "urf.csv", "--table-after", "Agency run=one",
                      "--method", "1:alluvial,a=1000,W=2500,S=0.2,T=20000", "--method",
                      "2-3:hunt,bed=2,a=300,S=0.1,T=1500,unit=m", "--method", "4:table,name=Agency run"});
    ASSERT_EQ(ok.status, 0) << ok.err;
    const std::string out = t::readFile(dir + "/out.vek");
    // 1000^2 * 0.2 / 20000 = 10 days, a/W = 0.4; 300^2 * 0.1 / 1500 = 6 days, lambda' = 2 * 300 / 1500.
    EXPECT_NE(out.find("\n10 -1 1 # VEK LocationType UseInOutput\n"), std::string::npos);
    EXPECT_NE(out.find("\n6 -1 1 # VEK LocationType UseInOutput\n"), std::string::npos);
    EXPECT_NE(out.find("\nResponse methods 1\ntable name=\"Agency run\" months=2 after=one\n0.2 0.3\n"
                       "location 1 alluvial a/W=0.4\nlocation 2 hunt lambda=0.4\nlocation 3 hunt lambda=0.4\n"
                       "location 4 table name=\"Agency run\"\nend\n"),
              std::string::npos)
        << out.substr(out.find("Response"));
    EXPECT_EQ(vektool(dir, {"check", "out.vek"}).status, 0);
    // Back to the infinite aquifer everywhere: only the table stays.
    const t::ProgramRun back = vektool(dir, {"convert", "out.vek", "back.vek", "--method", "all:infinite"});
    ASSERT_EQ(back.status, 0) << back.err;
    const std::string backText = t::readFile(dir + "/back.vek");
    EXPECT_EQ(backText.substr(backText.find("Response methods")),
              "Response methods 1\ntable name=\"Agency run\" months=2 after=one\n0.2 0.3\nend\n");

    const struct {
        std::vector<std::string> args;
        int status;
        const char *message;
    } rows[] = {
        {{"--method", "9:hunt,lambda=1"}, 1, "location 9 does not exist (the model has 4)"},
        {{"--method", "2:alluvial,a/W=1.2"}, 1, "location 2 (Mesa well field): a/W is 1.2"},
        {{"--method", "2:alluvial,a=10,W=5,S=0.2,T=100"}, 1, "it must be greater than the distance to the stream"},
        {{"--method", "2:alluvial,a=10,W=50,S=0,T=100"}, 1, "the storage coefficient S is 0"},
        {{"--method", "2:hunt,bed=1,a=10,S=0.2,T=-5"}, 1, "the transmissivity T is -5"},
        {{"--method", "2:table,name=none"}, 1, "there is no table \"none\""},
        {{"--method", "2:river"}, 1, "unknown method 'river'"},
        {{"--method", "2:hunt,lambda=1,a/W=0.2"}, 1, "'a/W' does not apply to hunt"},
        {{"--method", "2"}, 2, "--method takes LOCATIONS:METHOD"},
        {{"--table-after", "x=never"}, 2, "--table-after takes NAME=hold|one"},
        {{"--response-table", "missing.csv"}, 1, "missing.csv: cannot read"},
    };
    for (const auto &row : rows) {
        std::filesystem::remove(dir + "/refused.vek");
        std::vector<std::string> args{"convert", "in.vek", "refused.vek"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const t::ProgramRun r = vektool(dir, args);
        EXPECT_EQ(r.status, row.status) << row.message << "\n" << r.err;
        EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir + "/refused.vek")) << row.message;
    }
}

// check reads the methods and refuses what the engine would refuse.
TEST(VektoolCheck, ResponseMethodProblems) {
    const std::string dir = t::freshDir("vektool_check_methods");
    std::string text = t::readFile(t::dataDir() + "/../../examples/aquifer_methods.vek");
    t::writeFile(dir + "/good.vek", text);
    const t::ProgramRun good = vektool(dir, {"check", "good.vek"});
    EXPECT_EQ(good.status, 0) << good.err;
    text.replace(text.find("a/W=0.6"), 7, "a/W=1.6");
    text.replace(text.find("lambda=2"), 8, "lambda=0");
    t::writeFile(dir + "/bad.vek", text);
    const t::ProgramRun bad = vektool(dir, {"check", "bad.vek"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("bad.vek: location 2 (Mesa well field): a/W is 1.6"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("bad.vek: location 3 (Upland irrigation well): lambda' is 0"), std::string::npos) << bad.err;
    EXPECT_NE(bad.out.find("failed"), std::string::npos);
}

// The example with one location per method runs, and its report, CSV and
// graph data show all four with the three summaries.
TEST(VektoolExample, FourMethodsRunAndShow) {
    const std::string dir = t::freshDir("vektool_example_methods");
    t::writeFile(dir + "/aquifer_methods.vek", t::readFile(t::dataDir() + "/../../examples/aquifer_methods.vek"));
    const t::ProgramRun run = vektool(dir, {"run", "aquifer_methods.vek"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string report = t::readFile(dir + "/aquifer_methods.out");
    EXPECT_NE(report.find("    2  Mesa well field"), std::string::npos);
    EXPECT_NE(report.find("    3  Upland irrigation well"), std::string::npos);
    EXPECT_NE(report.find("    4  Cottonwood recharge pond"), std::string::npos);
    const std::vector<std::string> names = {"North ditch well 1 (near river)", "Mesa well field",
                                            "Upland irrigation well", "Cottonwood recharge pond"};

    const t::ProgramRun csv = vektool(dir, {"report", "aquifer_methods.out", "--csv", "-"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string who = std::to_string(i) + ",location," + names[i] + ",";
        EXPECT_NE(csv.out.find(who), std::string::npos) << names[i];
        const std::size_t at = csv.out.find(who);
        EXPECT_NE(csv.out.find(",diversion,1980,", at), std::string::npos) << names[i];
        EXPECT_NE(csv.out.find(",stream,2024,", at), std::string::npos) << names[i];
    }
    EXPECT_NE(csv.out.find("6,summary,Net Impact on Stream,,,stream,0,"), std::string::npos);

    const t::ProgramRun graphs = vektool(dir, {"report", "aquifer_methods.out", "--graph-data"});
    ASSERT_EQ(graphs.status, 0) << graphs.err;
    const auto json = nlohmann::json::parse(graphs.out);
    const auto &stream = json.at("stream").at("series");
    ASSERT_EQ(stream.size(), 7u);
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(stream[i].at("legend").get<std::string>().rfind(names[i], 0), 0u) << stream[i].at("legend");
    // The curves differ: each method shapes the same kind of pumping its own way.
    EXPECT_NE(stream[1].at("values"), stream[0].at("values"));
}

} // namespace
