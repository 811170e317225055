// How one location of a run responds to a step: its method and the
// parameters that shape the response, as the engine holds them (single
// precision, like every real the deck gives it). Two locations whose
// responses are equal bit for bit share one response table.
#pragma once

#include <vector>

#include "engine/real.h"
#include "engine/response_methods.h"

namespace vek::engine {

struct LocationResponse {
    ResponseMethod method = ResponseMethod::InfiniteAquifer;
    Real factor = 0.0f;    // sdf, days (not used by a table)
    Real parameter = 0.0f; // a/W (alluvial) or lambda' (hunt)
    int table = -1;        // the run's table (table method)

    static LocationResponse infiniteAquifer(Real factor) {
        LocationResponse r;
        r.factor = factor;
        return r;
    }
    bool isInfiniteAquifer() const { return method == ResponseMethod::InfiniteAquifer; }
    // Equal bit for bit in everything the response depends on.
    bool sameResponse(const LocationResponse &other) const;
};

// The double-precision step response of a location whose method is not the
// infinite aquifer; `tables` are the run's tables, by index.
StepResponse stepResponseFor(const LocationResponse &response, const std::vector<StepResponse> &tables);

} // namespace vek::engine
