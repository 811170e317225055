// VEKOutputView: the form of an engine output document. The user picks
// locations and years, the scale, the year type and the two tables; the view
// builds the tab-delimited text report, shows it in a read-only box, and
// prints, previews, saves, opens it in the desktop's text editor, exports the
// selection to an Excel workbook or plots it.
#pragma once

#include "results/view_choices.h"

#include <QMargins>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLayout;
class QListWidget;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QRadioButton;

namespace vek {

class GraphView;
class OutputResults;
class Prompter;

class VEKOutputView : public QWidget {
    Q_OBJECT
  public:
    enum ControlId {
        IDC_YEARLY = 1011,
        IDC_MONTHLY = 1012,
        IDC_PLOT = 1013,
        IDC_CALENDAR = 1014,
        IDC_IRRIGATION = 1015,
        IDC_USGS = 1016,
        IDC_LOCATIONS = 1024,
        IDC_YEARS = 1025,
        IDC_REPORT = 1037,
        IDC_DONE = 1038,
        IDC_SHOW_DIVERSION = 1043,
        IDC_SHOW_STREAM = 1044,
        IDC_WORDPAD = 1050,
        IDC_PRINT = 1053,
        IDC_SAVE = 1054,
        IDC_HELP = 1092,
    };

    // The results stay owned by the document; prompter (may be null) shows
    // the report builder's messages.
    explicit VEKOutputView(OutputResults *results, QWidget *parent = nullptr, Prompter *prompter = nullptr);
    ~VEKOutputView() override;

    // The document's title: Print and View in Wordpad write title + ".txt".
    void setDocumentTitle(const QString &title) { documentTitle_ = title; }
    QString documentTitle() const { return documentTitle_; }

    // Refills both lists from the results and empties the report.
    void onUpdate();

    QWidget *control(int id) const;
    // The form's controls by name, for the program's own code and its tests.
    QListWidget *locationList() const { return locations_; }
    QListWidget *yearList() const { return years_; }
    QPlainTextEdit *reportBox() const { return report_; }
    QRadioButton *yearlyButton() const { return yearly_; }
    QRadioButton *monthlyButton() const { return monthly_; }
    QRadioButton *calendarButton() const { return calendar_; }
    QRadioButton *irrigationButton() const { return irrigation_; }
    QRadioButton *usgsButton() const { return usgs_; }
    QCheckBox *showDiversionCheck() const { return showDiversionBox_; }
    QCheckBox *showStreamCheck() const { return showStreamBox_; }
    // The unit of the report, the graphs and the workbook: acre-feet (the
    // engine's) and the units results/result_units.h converts to, in its
    // order.
    QComboBox *unitsBox() const { return units_; }
    QPushButton *printButton() const { return buttons_[0]; }
    QPushButton *saveToFileButton() const { return buttons_[1]; }
    QPushButton *plotButton() const { return buttons_[2]; }
    QPushButton *wordpadButton() const { return buttons_[3]; }
    QPushButton *doneButton() const { return buttons_[4]; }
    QPushButton *helpButton() const { return buttons_[5]; }

    // Members kept from the controls.
    int scale = ViewChoices::Monthly;
    int yearType = 1;
    bool showDiversion = true;
    bool showStream = true;
    ResultUnit units = ResultUnit::AcreFeet;
    std::string reportText;

    // Reads the controls into the members and the choices.
    ViewChoices readControls();
    // Builds the report with the line separator; "\r\n" also shows it.
    void buildReport(const std::string &sep);

    // Commands.
    void OnYearType(int t);
    Q_INVOKABLE void OnPrint();
    Q_INVOKABLE void OnPrintPreview();
    Q_INVOKABLE void OnExportExcel();
    void OnSaveToFile();
    void OnViewInWordpad();
    void OnPlot();
    void OnDone();
    void OnHelp();

    // Graph windows made by Plot that are still open.
    std::vector<GraphView *> graphs() const;
    // The frame the window manager draws around a window (title bar and
    // borders), read off this view's own window when it has one; a common
    // size otherwise. Plot keeps the graph windows, frames included, on
    // the screen.
    QMargins graphFrameMargins() const;

    // The path View in Wordpad writes.
    QString reportFileName() const { return documentTitle_ + ".txt"; }
    // The model name printed in the page headers: the report's base name.
    QString modelName() const;
    // Prints text as the report is printed (fixed-width font, page header
    // with the model name and page numbers); returns the number of pages.
    int printReport(const QString &text, QPrinter *printer) const;

    // --- hooks (tests replace these) ---------------------------------------
    // Save dialog: the chosen path, empty for Cancel.
    std::function<QString(const QString &title, const QString &filter)> chooseSaveFile;
    // Prints text after the print dialog; false (with error set, or empty
    // when the user cancelled) when nothing was printed.
    std::function<bool(const QString &text, QString *error)> printText;
    // Opens a file with the desktop's default application; when unset, the
    // program below does (empty: the desktop services, which cannot tell
    // whether a program opened the file).
    std::function<bool(const QString &path)> openInEditor;
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    QString viewerProgram;
#else
    QString viewerProgram = QStringLiteral("xdg-open");
#endif
    std::function<void(const QString &)> showMessage;
    // A yes/no question; true for yes.
    std::function<bool(const QString &)> ask;

  signals:
    // The number of printed years changed: every view of the document must
    // refill.
    void documentChanged();
    void closeRequested();
    void helpRequested(int context);
    void graphsCreated();
    // A confirmation for the main window's status bar (a saved export).
    void statusMessage(const QString &text);

  private:
    // The "Units:" label and its choice.
    QLayout *makeUnitsRow();
    void makeReportBox();
    void layoutControls(QGroupBox *scaleBox, QGroupBox *yearBox, QLabel *locLabel, QLabel *yearsLabel,
                        QHBoxLayout *buttonRow);
    void connectControls();
    void message(const QString &text);
    // No program opened the report: offers to save it elsewhere.
    void offerToSaveInstead(const QString &path);
    bool writeText(const QString &path, const QString &text);
    // True (after saying so) when path is the report the view was read from.
    bool isTheReport(const QString &path);
    QString boxText() const;
    QString chooseFile(const QString &title, const QString &filter, const QString &suffix, bool confirmOverwrite);
    bool printWithDialog(const QString &text, QString *error);

    OutputResults *results_;
    Prompter *prompter_;
    QString documentTitle_;

    QRadioButton *yearly_ = nullptr;
    QRadioButton *monthly_ = nullptr;
    QRadioButton *calendar_ = nullptr;
    QRadioButton *irrigation_ = nullptr;
    QRadioButton *usgs_ = nullptr;
    QListWidget *locations_ = nullptr;
    QListWidget *years_ = nullptr;
    QCheckBox *showDiversionBox_ = nullptr;
    QCheckBox *showStreamBox_ = nullptr;
    QComboBox *units_ = nullptr;
    QPlainTextEdit *report_ = nullptr;
    QPushButton *buttons_[6] = {};
    std::vector<QPointer<GraphView>> graphs_;
};

} // namespace vek
