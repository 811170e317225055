// vektool report: selections on the command line give the same text as the
// output view, graph data comes out as JSON, and bad input gets a status.
#include "support/test_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <sys/wait.h>

namespace {

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun vektool(const std::string &name, const std::string &args) {
    std::string dir = vek::test::freshDir("vektool_report_" + name);
    std::string cmd =
        "'" + vek::test::binDir() + "/vektool' report " + args + " > '" + dir + "/out.txt' 2> '" + dir + "/err.txt'";
    int rc = std::system(cmd.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, vek::test::readFile(dir + "/out.txt"),
            vek::test::readFile(dir + "/err.txt")};
}

std::string report(const std::string &name) { return "'" + vek::test::dataPath("results/" + name) + "'"; }

} // namespace

TEST(VektoolReport, SelectionsMatchTheViewsReports) {
    struct Row {
        const char *name;
        std::string args;
        const char *golden;
    };
    const Row rows[] = {
        {"monthly", report("two_locations.out") + " --locations 4,0,1 --years 1989,1991,avg",
         "results/monthly_report.txt"},
        {"yearly", report("two_locations.out") + " --yearly --year-type 0", "results/yearly_calendar_report.txt"},
        {"yearly_all", report("two_locations.out") + " --locations all --years all --year-type 0 --yearly",
         "results/yearly_calendar_report.txt"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ToolRun r = vektool(row.name, row.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(vek::test::compareGolden(row.golden, r.out), "");
    }
}

TEST(VektoolReport, TablesCanBeLeftOut) {
    ToolRun both = vektool("both", report("two_locations.out") + " --locations 0 --years 1989");
    ToolRun div = vektool("div", report("two_locations.out") + " --locations 0 --years 1989 --no-stream");
    ToolRun none =
        vektool("none", report("two_locations.out") + " --locations 0 --years 1989 --no-stream --no-diversion");
    EXPECT_NE(both.out.find("Stream Depletion or Accretion Data"), std::string::npos);
    EXPECT_EQ(div.out.find("Stream Depletion or Accretion Data"), std::string::npos);
    EXPECT_NE(div.out.find("CU or Recharge Data"), std::string::npos);
    EXPECT_EQ(none.out.find("Location:"), std::string::npos);
    ToolRun crlf = vektool("crlf", report("two_locations.out") + " --locations 0 --years 1989 --crlf");
    EXPECT_NE(crlf.out.find("\r\n1989\t"), std::string::npos);
    EXPECT_EQ(crlf.out.find("\n\n"), std::string::npos);
}

TEST(VektoolReport, GraphDataAsJson) {
    ToolRun r = vektool("graph", report("two_locations.out") +
                                     " --graph-data --locations 0 --years 1989,1990 --screen 1000x800");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char *part :
         {"\"title\": \"Diversion/Recharge Data -- Well 7  (30 days)\"", "\"numPoints\": 24",
          "\"labels\": [\"11/88\", \"12\", \"1\"", "\"xTicks\": 1", "\"grid\": 3",
          "\"placement\": {\"x\": 0, \"y\": 400, \"width\": 1000, \"height\": 420}", "\"values\": [-100.5, -101.5"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
    // What a script's JSON parser makes of it.
    const nlohmann::json doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc.at("stream").at("series").at(0).at("values").size(), 24u);
    EXPECT_EQ(doc.at("diversion").at("placement").at("width"), 1000);
}

TEST(VektoolReport, BadInputGetsAStatusAndAMessage) {
    struct Row {
        const char *name;
        std::string args;
        int status;
        const char *message;
    };
    const Row rows[] = {
        {"missing", "/nonexistent/a.out", 1, "Unable to open /nonexistent/a.out for reading."},
        {"no_file", "", 2, "no report named"},
        {"bad_location", report("two_locations.out") + " --locations 5", 2, "no location '5' (the report has 5)"},
        {"bad_year", report("two_locations.out") + " --years 1988", 2, "no year '1988'"},
        {"bad_type", report("two_locations.out") + " --year-type 3", 2, "--year-type must be 0, 1 or 2"},
        {"bad_option", report("two_locations.out") + " --colour", 2, "unknown option --colour"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ToolRun r = vektool(row.name, row.args);
        EXPECT_EQ(r.status, row.status);
        EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(VektoolReport, ACutShortReportShowsWhatWasRead) {
    std::string text = vek::test::readFile(vek::test::dataPath("results/two_locations.out"));
    std::string dir = vek::test::freshDir("vektool_report_cut_input");
    vek::test::writeFile(dir + "/cut.out", text.substr(0, text.find("\r\n", text.find("1989      0.0")) + 2));
    ToolRun r = vektool("cut", "'" + dir + "/cut.out'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Unexpected EOF reading 1990's data."), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Location: Well 7"), std::string::npos);
}
