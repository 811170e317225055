// runEngine: from the document to the engine's report.
#include "model/engine_runner.h"

#include "model/model_document.h"
#include "model/process_pipe.h"

#include <cerrno>
#include <filesystem>
#include <unistd.h>

namespace vek {

namespace {

std::string currentDirectory() {
    std::string buf(4096, '\0');
    while (!::getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE) return {};
        buf.resize(buf.size() * 2);
    }
    return buf.c_str();
}

bool ask(ModelDocument &doc, const std::string &question) {
    return doc.prompter() ? doc.prompter()->askYesNo(question) : false;
}

} // namespace

RunResult runEngine(ModelDocument &doc, const EngineRunHooks &hooks) {
    ModelInput &m = doc.model;
    if (m.yearMode != 1) {
        doc.message("The model can only run in Irrigation Year format.  Choose a new year format by selecting "
                    "\"VEK->Properties (Units & Year Type)\" from the menu.");
        return RunResult::Refused;
    }
    if (doc.historicalDataChanged && m.synthesizeFormat < 4) {
        if (!ask(doc, "Warning: the synthesized data may not match the given historical data using the selected "
                      "synthesizing method (you can resynthesize the data by clicking the 'recalculate' button).  "
                      "Run the model anyway?"))
            return RunResult::Refused;
        doc.historicalDataChanged = false;
    }
    if (doc.path().empty()) {
        // A never-saved document has no folder to run in: it is saved first.
        if (!ask(doc, kSaveBeforeRunQuestion)) return RunResult::Refused;
        const std::string path = hooks.askSavePath ? hooks.askSavePath() : std::string();
        if (path.empty() || !doc.save(path)) return RunResult::Refused;
    } else if (doc.isModified()) {
        std::string name = !doc.path().empty() ? doc.path() : !doc.title().empty() ? doc.title() : "Untitled";
        Answer a = doc.prompter() ? doc.prompter()->askYesNoCancel("Save changes to " + name + "?") : Answer::No;
        if (a == Answer::Cancel) return RunResult::Refused;
        if (a == Answer::Yes) {
            std::string path = doc.path();
            if (path.empty() && hooks.askSavePath) path = hooks.askSavePath();
            if (path.empty() || !doc.save(path)) return RunResult::Refused;
        }
    }

    namespace fs = std::filesystem;
    const fs::path input(doc.path());
    std::string folder = input.has_parent_path() ? input.parent_path().string() : std::string();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const std::string base = input.stem().string();
    const std::string fileName = input.filename().string();
    const std::string previous = currentDirectory();

    // The engine keeps only the first 45 characters of each name: a longer
    // one would make it read another file, or write its report under a cut
    // name while an older report of the full name is opened as the result.
    const std::string reportName = base + ".out";
    if (!folder.empty() && (fileName.size() > kEngineNameLength || reportName.size() > kEngineNameLength)) {
        const std::string &tooLong = fileName.size() > kEngineNameLength ? fileName : reportName;
        doc.message("The file name " + tooLong + " is longer than the " + std::to_string(kEngineNameLength) +
                    " characters the engine reads.  Save the model under a shorter name and run it again.");
        doc.setTitle(doc.path());
        return RunResult::Refused;
    }

    RunResult result = RunResult::NoFolder;
    if (folder.empty() || ::chdir(folder.c_str()) != 0) {
        doc.message("Unable to change to directory " + folder);
    } else {
        const std::string dir = hooks.programDirectory.empty() ? doc.programDirectory : hooks.programDirectory;
        const std::string program = dir + hooks.programName;
        // The child gets the names as separate arguments; no shell ever
        // parses them.
        ProcessPipe engine({program, fileName, reportName, "/dde"}, 0);
        std::string collected, line;
        while (engine.readLine(line))
            collected += line + "\n";
        // Wait for the engine before its report is read, so the report is
        // complete whatever order the engine closes its files in.
        engine.close();
        if (!collected.empty() && collected.find("rror") == std::string::npos &&
            collected.find("RROR") == std::string::npos) {
            if (hooks.openReport) hooks.openReport(reportName);
            result = RunResult::Succeeded;
        } else {
            doc.message("Error running " + program + " " + fileName + ":\n" + collected);
            result = RunResult::Failed;
        }
        if (!previous.empty() && ::chdir(previous.c_str()) != 0)
            doc.message("Unable to change to directory " + previous);
    }
    if (!doc.path().empty()) doc.setTitle(doc.path());
    return result;
}

} // namespace vek
