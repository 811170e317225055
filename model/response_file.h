// The response-method section of the model input file for the document core:
// the lines SaveInput appends after the pumping records, and the model
// values ReadInput takes from a section it finds there. The grammar itself is
// the engine's (engine/response_section.h), so the editor and the engine read
// one file the same way.
#pragma once

#include <string>
#include <vector>

#include "engine/response_section.h"
#include "model/model_input.h"

namespace vek {

// The section is written when a location responds by another method than the
// infinite aquifer or the model holds a response table. A model of
// infinite-aquifer locations alone is written as it always was (a name that
// reads as the section's first line included: the engine tells it by the
// numbers that follow it).
bool needsResponseSection(const ModelInput &model);

// The section's lines, without line ends.
std::vector<std::string> responseSectionLines(const ModelInput &model);

// Puts a parsed section into the model: each location's method and
// parameters by position, the tables. Returns what does not fit (a location
// the model does not have), empty on success.
std::string applyResponseSection(const engine::ResponseSection &section, ModelInput &model);

} // namespace vek
