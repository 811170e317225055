// The model input file (.vek): SaveInput writes a document's model in the
// current format; ReadInput reads the current format, the older ones without
// a version or with the 12-integer parameter record, and (with its old-format
// switch) the character-column format of the old program. readModelInput
// reads into a model and says what stopped it; ReadInput is the document's
// read, which shows that through the prompter it is given.
#pragma once

#include "common/operation_error.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

class ModelDocument;
class Prompter;
struct ModelInput;

// Where the writer puts its lines (without line ends). Returns false when the
// line could not be written; the writer then stops.
class LineSink {
  public:
    virtual ~LineSink() = default;
    virtual bool writeLine(std::string_view line) = 0;
};

// Writes every line of the model input file for `model` to `sink`, in file
// order. False as soon as one line fails.
bool writeModelInput(const ModelInput &model, LineSink &sink);
// The text of the model input file for `model`, as the file would hold it.
std::string modelInputText(const ModelInput &model);

struct SaveInputOptions {
    // Testing hook: called before each line (1-based) goes to the file;
    // returning false makes that line fail as a full disk would.
    std::function<bool(int lineNumber)> beforeLine;
};

// Writes the document's model to `path`. A path ending in ".owl" (exactly
// that case) is replaced by its base name with ".vek" in the same folder,
// and the user is told the new name. The file is written to a temporary file
// beside it and renamed over `path` only when every line is written and
// flushed, so a failed save leaves an earlier file untouched. Returns true
// on success; on failure the message has been shown through `prompter`.
bool SaveInput(ModelDocument &doc, Prompter &prompter, const std::string &path, const SaveInputOptions &options = {});

// The path SaveInput writes for `path`: a ".owl" path becomes its base name
// with ".vek" in the same folder, any other path is kept.
std::string saveInputPath(const std::string &path);

// Numbers of a model input file that the model does not keep as written:
// the reader makes every location type but -1 a recharge site (1) and every
// monthly-to-daily rule but 1 the actual days, while the engine uses the
// numbers themselves; and the engine takes a name record as it stands,
// where the model keeps it trimmed. What the reader read, in file order.
struct ModelFileValues {
    int useAvgDaysPerMonth = 0;           // the parameter line's 13th number (0 when it has 12)
    std::vector<int> locationTypes;       // each location's type number
    std::vector<std::string> nameRecords; // each location's name line, without its line end
    bool complete = false;                // the whole file was read
};

// Reads `path` into the model. With `oldFormat` set the file is read in the
// old character-column format (no pumping records). On failure the error
// holds the reader's message (with where it stopped: location, year, month,
// field) and the model keeps everything read up to the failing record
// (parameters, the locations created, their values so far). `changed` is set
// once the file could be opened. `fileValues`, when given, receives the
// numbers the model does not keep as written.
OperationResult readModelInput(ModelInput &model, const std::string &path, bool oldFormat = false,
                               ModelFileValues *fileValues = nullptr);

// readModelInput into the document's model: a changed model marks the
// document modified, and a failure's message is shown through `prompter`.
bool ReadInput(ModelDocument &doc, Prompter &prompter, const std::string &path, bool oldFormat = false);

} // namespace vek
