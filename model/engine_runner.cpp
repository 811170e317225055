// Running the engine on a model input file, and the document's Run.
#include "model/engine_runner.h"

#include "common/utf8_path.h"
#include "facts/vek_facts.h"
#include "model/model_document.h"
#include "model/model_validation.h"
#include "model/process_pipe.h"

#include <filesystem>
#include <system_error>

namespace vek {

namespace {

bool reportsError(const std::string &text) {
    return text.find("rror") != std::string::npos || text.find("RROR") != std::string::npos;
}

// Says what the engine would refuse; false when there is such a thing.
bool runnable(Prompter &prompter, const ModelValidation &v) {
    if (!v.refused()) return true;
    prompter.message(runRefusalMessage(v));
    return false;
}

} // namespace

std::string runRefusalMessage(const ModelValidation &v) {
    if (!v.refused()) return {};
    return kModelCannotRunMessage + v.text(ModelProblem::Severity::Refused, kMostProblemsShown);
}

EngineRunResult runEngineFile(const std::string &inputPath, const std::string &programDirectory,
                              const std::string &programName, const std::function<void(long processId)> &childRunning) {
    namespace fs = std::filesystem;
    EngineRunResult r;
    std::error_code ec;
    fs::path input = pathFromUtf8(inputPath);
    if (!input.empty()) {
        const fs::path abs = fs::absolute(input, ec);
        if (!ec) input = abs.lexically_normal();
    }
    std::string folder = input.has_parent_path() ? utf8FromPath(input.parent_path()) : std::string();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const std::string fileName = utf8FromPath(input.filename());
    const std::string reportName = utf8FromPath(input.stem()) + ".out";

    if (folder.empty() || !fs::is_directory(pathFromUtf8(folder), ec)) {
        r.status = EngineRunResult::Status::NoFolder;
        r.message = "Unable to change to directory " + folder;
        return r;
    }

    r.reportPath = utf8FromPath(input.parent_path() / pathFromUtf8(reportName));
    const std::string program = programDirectory + programName;
    // The child gets the names as separate arguments, and the folder as its
    // working directory; no shell ever parses them.
    ProcessPipe engine({program, fileName, reportName, "/dde"}, utf8FromPath(input.parent_path()), 0);
    if (childRunning && engine.started()) childRunning(engine.processId());
    std::string line;
    while (engine.readLine(line))
        r.output += line + "\n";
    // Wait for the engine before its report is read, so the report is
    // complete whatever order the engine closes its files in.
    r.exitStatus = engine.close();
    if (childRunning && engine.started()) childRunning(-1);
    if (!r.output.empty() && !reportsError(r.output) && r.exitStatus == 0) {
        r.status = EngineRunResult::Status::Succeeded;
    } else {
        r.status = EngineRunResult::Status::Failed;
        r.message = "Error running " + program + " " + fileName + ":\n" + r.output;
    }
    return r;
}

RunResult runEngine(ModelDocument &doc, Prompter &prompter, const EngineRunHooks &hooks) {
    ModelInput &m = doc.model;
    if (m.yearMode != IrrigationYear) {
        prompter.message(kIrrigationYearOnlyMessage);
        return RunResult::Refused;
    }
    // What the engine would refuse is refused before anything is asked; the
    // synthesized years are the question below.
    ValidationOptions memory;
    memory.synthesis = false;
    if (!runnable(prompter, validateModel(m, memory))) return RunResult::Refused;
    if (doc.historicalDataChanged && m.synthesizeFormat < 4) {
        if (!prompter.askYesNo(
                "Warning: the synthesized data may not match the given historical data using the selected "
                "synthesizing method (you can resynthesize the data by clicking the 'recalculate' button).  "
                "Run the model anyway?"))
            return RunResult::Refused;
        doc.historicalDataChanged = false;
    }
    if (doc.path().empty()) {
        // A never-saved document has no folder to run in: it is saved first.
        if (!prompter.askYesNo(kSaveBeforeRunQuestion)) return RunResult::Refused;
        const std::string path = hooks.askSavePath ? hooks.askSavePath() : std::string();
        if (path.empty() || !doc.save(path, prompter)) return RunResult::Refused;
    } else if (doc.isModified()) {
        // The engine reads the file: changes not saved would silently be
        // left out of results that look like those of the form.
        const std::string question = doc.path() +
                                     " has changes that are not saved.  The engine runs the model file: save the "
                                     "changes first, or run the file as it was last saved (the results then leave "
                                     "the changes out).";
        const int answer = prompter.choose(question, {kSaveAndRun, kRunSavedFile, kCancelRun}, 0, 2);
        if (answer == 0) {
            if (!doc.save(doc.path(), prompter)) return RunResult::Refused;
        } else if (answer == 1) {
            if (hooks.savedFileChosen) hooks.savedFileChosen();
        } else {
            return RunResult::Refused;
        }
    }

    // Not saved: the file runs as it is on disk, and is judged as it is.
    if (doc.isModified()) {
        const ModelFileCheck onDisk = checkModelFile(doc.path());
        if (onDisk.read.changed && !runnable(prompter, onDisk.validation)) return RunResult::Refused;
    }

    if (hooks.engineStarting) hooks.engineStarting();
    const std::string dir = hooks.programDirectory.empty() ? doc.programDirectory : hooks.programDirectory;
    const EngineRunResult run = runEngineFile(doc.path(), dir, hooks.programName);
    RunResult result = RunResult::Failed;
    switch (run.status) {
    case EngineRunResult::Status::NoFolder:
        result = RunResult::NoFolder;
        break;
    case EngineRunResult::Status::Failed:
        result = RunResult::Failed;
        break;
    case EngineRunResult::Status::Succeeded:
        if (hooks.openReport) hooks.openReport(run.reportPath);
        result = RunResult::Succeeded;
        break;
    }
    if (!run.succeeded()) prompter.message(run.message);
    return result;
}

} // namespace vek
