// ResponseCurveChart: a small chart of the share of a step of pumping that
// the stream supplies, against the days since the step, for the response
// dialogs. The curves are the model core's step responses (the ones the
// engine tabulates), sampled evenly over the days shown.
#pragma once

#include "engine/response_methods.h"

#include <QString>
#include <QtCharts/QChartView>

class QLineSeries;
class QValueAxis;

namespace vek {

class ResponseCurveChart : public QChartView {
    Q_OBJECT
  public:
    // Samples per curve, besides t = 0.
    static constexpr int kSamples = 480;

    explicit ResponseCurveChart(QWidget *parent = nullptr);

    // Draws `curve` over 0..days and, when given, `reference` beside it
    // (drawn dashed).
    void plot(const engine::StepResponse &curve, const QString &name, const engine::StepResponse *reference,
              const QString &referenceName, double days);
    // No curve; the title says why.
    void clearCurves(const QString &why);

    QLineSeries *curveSeries() const { return curve_; }
    QLineSeries *referenceSeries() const { return reference_; }

  protected:
    void changeEvent(QEvent *event) override;

  private:
    void followPalette();
    void spanDays(double days);

    QLineSeries *curve_;
    QLineSeries *reference_;
    QValueAxis *days_;
    QValueAxis *share_;
};

} // namespace vek
