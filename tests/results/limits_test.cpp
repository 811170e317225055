// Big and damaged inputs end to end: a run of one hundred thousand locations
// computed and read back, a report of a million lines, a one-megabyte name,
// and numbers no float holds. Each gives the right result or a clear message,
// and memory does not grow with the size of the input.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>

#include "engine/engine_run.h"
#include "results/output_results.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

namespace {

namespace t = vek::test;
using vek::OutputResults;
using vek::test::ScriptedPrompter;

// Peak resident size of this process so far, in megabytes.
long peakMegabytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

struct RunResult {
    int status = 0;
    std::string console, errors;
};

RunResult runEngine(const std::string &dir) {
    vek::engine::EngineOptions options;
    options.threads = 2;
    std::ostringstream console, errors;
    RunResult r;
    r.status = vek::engine::runEngine(dir + "/model.vek", dir + "/model.out", options, console, errors);
    r.console = console.str();
    r.errors = errors.str();
    return r;
}

// Model file of `wells` wells over 1990-1991, every month 1 acre-foot
// (monthly units, 30.417 days a month), each location named `name`.
void writeDeck(const std::string &path, long wells, int outputFormat, const std::string &name = "Well") {
    std::ofstream out(path, std::ios::binary);
    out << "Version 1.12\n1990 1991 0 1990 1991 " << wells << ' ' << outputFormat << " 4 0 0 1 1 1\n";
    for (long w = 0; w < wells; ++w) {
        out << "120 -1 1\n" << name << '\n';
        out << "1 1 1 1 1 1 1 1 1 1 1 1\n1 1 1 1 1 1 1 1 1 1 1 1\n";
    }
}

// Every location is read, computed, added and written before the next: the
// engine's memory does not grow with their number, and the summaries add up.
TEST(Limits, HundredThousandLocationsInBoundedMemory) {
    const std::string dir = t::freshDir("limits_many_locations");
    writeDeck(dir + "/model.vek", 100000, 1);
    const long before = peakMegabytes();
    RunResult r = runEngine(dir);
    const long grown = peakMegabytes() - before;
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.console, " Stop - Program terminated.\n");
    // Holding the locations would take gigabytes (5000-month tables each).
    EXPECT_LT(grown, 64) << "megabytes";

    ScriptedPrompter p;
    OutputResults res;
    ASSERT_TRUE(res.Load(dir + "/model.out", p)) << (p.messages.empty() ? "" : p.messages[0]);
    ASSERT_EQ(res.locations.size(), 3u);
    const vek::LocationResult &wells = res.locations[1];
    EXPECT_EQ(wells.name, "CU of Ground Water Summary");
    // 100000 wells of 1 acre-foot each month, wells counted negative.
    EXPECT_NEAR(wells.rows[0].diversion[0], -100000.0f, 1.0f);
    EXPECT_NEAR(wells.rows[1].diversion[11], -100000.0f, 1.0f);
}

// A report of a million lines is read in bounded memory, and right: lines of
// no interest between the blocks are passed over.
TEST(Limits, MillionLineReport) {
    const std::string dir = t::freshDir("limits_million_lines");
    writeDeck(dir + "/model.vek", 2, 0);
    ASSERT_EQ(runEngine(dir).status, 0);
    const std::string report = t::readFile(dir + "/model.out");
    const std::size_t summary = report.find("SUMMARY OF ALL LOCATIONS");
    ASSERT_NE(summary, std::string::npos);
    const std::size_t cut = report.rfind('\n', summary) + 1;
    {
        std::ofstream out(dir + "/big.out", std::ios::binary);
        out << report.substr(0, cut);
        const std::string filler = "   remark line of no interest to the reader\n";
        for (int i = 0; i < 1000000; ++i)
            out << filler;
        out << report.substr(cut);
    }
    ScriptedPrompter p;
    OutputResults small, big;
    ASSERT_TRUE(small.Load(dir + "/model.out", p));
    const long before = peakMegabytes();
    ASSERT_TRUE(big.Load(dir + "/big.out", p));
    EXPECT_LT(peakMegabytes() - before, 24) << "megabytes for a 44-megabyte file";
    ASSERT_EQ(big.locations.size(), small.locations.size());
    for (std::size_t i = 0; i < big.locations.size(); ++i)
        EXPECT_EQ(big.locations[i].rows.back().streamTotal, small.locations[i].rows.back().streamTotal);
    EXPECT_TRUE(p.messages.empty());
}

// A one-megabyte name: the engine keeps its first characters in the report's
// name field, and the report reads back with that name.
TEST(Limits, MegabyteName) {
    const std::string dir = t::freshDir("limits_long_name");
    writeDeck(dir + "/model.vek", 2, 0, std::string(1 << 20, 'N'));
    RunResult r = runEngine(dir);
    ASSERT_EQ(r.status, 0) << r.errors;
    ScriptedPrompter p;
    OutputResults res;
    ASSERT_TRUE(res.Load(dir + "/model.out", p));
    ASSERT_EQ(res.locations.size(), 5u);
    EXPECT_EQ(res.locations[0].name, std::string(60, 'N'));

    // A report line of half a megabyte is read in pieces: the reader says
    // what it found instead of a name (its first 80 characters), and stops.
    const std::string report = t::readFile(dir + "/model.out");
    const std::size_t at = report.find("LOCATION:");
    std::string damaged = report.substr(0, at) + "LOCATION: " + std::string(1 << 19, 'M') + "\n" + report.substr(at);
    t::writeFile(dir + "/damaged.out", damaged);
    OutputResults bad;
    EXPECT_FALSE(bad.Load(dir + "/damaged.out", p));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], "Error looking for VEK (line is " + std::string(80, 'M') + "...)");
}

// A line longer than 1 MiB stops the reader with a message naming it: a
// report without line ends (/dev/zero) is not read for ever in pieces. One
// of exactly 1 MiB (its line end apart) is read.
TEST(Limits, LinesLongerThanAMebibyte) {
    const std::string dir = t::freshDir("limits_line_cap");
    writeDeck(dir + "/model.vek", 2, 0, "Well");
    ASSERT_EQ(runEngine(dir).status, 0);
    const std::string report = t::readFile(dir + "/model.out");
    const std::size_t at = report.find("LOCATION:");
    for (const std::size_t length : {std::size_t{1} << 20, (std::size_t{1} << 20) + 1}) {
        t::writeFile(dir + "/blank.out", report.substr(0, at) + std::string(length, ' ') + "\r\n" + report.substr(at));
        ScriptedPrompter p;
        OutputResults res;
        EXPECT_EQ(res.Load(dir + "/blank.out", p), length == (std::size_t{1} << 20)) << length;
        if (length == (std::size_t{1} << 20)) continue;
        ASSERT_EQ(p.messages.size(), 1u);
        EXPECT_EQ(p.messages[0], "Line 18 of " + dir +
                                     "/blank.out is longer than 1 MiB (1048576 bytes); no line of an engine report is "
                                     "that long, and the file is read no further.");
    }
    ScriptedPrompter p;
    OutputResults zero;
    EXPECT_FALSE(zero.Load("/dev/zero", p));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].rfind("Line 1 of /dev/zero is longer than 1 MiB", 0), 0u) << p.messages[0];
}

// Numbers a float cannot hold, and words that are no numbers, in the fields
// that hold values: the engine stops with a run-time error naming the value,
// the report reader with its parse message. Tiny values read as zero.
TEST(Limits, NonFiniteValues) {
    const std::string dir = t::freshDir("limits_nonfinite");
    struct Row {
        const char *factor, *value;
        int status;
        const char *error;
    } rows[] = {
        {"120", "1e39", 2, "number out of range \"1e39\""},
        {"120", "-1e39", 2, "number out of range \"-1e39\""},
        {"120", "nan", 2, "unreadable number \"nan\""},
        {"120", "inf", 2, "unreadable number \"inf\""},
        {"1e39", "1", 2, "number out of range \"1e39\""},
        {"nan", "1", 2, "unreadable number \"nan\""},
        {"120", "1e-50", 0, ""},
    };
    for (const Row &row : rows) {
        t::writeFile(dir + "/model.vek", std::string("Version 1.12\n1990 1990 0 1990 1990 1 0 4 0 0 1 1 1\n") +
                                             row.factor + " -1 1\nWell\n" + row.value + " 1 1 1 1 1 1 1 1 1 1 1\n");
        RunResult r = runEngine(dir);
        EXPECT_EQ(r.status, row.status) << row.factor << ' ' << row.value;
        if (row.status != 0) {
            EXPECT_NE(r.errors.find("run-time error"), std::string::npos) << r.errors;
            EXPECT_NE(r.errors.find(row.error), std::string::npos) << r.errors;
        }
    }

    writeDeck(dir + "/model.vek", 1, 0);
    ASSERT_EQ(runEngine(dir).status, 0);
    const std::string report = t::readFile(dir + "/model.out");
    const std::size_t row1990 = report.find("\n1990", report.find("YEAR")) + 1;
    for (const char *value : {"nan", "1e39", "inf"}) {
        std::string damaged = report;
        damaged.replace(row1990 + 4, 9, std::string(9 - std::string(value).size(), ' ') + value);
        t::writeFile(dir + "/damaged.out", damaged);
        ScriptedPrompter p;
        OutputResults res;
        EXPECT_FALSE(res.Load(dir + "/damaged.out", p)) << value;
        EXPECT_EQ(p.messages, std::vector<std::string>{"Parse error reading monthly pumping for year 1990"}) << value;
    }
}

} // namespace
