// CVEKViewView: the main input form of a model input document. Year ranges,
// the location list, the historical and synthesized monthly tables of the
// selected location, the run range and the output type. Every accepted edit
// goes straight into the document; the document refreshes the form with a
// hint that says what to refill.
#pragma once

#include "model/view_hint.h"

#include <QPointer>
#include <QRect>
#include <QScrollArea>
#include <QSize>
#include <QString>

#include <map>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPrinter;
class QPushButton;

namespace vek {

class CVEKViewDoc;
class LocationListModel;
class MonthTableModel;
class SpreadsheetView;
class Prompter;
class YearEdit;

class CVEKViewView : public QScrollArea {
    Q_OBJECT
  public:
    // Control ids of the form (also the objectName "ctl<id>" of each control).
    enum ControlId {
        IDC_INPUT_START = 1000,
        IDC_INPUT_END = 1001,
        IDC_SYNTH_YEARS = 1002,
        IDC_NEW = 1003,
        IDC_DELETE = 1004,
        IDC_HIST_GRID = 1006,
        IDC_WELL_GRID = 1008,
        IDC_HIST_CAPTION = 1009,
        IDC_SYNTH_GRID = 1010,
        IDC_SYNTH_CAPTION = 1011,
        IDC_SYNTH_UNITS = 1013,
        IDC_HIST_UNITS = 1015,
        IDC_OUTPUT_TYPE = 1024,
        IDC_RUN_START = 1029,
        IDC_SYNTH_START = 1031,
        IDC_PUMPING_RECORD = 1039,
        IDC_RUN_END = 1046,
        IDC_RECALCULATE = 1047,
        IDC_TO_ADD = 1048,
    };

    // The view uses the document's prompter for its questions; a prompter
    // given here replaces it (tests pass a scripted one).
    explicit CVEKViewView(CVEKViewDoc *doc, QWidget *parent = nullptr, Prompter *prompter = nullptr);
    ~CVEKViewView() override;

    CVEKViewDoc *document() const { return doc_; }
    Prompter *prompter() const;

    // Refills what the hint names (see ViewHint).
    void onUpdate(ViewHint hint);

    int selectedLocation() const { return selectedLocation_; }
    // Control of the form by id (nullptr for an unknown id).
    QWidget *control(int id) const;

    // The form's controls by name, for the program's own code and its tests.
    QLineEdit *inputStartEdit() const;
    QLineEdit *inputEndEdit() const;
    QLineEdit *synthYearsEdit() const;
    QLineEdit *runEndEdit() const;
    QLineEdit *toAddEdit() const;
    SpreadsheetView *locationTable() const;
    SpreadsheetView *historicalTable() const;
    SpreadsheetView *synthesizedTable() const;
    LocationListModel *locationModel() const;
    MonthTableModel *historicalModel() const;
    MonthTableModel *synthesizedModel() const;
    QGroupBox *historicalCaption() const;
    QGroupBox *synthesizedCaption() const;
    QLabel *historicalUnits() const;
    QLabel *synthesizedUnits() const;
    QLabel *synthesizedStart() const;
    QComboBox *runStartList() const;
    QComboBox *outputTypeList() const;
    QPushButton *newButton() const;
    QPushButton *deleteButton() const;
    QPushButton *pumpingRecordButton() const;
    QPushButton *recalculateButton() const;

    // Edit menu and context menu items that name their table.
    void copyFromHistoricalTable();
    void copyFromSynthesizedTable();
    void pasteIntoHistoricalTable();
    void pasteIntoSynthesizedTable();
    void copyFromLocationList();
    void pasteIntoLocationList();

    // Ends a cell edit or a year edit under way, so that its value
    // reaches the document (call before Save, Run, Properties changes).
    void endCellEdit();

    // Framework printing of the form.
    void print();        // print dialog, then print
    void printPreview(); // preview dialog
    void renderForm(QPrinter *printer);
    // Draws the form as shown, scaled to fit `area` of the painter's device.
    void renderPage(QPainter &painter, const QRectF &area);

    // Buttons and commands (also reachable by clicking).
    void OnNew();
    void OnDelete();
    void OnPumpingRecord();
    void OnRecalculate();
    // The response method dialog of the selected location, and the
    // response tables dialog of the model.
    void OnResponseMethod();
    void OnResponseTables();
    // The Stream Reaches dialog; the Map window, whose clicks select here.
    void OnReaches();
    // The Uncertainty dialog: the model's ranges, the sampled run, its bands.
    void OnUncertainty();
    void OnMap();
    // Selects a location as a click on its row does (the map's clicks).
    void selectLocation(int location);

    // A short note for the status bar of the window the form is in (also
    // sent as statusMessage).
    void showStatus(const QString &text);

  signals:
    // A short note for the user, such as a refused value.
    void statusMessage(const QString &text);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

  private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    QPointer<CVEKViewDoc> doc_;
    int selectedLocation_ = -1;

    friend struct Impl;
};

} // namespace vek
