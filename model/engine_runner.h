// Running the engine. runEngineFile runs it on a saved model input file:
// the engine started in the file's folder (the caller's working directory
// is never changed), its console text and exit status judged, the report
// named by its absolute path. runEngine is the document's Run: the checks
// and the save offered before the run, then runEngineFile, its failure shown
// and its report handed to the application.
#pragma once

#include <functional>
#include <string>

namespace vek {

class ModelDocument;
class ModelValidation;
class Prompter;

// Shown when a model that is not in Irrigation Year format is to be run.
inline constexpr const char *kIrrigationYearOnlyMessage =
    "The model can only run in Irrigation Year format.  Choose a new year format by selecting "
    "\"VEK->Properties (Units & Year Type)\" from the menu.";

// The choice offered before a run of a document with unsaved changes: the
// engine runs the file, so the changes are either saved first or left out
// of the results.
inline constexpr const char *kSaveAndRun = "Save and Run";
inline constexpr const char *kRunSavedFile = "Run the Saved File";
inline constexpr const char *kCancelRun = "Cancel";

// The first line of the message that lists what the engine would refuse of
// a model, one problem a line.
inline constexpr const char *kModelCannotRunMessage = "The engine would refuse this model:\n";

// That message for a validation's refusals (at most kMostProblemsShown of
// them, then how many more); empty when it refuses nothing.
std::string runRefusalMessage(const ModelValidation &validation);

// Asked before a run of a document that has never been saved.
inline constexpr const char *kSaveBeforeRunQuestion =
    "This model has not been saved yet; it runs from the folder of its file.  Save it now?";

struct EngineRunResult {
    enum class Status {
        NoFolder, // the input file's folder does not exist; not started
        Failed,   // the engine's text was empty or reported an error, or it did not exit with 0
        Succeeded,
    };
    Status status = Status::Failed;
    // For every status but Succeeded: the text a person is shown.
    std::string message;
    // The engine's console text: each line with "\n" (a last line without a
    // line end is not kept), carriage returns as written.
    std::string output;
    // The engine's exit status; -1 when it was not started or did not exit.
    int exitStatus = -1;
    // Absolute path of the report the engine was asked to write (the input
    // file's base name with ".out", beside it).
    std::string reportPath;

    bool succeeded() const { return status == Status::Succeeded; }
};

// Runs the engine `programDirectory` + `programName` (the folder ending with
// "/") on the model input file `inputPath`, in that file's folder, with the
// bare names of the file and of its report and the switch "/dde". A run
// fails when the engine's text is empty or holds "rror" or "RROR", or when
// its exit status is not 0. `childRunning`, when given, is told the
// engine's process id once it has started and -1 once it has ended (a
// program's main passes its ending signals on to it; see
// programs/ending_signals.h).
EngineRunResult runEngineFile(const std::string &inputPath, const std::string &programDirectory,
                              const std::string &programName = "vek",
                              const std::function<void(long processId)> &childRunning = {});

struct EngineRunHooks {
    // Opens the report, given by its absolute path. The desktop opens an
    // output document.
    std::function<void(const std::string &reportPath)> openReport;
    // Asks for a file name when a never-saved document is to be saved;
    // empty means cancelled. Without it such a save fails.
    std::function<std::string()> askSavePath;
    // Folder to start the engine from, ending with "/"; empty means the
    // document's programDirectory.
    std::string programDirectory;
    // The engine's file name in that folder.
    std::string programName = "vek";
    // Called when every question has been answered and the engine starts.
    std::function<void()> engineStarting;
    // Called when the user chose to run the saved file: the results leave
    // out the document's unsaved changes.
    std::function<void()> savedFileChosen;
};

enum class RunResult {
    Refused,   // year type, what the engine would refuse (see
               // model/model_validation.h), stale synthesis, save cancelled
               // or failed
    NoFolder,  // the input file's folder could not be entered
    Failed,    // the engine's text was empty or reported an error
    Succeeded, // the report was handed to openReport
};

// Runs the engine on the document's saved file. Every message and question
// goes through `prompter`.
RunResult runEngine(ModelDocument &doc, Prompter &prompter, const EngineRunHooks &hooks);

} // namespace vek
