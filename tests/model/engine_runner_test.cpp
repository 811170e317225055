// Running the engine from a document: with the real vek end to end, and with
// small stand-in engines (shell scripts) for the cases the real one cannot
// produce on demand.
#include "model/engine_runner.h"
#include "model/model_document.h"
#include "model/process_pipe.h"
#include "results/output_results.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
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
    auto &m = d.model;
    m.inputStartYear = 2000;
    m.inputEndYear = 2001;
    m.synthStartYear = 2002;
    m.synthEndYear = 2001;
    m.outputStartYear = 2000;
    m.outputEndYear = 2002;
    m.synthesizeFormat = 4;
    d.resetLocations(1);
    auto &l = d.model.locations[0];
    l.name = "Well A";
    l.VEK = 10.0f;
    for (int mo = 0; mo < 12; ++mo)
        for (int k = 0; k < 2; ++k)
            l.historicalData[mo][k] = float(10 * (mo + 1));
}

// Saves a runnable document as `name` in a fresh folder.
std::string saveDoc(ModelDocument &d, const std::string &folder, const std::string &name = "model.vek") {
    fill(d);
    std::string dir = vek::test::freshDir(folder);
    EXPECT_TRUE(d.save(dir + "/" + name));
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
    std::vector<std::string> opened; // report names with the folder they were opened in
};

RunOutcome run(ModelDocument &d, const std::string &programDir) {
    RunOutcome r;
    EngineRunHooks h;
    h.programDirectory = programDir;
    h.openReport = [&](const std::string &name) { r.opened.push_back((fs::current_path() / name).string()); };
    r.result = runEngine(d, h);
    return r;
}

bool haveVek() { return fs::exists(vek::test::binDir() + "/vek"); }

} // namespace

TEST(EngineRunner, RealEngineEndToEnd) {
    if (!haveVek()) GTEST_SKIP() << "vek is not built in " << vek::test::binDir();
    ScriptedPrompter p;
    ModelDocument d(&p);
    std::string dir = saveDoc(d, "runner_e2e");
    fs::path before = fs::current_path();
    RunOutcome r = run(d, vek::test::binDir() + "/");
    EXPECT_EQ(r.result, RunResult::Succeeded) << (p.messages.empty() ? "" : p.messages[0]);
    EXPECT_TRUE(p.messages.empty());
    EXPECT_TRUE(p.questions.empty()); // saved, not modified: no prompt
    ASSERT_EQ(r.opened.size(), 1u);
    EXPECT_EQ(fs::path(r.opened[0]), fs::path(dir) / "model.out");
    EXPECT_EQ(fs::current_path(), before);
    EXPECT_EQ(d.title(), d.path());

    OutputResults out;
    ASSERT_TRUE(out.Load(r.opened[0], p));
    ASSERT_FALSE(out.locations.empty());
    EXPECT_EQ(out.locations[0].name, "Well A");
    EXPECT_EQ(out.firstPrintYear, 2000);
    EXPECT_EQ(out.lastPrintYear, 2002);
}

TEST(EngineRunner, RealEngineFailureShowsItsLines) {
    if (!haveVek()) GTEST_SKIP() << "vek is not built in " << vek::test::binDir();
    ScriptedPrompter p;
    ModelDocument d(&p);
    std::string dir = saveDoc(d, "runner_fail");
    // An unreadable number in the first historical row.
    std::string text = vek::test::readFile(dir + "/model.vek");
    size_t at = text.find("\nWell A\n") + 8;
    text.replace(at, 2, "x1");
    vek::test::writeFile(dir + "/model.vek", text);
    std::string bin = vek::test::binDir() + "/";
    RunOutcome r = run(d, bin);
    EXPECT_EQ(r.result, RunResult::Failed);
    EXPECT_TRUE(r.opened.empty());
    ASSERT_EQ(p.messages.size(), 1u);
    const std::string head = "Error running " + bin + "vek model.vek:\n";
    EXPECT_EQ(p.messages[0].substr(0, head.size()), head);
    EXPECT_NE(p.messages[0].find("rror", head.size()), std::string::npos);
}

TEST(EngineRunner, NamesWithBlanksQuotesAndDollarsReachTheEngine) {
    if (!haveVek()) GTEST_SKIP() << "vek is not built in " << vek::test::binDir();
    ScriptedPrompter p;
    ModelDocument d(&p);
    const std::string name = "my \"odd\" $HOME 'x'.vek";
    std::string dir = saveDoc(d, "runner names $x", name);
    RunOutcome r = run(d, vek::test::binDir() + "/");
    EXPECT_EQ(r.result, RunResult::Succeeded) << (p.messages.empty() ? "" : p.messages[0]);
    ASSERT_EQ(r.opened.size(), 1u);
    EXPECT_EQ(fs::path(r.opened[0]), fs::path(dir) / "my \"odd\" $HOME 'x'.out");
    EXPECT_TRUE(fs::exists(fs::path(dir) / "my \"odd\" $HOME 'x'.out"));
}

TEST(EngineRunner, OnlyIrrigationYearsRun) {
    for (int mode : {0, 2}) {
        ScriptedPrompter p;
        ModelDocument d(&p);
        std::string dir = saveDoc(d, "runner_yeartype");
        d.model.yearMode = mode;
        std::string engine = fakeEngine("runner_yeartype_engine", "echo Stop\n");
        EXPECT_EQ(run(d, engine).result, RunResult::Refused);
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
        ModelDocument d(&p);
        std::string dir = saveDoc(d, "runner_stale");
        d.model.synthesizeFormat = r.method;
        d.historicalDataChanged = r.stale;
        p.yesNo.push_back(r.answer);
        std::string engine = fakeEngine("runner_stale_engine", "echo ' Stop - Program terminated.'\n");
        RunOutcome res = run(d, engine);
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

TEST(EngineRunner, SavePrompt) {
    std::string engine = fakeEngine("runner_save_engine", "echo ok\n");
    {
        // Never saved, No: no folder to run in, nothing started.
        ScriptedPrompter p;
        ModelDocument d(&p);
        fill(d);
        p.yesNoCancel.push_back(Answer::No);
        EXPECT_EQ(run(d, engine).result, RunResult::NoFolder);
        EXPECT_EQ(p.questions, std::vector<std::string>{"Save changes to Untitled?"});
        EXPECT_EQ(p.messages, std::vector<std::string>{"Unable to change to directory "});
    }
    {
        // Cancel stops the run; the file on disk stays as it was.
        ScriptedPrompter p;
        ModelDocument d(&p);
        std::string dir = saveDoc(d, "runner_save_cancel");
        d.setModified();
        d.model.locations[0].name = "changed";
        p.yesNoCancel.push_back(Answer::Cancel);
        EXPECT_EQ(run(d, engine).result, RunResult::Refused);
        EXPECT_EQ(p.questions, std::vector<std::string>{"Save changes to " + d.path() + "?"});
        EXPECT_FALSE(fs::exists(dir + "/ran.txt"));
        EXPECT_EQ(vek::test::readFile(dir + "/model.vek").find("changed"), std::string::npos);
    }
    {
        // Yes on a never-saved document asks for a name, saves and runs there.
        ScriptedPrompter p;
        ModelDocument d(&p);
        fill(d);
        std::string dir = vek::test::freshDir("runner_save_yes");
        p.yesNoCancel.push_back(Answer::Yes);
        EngineRunHooks h;
        h.programDirectory = engine;
        h.askSavePath = [&] { return dir + "/named.vek"; };
        std::string opened;
        h.openReport = [&](const std::string &n) { opened = n; };
        EXPECT_EQ(runEngine(d, h), RunResult::Succeeded);
        EXPECT_EQ(opened, "named.out");
        EXPECT_EQ(vek::test::readFile(dir + "/ran.txt"), "named.vek named.out /dde\n");
        EXPECT_FALSE(d.isModified());
        // Yes with no name given (dialog cancelled) stops.
        d.setModified();
        p.yesNoCancel.push_back(Answer::Yes);
        ModelDocument fresh(&p);
        fill(fresh);
        h.askSavePath = [] { return std::string(); };
        EXPECT_EQ(runEngine(fresh, h), RunResult::Refused);
    }
    {
        // A save that fails stops the run.
        ScriptedPrompter p;
        ModelDocument d(&p);
        std::string dir = saveDoc(d, "runner_save_fails");
        d.setModified();
        d.setPath(dir + "/gone/model.vek");
        p.yesNoCancel.push_back(Answer::Yes);
        EXPECT_EQ(run(d, engine).result, RunResult::Refused);
        EXPECT_EQ(p.messages.back(), "SaveInput: Unable to open VEK input file " + dir + "/gone/model.vek");
    }
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
        {"echo done; exit 3\n", true, ""},                  // the exit status is not looked at
    };
    for (const auto &r : rows) {
        ScriptedPrompter p;
        ModelDocument d(&p);
        saveDoc(d, "runner_output");
        std::string engine = fakeEngine("runner_output_engine", r.script);
        RunOutcome res = run(d, engine);
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
    ModelDocument d(&p);
    std::string dir = saveDoc(d, "runner_nostart");
    fs::path before = fs::current_path();
    auto t0 = std::chrono::steady_clock::now();
    RunOutcome r = run(d, dir + "/no such folder/");
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    EXPECT_EQ(r.result, RunResult::Failed);
    EXPECT_EQ(p.messages, std::vector<std::string>{"Error running " + dir + "/no such folder/vek model.vek:\n"});
    EXPECT_EQ(fs::current_path(), before);
}

TEST(EngineRunner, LotsOfOutputAndAQuestionDoNotHang) {
    ScriptedPrompter p;
    ModelDocument d(&p);
    std::string dir = saveDoc(d, "runner_big");
    // Far more than a pipe holds, on both streams, then a read of standard
    // input, which must see its end rather than wait.
    std::string engine = fakeEngine("runner_big_engine", "seq 1 100000\nseq 1 50000 >&2\nread answer\necho Stop\n");
    RunOutcome r = run(d, engine);
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

// A file written by SaveInput is a valid engine deck on its own.
TEST(EngineRunner, SavedFileRunsInTheEngineDirectly) {
    if (!haveVek()) GTEST_SKIP() << "vek is not built in " << vek::test::binDir();
    ModelDocument d;
    std::string dir = saveDoc(d, "runner_direct");
    d.model.synthesizeFormat = 1; // with synthesized years from the average
    d.setSynthesizedYearCount(2);
    ASSERT_TRUE(d.save(dir + "/model.vek"));
    // The engine keeps 45 characters of a name: run it in the folder.
    fs::path before = fs::current_path();
    fs::current_path(dir);
    ProcessPipe pp({vek::test::binDir() + "/vek", "model.vek", "model.out", "/dde"});
    std::string all, l;
    while (pp.readLine(l))
        all += l + "\n";
    EXPECT_EQ(pp.close(), 0) << all;
    fs::current_path(before);
    EXPECT_EQ(all, " Stop - Program terminated.\n");
    std::string report = vek::test::readFile(dir + "/model.out");
    EXPECT_NE(report.find("STREAM DEPLETION"), std::string::npos);
    EXPECT_NE(report.find("NUMBER OF YEARS OF SYNTHESIZED DATA ARE     2"), std::string::npos);
}
