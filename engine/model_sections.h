// Finding the sections that follow the pumping records of a model input
// file: the stream reaches, then the response methods, which end the file.
// One forward scan of the whole file notes the last first line of each (the
// sections come after everything else); a line that reads like a first line
// but is followed by a number is a location's name in a file written before
// sections existed, and then that section is absent.
#pragma once

#include <string>
#include <string_view>

#include "engine/reach_section.h"
#include "engine/response_section.h"

namespace vek::engine {

struct ModelSections {
    ReachSection reaches;
    ResponseSection response;
};

// Throws SectionError for a damaged section, std::runtime_error when the file
// cannot be read. A file without a section gives it with present == false.
ModelSections readModelSections(const std::string &path);
// The same for a model file held in memory. `afterNames`: the text follows
// every location name (the pumping records'), so a first line is one
// whatever follows it.
ModelSections findModelSections(std::string_view text, bool afterNames = false);

} // namespace vek::engine
