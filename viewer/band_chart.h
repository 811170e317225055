// Charts of sampled runs: one result's bands (the outer quantiles as a shaded
// area, the median and the run without ranges as lines, a legend) by month,
// by year or over the average year; and the tornado of the one-at-a-time
// sensitivity, the largest swing on top.
#pragma once

#include "engine/uncertainty.h"

#include <QString>

#include <cstddef>
#include <vector>

QT_BEGIN_NAMESPACE
class QChart;
QT_END_NAMESPACE

namespace vek {

enum class BandPeriod { Months, Years, AverageYear };

// The band's outer percents of a chosen list (its least and greatest; 5 and
// 95 for an empty list).
struct BandLimits {
    double low = 5.0, high = 95.0;
};
BandLimits bandLimits(const std::vector<double> &percents);

// The chart of results.series[series] for the period: an area series named
// "P5–P95" (its lower and upper lines the quantiles at the limits), a line
// "Median (P50)", a line "Deterministic", each point at x (the year, the
// year and month as a fraction, or the month 1..12 of the average year).
// Months of a location whose months were not kept give an empty chart.
QChart *bandChart(const engine::UncertaintyResults &results, std::size_t series, BandPeriod period,
                  const BandLimits &limits);

// A range's label in the tornado: "factor, all locations", "pumping, 3 North",
// and its first-order index when known: "pumping, 3 North (S1 0.42)".
QString tornadoLabel(const engine::UncertaintyResults &results, const engine::TornadoBar &bar);

// The tornado of `tornado` for the result named `resultName`: for each bar the
// change of the average annual depletion from the run without ranges with
// the range at its low and at its high percentile (bar sets "At P5" and
// "At P95"), the largest swing on top.
QChart *tornadoChart(const engine::UncertaintyResults &results, const engine::Tornado &tornado,
                     const QString &resultName);

} // namespace vek
