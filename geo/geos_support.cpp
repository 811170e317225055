// GEOS context and geometry builders.
#include "geo/geos_support.h"

namespace vek::geo {

GeosContext::GeosContext() : handle_(GEOS_init_r()) {
    if (!handle_) throw std::runtime_error("GEOS could not be started");
    GEOSContext_setErrorMessageHandler_r(handle_, &GeosContext::onError, this);
}

GeosContext::~GeosContext() { GEOS_finish_r(handle_); }

void GeosContext::onError(const char *message, void *self) {
    static_cast<GeosContext *>(self)->lastError_ = message ? message : "";
}

void GeosContext::fail(const std::string &what) const {
    throw std::runtime_error(what + (lastError_.empty() ? std::string() : ": " + lastError_));
}

Geom own(const GeosContext &c, GEOSGeometry *g, const char *what) {
    if (!g) c.fail(std::string("GEOS could not make ") + what);
    return Geom(g, GeomDeleter{c.handle()});
}

Geom makePoint(const GeosContext &c, MapPoint p) {
    return own(c, GEOSGeom_createPointFromXY_r(c.handle(), p.x, p.y), "a point");
}

namespace {

GEOSCoordSequence *sequence(const GeosContext &c, const MapLine &line) {
    GEOSCoordSequence *s = GEOSCoordSeq_create_r(c.handle(), static_cast<unsigned>(line.size()), 2);
    if (!s) c.fail("GEOS could not make a line");
    for (std::size_t i = 0; i < line.size(); ++i)
        GEOSCoordSeq_setXY_r(c.handle(), s, static_cast<unsigned>(i), line[i].x, line[i].y);
    return s;
}

// A collection of `type` that takes the geometries over.
Geom collection(const GeosContext &c, int type, std::vector<Geom> parts, const char *what) {
    std::vector<GEOSGeometry *> raw;
    raw.reserve(parts.size());
    for (auto &p : parts)
        raw.push_back(p.release());
    GEOSGeometry *g = GEOSGeom_createCollection_r(c.handle(), type, raw.data(), static_cast<unsigned>(raw.size()));
    if (!g) {
        for (GEOSGeometry *p : raw)
            GEOSGeom_destroy_r(c.handle(), p);
        c.fail(std::string("GEOS could not make ") + what);
    }
    return Geom(g, GeomDeleter{c.handle()});
}

} // namespace

Geom makeLine(const GeosContext &c, const MapLine &line) {
    return own(c, GEOSGeom_createLineString_r(c.handle(), sequence(c, line)), "a line");
}

Geom makeMultiLine(const GeosContext &c, const std::vector<MapLine> &lines) {
    std::vector<Geom> parts;
    for (const MapLine &l : lines)
        parts.push_back(makeLine(c, l));
    return collection(c, GEOS_MULTILINESTRING, std::move(parts), "a multi-line");
}

Geom makeMultiPoint(const GeosContext &c, const std::vector<MapPoint> &points) {
    std::vector<Geom> parts;
    parts.reserve(points.size());
    for (const MapPoint &p : points)
        parts.push_back(makePoint(c, p));
    return collection(c, GEOS_MULTIPOINT, std::move(parts), "a set of points");
}

Geom makeBox(const GeosContext &c, double xmin, double ymin, double xmax, double ymax) {
    return own(c, GEOSGeom_createRectangle_r(c.handle(), xmin, ymin, xmax, ymax), "a rectangle");
}

double area(const GeosContext &c, const GEOSGeometry *g) {
    double a = 0.0;
    if (!GEOSArea_r(c.handle(), g, &a)) c.fail("GEOS could not measure an area");
    return a;
}

} // namespace vek::geo
