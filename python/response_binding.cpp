// Response methods: each location's method and parameters, the model's unit
// response tables, the step response of a method (the curve vektool
// response prints) and the factor calculator. Every rule is the cores': the
// checks are the model's, the curves the engine's double-precision ones.
#include "python/bindings.h"

#include <cmath>
#include <optional>

#include "common/numbers.h"
#include "model/depletion_factor.h"
#include "model/response_checks.h"
#include "model/response_settings.h"
#include "model/response_table_import.h"
#include "model/value_limits.h"

namespace vek::python {

namespace {

using engine::ResponseMethod;

[[noreturn]] void raiseResponse(const std::string &message, const char *kind, const std::string &field,
                                int location = -1, py::object locations = py::none()) {
    raiseError(errorTypes().responseError, message,
               {{"kind", py::str(kind)},
                {"family", py::str("response")},
                {"file", py::none()},
                {"location", location < 0 ? py::object(py::none()) : py::object(py::int_(location))},
                {"location_name", py::none()},
                {"year", py::none()},
                {"month", py::none()},
                {"field", field.empty() ? py::object(py::none()) : py::object(py::str(field))},
                {"partial", py::none()},
                {"locations", std::move(locations)}});
}

ResponseMethod methodArgument(const std::string &word) {
    ResponseMethod m{};
    if (!engine::methodFromKeyword(word, m))
        throw py::value_error("a response method is \"infinite\", \"alluvial\", \"hunt\" or \"table\", not \"" + word +
                              "\"");
    return m;
}

// A parameter the method needs, or one it does not take.
void requireOnly(ResponseMethod m, const std::optional<double> &aOverW, const std::optional<double> &lambda,
                 bool table) {
    const char *word = engine::methodKeyword(m);
    const bool given[] = {aOverW.has_value(), lambda.has_value(), table};
    const ResponseMethod owners[] = {ResponseMethod::AlluvialAquifer, ResponseMethod::StreambedResistance,
                                     ResponseMethod::ResponseTable};
    const char *names[] = {"a_over_w", "lambda_prime", "the table"};
    for (int k = 0; k < 3; ++k) {
        if (given[k] && owners[k] != m)
            throw py::type_error(std::string(names[k]) + " does not apply to the method \"" + word + "\"");
        if (!given[k] && owners[k] == m)
            throw py::type_error(std::string("the method \"") + word + "\" needs " + names[k]);
    }
}

std::string afterWord(bool one) { return one ? "one" : "hold"; }
bool afterArgument(const std::string &after) {
    if (after != "hold" && after != "one")
        throw py::value_error("after is \"hold\" (keep the cumulative share) or \"one\" (the whole step)");
    return after == "one";
}

// A table name as the model file holds it: one line, not empty.
std::string tableNameArgument(const std::string &name) {
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f)
            throw py::value_error("a response table name is one line without control characters");
    if (trim(name).empty()) throw py::value_error("a response table needs a name");
    if (std::string p = labelProblem(name, "a response table name"); !p.empty()) throw py::value_error(p);
    return std::string(trim(name));
}

std::vector<float> sharesArgument(const py::handle &value) {
    auto a = py::array_t<float, py::array::c_style | py::array::forcecast>::ensure(value);
    if (!a || a.ndim() != 1) throw py::type_error("shares are a sequence of numbers, one per month");
    return {a.data(), a.data() + a.size()};
}

// A table is refused by the words the model's checks use for it.
void checkTable(const UnitResponseTable &t) {
    if (std::string p = engine::tableProblem(t.shares); !p.empty())
        raiseResponse("response table \"" + t.name + "\": " + p, "BadTable", "shares");
}

py::object sharesArray(const std::vector<float> &shares) {
    py::array a = py::array_t<float>(static_cast<py::ssize_t>(shares.size()), shares.data());
    makeReadOnly(a);
    return a;
}

py::list positions(const std::vector<int> &users) {
    py::list l;
    for (int i : users)
        l.append(i);
    return l;
}

const UnitResponseTable &tableOf(const Model &model, const std::string &name) {
    const UnitResponseTable *t = findResponseTable(model.doc.model, name);
    if (!t) raiseResponse("there is no table \"" + name + "\"", "NoSuchTable", "table");
    return *t;
}

void setResponse(const LocationRef &r, const std::string &word, std::optional<double> aOverW,
                 std::optional<double> lambda, const py::object &table, std::optional<double> factor) {
    const ResponseMethod method = methodArgument(word);
    requireOnly(method, aOverW, lambda, !table.is_none());
    Location &loc = r.get();
    ResponseSettings s;
    s.method = method;
    if (aOverW) s.aOverW = static_cast<float>(*aOverW);
    if (lambda) s.lambda = static_cast<float>(*lambda);
    if (!table.is_none()) s.table = table.cast<std::string>();
    s = ownParameters(s);
    ModelProblem::Field field = ModelProblem::Field::Table;
    if (std::string p = responseSettingsProblem(r.model->doc.model, s, &field); !p.empty())
        raiseResponse("location " + std::to_string(r.index + 1) + " (" + loc.name + "): " + p,
                      field == ModelProblem::Field::Table ? "NoSuchTable" : "BadParameter", fieldName(field), r.index);
    std::optional<float> f;
    if (factor) {
        f = static_cast<float>(*factor);
        if (!std::isfinite(*f)) throw py::value_error("a depletion factor must be a finite number");
    }
    if (!(loc.response == s)) {
        loc.response = s;
        r.model->doc.setModified();
    }
    if (f) r.model->doc.setLocationFactor(r.index, *f);
}

py::array_t<double> responseCurve(const std::string &word, const std::optional<double> &sdf, const py::object &days,
                                  std::optional<double> aOverW, std::optional<double> lambda, const py::object &shares,
                                  const std::string &after) {
    const ResponseMethod method = methodArgument(word);
    requireOnly(method, aOverW, lambda, !shares.is_none());
    const bool table = method == ResponseMethod::ResponseTable;
    if (!table && !sdf) throw py::type_error(std::string("the method \"") + word + "\" needs sdf");
    if (sdf && !(*sdf >= 0.0 && std::isfinite(*sdf))) raiseResponse("sdf must be 0 or more", "BadParameter", "VEK");
    const bool one = afterArgument(after);
    auto t = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(days);
    if (!t) throw py::type_error("days are a number or a sequence of numbers");
    std::optional<engine::StepResponse> response;
    switch (method) {
    case ResponseMethod::InfiniteAquifer:
        response = engine::StepResponse::infiniteAquifer(*sdf);
        break;
    case ResponseMethod::AlluvialAquifer:
        if (std::string p = engine::alluvialProblem(*aOverW); !p.empty()) raiseResponse(p, "BadParameter", "a/W");
        response = engine::StepResponse::alluvialAquifer(*sdf, *aOverW);
        break;
    case ResponseMethod::StreambedResistance:
        if (std::string p = engine::streambedProblem(*lambda); !p.empty()) raiseResponse(p, "BadParameter", "lambda");
        response = engine::StepResponse::streambedResistance(*sdf, *lambda);
        break;
    case ResponseMethod::ResponseTable: {
        UnitResponseTable u;
        u.name = "shares";
        u.shares = sharesArgument(shares);
        checkTable(u);
        response = engine::StepResponse::responseTable(u.shares, one);
        break;
    }
    }
    py::array_t<double> out(std::vector<py::ssize_t>(t.shape(), t.shape() + t.ndim()));
    const double *in = t.data();
    double *o = out.mutable_data();
    // A day that is no number has no share either.
    for (py::ssize_t i = 0; i < t.size(); ++i)
        o[i] = std::isnan(in[i]) ? in[i] : (*response)(in[i]);
    return out;
}

LengthUnit unitArgument(const std::string &unit) {
    if (unit == "ft") return LengthUnit::Feet;
    if (unit == "m") return LengthUnit::Metres;
    throw py::value_error("unit is \"ft\" (feet, T in ft^2/day) or \"m\" (metres, T in m^2/day)");
}

void checkAquifer(const AquiferProperties &p) {
    if (std::string problem = aquiferProblem(p); !problem.empty()) raiseResponse(problem, "BadAquifer", "");
}

// The one property of a, S, T that is None, from the factor and the others.
double aquiferFor(double sdf, const std::optional<double> &a, const std::optional<double> &s,
                  const std::optional<double> &t, const std::string &unit) {
    if (a.has_value() + s.has_value() + t.has_value() != 2)
        throw py::type_error("give exactly two of a, S and T; the third is computed");
    if (!(sdf >= 0.0 && std::isfinite(sdf))) raiseResponse("sdf must be 0 or more", "BadParameter", "VEK");
    // The missing one takes a value that passes the check of the other two.
    AquiferProperties p{a.value_or(1.0), s.value_or(1.0), t.value_or(1.0), unitArgument(unit)};
    checkAquifer(p);
    if (!a) return distanceForFactor(sdf, p);
    if (!s) return storativityForFactor(sdf, p);
    return transmissivityForFactor(sdf, p);
}

// Puts every table of a file into the model, or none when one is refused.
py::list importTables(Model &mo, const py::object &path) {
    const std::string file = pathArgument(path);
    const ResponseTableImport imported = importResponseTables(file);
    if (!imported.error.empty())
        raiseError(errorTypes().importFileError, file + ": " + imported.error,
                   {{"kind", py::str("Unreadable")},
                    {"family", py::str("file")},
                    {"file", pathString(file)},
                    {"location", py::none()},
                    {"location_name", py::none()},
                    {"year", py::none()},
                    {"month", py::none()},
                    {"field", py::none()},
                    {"partial", py::none()}});
    // All or nothing: every table is judged before any is put.
    for (const UnitResponseTable &t : imported.tables)
        checkTable(t);
    py::list names;
    for (const UnitResponseTable &t : imported.tables) {
        names.append(t.name);
        putResponseTable(mo.doc.model, t);
    }
    if (!imported.tables.empty()) mo.doc.setModified();
    return names;
}

// Removes a table the locations no longer use, or whose users go back to
// the infinite aquifer.
py::list removeTable(Model &mo, const std::string &name, bool resetUsers) {
    tableOf(mo, name);
    const std::vector<int> users = locationsUsingTable(mo.doc.model, name);
    if (!users.empty() && !resetUsers) {
        std::string list;
        for (int i : users)
            list += (list.empty() ? "" : ", ") + std::to_string(i + 1);
        raiseResponse("response table \"" + name + "\" is used by location" + (users.size() > 1 ? "s " : " ") + list +
                          "; give reset_users=True to set them to the infinite aquifer",
                      "TableInUse", "table", users.front(), positions(users));
    }
    resetTableUsers(mo.doc.model, name);
    removeResponseTable(mo.doc.model, name);
    mo.doc.setModified();
    return positions(users);
}

// vek.ResponseTable: a copy of one table of a model.
void bindResponseTableClass(py::module_ &m) {
    py::class_<UnitResponseTable>(m, "ResponseTable",
                                  "A unit response table of a model: monthly shares of one month's pumping that the "
                                  "stream feels in that month and each month after it (a copy).")
        .def_property_readonly(
            "name", [](const UnitResponseTable &t) { return t.name; }, "Its name, by which locations use it.")
        .def_property_readonly(
            "shares", [](const UnitResponseTable &t) { return sharesArray(t.shares); },
            "The monthly shares (float32, read-only).")
        .def_property_readonly(
            "after", [](const UnitResponseTable &t) { return afterWord(t.afterTableOne); },
            "After the last month: \"hold\" keeps the cumulative share reached, \"one\" gives the stream the "
            "rest of the step.")
        .def("__repr__", [](const UnitResponseTable &t) {
            return "<vek.ResponseTable '" + t.name + "': " + std::to_string(t.shares.size()) + " months, after " +
                   afterWord(t.afterTableOne) + ">";
        });
}

// A location's response method and its parameter.
void bindLocationResponse(LocationClass &location) {
    location.def_property_readonly(
        "method", [](const LocationRef &r) { return std::string(engine::methodKeyword(r.get().response.method)); },
        "Response method: \"infinite\" (infinite aquifer), \"alluvial\" (aquifer bounded behind the well, "
        "parameter a_over_w), \"hunt\" (streambed resistance, parameter lambda_prime) or \"table\" (a unit "
        "response table of the model, by name). Set it with set_method.");
    location.def_property_readonly(
        "a_over_w",
        [](const LocationRef &r) -> py::object {
            const ResponseSettings &s = r.get().response;
            if (s.method != ResponseMethod::AlluvialAquifer) return py::none();
            return py::float_(s.aOverW);
        },
        "Alluvial aquifer: distance to the stream over distance to the boundary (a/W); None for another method.");
    location.def_property_readonly(
        "lambda_prime",
        [](const LocationRef &r) -> py::object {
            const ResponseSettings &s = r.get().response;
            if (s.method != ResponseMethod::StreambedResistance) return py::none();
            return py::float_(s.lambda);
        },
        "Streambed resistance: lambda' = lambda a / T; None for another method.");
    location.def_property_readonly(
        "table",
        [](const LocationRef &r) -> py::object {
            const ResponseSettings &s = r.get().response;
            if (s.method != ResponseMethod::ResponseTable) return py::none();
            return py::str(s.table);
        },
        "The name of the response table the location uses; None for another method.");
    location.def("set_method", &setResponse, py::arg("method"), py::kw_only(), py::arg("a_over_w") = py::none(),
                 py::arg("lambda_prime") = py::none(), py::arg("table") = py::none(), py::arg("factor") = py::none(),
                 R"doc(Sets the location's response method and the one parameter it takes:
    loc.set_method("infinite")
    loc.set_method("alluvial", a_over_w=0.5)
    loc.set_method("hunt", lambda_prime=2.0)
    loc.set_method("table", table="Agency run 2019")
`factor` also sets the depletion factor (the sdf of the aquifer methods).

A parameter the model's checks refuse (a/W outside 0 <= a/W < 1, lambda'
not above 0, a table the model does not have) raises vek.ResponseError and
changes nothing; a parameter missing or not taken by the method raises
TypeError.)doc");
}

// The model's unit response tables.
void bindModelTables(ModelClass &model) {
    model.def_property_readonly(
        "response_tables",
        [](const Model &mo) {
            py::list names;
            for (const UnitResponseTable &t : mo.doc.model.responseTables)
                names.append(t.name);
            return names;
        },
        "The names of the model's unit response tables, in file order.");
    model.def(
        "response_table", [](const Model &mo, const std::string &name) { return tableOf(mo, name); }, py::arg("name"),
        "The named response table (a vek.ResponseTable copy); vek.ResponseError when there is none.");
    model.def(
        "add_response_table",
        [](Model &mo, const std::string &name, const py::object &shares, const std::string &after) {
            UnitResponseTable t{tableNameArgument(name), sharesArgument(shares), afterArgument(after)};
            checkTable(t);
            const UnitResponseTable *old = findResponseTable(mo.doc.model, t.name);
            if (old && *old == t) return;
            putResponseTable(mo.doc.model, std::move(t));
            mo.doc.setModified();
        },
        py::arg("name"), py::arg("shares"), py::kw_only(), py::arg("after") = "hold",
        R"doc(Adds a unit response table, or replaces the table of that name (the
locations that use it then respond by the new shares). Shares the checks
refuse (each within 0 to 1, their sum at most 1) raise vek.ResponseError.)doc");
    model.def("import_response_tables", &importTables, py::arg("path"),
              R"doc(Imports the unit response tables of a CSV or tab-separated file (one column
of monthly shares per table, named by its header, as vektool convert
--response-table reads it), replacing tables of the same names, and
returns their names. An unreadable file raises vek.ImportFileError; a
table the checks refuse raises vek.ResponseError. Either way no table is
put.)doc");
    model.def(
        "rename_response_table",
        [](Model &mo, const std::string &from, const std::string &to) {
            const std::string name = tableNameArgument(to);
            tableOf(mo, from);
            if (name == from) return;
            if (!renameResponseTable(mo.doc.model, from, name))
                raiseResponse("there is already a table \"" + name + "\"", "TableNameTaken", "name");
            mo.doc.setModified();
        },
        py::arg("old"), py::arg("new"),
        "Renames a response table and every location's reference to it; vek.ResponseError when there is no "
        "table `old` or `new` names another table.");
    model.def("remove_response_table", &removeTable, py::arg("name"), py::kw_only(), py::arg("reset_users") = false,
              R"doc(Removes a response table and returns the positions of the locations that
used it. A table in use is not removed (vek.ResponseError, kind
"TableInUse", `locations` the users) unless reset_users is True: they then
go back to the infinite aquifer, keeping their factors.)doc");
}

// The responses and aquifer properties by themselves, without a model.
void bindResponseFunctions(py::module_ &m) {
    m.def("response", &responseCurve, py::arg("method"), py::arg("sdf").none(true), py::arg("days"), py::kw_only(),
          py::arg("a_over_w") = py::none(), py::arg("lambda_prime") = py::none(), py::arg("shares") = py::none(),
          py::arg("after") = "hold",
          R"doc(The stream's response to a unit step of pumping by a method: the share of
the pumping rate the stream feels `days` after the step (0 for 0 days and
earlier), as a float64 numpy array of the shape of `days`. The values are
the ones vektool response prints (double precision, the same on every
machine):
    vek.response("infinite", 2000.0, [30, 365])
    vek.response("alluvial", 2000.0, days, a_over_w=0.5)
    vek.response("hunt", 2000.0, days, lambda_prime=2.0)
    vek.response("table", None, days, shares=[0.2, 0.3, 0.1], after="hold")
Parameters the checks refuse raise vek.ResponseError.)doc");

    m.def(
        "depletion_factor",
        [](double a, double s, double t, const std::string &unit) {
            const AquiferProperties p{a, s, t, unitArgument(unit)};
            checkAquifer(p);
            return depletionFactorDays(p);
        },
        py::arg("a"), py::arg("S"), py::arg("T"), py::kw_only(), py::arg("unit") = "ft",
        R"doc(The stream depletion factor a^2 S / T in days: a the distance from the well
to the stream, S the storage coefficient, T the transmissivity; in feet and
ft^2/day (unit="ft") or metres and m^2/day (unit="m"). Properties that give
no factor (a < 0, S outside (0, 1], T <= 0) raise vek.ResponseError.)doc");
    m.def("aquifer_for_factor", &aquiferFor, py::arg("sdf"), py::kw_only(), py::arg("a") = py::none(),
          py::arg("S") = py::none(), py::arg("T") = py::none(), py::arg("unit") = "ft",
          R"doc(The one aquifer property of a, S and T left out (None) that gives the
factor `sdf` with the two given, in the same units as depletion_factor:
    vek.aquifer_for_factor(2000.0, S=0.2, T=10000.0)   # a, in feet)doc");
}

} // namespace

void bindResponses(py::module_ &m, ModelClass &model, LocationClass &location) {
    bindResponseTableClass(m);
    bindLocationResponse(location);
    bindModelTables(model);
    bindResponseFunctions(m);
}

} // namespace vek::python
