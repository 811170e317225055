// ResponseMethodDialog: "Response Method", how one location's stream responds
// to its pumping or recharge. The method and its parameters, a live chart of
// the response to a step of pumping beside the infinite aquifer's of the same
// factor, and the factor calculator. The response tables dialog opens from
// here. OK writes the location's method and factor into the document as one
// undo step; it is refused, with the reason shown, while a parameter is
// unusable. Cancel changes nothing of the location (table changes made
// meanwhile are steps of their own).
#pragma once

#include "editor/choice_dialogs.h"
#include "model/model_input.h"
#include "model/response_settings.h"

#include <QPointer>
#include <QString>

#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vek {

class CVEKViewDoc;
class FactorCalculator;
class ResponseCurveChart;

class ResponseMethodDialog : public ChoiceDialog {
    Q_OBJECT
  public:
    // The caller opens it only for an existing location.
    ResponseMethodDialog(CVEKViewDoc *doc, int location, QWidget *parent = nullptr);

    // Items in ResponseMethod order.
    QComboBox *methodList() const { return method_; }
    QLineEdit *factorEdit() const { return sdf_; }
    QLineEdit *ratioEdit() const { return ratio_; }
    QLineEdit *lambdaEdit() const { return lambda_; }
    QComboBox *tableList() const { return table_; }
    QPushButton *tablesButton() const { return tables_; }
    // Days the chart spans; empty: chosen from the method and its factor.
    QLineEdit *daysEdit() const { return days_; }
    QLabel *problemLabel() const { return problem_; }
    QPushButton *okButton() const { return ok_; }
    // The factor from the map (distance to the nearest reach, S and T), and
    // where the factor comes from; absent without a map.
    QCheckBox *fromMapBox() const { return fromMap_; }
    QLabel *mapNote() const { return mapNote_; }
    // The factor d^2 S / T of the location on the map, and the words that say
    // how it is made ("632.5 m to Big River, S 0.2, T 2000 m²/day"); empty
    // when the map cannot give one (and `why` says why).
    static std::optional<double> mapFactor(const ModelInput &model, const Location &location, QString *how);
    FactorCalculator *calculator() const { return calculator_; }
    ResponseCurveChart *chart() const { return chart_; }

    // What the fields say now (parameters of other methods cleared).
    ResponseSettings settings() const;
    std::optional<double> factor() const;
    // What keeps the fields from being used, empty when nothing does.
    QString problem() const;
    // Days the chart spans for these settings when none are typed.
    double automaticDays() const;

    // The response tables dialog; the table list follows what it leaves.
    void showTables();
    void accept() override;

  private:
    void layOut(const Location &loc);
    void addMapRow(QFormLayout *form, const Location &loc);
    void connectControls();
    void fillTables(const std::string &select);
    void update();

    QPointer<CVEKViewDoc> doc_;
    int location_;
    QComboBox *method_;
    QLineEdit *sdf_;
    QLabel *sdfNote_ = nullptr;
    QLineEdit *ratio_;
    QLineEdit *lambda_;
    QComboBox *table_;
    QPushButton *tables_;
    QLineEdit *days_;
    QLabel *problem_;
    QPushButton *ok_;
    FactorCalculator *calculator_;
    ResponseCurveChart *chart_;
    QCheckBox *fromMap_ = nullptr;
    QLabel *mapNote_ = nullptr;
    QWidget *ratioRow_;
    QWidget *lambdaRow_;
    QWidget *tableRow_;
};

} // namespace vek
