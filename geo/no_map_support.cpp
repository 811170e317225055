// A build without GDAL and GEOS (the Windows cross build): every map
// operation says so instead of working. The model's file keeps its reaches
// and resolved shares, so such a build still runs a model that another
// build resolved.
#include <stdexcept>

#include "geo/apportioner.h"
#include "geo/map_import.h"
#include "geo/reach_resolution.h"

namespace vek::geo {

const char *const kNoMapSupport =
    "This build of the program cannot work with maps (it was built without GDAL and GEOS).";

bool mapSupport() { return false; }

struct Apportioner::Impl {};

Apportioner::Apportioner(const ReachNetwork &) { throw std::runtime_error(kNoMapSupport); }
Apportioner::~Apportioner() = default;
std::vector<double> Apportioner::distances(MapPoint) const { return {}; }
std::vector<std::optional<MapPoint>> Apportioner::nearestPoints(MapPoint) const { return {}; }
Apportioned Apportioner::apportion(MapPoint, const ApportionRule &) const { return {{}, kNoMapSupport}; }
std::vector<double> Apportioner::weights(MapPoint, const ApportionRule &) const { return {}; }
double Apportioner::polygonSpacing(const ApportionRule &) const { return 0.0; }

float factorFromDistance(double distance, double storativity, double transmissivity) {
    return static_cast<float>(distance * distance * storativity / transmissivity);
}

Resolution resolveReaches(ModelInput &, unsigned) {
    Resolution r;
    r.failure = kNoMapSupport;
    return r;
}

OperationResult importMap(ModelInput &, const MapImportOptions &, MapImportCounts *) {
    OperationError e;
    e.kind = OperationError::Kind::NoMapSupport;
    e.message = kNoMapSupport;
    return OperationResult::failure(e);
}

} // namespace vek::geo
