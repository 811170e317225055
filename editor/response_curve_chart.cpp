// The response dialogs' chart (see response_curve_chart.h).
#include "editor/response_curve_chart.h"

#include <QEvent>
#include <QPen>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

namespace vek {

namespace {

QList<QPointF> sampled(const engine::StepResponse &response, double days) {
    QList<QPointF> points;
    points.reserve(ResponseCurveChart::kSamples + 1);
    for (int k = 0; k <= ResponseCurveChart::kSamples; ++k) {
        const double t = days * k / ResponseCurveChart::kSamples;
        points.append(QPointF(t, response(t)));
    }
    return points;
}

} // namespace

// The view owns the chart it is made with (a chart given later by setChart
// would leave the first one to nobody).
ResponseCurveChart::ResponseCurveChart(QWidget *parent) : QChartView(new QChart, parent) {
    setObjectName(QStringLiteral("responseChart"));
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(480, 320);
    QChart *chart = this->chart();
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->setAlignment(Qt::AlignBottom);
    curve_ = new QLineSeries;
    reference_ = new QLineSeries;
    chart->addSeries(reference_);
    chart->addSeries(curve_);
    days_ = new QValueAxis;
    days_->setTitleText(QStringLiteral("Days since the pumping began"));
    days_->setLabelFormat(QStringLiteral("%.0f"));
    days_->setTickCount(6);
    share_ = new QValueAxis;
    share_->setTitleText(QStringLiteral("Share felt by the stream"));
    share_->setRange(0.0, 1.0);
    share_->setTickCount(6);
    share_->setLabelFormat(QStringLiteral("%.1f"));
    chart->addAxis(days_, Qt::AlignBottom);
    chart->addAxis(share_, Qt::AlignLeft);
    for (QLineSeries *s : {curve_, reference_}) {
        s->attachAxis(days_);
        s->attachAxis(share_);
    }
    spanDays(1000.0);
    followPalette();
}

void ResponseCurveChart::followPalette() {
    // Light or dark, the chart takes the desktop's colours.
    QChart *c = chart();
    const QColor base = palette().color(QPalette::Base);
    const QColor ink = palette().color(QPalette::Text);
    const bool dark = base.lightnessF() < 0.5f;
    // Grid lines a quarter of the way from the background to the text.
    const QColor faint =
        QColor::fromRgbF(0.75f * base.redF() + 0.25f * ink.redF(), 0.75f * base.greenF() + 0.25f * ink.greenF(),
                         0.75f * base.blueF() + 0.25f * ink.blueF());
    c->setBackgroundBrush(base);
    c->setTitleBrush(ink);
    c->legend()->setLabelColor(ink);
    for (QValueAxis *a : {days_, share_}) {
        a->setLabelsColor(ink);
        a->setTitleBrush(ink);
        a->setLinePenColor(ink);
        a->setGridLineColor(faint);
    }
    const QColor accent = palette().color(QPalette::Highlight);
    QPen main(dark ? accent.lighter(170) : accent, 2.0);
    curve_->setPen(main);
    QPen ref(ink, 1.5, Qt::DashLine);
    reference_->setPen(ref);
}

void ResponseCurveChart::changeEvent(QEvent *event) {
    QChartView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) followPalette();
}

void ResponseCurveChart::plot(const engine::StepResponse &curve, const QString &name,
                              const engine::StepResponse *reference, const QString &referenceName, double days) {
    days = std::max(days, 1.0);
    chart()->setTitle(QString());
    curve_->setName(name);
    curve_->replace(sampled(curve, days));
    if (reference) {
        reference_->setName(referenceName);
        reference_->replace(sampled(*reference, days));
    } else {
        reference_->clear();
    }
    reference_->setVisible(reference != nullptr);
    // The legend names only the curves drawn.
    const auto markers = chart()->legend()->markers(reference_);
    for (auto *m : markers)
        m->setVisible(reference != nullptr);
    chart()->legend()->setVisible(true);
    spanDays(days);
}

void ResponseCurveChart::spanDays(double days) {
    days_->setRange(0.0, days);
    // Ticks at round numbers of days, whatever the span.
    const double step = std::pow(10.0, std::floor(std::log10(days / 4.0)));
    double every = step;
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (days / (m * step) <= 6.0) {
            every = m * step;
            break;
        }
    days_->setTickType(QValueAxis::TicksDynamic);
    days_->setTickAnchor(0.0);
    days_->setTickInterval(every);
}

void ResponseCurveChart::clearCurves(const QString &why) {
    curve_->clear();
    reference_->clear();
    chart()->legend()->setVisible(false);
    chart()->setTitle(why);
}

} // namespace vek
