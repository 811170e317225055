// The README's script from an import to a report, taken from the README as it
// stands and run by a shell with the built programs on the PATH: a
// tab-delimited file in, Irrigation years, the run years set, the run, CSV
// out. A README whose script no longer works fails here.
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <sys/wait.h>

namespace t = vek::test;
namespace fs = std::filesystem;

namespace {

const std::string kMarker = "<!-- The test vektool_readme_script_test runs the script below as it stands here. -->";

// The fenced block that follows the marker; empty when there is none.
std::string readmeScript() {
    const std::string readme = t::readFile(t::dataDir() + "/../../README.md");
    const std::size_t marker = readme.find(kMarker);
    if (marker == std::string::npos) return {};
    const std::size_t open = readme.find("```sh\n", marker);
    if (open == std::string::npos) return {};
    const std::size_t start = open + 6;
    const std::size_t close = readme.find("\n```", start);
    return close == std::string::npos ? std::string() : readme.substr(start, close - start + 1);
}

std::vector<std::vector<std::string>> csvRecords(const std::string &text) {
    std::vector<std::vector<std::string>> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Split at every comma: a record ending in an empty field ends in
        // a comma.
        std::vector<std::string> fields;
        std::size_t from = 0;
        for (std::size_t comma; (comma = line.find(',', from)) != std::string::npos; from = comma + 1)
            fields.push_back(line.substr(from, comma - from));
        fields.push_back(line.substr(from));
        out.push_back(fields);
    }
    return out;
}

} // namespace

TEST(ReadmeScript, ImportToReportRunsAsWritten) {
    ASSERT_TRUE(fs::exists(t::binDir() + "/vektool") && fs::exists(t::binDir() + "/vek"))
        << "vektool and vek are not built in " << t::binDir();
    const std::string script = readmeScript();
    ASSERT_NE(script.find("vektool convert valley_wells.txt"), std::string::npos) << "no script after the marker";
    const std::string dir = t::freshDir("readme script");
    fs::copy_file(t::dataDir() + "/../../examples/valley_wells.txt", dir + "/valley_wells.txt");
    t::writeFile(dir + "/script.sh", script);
    const std::string command = "cd " + t::shellQuote(dir) + " && PATH=" + t::shellQuote(t::binDir()) +
                                ":\"$PATH\" /bin/sh script.sh >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << t::readFile(dir + "/stderr.txt");
    EXPECT_EQ(t::readFile(dir + "/stderr.txt"), "");
    ASSERT_TRUE(fs::exists(dir + "/valley.out"));

    // Every location of the file and the three summaries, each year of the
    // run and the average; the first well's May 1990 is the file's 40
    // acre-feet, a well's diversion being negative.
    const auto records = csvRecords(t::readFile(dir + "/valley.csv"));
    ASSERT_GT(records.size(), 1u);
    const std::vector<std::string> &header = records[0];
    const auto column = [&](const std::string &name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    ASSERT_LT(column("may"), header.size());
    std::set<std::string> names, years, averageYears;
    bool may1990 = false;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const auto &rec = records[r];
        ASSERT_EQ(rec.size(), header.size());
        names.insert(rec[column("location")]);
        years.insert(rec[column("year")]);
        if (rec[column("row")] == "average") averageYears.insert(rec[column("year")]);
        if (rec[column("location")] == "North ditch well 1" && rec[column("quantity")] == "diversion" &&
            rec[column("year")] == "1990")
            may1990 = rec[column("may")] == "-40";
    }
    EXPECT_EQ(names, (std::set<std::string>{"North ditch well 1", "Bench well 2", "Upland well 3", "Recharge pond",
                                            "Recharge Summary", "CU of Ground Water Summary", "Net Impact on Stream"}));
    EXPECT_EQ(years.size(), 16u); // 1990..2004 and the average row's 0
    EXPECT_TRUE(years.count("1990") && years.count("2004") && years.count("0"));
    EXPECT_EQ(averageYears, std::set<std::string>{"0"});
    EXPECT_TRUE(may1990);
}
