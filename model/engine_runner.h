// Running the engine on a model input document: the checks and the save
// offered before the run, the engine started in the input file's folder, its
// console text judged, and the report handed to the application.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace vek {

class ModelDocument;

struct EngineRunHooks {
    // Opens the report, given as a name relative to the working directory,
    // which is the input file's folder while this is called. The desktop
    // opens an output document; vektool prints the path.
    std::function<void(const std::string &reportName)> openReport;
    // Asks for a file name when a never-saved document is to be saved;
    // empty means cancelled. Without it such a save fails.
    std::function<std::string()> askSavePath;
    // Folder to start the engine from, ending with "/"; empty means the
    // document's programDirectory.
    std::string programDirectory;
    // The engine's file name in that folder.
    std::string programName = "vek";
};

// Asked before a run of a document that has never been saved.
inline constexpr const char *kSaveBeforeRunQuestion =
    "This model has not been saved yet; it runs from the folder of its file.  Save it now?";

// Longest file name the engine takes from its command line.
inline constexpr std::size_t kEngineNameLength = 45;

enum class RunResult {
    Refused,   // year type, stale synthesis, save cancelled or failed, a file
               // name too long for the engine
    NoFolder,  // the input file's folder could not be entered
    Failed,    // the engine's text was empty or reported an error
    Succeeded, // the report was handed to openReport
};

// Runs the engine on the document's saved file. Every message and question
// goes through the document's prompter. The working directory is the same
// afterwards as before.
RunResult runEngine(ModelDocument &doc, const EngineRunHooks &hooks);

} // namespace vek
