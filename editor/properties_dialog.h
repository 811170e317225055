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
