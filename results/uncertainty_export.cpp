// Bands and tornado bars as tables.
#include "results/uncertainty_export.h"

#include <charconv>
#include <cmath>

#include "common/numbers.h"
#include "facts/vek_facts.h"
#include "results/csv_export.h"
#include "results/text_decoding.h"
#include "results/xlsx_export.h"

namespace vek {

namespace {

std::string number(double value) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    return std::string(buf, r.ptr);
}

// A depletion: the engine's volumes are floats, and a quantile lies between
// two of them; written to a float's precision, shortest.
std::string volume(double value) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<float>(value), std::chars_format::fixed);
    return std::string(buf, r.ptr);
}

// The engine's month j of a year row (0 = November).
std::string engineMonth(std::size_t j) {
    return calendarMonthAbbreviation(calendarMonth(IrrigationYear, static_cast<int>(j)));
}

std::vector<double> probabilities(const std::vector<double> &percents) {
    std::vector<double> p;
    for (double x : percents)
        p.push_back(x / 100.0);
    return p;
}

} // namespace

std::vector<BandRow> bandRows(const engine::UncertaintyResults &r, const std::vector<double> &percents) {
    const std::vector<double> p = probabilities(percents);
    const std::size_t n = r.samples;
    std::vector<BandRow> rows;
    for (std::size_t s = 0; s < r.series.size(); ++s) {
        const engine::SampledSeries &series = r.series[s];
        auto add = [&](const char *period, int year, std::string month, float base, const std::vector<float> &values,
                       std::size_t at) {
            rows.push_back(
                {s, period, year, std::move(month), base, engine::quantilesOf(values.data() + at * n, n, p)});
        };
        if (!series.months.empty())
            for (std::size_t m = 0; m < series.baseMonths.size(); ++m)
                add("month", r.firstYear + static_cast<int>(m / 12), engineMonth(m % 12), series.baseMonths[m],
                    series.months, m);
        for (std::size_t y = 0; y < series.baseYears.size(); ++y)
            add("year", r.firstYear + static_cast<int>(y), "TOTAL", series.baseYears[y], series.years, y);
        for (std::size_t j = 0; j < 13; ++j)
            add("average", 0, j < 12 ? engineMonth(j) : "TOTAL", series.baseAverage[j], series.average, j);
    }
    return rows;
}

std::vector<std::string> bandColumns(const std::vector<double> &percents) {
    std::vector<std::string> c{"result", "location", "period", "year", "month", "deterministic"};
    for (double x : percents)
        c.push_back("P" + formatG(x, 9));
    return c;
}

std::string bandsCsv(const engine::UncertaintyResults &results, const std::vector<double> &percents) {
    std::string out;
    const std::vector<std::string> columns = bandColumns(percents);
    for (std::size_t c = 0; c < columns.size(); ++c)
        out += (c ? "," : "") + columns[c];
    out += "\r\n";
    std::vector<std::string> names;
    for (const engine::SampledSeries &s : results.series)
        names.push_back(csvField(decodeReportText(s.name)) + "," + (s.location ? std::to_string(s.location) : ""));
    for (const BandRow &row : bandRows(results, percents)) {
        out += names[row.series] + "," + row.period + "," + (row.year ? std::to_string(row.year) : "") + "," +
               row.month + "," + volume(row.base);
        for (double q : row.quantiles)
            out += "," + volume(q);
        out += "\r\n";
    }
    return out;
}

bool writeBandsWorkbook(const std::string &path, const engine::UncertaintyResults &results,
                        const std::vector<double> &percents, std::string *error) {
    const std::vector<BandRow> rows = bandRows(results, percents);
    std::vector<std::string> columns = bandColumns(percents);
    columns.erase(columns.begin());
    std::vector<TableSheet> sheets;
    std::size_t first = 0;
    for (std::size_t s = 0; s < results.series.size(); ++s) {
        std::size_t last = first;
        while (last < rows.size() && rows[last].series == s)
            ++last;
        const engine::SampledSeries &series = results.series[s];
        TableSheet sheet{decodeReportText(series.name), columns, last - first, {}};
        sheet.cell = [&rows, &series, first](std::size_t r, std::size_t c, double &number, std::string &text) {
            const BandRow &row = rows[first + r];
            text.clear();
            switch (c) {
            case 0:
                number = static_cast<double>(series.location);
                return series.location != 0;
            case 1:
                text = row.period;
                return false;
            case 2:
                number = row.year;
                return row.year != 0;
            case 3:
                text = row.month;
                return false;
            case 4:
                number = row.base;
                return true;
            default:
                number = row.quantiles[c - 5];
                return true;
            }
        };
        sheets.push_back(std::move(sheet));
        first = last;
    }
    return writeTableWorkbook(path, "VEK uncertainty bands", sheets, error);
}

std::string tornadoCsv(const engine::Tornado &tornado, const std::string &resultName) {
    std::string out = "result,quantity,location,low,high,at_low,at_high,swing,base,first_order\r\n";
    for (const engine::TornadoBar &b : tornado.bars) {
        char index[64];
        char *end = std::isnan(b.firstOrder)
                        ? index
                        : std::to_chars(index, index + sizeof index, b.firstOrder, std::chars_format::fixed, 4).ptr;
        out += csvField(resultName) + "," + engine::quantityName(b.quantity) + "," +
               (b.location ? std::to_string(b.location) : "all") + "," + number(b.low) + "," + number(b.high) + "," +
               volume(b.atLow) + "," + volume(b.atHigh) + "," + volume(b.swing()) + "," + volume(tornado.base) + "," +
               std::string(index, end) + "\r\n";
    }
    return out;
}

bool parsePercents(const std::string &text, std::vector<double> &percents) {
    percents.clear();
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t comma = std::min(text.find(',', pos), text.size());
        const std::string_view field = trim(std::string_view(text).substr(pos, comma - pos));
        std::size_t used = 0;
        double x = 0.0;
        if (!scanReal(field, used, x) || used != field.size() || !(x >= 0.0 && x <= 100.0)) return false;
        percents.push_back(x);
        pos = comma + 1;
    }
    return !percents.empty();
}

} // namespace vek
