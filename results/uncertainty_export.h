// The bands of sampled runs as tables: for every location and summary, each
// month's, each year's and the average year's stream depletion of the run
// without ranges beside the chosen quantiles of the samples; and the
// tornado's bars. The same rows make the CSV and the workbook.
#pragma once

#include <string>
#include <vector>

#include "engine/uncertainty.h"

namespace vek {

struct BandRow {
    std::size_t series = 0;  // into UncertaintyResults::series
    const char *period = ""; // "month", "year" or "average"
    int year = 0;            // the report's year row (0 for the average year)
    std::string month;       // NOV..OCT, "TOTAL" for a year or the average year's total
    double base = 0.0;       // the run without ranges
    std::vector<double> quantiles;
};

// The rows in the order series, months, years, average year; the months
// only of the series that kept them. `percents` are 0..100.
std::vector<BandRow> bandRows(const engine::UncertaintyResults &results, const std::vector<double> &percents);

// The columns' titles: result, location, period, year, month,
// deterministic, then P<percent> for each quantile.
std::vector<std::string> bandColumns(const std::vector<double> &percents);

// The bands as CSV (CR LF line ends, UTF-8 names), in acre-feet to a
// float's precision (the engine's volumes are floats), shortest.
std::string bandsCsv(const engine::UncertaintyResults &results, const std::vector<double> &percents);

// The bands as an Excel workbook through the safe save: one sheet per
// location and summary with the CSV's columns but the result's; false with
// the reason in error.
bool writeBandsWorkbook(const std::string &path, const engine::UncertaintyResults &results,
                        const std::vector<double> &percents, std::string *error = nullptr);

// The tornado as CSV: result, quantity, location (all for a shared range),
// low, high, at_low, at_high, swing, base, first_order (the first-order
// index to 4 decimals, empty when not known); the largest swing first.
std::string tornadoCsv(const engine::Tornado &tornado, const std::string &resultName);

// The percents of a list such as "5,50,95": each 0..100, at least one;
// false for anything else.
bool parsePercents(const std::string &text, std::vector<double> &percents);

} // namespace vek
