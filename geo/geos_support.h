// GEOS through its reentrant C API: one context per owner, geometries that
// free themselves, and failures turned into exceptions with GEOS's message.
#pragma once

#include <geos_c.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/stream_reaches.h"

namespace vek::geo {

class GeosContext {
  public:
    GeosContext();
    ~GeosContext();
    GeosContext(const GeosContext &) = delete;
    GeosContext &operator=(const GeosContext &) = delete;

    GEOSContextHandle_t handle() const { return handle_; }
    // Throws std::runtime_error naming what failed and GEOS's last message.
    [[noreturn]] void fail(const std::string &what) const;

  private:
    static void onError(const char *message, void *self);
    GEOSContextHandle_t handle_;
    std::string lastError_;
};

struct GeomDeleter {
    GEOSContextHandle_t handle = nullptr;
    void operator()(GEOSGeometry *g) const { GEOSGeom_destroy_r(handle, g); }
};
using Geom = std::unique_ptr<GEOSGeometry, GeomDeleter>;

struct PreparedDeleter {
    GEOSContextHandle_t handle = nullptr;
    void operator()(const GEOSPreparedGeometry *g) const { GEOSPreparedGeom_destroy_r(handle, g); }
};
using Prepared = std::unique_ptr<const GEOSPreparedGeometry, PreparedDeleter>;

// Builders; each throws on failure.
Geom makePoint(const GeosContext &c, MapPoint p);
Geom makeLine(const GeosContext &c, const MapLine &line);
// The reach's lines as one multi-line.
Geom makeMultiLine(const GeosContext &c, const std::vector<MapLine> &lines);
Geom makeMultiPoint(const GeosContext &c, const std::vector<MapPoint> &points);
Geom makeBox(const GeosContext &c, double xmin, double ymin, double xmax, double ymax);
Geom own(const GeosContext &c, GEOSGeometry *g, const char *what);

double area(const GeosContext &c, const GEOSGeometry *g);

} // namespace vek::geo
