// Band and tornado charts of sampled runs (see band_chart.h).
#include "viewer/band_chart.h"

#include <cmath>

#include "common/numbers.h"
#include "facts/vek_facts.h"

#include <QtCharts/QAreaSeries>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QHorizontalBarSeries>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

namespace vek {

namespace {

QString percentText(double p) { return QString::fromStdString(formatG(p, 9)); }

// The values of one series for the period: the samples of period i at
// values[i * samples + k], and the run without ranges.
struct PeriodValues {
    const std::vector<float> *samples = nullptr;
    const std::vector<float> *base = nullptr;
    std::size_t count = 0;
};

PeriodValues periodValues(const engine::SampledSeries &s, BandPeriod period) {
    switch (period) {
    case BandPeriod::Months:
        return {&s.months, &s.baseMonths, s.months.empty() ? 0 : s.baseMonths.size()};
    case BandPeriod::Years:
        return {&s.years, &s.baseYears, s.baseYears.size()};
    case BandPeriod::AverageYear:
        break;
    }
    return {&s.average, &s.baseAverage, 12}; // the months; the 13th value is the annual average
}

double xOf(const engine::UncertaintyResults &r, BandPeriod period, std::size_t i) {
    switch (period) {
    case BandPeriod::Months:
        return r.firstYear + static_cast<double>(i) / 12.0;
    case BandPeriod::Years:
        return r.firstYear + static_cast<double>(i);
    case BandPeriod::AverageYear:
        break;
    }
    return static_cast<double>(i + 1);
}

void addAxes(QChart *chart, const engine::UncertaintyResults &r, BandPeriod period, double yLow, double yHigh) {
    QAbstractAxis *x = nullptr;
    if (period == BandPeriod::AverageYear) {
        auto *months = new QCategoryAxis;
        for (int j = 0; j < 12; ++j)
            months->append(QString::fromLatin1(calendarMonthAbbreviation(calendarMonth(IrrigationYear, j))), j + 1.5);
        months->setStartValue(0.5);
        months->setRange(0.5, 12.5);
        months->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
        x = months;
    } else {
        auto *years = new QValueAxis;
        years->setLabelFormat(QStringLiteral("%.0f"));
        const double end = period == BandPeriod::Years ? r.firstYear + std::max<long long>(r.years - 1, 1)
                                                       : r.firstYear + std::max<long long>(r.years, 1);
        years->setRange(r.firstYear, end);
        // Ticks on round years: every year, 5, 10, 20 or 50 years.
        const double span = end - r.firstYear;
        const double step = span <= 12 ? 1 : span <= 40 ? 5 : span <= 120 ? 10 : span <= 240 ? 20 : 50;
        years->setTickType(QValueAxis::TicksDynamic);
        years->setTickAnchor(std::ceil(r.firstYear / step) * step);
        years->setTickInterval(step);
        years->setTitleText(QStringLiteral("Year"));
        x = years;
    }
    auto *y = new QValueAxis;
    const double pad = yHigh > yLow ? (yHigh - yLow) * 0.05 : 1.0;
    y->setRange(yLow - pad, yHigh + pad);
    y->applyNiceNumbers();
    y->setTitleText(QStringLiteral("Stream depletion (acre-feet)"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries *s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
}

} // namespace

BandLimits bandLimits(const std::vector<double> &percents) {
    if (percents.empty()) return {};
    const auto [lo, hi] = std::minmax_element(percents.begin(), percents.end());
    return {*lo, *hi};
}

QChart *bandChart(const engine::UncertaintyResults &r, std::size_t series, BandPeriod period,
                  const BandLimits &limits) {
    auto *chart = new QChart;
    if (series >= r.series.size()) return chart;
    const engine::SampledSeries &s = r.series[series];
    const PeriodValues v = periodValues(s, period);
    const std::size_t n = r.samples;
    auto *lower = new QLineSeries, *upper = new QLineSeries, *median = new QLineSeries, *base = new QLineSeries;
    double yLow = 0.0, yHigh = 0.0;
    const std::vector<double> p{limits.low / 100.0, 0.5, limits.high / 100.0};
    for (std::size_t i = 0; i < v.count && n > 0; ++i) {
        const std::vector<double> q = engine::quantilesOf(v.samples->data() + i * n, n, p);
        const double x = xOf(r, period, i), b = (*v.base)[i];
        lower->append(x, q[0]);
        median->append(x, q[1]);
        upper->append(x, q[2]);
        base->append(x, b);
        yLow = std::min({yLow, q[0], q[2], b});
        yHigh = std::max({yHigh, q[0], q[2], b});
    }
    auto *area = new QAreaSeries(upper, lower);
    // The area does not own its edges: they go with it.
    upper->setParent(area);
    lower->setParent(area);
    area->setName(QStringLiteral("P%1–P%2").arg(percentText(limits.low), percentText(limits.high)));
    QColor fill(70, 130, 180, 90);
    area->setBrush(fill);
    area->setPen(QPen(fill.darker(130), 1));
    median->setName(QStringLiteral("Median (P50)"));
    median->setPen(QPen(QColor(20, 60, 120), 2));
    base->setName(QStringLiteral("Deterministic"));
    base->setPen(QPen(QColor(200, 60, 30), 2, Qt::DashLine));
    chart->addSeries(area);
    chart->addSeries(median);
    chart->addSeries(base);
    addAxes(chart, r, period, yLow, yHigh);
    static const char *const kPeriods[] = {"monthly", "yearly", "average year"};
    chart->setTitle(QStringLiteral("%1, %2 (%3 samples)")
                        .arg(QString::fromStdString(s.name), QString::fromLatin1(kPeriods[static_cast<int>(period)]))
                        .arg(n));
    if (period == BandPeriod::Months && s.months.empty())
        chart->setTitle(chart->title() +
                        QStringLiteral(": the months of each location were not kept for this many samples"));
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

QString tornadoLabel(const engine::UncertaintyResults &r, const engine::TornadoBar &bar) {
    QString where = QStringLiteral("all locations");
    if (bar.location != 0) {
        where = QString::number(bar.location);
        for (const engine::SampledSeries &s : r.series)
            if (s.location == bar.location) where += QLatin1Char(' ') + QString::fromStdString(s.name);
    }
    QString label = QString::fromLatin1(engine::quantityName(bar.quantity)) + QStringLiteral(", ") + where;
    if (!std::isnan(bar.firstOrder)) label += QStringLiteral(" (S1 %1)").arg(bar.firstOrder, 0, 'f', 2);
    return label;
}

QChart *tornadoChart(const engine::UncertaintyResults &r, const engine::Tornado &t, const QString &resultName) {
    auto *chart = new QChart;
    auto *atLow = new QBarSet(QStringLiteral("At P5")), *atHigh = new QBarSet(QStringLiteral("At P95"));
    QStringList labels;
    double extent = 1e-9;
    // The first category is drawn at the bottom: the largest swing goes last.
    for (auto bar = t.bars.rbegin(); bar != t.bars.rend(); ++bar) {
        labels << tornadoLabel(r, *bar);
        *atLow << bar->atLow - t.base;
        *atHigh << bar->atHigh - t.base;
        extent = std::max({extent, std::abs(bar->atLow - t.base), std::abs(bar->atHigh - t.base)});
    }
    atLow->setColor(QColor(70, 130, 180));
    atHigh->setColor(QColor(200, 110, 40));
    auto *bars = new QHorizontalBarSeries;
    bars->append(atLow);
    bars->append(atHigh);
    chart->addSeries(bars);
    auto *names = new QBarCategoryAxis;
    names->append(labels);
    auto *change = new QValueAxis;
    change->setRange(-extent * 1.1, extent * 1.1);
    change->applyNiceNumbers();
    change->setTitleText(
        QStringLiteral("Change of the average annual depletion (acre-feet) from the deterministic run's %1")
            .arg(QString::fromStdString(formatG(t.base, 6))));
    chart->addAxis(names, Qt::AlignLeft);
    chart->addAxis(change, Qt::AlignBottom);
    bars->attachAxis(names);
    bars->attachAxis(change);
    chart->setTitle(QStringLiteral("Sensitivity of %1, one range at a time").arg(resultName));
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

} // namespace vek
