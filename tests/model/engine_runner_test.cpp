// Running the engine from a document: with the real vek end to end, and with
// small stand-in engines (shell scripts) for the cases the real one cannot
// produce on demand. The engine runs in the model file's folder; the
// caller's working directory never changes.
#include "common/numbers.h"
#include "model/engine_runner.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "model/process_pipe.h"
#include "model/synthesis.h"
#include "model/year_types.h"
#include "results/output_results.h"
#include "support/model_builder.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace vek;
using vek::test::ScriptedPrompter;

namespace {

const char *kYearTypeMessage = "The model can only run in Irrigation Year format.  Choose a new year format by "
                               "selecting \"VEK->Properties (Units & Year Type)\" from the menu.";
const char *kStaleQuestion = "Warning: the synthesized data may not match the given historical data using the "
                             "selected synthesizing method (you can resynthesize the data by clicking the "
                             "'recalculate' button).  Run the model anyway?";

// One well with two historical years and a run to one year past them.
void fill(ModelDocument &d) {
    vek::test::ModelBuilder(2000, 2)
        .locations(1)
        .location(0,
                  [](Location &l) {
                      l.name = "Well A";
                      l.VEK = 10.0f;
                  })
        .historical([](int, int, int m) { return float(10 * (m + 1)); })
        .into(d);
    d.model.outputStartYear = 2000;
    d.model.outputEndYear = 2002;
    d.model.synthesizeFormat = 4;
    d.setModified();
}

// Saves a runnable document as `name` in a fresh folder.
std::string saveDoc(ModelDocument &d, vek::Prompter &p, const std::string &folder,
                    const std::string &name = "model.vek") {
    fill(d);
    std::string dir = vek::test::freshDir(folder);
    EXPECT_TRUE(d.save(dir + "/" + name, p));
    return dir;
}

// A stand-in engine: a shell script named vek in its own folder. It leaves a
// marker file in the working directory it ran in.
std::string fakeEngine(const std::string &folder, const std::string &body) {
    std::string dir = vek::test::freshDir(folder);
    vek::test::writeFile(dir + "/vek", "#!/bin/sh\necho \"$@\" > ran.txt\n" + body);
    chmod((dir + "/vek").c_str(), 0755);
    return dir + "/";
}

struct RunOutcome {
    RunResult result;
    std::vector<std::string> opened; // the reports handed over: absolute paths
};

RunOutcome run(ModelDocument &d, vek::Prompter &p, const std::string &programDir) {
    RunOutcome r;
    EngineRunHooks h;
    h.programDirectory = programDir;
    h.openReport = [&](const std::string &path) {
        EXPECT_TRUE(fs::path(path).is_absolute()) << path;
        r.opened.push_back(path);
    };
    const fs::path before = fs::current_path();
    r.result = runEngine(d, p, h);
    EXPECT_EQ(fs::current_path(), before);
    return r;
}

bool haveVek() { return fs::exists(vek::test::binDir() + "/vek"); }

} // namespace

TEST(EngineRunner, RealEngineEndToEnd) {
    ASSERT_TRUE(haveVek()) << "vek is not built in " << vek::test::binDir();
    ScriptedPrompter p;
    ModelDocument d;
    std::string dir = saveDoc(d, p, "runner_e2e");
    fs::path before = fs::current_path();
    RunOutcome r = run(d, p, vek::test::binDir() + "/");
    EXPECT_EQ(r.result, RunResult::Succeeded) << (p.messages.empty() ? "" : p.messages[0]);
    EXPECT_TRUE(p.messages.empty());
    EXPECT_TRUE(p.questions.empty()); // saved, not modified: no prompt
    ASSERT_EQ(r.opened.size(), 1u);
    EXPECT_EQ(fs::path(r.opened[0]), fs::path(dir) / "model.out");
    EXPECT_EQ(fs::current_path(), before);

    OutputResults out;
    ASSERT_TRUE(out.Load(r.opened[0], p));
    ASSERT_FALSE(out.locations.empty());
    EXPECT_EQ(out.locations[0].name, "Well A");
    EXPECT_EQ(out.firstPrintYear, 2000);
    EXPECT_EQ(out.lastPrintYear, 2002);
}

TEST(EngineRunner, RealEngineFailureShowsItsLines) {
    ASSERT_TRUE(haveVek()) << "vek is not built in " << vek::test::binDir();
    ScriptedPrompter p;
    ModelDocument d;
    std::string dir = saveDoc(d, p, "runner_fail");
    // An unreadable number in the first historical row.
    std::string text = vek::test::readFile(dir + "/model.vek");
    size_t at = text.find("\nWell A\n") + 8;
    text.replace(at, 2, "x1");
    vek::test::writeFile(dir + "/model.vek", text);
    std::string bin = vek::test::binDir() + "/";
    RunOutcome r = run(d, p, bin);
    EXPECT_EQ(r.result, RunResult::Failed);
    EXPECT_TRUE(r.opened.empty());
    ASSERT_EQ(p.messages.size(), 1u);
    const std::string head = "Error running " + bin + "vek model.vek:\n";
    EXPECT_EQ(p.messages[0].substr(0, head.size()), head);
    EXPECT_NE(p.messages[0].find("rror", head.size()), std::string::npos);
}

TEST(EngineRunner, NamesWithBlanksQuotesAndDollarsReachTheEngine) {
    ASSERT_TRUE(haveVek()) << "vek is not built in " << vek::test::binDir();
    ScriptedPrompter p;
    ModelDocument d;
    const std::string name = "my \"odd\" $HOME 'x'.vek";
    std::string dir = saveDoc(d, p, "runner names $x", name);
    RunOutcome r = run(d, p, vek::test::binDir() + "/");
    EXPECT_EQ(r.result, RunResult::Succeeded) << (p.messages.empty() ? "" : p.messages[0]);
    ASSERT_EQ(r.opened.size(), 1u);
    EXPECT_EQ(fs::path(r.opened[0]), fs::path(dir) / "my \"odd\" $HOME 'x'.out");
    EXPECT_TRUE(fs::exists(fs::path(dir) / "my \"odd\" $HOME 'x'.out"));
}

TEST(EngineRunner, OnlyIrrigationYearsRun) {
    for (int mode : {0, 2}) {
        ScriptedPrompter p;
        ModelDocument d;
        std::string dir = saveDoc(d, p, "runner_yeartype");
        d.model.yearMode = mode;
        std::string engine = fakeEngine("runner_yeartype_engine", "echo Stop\n");
        EXPECT_EQ(run(d, p, engine).result, RunResult::Refused);
        EXPECT_EQ(p.messages, std::vector<std::string>{kYearTypeMessage});
        EXPECT_FALSE(fs::exists(dir + "/ran.txt"));
    }
}

TEST(EngineRunner, StaleSynthesisQuestion) {
    struct Row {
        int method;
        bool stale;
        bool answer;
        bool asked, runs;
    } rows[] = {
        {1, true, false, true, false},  {3, true, true, true, true}, {4, true, false, false, true},
        {2, false, false, false, true}, {0, true, true, true, true},
    };
    for (const auto &r : rows) {
        ScriptedPrompter p;
        ModelDocument d;
        std::string dir = saveDoc(d, p, "runner_stale");
        d.model.synthesizeFormat = r.method;
        d.historicalDataChanged = r.stale;
        p.yesNo.push_back(r.answer);
        std::string engine = fakeEngine("runner_stale_engine", "echo ' Stop - Program terminated.'\n");
        RunOutcome res = run(d, p, engine);
        EXPECT_EQ(p.questions.size(), r.asked ? 1u : 0u) << r.method;
        if (r.asked) {
            EXPECT_EQ(p.questions[0], kStaleQuestion);
        }
        EXPECT_EQ(fs::exists(dir + "/ran.txt"), r.runs) << r.method;
        EXPECT_EQ(res.result == RunResult::Succeeded, r.runs);
        if (r.asked && r.answer) {
            EXPECT_FALSE(d.historicalDataChanged);
        }
    }
}

TEST(EngineRunner, SavePromptOnANeverSavedDocument) {
    const std::string engine = fakeEngine("runner_save_never_engine", "echo ok\n");
    // Never saved, No: asked to save first, nothing started, no
    // message about a folder.
    ScriptedPrompter p;
    ModelDocument d;
    fill(d);
    p.yesNo.push_back(false);
    EXPECT_EQ(run(d, p, engine).result, RunResult::Refused);
    EXPECT_EQ(p.questions, std::vector<std::string>{vek::kSaveBeforeRunQuestion});
    EXPECT_TRUE(p.messages.empty());
    // Also when nothing has changed yet.
    ModelDocument unchanged;
    fill(unchanged);
    unchanged.setModified(false);
    p.yesNo.push_back(false);
    EXPECT_EQ(run(unchanged, p, engine).result, RunResult::Refused);
    EXPECT_EQ(p.questions.size(), 2u);
    EXPECT_TRUE(p.messages.empty());
    // A document the engine would refuse (a new one has no run years)
    // is refused before anything is asked.
    ModelDocument empty;
    EXPECT_EQ(run(empty, p, engine).result, RunResult::Refused);
    EXPECT_EQ(p.questions.size(), 2u);
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], std::string(vek::kModelCannotRunMessage) +
                                 "The model has no years yet: set its Historical Start Year and End Year, "
                                 "then the run's years.");
}

TEST(EngineRunner, SavePromptOnUnsavedChanges) {
    const std::string engine = fakeEngine("runner_save_changes_engine", "echo ok\n");
    // Unsaved changes: Cancel (also a dismissed question) stops the run;
    // the file on disk stays as it was.
    ScriptedPrompter p;
    ModelDocument d;
    std::string dir = saveDoc(d, p, "runner_save_cancel");
    d.setModified();
    d.model.locations[0].name = "changed";
    for (const char *answer : {vek::kCancelRun, ""}) {
        p.choices.push_back(answer);
        EXPECT_EQ(run(d, p, engine).result, RunResult::Refused);
    }
    ASSERT_EQ(p.choiceButtons.size(), 2u);
    EXPECT_EQ(p.choiceButtons[0], (std::vector<std::string>{vek::kSaveAndRun, vek::kRunSavedFile, vek::kCancelRun}));
    EXPECT_EQ(p.defaultChoices[0], vek::kSaveAndRun);
    EXPECT_EQ(p.questions[0].rfind(d.path() + " has changes that are not saved.", 0), 0u) << p.questions[0];
    EXPECT_FALSE(fs::exists(dir + "/ran.txt"));
    EXPECT_EQ(vek::test::readFile(dir + "/model.vek").find("changed"), std::string::npos);

    // The saved file runs as it is, and the caller hears that it did.
    p.choices.push_back(vek::kRunSavedFile);
    bool savedFileChosen = false, started = false;
    EngineRunHooks h;
    h.programDirectory = engine;
    h.savedFileChosen = [&] { savedFileChosen = true; };
    h.engineStarting = [&] { started = true; };
    EXPECT_EQ(runEngine(d, p, h), RunResult::Succeeded);
    EXPECT_TRUE(savedFileChosen);
    EXPECT_TRUE(started);
    EXPECT_TRUE(d.isModified());
    EXPECT_EQ(vek::test::readFile(dir + "/model.vek").find("changed"), std::string::npos);

    // Save and Run saves first.
    p.choices.push_back(vek::kSaveAndRun);
    savedFileChosen = false;
    EXPECT_EQ(runEngine(d, p, h), RunResult::Succeeded);
    EXPECT_FALSE(savedFileChosen);
    EXPECT_FALSE(d.isModified());
    EXPECT_NE(vek::test::readFile(dir + "/model.vek").find("changed"), std::string::npos);
}

TEST(EngineRunner, SaveAsksForANameAndRunsThere) {
    const std::string engine = fakeEngine("runner_save_name_engine", "echo ok\n");
    // Yes on a never-saved document asks for a name, saves and runs there.
    ScriptedPrompter p;
    ModelDocument d;
    fill(d);
    std::string dir = vek::test::freshDir("runner_save_yes");
    p.yesNo.push_back(true);
    EngineRunHooks h;
    h.programDirectory = engine;
    h.askSavePath = [&] { return dir + "/named.vek"; };
    std::string opened;
    h.openReport = [&](const std::string &n) { opened = n; };
    EXPECT_EQ(runEngine(d, p, h), RunResult::Succeeded);
    EXPECT_EQ(fs::path(opened), fs::path(dir) / "named.out");
    EXPECT_EQ(vek::test::readFile(dir + "/ran.txt"), "named.vek named.out /dde\n");
    EXPECT_FALSE(d.isModified());
    // Yes with no name given (dialog cancelled) stops.
    d.setModified();
    p.yesNo.push_back(true);
    ModelDocument fresh;
    fill(fresh);
    h.askSavePath = [] { return std::string(); };
    EXPECT_EQ(runEngine(fresh, p, h), RunResult::Refused);
}

TEST(EngineRunner, AFailedSaveStopsTheRun) {
    const std::string engine = fakeEngine("runner_save_fails_engine", "echo ok\n");
    // A save that fails stops the run.
    ScriptedPrompter p;
    ModelDocument d;
    std::string dir = saveDoc(d, p, "runner_save_fails");
    d.setModified();
    d.setPath(dir + "/gone/model.vek");
    p.choices.push_back(vek::kSaveAndRun);
    EXPECT_EQ(run(d, p, engine).result, RunResult::Refused);
    EXPECT_EQ(p.messages.back().substr(0, p.messages.back().find('\n')),
              "SaveInput: Unable to open VEK input file " + dir + "/gone/model.vek");
}

TEST(EngineRunner, OutputDecidesSuccess) {
    struct Row {
        std::string script;
        bool ok;
        std::string shown; // collected text in the failure message
    } rows[] = {
        {"echo ' Stop - Program terminated.'\n", true, ""},
        {"echo 'line one'\necho 'run-time error 6' >&2\n", false, "line one\nrun-time error 6\n"},
        {"echo 'FATAL ERROR'\n", false, "FATAL ERROR\n"},
        {"", false, ""},                                    // nothing at all
        {"printf 'all fine'\n", false, ""},                 // a last line without line end is not collected
        {"printf 'Error\\r\\nlast'\n", false, "Error\r\n"}, // carriage returns kept
        // A child that ends with a status other than 0 failed, whatever it printed.
        {"echo ' Stop - Program terminated.'; exit 3\n", false, " Stop - Program terminated.\n"},
        {"echo done; exit 3\n", false, "done\n"},
        {"echo done; exit 0\n", true, ""},
    };
    for (const auto &r : rows) {
        ScriptedPrompter p;
        ModelDocument d;
        saveDoc(d, p, "runner_output");
        std::string engine = fakeEngine("runner_output_engine", r.script);
        RunOutcome res = run(d, p, engine);
        EXPECT_EQ(res.result == RunResult::Succeeded, r.ok) << r.script;
        if (r.ok) {
            EXPECT_EQ(res.opened.size(), 1u);
            EXPECT_TRUE(p.messages.empty());
        } else {
            ASSERT_EQ(p.messages.size(), 1u) << r.script;
            EXPECT_EQ(p.messages[0], "Error running " + engine + "vek model.vek:\n" + r.shown);
        }
    }
}

TEST(EngineRunner, EngineThatCannotStart) {
    ScriptedPrompter p;
    ModelDocument d;
    std::string dir = saveDoc(d, p, "runner_nostart");
    fs::path before = fs::current_path();
    auto t0 = std::chrono::steady_clock::now();
    RunOutcome r = run(d, p, dir + "/no such folder/");
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    EXPECT_EQ(r.result, RunResult::Failed);
    EXPECT_EQ(p.messages, std::vector<std::string>{"Error running " + dir + "/no such folder/vek model.vek:\n"});
    EXPECT_EQ(fs::current_path(), before);
}

TEST(EngineRunner, InputFolderThatIsGone) {
    ScriptedPrompter p;
    ModelDocument d;
    const std::string dir = saveDoc(d, p, "runner_gone");
    d.setPath(dir + "/gone/model.vek"); // saved, then its folder went away
    const std::string engine = fakeEngine("runner_gone_engine", "echo ' Stop - Program terminated.'\n");
    EXPECT_EQ(run(d, p, engine).result, RunResult::NoFolder);
    EXPECT_EQ(p.messages, std::vector<std::string>{"Unable to change to directory " + dir + "/gone/"});
    EXPECT_FALSE(fs::exists(engine + "ran.txt"));
}

// The run without a document: a saved file, a folder of engines, a result
// that says what happened.
TEST(EngineRunFile, ResultCarriesStatusOutputAndTheAbsoluteReport) {
    vek::SilentPrompter p;
    ModelDocument d;
    const std::string dir = saveDoc(d, p, "runner_file");
    const std::string engine = fakeEngine("runner_file_engine", "echo ' Stop - Program terminated.'\nexit 5\n");
    const EngineRunResult r = runEngineFile(dir + "/model.vek", engine);
    EXPECT_EQ(r.status, EngineRunResult::Status::Failed);
    EXPECT_EQ(r.exitStatus, 5);
    EXPECT_EQ(r.output, " Stop - Program terminated.\n");
    EXPECT_EQ(r.message, "Error running " + engine + "vek model.vek:\n Stop - Program terminated.\n");
    EXPECT_EQ(fs::path(r.reportPath), fs::path(dir) / "model.out");
    // It ran in the file's folder.
    EXPECT_EQ(vek::test::readFile(dir + "/ran.txt"), "model.vek model.out /dde\n");
}

TEST(EngineRunner, LotsOfOutputAndAQuestionDoNotHang) {
    ScriptedPrompter p;
    ModelDocument d;
    std::string dir = saveDoc(d, p, "runner_big");
    // Far more than a pipe holds, on both streams, then a read of standard
    // input, which must see its end rather than wait.
    std::string engine = fakeEngine("runner_big_engine", "seq 1 100000\nseq 1 50000 >&2\nread answer\necho Stop\n");
    RunOutcome r = run(d, p, engine);
    EXPECT_EQ(r.result, RunResult::Succeeded);
}

TEST(ProcessPipe, ArgumentsArriveUnchangedAndStatusIsReported) {
    std::string dir = vek::test::freshDir("process_pipe");
    vek::test::writeFile(dir + "/show", "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done\nexit 7\n");
    chmod((dir + "/show").c_str(), 0755);
    ProcessPipe pp({dir + "/show", "a b", "\"q\"", "$HOME;`x`", ""});
    ASSERT_TRUE(pp.started());
    std::vector<std::string> lines;
    std::string l;
    while (pp.readLine(l))
        lines.push_back(l);
    EXPECT_EQ(lines, (std::vector<std::string>{"[a b]", "[\"q\"]", "[$HOME;`x`]", "[]"}));
    EXPECT_EQ(pp.close(), 7);
    EXPECT_EQ(pp.close(), 7);

    ProcessPipe none({dir + "/missing"});
    EXPECT_FALSE(none.started());
    EXPECT_FALSE(none.readLine(l));
    EXPECT_EQ(none.close(), -1);
}

TEST(ProcessPipe, ChildRunsInItsFolderAndTheCallersStays) {
    const std::string dir = vek::test::freshDir("process_pipe_folder");
    fs::create_directories(dir + "/work dir");
    vek::test::writeFile(dir + "/where", "#!/bin/sh\npwd\n");
    chmod((dir + "/where").c_str(), 0755);
    const fs::path before = fs::current_path();
    ProcessPipe pp({dir + "/where"}, dir + "/work dir");
    ASSERT_TRUE(pp.started());
    std::string l;
    ASSERT_TRUE(pp.readLine(l));
    EXPECT_EQ(fs::canonical(l), fs::canonical(dir + "/work dir"));
    EXPECT_EQ(pp.close(), 0);
    EXPECT_EQ(fs::current_path(), before);
    // A folder the child cannot enter: it is not started.
    ProcessPipe nowhere({dir + "/where"}, dir + "/no such folder");
    EXPECT_FALSE(nowhere.readLine(l));
    EXPECT_NE(nowhere.close(), 0);
}

// A file written by SaveInput is a valid engine deck on its own.
TEST(EngineRunner, SavedFileRunsInTheEngineDirectly) {
    ASSERT_TRUE(haveVek()) << "vek is not built in " << vek::test::binDir();
    vek::SilentPrompter p;
    ModelDocument d;
    std::string dir = saveDoc(d, p, "runner_direct");
    d.model.synthesizeFormat = 1; // with synthesized years from the average
    d.setSynthesizedYearCount(2);
    ASSERT_TRUE(d.save(dir + "/model.vek", p));
    // The engine keeps 45 characters of a name: run it in the folder.
    ProcessPipe pp({vek::test::binDir() + "/vek", "model.vek", "model.out", "/dde"}, dir);
    std::string all, l;
    while (pp.readLine(l))
        all += l + "\n";
    EXPECT_EQ(pp.close(), 0) << all;
    EXPECT_EQ(all, " Stop - Program terminated.\n");
    std::string report = vek::test::readFile(dir + "/model.out");
    EXPECT_NE(report.find("STREAM DEPLETION"), std::string::npos);
    EXPECT_NE(report.find("NUMBER OF YEARS OF SYNTHESIZED DATA ARE     2"), std::string::npos);
}

// Documents built through the document operations, saved and run in the real
// engine: the report heading names the document's years, and every printed
// diversion is the value of the year and month the document holds there.
namespace saved_documents {

namespace {

// A document with `years` historical years from `start` and `n` locations
// whose every historical cell differs, run over its historical years; the
// document's settings (year type, units) stay.
void makeDocument(ModelDocument &d, int start, int years, int n) {
    vek::test::ModelBuilder(start, years)
        .settingsOf(d.model)
        .locations(n)
        .distinctHistorical()
        .runOverHistorical()
        .into(d);
    d.setModified();
}

struct Case {
    const char *what;
    std::function<void(ModelDocument &)> build;
    // After building, convert to average daily acre-feet with this
    // monthly-to-daily rule (0 actual days, 1 30.417 days); -1 keeps monthly.
    int dailyRule = -1;
};

// One row of a report table: the year and 12 months (F9.1 fields).
struct Row {
    int year = 0;
    float month[12] = {};
};

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        out.push_back(l);
    }
    return out;
}

// The diversion table of the location block whose name starts as `name`.
std::vector<Row> diversionTable(const std::vector<std::string> &report, const std::string &name, int runYears) {
    std::vector<Row> rows;
    const std::string want = "LOCATION:        " + name.substr(0, 60);
    size_t i = 0;
    while (i < report.size() && report[i].rfind(want, 0) != 0)
        ++i;
    while (i < report.size() && report[i].rfind("YEAR", 0) != 0)
        ++i;
    for (int y = 0; y < runYears && ++i < report.size(); ++y) {
        Row r;
        const std::string &l = report[i];
        r.year = vek::leadingInteger(l.substr(0, 4));
        for (int j = 1; j <= 12; ++j)
            r.month[j - 1] = vek::leadingNumber(l.substr(static_cast<size_t>(9 * j - 5), 9));
        rows.push_back(r);
    }
    return rows;
}

std::string headingLine(const std::vector<std::string> &report, const std::string &start) {
    for (const auto &l : report)
        if (l.rfind(start, 0) == 0) return l;
    return "<missing " + start + ">";
}

const std::vector<Case> &cases() {
    static const std::vector<Case> c = {
        {"one year, one well, nothing synthesized", [](ModelDocument &d) { makeDocument(d, 2000, 1, 1); }},
        {"five years, three synthesized from a given year, run past the data, CFS and Ac-Ft pumping records",
         [](ModelDocument &d) {
             makeDocument(d, 1996, 5, 3);
             auto &l = d.model.locations;
             l[0].name = std::string(100, 'L') + " long";
             l[0].UsePumpingRecord = 1;
             l[0].Units = 0;
             l[1].LocationType = vek::RechargeSite;
             l[1].name = "Recharge 1";
             l[1].Units = 1;
             l[2].name = "Well C";
             for (auto &loc : l)
                 for (int m = 0; m < 12; ++m)
                     for (size_t k = 0; k < loc.pumpingFlow[m].size(); ++k) {
                         loc.pumpingFlow[m][k] = 1.5f + static_cast<float>(m);
                         loc.daysOn[m][k] = 30.0f;
                     }
             d.setSynthesizedYearCount(3);
             ASSERT_TRUE(vek::synthesizeGivenYear(d.model, 1999).ok());
             d.model.outputEndYear = 2004; // one year past the last synthesized
         }},
        {"a 600-character name, an unused location between two used ones, a cycle",
         [](ModelDocument &d) {
             makeDocument(d, 1980, 4, 3);
             d.model.locations[0].name = std::string(600, 'x');
             d.model.locations[1].UseInOutput = 0;
             d.model.locations[2].name = "After the unused one";
             d.setSynthesizedYearCount(7);
             ASSERT_TRUE(vek::synthesizeCycle(d.model, 1981, 3).ok());
             d.model.outputEndYear = d.model.synthEndYear;
         }},
        {"run starts and ends inside the data",
         [](ModelDocument &d) {
             makeDocument(d, 1990, 6, 2);
             d.setSynthesizedYearCount(4);
             ASSERT_TRUE(vek::synthesizeAverage(d.model, {1990, 1995}).ok());
             d.model.outputStartYear = 1992;
             d.model.outputEndYear = 1997;
         }},
        {"Calendar document whose last December holds water, changed to Irrigation Year",
         [](ModelDocument &d) {
             d.model.yearMode = vek::CalendarYear;
             makeDocument(d, 2001, 3, 2);
             ASSERT_TRUE(vek::changeYearType(d.model, vek::IrrigationYear).yearAdded);
             ASSERT_EQ(d.model.inputEndYear, 2004);
             d.model.outputEndYear = 2004;
         }},
        {"values in average daily acre-feet by actual days, leap Februaries in both periods",
         [](ModelDocument &d) {
             makeDocument(d, 1999, 6, 2);
             d.setSynthesizedYearCount(4); // 2005 to 2008
             ASSERT_TRUE(vek::synthesizeGivenYear(d.model, 2000).ok());
             d.model.outputEndYear = d.model.synthEndYear;
         },
         0},
        {"values in average daily acre-feet by 30.417 days", [](ModelDocument &d) { makeDocument(d, 2010, 2, 1); }, 1},
        {"values that %g writes in exponent form",
         [](ModelDocument &d) {
             makeDocument(d, 2000, 2, 1);
             d.model.locations[0].historicalData[3][1] = 1234567.0f;
             d.model.locations[0].historicalData[4][0] = 0.00001f;
             d.model.locations[0].VEK = 1.5e6f;
             // Positive, so the printed 1234570.0 fills its field exactly.
             d.model.locations[0].LocationType = vek::RechargeSite;
         }},
    };
    return c;
}

} // namespace

class SavedDocumentRuns : public ::testing::TestWithParam<size_t> {};

TEST_P(SavedDocumentRuns, HeadingAndTablesFollowTheDocument) {
    ASSERT_TRUE(haveVek()) << "vek is not built in " << vek::test::binDir();
    const Case &c = cases()[GetParam()];
    SCOPED_TRACE(c.what);
    ScriptedPrompter p;
    ModelDocument d;
    c.build(d);
    if (HasFatalFailure()) return;
    // The engine turns daily values back into monthly volumes with its own
    // calendar, so the report must show the monthly values from before the
    // conversion.
    const vek::ModelInput monthly = d.model;
    if (c.dailyRule >= 0) {
        d.model.useAvgDaysPerMonth = c.dailyRule == 1;
        ASSERT_TRUE(vek::changeUnits(d.model, vek::AverageDailyAcreFeet).changed);
    }

    const std::string dir = vek::test::freshDir("review_engine_" + std::to_string(GetParam()));
    ASSERT_TRUE(d.save(dir + "/model.vek", p));
    // The saved file reads back as the same periods.
    ModelDocument saved;
    ASSERT_TRUE(vek::ReadInput(saved, p, dir + "/model.vek"));
    EXPECT_EQ(saved.model.inputEndYear, d.model.inputEndYear);
    EXPECT_EQ(saved.model.synthesizedYears(), d.model.synthesizedYears());
    // The report is compared with the document in memory, not with what was
    // read back, so a setting the writer gets wrong cannot hide itself.
    const vek::ModelInput &m = d.model;

    vek::ProcessPipe engine({vek::test::binDir() + "/vek", "model.vek", "model.out", "/dde"}, dir);
    std::string console, l;
    while (engine.readLine(l))
        console += l + "\n";
    const int status = engine.close();
    ASSERT_EQ(status, 0) << console;
    EXPECT_EQ(console, " Stop - Program terminated.\n");

    const auto report = lines(vek::test::readFile(dir + "/model.out"));
    char buf[200];
    std::snprintf(buf, sizeof buf, "          THE LAST YEAR OF HISTORICAL DATA IS%5d.", m.inputEndYear);
    EXPECT_EQ(headingLine(report, "          THE LAST YEAR"), buf);
    int n = m.synthesizedYears();
    if (m.inputEndYear < m.outputStartYear) n = std::max(0, n - (m.outputStartYear - m.inputEndYear));
    std::snprintf(buf, sizeof buf, "          NUMBER OF YEARS OF SYNTHESIZED DATA ARE %5d", n);
    EXPECT_EQ(headingLine(report, "          NUMBER OF YEARS"), buf);
    std::snprintf(buf, sizeof buf, "          PRINT OUT OF DEPLETIONS IS FOR YEARS %4d TO %4d INCLUSIVE.",
                  m.outputStartYear, m.outputEndYear);
    EXPECT_EQ(headingLine(report, "          PRINT OUT"), buf);
    EXPECT_EQ(headingLine(report, "          MONTHLY TO DAILY"),
              std::string("          MONTHLY TO DAILY CONVERSIONS USED ") +
                  (m.useAvgDaysPerMonth ? "AVERAGE DAYS PER MONTH (30.417)." : "ACTUAL DAYS IN THE MONTH."));

    const int runYears = m.outputEndYear - m.outputStartYear + 1;
    const int lastDataYear = m.inputEndYear + m.synthesizedYears();
    for (const auto &loc : monthly.locations) {
        const auto rows = diversionTable(report, loc.name, runYears);
        if (!loc.UseInOutput) {
            EXPECT_TRUE(rows.empty()) << "unused location printed: " << loc.name.substr(0, 20);
            continue;
        }
        ASSERT_EQ(rows.size(), static_cast<size_t>(runYears)) << loc.name.substr(0, 20);
        const float sign = loc.isWell() ? -1.0f : 1.0f;
        for (int y = 0; y < runYears; ++y) {
            const int year = m.outputStartYear + y;
            EXPECT_EQ(rows[y].year, year);
            for (int mo = 0; mo < 12; ++mo) {
                float v = 0.0f;
                if (year <= m.inputEndYear)
                    v = loc.historicalData[mo][static_cast<size_t>(year - m.inputStartYear)];
                else if (year <= lastDataYear)
                    v = loc.synthesizedData[mo][static_cast<size_t>(year - m.inputEndYear - 1)];
                const float expected = sign * v;
                // Six significant digits in the file, one decimal in the report.
                EXPECT_NEAR(rows[y].month[mo], expected, 0.051f + 8e-6f * std::fabs(expected))
                    << loc.name.substr(0, 20) << " year " << year << " column " << mo;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, SavedDocumentRuns, ::testing::Range<size_t>(0, 8));

// The engine keeps 45 characters of each name. A run whose input or report
// name is longer is refused before the engine starts, so it can neither read
// another file nor leave an older report of the full name to be opened.
TEST(EngineNames, LongerThanTheEngineReadsAreRefused) {
    ASSERT_TRUE(haveVek()) << "vek is not built in " << vek::test::binDir();
    struct Row {
        std::string fileName;
        bool runs;
        std::string tooLong; // the name the message quotes
    } rows[] = {
        {std::string(41, 'a') + ".vek", true, ""},                             // 45 and 45: the longest that run
        {std::string(42, 'b') + ".vek", false, std::string(42, 'b') + ".vek"}, // input 46
        {std::string(43, 'c'), false, std::string(43, 'c') + ".out"},          // input 43, report 47
        {std::string(42, 'd') + ".v", false, std::string(42, 'd') + ".out"},   // input 44, report 46
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.fileName);
        ScriptedPrompter p;
        ModelDocument d;
        makeDocument(d, 2000, 1, 1);
        const std::string dir = vek::test::freshDir("review_names");
        const fs::path base = fs::path(r.fileName).stem();
        // An older report of the full name that a cut name would leave in place.
        vek::test::writeFile(dir + "/" + base.string() + ".out", "old report\n");
        ASSERT_TRUE(d.save(dir + "/" + r.fileName, p));
        const fs::path before = fs::current_path();
        std::vector<std::string> opened;
        vek::EngineRunHooks h;
        h.programDirectory = vek::test::binDir() + "/";
        h.openReport = [&](const std::string &name) { opened.push_back(name); };
        const vek::RunResult result = vek::runEngine(d, p, h);
        EXPECT_EQ(fs::current_path(), before);
        const std::string report = vek::test::readFile(dir + "/" + base.string() + ".out");
        if (r.runs) {
            EXPECT_EQ(result, vek::RunResult::Succeeded);
            EXPECT_TRUE(p.messages.empty()) << p.messages[0];
            EXPECT_EQ(opened, std::vector<std::string>{(fs::path(dir) / (base.string() + ".out")).string()});
            EXPECT_NE(report.find("STREAM DEPLETION"), std::string::npos);
        } else {
            EXPECT_EQ(result, vek::RunResult::Refused);
            EXPECT_EQ(p.messages, std::vector<std::string>{"The file name " + r.tooLong +
                                                           " is longer than the 45 characters the engine reads.  "
                                                           "Save the model under a shorter name and run it again."});
            EXPECT_TRUE(opened.empty());
            EXPECT_EQ(report, "old report\n");
            EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2); // model, old report
        }
    }
}

} // namespace saved_documents
