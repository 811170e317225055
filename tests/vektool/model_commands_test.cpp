// vektool check, convert and run as a script uses them: exit status, what
// goes to standard output and standard error, and the files left behind.
#include "support/test_files.h"
#include "vek_version.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>

namespace fs = std::filesystem;
using vek::test::binDir;
using vek::test::dataPath;
using vek::test::freshDir;
using vek::test::readFile;
using vek::test::writeFile;

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

std::string quote(const std::string &s) { return vek::test::shellQuote(s); }

Result vektool(const std::string &dir, const std::vector<std::string> &args) {
    std::string cmd = quote(binDir() + "/vektool");
    for (const auto &a : args)
        cmd += " " + quote(a);
    cmd += " >" + quote(dir + "/stdout.txt") + " 2>" + quote(dir + "/stderr.txt");
    Result r;
    int st = std::system(cmd.c_str());
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.out = readFile(dir + "/stdout.txt");
    r.err = readFile(dir + "/stderr.txt");
    return r;
}

bool haveTools() { return fs::exists(binDir() + "/vektool") && fs::exists(binDir() + "/vek"); }

} // namespace

TEST(Vektool, VersionIsTheProjectVersion) {
    ASSERT_TRUE(haveTools()) << "vektool and vek are not built in " << binDir();
    std::string dir = freshDir("vektool_version");
    Result v = vektool(dir, {"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, "vektool " VEK_VERSION "\n");
    Result h = vektool(dir, {"--help"});
    EXPECT_EQ(h.status, 0);
    EXPECT_NE(h.out.find("--version"), std::string::npos) << h.out;
}

TEST(VektoolCheck, CleanBrokenAndMissingFiles) {
    ASSERT_TRUE(haveTools()) << "vektool and vek are not built in " << binDir();
    std::string dir = freshDir("vektool_check");
    Result ok = vektool(dir, {"check", dataPath("model/two_locations.vek")});
    EXPECT_EQ(ok.status, 0) << ok.err;
    // Its synthesized years are not the average its first card records: a
    // warning per location, the status stays 0.
    EXPECT_EQ(ok.err.find(dataPath("model/two_locations.vek") +
                          ": warning: Location 1 (Well A): its synthesized years are not the average of the "
                          "historical years 2000 to 2001"),
              0u)
        << ok.err;
    EXPECT_NE(ok.err.find("warning: Location 2 (Site B)"), std::string::npos) << ok.err;
    EXPECT_NE(ok.out.find("ok, 2 location(s), historical years 2000-2001 (2), synthesized years 1"), std::string::npos);

    std::string text = readFile(dataPath("model/two_locations.vek"));
    writeFile(dir + "/cut.vek", text.substr(0, text.find("Site B\n0 1")));
    Result cut = vektool(dir, {"check", dir + "/cut.vek"});
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(cut.err, "Unexpected EOF reading well name in pumping record #1 in file " + dir + "/cut.vek\n");

    Result missing = vektool(dir, {"check", dir + "/none.vek"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "vektool check: cannot open " + dir + "/none.vek: No such file or directory\n");
    EXPECT_EQ(vektool(dir, {"check"}).status, 2);
}

TEST(VektoolConvert, OlderFormatIsWrittenInTheCurrentOne) {
    ASSERT_TRUE(haveTools()) << "vektool and vek are not built in " << binDir();
    std::string dir = freshDir("vektool_convert");
    Result r = vektool(dir, {"convert", dataPath("model/no_version.vek"), dir + "/out.vek"});
    ASSERT_EQ(r.status, 0) << r.err;
    // The 12-integer record has unit mode 0 and no monthly-to-daily flag.
    std::string expected = readFile(dataPath("model/two_locations.vek"));
    expected.replace(expected.find("1 1 1 0 #"), 9, "1 1 0 0 #");
    EXPECT_EQ(readFile(dir + "/out.vek"), expected);

    // A file that does not read cleanly writes nothing.
    writeFile(dir + "/bad.vek", "Version 1.12\n1 2 3\n");
    Result bad = vektool(dir, {"convert", dir + "/bad.vek", dir + "/bad_out.vek"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_FALSE(fs::exists(dir + "/bad_out.vek"));
    EXPECT_NE(bad.err.find("Wrong number of values read for first data card."), std::string::npos);
    EXPECT_EQ(vektool(dir, {"convert", dir + "/bad.vek"}).status, 2);
}

TEST(VektoolRun, RunsTheEngineBesideIt) {
    ASSERT_TRUE(haveTools()) << "vektool and vek are not built in " << binDir();
    std::string dir = freshDir("vektool run dir");
    fs::copy_file(dataPath("model/two_locations.vek"), dir + "/model.vek");
    Result r = vektool(dir, {"run", dir + "/model.vek"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, dir + "/model.out\n");
    // A model read completely is its file: nothing to save, nothing asked.
    EXPECT_EQ(r.err.find("Save changes"), std::string::npos) << r.err;
    EXPECT_NE(readFile(dir + "/model.out").find("STREAM DEPLETION"), std::string::npos);

    // An engine failure: the message and its lines, status 1.
    std::string text = readFile(dir + "/model.vek");
    text.replace(text.find("\n1 2 3 4"), 4, "\n1 x 3");
    writeFile(dir + "/broken.vek", text);
    Result bad = vektool(dir, {"run", dir + "/broken.vek"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("Error running " + binDir() + "/vek broken.vek:\n"), std::string::npos) << bad.err;
    // The file on disk runs as it is: nothing is asked, nothing saved.
    EXPECT_EQ(bad.err.find("Save changes"), std::string::npos) << bad.err;
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(readFile(dir + "/broken.vek"), text);

    // Calendar years never reach the engine.
    text = readFile(dir + "/model.vek");
    text.replace(text.find("0 1 1 1 0 #"), 11, "0 1 0 1 0 #");
    writeFile(dir + "/calendar.vek", text);
    Result cal = vektool(dir, {"run", dir + "/calendar.vek"});
    EXPECT_EQ(cal.status, 1);
    EXPECT_NE(cal.err.find("the engine runs only tables in Irrigation Year format (November to October).  Mend: "
                           "vektool convert "),
              std::string::npos)
        << cal.err;
    EXPECT_NE(cal.err.find("calendar.vek' --year-type 1\n"), std::string::npos) << cal.err;
    EXPECT_FALSE(fs::exists(dir + "/calendar.out"));

    // A model that is not there: the system's reason, not the reader's.
    Result none = vektool(dir, {"run", "nothere.vek"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "vektool run: cannot open nothere.vek: No such file or directory\n");
}

// Values too wide for the report's nine columns are printed as asterisks:
// an export of the report says how many it lacks and where to get them, and
// vektool run --csv exports them from the engine, with the same report.
TEST(VektoolRun, ExportsWhatTheReportCannotHold) {
    ASSERT_TRUE(haveTools()) << "vektool and vek are not built in " << binDir();
    const std::string dir = freshDir("vektool_run_exports");
    writeFile(dir + "/big.vek", "Version 1.12\n2000 2000 0 2000 2000 1 0 4 0 0 1 1 0\n30 -1 1\nBig well\n"
                                "2000000 10 0 0 0 0 0 0 0 0 0 0\n");
    const Result run = vektool(dir, {"run", dir + "/big.vek"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string report = readFile(dir + "/big.out");
    ASSERT_NE(report.find("2000*********"), std::string::npos) << report;
    const Result fromReport = vektool(dir, {"report", dir + "/big.out", "--csv", "-", "--locations", "0"});
    EXPECT_EQ(fromReport.status, 0) << fromReport.err;
    EXPECT_NE(fromReport.out.find(",diversion,2000,,-10,0,"), std::string::npos) << fromReport.out;
    EXPECT_NE(fromReport.err.find("vektool report: 6 values of " + dir +
                                  "/big.out did not fit the report's "
                                  "9-column fields (printed as asterisks) and are left out"),
              std::string::npos)
        << fromReport.err;
    EXPECT_NE(fromReport.err.find("vektool run MODEL.vek --csv FILE"), std::string::npos);

    fs::remove(dir + "/big.out");
    const Result exported =
        vektool(dir, {"run", dir + "/big.vek", "--csv", dir + "/big.csv", "--xlsx", dir + "/big.xlsx"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, dir + "/big.out\n");
    EXPECT_EQ(readFile(dir + "/big.out"), report); // the report vek writes, byte for byte
    const std::string csv = readFile(dir + "/big.csv");
    // The engine's float of the month, -1999999.875, to the tenth as the
    // report rounds.
    EXPECT_NE(csv.find("\r\n0,location,Big well,well,30,diversion,2000,-1999999.9,-10,0,0,0,0,0,0,0,0,0,0,-2000009.9,"
                       "-2000009.9,year,af,irrigation,infinite,30,"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find(",stream,2000,-634621.1,"), std::string::npos);
    EXPECT_GT(fs::file_size(dir + "/big.xlsx"), 1000u);
    const Result bad = vektool(dir, {"run", dir + "/big.vek", "--layout", "long"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "vektool run: --layout is the layout of the CSV (--csv)\n");
}

// A misspelled option or command is one line with the nearest one, never a
// screen of usage.
TEST(Vektool, MisspellingsGetOneLineAndASuggestion) {
    const std::string dir = freshDir("vektool_misspelled");
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"report", "x.out", "--yearyl"},
         "vektool report: unknown option --yearyl; did you mean --yearly? (vektool report --help)\n"},
        {{"report", "x.out", "--unit", "m3"},
         "vektool report: unknown option --unit; did you mean --units? (vektool report --help)\n"},
        {{"run", "x.vek", "--cvs", "x.csv"},
         "vektool run: unknown option --cvs; did you mean --csv? (vektool run --help)\n"},
        {{"convert", "a.vek", "b.vek", "--year-tpye", "1"},
         "vektool convert: unknown option --year-tpye; did you mean --year-type? (vektool convert --help)\n"},
        {{"report", "x.out", "--zzzzzzzz"}, "vektool report: unknown option --zzzzzzzz (vektool report --help)\n"},
        {{"reprot", "x.out"}, "vektool: unknown command 'reprot'; did you mean report? (vektool --help)\n"},
    };
    for (const Case &c : cases) {
        const Result r = vektool(dir, c.args);
        EXPECT_EQ(r.status, 2) << c.err;
        EXPECT_EQ(r.err, c.err);
    }
}
