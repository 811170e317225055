// UncertaintyDialog: "Uncertainty", the model's uncertainty ranges (a table of
// the ranges of each location and of all locations, each change one undo
// step of the document), the sampled run's settings (samples, seed, design,
// quantiles), the run on worker threads behind a progress dialog that can
// stop it (the samples done are kept and shown), the bands of every result
// by month, year or average year, the tornado, and the exports.
#pragma once

#include "engine/prepared_model.h"
#include "engine/uncertainty.h"
#include "viewer/band_chart.h"

#include <QDialog>
#include <QPointer>

#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;

QT_BEGIN_NAMESPACE
class QChartView;
QT_END_NAMESPACE

namespace vek {

class CVEKViewDoc;

class UncertaintyDialog : public QDialog {
    Q_OBJECT
  public:
    UncertaintyDialog(CVEKViewDoc *doc, QWidget *parent = nullptr);
    ~UncertaintyDialog() override;

    QTableWidget *rangeTable() const { return table_; }
    QComboBox *locationList() const { return location_; }
    QComboBox *quantityList() const { return quantity_; }
    QComboBox *distributionList() const { return distribution_; }
    QLineEdit *valueEdit() const { return value_; }
    QLineEdit *spreadEdit() const { return spread_; }
    QLineEdit *lowEdit() const { return low_; }
    QLineEdit *highEdit() const { return high_; }
    QCheckBox *sharedBox() const { return shared_; }
    QSpinBox *samplesBox() const { return samples_; }
    QLineEdit *seedEdit() const { return seed_; }
    QComboBox *designList() const { return design_; }
    QLineEdit *quantilesEdit() const { return quantiles_; }
    QLabel *problemLabel() const { return problem_; }
    QTabWidget *tabs() const { return tabs_; }
    QComboBox *resultList() const { return result_; }
    QComboBox *periodList() const { return period_; }
    QChartView *bandView() const { return bandView_; }
    QChartView *tornadoView() const { return tornadoView_; }

    // The document's ranges shown again.
    void refill();
    // The buttons' actions, callable by tests: the fields' range added as a
    // new row or put in place of the selected one; the selected row deleted.
    bool addRange();
    bool changeRange();
    bool deleteRange();
    // Runs the samples (true when a run, maybe stopped, gave results).
    bool run();
    const engine::UncertaintyResults *results() const { return results_.get(); }
    const engine::Tornado *tornado() const { return tornado_.get(); }
    // The quantiles' percents of the last run.
    const std::vector<double> &percents() const { return percents_; }
    // The bands (all quantiles) as CSV, or as a workbook; the tornado as CSV.
    bool exportBands(const QString &path);
    bool exportTornado(const QString &path);
    void showBands();
    void showTornado();
    // Messages go here (a message box unless a test sets it).
    std::function<void(const QString &)> showMessage;

  private:
    struct Job;
    QWidget *buildRangesTab();
    QGroupBox *buildRunSettings(QWidget *page);
    QWidget *buildBandsTab();
    QWidget *buildTornadoTab();
    void fillLocations();
    void rowChosen();
    void enableFields();
    bool fieldsRange(engine::ParameterRange &out);
    bool runSettings(engine::UncertaintyOptions &options);
    void waitFor(Job &job);
    void takeResults(Job &job);
    void say(const QString &text);
    void chooseExport(bool tornado);

    QPointer<CVEKViewDoc> doc_;
    QTabWidget *tabs_;
    QTableWidget *table_;
    QComboBox *location_, *quantity_, *distribution_, *design_, *result_, *period_, *tornadoResult_;
    QLineEdit *value_, *spread_, *low_, *high_, *seed_, *quantiles_;
    QCheckBox *shared_;
    QSpinBox *samples_;
    QLabel *problem_, *runNote_;
    QChartView *bandView_, *tornadoView_;
    std::shared_ptr<const engine::PreparedModel> model_;
    engine::Ranges ranges_;
    std::shared_ptr<engine::UncertaintyResults> results_;
    std::shared_ptr<engine::Tornado> tornado_;
    std::vector<double> percents_;
    bool filling_ = false;
};

} // namespace vek
