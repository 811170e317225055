// The apportionment methods on GEOS.
#include "geo/apportioner.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "geo/geos_support.h"
#include "geo/reach_points.h"

namespace vek::geo {

const char *const kNoMapSupport =
    "This build of the program cannot work with maps (it was built without GDAL and GEOS).";

bool mapSupport() { return true; }

struct Apportioner::Impl {
    const ReachNetwork network;
    GeosContext geos;
    std::vector<Geom> lines;        // per reach; null without geometry
    std::vector<Prepared> prepared; // per reach; null without geometry
    double totalLength = 0.0;
    mutable std::map<double, ReachPoints> points; // polygon method, by spacing

    explicit Impl(const ReachNetwork &n) : network(n) {
        for (const StreamReach &r : network.reaches) {
            if (!r.hasGeometry()) {
                lines.emplace_back(nullptr, GeomDeleter{geos.handle()});
                prepared.emplace_back(nullptr, PreparedDeleter{geos.handle()});
                continue;
            }
            lines.push_back(makeMultiLine(geos, r.lines));
            const GEOSPreparedGeometry *p = GEOSPrepare_r(geos.handle(), lines.back().get());
            if (!p) geos.fail("GEOS could not prepare reach \"" + r.name + "\"");
            prepared.emplace_back(p, PreparedDeleter{geos.handle()});
            for (const MapLine &l : r.lines)
                for (std::size_t i = 1; i < l.size(); ++i)
                    totalLength += std::hypot(l[i].x - l[i - 1].x, l[i].y - l[i - 1].y);
        }
    }

    std::vector<double> distances(MapPoint at) const {
        std::vector<double> d(lines.size(), -1.0);
        const Geom point = makePoint(geos, at);
        for (std::size_t r = 0; r < lines.size(); ++r) {
            if (!prepared[r]) continue;
            if (!GEOSPreparedDistance_r(geos.handle(), prepared[r].get(), point.get(), &d[r]))
                geos.fail("GEOS could not measure a distance");
        }
        return d;
    }

    double web(std::size_t reach, MapPoint at, int power) const {
        double sum = 0.0;
        for (const MapLine &l : network.reaches[reach].lines)
            for (std::size_t i = 1; i < l.size(); ++i)
                sum += segmentWebWeight(l[i - 1], l[i], at, power);
        return sum;
    }

    double spacing(const ApportionRule &rule) const {
        if (rule.spacing > 0.0) return rule.spacing;
        return totalLength > 0.0 ? totalLength / kAutomaticPolygonPoints : 1.0;
    }

    const ReachPoints &pointsFor(double s) const {
        auto it = points.find(s);
        if (it == points.end()) it = points.emplace(s, ReachPoints(network, s)).first;
        return it->second;
    }

    std::vector<double> weights(MapPoint at, const ApportionRule &rule, const std::vector<double> &d) const {
        std::vector<double> w(lines.size(), 0.0);
        if (rule.method == Apportionment::Polygon) {
            const std::vector<double> areas = thiessenAreas(geos, pointsFor(spacing(rule)), at);
            for (std::size_t r = 0; r < w.size() && r < areas.size(); ++r)
                w[r] = areas[r];
            return w;
        }
        for (std::size_t r = 0; r < lines.size(); ++r) {
            if (d[r] < 0.0) continue;
            switch (rule.method) {
            case Apportionment::Inverse:
                w[r] = d[r] == 0.0 ? std::numeric_limits<double>::infinity()
                                   : 1.0 / (rule.power == 2 ? d[r] * d[r] : d[r]);
                break;
            case Apportionment::Web:
                w[r] = web(r, at, rule.power);
                break;
            default:
                break;
            }
        }
        return w;
    }
};

namespace {

// Reaches tied for nearest: within a relative 1e-12 of the shortest distance.
bool tiedNearest(double d, double shortest) { return d - shortest <= 1e-12 * std::max(1.0, shortest); }

// Fractions from weights over the reaches allowed; an infinite weight (the
// location on a reach) takes everything, shared among such reaches.
std::vector<double> normalised(std::vector<double> w, const std::vector<bool> &allowed) {
    bool infinite = false;
    for (std::size_t r = 0; r < w.size(); ++r)
        if (allowed[r] && std::isinf(w[r])) infinite = true;
    double sum = 0.0;
    for (std::size_t r = 0; r < w.size(); ++r) {
        if (!allowed[r] || (infinite && !std::isinf(w[r]))) w[r] = 0.0;
        if (infinite && std::isinf(w[r])) w[r] = 1.0;
        sum += w[r];
    }
    if (!(sum > 0.0)) return {};
    for (double &x : w)
        x /= sum;
    return w;
}

// Shares below the minimum go to the others in proportion (one pass); when
// every share is below it the largest keeps everything.
void applyMinimum(std::vector<double> &f, double minimum) {
    if (minimum <= 0.0) return;
    double kept = 0.0;
    std::size_t largest = 0;
    for (std::size_t r = 0; r < f.size(); ++r) {
        if (f[r] > f[largest]) largest = r;
        if (f[r] >= minimum) kept += f[r];
    }
    if (kept == 0.0) {
        std::fill(f.begin(), f.end(), 0.0);
        f[largest] = 1.0;
        return;
    }
    for (double &x : f)
        x = x >= minimum ? x / kept : 0.0;
}

} // namespace

Apportioner::Apportioner(const ReachNetwork &network) : impl_(std::make_unique<Impl>(network)) {}
Apportioner::~Apportioner() = default;

std::vector<double> Apportioner::distances(MapPoint at) const { return impl_->distances(at); }

std::vector<std::optional<MapPoint>> Apportioner::nearestPoints(MapPoint at) const {
    const GeosContext &c = impl_->geos;
    std::vector<std::optional<MapPoint>> out(impl_->lines.size());
    const Geom point = makePoint(c, at);
    for (std::size_t r = 0; r < out.size(); ++r) {
        if (!impl_->lines[r]) continue;
        GEOSCoordSequence *pair = GEOSNearestPoints_r(c.handle(), impl_->lines[r].get(), point.get());
        if (!pair) c.fail("GEOS could not find a nearest point");
        MapPoint p;
        GEOSCoordSeq_getXY_r(c.handle(), pair, 0, &p.x, &p.y);
        GEOSCoordSeq_destroy_r(c.handle(), pair);
        out[r] = p;
    }
    return out;
}

std::vector<double> Apportioner::weights(MapPoint at, const ApportionRule &rule) const {
    return impl_->weights(at, rule, impl_->distances(at));
}

double Apportioner::polygonSpacing(const ApportionRule &rule) const { return impl_->spacing(rule); }

Apportioned Apportioner::apportion(MapPoint at, const ApportionRule &rule) const {
    Apportioned out;
    const std::vector<double> d = impl_->distances(at);
    double shortest = std::numeric_limits<double>::infinity();
    std::vector<bool> allowed(d.size(), false);
    for (std::size_t r = 0; r < d.size(); ++r) {
        if (d[r] < 0.0) continue;
        shortest = std::min(shortest, d[r]);
        allowed[r] = rule.maxDistance <= 0.0 || d[r] <= rule.maxDistance;
    }
    if (std::isinf(shortest)) {
        out.problem = "no reach has a line on the map";
        return out;
    }
    if (std::find(allowed.begin(), allowed.end(), true) == allowed.end()) {
        out.problem = "no reach lies within the maximum distance of " + engine::sectionNumber(rule.maxDistance) +
                      " (the nearest is " + engine::sectionNumber(shortest) + " away)";
        return out;
    }
    std::vector<double> w(d.size(), 0.0);
    if (rule.method == Apportionment::Nearest || shortest == 0.0) {
        // The nearest reach takes everything; so does a reach the location
        // stands on, whatever the method.
        for (std::size_t r = 0; r < d.size(); ++r)
            w[r] = d[r] >= 0.0 && tiedNearest(d[r], shortest) ? std::numeric_limits<double>::infinity() : 0.0;
    } else {
        w = impl_->weights(at, rule, d);
    }
    std::vector<double> f = normalised(std::move(w), allowed);
    if (f.empty()) {
        out.problem = "its Thiessen polygon meets no reach within the maximum distance";
        return out;
    }
    applyMinimum(f, rule.minFraction);
    for (std::size_t r = 0; r < f.size(); ++r)
        if (f[r] > 0.0) out.shares.push_back({static_cast<int>(r), f[r], d[r], false, 0.0f});
    return out;
}

} // namespace vek::geo
