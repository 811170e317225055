// vektool uncertainty: the bands and the tornado of a model's ranges, the
// same bytes for any thread count, fixed ranges giving the run without
// ranges, and the refusals.
#include "support/run_program.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace t = vek::test;

namespace {

t::ProgramRun vektool(const std::string &dir, const std::vector<std::string> &args) {
    return t::runProgram(dir, t::programPath("vektool"), args);
}

// Three wells over six years with `ranges` (the section's statements).
std::string model(const std::string &ranges) {
    std::string text = "Version 1.12\n2000 2005 0 2000 2005 3 0 4 0 0 1 1 0 # parameters\n";
    for (int w = 1; w <= 3; ++w) {
        text += std::to_string(400 * w) + " -1 1 # VEK LocationType UseInOutput\nWell " + std::to_string(w) + "\n";
        for (int y = 0; y < 6; ++y)
            text += "10 20 30 40 50 60 70 80 90 100 110 " + std::to_string(120 + y) + "\n";
    }
    for (int w = 1; w <= 3; ++w) {
        text += "Well " + std::to_string(w) + "\n0 1 # UsePumpingRecord Units\n1 1 1 1 1 1 1 1 1 1 1 1\n";
        for (int y = 0; y < 6; ++y)
            text += "0 0 0 0 0 0 0 0 0 0 0 0\n";
    }
    return ranges.empty() ? text : text + "Uncertainty ranges 1\n" + ranges + "end\n";
}

std::vector<std::vector<std::string>> rows(const std::string &csv) {
    std::vector<std::vector<std::string>> out;
    std::istringstream in(csv);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> cells;
        std::istringstream l(line);
        std::string cell;
        while (std::getline(l, cell, ','))
            cells.push_back(cell);
        out.push_back(cells);
    }
    return out;
}

TEST(UncertaintyCli, BandsAreTheSameBytesOnAnyThreadCount) {
    const std::string dir = t::freshDir("vektool_uncertainty_threads");
    t::writeFile(dir + "/m.vek", model("range factor all lognormal median=800 sd=0.6 low=50 high=8000\n"
                                       "range pumping 2 uniform low=0.5 high=1.5 shared\n"));
    std::vector<std::string> csv;
    for (const char *threads : {"1", "2"}) {
        const std::string out = std::string("b") + threads + ".csv";
        const t::ProgramRun r = vektool(dir, {"uncertainty", "m.vek", "--samples", "40", "--seed", "77", "--design",
                                              "lhs", "--threads", threads, "--csv", out, "--quantiles", "10,50,90"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "") << "no progress bar off a terminal";
        EXPECT_NE(r.out.find("result,deterministic,P10,P50,P90\n"), std::string::npos) << r.out;
        csv.push_back(t::readFile(dir + "/" + out));
    }
    EXPECT_EQ(csv[0], csv[1]);
    // The bands as this run gave them once: the same bytes on every machine
    // and system (the Windows build's tests compare with the same file).
    EXPECT_EQ(csv[0], t::readFile(t::dataPath("vektool/bands_lhs_seed77.csv")));
    const auto table = rows(csv[0]);
    ASSERT_EQ(table[0], (std::vector<std::string>{"result", "location", "period", "year", "month", "deterministic",
                                                  "P10", "P50", "P90"}));
    // 6 series (3 wells, 3 summaries) of 72 months, 6 years, 13 averages.
    ASSERT_EQ(table.size(), 1u + 6 * (72 + 6 + 13));
    EXPECT_EQ(table[1][0] + table[1][2] + table[1][3] + table[1][4], "Well 1month2000NOV");
    int wide = 0;
    for (std::size_t i = 1; i < table.size(); ++i)
        wide += std::stod(table[i][6]) < std::stod(table[i][8]);
    EXPECT_GT(wide, 300);
}

TEST(UncertaintyCli, FixedRangesGiveTheRunWithoutRangesAndATornadoOfTheOthers) {
    const std::string dir = t::freshDir("vektool_uncertainty_fixed");
    t::writeFile(dir + "/m.vek", model("range factor 1 fixed value=400\nrange pumping 3 uniform low=0.9 high=1.1\n"));
    const t::ProgramRun r = vektool(
        dir, {"uncertainty", "m.vek", "--samples", "10", "--csv", "b.csv", "--tornado", "t.csv", "--result", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const auto &row : rows(t::readFile(dir + "/b.csv"))) {
        if (row[0] == "Well 3" || row[0] == "result" || row[0] == "WELLS" || row[0] == "ALL LOCATIONS") continue;
        for (std::size_t c = 6; c < row.size(); ++c)
            ASSERT_EQ(row[c], row[5]) << row[0];
    }
    const auto tornado = rows(t::readFile(dir + "/t.csv"));
    ASSERT_EQ(tornado.size(), 2u);
    EXPECT_EQ(tornado[0].back(), "first_order");
    EXPECT_EQ(tornado[1][0] + "," + tornado[1][1] + "," + tornado[1][2] + "," + tornado[1][3] + "," + tornado[1][4],
              "Well 3,pumping,3,0.91,1.09");
}

TEST(UncertaintyCli, Refusals) {
    const std::string dir = t::freshDir("vektool_uncertainty_refusals");
    t::writeFile(dir + "/plain.vek", model(""));
    t::writeFile(dir + "/m.vek", model("range factor 4 uniform low=1 high=2\n"));
    t::writeFile(dir + "/ok.vek", model("range factor all uniform low=1 high=2\n"));
    const struct {
        std::vector<std::string> args;
        int status;
        const char *message;
    } cases[] = {
        {{"plain.vek", "--samples", "5"}, 1, "the model has no uncertainty ranges"},
        {{"m.vek", "--samples", "5"}, 1, "location 4 does not exist"},
        {{"ok.vek", "--samples", "0"}, 2, "--samples takes a whole number, 1 or more"},
        {{"ok.vek"}, 2, "--samples is needed"},
        {{"ok.vek", "--samples", "5", "--design", "sobol"}, 2, "--design takes mc or lhs"},
        {{"ok.vek", "--samples", "5", "--quantiles", "5,101"}, 2, "--quantiles takes percents"},
        {{"ok.vek", "--samples", "5", "--seed", "-1"}, 2, "--seed takes a whole number"},
        {{"ok.vek", "--samples", "5", "--tornado", "t.csv", "--result", "7"}, 1, "--result 7 names no location"},
        {{"ok.vek", "--samples", "5", "--result", "reach1"}, 1, "--result reach1 names no location"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args{"uncertainty"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const t::ProgramRun r = vektool(dir, args);
        EXPECT_EQ(r.status, c.status) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

} // namespace
