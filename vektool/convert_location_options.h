// vektool convert's options for what the desktop form sets: the run years,
// the output type, and per location its type, use in the output, depletion
// factor and name. Parsed into FormOptions and applied after the year type,
// units and synthesized years, before the response methods.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "vektool/command.h"

namespace vek {
struct ModelInput;
}

namespace vektool {

struct FormOptions {
    std::optional<int> runStart, runEnd, outputType;
    // (option, LOCATIONS:VALUE) of --location-type, --use, --factor and
    // --name, in the order given.
    std::vector<std::pair<std::string, std::string>> locations;

    bool empty() const { return !runStart && !runEnd && !outputType && locations.empty(); }
};

extern const char *const kFormOptionsUsage;

// Reads the option at args[i] when it is one of these (true, with i on its
// value and `err` set when it is unusable); false for any other argument.
bool parseFormOption(const Args &args, std::size_t &i, FormOptions &o, std::string &err);

// Applies the options: the run years and output type, then the location
// settings in the order given. False, with the reason on standard error, for
// a location that does not exist or a value the model cannot take (nothing
// is then written).
bool applyFormOptions(vek::ModelInput &model, const FormOptions &o);

// 0-based indexes of the locations `text` names: "all", numbers from 1 and
// ranges ("2,5-7"), or "name=NAME" (every location of that name). An error
// text otherwise, empty when fine.
std::string locationList(const std::string &text, const vek::ModelInput &model, std::vector<std::size_t> &out);

} // namespace vektool
