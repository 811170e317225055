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
        return results->results.locations[static_cast<std::size_t>(index)];
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

// The columns of a tidy frame; vek._frames makes the DataFrame (or the
// arrays) of them.
py::dict frameColumns(const Results &source, const std::string &kindName, const py::object &yearType,
                      const py::object &locations, const py::object &tables) {
    const FrameKind kind = frameKind(kindName);
    const std::vector<int> positions = positionsArgument(source, locations);
    const std::vector<int> which = tablesArgument(tables);
    // A year type other than the results' own is shown on a copy, as the
    // view would show it, leaving these results as they are.
    OutputResults changed;
    const OutputResults *r = &source.results;
    if (!yearType.is_none()) {
        const int t = yearTypeArgument(yearType);
        if (t != r->yearType) {
            changed = source.results;
            changed.changeYearType(t);
            r = &changed;
        }
    }
    const std::size_t years = r->printedYears() > 0 ? static_cast<std::size_t>(r->printedYears()) : 0;

    std::vector<std::string> months;
    if (kind == FrameKind::Monthly || kind == FrameKind::Average) months = monthNames(*r);
    if (kind == FrameKind::Yearly || kind == FrameKind::Average) months.emplace_back("TOTAL");
    if (kind == FrameKind::Cumulative) months.emplace_back("CUMULATIVE TOTAL");
    const std::size_t perTable = kind == FrameKind::Average ? months.size() : years * months.size();

    std::size_t rows = 0;
    for (int p : positions)
        for (int t : which)
            if (t == 1 || r->locations[static_cast<std::size_t>(p)].hasDiversion()) rows += perTable;

    const auto n = static_cast<py::ssize_t>(rows);
    py::array_t<std::int64_t> position(n), year(n);
    py::array_t<std::int32_t> nameCode(n), typeCode(n);
    py::array_t<std::int8_t> tableCode(n), monthCode(n);
    py::array_t<double> factor(n), value(n);
    auto P = position.mutable_unchecked<1>();
    auto Y = year.mutable_unchecked<1>();
    auto N = nameCode.mutable_unchecked<1>();
    auto T = typeCode.mutable_unchecked<1>();
    auto B = tableCode.mutable_unchecked<1>();
    auto M = monthCode.mutable_unchecked<1>();
    auto F = factor.mutable_unchecked<1>();
    auto V = value.mutable_unchecked<1>();
    Categories names, types;
    py::ssize_t i = 0;
    {
        py::gil_scoped_release release;
        for (int p : positions) {
            const LocationResult &loc = r->locations[static_cast<std::size_t>(p)];
            const int nc = names.code(loc.name);
            const int tc = types.code(source.types[static_cast<std::size_t>(p)]);
            const double f = loc.isSummary() ? kNaN : loc.depletionFactor;
            for (int t : which) {
                if (t == 0 && !loc.hasDiversion()) continue;
                auto emit = [&](std::size_t y, std::size_t m, float v) {
                    P(i) = p;
                    N(i) = nc;
                    T(i) = tc;
                    F(i) = f;
                    B(i) = static_cast<std::int8_t>(t);
                    Y(i) = r->firstPrintYear + static_cast<std::int64_t>(y);
                    M(i) = static_cast<std::int8_t>(m);
                    V(i) = valueOf(v);
                    ++i;
                };
                if (kind == FrameKind::Average) {
                    const YearRow &avg = loc.rows.back();
                    for (std::size_t m = 0; m < 12; ++m)
                        emit(years, m, t == 0 ? avg.diversion[m] : avg.stream[m]);
                    emit(years, 12, t == 0 ? avg.diversionTotal : avg.streamTotal);
                    continue;
                }
                for (std::size_t y = 0; y < years && y < loc.rows.size(); ++y) {
                    const YearRow &row = loc.rows[y];
                    if (kind == FrameKind::Monthly) {
                        for (std::size_t m = 0; m < 12; ++m)
                            emit(y, m, t == 0 ? row.diversion[m] : row.stream[m]);
                    } else if (kind == FrameKind::Yearly) {
                        emit(y, 0, t == 0 ? row.diversionTotal : row.streamTotal);
                    } else {
                        emit(y, 0, t == 0 ? row.diversionCumulative : row.streamCumulative);
                    }
                }
            }
        }
    }
    py::dict out;
    out["position"] = position;
    out["name"] = py::make_tuple(nameCode, py::cast(names.names));
    out["type"] = py::make_tuple(typeCode, py::cast(types.names));
    out["factor"] = factor;
    out["table"] = py::make_tuple(tableCode, py::cast(std::vector<std::string>{"diversion", "stream"}));
    if (kind != FrameKind::Average) out["year"] = year;
    out["month"] = py::make_tuple(monthCode, py::cast(months));
    out["value"] = value;
    return out;
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
    return buildTextReport(r.results, choices, "\n", &prompter);
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
    if (!ok) raiseError(errorTypes().writeError, error, {{"file", py::str(path)}});
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
                   {{"file", py::str(path)},
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

} // namespace

void bindResults(py::module_ &m) {
    py::class_<Results, std::shared_ptr<Results>> results(
        m, "Results", R"doc(The results of one run (vek.run) or of one report read back
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
            return r.results.changeYearType(type);
        },
        py::arg("year_type"), R"doc(Moves every table into another year type, as the output view's Calendar,
Irrigation and USGS buttons do: months that would leave the first or last
year add a year without data, totals and running totals follow, and the
averages are recomputed to the report's precision. Accepts 0, 1, 2 or
"calendar", "irrigation", "usgs". Returns True when a year was added.)doc");
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
                py::arg("tables"), "Columns of Results.frame (codes and categories for the text columns).");
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

    m.def("read_report", &readReport, py::arg("path"), R"doc(Reads an engine report (.out) and returns its vek.Results.

A report that cannot be read completely raises vek.ReadError with the
message VEKView shows, the line the reader stopped at, and what was read
before the failure as `partial`.)doc");
}

} // namespace vek::python
