// vek.Results and vek.LocationResult: the tables of a run or of a report
// read back, as numpy arrays, as the columns of a tidy frame, and as the
// output view's text report; the view's year-type change.
#include "python/bindings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>

#include "common/safe_save.h"
#include "facts/vek_facts.h"
#include "results/export_layout.h"
#include "results/result_units.h"
#include "results/text_report.h"

namespace vek::python {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// One entry of a results object, by position; keeps the results alive.
struct LocationResultRef {
    std::shared_ptr<Results> results;
    int index = 0;

    const LocationResult &get() const {
        if (index < 0 || index >= static_cast<int>(results->results.locations.size()))
            throw py::index_error("the results have no entry " + std::to_string(index));
        return entryOf(*results, static_cast<std::size_t>(index));
    }
};

struct LocationResultList {
    std::shared_ptr<Results> results;
    int size() const { return static_cast<int>(results->results.locations.size()); }
    LocationResultRef at(int i) const { return {results, i}; }
};

// A float as the double that its shortest decimal names: exact to the
// float, without the binary tail a plain widening shows (123.4, not
// 123.40000152587891). No data becomes NaN.
double valueOf(float v) {
    if (!hasData(v) || !std::isfinite(v)) return kNaN;
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    double d = static_cast<double>(v);
    if (ec == std::errc()) std::from_chars(buf, end, d);
    return d + 0.0; // a well's zero months are -0.0 in the engine; a table shows 0
}

float asFloat(float v) { return hasData(v) ? v : std::numeric_limits<float>::quiet_NaN(); }

const char *kindName(LocationResult::Kind k) {
    switch (k) {
    case LocationResult::Kind::RechargeSummary:
        return "recharge summary";
    case LocationResult::Kind::GroundWaterSummary:
        return "ground water summary";
    case LocationResult::Kind::NetImpact:
        return "net impact";
    case LocationResult::Kind::Reach:
        return "reach";
    case LocationResult::Kind::Location:
        break;
    }
    return "location";
}

std::vector<int> positionsArgument(const Results &r, const py::handle &value) {
    const int n = static_cast<int>(r.results.locations.size());
    std::vector<int> out;
    if (value.is_none()) {
        for (int i = 0; i < n; ++i)
            out.push_back(i);
        return out;
    }
    for (const py::handle &item : value) {
        int i = item.cast<int>();
        if (i < 0) i += n;
        if (i < 0 || i >= n) throw py::index_error("the results have no entry " + py::str(item).cast<std::string>());
        out.push_back(i);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

// Which tables: 0 diversion, 1 stream.
std::vector<int> tablesArgument(const py::handle &value) {
    if (value.is_none()) return {0, 1};
    std::vector<std::string> names;
    if (py::isinstance<py::str>(value))
        names.push_back(value.cast<std::string>());
    else
        for (const py::handle &item : value)
            names.push_back(item.cast<std::string>());
    bool wanted[2] = {false, false};
    for (const std::string &n : names) {
        if (n != "diversion" && n != "stream") throw py::value_error("a table is \"diversion\" or \"stream\"");
        wanted[n == "stream" ? 1 : 0] = true;
    }
    std::vector<int> out;
    for (int t = 0; t < 2; ++t)
        if (wanted[t]) out.push_back(t);
    return out;
}

// The view's month headings for the results' year type.
std::vector<std::string> monthNames(const OutputResults &r) { return exportLayout(r, ViewChoices{}).months; }

// Codes of a categorical column and its categories in order of first use.
struct Categories {
    std::vector<std::string> names;
    std::map<std::string, int> codes;
    int code(const std::string &name) {
        auto [it, added] = codes.emplace(name, static_cast<int>(names.size()));
        if (added) names.push_back(name);
        return it->second;
    }
};

enum class FrameKind { Monthly, Yearly, Cumulative, Average };

FrameKind frameKind(const std::string &kind) {
    if (kind == "monthly") return FrameKind::Monthly;
    if (kind == "yearly") return FrameKind::Yearly;
    if (kind == "cumulative") return FrameKind::Cumulative;
    if (kind == "average") return FrameKind::Average;
    throw py::value_error("kind is \"monthly\", \"yearly\", \"cumulative\" or \"average\"");
}

// The unit a frame's values are given in: "af", "m3", "ML", "dam3", "cfs",
// "m3/s".
ResultUnit unitArgument(const py::object &value) {
    if (value.is_none()) return ResultUnit::AcreFeet;
    const std::string word = value.cast<std::string>();
    const std::optional<ResultUnit> u = unitFromOption(word);
    if (!u) throw py::value_error("units is one of " + unitOptionList() + ", not \"" + word + "\"");
    return *u;
}

// One column of a frame under construction: numbers, or codes into
// categories.
template <typename T> struct Column {
    py::array_t<T> array;
    T *data;
    explicit Column(py::ssize_t n) : array(n), data(array.mutable_data()) {}
};

// How each entry's numbers were made: its response method and parameters.
struct MethodColumns {
    Column<std::int32_t> method, table, after;
    Column<double> sdf, aOverW, lambda;
    Categories methods, tables, afters;
    explicit MethodColumns(py::ssize_t n) : method(n), table(n), after(n), sdf(n), aOverW(n), lambda(n) {}
    void set(py::ssize_t i, const LocationResult &loc) {
        const ResponseInfo none{};
        const ResponseInfo &r = loc.isSummary() ? none : loc.response;
        method.data[i] = loc.isSummary() ? methods.code("") : methods.code(r.methodWord());
        table.data[i] = tables.code(r.table);
        after.data[i] = afters.code(r.after);
        sdf.data[i] = loc.isSummary() ? kNaN : r.sdf.value_or(kNaN);
        aOverW.data[i] = r.aOverW.value_or(kNaN);
        lambda.data[i] = r.lambda.value_or(kNaN);
    }
    void into(py::dict &out) {
        out["method"] = py::make_tuple(method.array, py::cast(methods.names));
        out["sdf"] = sdf.array;
        out["a_w"] = aOverW.array;
        out["lambda"] = lambda.array;
        out["response_table"] = py::make_tuple(table.array, py::cast(tables.names));
        out["table_after"] = py::make_tuple(after.array, py::cast(afters.names));
    }
};

struct FrameRequest {
    FrameKind kind;
    std::vector<int> positions, tables;
    ResultUnit unit;
    bool long_;
};

// The columns of a frame, filled one row at a time.
struct FrameBuilder {
    const OutputResults &r;
    const FrameRequest &q;
    std::size_t years;
    Column<std::int64_t> position, year;
    Column<std::int32_t> nameCode, typeCode, calendarYear, calendarMonth1, days;
    Column<std::int8_t> tableCode, monthCode;
    Column<double> factor, value;
    MethodColumns method;
    Categories names, types;
    py::ssize_t i = 0;

    FrameBuilder(const OutputResults &results, const FrameRequest &request, std::size_t yearCount, py::ssize_t n)
        : r(results), q(request), years(yearCount), position(n), year(n), nameCode(n), typeCode(n), calendarYear(n),
          calendarMonth1(n), days(n), tableCode(n), monthCode(n), factor(n), value(n), method(n) {}

    // The value of month m (12: the total, 13: the running total) of a row,
    // in the unit asked for.
    double valueAt(const LocationResult &loc, std::size_t row, bool stream, std::size_t m) const {
        const YearRow &y = loc.rows[row];
        const float v = m == 13   ? (stream ? y.streamCumulative : y.diversionCumulative)
                        : m == 12 ? (stream ? y.streamTotal : y.diversionTotal)
                                  : (stream ? y.stream : y.diversion)[m];
        const double af = valueOf(v);
        if (q.unit == ResultUnit::AcreFeet || std::isnan(af)) return af;
        if (m == 13) return unitFacts(q.unit).rate ? kNaN : convertAcreFeet(af, q.unit, 0.0);
        return convertCell(r, loc, static_cast<int>(row), stream, static_cast<int>(m), af, q.unit);
    }

    void emit(int p, const LocationResult &loc, int nc, int tc, int t, std::size_t row, std::size_t m,
              std::size_t label) {
        position.data[i] = p;
        nameCode.data[i] = nc;
        typeCode.data[i] = tc;
        factor.data[i] = loc.isSummary() ? kNaN : loc.depletionFactor;
        tableCode.data[i] = static_cast<std::int8_t>(t);
        year.data[i] = r.firstPrintYear + static_cast<std::int64_t>(row);
        monthCode.data[i] = static_cast<std::int8_t>(label);
        int cy = 0, cm = 1;
        const bool aMonth = m < 12 && row < years;
        if (aMonth) calendarMonthOf(r, static_cast<int>(row), static_cast<int>(m), cy, cm);
        calendarYear.data[i] = cy;
        calendarMonth1.data[i] = cm;
        days.data[i] = aMonth ? static_cast<std::int32_t>(monthDays(r, static_cast<int>(row), static_cast<int>(m))) : 0;
        value.data[i] = valueAt(loc, row, t == 1, m);
        method.set(i, loc);
        ++i;
    }

    void entry(int p, const std::vector<std::string> &entryTypes) {
        const LocationResult &loc = r.locations[static_cast<std::size_t>(p)];
        const int nc = names.code(loc.name);
        const int tc = types.code(entryTypes[static_cast<std::size_t>(p)]);
        for (int t : q.tables) {
            if (t == 0 && !loc.hasDiversion()) continue;
            if (q.kind == FrameKind::Average) {
                for (std::size_t m = 0; m <= 12; ++m)
                    emit(p, loc, nc, tc, t, years, m, m);
                continue;
            }
            for (std::size_t y = 0; y < years && y < loc.rows.size(); ++y) {
                if (q.kind == FrameKind::Monthly)
                    for (std::size_t m = 0; m < 12; ++m)
                        emit(p, loc, nc, tc, t, y, m, m);
                else
                    emit(p, loc, nc, tc, t, y, q.kind == FrameKind::Yearly ? 12 : 13, 0);
            }
        }
    }

    py::dict columns(const std::vector<std::string> &months) {
        py::dict out;
        out["position"] = position.array;
        out["name"] = py::make_tuple(nameCode.array, py::cast(names.names));
        out["type"] = py::make_tuple(typeCode.array, py::cast(types.names));
        out["factor"] = factor.array;
        out["table"] = py::make_tuple(tableCode.array, py::cast(std::vector<std::string>{"diversion", "stream"}));
        if (q.kind != FrameKind::Average) out["year"] = year.array;
        if (q.long_) {
            out["calendar_year"] = calendarYear.array;
            out["calendar_month"] = calendarMonth1.array;
            out["days"] = days.array;
        } else {
            out["month"] = py::make_tuple(monthCode.array, py::cast(months));
        }
        out["value"] = value.array;
        out["units"] = unitFacts(q.unit).option;
        out["year_type"] = yearTypeWord(r.yearType);
        method.into(out);
        return out;
    }
};

// The columns of a tidy frame; vek._frames makes the DataFrame (or the
// arrays) of them.
py::dict frameColumns(const Results &source, const std::string &kindName, const py::object &yearType,
                      const py::object &locations, const py::object &tables, const py::object &units,
                      const std::string &layout) {
    if (layout != "months" && layout != "long") throw py::value_error("layout is \"months\" or \"long\"");
    const FrameRequest q{frameKind(kindName), positionsArgument(source, locations), tablesArgument(tables),
                         unitArgument(units), layout == "long"};
    if (q.long_ && q.kind != FrameKind::Monthly)
        throw py::value_error("layout \"long\" has a row per month: it goes with kind \"monthly\"");
    // A year type other than the results' own is shown on a copy, as the
    // view would show it, leaving these results as they are.
    OutputResults changed;
    for (int p : q.positions)
        entryOf(source, static_cast<std::size_t>(p));
    const OutputResults *r = &source.results;
    if (!yearType.is_none()) {
        const int t = yearTypeArgument(yearType);
        if (t != r->yearType) {
            changed = completed(source);
            changed.changeYearType(t);
            r = &changed;
        }
    }
    const std::size_t years = r->printedYears() > 0 ? static_cast<std::size_t>(r->printedYears()) : 0;
    std::vector<std::string> months;
    if (q.kind == FrameKind::Monthly || q.kind == FrameKind::Average) months = monthNames(*r);
    if (q.kind == FrameKind::Yearly || q.kind == FrameKind::Average) months.emplace_back("TOTAL");
    if (q.kind == FrameKind::Cumulative) months.emplace_back("CUMULATIVE TOTAL");
    const std::size_t perTable = q.kind == FrameKind::Average ? months.size() : years * months.size();
    std::size_t rows = 0;
    for (int p : q.positions)
        for (int t : q.tables)
            if (t == 1 || r->locations[static_cast<std::size_t>(p)].hasDiversion()) rows += perTable;

    FrameBuilder b(*r, q, years, static_cast<py::ssize_t>(rows));
    {
        py::gil_scoped_release release;
        for (int p : q.positions)
            b.entry(p, source.types);
    }
    return b.columns(months);
}

// A table of a location as (years, 12) float32, no data as NaN.
py::object monthTable(const LocationResult &loc, bool stream) {
    const std::size_t years = loc.rows.empty() ? 0 : loc.rows.size() - 1;
    py::array_t<float> a({static_cast<py::ssize_t>(years), static_cast<py::ssize_t>(12)});
    auto t = a.mutable_unchecked<2>();
    for (std::size_t y = 0; y < years; ++y)
        for (std::size_t m = 0; m < 12; ++m)
            t(static_cast<py::ssize_t>(y), static_cast<py::ssize_t>(m)) =
                asFloat(stream ? loc.rows[y].stream[m] : loc.rows[y].diversion[m]);
    py::array out = a;
    makeReadOnly(out);
    return out;
}

// One value per year row (totals or running totals), no data as NaN.
template <typename Get> py::object yearColumn(const LocationResult &loc, Get get) {
    const std::size_t years = loc.rows.empty() ? 0 : loc.rows.size() - 1;
    py::array_t<float> a(static_cast<py::ssize_t>(years));
    auto c = a.mutable_unchecked<1>();
    for (std::size_t y = 0; y < years; ++y)
        c(static_cast<py::ssize_t>(y)) = asFloat(get(loc.rows[y]));
    py::array out = a;
    makeReadOnly(out);
    return out;
}

// The average row: 12 months and the total.
py::object averageRow(const LocationResult &loc, bool stream) {
    py::array_t<float> a(13);
    auto c = a.mutable_unchecked<1>();
    for (py::ssize_t m = 0; m < 13; ++m)
        c(m) = std::numeric_limits<float>::quiet_NaN();
    if (!loc.rows.empty()) {
        const YearRow &avg = loc.rows.back();
        for (py::ssize_t m = 0; m < 12; ++m)
            c(m) = asFloat(stream ? avg.stream[m] : avg.diversion[m]);
        c(12) = asFloat(stream ? avg.streamTotal : avg.diversionTotal);
    }
    py::array out = a;
    makeReadOnly(out);
    return out;
}

// How a location's stream effect was computed, as a dict; None for a
// summary.
py::object responseOf(const LocationResultRef &r) {
    const LocationResult &l = r.get();
    if (l.isSummary()) return py::none();
    const ResponseInfo &x = l.response;
    auto opt = [](const std::optional<double> &v) { return v ? py::object(py::float_(*v)) : py::object(py::none()); };
    auto text = [](const std::string &v) { return v.empty() ? py::object(py::none()) : py::object(py::str(v)); };
    py::dict d;
    d["method"] = x.methodWord();
    d["sdf"] = opt(x.sdf);
    d["a_w"] = opt(x.aOverW);
    d["lambda"] = opt(x.lambda);
    d["table"] = text(x.table);
    d["after"] = text(x.after);
    d["description"] = x.description;
    return d;
}

const char *const kResponseDoc =
    "How the location's stream effect was computed, as the report's list of response methods says (a location "
    "it leaves out used the infinite aquifer): a dict of method (\"infinite\", \"alluvial\", \"hunt\", \"table\" "
    "or \"unknown\"), sdf, a_w, lambda, table, after and description (the list's words); None for a summary.";

std::string textReport(const Results &r, const py::object &locations, const py::object &years, bool yearly,
                       bool diversion, bool stream) {
    ViewChoices choices;
    choices.locations = positionsArgument(r, locations);
    const int rows = r.results.printedYears() + 1;
    if (years.is_none()) {
        for (int p = 0; p < rows; ++p)
            choices.years.push_back(p);
    } else {
        for (const py::handle &item : years) {
            if (py::isinstance<py::str>(item)) {
                if (item.cast<std::string>() != "avg")
                    throw py::value_error("a year of the text report is a printed year or \"avg\"");
                choices.years.push_back(rows - 1);
                continue;
            }
            const int p = item.cast<int>() - r.results.firstPrintYear;
            if (p < 0 || p >= rows - 1)
                throw py::value_error("year " + py::str(item).cast<std::string>() + " is not printed");
            choices.years.push_back(p);
        }
    }
    choices.scale = yearly ? ViewChoices::Yearly : ViewChoices::Monthly;
    choices.showDiversion = diversion;
    choices.showStream = stream;
    CollectingPrompter prompter;
    return buildTextReport(completed(r), choices, "\n", &prompter);
}

void writeReport(const Results &r, const py::object &pathArg) {
    const std::string path = pathArgument(pathArg);
    if (!r.run) throw py::value_error("only the results of vek.run write a report; these were read from " + r.source);
    bool ok;
    std::string error;
    {
        py::gil_scoped_release release;
        SafeSave save;
        ok = save.open(path);
        if (ok) {
            engine::writeReport(*r.run, [&](std::string_view text) { ok = ok && save.write(text); });
            ok = ok && save.commit();
        }
        if (!ok) {
            error = save.error();
            save.abandon();
        }
    }
    if (!ok) raiseError(errorTypes().writeError, error, {{"file", pathString(path)}});
}

std::shared_ptr<Results> readReport(const py::object &pathArg) {
    const std::string path = pathArgument(pathArg);
    auto r = std::make_shared<Results>();
    r->source = path;
    CollectingPrompter prompter;
    bool ok;
    {
        py::gil_scoped_release release;
        ok = r->results.Load(path, prompter);
        for (const LocationResult &loc : r->results.locations)
            r->types.emplace_back(loc.isReach() ? "reach" : loc.isSummary() ? "summary" : locationTypeName(loc));
    }
    if (!ok) {
        const int line = r->results.failedLine;
        raiseError(errorTypes().readError, prompter.text(),
                   {{"file", pathString(path)},
                    {"line", line > 0 ? py::object(py::int_(line)) : py::object(py::none())},
                    {"partial", py::cast(r)}});
    }
    return r;
}

std::string resultsRepr(const Results &r) {
    const OutputResults &o = r.results;
    int summaries = 0;
    for (const LocationResult &l : o.locations)
        summaries += l.isSummary() ? 1 : 0;
    static const char *const kYearTypes[] = {"Calendar", "Irrigation", "USGS"};
    return std::string("<vek.Results ") + (r.run ? "of a run of '" : "of the report '") + r.source +
           "': " + std::to_string(o.locations.size() - static_cast<std::size_t>(summaries)) + " locations and " +
           std::to_string(summaries) + " summaries, years " + std::to_string(o.firstPrintYear) + "-" +
           std::to_string(o.lastPrintYear) + ", " + (isValidYearMode(o.yearType) ? kYearTypes[o.yearType] : "?") +
           " years>";
}

using ResultsClass = py::class_<Results, std::shared_ptr<Results>>;

// Results' printed, historical and synthesized years.
void bindResultsYears(ResultsClass &results) {
    results.def_property_readonly(
        "first_print_year", [](const Results &r) { return r.results.firstPrintYear; },
        "First printed year (the run's first year).");
    results.def_property_readonly(
        "last_print_year", [](const Results &r) { return r.results.lastPrintYear; }, "Last printed year.");
    results.def_property_readonly(
        "years",
        [](const Results &r) {
            const int n = std::max(0, r.results.printedYears());
            py::array_t<std::int32_t> a(n);
            for (int i = 0; i < n; ++i)
                a.mutable_at(i) = r.results.firstPrintYear + i;
            return a;
        },
        "The printed years, the row labels of every table.");
    results.def_property_readonly(
        "first_synth_year", [](const Results &r) { return r.results.firstSynthYear; },
        "First synthesized year (the last historical year + 1).");
    results.def_property_readonly(
        "last_synth_year", [](const Results &r) { return r.results.lastSynthYear; },
        "Last synthesized year; the last historical year when there are none.");
}

// vek.Results.
void bindResultsClass(py::module_ &m) {
    ResultsClass results(m, "Results", R"doc(The results of one run (vek.run) or of one report read back
(vek.read_report): every location's two tables, then the summaries
"Recharge Summary", "CU of Ground Water Summary" and "Net Impact on Stream",
one row per printed year and the average row.

Values are acre-feet per month, wells negative. Results of a run hold the
engine's single-precision values; a report holds them rounded to one
decimal. A run keeps the entries its report would show (output_format 0:
every used location and the summaries; 1: the summaries; 2: none).)doc");
    results.def_property_readonly(
        "year_type", [](const Results &r) { return r.results.yearType; },
        "Month order of the tables: 0 Calendar (JAN-DEC), 1 Irrigation (NOV-OCT, the engine's), 2 USGS "
        "(OCT-SEP).");
    results.def(
        "change_year_type",
        [](Results &r, const py::object &t) {
            const int type = yearTypeArgument(t);
            py::gil_scoped_release release;
            return completed(r).changeYearType(type);
        },
        py::arg("year_type"), R"doc(Moves every table into another year type, as the output view's Calendar,
Irrigation and USGS buttons do: months that would leave the first or last
year add a year without data, totals and running totals follow, and the
averages are recomputed to the report's precision. Accepts 0, 1, 2 or
"calendar", "irrigation", "usgs". Returns True when a year was added.)doc");
    bindResultsYears(results);
    results.def_property_readonly(
        "synthesis_text", [](const Results &r) { return r.results.synthesisText; },
        "The heading line that names how the synthesized years were made.");
    results.def_property_readonly(
        "conversion_text", [](const Results &r) { return r.results.conversionText; },
        "The heading line that names the monthly-to-daily conversion.");
    results.def_property_readonly(
        "units", [](const Results &r) { return r.results.units; }, "The units line of the tables, \"( acre feet )\".");
    results.def_property_readonly(
        "months", [](const Results &r) { return monthNames(r.results); },
        "The twelve month names in the tables' order (\"NOV\" ... \"OCT\" for Irrigation years).");
    results.def_property_readonly(
        "source", [](const Results &r) { return r.source; },
        "The report read, or the model file (or in-memory model) that was run.");
    results.def_property_readonly(
        "from_run", [](const Results &r) { return static_cast<bool>(r.run); },
        "True for the results of vek.run, which can write their report.");
    results.def_property_readonly(
        "locations", [](const std::shared_ptr<Results> &r) { return LocationResultList{r}; },
        "The entries in report order: the locations, then the three summaries (vek.LocationResult).");
    results.def("_columns", &frameColumns, py::arg("kind"), py::arg("year_type"), py::arg("locations"),
                py::arg("tables"), py::arg("units"), py::arg("layout"),
                "Columns of Results.frame (codes and categories for the text columns).");
    results.def("text_report", &textReport, py::arg("locations") = py::none(), py::arg("years") = py::none(),
                py::arg("yearly") = false, py::arg("diversion") = true, py::arg("stream") = true,
                R"doc(The output view's tab-delimited text report, lines ending in "\n".

locations: positions to show (default all); years: printed years and "avg"
(default all, then the average); yearly: the yearly scale (TOTAL and
CUMULATIVE TOTAL) instead of months; diversion, stream: which tables.)doc");
    results.def("write_report", &writeReport, py::arg("path"),
                R"doc(Writes the report vek writes for this run, byte for byte, to `path`
(through the safe save: an earlier file is replaced only by a complete one).
Only the results of vek.run have one; vek.WriteError when it cannot be
written.)doc");
    results.def("__repr__", &resultsRepr);
}

// vek.LocationResultList and vek.LocationResult.
void bindLocationResultClass(py::module_ &m) {
    bindSequence<LocationResultList>(m, "LocationResultList", "The entries of a results object, in report order.");

    py::class_<LocationResultRef> loc(m, "LocationResult",
                                      R"doc(One entry of a results object: a location's block of the report, or one
of the three summaries. Tables are read-only float32 arrays, one row per
printed year in the results' year type; NaN where there is no data.)doc");
    loc.def_property_readonly(
        "position", [](const LocationResultRef &r) { return r.index; },
        "Position among the results' entries (0-based).");
    loc.def_property_readonly(
        "name", [](const LocationResultRef &r) { return r.get().name; },
        "The location's name as the report prints it, or the summary's name.");
    loc.def_property_readonly(
        "kind", [](const LocationResultRef &r) { return kindName(r.get().kind); },
        "\"location\", \"recharge summary\", \"ground water summary\", \"net impact\" or \"reach\" (a stream "
        "reach's net impact).");
    loc.def_property_readonly(
        "is_summary", [](const LocationResultRef &r) { return r.get().isSummary(); },
        "True for the three summaries and the reaches' net impacts.");
    loc.def_property_readonly(
        "type", [](const LocationResultRef &r) { return r.results->types[static_cast<std::size_t>(r.index)]; },
        "\"Irrig. well\", \"Recharge site\", \"summary\" or \"reach\".");
    loc.def_property_readonly(
        "factor",
        [](const LocationResultRef &r) -> py::object {
            const LocationResult &l = r.get();
            if (l.isSummary()) return py::none();
            return py::float_(valueOf(static_cast<float>(l.depletionFactor)));
        },
        "Depletion factor in days; None for a summary.");
    loc.def_property_readonly("response", &responseOf, kResponseDoc);
    loc.def_property_readonly(
        "diversion", [](const LocationResultRef &r) { return monthTable(r.get(), false); },
        "Consumptive use of ground water (wells, negative) or net recharge (sites), shape (years, 12). "
        "All NaN for the net impact, which has no such table.");
    loc.def_property_readonly(
        "stream", [](const LocationResultRef &r) { return monthTable(r.get(), true); },
        "Stream depletion (wells, negative) or accretion (sites), shape (years, 12).");
    loc.def_property_readonly(
        "diversion_totals",
        [](const LocationResultRef &r) {
            return yearColumn(r.get(), [](const YearRow &y) { return y.diversionTotal; });
        },
        "Year totals of the diversion table, shape (years,).");
    loc.def_property_readonly(
        "stream_totals",
        [](const LocationResultRef &r) { return yearColumn(r.get(), [](const YearRow &y) { return y.streamTotal; }); },
        "Year totals of the stream table, shape (years,).");
    loc.def_property_readonly(
        "diversion_cumulative",
        [](const LocationResultRef &r) {
            return yearColumn(r.get(), [](const YearRow &y) { return y.diversionCumulative; });
        },
        "Running totals of the diversion table's year totals, shape (years,).");
    loc.def_property_readonly(
        "stream_cumulative",
        [](const LocationResultRef &r) {
            return yearColumn(r.get(), [](const YearRow &y) { return y.streamCumulative; });
        },
        "Running totals of the stream table's year totals, shape (years,).");
    loc.def_property_readonly(
        "diversion_average", [](const LocationResultRef &r) { return averageRow(r.get(), false); },
        "The report's average row of the diversion table: 12 months, then the total; shape (13,).");
    loc.def_property_readonly(
        "stream_average", [](const LocationResultRef &r) { return averageRow(r.get(), true); },
        "The report's average row of the stream table: 12 months, then the total; shape (13,).");
    loc.def("__repr__", [](const LocationResultRef &r) {
        const LocationResult &l = r.get();
        return "<vek.LocationResult " + std::to_string(r.index) + " '" + l.name +
               "': " + r.results->types[static_cast<std::size_t>(r.index)] + ">";
    });
}

} // namespace

void bindResults(py::module_ &m) {
    bindResultsClass(m);
    bindLocationResultClass(m);
    m.def("read_report", &readReport, py::arg("path"), R"doc(Reads an engine report (.out) and returns its vek.Results.

A report that cannot be read completely raises vek.ReadError with the
message VEKView shows, the line the reader stopped at, and what was read
before the failure as `partial`.)doc");
}

} // namespace vek::python
