// vektool convert reading the imports: which reader a path goes to, the
// soil-moisture and import options, and that a failed import writes nothing.
#include "model/input_file.h"
#include "model/model_document.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/wait.h>

using vek::test::binDir;
using vek::test::dataPath;
using vek::test::readFile;

namespace {

std::string quote(const std::string &s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct Row {
    const char *label;
    std::vector<std::string> args; // "@in/" is the fixture folder, "@out" the output file
    int status;
    std::string stderrHas;
    std::function<void(const vek::ModelInput &)> check; // on the written file
};

// Test names show the row's name, not the struct's bytes.
void PrintTo(const Row &c, std::ostream *os) { *os << c.label; }

class ConvertImports : public ::testing::TestWithParam<Row> {};

TEST_P(ConvertImports, ReadsWritesOrRefuses) {
    const Row &row = GetParam();
    ASSERT_TRUE(std::filesystem::exists(binDir() + "/vektool")) << "vektool not built in " << binDir();
    const std::string dir = vek::test::freshDir(std::string("convert_imports_") + row.label);
    const std::string out = dir + "/out.vek";
    std::string cmd = quote(binDir() + "/vektool") + " convert";
    for (std::string a : row.args) {
        if (a.rfind("@in/", 0) == 0) a = dataPath("imports/" + a.substr(4));
        if (a == "@out") a = out;
        cmd += " " + quote(a);
    }
    cmd += " >/dev/null 2>" + quote(dir + "/stderr.txt");
    int st = std::system(cmd.c_str());
    const std::string err = readFile(dir + "/stderr.txt");
    EXPECT_EQ(WIFEXITED(st) ? WEXITSTATUS(st) : -1, row.status) << err;
    EXPECT_NE(err.find(row.stderrHas), std::string::npos) << err;
    if (row.status != 0) {
        EXPECT_FALSE(std::filesystem::exists(out));
        return;
    }
    vek::SilentPrompter quiet;
    vek::ModelDocument doc;
    ASSERT_TRUE(vek::ReadInput(doc, quiet, out));
    row.check(doc.model);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ConvertImports,
    ::testing::Values(
        Row{"OwlByExtension",
            {"@in/two_methods.owl", "@out", "--soil-moisture", "with", "--year-type", "1"},
            0,
            "",
            [](const vek::ModelInput &m) {
                ASSERT_EQ(m.locations.size(), 5u);
                EXPECT_EQ(m.locations[4].name, "203 (North Fork)");
                EXPECT_EQ(m.locations[0].VEK, 45.5f); // with soil moisture: the Enhanced section
                EXPECT_EQ(m.yearMode, 1);             // converted from Calendar
            }},
        Row{"OwlNeedsSoilMoisture", {"@in/two_methods.owl", "@out"}, 2, "needs --soil-moisture no|with", nullptr},
        Row{"SoilMoistureOnlyForOwl",
            {"@in/wells.txt", "@out", "--from", "tab", "--soil-moisture", "no"},
            2,
            "--soil-moisture applies only to well output files",
            nullptr},
        Row{"OwlUnreadable",
            {"@in/none.owl", "@out", "--from", "owl", "--soil-moisture", "no"},
            1,
            "for reading.",
            nullptr},
        Row{"TabOptionsSetNotConvert",
            {"@in/wells.txt", "@out", "--from", "tab", "--year-type", "2", "--units", "0"},
            0,
            "",
            [](const vek::ModelInput &m) {
                ASSERT_EQ(m.locations.size(), 6u);
                EXPECT_EQ(m.yearMode, 2);
                EXPECT_EQ(m.unitMode, 0);
                EXPECT_EQ(m.locations[0].historicalData[0][0], 100.5f); // as in the file
                EXPECT_EQ(m.locations[0].LocationType, 1);
            }},
        Row{"TabDefaultsAreTheDialogs",
            {"@in/wells.txt", "@out", "--from", "tab"},
            0,
            "",
            [](const vek::ModelInput &m) {
                EXPECT_EQ(m.yearMode, 0);
                EXPECT_EQ(m.unitMode, 1);
            }},
        Row{"TabWrongYearWritesNothing",
            {"@in/year_mismatch.txt", "@out", "--from", "tab"},
            1,
            "Read pump year 1987 for well Well B; should be year 1986",
            nullptr},
        Row{"TabRefusesConversions",
            {"@in/wells.txt", "@out", "--from", "tab", "--synth-years", "2"},
            2,
            "only --year-type and --units",
            nullptr},
        Row{"OldFormat",
            {"@in/old_format.txt", "@out", "--from", "old"},
            0,
            "",
            [](const vek::ModelInput &m) {
                ASSERT_EQ(m.locations.size(), 3u);
                EXPECT_EQ(m.locations[1].name, "Recharge Pond");
                EXPECT_EQ(m.locations[1].LocationType, 1);
            }},
        Row{"UnknownKind",
            {"@in/wells.txt", "@out", "--from", "csv"},
            2,
            "--from takes vek, owl, tab or old",
            nullptr}),
    [](const auto &info) { return std::string(info.param.label); });

} // namespace
