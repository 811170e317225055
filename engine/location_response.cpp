// Location responses: comparison and their step responses.
#include "engine/location_response.h"

#include <bit>
#include <cstdint>

namespace vek::engine {

bool LocationResponse::sameResponse(const LocationResponse &other) const {
    if (method != other.method) return false;
    switch (method) {
    case ResponseMethod::InfiniteAquifer:
        return std::bit_cast<std::uint32_t>(factor) == std::bit_cast<std::uint32_t>(other.factor);
    case ResponseMethod::AlluvialAquifer:
    case ResponseMethod::StreambedResistance:
        return std::bit_cast<std::uint32_t>(factor) == std::bit_cast<std::uint32_t>(other.factor) &&
               std::bit_cast<std::uint32_t>(parameter) == std::bit_cast<std::uint32_t>(other.parameter);
    case ResponseMethod::ResponseTable:
        return table == other.table;
    }
    return false;
}

StepResponse stepResponseFor(const LocationResponse &r, const std::vector<StepResponse> &tables) {
    switch (r.method) {
    case ResponseMethod::AlluvialAquifer:
        return StepResponse::alluvialAquifer(static_cast<double>(r.factor), static_cast<double>(r.parameter));
    case ResponseMethod::StreambedResistance:
        return StepResponse::streambedResistance(static_cast<double>(r.factor), static_cast<double>(r.parameter));
    case ResponseMethod::ResponseTable:
        return tables.at(static_cast<std::size_t>(r.table));
    case ResponseMethod::InfiniteAquifer:
        break;
    }
    return StepResponse::infiniteAquifer(static_cast<double>(r.factor));
}

} // namespace vek::engine
