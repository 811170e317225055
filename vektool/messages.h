// Where vektool's messages go: standard error, one message a line. vektool
// asks nothing: its commands call the cores' operations with their options
// and print what the operations report.
#pragma once

#include "common/operation_error.h"
#include "common/prompter.h"

#include <string>

namespace vektool {

// Prints one message.
void say(const std::string &text);

// Prints an operation's warnings and its error; true when it succeeded.
bool report(const vek::OperationResult &result);

// For the cores that speak through a prompter (the model file's writer, the
// report reader): messages are printed; a question, which no command should
// reach, is printed and answered with what changes nothing.
vek::Prompter &messages();

} // namespace vektool
