// Where vektool's files go: every writer (convert, the workbook, the CSV, the
// text report and the graph data) onto a FIFO, a device node and a symbolic
// link; outputs that are the report being read; a full standard output; a
// report that does not read completely next to an export of an earlier read;
// and a report written without location tables.
#include "support/run_program.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;
namespace t = vek::test;

namespace {

using ToolRun = t::ProgramRun;
using t::shellQuote;

// vektool with the arguments; a run that has not ended after 30 seconds is
// stopped (a FIFO waited on forever would otherwise hang the suite).
// stdoutTo redirects standard output elsewhere (its text is then empty).
ToolRun vektool(const std::string &dir, const std::vector<std::string> &args, const std::string &stdoutTo = "") {
    std::string cmd = "timeout 30 " + shellQuote(t::binDir() + "/vektool");
    for (const auto &a : args)
        cmd += " " + shellQuote(a);
    cmd +=
        " >" + shellQuote(stdoutTo.empty() ? dir + "/stdout.txt" : stdoutTo) + " 2>" + shellQuote(dir + "/stderr.txt");
    const int st = std::system(cmd.c_str());
    ToolRun r;
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    if (stdoutTo.empty()) r.out = t::readFile(dir + "/stdout.txt");
    r.err = t::readFile(dir + "/stderr.txt");
    return r;
}

std::string report() { return t::dataPath("results/two_locations.out"); }

struct Writer {
    const char *name;
    std::vector<std::string> args; // the target is appended
    const char *starts;            // how the written file begins
};

const std::vector<Writer> &writers() {
    static const std::vector<Writer> w = {
        {"convert", {"convert", t::dataPath("model/two_locations.vek")}, "Version 1.12"},
        {"xlsx", {"report", report(), "--xlsx"}, "PK"},
        {"csv", {"report", report(), "--csv"}, "position,kind,location,site_type,factor,quantity,year"},
        {"text", {"report", report(), "--output"}, "The last year of historical data is 1990"},
        {"graph", {"report", report(), "--graph-data", "--output"}, "{"},
    };
    return w;
}

std::vector<std::string> with(std::vector<std::string> args, const std::string &target) {
    args.push_back(target);
    return args;
}

mode_t typeOf(const std::string &path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

} // namespace

// A FIFO that no program reads is refused at once with a message, and a
// device node is written: both stay what they were.
TEST(VektoolOutputs, FifosAndDevicesStayNodes) {
    ASSERT_TRUE(fs::exists(t::binDir() + "/vektool")) << "vektool is not built in " << t::binDir();
    for (const Writer &w : writers()) {
        SCOPED_TRACE(w.name);
        const std::string dir = t::freshDir(std::string("vektool_outputs_nodes_") + w.name);
        const std::string fifo = dir + "/pipe", node = dir + "/null";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        ASSERT_EQ(mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0) << "a device node needs root";

        const ToolRun refused = vektool(dir, with(w.args, fifo));
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find("Unable to write " + fifo + ": no program is reading from it."), std::string::npos)
            << refused.err;
        EXPECT_EQ(typeOf(fifo), static_cast<mode_t>(S_IFIFO));

        const ToolRun written = vektool(dir, with(w.args, node));
        EXPECT_EQ(written.status, 0) << written.err;
        EXPECT_EQ(typeOf(node), static_cast<mode_t>(S_IFCHR));
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4) << "no file beside them";
    }
}

// Through a symbolic link the file it names gets the new content; the link
// stays a link.
TEST(VektoolOutputs, LinksAreWrittenThrough) {
    for (const Writer &w : writers()) {
        SCOPED_TRACE(w.name);
        const std::string dir = t::freshDir(std::string("vektool_outputs_link_") + w.name);
        t::writeFile(dir + "/real", "old");
        fs::create_symlink("real", dir + "/link");
        const ToolRun r = vektool(dir, with(w.args, dir + "/link"));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(typeOf(dir + "/link"), static_cast<mode_t>(S_IFLNK));
        EXPECT_EQ(t::readFile(dir + "/real").rfind(w.starts, 0), 0u);
    }
}

// An output that is the report being read is refused, however it is spelled;
// the report stays byte for byte. A model converted onto itself is an
// ordinary save.
TEST(VektoolOutputs, TheReportItselfIsRefused) {
    const std::string dir = t::freshDir("vektool_outputs_self");
    const std::string m = dir + "/m.out";
    t::writeFile(m, t::readFile(report()));
    fs::create_symlink("m.out", dir + "/link.out");
    for (const char *option : {"--csv", "--xlsx", "--output"})
        for (const std::string &spelling : {m, dir + "/./m.out", dir + "/link.out"}) {
            SCOPED_TRACE(std::string(option) + " " + spelling);
            const ToolRun r = vektool(dir, {"report", m, option, spelling});
            EXPECT_EQ(r.status, 2);
            EXPECT_EQ(r.err,
                      "vektool report: " + spelling + " is the report being read; give the output another name\n");
            EXPECT_EQ(t::readFile(m), t::readFile(report()));
        }
    t::writeFile(dir + "/model.vek", "1989 1990 0 1989 1990 0 0 4 0 0 1 0\n");
    const ToolRun self = vektool(dir, {"convert", dir + "/model.vek", dir + "/model.vek"});
    EXPECT_EQ(self.status, 0) << self.err;
    EXPECT_EQ(t::readFile(dir + "/model.vek").rfind("Version 1.12\n", 0), 0u);
}

// A full device as standard output: a message with the system's reason and a
// failing status, not silence and 0.
TEST(VektoolOutputs, FullStandardOutputFails) {
    const std::string dir = t::freshDir("vektool_outputs_full");
    const std::vector<std::vector<std::string>> runs = {
        {"report", report()},
        {"report", report(), "--csv", "-"},
        {"report", report(), "--graph-data"},
        {"check", t::dataPath("model/two_locations.vek")},
    };
    for (const auto &args : runs) {
        SCOPED_TRACE(args.back());
        const ToolRun r = vektool(dir, args, "/dev/full");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("vektool: Unable to write standard output: No space left on device."), std::string::npos)
            << r.err;
    }
}

// A report cut short never replaces an export of an earlier read: what was
// read goes to a new file beside it, and the message names both.
TEST(VektoolOutputs, ACutReportKeepsEarlierExports) {
    const std::string dir = t::freshDir("vektool_outputs_cut");
    const std::string text = t::readFile(report());
    t::writeFile(dir + "/cut.out", text.substr(0, text.find("\r\n", text.find("1989      0.0")) + 2));
    struct Row {
        const char *option, *name, *partial;
    };
    const Row rows[] = {{"--csv", "run.csv", "run.partial.csv"},
                        {"--xlsx", "run.xlsx", "run.partial.xlsx"},
                        {"--output", "run.txt", "run.partial.txt"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.option);
        const std::string target = dir + "/" + row.name, partial = dir + "/" + row.partial;
        t::writeFile(target, "an export of a complete read");
        const ToolRun r = vektool(dir, {"report", dir + "/cut.out", row.option, target});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(t::readFile(target), "an export of a complete read");
        EXPECT_TRUE(fs::exists(partial));
        EXPECT_NE(r.err.find("Unexpected EOF reading 1990's data.\nvektool report: " + dir +
                             "/cut.out was not read completely; what was read was written to " + partial + ", and " +
                             target + " was left as it was.\n"),
                  std::string::npos)
            << r.err;
        // Where no file stood, what was read is written under the name given.
        fs::remove(target);
        fs::remove(partial);
        const ToolRun fresh = vektool(dir, {"report", dir + "/cut.out", row.option, target});
        EXPECT_EQ(fresh.status, 1);
        EXPECT_TRUE(fs::exists(target));
        EXPECT_FALSE(fs::exists(partial));
        EXPECT_NE(fresh.err.find("what was read was written to " + target + ".\n"), std::string::npos) << fresh.err;
    }
}

// A report whose read fails before its first complete location still shows
// its heading facts, then the message.
TEST(VektoolOutputs, AnEarlyFailureShowsTheHeading) {
    const std::string dir = t::freshDir("vektool_outputs_early");
    const std::string text = t::readFile(report());
    t::writeFile(dir + "/early.out", text.substr(0, text.find("DIVERSIONS FROM WELLS")));
    const ToolRun r = vektool(dir, {"report", dir + "/early.out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind("The last year of historical data is 1990\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("Monthly to daily conversions used average days per month (30.417)."), std::string::npos);
    EXPECT_EQ(r.err, "Unexepected EOF looking for well units.\n");
}

// A report written without location tables gives its two summaries to every
// output; a selection of nothing says so.
TEST(VektoolOutputs, UntitledReportsExportTheirSummaries) {
    const std::string dir = t::freshDir("vektool_outputs_untitled");
    const std::string untitled = t::dataPath("results/untitled_summaries.out");
    const ToolRun text = vektool(dir, {"report", untitled, "--years", "1990"});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Recharge Summary\nStream Depletion or Accretion Data  ( acre feet )\nYEAR\tNOV\tDEC"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("CU of Ground Water Summary\n"), std::string::npos);
    EXPECT_EQ(text.out.find("CU or Recharge Data"), std::string::npos);
    EXPECT_EQ(text.err, "");

    const ToolRun csv = vektool(dir, {"report", untitled, "--csv", "-", "--years", "avg"});
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_NE(
        csv.out.find("\r\n0,summary,Recharge Summary,,,stream,0,0,0,0,0,0,0,4.9,5.2,5.5,5.8,6.1,6.4,33.9,,average,"),
        std::string::npos)
        << csv.out;
    EXPECT_NE(csv.out.find("\r\n1,summary,CU of Ground Water Summary,,,stream,0,-25,"), std::string::npos);

    const ToolRun xlsx = vektool(dir, {"report", untitled, "--xlsx", dir + "/u.xlsx"});
    EXPECT_EQ(xlsx.status, 0) << xlsx.err;

    const ToolRun none = vektool(dir, {"report", untitled, "--no-stream"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.err, "vektool report: the selection holds no table; only the heading facts were written.\n");
}

// The workbook library's own "[ERROR]" lines never reach the user: one
// message of ours, naming the file and the reason.
TEST(VektoolOutputs, WorkbookFailuresAreOneMessage) {
    const std::string dir = t::freshDir("vektool_outputs_xlsx_limit");
    // A file size limit of 4 KB, with its signal ignored: the workbook cannot
    // be written anywhere.
    const std::string cmd = "trap '' XFSZ; ulimit -f 4; " + shellQuote(t::binDir() + "/vektool") + " report " +
                            shellQuote(report()) + " --xlsx " + shellQuote(dir + "/r.xlsx") + " 2>" +
                            shellQuote(dir + "/stderr.txt");
    const int st = std::system(("sh -c " + shellQuote(cmd)).c_str());
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 1);
    const std::string err = t::readFile(dir + "/stderr.txt");
    EXPECT_EQ(err.find("[ERROR]"), std::string::npos) << err;
    EXPECT_EQ(err.rfind("vektool report: Unable to write " + dir + "/r.xlsx: ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_FALSE(fs::exists(dir + "/r.xlsx"));
}
