// vek.Model and vek.Location: a model input document read from its file,
// its run parameters and locations, changed through the document's own
// edit operations and written back through the safe save.
#include "python/bindings.h"

#include "common/ascii_case.h"
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "common/numbers.h"
#include "common/utf8_path.h"
#include "model/document_operations.h"
#include "model/input_file.h"
#include "model/value_limits.h"
#include "model/year_types.h"
#include "results/text_decoding.h"

namespace vek::python {

Location &LocationRef::get() const {
    if (index < 0 || index >= static_cast<int>(model->doc.model.locations.size()))
        throw py::index_error("the model has no location " + std::to_string(index));
    return model->doc.model.locations[static_cast<std::size_t>(index)];
}

namespace {

// The locations of a model as a read-only sequence.
struct LocationList {
    std::shared_ptr<Model> model;
    int size() const { return static_cast<int>(model->doc.model.locations.size()); }
    LocationRef at(int i) const { return {model, i}; }
};

int yearsOf(const ModelInput &m, bool synthesized) { return synthesized ? m.synthesizedYears() : m.historicalYears(); }

// A table given from Python as a (years, 12) array of finite numbers.
py::array_t<float> checkedTable(const py::handle &value, std::size_t years, const char *what) {
    auto a = py::array_t<float, py::array::c_style | py::array::forcecast>::ensure(value);
    if (!a) throw py::type_error(std::string(what) + " must be an array of numbers");
    if (a.ndim() != 2 || a.shape(0) != static_cast<py::ssize_t>(years) || a.shape(1) != 12)
        throw py::value_error(std::string(what) + " must have the shape (" + std::to_string(years) +
                              ", 12): one row of 12 months per year of its period");
    const float *p = a.data();
    for (py::ssize_t i = 0; i < a.size(); ++i)
        if (!std::isfinite(p[i]))
            // A model file holds numbers only; such a value would make the
            // file unreadable.
            throw py::value_error(std::string(what) + " holds a value that is not a finite number (row " +
                                  std::to_string(i / 12) + ", month " + std::to_string(i % 12) + ")");
    return a;
}

float checkedReal(double v, const char *what) {
    const auto f = static_cast<float>(v);
    if (!std::isfinite(f)) throw py::value_error(std::string(what) + " must be a finite number");
    return f;
}

void setName(const LocationRef &r, const std::string &name) {
    if (std::string p = locationNameProblem(name); !p.empty()) throw py::value_error(p);
    r.get();
    r.model->doc.setLocationName(r.index, std::string(trim(name)));
}

void setType(const LocationRef &r, int type) {
    if (type != IrrigationWell && type != RechargeSite)
        throw py::value_error("a location type is -1 (irrigation well) or 1 (recharge site)");
    Location &l = r.get();
    if (l.LocationType == type) return;
    l.LocationType = type;
    r.model->doc.setModified();
}

// A position given from Python, negative ones counting from the end; `end`
// is the first position past the valid ones.
int positionArgument(const py::object &value, int size, int end) {
    int i = value.cast<int>();
    if (i < 0) i += size;
    if (i < 0 || i >= end) throw py::index_error("the model has no position " + std::to_string(value.cast<int>()));
    return i;
}

LocationRef addLocation(const std::shared_ptr<Model> &mo, const std::string &name, int type, double factor,
                        const py::object &position) {
    ModelDocument &doc = mo->doc;
    const int size = static_cast<int>(doc.model.locations.size());
    const int at = position.is_none() ? size : positionArgument(position, size, size + 1);
    if (type != IrrigationWell && type != RechargeSite)
        throw py::value_error("a location type is -1 (irrigation well) or 1 (recharge site)");
    const float f = checkedReal(factor, "a depletion factor");
    if (name.find_first_of("\r\n") != std::string::npos)
        throw py::value_error("a location name is one line of the file: no line ends");
    // The document inserts before an index, except that its last index (of
    // more than one) appends, as the form's row menu does: that position is
    // reached by appending and moving the new location back one.
    const bool insertsThere = at == 0 || at < size - 1;
    doc.insertLocations(insertsThere ? at : size, 1);
    if (!insertsThere && at < size)
        std::rotate(doc.model.locations.begin() + at, doc.model.locations.end() - 1, doc.model.locations.end());
    LocationRef r{mo, at};
    setName(r, name);
    setType(r, type);
    doc.setLocationFactor(at, f);
    return r;
}

// Month columns set from a checked table, as they are stored.
void setColumns(MonthColumns &columns, const py::array_t<float> &table) {
    auto t = table.unchecked<2>();
    for (int m = 0; m < 12; ++m) {
        columns[static_cast<std::size_t>(m)].resize(static_cast<std::size_t>(t.shape(0)));
        for (py::ssize_t y = 0; y < t.shape(0); ++y)
            columns[static_cast<std::size_t>(m)][static_cast<std::size_t>(y)] = t(y, m);
    }
}

py::object table(const MonthColumns &columns, std::size_t years) {
    py::array a = tableFromColumns(columns, years);
    makeReadOnly(a);
    return a;
}

std::shared_ptr<Model> readModel(const py::object &pathArg) {
    const std::string path = pathArgument(pathArg);
    auto model = std::make_shared<Model>();
    CollectingPrompter prompter;
    bool ok;
    const std::string ext = asciiLowered(std::filesystem::path(pathFromUtf8(path)).extension().string());
    if (ext == ".vek") {
        // As the desktop opens it: a partly read model keeps no file of its
        // own, and writing it over the damaged file is refused.
        model->doc.open(path, prompter);
        ok = !model->doc.isReadPartly();
    } else {
        ok = ReadInput(model->doc, prompter, path);
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(pathFromUtf8(path), ec);
        if (ok) model->doc.setPath(ec ? path : utf8FromPath(absolute));
    }
    if (!ok)
        raiseError(errorTypes().readError, prompter.text(),
                   {{"file", pathString(path)}, {"line", py::none()}, {"partial", py::cast(model)}});
    model->doc.setModified(false);
    return model;
}

py::str writeModel(Model &model, const py::object &pathArg) {
    const std::string path = pathArgument(pathArg);
    CollectingPrompter prompter;
    const bool ok = model.doc.save(path, prompter);
    if (!ok) {
        std::string text = prompter.text();
        if (text.empty() && !prompter.questions.empty())
            text = prompter.questions.front() + " (not replaced: write it under another name)";
        raiseError(errorTypes().writeError, text, {{"file", pathString(path)}});
    }
    // The one message of a successful save: a ".owl" name was changed.
    for (const std::string &m : prompter.messages)
        if (PyErr_WarnEx(PyExc_UserWarning, m.c_str(), 1) != 0) throw py::error_already_set();
    return pathString(saveInputPath(path));
}

std::string modelRepr(const Model &m) {
    const ModelInput &in = m.doc.model;
    std::string s = "<vek.Model";
    if (!m.doc.path().empty()) s += " '" + utf8FromPath(pathFromUtf8(m.doc.path()).filename()) + "'";
    s += ": " + std::to_string(in.locations.size()) + " locations, historical " + std::to_string(in.inputStartYear) +
         "-" + std::to_string(in.inputEndYear);
    if (in.synthesizedYears() > 0)
        s += ", synthesized " + std::to_string(in.synthStartYear) + "-" + std::to_string(in.synthEndYear);
    s += ", run " + std::to_string(in.outputStartYear) + "-" + std::to_string(in.outputEndYear) + ">";
    return s;
}

// A run parameter the engine reads that changes no table's shape.
template <int ModelInput::*Field> void bindParameter(ModelClass &c, const char *name, const char *doc) {
    c.def_property(
        name, [](const Model &m) { return m.doc.model.*Field; },
        [](Model &m, int v) {
            if (m.doc.model.*Field == v) return;
            m.doc.model.*Field = v;
            m.doc.setModified();
        },
        doc);
}

template <int ModelInput::*Field> void bindYear(ModelClass &c, const char *name, const char *doc) {
    c.def_property_readonly(
        name, [](const Model &m) { return m.doc.model.*Field; }, doc);
}

// The periods, the run parameters and the state of the document.
void bindModelSettings(ModelClass &model) {
    bindYear<&ModelInput::inputStartYear>(model, "input_start_year", "First historical year (inputStartYear).");
    bindYear<&ModelInput::inputEndYear>(model, "input_end_year", "Last historical year (inputEndYear).");
    bindYear<&ModelInput::synthStartYear>(model, "synth_start_year",
                                          "First synthesized year: input_end_year + 1 in a model read from a file.");
    bindYear<&ModelInput::synthEndYear>(model, "synth_end_year",
                                        "Last synthesized year (input_end_year + noOfSimulationYears of the file).");
    model.def_property_readonly(
        "historical_years", [](const Model &mo) { return mo.doc.model.historicalYears(); },
        "Number of historical years: the rows of every historical table.");
    model.def_property_readonly(
        "synthesized_years", [](const Model &mo) { return mo.doc.model.synthesizedYears(); },
        "Number of synthesized years: the rows of every synthesized table.");
    bindParameter<&ModelInput::outputStartYear>(model, "output_start_year",
                                                "First year of the run and of its report (outputStartYear).");
    bindParameter<&ModelInput::outputEndYear>(model, "output_end_year",
                                              "Last year of the run and of its report (outputEndYear).");
    bindParameter<&ModelInput::outputFormat>(
        model, "output_format",
        "Report type (outputFormat): 0 by well/recharge site (every location's tables and the summaries), "
        "1 only the totals for all wells and recharge sites, 2 the untitled summary rows only.");
    bindParameter<&ModelInput::synthesizeFormat>(
        model, "synthesize_format",
        "How the synthesized years were made (synthesizeFormat): 1 average of historical years, 2 one "
        "historical year, 3 historical cycle, 4 user-defined, 0 none recorded. The report names it.");
    bindParameter<&ModelInput::projYearStart>(
        model, "proj_year_start", "First parameter of the synthesis method, an offset from input_start_year.");
    bindParameter<&ModelInput::projYearEnd>(model, "proj_year_end", "Second parameter of the synthesis method.");
    model.def_property_readonly(
        "year_mode", [](const Model &mo) { return mo.doc.model.yearMode; },
        "Year type of every table (yearMode): 0 Calendar (JAN-DEC), 1 Irrigation Year (NOV-OCT), 2 USGS "
        "Year (OCT-SEP). Only Irrigation Year models run.");
    model.def_property_readonly(
        "unit_mode", [](const Model &mo) { return mo.doc.model.unitMode; },
        "Unit of every historical and synthesized value (unitMode): 0 average daily acre-feet, 1 monthly "
        "acre-feet.");
    model.def_property(
        "use_avg_days_per_month", [](const Model &mo) { return mo.doc.model.useAvgDaysPerMonth; },
        [](Model &mo, bool avg) {
            if (mo.doc.model.useAvgDaysPerMonth != avg) setUseAvgDaysPerMonth(mo.doc, avg);
        },
        "Monthly-to-daily rule (useAvgDaysPerMonth): True counts 30.417 days in every month, False the "
        "actual days of the month. Converts no table; the engine applies it.");
    model.def_property_readonly(
        "path",
        [](const Model &mo) { return mo.doc.path().empty() ? py::object(py::none()) : pathString(mo.doc.path()); },
        "The file the model was read from or last written to; None for a model that has none (one read only "
        "partly).");
    model.def_property_readonly(
        "modified", [](const Model &mo) { return mo.doc.isModified(); },
        "True when the model was changed since it was read or written.");
    model.def_property_readonly(
        "synthesis_stale", [](const Model &mo) { return mo.doc.historicalDataChanged; },
        "True when a changed historical value may no longer agree with the synthesized years made from it.");
    model.def_property_readonly(
        "locations", [](const std::shared_ptr<Model> &mo) { return LocationList{mo}; },
        "The locations in file order: a sequence of vek.Location.");
}

// Writing, copying, comparing and showing a model.
void bindModelMethods(ModelClass &model) {
    model.def("write", &writeModel, py::arg("path"),
              R"doc(Writes the model input file to `path` and returns the path written.

The file is written beside its target and takes its place only when it is
complete, so a failed write leaves an earlier file as it was (vek.WriteError).
As in VEKView, a path ending in ".owl" is written under its base name with
".vek" in the same folder, with a warning. A model read only partly is
not written over the file it came from.)doc");
    model.def(
        "copy",
        [](const Model &mo) {
            auto c = std::make_shared<Model>();
            c->doc.model = mo.doc.model;
            c->doc.historicalDataChanged = mo.doc.historicalDataChanged;
            c->doc.setModified(true);
            return c;
        },
        "An independent copy of the model data (without a file of its own), for a scenario.");
    model.def("__copy__", [](const py::object &self) { return self.attr("copy")(); });
    model.def("__deepcopy__", [](const py::object &self, const py::object &) { return self.attr("copy")(); });
    model.def(
        "__eq__",
        [](const Model &a, const py::object &b) -> py::object {
            if (!py::isinstance<Model>(b)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
            return py::bool_(a.doc.model == b.cast<const Model &>().doc.model);
        },
        "Models are equal when every setting and every value of every location is.");
    model.attr("__hash__") = py::none();
    model.def("__repr__", &modelRepr);
}

// What a location is: its place, name, type, factor and part in the run.
void bindLocationSettings(LocationClass &loc) {
    loc.def_property_readonly(
        "position", [](const LocationRef &r) { return r.index; }, "Position in the model's list (0-based).");
    loc.def_property(
        "name", [](const LocationRef &r) { return decodeReportText(r.get().name); }, &setName,
        "Display and report name (stored without leading and trailing blanks; the report prints 60 "
        "characters). Read as the programs show it: UTF-8, or else each byte as its Windows-1252 "
        "character; name_bytes gives it as the file holds it. Set from a str (written as UTF-8) or bytes.");
    loc.def_property_readonly(
        "name_bytes", [](const LocationRef &r) { return py::bytes(r.get().name); },
        "The name as the file holds it, as bytes.");
    loc.def_property(
        "type", [](const LocationRef &r) { return r.get().LocationType; }, &setType,
        "-1 irrigation well (values are consumptive use of ground water), 1 recharge site (net recharge).");
    loc.def_property_readonly(
        "is_well", [](const LocationRef &r) { return r.get().isWell(); }, "True for an irrigation well.");
    loc.def_property(
        "factor", [](const LocationRef &r) { return r.get().VEK; },
        [](const LocationRef &r, double v) {
            const float f = checkedReal(v, "a depletion factor");
            r.get();
            r.model->doc.setLocationFactor(r.index, f);
        },
        "Depletion factor in days (VEK), a float32.");
    loc.def_property(
        "use_in_output", [](const LocationRef &r) { return r.get().UseInOutput != 0; },
        [](const LocationRef &r, bool use) {
            Location &l = r.get();
            if ((l.UseInOutput != 0) == use) return;
            l.UseInOutput = use ? 1 : 0;
            r.model->doc.setModified();
        },
        "True when the location takes part in the run and its report (UseInOutput).");
}

void bindPeriodTables(LocationClass &loc) {
    // The two tables a run reads; each cell goes through the document's edit.
    auto periodTable = [&loc](const char *name, bool synthesized, const char *doc) {
        loc.def_property(
            name,
            [synthesized](const LocationRef &r) {
                const Location &l = r.get();
                return table(synthesized ? l.synthesizedData : l.historicalData,
                             static_cast<std::size_t>(yearsOf(r.model->doc.model, synthesized)));
            },
            [synthesized, name](const LocationRef &r, const py::object &value) {
                const auto years = static_cast<std::size_t>(yearsOf(r.model->doc.model, synthesized));
                r.get();
                // The checked array is kept: it may be a converted copy, the
                // only owner of the values read below.
                const py::array_t<float> checked =
                    checkedTable(value, years, (std::string("the ") + name + " table").c_str());
                auto t = checked.unchecked<2>();
                ModelDocument &doc = r.model->doc;
                for (int y = 0; y < static_cast<int>(t.shape(0)); ++y)
                    for (int mo = 0; mo < 12; ++mo)
                        synthesized ? doc.setSynthesizedValue(r.index, y, mo, t(y, mo))
                                    : doc.setHistoricalValue(r.index, y, mo, t(y, mo));
            },
            doc);
    };
    periodTable("historical", false,
                "Historical values, shape (historical_years, 12): consumptive use of ground water (wells) or net "
                "recharge (sites) in the model's year type and units.");
    periodTable("synthesized", true,
                "Synthesized values, shape (synthesized_years, 12). As in the form, a value is changed only when "
                "it differs from the stored one by more than 0.0001, and a change makes the synthesized years "
                "user-defined.");
}

// The pumping record the historical values of a well can be computed from.
void bindPumpingRecord(LocationClass &loc) {
    loc.def_property(
        "use_pumping_record", [](const LocationRef &r) { return r.get().UsePumpingRecord != 0; },
        [](const LocationRef &r, bool use) {
            Location &l = r.get();
            if ((l.UsePumpingRecord != 0) == use) return;
            l.UsePumpingRecord = use ? 1 : 0;
            r.model->doc.setModified();
        },
        "True when the historical values were computed from the pumping record (UsePumpingRecord).");
    loc.def_property(
        "pumping_units", [](const LocationRef &r) { return r.get().Units; },
        [](const LocationRef &r, int units) {
            if (units != 0 && units != 1) throw py::value_error("pumping record units are 0 (CFS) or 1 (Ac-Ft)");
            Location &l = r.get();
            if (l.Units == units) return;
            l.Units = units;
            r.model->doc.setModified();
        },
        "Unit of the pumping record (Units): 0 CFS (a flow rate, with days on), 1 Ac-Ft (a volume).");
    auto pumpingTable = [&loc](const char *name, MonthColumns Location::*field, const char *doc) {
        loc.def_property(
            name,
            [field](const LocationRef &r) {
                return table(r.get().*field, static_cast<std::size_t>(r.model->doc.model.historicalYears()));
            },
            [field, name](const LocationRef &r, const py::object &value) {
                const auto years = static_cast<std::size_t>(yearsOf(r.model->doc.model, false));
                Location &l = r.get();
                setColumns(l.*field, checkedTable(value, years, name));
                r.model->doc.setModified();
            },
            doc);
    };
    pumpingTable("pumping_flow", &Location::pumpingFlow,
                 "Pumping record, shape (historical_years, 12): monthly flow rate (CFS) or volume (Ac-Ft).");
    pumpingTable("days_on", &Location::daysOn,
                 "Pumping record, shape (historical_years, 12): days the pump ran (used with CFS only).");
    loc.def_property(
        "efficiency",
        [](const LocationRef &r) {
            const auto &e = r.get().efficiency;
            py::array a = py::array_t<float>(12, e.data());
            makeReadOnly(a);
            return a;
        },
        [](const LocationRef &r, const py::object &value) {
            auto a = py::array_t<float, py::array::c_style | py::array::forcecast>::ensure(value);
            if (!a || a.ndim() != 1 || a.shape(0) != 12)
                throw py::value_error("efficiencies are 12 numbers, one per month of the year type");
            Location &l = r.get();
            for (int mo = 0; mo < 12; ++mo)
                l.efficiency[static_cast<std::size_t>(mo)] = checkedReal(a.at(mo), "an efficiency");
            r.model->doc.setModified();
        },
        "Application efficiency of the pumping record per month of the year type (0.0 to 1.0), shape (12,).");
}

} // namespace

void bindModel(py::module_ &m) {
    ModelClass model(m, "Model", R"doc(A model input document: the historical and synthesized periods, the run
settings and the ordered locations (irrigation wells and recharge sites),
as VEKView edits it and the .vek file holds it.

Get one with vek.read_model(path); write it with Model.write(path). Run
parameters are attributes; the periods, the year type and the units shape
every table and are read-only here. Each change goes through the same
document operations the desktop program uses (a changed historical value
can make the synthesized years stale, a changed synthesized value makes them
user-defined).)doc");

    bindModelSettings(model);
    bindModelMethods(model);

    bindSequence<LocationList>(m, "LocationList", "The locations of a model, in file order.");

    LocationClass loc(m, "Location",
                      R"doc(One location of a model: an irrigation well (type -1) or a recharge site
(type 1), its depletion factor and its monthly tables.

Tables are numpy arrays of float32, one row per year and 12 months in the
model's year type. The arrays handed out are read-only copies; assign a
whole table to change it, for example
    loc.historical = loc.historical * 1.1)doc");
    bindLocationSettings(loc);
    bindPeriodTables(loc);
    bindPumpingRecord(loc);
    loc.def("__repr__", [](const LocationRef &r) {
        const Location &l = r.get();
        return "<vek.Location " + std::to_string(r.index) + " '" + l.name +
               "': " + (l.isWell() ? "Irrig. well" : "Recharge site") + ", factor " + formatG(l.VEK) + " days" +
               (l.UseInOutput ? "" : ", not in output") + ">";
    });

    model.def("add_location", &addLocation, py::arg("name") = "", py::kw_only(),
              py::arg("type") = static_cast<int>(IrrigationWell), py::arg("factor") = 0.0,
              py::arg("position") = py::none(),
              R"doc(Adds a location with zero tables (the document's own insertion, as VEKView's
row menu makes it) and returns it: appended, or inserted before `position`.
The locations after it move one position on; Location objects taken earlier
keep their positions, so they then name other locations. With synthesized
years the model then counts as changed since they were made.)doc");
    model.def(
        "remove_location",
        [](Model &mo, const py::object &position) {
            const int size = static_cast<int>(mo.doc.model.locations.size());
            mo.doc.deleteLocations(positionArgument(position, size, size), 1);
        },
        py::arg("position"),
        "Removes the location at `position` (negative counts from the end); those after it move one position "
        "back.");
    bindResponses(m, model, loc);
    bindMap(m, model, loc);
    bindValidation(m, model);
    bindUncertainty(m, model);

    m.def("read_model", &readModel, py::arg("path"),
          R"doc(Reads a model input file (.vek) and returns it as a vek.Model.

Files without a version line and with the older 12-number parameter line
are read too. A file that cannot be read completely raises vek.ReadError
with the message VEKView shows; its `partial` attribute holds what was read.)doc");
}

} // namespace vek::python
