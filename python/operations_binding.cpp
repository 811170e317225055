// The model operations as functions: year type and units, synthesized years
// and imports. Each takes every choice as a parameter, asks nothing, and
// raises an OperationError (by family: synthesis, conversion, file) that
// carries the operation's own message and where it stopped.
#include "python/bindings.h"

#include <algorithm>

#include "model/imports.h"
#include "model/synthesis.h"
#include "model/year_types.h"

namespace vek::python {

namespace {

py::object orNone(int v, int none) { return v == none ? py::object(py::none()) : py::object(py::int_(v)); }
py::object orNone(const std::string &s) { return s.empty() ? py::object(py::none()) : py::object(pathString(s)); }

// Warnings of an operation that went on, as Python warnings.
void warn(const OperationResult &r) {
    for (const OperationError &w : r.warnings)
        if (PyErr_WarnEx(PyExc_UserWarning, w.message.c_str(), 1) != 0) throw py::error_already_set();
}

// An operation on a model: refused ones raise, changes mark it modified.
void applied(Model &model, const OperationResult &r) {
    if (r.changed) model.doc.setModified();
    if (r.error) raiseOperation(*r.error);
    warn(r);
}

int unitsArgument(const py::handle &value) {
    if (py::isinstance<py::str>(value)) {
        const std::string s = value.cast<std::string>();
        if (s == "daily") return AverageDailyAcreFeet;
        if (s == "monthly") return MonthlyAcreFeet;
        throw py::value_error("units are \"daily\" (average daily acre-feet) or \"monthly\" (acre-feet), or 0, 1");
    }
    return value.cast<int>();
}

bool changeYearTypeOf(Model &model, const py::object &yearType) {
    const int t = py::isinstance<py::str>(yearType) ? yearTypeArgument(yearType) : yearType.cast<int>();
    const YearTypeChange r = changeYearType(model.doc.model, t);
    applied(model, r);
    return r.yearAdded;
}

// Synthesized years made by a method follow from the historical ones again.
void synthesized(Model &model, const OperationResult &r) {
    applied(model, r);
    model.doc.historicalDataChanged = false;
}

// An import into a new model; a failure raises with what was read.
template <typename Import> std::shared_ptr<Model> imported(Import import) {
    auto model = std::make_shared<Model>();
    const OperationResult r = import(model->doc.model);
    model->doc.setModified(true);
    if (r.error) raiseOperation(*r.error, py::cast(model));
    warn(r);
    return model;
}

} // namespace

void raiseOperation(const OperationError &e, py::object partial) {
    const ErrorTypes &t = errorTypes();
    const py::handle type = e.family() == OperationError::Family::Synthesis    ? t.synthesisError
                            : e.family() == OperationError::Family::Conversion ? t.conversionError
                                                                               : t.importFileError;
    raiseError(type, e.message,
               {{"kind", py::str(kindName(e.kind))},
                {"family", py::str(familyName(e.family()))},
                {"file", orNone(e.file)},
                {"location", orNone(e.location, -1)},
                {"location_name", orNone(e.locationName)},
                {"year", e.year ? py::object(py::int_(*e.year)) : py::object(py::none())},
                {"month", orNone(e.month, -1)},
                {"field", orNone(e.field)},
                {"partial", std::move(partial)}});
}

namespace {

// Conversions and syntheses of a model.
void bindConversions(py::module_ &m) {
    m.def("change_year_type", &changeYearTypeOf, py::arg("model"), py::arg("year_type"),
          R"doc(Converts every table of the model to another year type: 0 or "calendar"
(JAN-DEC), 1 or "irrigation" (NOV-OCT), 2 or "usgs" (OCT-SEP), keeping the
same water in the same calendar months, as VEKView's Properties do. Months
that would leave the historical period are rescued into one added year when
any of them holds a positive value; returns True when a year was added.
vek.ConversionError when refused (nothing changed then).)doc");
    m.def(
        "change_units",
        [](Model &model, const py::object &units) {
            applied(model, changeUnits(model.doc.model, unitsArgument(units)));
        },
        py::arg("model"), py::arg("units"),
        R"doc(Converts the historical and synthesized values (not the pumping record) to
other units: 0 or "daily" (average daily acre-feet), 1 or "monthly" (acre-feet
per month), counting the days of each month by the model's monthly-to-daily
rule. vek.ConversionError when refused.)doc");
    m.def(
        "synthesize_average",
        [](Model &model, const std::vector<int> &years) {
            synthesized(model, synthesizeAverage(model.doc.model, years));
        },
        py::arg("model"), py::arg("years"),
        R"doc(Fills every synthesized year with the average of the given historical years
(year labels; order and repeats do not matter). vek.SynthesisError when
refused (no synthesized or historical years, a year outside the historical
period, no year); nothing changes then.)doc");
    m.def(
        "synthesize_given_year",
        [](Model &model, int year) { synthesized(model, synthesizeGivenYear(model.doc.model, year)); },
        py::arg("model"), py::arg("year"),
        "Fills every synthesized year with copies of one historical year. vek.SynthesisError when refused.");
    m.def(
        "synthesize_cycle",
        [](Model &model, int firstYear, int length) {
            synthesized(model, synthesizeCycle(model.doc.model, firstYear, length));
        },
        py::arg("model"), py::arg("first_year"), py::arg("length"),
        R"doc(Fills the synthesized years with the `length` historical years from
`first_year` on, repeated. vek.SynthesisError when refused.)doc");
}

// Models made from the files of other programs.
void bindImports(py::module_ &m) {
    m.def(
        "import_well_output",
        [](const py::object &path, const std::string &soilMoisture) {
            if (soilMoisture != "with" && soilMoisture != "without")
                throw py::value_error("soil_moisture is \"with\" or \"without\"");
            const SoilMoisture basis = soilMoisture == "with" ? SoilMoisture::With : SoilMoisture::Without;
            const std::string p = pathArgument(path);
            return imported([&](ModelInput &in) { return importWendraFile(in, p, basis); });
        },
        py::arg("path"), py::kw_only(), py::arg("soil_moisture"),
        R"doc(Imports a well output file (.owl) of the outside consumptive-use model as a
new vek.Model: one irrigation well per well of every sub-area, in Calendar
years and monthly acre-feet. soil_moisture ("with" or "without") chooses
which computed consumptive use of ground water is taken. Warnings (a file
ending inside a data block, a sub-area whose lines do not fit) come as
UserWarning; vek.ImportFileError when the file cannot be read.)doc");
    m.def(
        "import_tab_delimited",
        [](const py::object &path, const py::object &yearType, const py::object &units) {
            const int t = py::isinstance<py::str>(yearType) ? yearTypeArgument(yearType) : yearType.cast<int>();
            const int u = unitsArgument(units);
            const std::string p = pathArgument(path);
            return imported([&](ModelInput &in) { return importTabDelimited(in, p, t, u); });
        },
        py::arg("path"), py::kw_only(), py::arg("year_type"), py::arg("units"),
        R"doc(Imports a tab-delimited file as a new vek.Model: the first and last year,
then per location a header (name, factor, type) and one row per year. The
file's year type and units are given (nothing is converted). The run
period is left to set. vek.ImportFileError names the location, year and
month of a value that is not a number; its `partial` holds what was read.)doc");
    m.def(
        "import_old_format",
        [](const py::object &path) {
            const std::string p = pathArgument(path);
            return imported([&](ModelInput &in) { return importOldFormat(in, p); });
        },
        py::arg("path"),
        "Imports a model input file of the old character-column format as a new vek.Model. "
        "vek.ImportFileError when it cannot be read completely (`partial` holds what was read).");
}

} // namespace

void bindOperations(py::module_ &m) {
    bindConversions(m);
    bindImports(m);
}

} // namespace vek::python
