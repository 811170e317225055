// ReachesDialog: "Stream Reaches", the model's reaches (add, rename, delete),
// how depletion is apportioned among them (the model's rule, each location's
// own rule or typed shares, factors from the map), how a reach's depletion is
// computed, and the import of wells and reaches from GIS files. Every change
// is one undo step of the document; the shares are resolved again by it and
// the dialog shows them (or why a location has none).
#pragma once

#include "model/model_input.h"

#include <QDialog>
#include <QGroupBox>
#include <QPointer>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace vek {

class CVEKViewDoc;

// The widgets of one apportionment rule: method, power, maximum distance,
// minimum fraction, spacing. `withModel` adds "The model's rule" first.
class RuleEditor : public QWidget {
    Q_OBJECT
  public:
    RuleEditor(bool withModel, QWidget *parent = nullptr);
    void setRule(const std::optional<ApportionRule> &rule);
    // The rule the fields give (nullopt: the model's), or what is wrong.
    std::optional<ApportionRule> rule(QString *problem) const;
    QComboBox *methodList() const { return method_; }
    QComboBox *powerList() const { return power_; }
    QLineEdit *maxDistanceEdit() const { return maxDistance_; }
    QLineEdit *minFractionEdit() const { return minFraction_; }
    QLineEdit *spacingEdit() const { return spacing_; }

  signals:
    void edited();

  private:
    void enableFields();
    bool withModel_;
    QComboBox *method_, *power_;
    QLineEdit *maxDistance_, *minFraction_, *spacing_;
};

class ReachesDialog : public QDialog {
    Q_OBJECT
  public:
    ReachesDialog(CVEKViewDoc *doc, QWidget *parent = nullptr);

    QTableWidget *reachTable() const { return reaches_; }
    QTableWidget *locationTable() const { return locations_; }
    RuleEditor *modelRule() const { return rule_; }
    QPushButton *applyRuleButton() const { return applyRule_; }
    QRadioButton *byDistanceButton() const { return byDistance_; }
    QLabel *problemLabel() const { return problem_; }

    // The document's state shown again.
    void refill();
    // The buttons' actions, callable by tests.
    void addReach(const QString &name);
    void deleteSelectedReach();
    void applyModelRule();
    // The location's own rule and typed shares ("Location Rule" dialog's result).
    void setLocationRule(int location, const std::optional<ApportionRule> &rule, const std::vector<ReachShare> &typed);
    void editLocationRule(int location);
    void importMap();

  private:
    QGroupBox *makeReachBox();
    QGroupBox *makeRuleBox();
    QGroupBox *makeLocationBox();

    QPointer<CVEKViewDoc> doc_;
    QTableWidget *reaches_, *locations_;
    RuleEditor *rule_;
    QPushButton *applyRule_;
    QRadioButton *apportioned_, *byDistance_;
    QLabel *problem_;
    bool filling_ = false;
};

} // namespace vek
