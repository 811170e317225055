// Resolving every location's shares of the stream reaches from the map: the
// shares its rule gives (or its typed shares), the distance to each reach,
// with the depletion by reach distance each reach's own factor d^2 S / T,
// and, for a location whose factor comes from the map, that factor from the
// nearest reach. The file then carries the numbers, so the engine and any
// program without the map libraries run the model as it was resolved.
#pragma once

#include <string>
#include <vector>

#include "model/model_input.h"

namespace vek::geo {

struct LocationTrouble {
    int location = 0; // 0-based
    std::string text; // why its shares (or its factor) could not be resolved
};

struct Resolution {
    std::vector<LocationTrouble> troubles; // in location order
    int factorsSet = 0;                    // factors taken from the map
    std::string failure;                   // the map libraries failed (or are missing); nothing changed
    bool ok() const { return failure.empty(); }
};

// Resolves every location (a location that cannot be resolved keeps no
// shares and is named in the troubles). `threads` 0: one per core.
Resolution resolveReaches(ModelInput &model, unsigned threads = 0);

// The factor d^2 S / T in days of a distance d with S and T (T in the square
// of d's unit a day), as stored: single precision.
float factorFromDistance(double distance, double storativity, double transmissivity);

} // namespace vek::geo
