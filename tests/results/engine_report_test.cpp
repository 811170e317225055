// Reports written by the built engine read back field for field: every
// report layout, wells and recharge sites, unused locations, tail years.
#include "results/output_results.h"
#include "results/text_report.h"
#include "support/run_program.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>

using vek::OutputResults;
using vek::test::ScriptedPrompter;

namespace {

// The deck with its run-parameter record replaced.
std::string deckWith(const std::string &parameters) {
    std::string deck = vek::test::readFile(vek::test::dataPath("results/mixed.vek"));
    size_t b = deck.find('\n') + 1;
    size_t e = deck.find('#', b);
    return deck.substr(0, b) + parameters + " " + deck.substr(e);
}

// Runs vek on deck in a fresh directory; returns the report's path.
std::string runVek(const std::string &name, const std::string &deck) {
    std::string dir = vek::test::freshDir("results_engine_" + name);
    vek::test::writeFile(dir + "/model.vek", deck);
    std::string vek = vek::test::programPath("vek");
    EXPECT_TRUE(std::filesystem::exists(vek)) << "build the vek target first: " << vek;
    const auto run = vek::test::runProgram(dir, vek, {"model.vek", "model.out"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    return dir + "/model.out";
}

// The report's numeric rows, read by column: 13 fields of 9 characters after
// the 4-character label; asterisks mean no value.
std::vector<std::vector<float>> reportRows(const std::string &text) {
    std::vector<std::vector<float>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 121) continue;
        std::string label = line.substr(0, 4);
        bool year = std::isdigit(static_cast<unsigned char>(label[0])) && label.find(' ') == std::string::npos;
        if (!year && label != " AVG") continue;
        std::vector<float> v;
        for (int f = 0; f < 13; ++f) {
            std::string field = line.substr(4 + 9 * static_cast<size_t>(f), 9);
            v.push_back(field == "*********" ? vek::kNoData : std::stof(field));
        }
        rows.push_back(v);
    }
    return rows;
}

// The results in report order, one entry per table row.
std::vector<std::vector<float>> resultRows(const OutputResults &r) {
    std::vector<std::vector<float>> rows;
    for (const auto &loc : r.locations)
        for (int table = loc.hasDiversion() ? 0 : 1; table < 2; ++table)
            for (const auto &row : loc.rows) {
                const float *m = table == 0 ? row.diversion : row.stream;
                std::vector<float> v(m, m + 12);
                v.push_back(table == 0 ? row.diversionTotal : row.streamTotal);
                rows.push_back(v);
            }
    return rows;
}

OutputResults readBack(const std::string &path, std::vector<std::vector<float>> *fileRows = nullptr) {
    ScriptedPrompter p;
    OutputResults r;
    EXPECT_TRUE(r.Load(path, p));
    EXPECT_TRUE(p.messages.empty()) << (p.messages.empty() ? "" : p.messages[0]);
    if (fileRows) *fileRows = reportRows(vek::test::readFile(path));
    return r;
}

} // namespace

TEST(EngineReport, EveryLayoutReadsBackFieldForField) {
    struct Row {
        int outputFormat;
        size_t locations;
        bool untitledRows; // rows in the file that the reader passes over
    };
    for (const Row &row : {Row{0, 6, false}, Row{1, 3, false}, Row{5, 3, false}, Row{2, 0, true}}) {
        SCOPED_TRACE("outputFormat " + std::to_string(row.outputFormat));
        std::string path =
            runVek("format" + std::to_string(row.outputFormat),
                   deckWith("1990 1992 2 1991 1997 4 " + std::to_string(row.outputFormat) + " 1 0 2 1 1 1"));
        std::vector<std::vector<float>> fileRows;
        OutputResults r = readBack(path, &fileRows);
        ASSERT_EQ(r.locations.size(), row.locations);
        EXPECT_EQ(r.firstPrintYear, 1991);
        EXPECT_EQ(r.lastPrintYear, 1997);
        EXPECT_EQ(r.firstSynthYear, 1993);
        EXPECT_EQ(r.lastSynthYear, 1994);
        EXPECT_NE(r.synthesisText.find("AVERAGE OF HISTORICAL DATA FROM 1990 TO"), std::string::npos);
        if (row.untitledRows) {
            EXPECT_EQ(fileRows.size(), 2u * 8u);
            continue;
        }
        EXPECT_EQ(r.units, "( acre feet )");
        EXPECT_EQ(resultRows(r), fileRows);
        for (const auto &loc : r.locations)
            EXPECT_EQ(loc.rows.size(), 8u);
    }
}

TEST(EngineReport, LocationsKeepNamesFactorsAndTypes) {
    OutputResults r = readBack(runVek("names", deckWith("1990 1992 2 1991 1997 4 0 1 0 2 1 1 1")));
    ASSERT_EQ(r.locations.size(), 6u);
    EXPECT_EQ(r.locations[0].name, "North well");
    EXPECT_EQ(r.locations[1].name, "Willow Creek recharge pond");
    EXPECT_EQ(r.locations[2].name, "South well with a name long enough to run past the sixtieth");
    EXPECT_DOUBLE_EQ(r.locations[0].depletionFactor, 30.0);
    EXPECT_DOUBLE_EQ(r.locations[1].depletionFactor, 120.5);
    EXPECT_DOUBLE_EQ(r.locations[2].depletionFactor, 7.5);
    EXPECT_EQ(r.locations[5].name, "Net Impact on Stream");

    // Wells are negative, the recharge site positive; the tail years after
    // 1994 carry no diversion but a stream effect that is still there.
    const auto &well = r.locations[0].rows;
    EXPECT_FLOAT_EQ(well[0].diversion[3], -10.0f);
    EXPECT_FLOAT_EQ(r.locations[1].rows[0].diversion[0], 410.0f);
    for (int y = 4; y < 7; ++y) {
        for (float v : well[static_cast<size_t>(y)].diversion)
            EXPECT_EQ(v, 0.0f);
        EXPECT_EQ(well[static_cast<size_t>(y)].diversionTotal, 0.0f);
    }
    EXPECT_LT(well[4].stream[0], 0.0f);
    EXPECT_GT(r.locations[1].rows[4].stream[0], 0.0f);

    vek::ViewChoices c;
    c.locations = {0, 1};
    c.years = {0};
    c.showStream = false;
    std::string text = vek::buildTextReport(r, c, "\n");
    EXPECT_NE(text.find("Location: North well  Location Type = Irrig. well  VEK = 30 days"), std::string::npos);
    EXPECT_NE(text.find("Location: Willow Creek recharge pond  Location Type = Recharge site  VEK = 120.5 days"),
              std::string::npos);
}

TEST(EngineReport, ActualDaysAndNoSynthesizedYears) {
    OutputResults r = readBack(runVek("actual", deckWith("1990 1994 0 1992 1996 4 0 4 0 0 1 1 0")));
    EXPECT_EQ(r.conversionText, "MONTHLY TO DAILY CONVERSIONS USED ACTUAL DAYS IN THE MONTH.");
    EXPECT_EQ(r.firstSynthYear, 1995);
    EXPECT_EQ(r.lastSynthYear, 1994);
    EXPECT_EQ(r.locations.size(), 6u);
    vek::ViewChoices none;
    EXPECT_EQ(vek::buildTextReport(r, none, "\n"), "The last year of historical data is 1994\n"
                                                   "No well CU/Recharge after year 1994\n\n"
                                                   "Monthly to daily conversions used actual days in the month.\n\n");
}

TEST(EngineReport, LargeValuesAndYearTypeChangeOnARealReport) {
    // Twelve million acre-feet a month overflows the report's fields.
    std::string deck = "Version 1.12\n1990 1990 0 1990 1991 1 0 4 0 0 1 1 1 # parameters\n"
                       "10 1 1 # VEK LocationType UseInOutput\nHuge site\n"
                       "12000000 0 0 0 0 0 0 0 0 0 0 5\n";
    std::vector<std::vector<float>> fileRows;
    OutputResults r = readBack(runVek("huge", deck), &fileRows);
    ASSERT_EQ(r.locations.size(), 4u);
    EXPECT_FALSE(vek::hasData(r.locations[0].rows[0].diversion[0]));
    EXPECT_FLOAT_EQ(r.locations[0].rows[0].diversion[11], 5.0f);
    EXPECT_EQ(resultRows(r), fileRows);

    ASSERT_TRUE(r.changeYearType(0));
    EXPECT_EQ(r.firstPrintYear, 1989);
    EXPECT_FLOAT_EQ(r.locations[0].rows[1].diversion[9], 5.0f); // October 1990
}

TEST(EngineReport, EveryEngineFixtureReadsBackFieldForField) {
    namespace fs = std::filesystem;
    const fs::path dir = vek::test::dataPath("engine");
    ASSERT_TRUE(fs::exists(dir)) << "no engine fixtures in " << dir;
    int read = 0;
    for (const auto &entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".out") continue;
        SCOPED_TRACE(entry.path().string());
        const std::string text = vek::test::readFile(entry.path().string());
        size_t blocks = 0;
        for (size_t at = text.find("\nLOCATION:"); at != std::string::npos; at = text.find("\nLOCATION:", at + 1))
            ++blocks;
        const bool titled = text.find("SUMMARY OF ALL LOCATIONS") != std::string::npos;
        std::vector<std::vector<float>> fileRows;
        OutputResults r = readBack(entry.path().string(), &fileRows);
        EXPECT_EQ(r.locations.size(), blocks + (titled ? 3 : 0));
        if (titled) {
            EXPECT_EQ(resultRows(r), fileRows);
        }
        ++read;
    }
    EXPECT_GT(read, 0);
}
