// Reading wells and reaches with GDAL/OGR.
#include "geo/map_import.h"

#include "common/ascii_case.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace vek::geo {

namespace {

struct TransformDeleter {
    void operator()(OGRCoordinateTransformation *t) const { OGRCoordinateTransformation::DestroyCT(t); }
};

// GDAL's messages go to this thread's quiet handler while an import runs;
// the last one explains a failure.
class QuietGdal {
  public:
    QuietGdal() { CPLPushErrorHandler(CPLQuietErrorHandler); }
    ~QuietGdal() { CPLPopErrorHandler(); }
    QuietGdal(const QuietGdal &) = delete;
    QuietGdal &operator=(const QuietGdal &) = delete;
};

std::string lastGdalMessage() {
    const char *m = CPLGetLastErrorMsg();
    return m && *m ? std::string(" (") + m + ")" : std::string();
}

std::string trimmed(std::string s) {
    const auto a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

bool endsWithCsv(const std::string &path) {
    if (path.size() < 4) return false;
    return asciiLowered(path.substr(path.size() - 4)) == ".csv";
}

OperationError error(OperationError::Kind kind, std::string message, const std::string &file, std::string field = {}) {
    OperationError e;
    e.kind = kind;
    e.message = std::move(message);
    e.file = file;
    e.field = std::move(field);
    return e;
}

class Failure {
  public:
    explicit Failure(OperationError e) : e_(std::move(e)) {}
    const OperationError &error() const { return e_; }

  private:
    OperationError e_;
};

// One opened file and the layer the import reads.
struct Source {
    std::string path;
    const char *what = ""; // "wells" or "stream reaches"
    GDALDatasetUniquePtr dataset;
    OGRLayer *layer = nullptr;
};

Source open(const std::string &path, const char *what, bool points) {
    Source s;
    s.path = path;
    s.what = what;
    // CSV points come from x and y columns (any case), the rest are fields.
    const char *csv[] = {"X_POSSIBLE_NAMES=x,X,easting,Easting,EASTING",
                         "Y_POSSIBLE_NAMES=y,Y,northing,Northing,NORTHING", "KEEP_GEOM_COLUMNS=NO",
                         "AUTODETECT_TYPE=YES", nullptr};
    s.dataset.reset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr,
                                      endsWithCsv(path) ? csv : nullptr, nullptr));
    if (!s.dataset)
        throw Failure(error(OperationError::Kind::CannotOpen,
                            "Unable to open the " + std::string(what) + " file " + path + lastGdalMessage() + ".",
                            path));
    // The first layer of the right kind of geometry, else the first.
    for (int i = 0; i < s.dataset->GetLayerCount() && !s.layer; ++i) {
        OGRLayer *l = s.dataset->GetLayer(i);
        const OGRwkbGeometryType t = wkbFlatten(l->GetGeomType());
        const bool isPoint = t == wkbPoint || t == wkbMultiPoint;
        const bool isLine = t == wkbLineString || t == wkbMultiLineString || t == wkbCompoundCurve ||
                            t == wkbCircularString || t == wkbMultiCurve;
        if (points ? isPoint : isLine) s.layer = l;
    }
    if (!s.layer && s.dataset->GetLayerCount() > 0) s.layer = s.dataset->GetLayer(0);
    if (!s.layer)
        throw Failure(error(OperationError::Kind::NoWells,
                            "The " + std::string(what) + " file " + path + " holds no layer to read.", path));
    return s;
}

// The index of a field by name (any case), -1 when `name` is empty; a name
// the layer lacks is refused.
int fieldIndex(const Source &s, const std::string &name) {
    if (name.empty()) return -1;
    const int i = s.layer->GetLayerDefn()->GetFieldIndex(name.c_str());
    if (i < 0)
        throw Failure(error(OperationError::Kind::MissingField,
                            "The " + std::string(s.what) + " in " + s.path + " have no field \"" + name + "\".", s.path,
                            name));
    return i;
}

int nameIndex(const Source &s, const std::string &requested) {
    if (!requested.empty()) return fieldIndex(s, requested);
    OGRFeatureDefn *d = s.layer->GetLayerDefn();
    if (int i = d->GetFieldIndex("name"); i >= 0) return i;
    for (int i = 0; i < d->GetFieldCount(); ++i)
        if (d->GetFieldDefn(i)->GetType() == OFTString) return i;
    throw Failure(error(OperationError::Kind::MissingField,
                        "The " + std::string(s.what) + " in " + s.path +
                            " have no text field to name them by; name the field that does.",
                        s.path, "name"));
}

// "EPSG:32613", or the system's WKT when it has no authority code.
std::string systemName(const OGRSpatialReference &srs) {
    const char *auth = srs.GetAuthorityName(nullptr);
    const char *code = srs.GetAuthorityCode(nullptr);
    if (auth && code) return std::string(auth) + ":" + code;
    char *wkt = nullptr;
    srs.exportToWkt(&wkt);
    std::string s = wkt ? wkt : "";
    CPLFree(wkt);
    return s;
}

std::string utmSuggestion(const Source &s) {
    OGREnvelope e;
    if (s.layer->GetExtent(&e, TRUE) != OGRERR_NONE) return "a UTM zone's system";
    const double lon = (e.MinX + e.MaxX) / 2.0, lat = (e.MinY + e.MaxY) / 2.0;
    const int zone = std::clamp(static_cast<int>(std::floor((lon + 180.0) / 6.0)) + 1, 1, 60);
    const int code = (lat >= 0.0 ? 32600 : 32700) + zone;
    return "EPSG:" + std::to_string(code) + " (WGS 84 / UTM zone " + std::to_string(zone) + (lat >= 0.0 ? "N" : "S") +
           ", the zone that holds them)";
}

LengthUnit unitOf(const OGRSpatialReference &srs, const std::string &file) {
    const char *name = nullptr;
    const double metres = srs.GetLinearUnits(&name);
    if (std::fabs(metres - 1.0) < 1e-9) return LengthUnit::Metres;
    if (std::fabs(metres - kMetresPerFoot) < 1e-5) return LengthUnit::Feet;
    throw Failure(error(OperationError::Kind::NoProjectedSystem,
                        "The coordinate system " + systemName(srs) + " measures in " + (name ? name : "?") +
                            ", neither feet nor metres; name a projected system in feet or metres.",
                        file));
}

using Transform = std::unique_ptr<OGRCoordinateTransformation, TransformDeleter>;

struct Well {
    std::string name;
    MapPoint at;
    std::optional<double> s, t, factor;
};

class MapImport {
  public:
    MapImport(ModelInput &m, const MapImportOptions &o) : m_(m), o_(o) {}

    OperationResult run(MapImportCounts *counts) {
        OperationResult r;
        try {
            std::vector<Source> sources;
            if (!o_.wells.empty()) sources.push_back(open(o_.wells, "wells", true));
            if (!o_.streams.empty()) sources.push_back(open(o_.streams, "stream reaches", false));
            if (sources.empty())
                throw Failure(error(OperationError::Kind::NoWells, "Name a file of wells or of stream reaches.", ""));
            chooseTarget(sources);
            for (Source &s : sources) {
                const Transform t = transformFor(s);
                if (&s == &sources.front() && !o_.wells.empty())
                    readWells(s, t.get());
                else
                    readStreams(s, t.get());
            }
            apply(counts);
            r.changed = true;
        } catch (const Failure &f) {
            r.error = f.error();
        }
        r.warnings = std::move(warnings_);
        return r;
    }

  private:
    void warn(const std::string &file, std::string text) {
        warnings_.push_back(error(OperationError::Kind::Unreadable, std::move(text), file));
    }

    static void setSystem(OGRSpatialReference &srs, const std::string &text, const std::string &file) {
        if (srs.SetFromUserInput(text.c_str()) != OGRERR_NONE)
            throw Failure(error(OperationError::Kind::Unreadable,
                                "\"" + text + "\" is not a coordinate system that PROJ knows" + lastGdalMessage() + ".",
                                file, "crs"));
        if (!srs.IsProjected())
            throw Failure(error(OperationError::Kind::NoProjectedSystem,
                                "\"" + text +
                                    "\" is not a projected coordinate system; distances on the map need one in feet "
                                    "or metres (a UTM zone, a State Plane zone).",
                                file, "crs"));
    }

    // The projected system everything is converted into: the one named, the
    // model's, or the first layer's own projected system.
    void chooseTarget(std::vector<Source> &sources) {
        const bool modelHasMap =
            !m_.network.reaches.empty() || std::any_of(m_.locations.begin(), m_.locations.end(),
                                                       [](const Location &l) { return l.onMap.position.has_value(); });
        if (!o_.crs.empty()) {
            target_.emplace();
            setSystem(*target_, o_.crs, "");
            if (modelHasMap && !m_.network.crs.empty() && systemName(*target_) != m_.network.crs)
                throw Failure(
                    error(OperationError::Kind::NoProjectedSystem,
                          "The model's map is in " + m_.network.crs + "; import into that system, not " + o_.crs + ".",
                          "", "crs"));
        } else if (!m_.network.crs.empty()) {
            target_.emplace();
            setSystem(*target_, m_.network.crs, "");
        } else {
            for (const Source &s : sources)
                if (const OGRSpatialReference *srs = s.layer->GetSpatialRef(); srs && srs->IsProjected()) {
                    target_.emplace(*srs);
                    break;
                }
        }
        if (!target_) {
            for (const Source &s : sources)
                if (const OGRSpatialReference *srs = s.layer->GetSpatialRef(); srs && srs->IsGeographic())
                    throw Failure(error(
                        OperationError::Kind::NoProjectedSystem,
                        "The " + std::string(s.what) + " in " + s.path + " are in longitude and latitude (" +
                            systemName(*srs) +
                            "); distances on the map need a projected coordinate system: name one to convert them "
                            "into, for example " +
                            utmSuggestion(s) + ".",
                        s.path, "crs"));
            warn("", "No file names its coordinate system: the coordinates are taken as they are, in the model's "
                     "unit (" +
                         std::string(m_.network.unit == LengthUnit::Metres ? "metres" : "feet") + ").");
            unit_ = m_.network.unit;
            return;
        }
        target_->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        unit_ = unitOf(*target_, "");
    }

    Transform transformFor(const Source &s) {
        const OGRSpatialReference *srs = s.layer->GetSpatialRef();
        if (!target_) return Transform();
        if (!srs) {
            warn(s.path, "The " + std::string(s.what) + " in " + s.path +
                             " name no coordinate system: their coordinates are taken to be in " +
                             systemName(*target_) + ".");
            return Transform();
        }
        OGRSpatialReference from(*srs);
        from.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        if (from.IsSame(&*target_)) return Transform();
        Transform t(OGRCreateCoordinateTransformation(&from, &*target_));
        if (!t)
            throw Failure(error(OperationError::Kind::Unreadable,
                                "The " + std::string(s.what) + " in " + s.path + " cannot be converted from " +
                                    systemName(from) + " into " + systemName(*target_) + lastGdalMessage() + ".",
                                s.path, "crs"));
        return t;
    }

    // The feature's geometry in the target system, or nullptr.
    static std::unique_ptr<OGRGeometry> geometryOf(OGRFeature &f, OGRCoordinateTransformation *t) {
        const OGRGeometry *g = f.GetGeometryRef();
        if (!g || g->IsEmpty()) return nullptr;
        std::unique_ptr<OGRGeometry> copy(g->clone());
        if (t && copy->transform(t) != OGRERR_NONE) return nullptr;
        return copy;
    }

    static std::optional<double> number(OGRFeature &f, int index) {
        if (index < 0 || !f.IsFieldSetAndNotNull(index)) return std::nullopt;
        const double v = f.GetFieldAsDouble(index);
        return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
    }

    void readWells(Source &s, OGRCoordinateTransformation *t) {
        const int name = nameIndex(s, o_.nameField);
        const int si = fieldIndex(s, o_.storativityField), ti = fieldIndex(s, o_.transmissivityField),
                  fi = fieldIndex(s, o_.factorField);
        int unnamed = 0, unplaced = 0, twice = 0;
        std::map<std::string, bool> seen;
        for (auto &f : *s.layer) {
            Well w;
            w.name = trimmed(f->GetFieldAsString(name));
            const std::unique_ptr<OGRGeometry> g = geometryOf(*f, t);
            if (w.name.empty()) {
                ++unnamed;
                continue;
            }
            OGRPoint p;
            if (!g || g->Centroid(&p) != OGRERR_NONE || p.IsEmpty()) {
                ++unplaced;
                continue;
            }
            if (!seen.emplace(w.name, true).second) {
                ++twice;
                continue;
            }
            w.at = {p.getX(), p.getY()};
            w.s = number(*f, si);
            w.t = number(*f, ti);
            w.factor = number(*f, fi);
            wells_.push_back(std::move(w));
        }
        if (unnamed) warn(s.path, std::to_string(unnamed) + " wells in " + s.path + " have no name and were left out.");
        if (unplaced)
            warn(s.path, std::to_string(unplaced) + " wells in " + s.path + " have no point and were left out.");
        if (twice)
            warn(s.path, std::to_string(twice) + " wells in " + s.path + " repeat a name; the first of each counts.");
        if (wells_.empty())
            throw Failure(
                error(OperationError::Kind::NoWells, "The file " + s.path + " holds no named well points.", s.path));
    }

    void readStreams(Source &s, OGRCoordinateTransformation *t) {
        const int name = nameIndex(s, o_.nameField);
        int unnamed = 0, notLines = 0;
        for (auto &f : *s.layer) {
            const std::string n = trimmed(f->GetFieldAsString(name));
            std::unique_ptr<OGRGeometry> g = geometryOf(*f, t);
            if (n.empty()) {
                ++unnamed;
                continue;
            }
            const OGRwkbGeometryType type = g ? wkbFlatten(g->getGeometryType()) : wkbUnknown;
            if (!g || type == wkbPoint || type == wkbMultiPoint || type == wkbPolygon || type == wkbMultiPolygon) {
                ++notLines;
                continue;
            }
            std::unique_ptr<OGRGeometry> lines(OGRGeometryFactory::forceToMultiLineString(g.release()));
            if (!lines || wkbFlatten(lines->getGeometryType()) != wkbMultiLineString) {
                ++notLines;
                continue;
            }
            auto [it, added] = reaches_.try_emplace(n);
            if (added) reachOrder_.push_back(n);
            for (const OGRLineString *ls : *lines->toMultiLineString()) {
                MapLine line;
                for (int i = 0; i < ls->getNumPoints(); ++i)
                    line.push_back({ls->getX(i), ls->getY(i)});
                if (line.size() >= 2) it->second.push_back(std::move(line));
            }
        }
        if (unnamed) warn(s.path, std::to_string(unnamed) + " lines in " + s.path + " have no name and were left out.");
        if (notLines)
            warn(s.path, std::to_string(notLines) + " features in " + s.path + " are not lines and were left out.");
        if (reachOrder_.empty())
            throw Failure(
                error(OperationError::Kind::NoWells, "The file " + s.path + " holds no named stream lines.", s.path));
    }

    void apply(MapImportCounts *counts) {
        MapImportCounts c;
        if (target_) m_.network.crs = o_.crs.empty() && !m_.network.crs.empty() ? m_.network.crs : systemName(*target_);
        m_.network.unit = unit_;
        for (const std::string &name : reachOrder_) {
            const int at = findReach(m_, name);
            if (at >= 0) {
                m_.network.reaches[static_cast<std::size_t>(at)].lines = reaches_[name];
                ++c.reachesMoved;
            } else {
                m_.network.reaches.push_back({name, reaches_[name]});
                ++c.reachesAdded;
            }
        }
        for (const Well &w : wells_) {
            Location *loc = nullptr;
            for (Location &l : m_.locations)
                if (l.name == w.name) {
                    loc = &l;
                    break;
                }
            if (!loc) {
                loc = &addLocation(w.name);
                ++c.wellsAdded;
            }
            loc->onMap.position = w.at;
            if (w.s) loc->onMap.storativity = *w.s;
            if (w.t) loc->onMap.transmissivity = *w.t;
            if (w.factor) loc->VEK = static_cast<float>(*w.factor);
            ++c.wellsPlaced;
        }
        if (counts) *counts = c;
    }

    Location &addLocation(const std::string &name) {
        Location loc;
        loc.name = name;
        for (int m = 0; m < 12; ++m) {
            loc.historicalData[static_cast<std::size_t>(m)].assign(static_cast<std::size_t>(m_.historicalYears()),
                                                                   0.0f);
            loc.pumpingFlow[static_cast<std::size_t>(m)].assign(static_cast<std::size_t>(m_.historicalYears()), 0.0f);
            loc.daysOn[static_cast<std::size_t>(m)].assign(static_cast<std::size_t>(m_.historicalYears()), 0.0f);
            loc.synthesizedData[static_cast<std::size_t>(m)].assign(static_cast<std::size_t>(m_.synthesizedYears()),
                                                                    0.0f);
        }
        m_.locations.push_back(std::move(loc));
        return m_.locations.back();
    }

    ModelInput &m_;
    const MapImportOptions &o_;
    std::optional<OGRSpatialReference> target_;
    LengthUnit unit_ = LengthUnit::Feet;
    std::vector<Well> wells_;
    std::map<std::string, std::vector<MapLine>> reaches_;
    std::vector<std::string> reachOrder_;
    std::vector<OperationError> warnings_;
};

} // namespace

OperationResult importMap(ModelInput &model, const MapImportOptions &options, MapImportCounts *counts) {
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAllRegister(); });
    const QuietGdal quiet;
    return MapImport(model, options).run(counts);
}

} // namespace vek::geo
