// Where vektool's messages go: standard error, one message a line. vektool
// asks nothing: its commands call the cores' operations with their options
// and print what the operations report.
#pragma once

#include "common/operation_error.h"
#include "common/prompter.h"
#include "model/model_validation.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vektool {

// Prints one message.
void say(const std::string &text);

// Says "vektool COMMAND: cannot open PATH: REASON" (the system's reason, or
// that it is a folder) and returns false when the file cannot be opened for
// reading; true when it can.
bool canOpen(const std::string &command, const std::string &path);

// Prints an operation's warnings and its error; true when it succeeded.
bool report(const vek::OperationResult &result);

// Prints the problems of a model file, each after "FILE: ": refusals with
// the vektool convert command that mends them, then warnings after
// "warning: ". True when nothing would be refused.
bool reportProblems(const std::string &file, const vek::ModelValidation &validation);

// For the cores that speak through a prompter (the model file's writer, the
// report reader): messages are printed; a question, which no command should
// reach, is printed and answered with what changes nothing. While `hold` is
// set, messages are kept and printed by printHeld(), so that a command can
// print what it read before the reader's message.
class MessagePrinter : public vek::Prompter {
  public:
    bool hold = false;
    std::vector<std::string> shown; // every message, in order
    void printHeld();

    void message(const std::string &text) override;
    bool askYesNo(const std::string &text) override;
    vek::Answer askYesNoCancel(const std::string &text) override;
    bool askOkCancel(const std::string &text) override;
    std::optional<int> chooseSynthesisMethod() override;
    std::optional<std::vector<int>> selectYearsToAverage(int, int) override;
    std::optional<int> chooseGivenYear(int, int) override;
    std::optional<std::pair<int, int>> chooseCycle(int, int) override;
    std::optional<std::vector<int>> chooseItemsToDelete(const std::vector<std::string> &, int) override;
    std::optional<std::pair<int, int>> chooseImportOptions() override;
    int chooseSoilMoisture() override;

  private:
    std::size_t printed_ = 0; // messages of shown already on standard error
};

// The one printer of messages that are not held.
vek::Prompter &messages();

} // namespace vektool
