// vektool's options for stream reaches: how depletion is apportioned among
// the reaches (for the model or some locations), typed shares, the
// depletion by reach distance and factors from the map. Applied last, then
// every location's shares are resolved from the map again, so the written
// file carries numbers that match its map.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/reach_section.h"
#include "vektool/command.h"

namespace vek {
struct ModelInput;
}

namespace vektool {

struct MapOptions {
    // (LOCATIONS, or empty for the model's rule; RULE) in the order given.
    std::vector<std::pair<std::string, std::string>> apportion;
    std::vector<std::pair<std::string, std::string>> reachShares; // (LOCATIONS, REACH=F,...)
    std::vector<std::pair<std::string, bool>> factorFromMap;      // (LOCATIONS, yes or no)
    std::optional<std::string> depletion;                         // apportioned | distance

    bool empty() const { return apportion.empty() && reachShares.empty() && factorFromMap.empty() && !depletion; }
};

extern const char *const kMapOptionsUsage;

// Reads the option at args[i] when it is one of these (true, with i on its
// value and `err` set when it is unusable); false for any other argument.
bool parseMapOption(const Args &args, std::size_t &i, MapOptions &o, std::string &err);

// Applies the options, then resolves the shares when the model has reaches.
// False, with the reasons on standard error, for an unusable option or when
// the map cannot be worked with; locations whose shares cannot be resolved
// are named as warnings (the model is still written; a run refuses them).
bool applyMapOptions(vek::ModelInput &model, const MapOptions &o, const char *command);

// Resolves every location's shares from the map and names the locations
// that could not be resolved. Without the map libraries: true when nothing
// asked for it (`required` false; the file keeps the shares it has).
bool resolveMap(vek::ModelInput &model, const char *command, bool required);

// A rule from "METHOD[,power=1|2][,max-distance=D][,min-fraction=F][,spacing=S]".
std::string parseRule(const std::string &text, vek::engine::ApportionRule &rule);

} // namespace vektool
