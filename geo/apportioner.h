// Apportioning a location's depletion among the stream reaches from where it
// stands: nearest reach, inverse distance, web (the inverse distance
// integrated along each reach) and Thiessen polygons, with a maximum
// distance and a minimum fraction. Distances, Voronoi diagrams and areas come
// from GEOS; the web integral is exact per straight segment. An Apportioner
// holds the network prepared once, so that thousands of wells cost little
// each. It keeps its own GEOS context: one Apportioner per thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/stream_reaches.h"

namespace vek::geo {

// Shares of one location, reaches in order, and what kept it from having
// any (empty when it has them).
struct Apportioned {
    std::vector<ReachShare> shares;
    std::string problem;
};

// Whether this build can work with maps (GEOS and GDAL); without them every
// operation of this library reports kNoMapSupport.
bool mapSupport();
extern const char *const kNoMapSupport;

// Polygon method: the spacing of the points along the reaches when the rule
// leaves it to the network: its whole length over this many.
inline constexpr double kAutomaticPolygonPoints = 4000.0;

class Apportioner {
  public:
    explicit Apportioner(const ReachNetwork &network);
    ~Apportioner();
    Apportioner(const Apportioner &) = delete;
    Apportioner &operator=(const Apportioner &) = delete;

    // Shortest distance from `at` to each reach; below 0 for a reach
    // without geometry.
    std::vector<double> distances(MapPoint at) const;

    // The point of each reach nearest to `at` (none for a reach without
    // geometry): where the map draws a location's lines to its reaches.
    std::vector<std::optional<MapPoint>> nearestPoints(MapPoint at) const;

    // The shares of a location at `at` by a geometric rule (not typed
    // shares), each with its distance.
    Apportioned apportion(MapPoint at, const ApportionRule &rule) const;

    // Raw weights of a method before options apply, one per reach (0 for a
    // reach without geometry): 1 / d^w, the web integral of 1 / d^w along the
    // reach, the area of the location's Thiessen polygon in the reach's. For
    // tests and the documentation's figures.
    std::vector<double> weights(MapPoint at, const ApportionRule &rule) const;

    // The spacing of the polygon method's points for `rule`.
    double polygonSpacing(const ApportionRule &rule) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The web weight of one straight segment a-b seen from p: the integral of
// 1 / d^power along it, exactly (power 1 or 2). Infinite when p lies on the
// segment.
double segmentWebWeight(MapPoint a, MapPoint b, MapPoint p, int power);

} // namespace vek::geo
