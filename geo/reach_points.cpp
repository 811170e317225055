// Points along the reaches, their grid, and Thiessen areas on GEOS.
#include "geo/reach_points.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <utility>

namespace vek::geo {

namespace {

constexpr long long kMostGridSide = 512;

double dist(MapPoint a, MapPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }
double dist2(MapPoint a, MapPoint b) { return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y); }

struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool meets(const Box &o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
    bool holds(MapPoint p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
};

Box boxOf(const GeosContext &c, const GEOSGeometry *g) {
    Box b;
    GEOSGeom_getXMin_r(c.handle(), g, &b.x0);
    GEOSGeom_getYMin_r(c.handle(), g, &b.y0);
    GEOSGeom_getXMax_r(c.handle(), g, &b.x1);
    GEOSGeom_getYMax_r(c.handle(), g, &b.y1);
    return b;
}

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

// The polygons of a Voronoi diagram: GEOS gives its cells as polygons or as
// collections of them.
void polygonsOf(const GeosContext &c, const GEOSGeometry *g, std::vector<const GEOSGeometry *> &out) {
    const int type = GEOSGeomTypeId_r(c.handle(), g);
    if (type == GEOS_POLYGON) {
        if (!GEOSisEmpty_r(c.handle(), g)) out.push_back(g);
        return;
    }
    if (type == GEOS_GEOMETRYCOLLECTION || type == GEOS_MULTIPOLYGON)
        for (int i = 0, n = GEOSGetNumGeometries_r(c.handle(), g); i < n; ++i)
            polygonsOf(c, GEOSGetGeometryN_r(c.handle(), g, i), out);
}

// The Voronoi diagram of `sites`, covering at least `box`; its cells are
// clipped to the box only where used.
Geom voronoi(const GeosContext &c, const std::vector<MapPoint> &sites, const GEOSGeometry *box) {
    const Geom multi = makeMultiPoint(c, sites);
    return own(c, GEOSVoronoiDiagram_r(c.handle(), multi.get(), box, 0.0, 0), "a Voronoi diagram");
}

Geom clipped(const GeosContext &c, const GEOSGeometry *cell, const Box &box) {
    return own(c, GEOSClipByRect_r(c.handle(), cell, box.x0, box.y0, box.x1, box.y1), "a clipped Voronoi cell");
}

double signedArea(const std::vector<MapPoint> &ring) {
    double a = 0.0;
    for (std::size_t i = 0; i + 1 < ring.size(); ++i)
        a += ring[i].x * ring[i + 1].y - ring[i + 1].x * ring[i].y;
    return a / 2.0;
}

// The area where two convex polygons (closed rings) overlap: `subject`
// clipped by each edge of `clip` in turn (Sutherland and Hodgman). Voronoi
// cells are convex, and this is far cheaper than a general overlay.
double convexOverlap(std::vector<MapPoint> subject, const std::vector<MapPoint> &clip) {
    const double orientation = signedArea(clip) < 0.0 ? -1.0 : 1.0;
    std::vector<MapPoint> next;
    for (std::size_t e = 0; e + 1 < clip.size() && subject.size() > 2; ++e) {
        const MapPoint a = clip[e], b = clip[e + 1];
        // Inside: on the left of a->b for a counter-clockwise ring.
        auto side = [&](MapPoint p) { return orientation * ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x)); };
        next.clear();
        for (std::size_t i = 0; i + 1 < subject.size(); ++i) {
            const MapPoint p = subject[i], q = subject[i + 1];
            const double sp = side(p), sq = side(q);
            if (sp >= 0.0) next.push_back(p);
            if ((sp >= 0.0) != (sq >= 0.0)) {
                const double t = sp / (sp - sq);
                next.push_back({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t});
            }
        }
        if (!next.empty()) next.push_back(next.front());
        subject.swap(next);
    }
    return subject.size() > 3 ? std::fabs(signedArea(subject)) : 0.0;
}

std::size_t nearestOf(const std::vector<MapPoint> &sites, MapPoint p) {
    std::size_t best = 0;
    double bestD = dist2(sites[0], p);
    for (std::size_t i = 1; i < sites.size(); ++i)
        if (const double d = dist2(sites[i], p); d < bestD) {
            best = i;
            bestD = d;
        }
    return best;
}

} // namespace

ReachPoints::ReachPoints(const ReachNetwork &network, double spacing) : reachCount_(network.reaches.size()) {
    std::map<std::pair<double, double>, std::size_t> seen;
    auto add = [&](MapPoint p, int reach) {
        const auto [it, added] = seen.try_emplace({p.x, p.y}, points_.size());
        if (!added) {
            std::vector<int> &r = reaches_[it->second];
            if (std::find(r.begin(), r.end(), reach) == r.end()) r.push_back(reach);
            return;
        }
        points_.push_back(p);
        reaches_.push_back({reach});
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
                if (dist2(points_[k], at) <= radius * radius) out.push_back(k);
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
    const Box clip{x0 - grow, y0 - grow, x1 + grow, y1 + grow};
    const Geom box = makeBox(geos, clip.x0, clip.y0, clip.x1, clip.y1);

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
        const Geom diagram = voronoi(geos, sites, box.get());
        std::vector<const GEOSGeometry *> polygons;
        polygonsOf(geos, diagram.get(), polygons);
        for (const GEOSGeometry *c : polygons)
            if (boxOf(geos, c).holds(at) && nearestOf(sites, centroidOf(geos, c)) == sites.size() - 1)
                cell = clipped(geos, c, clip);
        if (!cell) geos.fail("GEOS gave the location no Voronoi cell");
        double farthest = 0.0;
        for (const MapPoint &v : ringOf(geos, cell.get()))
            farthest = std::max(farthest, dist(v, at));
        const double need = 2.0 * farthest + d1;
        if (need <= radius || local.size() == points.points().size()) break;
        radius = need;
    }
    sites.pop_back();
    // A point's area goes to its reach, or in equal parts to the reaches
    // that meet there.
    auto credit = [&](std::size_t point, double a) {
        const std::vector<int> &owners = points.reachesOf(point);
        for (int r : owners)
            areas[static_cast<std::size_t>(r)] += a / static_cast<double>(owners.size());
    };
    if (sites.size() == 1) {
        credit(local[0], area(geos, cell.get()));
        return areas;
    }
    const Box cellBox = boxOf(geos, cell.get());
    const std::vector<MapPoint> cellRing = ringOf(geos, cell.get());
    const Geom diagram = voronoi(geos, sites, box.get());
    std::vector<const GEOSGeometry *> polygons;
    polygonsOf(geos, diagram.get(), polygons);
    for (const GEOSGeometry *old : polygons) {
        if (!boxOf(geos, old).meets(cellBox)) continue;
        // The location's cell lies within the box: no clipping needed here.
        const double a = convexOverlap(ringOf(geos, old), cellRing);
        if (a <= 0.0) continue;
        credit(local[nearestOf(sites, centroidOf(geos, old))], a);
    }
    return areas;
}

} // namespace vek::geo
