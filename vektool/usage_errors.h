// What vektool says about a command line it cannot use: one line, and for a
// misspelled option or command the nearest one it knows, never a screenful
// of usage that buries the mistake.
#pragma once

#include <string>
#include <vector>

namespace vektool {

// The option of `usage` nearest to `option` ("--yearyl" gives "--yearly"),
// or empty when none is near enough to be what was meant.
std::string nearestOption(const std::string &option, const std::string &usage);
// The word of `words` nearest to `word`, or empty.
std::string nearestWord(const std::string &word, const std::vector<std::string> &words);

// Prints "vektool COMMAND: WHAT" on standard error and returns 2. For
// "unknown option X" it adds the nearest option and where the options are
// listed: "unknown option --yearyl; did you mean --yearly? (vektool report
// --help)".
int usageError(const std::string &command, const std::string &what, const std::string &usage);

} // namespace vektool
