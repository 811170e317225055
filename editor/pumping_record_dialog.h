// PumpingRecordDialog: "Well Pumping Record", the modal editor of one well's
// pumping record. Edits go into the document's location at once; OK turns
// the record into the well's historical consumptive use of ground water,
// Cancel puts back the location as it was when the dialog opened.
#pragma once

#include "model/model_input.h"

#include <QDialog>
#include <QRect>
#include <QSize>
#include <QString>

class QPushButton;
class QRadioButton;

namespace vek {

class CVEKViewDoc;
class PumpingRecordModel;
class SpreadsheetView;

class PumpingRecordDialog : public QDialog {
    Q_OBJECT
  public:
    // The caller opens it only for an existing location.
    PumpingRecordDialog(CVEKViewDoc *doc, int location, QWidget *parent = nullptr);

    SpreadsheetView *table() const { return table_; }
    PumpingRecordModel *tableModel() const { return model_; }
    QRadioButton *cfsRadio() const { return cfs_; }
    QRadioButton *acFtRadio() const { return acFt_; }
    QPushButton *okButton() const { return ok_; }
    QPushButton *cancelButton() const { return cancel_; }
    QPushButton *helpButton() const { return help_; }

    // Shows the location's record again (after its units changed).
    void fillTable();
    void OnCfs();
    void OnAcFt();
    void OnHelp();
    void accept() override;
    void reject() override;

  protected:
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

  private:
    bool location_ok() const;
    Location &location();
    void layoutControls();

    CVEKViewDoc *doc_;
    int index_;
    Location backup_;
    bool backupModified_;
    PumpingRecordModel *model_;
    SpreadsheetView *table_;
    QRadioButton *cfs_;
    QRadioButton *acFt_;
    QPushButton *ok_;
    QPushButton *cancel_;
    QPushButton *help_;
    QSize initialSize_;
    QRect gridRect_, okRect_, cancelRect_, helpRect_;
};

} // namespace vek
