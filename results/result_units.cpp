// Results in other units than the engine's acre-feet.
#include "results/result_units.h"

#include "facts/vek_facts.h"

#include <charconv>
#include <cmath>

namespace vek {

const ResultUnitFacts kResultUnits[6] = {
    {ResultUnit::AcreFeet, "af", "acre feet", false, 1},
    {ResultUnit::CubicMetres, "m3", "cubic metres", false, 0},
    {ResultUnit::Megalitres, "ML", "megalitres", false, 3},
    {ResultUnit::CubicDecametres, "dam3", "cubic decametres", false, 3},
    {ResultUnit::CubicFeetPerSecond, "cfs", "cubic feet per second", true, 5},
    {ResultUnit::CubicMetresPerSecond, "m3/s", "cubic metres per second", true, 7},
};

const ResultUnitFacts &unitFacts(ResultUnit unit) {
    for (const ResultUnitFacts &f : kResultUnits)
        if (f.unit == unit) return f;
    return kResultUnits[0];
}

std::optional<ResultUnit> unitFromOption(std::string_view word) {
    for (const ResultUnitFacts &f : kResultUnits)
        if (word == f.option) return f.unit;
    if (word == "ml") return ResultUnit::Megalitres;
    return std::nullopt;
}

std::string unitOptionList() {
    std::string out;
    for (const ResultUnitFacts &f : kResultUnits)
        out += (out.empty() ? "" : "|") + std::string(f.option);
    return out;
}

std::string unitsLine(const OutputResults &results, ResultUnit unit) {
    if (unit == ResultUnit::AcreFeet) return results.units;
    return std::string("( ") + unitFacts(unit).name + " )";
}

std::string unitsDescription(const OutputResults &results, ResultUnit unit) {
    const ResultUnitFacts &f = unitFacts(unit);
    if (unit == ResultUnit::AcreFeet) {
        std::string u = results.units;
        if (u.size() >= 2 && u.front() == '(' && u.back() == ')') u = u.substr(1, u.size() - 2);
        const std::size_t b = u.find_first_not_of(' '), e = u.find_last_not_of(' ');
        return b == std::string::npos ? f.name : u.substr(b, e - b + 1);
    }
    const std::string decimals = std::to_string(f.decimals) + (f.decimals == 1 ? " decimal" : " decimals");
    if (f.rate)
        return std::string(f.name) + " (" + f.option +
               "): each month's acre-feet as a mean rate over its seconds (its days x 86400; a year's total over "
               "the year's), 1 acre-foot = " +
               (unit == ResultUnit::CubicFeetPerSecond ? "43560 ft3" : "1233.48183754752 m3") + ", rounded to " +
               decimals;
    return std::string(f.name) + " (" + f.option + "): the report's acre-feet x " +
           (unit == ResultUnit::CubicMetres ? "1233.48183754752" : "1.23348183754752") + ", rounded to " + decimals;
}

double convertAcreFeet(double acreFeet, ResultUnit unit, double days) {
    const double seconds = days * kSecondsPerDay;
    switch (unit) {
    case ResultUnit::AcreFeet:
        return acreFeet;
    case ResultUnit::CubicMetres:
        return acreFeet * kCubicMetresPerAcreFoot;
    case ResultUnit::Megalitres:
    case ResultUnit::CubicDecametres:
        return acreFeet * kCubicMetresPerAcreFoot / 1000.0;
    case ResultUnit::CubicFeetPerSecond:
        return seconds > 0 ? acreFeet * kCubicFeetPerAcreFoot / seconds : 0.0;
    case ResultUnit::CubicMetresPerSecond:
        return seconds > 0 ? acreFeet * kCubicMetresPerAcreFoot / seconds : 0.0;
    }
    return acreFeet;
}

double roundForExport(double value, ResultUnit unit) {
    if (unit == ResultUnit::AcreFeet || !std::isfinite(value)) return value;
    // The decimal digits of the double's exact value, rounded once (a
    // product with a power of ten would round twice).
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, unitFacts(unit).decimals);
    double rounded = value;
    if (r.ec == std::errc()) std::from_chars(buf, r.ptr, rounded);
    return rounded + 0.0; // no negative zero
}

void calendarMonthOf(const OutputResults &results, int row, int month, int &year, int &calendarMonth1) {
    const int label = results.firstPrintYear + row;
    year = month < monthsBeforeJanuary(results.yearType) ? label - 1 : label;
    calendarMonth1 = calendarMonth(results.yearType, month) + 1;
}

double monthDays(const OutputResults &results, int row, int month) {
    int year = 0, cm = 1;
    calendarMonthOf(results, row, month, year, cm);
    return daysOfCalendarMonth(cm - 1, year);
}

namespace {

float valueAt(const YearRow &r, bool stream, int month) {
    return month == 12 ? (stream ? r.streamTotal : r.diversionTotal) : (stream ? r.stream : r.diversion)[month];
}

// Days of a year row: the months that hold data (all twelve when none does).
double rowYearDays(const OutputResults &results, const LocationResult *loc, bool stream, int row) {
    double all = 0.0, held = 0.0;
    for (int m = 0; m < 12; ++m) {
        const double d = monthDays(results, row, m);
        all += d;
        if (loc && static_cast<size_t>(row) < loc->rows.size() &&
            hasData(valueAt(loc->rows[static_cast<size_t>(row)], stream, m)))
            held += d;
    }
    return held > 0.0 ? held : all;
}

// Days of one value: a month, a year (month 12), or on the average row the
// mean over the years that hold data there.
double daysOf(const OutputResults &results, const LocationResult &loc, bool stream, int row, int month) {
    const int printed = results.printedYears();
    auto one = [&](int r) {
        return month == 12 ? rowYearDays(results, &loc, stream, r) : monthDays(results, r, month);
    };
    if (row < printed) return one(row);
    double sum = 0.0, all = 0.0;
    int n = 0;
    for (int r = 0; r < printed; ++r) {
        const double d = one(r);
        all += d;
        if (static_cast<size_t>(r) < loc.rows.size() &&
            hasData(valueAt(loc.rows[static_cast<size_t>(r)], stream, month))) {
            sum += d;
            ++n;
        }
    }
    if (n > 0) return sum / n;
    return printed > 0 ? all / printed : 30.0;
}

} // namespace

double yearDays(const OutputResults &results, const LocationResult *loc, bool stream, int row) {
    return rowYearDays(results, loc, stream, row);
}

std::optional<double> valueIn(const OutputResults &results, const LocationResult &loc, int row, bool stream, int month,
                              ResultUnit unit, bool forExport) {
    if (row < 0 || static_cast<size_t>(row) >= loc.rows.size()) return std::nullopt;
    const std::optional<double> af = exportValue(loc.rows[static_cast<size_t>(row)], stream, month);
    if (!af || unit == ResultUnit::AcreFeet) return af;
    const double v = convertCell(results, loc, row, stream, month, *af, unit);
    return forExport ? roundForExport(v, unit) : v;
}

double convertCell(const OutputResults &results, const LocationResult &loc, int row, bool stream, int month,
                   double acreFeet, ResultUnit unit) {
    const double days = unitFacts(unit).rate ? daysOf(results, loc, stream, row, month) : 0.0;
    return convertAcreFeet(acreFeet, unit, days);
}

std::optional<double> cumulativeIn(const OutputResults &results, const LocationResult &loc, int row, bool stream,
                                   ResultUnit unit, bool forExport) {
    (void)results;
    if (row < 0 || static_cast<size_t>(row) >= loc.rows.size() || unitFacts(unit).rate) return std::nullopt;
    const std::optional<double> af = exportCumulative(loc.rows[static_cast<size_t>(row)], stream);
    if (!af || unit == ResultUnit::AcreFeet) return af;
    const double v = convertAcreFeet(*af, unit, 0.0);
    return forExport ? roundForExport(v, unit) : v;
}

} // namespace vek
