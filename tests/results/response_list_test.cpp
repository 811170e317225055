// The report's closing list of response methods is never read as part of
// the report: the reader takes a report with it exactly as the same report
// without it, in every layout, also when names in the list hold the words
// the reader looks for.
#include "engine/engine_run.h"
#include "results/output_results.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

namespace t = vek::test;

namespace {

const char *const kNoFlows = "0 0 0 0 0 0 0 0 0 0 0 0\n";

// A model of wells named `names` with its pumping records and a response
// section that names the reader's words.
std::string deck(int outputFormat, const std::vector<std::string> &names) {
    std::string d = "Version 1.12\n2000 2002 0 2000 2003 " + std::to_string(names.size()) + " " +
                    std::to_string(outputFormat) + " 4 0 0 1 1 0\n";
    for (const auto &n : names)
        d += "300 -1 1\n" + n +
             "\n0 0 0 0 0 50 100 150 170 130 60 0\n0 0 0 0 0 40 90 120 140 100 40 0\n"
             "0 0 0 0 0 45 95 135 155 115 50 0\n";
    for (const auto &n : names)
        for (const auto *line :
             {"\n0 1 # UsePumpingRecord Units\n", "1 1 1 1 1 1 1 1 1 1 1 1\n", kNoFlows, kNoFlows, kNoFlows})
            d += (line[0] == '\n' ? n : std::string()) + line;
    d += "Response methods 1\ntable name=\"t LOCATION: x\" months=2\n0.5 0.25\n";
    for (std::size_t i = 1; i < names.size(); ++i)
        d += "location " + std::to_string(i + 1) + (i % 2 ? " hunt lambda=1.5\n" : " table name=\"t LOCATION: x\"\n");
    return d + "end\n";
}

std::string report(const std::string &text) {
    const std::string dir = t::freshDir("results_response_list");
    t::writeFile(dir + "/model.vek", text);
    std::ostringstream console, errors;
    EXPECT_EQ(vek::engine::runEngine(dir + "/model.vek", dir + "/model.out", {}, console, errors), 0) << errors.str();
    return t::readFile(dir + "/model.out");
}

void expectSame(const vek::OutputResults &a, const vek::OutputResults &b) {
    EXPECT_EQ(a.yearType, b.yearType);
    EXPECT_EQ(a.monthHeader, b.monthHeader);
    EXPECT_EQ(a.units, b.units);
    EXPECT_EQ(a.firstPrintYear, b.firstPrintYear);
    EXPECT_EQ(a.lastPrintYear, b.lastPrintYear);
    EXPECT_EQ(a.firstSynthYear, b.firstSynthYear);
    EXPECT_EQ(a.lastSynthYear, b.lastSynthYear);
    EXPECT_EQ(a.synthesisText, b.synthesisText);
    EXPECT_EQ(a.conversionText, b.conversionText);
    ASSERT_EQ(a.locations.size(), b.locations.size());
    for (std::size_t i = 0; i < a.locations.size(); ++i) {
        const auto &x = a.locations[i], &y = b.locations[i];
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(x.depletionFactor, y.depletionFactor);
        EXPECT_EQ(x.kind, y.kind);
        ASSERT_EQ(x.rows.size(), y.rows.size());
        for (std::size_t r = 0; r < x.rows.size(); ++r)
            EXPECT_EQ(std::memcmp(&x.rows[r], &y.rows[r], sizeof x.rows[r]), 0) << x.name << " row " << r;
    }
}

TEST(ResponseList, ReadAsTheReportWithoutIt) {
    const std::vector<std::string> names = {"Plain well", "SUMMARY OF ALL LOCATIONS well", "LOCATION: well",
                                            "Well with LOCATION: and SUMMARY OF ALL LOCATIONS"};
    for (int format : {0, 1, 2}) {
        const std::string withList = report(deck(format, names));
        const std::size_t list = withList.find(" \r\nRESPONSE METHODS OTHER THAN THE INFINITE AQUIFER\r\n");
        ASSERT_NE(list, std::string::npos) << format;
        const std::string withoutList = withList.substr(0, list);
        // The list names locations 2 to 4 with the reader's words broken.
        const std::string tail = withList.substr(list);
        EXPECT_EQ(tail.find("LOCATION:"), std::string::npos) << tail;
        EXPECT_EQ(tail.find("SUMMARY OF ALL LOCATIONS"), std::string::npos) << tail;
        EXPECT_NE(tail.find("    3  LOCATION : well"), std::string::npos) << tail;
        EXPECT_NE(tail.find("    2  SUMMARY OF ALL  LOCATIONS well"), std::string::npos) << tail;
        EXPECT_NE(tail.find("UNIT RESPONSE TABLE \"t LOCATION : x\""), std::string::npos) << tail;

        t::ScriptedPrompter p1, p2;
        vek::OutputResults a, b;
        EXPECT_TRUE(a.LoadText(withList, "with.out", p1)) << format;
        EXPECT_TRUE(b.LoadText(withoutList, "without.out", p2)) << format;
        EXPECT_TRUE(p1.messages.empty()) << format << ": " << (p1.messages.empty() ? "" : p1.messages[0]);
        EXPECT_TRUE(p2.messages.empty()) << format;
        expectSame(a, b);
        EXPECT_EQ(a.locations.size(), format == 0 ? 7u : format == 1 ? 3u : 0u) << format;
    }
}

} // namespace
