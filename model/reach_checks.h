// Checks of the stream reaches for a run: every used location has its shares
// of the reaches and they add up to 1, the depletion by reach distance has
// each share's factor, typed shares are whole, and S and T where given can
// make a factor. What the geometry gives is the map core's; this judges the
// numbers the file carries, as the engine would.
#pragma once

#include <vector>

#include "model/model_input.h"
#include "model/response_checks.h"

namespace vek {

std::vector<ModelProblem> checkStreamReaches(const ModelInput &model);

// The option of vektool convert that resolves shares again from the map.
inline constexpr const char *kApportionOption = "--apportion METHOD";

} // namespace vek
