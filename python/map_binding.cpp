// Stream reaches: the model's reaches and how depletion is apportioned among
// them, each location's place on the map, the import of wells and reaches
// from GIS files, and the resolved fractions as a location x reach table.
// The rules are the cores': apportionment and import in geo/, the checks in
// model/.
#include "python/bindings.h"

#include <cmath>

#include "geo/apportioner.h"
#include "geo/map_import.h"
#include "geo/reach_resolution.h"
#include "model/stream_reaches.h"
#include "model/value_limits.h"

namespace vek::python {

namespace {

int reachArgument(const Model &mo, const py::handle &value) {
    const int n = static_cast<int>(mo.doc.model.network.reaches.size());
    if (py::isinstance<py::str>(value)) {
        const int i = findReach(mo.doc.model, value.cast<std::string>());
        if (i < 0) throw py::key_error("the model has no reach \"" + value.cast<std::string>() + "\"");
        return i;
    }
    int i = value.cast<int>();
    if (i < 0) i += n;
    if (i < 0 || i >= n) throw py::index_error("the model has no reach " + py::str(value).cast<std::string>());
    return i;
}

ApportionRule ruleArgument(const std::string &method, int power, double maxDistance, double minFraction,
                           double spacing) {
    ApportionRule r;
    if (!engine::apportionmentFromKeyword(method, r.method))
        throw py::value_error(
            "an apportionment is \"nearest\", \"inverse\", \"web\", \"polygon\" or \"shares\", not \"" + method + "\"");
    if (power != 1 && power != 2) throw py::value_error("power is 1 or 2");
    if (!(maxDistance >= 0.0)) throw py::value_error("max_distance must be 0 (no limit) or more");
    if (!(minFraction >= 0.0 && minFraction < 1.0))
        throw py::value_error("min_fraction must be at least 0 and below 1");
    if (!(spacing >= 0.0)) throw py::value_error("spacing must be 0 (chosen from the network) or more");
    r.power = power;
    r.maxDistance = maxDistance;
    r.minFraction = minFraction;
    r.spacing = spacing;
    return r;
}

py::dict ruleDict(const ApportionRule &r) {
    py::dict d;
    d["method"] = engine::apportionmentKeyword(r.method);
    d["power"] = r.power;
    d["max_distance"] = r.maxDistance;
    d["min_fraction"] = r.minFraction;
    d["spacing"] = r.spacing;
    return d;
}

py::list linesOf(const StreamReach &r) {
    py::list lines;
    for (const MapLine &l : r.lines) {
        py::array_t<double> a({static_cast<py::ssize_t>(l.size()), static_cast<py::ssize_t>(2)});
        auto v = a.mutable_unchecked<2>();
        for (std::size_t i = 0; i < l.size(); ++i) {
            v(static_cast<py::ssize_t>(i), 0) = l[i].x;
            v(static_cast<py::ssize_t>(i), 1) = l[i].y;
        }
        makeReadOnly(a);
        lines.append(a);
    }
    return lines;
}

std::vector<MapLine> linesArgument(const py::handle &value) {
    std::vector<MapLine> out;
    for (const py::handle &line : value) {
        const auto a = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(line);
        if (!a || a.ndim() != 2 || a.shape(1) != 2 || a.shape(0) < 2)
            throw py::value_error("a line is a sequence of at least two (x, y) points");
        MapLine l;
        auto v = a.unchecked<2>();
        for (py::ssize_t i = 0; i < a.shape(0); ++i) {
            if (!std::isfinite(v(i, 0)) || !std::isfinite(v(i, 1))) throw py::value_error("a point is not finite");
            l.push_back({v(i, 0), v(i, 1)});
        }
        out.push_back(std::move(l));
    }
    return out;
}

// Resolves the model's shares and marks it modified; the troubles, by
// location position.
py::dict resolve(Model &mo) {
    geo::Resolution r;
    {
        py::gil_scoped_release release;
        r = geo::resolveReaches(mo.doc.model);
    }
    if (!r.ok()) {
        OperationError e;
        e.kind = geo::mapSupport() ? OperationError::Kind::Unreadable : OperationError::Kind::NoMapSupport;
        e.message = r.failure;
        raiseOperation(e);
    }
    mo.doc.setModified();
    py::dict troubles;
    for (const auto &t : r.troubles)
        troubles[py::int_(t.location)] = t.text;
    return troubles;
}

// The resolved fractions: one row per location (by name), one column per
// reach; NaN for a location without shares. A pandas DataFrame, or without
// pandas a dict of the index, columns and values.
py::object fractionsFrame(const Model &mo, const py::dict &troubles) {
    const ModelInput &m = mo.doc.model;
    const auto rows = static_cast<py::ssize_t>(m.locations.size());
    const auto cols = static_cast<py::ssize_t>(m.network.reaches.size());
    py::array_t<double> values({rows, cols});
    auto v = values.mutable_unchecked<2>();
    py::list index, columns;
    for (py::ssize_t i = 0; i < rows; ++i) {
        const Location &loc = m.locations[static_cast<std::size_t>(i)];
        index.append(loc.name);
        const double fill = loc.onMap.shares.empty() ? std::nan("") : 0.0;
        for (py::ssize_t j = 0; j < cols; ++j)
            v(i, j) = fill;
        for (const ReachShare &s : loc.onMap.shares)
            v(i, s.reach) = s.fraction;
    }
    for (const StreamReach &r : m.network.reaches)
        columns.append(r.name);
    py::object pandas;
    try {
        pandas = py::module_::import("pandas");
    } catch (const py::error_already_set &) {
        py::dict d;
        d["index"] = index;
        d["columns"] = columns;
        d["values"] = values;
        d["problems"] = troubles;
        return d;
    }
    py::object frame =
        pandas.attr("DataFrame")(values, py::arg("index") = pandas.attr("Index")(index, py::arg("name") = "location"),
                                 py::arg("columns") = pandas.attr("Index")(columns, py::arg("name") = "reach"));
    frame.attr("attrs")["problems"] = troubles;
    return frame;
}

void bindLocationMap(LocationClass &location) {
    location.def_property(
        "xy",
        [](const LocationRef &r) -> py::object {
            const auto &p = r.get().onMap.position;
            return p ? py::object(py::make_tuple(p->x, p->y)) : py::object(py::none());
        },
        [](const LocationRef &r, const py::object &value) {
            Location &loc = r.get();
            if (value.is_none()) {
                loc.onMap.position.reset();
            } else {
                const auto xy = value.cast<std::pair<double, double>>();
                if (!std::isfinite(xy.first) || !std::isfinite(xy.second))
                    throw py::value_error("x and y must be finite");
                loc.onMap.position = MapPoint{xy.first, xy.second};
            }
            r.model->doc.setModified();
        },
        "Where the location stands on the model's map, (x, y) in its projected system; None when not placed.");
    const auto optionalProperty = [&](const char *name, std::optional<double> LocationMap::*field, const char *doc) {
        location.def_property(
            name,
            [field](const LocationRef &r) -> py::object {
                const auto &v = r.get().onMap.*field;
                return v ? py::object(py::float_(*v)) : py::object(py::none());
            },
            [field, name](const LocationRef &r, const py::object &value) {
                if (value.is_none())
                    (r.get().onMap.*field).reset();
                else if (const double v = value.cast<double>(); !std::isfinite(v))
                    throw py::value_error(std::string(name) + " must be a finite number");
                else
                    r.get().onMap.*field = v;
                r.model->doc.setModified();
            },
            doc);
    };
    optionalProperty("storativity", &LocationMap::storativity, "S, the storage coefficient; None when not known.");
    optionalProperty("transmissivity", &LocationMap::transmissivity,
                     "T, in the square of the map's unit a day; None when not known.");
    location.def_property(
        "factor_from_map", [](const LocationRef &r) { return r.get().onMap.factorFromMap; },
        [](const LocationRef &r, bool on) {
            r.get().onMap.factorFromMap = on;
            r.model->doc.setModified();
        },
        "True when the factor is set from the distance to the nearest reach and S and T when the shares are resolved.");
}

void bindLocationRule(LocationClass &location) {
    location.def_property_readonly(
        "apportionment",
        [](const LocationRef &r) -> py::object {
            const auto &rule = r.get().onMap.rule;
            return rule ? py::object(ruleDict(*rule)) : py::object(py::none());
        },
        "The location's own apportionment rule as a dict; None when it follows the model's.");
    location.def(
        "set_apportionment",
        [](const LocationRef &r, const py::object &method, int power, double maxDistance, double minFraction,
           double spacing, const py::object &shares) {
            Location &loc = r.get();
            if (method.is_none()) {
                loc.onMap.rule.reset();
            } else {
                const ApportionRule rule =
                    ruleArgument(method.cast<std::string>(), power, maxDistance, minFraction, spacing);
                std::vector<ReachShare> typed;
                if (rule.method == Apportionment::Shares) {
                    if (shares.is_none()) throw py::type_error("the method \"shares\" needs shares={reach: fraction}");
                    for (const auto &[key, value] : shares.cast<py::dict>())
                        typed.push_back({reachArgument(*r.model, key), value.cast<double>(), -1.0, false, 0.0f});
                    Location probe = loc;
                    probe.onMap.typed = typed;
                    probe.onMap.rule = rule;
                    if (std::string p = typedSharesProblem(r.model->doc.model, probe); !p.empty())
                        throw py::value_error(p);
                } else if (!shares.is_none()) {
                    throw py::type_error("shares apply only to the method \"shares\"");
                }
                loc.onMap.rule = rule;
                loc.onMap.typed = std::move(typed);
            }
            r.model->doc.setModified();
        },
        py::arg("method"), py::kw_only(), py::arg("power") = 2, py::arg("max_distance") = 0.0,
        py::arg("min_fraction") = 0.0, py::arg("spacing") = 0.0, py::arg("shares") = py::none(),
        R"doc(Gives the location an apportionment of its own (None: the model's again):
    loc.set_apportionment("inverse", power=1)
    loc.set_apportionment("shares", shares={"Big River": 0.7, "Cottonwood Creek": 0.3})
Model.apportion() then resolves its shares.)doc");
    location.def_property_readonly(
        "reach_shares",
        [](const LocationRef &r) {
            py::dict d;
            const Location &loc = r.get();
            for (const ReachShare &s : loc.onMap.shares)
                d[py::str(r.model->doc.model.network.reaches[static_cast<std::size_t>(s.reach)].name)] = s.fraction;
            return d;
        },
        "The resolved fractions of the reaches the location depletes, by reach name.");
}

void bindReaches(ModelClass &model) {
    model.def_property_readonly(
        "reaches",
        [](const Model &mo) {
            py::list out;
            for (const StreamReach &r : mo.doc.model.network.reaches) {
                py::dict d;
                d["name"] = r.name;
                d["lines"] = linesOf(r);
                out.append(d);
            }
            return out;
        },
        "The stream reaches in order, each a dict of its name and its lines (read-only (n, 2) arrays of x, y).");
    model.def(
        "add_reach",
        [](Model &mo, const std::string &name, const py::object &lines) {
            if (std::string p = labelProblem(name, "a reach name"); !p.empty()) throw py::value_error(p);
            StreamReach r{name, lines.is_none() ? std::vector<MapLine>{} : linesArgument(lines)};
            if (!addReach(mo.doc.model, std::move(r)))
                throw py::value_error("a reach needs a name of its own, not \"" + name + "\"");
            mo.doc.setModified();
        },
        py::arg("name"), py::arg("lines") = py::none(),
        "Adds a reach, with its lines on the map ([[(x, y), ...], ...]) or none.");
    model.def(
        "remove_reach",
        [](Model &mo, const py::object &reach) {
            removeReach(mo.doc.model, reachArgument(mo, reach));
            mo.doc.setModified();
        },
        py::arg("reach"), "Removes a reach (by name or position) and every share of it.");
    model.def_property(
        "reach_depletion",
        [](const Model &mo) {
            return mo.doc.model.network.depletion == ReachDepletion::ByDistance ? "distance" : "apportioned";
        },
        [](Model &mo, const std::string &value) {
            if (value != "apportioned" && value != "distance")
                throw py::value_error("reach_depletion is \"apportioned\" or \"distance\"");
            mo.doc.model.network.depletion =
                value == "distance" ? ReachDepletion::ByDistance : ReachDepletion::Apportioned;
            mo.doc.setModified();
        },
        R"doc("apportioned": a reach gets its share of each location's own depletion (the
reaches add up to the net impact); "distance": its share of the depletion
computed with its own distance, factor d^2 S / T.)doc");
    model.def_property_readonly(
        "map_system", [](const Model &mo) { return mo.doc.model.network.crs; },
        "The projected coordinate system of the map (\"EPSG:32613\"); empty when not known.");
    model.def_property_readonly(
        "map_unit", [](const Model &mo) { return mo.doc.model.network.unit == LengthUnit::Metres ? "m" : "ft"; },
        "The unit of the map's coordinates and distances, \"ft\" or \"m\" (T is in its square a day).");
}

void bindApportion(ModelClass &model) {
    model.def_property_readonly(
        "apportionment", [](const Model &mo) { return ruleDict(mo.doc.model.network.rule); },
        "The model's apportionment rule as a dict (method, power, max_distance, min_fraction, spacing).");
    model.def(
        "apportion",
        [](Model &mo, const py::object &method, int power, double maxDistance, double minFraction, double spacing) {
            if (!method.is_none())
                mo.doc.model.network.rule =
                    ruleArgument(method.cast<std::string>(), power, maxDistance, minFraction, spacing);
            const py::dict troubles = resolve(mo);
            return fractionsFrame(mo, troubles);
        },
        py::arg("method") = py::none(), py::kw_only(), py::arg("power") = 2, py::arg("max_distance") = 0.0,
        py::arg("min_fraction") = 0.0, py::arg("spacing") = 0.0,
        R"doc(Resolves every location's shares of the reaches (as vektool convert does
before it saves) and returns the fractions as a pandas DataFrame, one row
per location, one column per reach, NaN for a location that could not be
apportioned (frame.attrs["problems"] says why, by location position).
With `method` ("nearest", "inverse", "web", "polygon", "shares") the
model's rule is set first:
    model.apportion("web", power=2, max_distance=20000.0)
Locations with their own rule keep it.)doc");
}

void bindImport(ModelClass &model) {
    model.def(
        "import_map",
        [](Model &mo, const py::object &wells, const py::object &streams, const std::string &nameField,
           const std::string &sField, const std::string &tField, const std::string &factorField,
           const std::string &crs) {
            geo::MapImportOptions o;
            o.wells = wells.is_none() ? "" : pathArgument(wells);
            o.streams = streams.is_none() ? "" : pathArgument(streams);
            o.nameField = nameField;
            o.storativityField = sField;
            o.transmissivityField = tField;
            o.factorField = factorField;
            o.crs = crs;
            geo::MapImportCounts counts;
            OperationResult r;
            {
                py::gil_scoped_release release;
                r = geo::importMap(mo.doc.model, o, &counts);
            }
            if (r.changed) mo.doc.setModified();
            if (r.error) raiseOperation(*r.error);
            for (const OperationError &w : r.warnings)
                if (PyErr_WarnEx(PyExc_UserWarning, w.message.c_str(), 1) != 0) throw py::error_already_set();
            py::dict d;
            d["wells_placed"] = counts.wellsPlaced;
            d["wells_added"] = counts.wellsAdded;
            d["reaches_added"] = counts.reachesAdded;
            d["reaches_moved"] = counts.reachesMoved;
            return d;
        },
        py::kw_only(), py::arg("wells") = py::none(), py::arg("streams") = py::none(), py::arg("name_field") = "",
        py::arg("s_field") = "", py::arg("t_field") = "", py::arg("factor_field") = "", py::arg("crs") = "",
        R"doc(Reads well points and stream lines (GeoPackage, Shapefile, GeoJSON, or CSV
with x and y columns) as vektool import-map does: wells matched to
locations by name (new ones added), lines of one name one reach,
coordinates converted into the projected system `crs` (default the model's,
else the files' own; longitude and latitude need one). Returns counts;
refusals raise vek.ImportFileError. Call apportion() afterwards.)doc");
}

} // namespace

void bindMap(py::module_ &, ModelClass &model, LocationClass &location) {
    bindLocationMap(location);
    bindLocationRule(location);
    bindReaches(model);
    bindApportion(model);
    bindImport(model);
}

} // namespace vek::python
