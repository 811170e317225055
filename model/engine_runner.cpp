// runEngine: from the document to the engine's report.
#include "model/engine_runner.h"

#include "common/utf8_path.h"
#include "model/model_document.h"
#include "model/process_pipe.h"

#include <filesystem>
#include <system_error>

namespace vek {

namespace {

// The working directory as UTF-8, and changing it; names reach the system
// in its own encoding (UTF-16 on Windows).
std::string currentDirectory() {
    std::error_code ec;
    const std::u8string u8 = std::filesystem::current_path(ec).u8string();
    return ec ? std::string() : std::string(u8.begin(), u8.end());
}

bool changeDirectory(const std::string &utf8) {
    std::error_code ec;
    std::filesystem::current_path(std::filesystem::path(std::u8string(utf8.begin(), utf8.end())), ec);
    return !ec;
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
    const fs::path input = pathFromUtf8(doc.path());
    std::string folder = input.has_parent_path() ? utf8FromPath(input.parent_path()) : std::string();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const std::string base = utf8FromPath(input.stem());
    const std::string fileName = utf8FromPath(input.filename());
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
    if (folder.empty() || !changeDirectory(folder)) {
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
        if (!previous.empty() && !changeDirectory(previous)) doc.message("Unable to change to directory " + previous);
    }
    if (!doc.path().empty()) doc.setTitle(doc.path());
    return result;
}

} // namespace vek
