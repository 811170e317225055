// The stream-reach section of the model input file for the document core:
// the lines SaveInput writes between the pumping records and the response
// methods, and the model values ReadInput takes from a section it finds
// there. The grammar is the engine's (engine/reach_section.h).
#pragma once

#include <string>
#include <vector>

#include "engine/reach_section.h"
#include "model/model_input.h"

namespace vek {

// The section's lines, without line ends.
std::vector<std::string> reachSectionLines(const ModelInput &model);

// Puts a parsed section into the model. Returns what does not fit (a
// location the model does not have), empty on success.
std::string applyReachSection(const engine::ReachSection &section, ModelInput &model);

} // namespace vek
