// The web weight of one straight segment: the integral of 1 / d^w along it,
// in closed form (it needs no map library).
#include "geo/apportioner.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vek::geo {

double segmentWebWeight(MapPoint a, MapPoint b, MapPoint p, int power) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length = std::hypot(dx, dy);
    if (length == 0.0) return 0.0;
    const double ux = dx / length, uy = dy / length;
    // Along the segment's line, measured from the foot of the perpendicular
    // from p: the segment runs from t0 to t1; h is p's distance from the line.
    double t0 = (a.x - p.x) * ux + (a.y - p.y) * uy;
    double t1 = t0 + length;
    const double h = std::fabs((a.x - p.x) * uy - (a.y - p.y) * ux);
    if (h == 0.0) {
        if (t0 <= 0.0 && t1 >= 0.0) return std::numeric_limits<double>::infinity();
        const double n = std::min(std::fabs(t0), std::fabs(t1)), f = std::max(std::fabs(t0), std::fabs(t1));
        return power == 2 ? 1.0 / n - 1.0 / f : std::log(f / n);
    }
    if (power == 2) return std::atan2((t1 - t0) * h, h * h + t0 * t1) / h; // atan(t1/h) - atan(t0/h), over h
    // asinh(t1/h) - asinh(t0/h) without cancellation: on the far side of the
    // foot the segment is mirrored; across it the two halves add.
    if (t1 <= 0.0) {
        const double m0 = -t1, m1 = -t0;
        t0 = m0;
        t1 = m1;
    }
    if (t0 < 0.0) return std::asinh(t1 / h) + std::asinh(-t0 / h);
    const double r0 = std::hypot(h, t0), r1 = std::hypot(h, t1);
    const double grow = (t1 - t0) + (t1 - t0) * (t1 + t0) / (r1 + r0);
    return std::log1p(grow / (t0 + r0));
}

} // namespace vek::geo
