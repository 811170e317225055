// Response-method options of vektool convert.
#include "vektool/convert_response_options.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "model/depletion_factor.h"
#include "model/model_document.h"
#include "model/response_checks.h"
#include "model/response_table_import.h"
#include "vektool/convert_location_options.h"

namespace vektool {

const char *const kResponseOptionsUsage =
    "\nResponse methods (after everything above; locations are numbered from 1, as\n"
    "LOCATIONS: all, or numbers and ranges such as 2,5-7):\n"
    "  --response-table FILE   import the unit response tables of a CSV or\n"
    "                          tab-separated file (one column of monthly shares per\n"
    "                          table, named by its header), replacing tables of the\n"
    "                          same names\n"
    "  --table-after NAME=hold|one  after table NAME's last month: hold its\n"
    "                          cumulative share (default) or take the whole step\n"
    "  --method LOCATIONS:METHOD give locations a method; METHOD is one of\n"
    "      infinite\n"
    "      alluvial,a/W=R                      bounded alluvial aquifer, 0 <= R < 1\n"
    "      alluvial,a=A,W=W,S=S,T=T[,unit=ft|m] the same from the aquifer: sets the\n"
    "                                          factor a^2 S / T and a/W\n"
    "      hunt,lambda=L                       streambed resistance, lambda' = L > 0\n"
    "      hunt,bed=B,a=A,S=S,T=T[,unit=ft|m]  the same from the streambed conductance\n"
    "                                          B (length a day): sets the factor and\n"
    "                                          lambda' = B a / T\n"
    "      table,name=NAME                     a unit response table of the model\n"
    "    and may add sdf=DAYS to set the depletion factor. Lengths in feet with T\n"
    "    in ft^2/day (unit=ft, the default) or metres with T in m^2/day (unit=m).\n";

namespace {

std::optional<double> number(const std::string &text) {
    double v = 0.0;
    const char *last = text.data() + text.size();
    const auto r = std::from_chars(text.data(), last, v);
    if (text.empty() || r.ec != std::errc() || r.ptr != last || !std::isfinite(v)) return std::nullopt;
    return v;
}

// METHOD,key=value,...: the method's keyword and its fields; an error text
// when an item is not key=value.
std::string splitMethod(const std::string &text, std::string &method,
                        std::vector<std::pair<std::string, std::string>> &fields) {
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (start == 0) {
            method = item;
        } else {
            const std::size_t eq = item.find('=');
            if (eq == std::string::npos || eq == 0) return "'" + item + "' is not key=value";
            fields.emplace_back(item.substr(0, eq), item.substr(eq + 1));
        }
        if (comma == std::string::npos) return {};
        start = comma + 1;
    }
}

// Applies one METHOD to one location; an error text when it cannot.
std::string applyMethod(vek::Location &loc, const std::string &text) {
    std::vector<std::pair<std::string, std::string>> fields;
    std::string method;
    if (std::string problem = splitMethod(text, method, fields); !problem.empty()) return problem;
    vek::engine::ResponseMethod m{};
    if (!vek::engine::methodFromKeyword(method, m))
        return "unknown method '" + method + "' (infinite, alluvial, hunt or table)";
    std::optional<double> sdf, aOverW, lambda, a, w, s, t, bed;
    std::string name, unit = "ft";
    using M = vek::engine::ResponseMethod;
    const std::string allowed = m == M::InfiniteAquifer       ? " sdf a S T unit "
                                : m == M::AlluvialAquifer     ? " sdf a/W a W S T unit "
                                : m == M::StreambedResistance ? " sdf lambda bed a S T unit "
                                                              : " name sdf ";
    for (const auto &[key, value] : fields) {
        if (allowed.find(" " + key + " ") == std::string::npos) return "'" + key + "' does not apply to " + method;
        std::optional<double> *slot = key == "sdf"      ? &sdf
                                      : key == "a/W"    ? &aOverW
                                      : key == "lambda" ? &lambda
                                      : key == "a"      ? &a
                                      : key == "W"      ? &w
                                      : key == "S"      ? &s
                                      : key == "T"      ? &t
                                      : key == "bed"    ? &bed
                                                        : nullptr;
        if (key == "name") {
            name = value;
        } else if (key == "unit") {
            if (value != "ft" && value != "m") return "unit takes ft or m, not '" + value + "'";
            unit = value;
        } else if (slot) {
            *slot = number(value);
            if (!*slot) return key + " takes a number, not '" + value + "'";
        }
    }
    const bool aquifer = a || s || t || w || bed;
    vek::AquiferProperties p;
    if (aquifer) {
        if (!a || !s || !t) return "a, S and T go together";
        p = {*a, *s, *t, unit == "m" ? vek::LengthUnit::Metres : vek::LengthUnit::Feet};
        if (std::string problem = vek::aquiferProblem(p); !problem.empty()) return problem;
        if (sdf) return "give sdf or a, S and T, not both";
        sdf = vek::depletionFactorDays(p);
    }
    vek::ResponseSettings r = loc.response;
    r.method = m;
    switch (m) {
    case M::InfiniteAquifer:
        break;
    case M::AlluvialAquifer:
        if (aquifer) {
            if (!w) return "alluvial from the aquifer needs W, the distance from the stream to the boundary";
            if (aOverW) return "give a/W or a and W, not both";
            if (std::string problem = vek::boundaryProblem(*a, *w); !problem.empty()) return problem;
            aOverW = vek::boundaryRatio(*a, *w);
        }
        if (!aOverW) return "alluvial needs a/W (or a, W, S and T)";
        r.aOverW = static_cast<float>(*aOverW);
        break;
    case M::StreambedResistance:
        if (aquifer) {
            if (!bed) return "hunt from the aquifer needs bed, the streambed conductance";
            if (lambda) return "give lambda or bed, not both";
            lambda = vek::streambedLambdaPrime(*bed, p);
        }
        if (!lambda) return "hunt needs lambda (or bed, a, S and T)";
        r.lambda = static_cast<float>(*lambda);
        break;
    case M::ResponseTable:
        if (name.empty()) return "table needs name=NAME";
        r.table = name;
        break;
    }
    if (sdf) {
        if (!(*sdf >= 0.0)) return "sdf must be 0 or more";
        loc.VEK = static_cast<float>(*sdf);
    }
    loc.response = r;
    return {};
}

bool fail(const std::string &text) {
    std::fprintf(stderr, "vektool convert: %s\n", text.c_str());
    return false;
}

} // namespace

bool parseResponseOption(const Args &args, std::size_t &i, ResponseOptions &o, std::string &err) {
    const std::string &name = args[i];
    if (name != "--response-table" && name != "--table-after" && name != "--method") return false;
    if (i + 1 >= args.size()) {
        err = name + " needs a value";
        return true;
    }
    const std::string &value = args[++i];
    if (name == "--response-table") {
        o.tableFiles.push_back(value);
        return true;
    }
    const char separator = name == "--method" ? ':' : '=';
    const std::size_t at = value.find(separator);
    if (at == std::string::npos || at == 0 || at + 1 == value.size()) {
        err = name == "--method" ? "--method takes LOCATIONS:METHOD, not '" + value + "'"
                                 : "--table-after takes NAME=hold|one, not '" + value + "'";
        return true;
    }
    auto pair = std::make_pair(value.substr(0, at), value.substr(at + 1));
    if (name == "--method") {
        o.methods.push_back(pair);
    } else {
        if (pair.second != "hold" && pair.second != "one") err = "--table-after takes NAME=hold|one";
        o.afters.push_back(pair);
    }
    return true;
}

bool applyResponseOptions(vek::ModelDocument &doc, const ResponseOptions &o) {
    if (o.tableFiles.empty() && o.afters.empty() && o.methods.empty()) return true;
    vek::ModelInput &m = doc.model;
    for (const auto &file : o.tableFiles) {
        const vek::ResponseTableImport imported = vek::importResponseTables(file);
        if (!imported.error.empty()) return fail(file + ": " + imported.error);
        for (const auto &t : imported.tables)
            vek::putResponseTable(m, t);
    }
    for (const auto &[table, after] : o.afters) {
        bool found = false;
        for (auto &t : m.responseTables)
            if (t.name == table) t.afterTableOne = after == "one", found = true;
        if (!found) return fail("--table-after: the model has no table \"" + table + "\"");
    }
    for (const auto &[list, method] : o.methods) {
        std::vector<std::size_t> locations;
        if (std::string err = locationList(list, m, locations); !err.empty())
            return fail("--method " + list + ":" + method + ": " + err);
        for (std::size_t i : locations)
            if (std::string err = applyMethod(m.locations[i], method); !err.empty())
                return fail("--method " + list + ":" + method + ": location " + std::to_string(i + 1) + ": " + err);
    }
    doc.setModified();
    const auto problems = vek::checkResponseMethods(m);
    for (const auto &p : problems)
        std::fprintf(stderr, "vektool convert: %s\n", p.text.c_str());
    return problems.empty();
}

} // namespace vektool
