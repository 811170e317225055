// The model input document core: owns one ModelInput, the modified and
// stale-synthesis flags and the document's path, and holds the structural
// operations on locations and years. Whom it asks and the views it refills
// are its user's (model/document_ui.h); the desktop's CVEKViewDoc wraps it.
#pragma once

#include "common/prompter.h"
#include "model/model_input.h"
#include "model/model_validation.h"
#include "model/program_directory.h"

#include <cstddef>
#include <string>

namespace vek {

// The message that lists, when a model input file is opened, where the
// engine will make of it otherwise than the document shows: the file's name,
// these words, then one warning a line.
inline constexpr const char *kOpenWarningsMessage =
    ": what the engine will make of this model differs from what is shown here.\n";
// A message lists at most this many problems, then how many more there are.
inline constexpr std::size_t kMostProblemsShown = 10;

class ModelDocument {
  public:
    ModelInput model;
    // The synthesized years may no longer follow from the historical data.
    bool historicalDataChanged = false;
    // Folder the engine is started from (that of the running program),
    // ending with "/".
    std::string programDirectory = vek::programDirectory();

    bool isModified() const { return modified_; }
    void setModified(bool m = true) { modified_ = m; }

    // A model input file whose read failed: the document keeps what was
    // read but has no file of its own (saving asks for a name), and this
    // names the damaged file so that a save onto it asks first. Empty for
    // every other document; a successful save clears it.
    const std::string &partlyReadFrom() const { return partlyReadFrom_; }
    bool isReadPartly() const { return !partlyReadFrom_.empty(); }

    const std::string &path() const { return path_; }
    void setPath(const std::string &p) { path_ = p; }

    // Structural operations.
    void resetLocations(int count);
    void insertLocations(int index, int count);
    void deleteLocations(int index, int count);
    // Returns false, changing nothing, when the period could not describe
    // one more year (see addSynthesizedYear).
    bool addHistoricalYear(int offset, bool atEnd);
    void deleteHistoricalYear(int offset);
    // Refused (false, nothing changed) without historical years or when the
    // synthesized period could not describe the new column length.
    bool addSynthesizedYear();
    void deleteSynthesizedYear(int offset);
    void clearSynthesizedYears();
    bool setSynthesizedYearCount(int count);

    // Edits of single values, as the form's cells make them. Each returns
    // false, changing nothing, for a location or cell that does not exist or
    // a value that leaves the document as it was; otherwise the document is
    // marked modified. Years and months are indexes into the columns.
    bool setLocationName(int location, const std::string &name);
    bool setLocationFactor(int location, float vek);
    // A changed historical value makes the synthesized years stale
    // (historicalDataChanged) when the recorded synthesis method draws on
    // that year.
    bool setHistoricalValue(int location, int year, int month, float value);
    // A synthesized value is stored only when it differs from the stored one
    // by more than 0.0001; the synthesized years are then user-defined.
    bool setSynthesizedValue(int location, int year, int month, float value);

    // Open: ".vek" (any case) is read as a model input file, anything else is
    // imported as a well output file. Returns true for ".vek" whatever the
    // reader reported, the import's result otherwise. The document keeps the
    // path in absolute form, so a later change of working directory cannot
    // lose its file. A model input file read completely leaves the document
    // unmodified; one whose read failed leaves what was read, no path and the
    // document modified (see partlyReadFrom). An import leaves the document
    // modified. A model input file read completely is judged as the engine
    // would run it: what the engine reads otherwise than the document shows
    // is said in one message, and synthesized years that are not what their
    // recorded method makes count as stale (historicalDataChanged). Messages
    // and the import's question go to `prompter`.
    bool open(const std::string &path, Prompter &prompter);
    // Save through SaveInput; on success the document is no longer modified.
    // Saving onto the file a partly read document came from first asks
    // `prompter` whether to replace it (No: nothing written, false).
    bool save(const std::string &path, Prompter &prompter);

    // The model judged as the engine would run it (see
    // model/model_validation.h), with the numbers of the file it was opened
    // from while they still describe its locations: until it is saved or a
    // location is added, removed or replaced.
    ModelValidation validate() const;
    // Those numbers; null when they no longer count or the document was not
    // read from a model input file.
    const ModelFileValues *fileValues() const { return fileValuesCount_ ? &fileValues_ : nullptr; }

    // Replaces the whole model by `replacement`, as an import into an open
    // document does once the import has succeeded on a copy: the document
    // keeps its path, the synthesized years of the new model
    // count as up to date, and the document is marked modified.
    void replaceModel(ModelInput replacement);

  private:
    bool modified_ = false;
    std::string partlyReadFrom_;
    ModelFileValues fileValues_;
    bool fileValuesCount_ = false;
    std::string path_;
};

} // namespace vek
