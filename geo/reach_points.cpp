// Points along the reaches, their grid, and Thiessen areas on GEOS.
#include "geo/reach_points.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <utility>

namespace vek::geo {

namespace {

constexpr long long kMostGridSide = 512;

double dist(MapPoint a, MapPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The coordinates of a polygon's outer ring.
std::vector<MapPoint> ringOf(const GeosContext &c, const GEOSGeometry *polygon) {
    std::vector<MapPoint> out;
    const GEOSGeometry *ring = GEOSGetExteriorRing_r(c.handle(), polygon);
    if (!ring) return out;
    const GEOSCoordSequence *s = GEOSGeom_getCoordSeq_r(c.handle(), ring);
    unsigned n = 0;
    if (!s || !GEOSCoordSeq_getSize_r(c.handle(), s, &n)) return out;
    for (unsigned i = 0; i < n; ++i) {
        MapPoint p;
        GEOSCoordSeq_getXY_r(c.handle(), s, i, &p.x, &p.y);
        out.push_back(p);
    }
    return out;
}

MapPoint centroidOf(const GeosContext &c, const GEOSGeometry *g) {
    const Geom centre = own(c, GEOSGetCentroid_r(c.handle(), g), "a centroid");
    MapPoint p;
    GEOSGeomGetX_r(c.handle(), centre.get(), &p.x);
    GEOSGeomGetY_r(c.handle(), centre.get(), &p.y);
    return p;
}

// The Voronoi cells of `sites`, clipped to `box`.
std::vector<Geom> voronoiCells(const GeosContext &c, const std::vector<MapPoint> &sites, const GEOSGeometry *box) {
    const Geom multi = makeMultiPoint(c, sites);
    const Geom diagram = own(c, GEOSVoronoiDiagram_r(c.handle(), multi.get(), box, 0.0, 0), "a Voronoi diagram");
    std::vector<Geom> cells;
    const int n = GEOSGetNumGeometries_r(c.handle(), diagram.get());
    for (int i = 0; i < n; ++i) {
        const GEOSGeometry *cell = GEOSGetGeometryN_r(c.handle(), diagram.get(), i);
        cells.push_back(own(c, GEOSIntersection_r(c.handle(), cell, box), "a clipped Voronoi cell"));
    }
    return cells;
}

std::size_t nearestOf(const std::vector<MapPoint> &sites, MapPoint p) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < sites.size(); ++i)
        if (dist(sites[i], p) < dist(sites[best], p)) best = i;
    return best;
}

} // namespace

ReachPoints::ReachPoints(const ReachNetwork &network, double spacing) : reachCount_(network.reaches.size()) {
    std::set<std::pair<double, double>> seen;
    auto add = [&](MapPoint p, int reach) {
        if (!seen.insert({p.x, p.y}).second) return;
        points_.push_back(p);
        reach_.push_back(reach);
    };
    for (std::size_t r = 0; r < network.reaches.size(); ++r) {
        for (const MapLine &line : network.reaches[r].lines) {
            for (std::size_t i = 0; i + 1 < line.size(); ++i) {
                const MapPoint a = line[i], b = line[i + 1];
                const double n = std::max(1.0, std::ceil(dist(a, b) / spacing));
                const auto parts = static_cast<long long>(std::min(n, 1e7));
                for (long long j = 0; j < parts; ++j) {
                    const double t = static_cast<double>(j) / static_cast<double>(parts);
                    add({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}, static_cast<int>(r));
                }
            }
            if (!line.empty()) add(line.back(), static_cast<int>(r));
        }
    }
    if (points_.empty()) return;
    xmin = xmax = points_[0].x;
    ymin = ymax = points_[0].y;
    for (const MapPoint &p : points_) {
        xmin = std::min(xmin, p.x);
        xmax = std::max(xmax, p.x);
        ymin = std::min(ymin, p.y);
        ymax = std::max(ymax, p.y);
    }
    const double side = std::max(xmax - xmin, ymax - ymin);
    cellSize_ = std::max({2.0 * spacing, side / static_cast<double>(kMostGridSide), 1e-9});
    nx_ = std::min(kMostGridSide, static_cast<long long>((xmax - xmin) / cellSize_) + 1);
    ny_ = std::min(kMostGridSide, static_cast<long long>((ymax - ymin) / cellSize_) + 1);
    cells_.assign(static_cast<std::size_t>(nx_ * ny_), {});
    for (std::size_t i = 0; i < points_.size(); ++i)
        cells_[cellOf(points_[i].x, points_[i].y, nullptr, nullptr)].push_back(i);
}

std::size_t ReachPoints::cellOf(double x, double y, long long *cx, long long *cy) const {
    const long long i = std::clamp(static_cast<long long>(std::floor((x - xmin) / cellSize_)), 0LL, nx_ - 1);
    const long long j = std::clamp(static_cast<long long>(std::floor((y - ymin) / cellSize_)), 0LL, ny_ - 1);
    if (cx) *cx = i;
    if (cy) *cy = j;
    return static_cast<std::size_t>(j * nx_ + i);
}

std::vector<std::size_t> ReachPoints::within(MapPoint at, double radius) const {
    std::vector<std::size_t> out;
    if (points_.empty()) return out;
    long long i0, j0, i1, j1;
    cellOf(at.x - radius, at.y - radius, &i0, &j0);
    cellOf(at.x + radius, at.y + radius, &i1, &j1);
    for (long long j = j0; j <= j1; ++j)
        for (long long i = i0; i <= i1; ++i)
            for (std::size_t k : cells_[static_cast<std::size_t>(j * nx_ + i)])
                if (dist(points_[k], at) <= radius) out.push_back(k);
    return out;
}

double ReachPoints::nearest(MapPoint at) const {
    if (points_.empty()) return std::numeric_limits<double>::infinity();
    // Grow a circle until it holds a point; the nearest lies within it.
    const double outside =
        std::hypot(std::max({xmin - at.x, 0.0, at.x - xmax}), std::max({ymin - at.y, 0.0, at.y - ymax}));
    double radius = outside + cellSize_;
    std::vector<std::size_t> found;
    while ((found = within(at, radius)).empty())
        radius *= 2.0;
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t k : found)
        best = std::min(best, dist(points_[k], at));
    return best;
}

std::vector<double> thiessenAreas(const GeosContext &geos, const ReachPoints &points, MapPoint at) {
    std::vector<double> areas(points.reachCount(), 0.0);
    if (points.points().empty()) return areas;
    const double x0 = std::min(points.xmin, at.x), x1 = std::max(points.xmax, at.x);
    const double y0 = std::min(points.ymin, at.y), y1 = std::max(points.ymax, at.y);
    double grow = std::max(x1 - x0, y1 - y0);
    if (grow <= 0.0) grow = 1.0;
    const Geom box = makeBox(geos, x0 - grow, y0 - grow, x1 + grow, y1 + grow);

    const double d1 = points.nearest(at);
    double radius = 3.0 * d1;
    std::vector<std::size_t> local;
    std::vector<MapPoint> sites;
    Geom cell(nullptr, GeomDeleter{geos.handle()});
    for (int round = 0; round < 64; ++round) {
        local = points.within(at, radius);
        sites.clear();
        for (std::size_t k : local)
            sites.push_back(points.points()[k]);
        sites.push_back(at);
        // The location's cell: the one whose nearest site is the location.
        std::vector<Geom> cells = voronoiCells(geos, sites, box.get());
        for (Geom &c : cells)
            if (!GEOSisEmpty_r(geos.handle(), c.get()) &&
                nearestOf(sites, centroidOf(geos, c.get())) == sites.size() - 1)
                cell = std::move(c);
        if (!cell) geos.fail("GEOS gave the location no Voronoi cell");
        double farthest = 0.0;
        for (const MapPoint &v : ringOf(geos, cell.get()))
            farthest = std::max(farthest, dist(v, at));
        const double need = 2.0 * farthest + d1;
        if (need <= radius || local.size() == points.points().size()) break;
        radius = need;
    }
    sites.pop_back();
    if (sites.size() == 1) {
        areas[static_cast<std::size_t>(points.reachOf()[local[0]])] = area(geos, cell.get());
        return areas;
    }
    for (const Geom &old : voronoiCells(geos, sites, box.get())) {
        if (GEOSisEmpty_r(geos.handle(), old.get())) continue;
        const char meets = GEOSIntersects_r(geos.handle(), old.get(), cell.get());
        if (meets != 1) continue;
        const Geom part = own(geos, GEOSIntersection_r(geos.handle(), old.get(), cell.get()), "an overlap");
        const double a = area(geos, part.get());
        if (a <= 0.0) continue;
        const std::size_t owner = local[nearestOf(sites, centroidOf(geos, old.get()))];
        areas[static_cast<std::size_t>(points.reachOf()[owner])] += a;
    }
    return areas;
}

} // namespace vek::geo
