// Preparing the Plot command's graphs, and writing them as JSON.
#include "results/graph_data.h"

#include "results/report_format.h"
#include "results/text_decoding.h"

#include "facts/vek_facts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

namespace vek {

namespace {

struct Slot {
    int row;
    int month; // -1: the year total
};

struct Range {
    double max = -9.0e30;
    double min = 9.0e30;
    void add(double v) {
        max = std::max(max, v);
        min = std::min(min, v);
    }
};

void fillGraph(GraphData &g, const OutputResults &res, const std::vector<int> &locs, const std::vector<Slot> &slots,
               bool stream, ResultUnit unit, Range &range) {
    for (int i : locs) {
        const LocationResult &loc = res.locations[static_cast<size_t>(i)];
        GraphSeries s;
        s.legend = loc.isReach() ? reachEntryName(loc.name) : loc.name;
        s.position = i;
        s.summary = loc.isSummary();
        s.response = loc.response;
        if (!loc.isSummary()) s.legend += "  (" + formatG(loc.depletionFactor) + " days)";
        s.values.assign(slots.size(), 0.0);
        s.present.assign(slots.size(), false);
        for (size_t k = 0; k < slots.size(); ++k) {
            if (slots[k].row >= static_cast<int>(loc.rows.size())) continue;
            const YearRow &row = loc.rows[static_cast<size_t>(slots[k].row)];
            const int month = slots[k].month < 0 ? 12 : slots[k].month;
            const float v = month == 12 ? (stream ? row.streamTotal : row.diversionTotal)
                                        : (stream ? row.stream : row.diversion)[month];
            if (!hasData(v)) continue;
            // The engine's floats in acre-feet; another unit from the
            // report's values.
            const double value = unit == ResultUnit::AcreFeet
                                     ? static_cast<double>(v)
                                     : valueIn(res, loc, slots[k].row, stream, month, unit, false).value_or(0.0);
            s.values[k] = value;
            s.present[k] = true;
            range.add(value);
        }
        g.series.push_back(std::move(s));
    }
}

// How a series' numbers were made, for the JSON.
std::string methodJson(const GraphSeries &s);

void finishGraph(GraphData &g, const std::string &tableTitle, const std::string &graphName, const std::string &units,
                 const std::vector<std::string> &labels) {
    g.tableTitle = tableTitle;
    g.caption = tableTitle;
    g.bottomTitle = "Year";
    g.leftTitle = units;
    g.graphName = graphName;
    g.settingsFile = graphName + ".gsp";
    g.labels = labels;
    const int p = g.numPoints();
    g.xTicks = p / 30 + 1;
    g.gridByPointCount = p < 121 ? 1 : 0;
    g.gridPlusOne = 1;
    g.gridValue = (g.gridByPointCount && p <= 60 ? 2 : 0) + (g.gridPlusOne ? 1 : 0);
    g.labelEvery = p / 50 + 1;
    const bool single = g.graphType == 3 && g.numSeries() == 1;
    g.showLegends = !single;
    g.markPoints = single;
    g.title = single ? tableTitle + " -- " + g.series.front().legend : tableTitle;
}

// Names come from the report as bytes: they are decoded as every view of a
// report decodes them (results/text_decoding.h), so the output is always
// valid JSON.
std::string jsonString(const std::string &bytes) {
    const std::string s = decodeReportText(bytes);
    std::string o = "\"";
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) {
            o += static_cast<char>(c);
            ++i;
            continue;
        }
        ++i;
        switch (c) {
        case '"':
            o += "\\\"";
            break;
        case '\\':
            o += "\\\\";
            break;
        case '\n':
            o += "\\n";
            break;
        case '\r':
            o += "\\r";
            break;
        case '\t':
            o += "\\t";
            break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                o += buf;
            } else {
                o += static_cast<char>(c);
            }
        }
    }
    return o + "\"";
}

// Shortest text that reads back as the same value; values that came from
// the report's single-precision numbers are written as such.
std::string jsonNumber(double v) {
    // JSON has no infinity; sums of absurd report values can reach it.
    if (!std::isfinite(v)) return "null";
    char buf[64];
    std::to_chars_result r;
    const float f = static_cast<float>(v);
    if (static_cast<double>(f) == v)
        r = std::to_chars(buf, buf + sizeof buf, f);
    else
        r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

void graphJson(std::string &o, const GraphData &g) {
    o += "{\n";
    o += "    \"title\": " + jsonString(g.title) + ",\n";
    o += "    \"caption\": " + jsonString(g.caption) + ",\n";
    o += "    \"bottomTitle\": " + jsonString(g.bottomTitle) + ",\n";
    o += "    \"leftTitle\": " + jsonString(g.leftTitle) + ",\n";
    o += "    \"units\": " + jsonString(g.units) + ",\n";
    o += "    \"graphName\": " + jsonString(g.graphName) + ",\n";
    o += "    \"settingsFile\": " + jsonString(g.settingsFile) + ",\n";
    o += "    \"graphType\": " + std::to_string(g.graphType) + ",\n";
    o += "    \"graphStyle\": " + std::to_string(g.graphStyle) + ",\n";
    o += "    \"numPoints\": " + std::to_string(g.numPoints()) + ",\n";
    o += "    \"numSeries\": " + std::to_string(g.numSeries()) + ",\n";
    o += "    \"yMin\": " + jsonNumber(g.yMin) + ",\n";
    o += "    \"yMax\": " + jsonNumber(g.yMax) + ",\n";
    o += "    \"xTicks\": " + std::to_string(g.xTicks) + ",\n";
    o += "    \"labelEvery\": " + std::to_string(g.labelEvery) + ",\n";
    o += "    \"gridByPointCount\": " + std::to_string(g.gridByPointCount) + ",\n";
    o += "    \"gridPlusOne\": " + std::to_string(g.gridPlusOne) + ",\n";
    o += "    \"grid\": " + std::to_string(g.gridValue) + ",\n";
    o += "    \"showLegends\": " + std::string(g.showLegends ? "true" : "false") + ",\n";
    o += "    \"placement\": {\"x\": " + std::to_string(g.placement.x) + ", \"y\": " + std::to_string(g.placement.y) +
         ", \"width\": " + std::to_string(g.placement.width) + ", \"height\": " + std::to_string(g.placement.height) +
         "},\n";
    o += "    \"labels\": [";
    for (size_t i = 0; i < g.labels.size(); ++i)
        o += (i ? ", " : "") + jsonString(g.labels[i]);
    o += "],\n    \"series\": [";
    for (size_t j = 0; j < g.series.size(); ++j) {
        const GraphSeries &s = g.series[j];
        o += j ? ",\n      " : "\n      ";
        o += "{\"legend\": " + jsonString(s.legend) + ", \"position\": " + std::to_string(s.position) +
             ", \"method\": " + methodJson(s) + ", \"values\": [";
        for (size_t k = 0; k < s.values.size(); ++k)
            o += (k ? ", " : "") + (s.present[k] ? jsonNumber(s.values[k]) : std::string("null"));
        o += "]}";
    }
    o += g.series.empty() ? "]\n  }" : "\n    ]\n  }";
}

// The points of a plot and their x labels: one per selected year, or one per
// month of the selected years.
struct PlotPoints {
    std::vector<Slot> slots;
    std::vector<std::string> labels;
};

PlotPoints plotPoints(const OutputResults &res, const ViewChoices &choices, const std::vector<int> &rows) {
    const int years = res.printedYears();
    PlotPoints points;
    const int yearType = choices.yearType >= 0 ? choices.yearType : res.yearType;
    // The first month of a row is labelled with its own calendar year (a
    // row holds the months that end in its year: November of Irrigation
    // year 1990 is "11/89"), by two digits unless the plotted years span a
    // century, where two digits would name two years.
    const bool lateMonthsFirst = calendarMonth(yearType, 0) > calendarMonth(yearType, 11);
    const auto labelYear = [&](int p) { return res.firstPrintYear + p - (lateMonthsFirst ? 1 : 0); };
    int firstLabelled = 0, lastLabelled = 0;
    bool anyLabelled = false;
    for (int p : rows)
        if (p != years) {
            firstLabelled = anyLabelled ? std::min(firstLabelled, labelYear(p)) : labelYear(p);
            lastLabelled = anyLabelled ? std::max(lastLabelled, labelYear(p)) : labelYear(p);
            anyLabelled = true;
        }
    const bool fourDigits = anyLabelled && static_cast<long long>(lastLabelled) - firstLabelled >= 100;
    for (int p : rows) {
        const bool average = p == years;
        if (choices.scale == ViewChoices::Yearly) {
            points.slots.push_back({p, -1});
            points.labels.push_back(average ? "Avg" : std::to_string(res.firstPrintYear + p));
            continue;
        }
        for (int m = 0; m < 12; ++m) {
            const int month = calendarMonth(yearType, m) + 1;
            std::string label = std::to_string(month);
            if (m == 0) {
                char yy[16];
                if (fourDigits)
                    std::snprintf(yy, sizeof yy, "%d", labelYear(p));
                else
                    std::snprintf(yy, sizeof yy, "%02d", (labelYear(p) % 100 + 100) % 100);
                label += average ? std::string("/Avg") : std::string("/") + yy;
            }
            points.slots.push_back({p, m});
            points.labels.push_back(label);
        }
    }
    return points;
}

// Leaves out the months before the first and after the last one `anyData`
// says holds data.
template <class AnyData> void trimEmptyMonths(PlotPoints &points, const AnyData &anyData) {
    std::vector<Slot> &slots = points.slots;
    size_t first = 0, end = slots.size();
    while (first < end && !anyData(slots[first].row, slots[first].month))
        ++first;
    while (end > first && !anyData(slots[end - 1].row, slots[end - 1].month))
        --end;
    const auto from = static_cast<std::ptrdiff_t>(first), to = static_cast<std::ptrdiff_t>(end);
    slots = std::vector<Slot>(slots.begin() + from, slots.begin() + to);
    points.labels = std::vector<std::string>(points.labels.begin() + from, points.labels.begin() + to);
}

// One y range for both graphs, covering every value plotted.
void shareRange(PlotData &plot, const Range &range) {
    const bool haveMax = range.max > -9.0e30, haveMin = range.min < 9.0e30;
    if (plot.diversion) {
        plot.diversion->yMax = haveMax ? range.max : 0.0;
        plot.diversion->yMin = haveMin ? range.min : 0.0;
    }
    if (plot.stream) {
        GraphData &g = *plot.stream;
        g.yMin = g.yMax = 0.0;
        if (haveMax && haveMin) {
            if (range.max > range.min)
                g.yMax = range.max;
            else
                g.yMin = range.max;
            if (range.min <= range.max)
                g.yMin = range.min;
            else
                g.yMax = range.min;
        }
        // A single value above zero would leave the axis upside down
        // (from the value down to 0): run it from 0 up instead.
        if (g.yMin > g.yMax) std::swap(g.yMin, g.yMax);
    }
}

std::string methodJson(const GraphSeries &s) {
    if (s.summary) return "null";
    const ResponseInfo &r = s.response;
    std::string o = std::string("{\"name\": \"") + r.methodWord() + "\"";
    auto num = [&](const char *key, const std::optional<double> &v) {
        if (v) o += std::string(", \"") + key + "\": " + jsonNumber(*v);
    };
    num("sdf", r.sdf);
    num("a_w", r.aOverW);
    num("lambda", r.lambda);
    if (r.method == ResponseInfo::Method::Table) {
        o += ", \"table\": " + jsonString(r.table) + ", \"after\": " + jsonString(r.after);
        if (r.tableMonths) o += ", \"months\": " + std::to_string(*r.tableMonths);
        num("held_at", r.heldAt);
    }
    if (!r.description.empty()) o += ", \"description\": " + jsonString(r.description);
    return o + "}";
}

} // namespace

PlotData preparePlot(const OutputResults &res, const ViewChoices &choices, int screenWidth, int screenHeight) {
    PlotData plot;
    const int count = static_cast<int>(res.locations.size());
    std::vector<int> locs;
    for (int i : sortedUnique(choices.locations))
        if (i >= 0 && i < count) locs.push_back(i);
    const int years = res.printedYears();
    std::vector<int> rows;
    for (int p : sortedUnique(choices.years))
        if (p >= 0 && p <= years) rows.push_back(p);
    if (locs.empty() || rows.empty()) return plot;

    // Every series is read at the same points and keeps its own values and
    // gaps; a month is left out only before the first and after the last
    // month that any plotted series holds data for (the months a year type
    // change leaves empty at either end).
    std::vector<int> divLocs;
    if (choices.showDiversion)
        for (int i : locs)
            if (res.locations[static_cast<size_t>(i)].hasDiversion()) divLocs.push_back(i);
    const auto anyData = [&](int row, int m) {
        const auto holds = [&](int i, bool stream) {
            const LocationResult &loc = res.locations[static_cast<size_t>(i)];
            if (row >= static_cast<int>(loc.rows.size())) return false;
            const YearRow &r = loc.rows[static_cast<size_t>(row)];
            return hasData((stream ? r.stream : r.diversion)[m]);
        };
        for (int i : divLocs)
            if (holds(i, false)) return true;
        if (choices.showStream)
            for (int i : locs)
                if (holds(i, true)) return true;
        return false;
    };
    PlotPoints points = plotPoints(res, choices, rows);
    if (choices.scale != ViewChoices::Yearly) trimEmptyMonths(points, anyData);

    int averageFirst = -1;
    for (size_t k = 0; k < points.slots.size() && averageFirst < 0; ++k)
        if (points.slots[k].row == years) averageFirst = static_cast<int>(k);

    Range range;
    if (choices.showDiversion && !divLocs.empty()) {
        GraphData g;
        fillGraph(g, res, divLocs, points.slots, false, choices.units, range);
        finishGraph(g, "Diversion/Recharge Data", "div_rech", unitsLine(res, choices.units), points.labels);
        g.units = unitFacts(choices.units).option;
        g.averageFirst = averageFirst;
        plot.diversion = std::move(g);
    }
    if (choices.showStream) {
        GraphData g;
        fillGraph(g, res, locs, points.slots, true, choices.units, range);
        finishGraph(g, "Stream Depletion/Accretion Data", "stream_dep", unitsLine(res, choices.units), points.labels);
        g.units = unitFacts(choices.units).option;
        g.averageFirst = averageFirst;
        plot.stream = std::move(g);
    }
    shareRange(plot, range);
    if (plot.diversion && plot.stream) {
        const int half = screenHeight / 2;
        plot.diversion->placement = {0, 0, screenWidth, half + 10};
        plot.stream->placement = {0, half, screenWidth, half + 20};
    }
    return plot;
}

std::string plotToJson(const PlotData &plot) {
    std::string o = "{\n  \"diversion\": ";
    if (plot.diversion)
        graphJson(o, *plot.diversion);
    else
        o += "null";
    o += ",\n  \"stream\": ";
    if (plot.stream)
        graphJson(o, *plot.stream);
    else
        o += "null";
    o += "\n}\n";
    return o;
}

} // namespace vek
