// Checks of the response methods of a model: every location's parameters
// and every response table, with the same rules (and words) by which the
// engine refuses a file. Returns every problem, not only the first.
#pragma once

#include <string>
#include <vector>

#include "model/model_input.h"

namespace vek {

struct ModelProblem {
    int location = -1; // 0-based location, -1 when the problem is not one location's
    std::string table; // the table concerned, when it is a table's
    std::string field; // "a/W", "lambda", "table", "name" or "shares"
    std::string text;  // the whole message, naming the location or table
};

std::vector<ModelProblem> checkResponseMethods(const ModelInput &model);

} // namespace vek
