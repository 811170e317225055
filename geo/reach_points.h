// The polygon method's points along the reaches and the Thiessen (Voronoi)
// polygon of a location among them. The points are each line's vertices and,
// on every segment longer than the spacing, points that divide it into equal
// parts no longer than the spacing; a point where reaches meet belongs to
// each of them alike (its area is shared equally).
//
// A location's polygon is its cell in the Voronoi diagram of the reach points
// and itself; the part of it that falls in the cell of reach point p (in the
// diagram without the location) counts for p's reach. Both diagrams are
// clipped to the box around the reach points and the location, grown on each
// side by its larger side. Only points near the location can shape its
// polygon or the cells it overlaps: with R the farthest corner of its polygon
// and d1 the distance to its nearest reach point, the points within 2R + d1
// decide them, so the diagrams are built of those alone (exactly the same
// areas as the whole set gives).
#pragma once

#include <vector>

#include "geo/geos_support.h"
#include "model/stream_reaches.h"

namespace vek::geo {

class ReachPoints {
  public:
    ReachPoints(const ReachNetwork &network, double spacing);

    const std::vector<MapPoint> &points() const { return points_; }
    // The reaches a point belongs to (one, or those that meet there).
    const std::vector<int> &reachesOf(std::size_t point) const { return reaches_[point]; }
    std::size_t reachCount() const { return reachCount_; }

    // Indices of the points within `radius` of `at`.
    std::vector<std::size_t> within(MapPoint at, double radius) const;
    // Distance from `at` to the nearest point.
    double nearest(MapPoint at) const;
    // Extent of the points.
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;

  private:
    std::size_t cellOf(double x, double y, long long *cx, long long *cy) const;
    std::vector<MapPoint> points_;
    std::vector<std::vector<int>> reaches_;
    std::size_t reachCount_ = 0;
    // Uniform grid over the extent: cell -> points.
    double cellSize_ = 1.0;
    long long nx_ = 1, ny_ = 1;
    std::vector<std::vector<std::size_t>> cells_;
};

// Area of the location's Thiessen polygon that falls in each reach's
// polygons, one entry per reach.
std::vector<double> thiessenAreas(const GeosContext &geos, const ReachPoints &points, MapPoint at);

} // namespace vek::geo
