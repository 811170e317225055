// PropertiesDialog: the modeless "Properties" window of a model input
// document. Its radios show the document's year type, units and
// monthly-to-daily rule, and a click converts the document at once.
#pragma once

#include <QDialog>
#include <QPointer>

class QRadioButton;

namespace vek {

class CVEKViewDoc;

class PropertiesDialog : public QDialog {
    Q_OBJECT
  public:
    explicit PropertiesDialog(CVEKViewDoc *doc, QWidget *parent = nullptr);

    // Sets the radios from the document (done each time the window shows).
    void syncFromDocument();
    // Radio by control id (1054..1060), nullptr otherwise.
    QRadioButton *radio(int id) const;
    // The radios by what they set: a year type (0..2), units (0 average
    // daily, 1 monthly acre-feet), the average-days rule or the actual days.
    QRadioButton *yearTypeButton(int yearMode) const {
        return yearMode >= 0 && yearMode < 3 ? radios_[yearMode] : nullptr;
    }
    QRadioButton *unitsButton(int unitMode) const {
        return unitMode >= 0 && unitMode < 2 ? radios_[3 + unitMode] : nullptr;
    }
    QRadioButton *daysRuleButton(bool averageDays) const { return radios_[averageDays ? 5 : 6]; }

  protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    void OnYearType(int mode);
    void OnUnits(int unit);
    void OnAvgDays(bool avg);

    QPointer<CVEKViewDoc> doc_;
    QRadioButton *radios_[7] = {};
    QPoint lastPos_;
    bool placed_ = false;
};

} // namespace vek
