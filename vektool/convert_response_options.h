// vektool convert's options for response methods: import response tables and
// give locations a method and its parameters. Parsed into ResponseOptions
// and applied to the document after the other transformations, before the
// file is written.
#pragma once

#include <string>
#include <vector>

#include "vektool/command.h"

namespace vek {
class ModelDocument;
}

namespace vektool {

struct ResponseOptions {
    std::vector<std::string> tableFiles;                      // --response-table FILE
    std::vector<std::pair<std::string, std::string>> afters;  // --table-after NAME=hold|one
    std::vector<std::pair<std::string, std::string>> methods; // --method LOCATIONS:METHOD, in order
};

extern const char *const kResponseOptionsUsage;

// Reads the option at args[i] when it is one of these (true, with i on its
// value and `err` set when it is unusable); false for any other argument.
bool parseResponseOption(const Args &args, std::size_t &i, ResponseOptions &o, std::string &err);

// Applies the options: tables first, then the methods in the order given.
// False, with the reasons on standard error, when a file cannot be imported,
// a location or parameter is unusable, or the model's response methods do not
// pass their checks afterwards (nothing is then written).
bool applyResponseOptions(vek::ModelDocument &doc, const ResponseOptions &o);

} // namespace vektool
