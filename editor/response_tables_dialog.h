// ResponseTablesDialog: "Response Tables", the unit response tables of a
// model, which its locations share by name. Lists them; adds, renames (in
// place in the list), deletes and imports them from a tab-delimited or
// comma-separated file; edits a table's monthly shares (typed or pasted, the
// cumulative share beside them) and what follows its last month, with a
// chart of its response. Every change goes into the document at once as an
// undo step of its own. A table that locations use is deleted only when the
// user agrees (the default is not to), and those locations then respond by
// the infinite aquifer; an imported table replaces one of the same name only
// when the user agrees, else it comes in under a name of its own.
#pragma once

#include "editor/choice_dialogs.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;

namespace vek {

class CVEKViewDoc;
class ResponseCurveChart;
class ResponseSharesModel;
class SpreadsheetView;
struct UnitResponseTable;

class ResponseTablesDialog : public ChoiceDialog {
    Q_OBJECT
  public:
    // Months a table may have: 400 years.
    static constexpr int kMostMonths = 4800;

    explicit ResponseTablesDialog(CVEKViewDoc *doc, QWidget *parent = nullptr);

    QListWidget *tableList() const { return list_; }
    QPushButton *addButton() const { return add_; }
    QPushButton *renameButton() const { return rename_; }
    QPushButton *deleteButton() const { return delete_; }
    QPushButton *importButton() const { return import_; }
    // Share | Cumulative, one row per month of the current table.
    SpreadsheetView *sharesTable() const { return table_; }
    ResponseSharesModel *sharesModel() const { return shares_; }
    QSpinBox *monthsSpin() const { return months_; }
    // 0: the last cumulative share is held; 1: the stream takes the rest.
    QComboBox *afterList() const { return after_; }
    QLabel *usersLabel() const { return users_; }
    QLabel *problemLabel() const { return problem_; }
    ResponseCurveChart *chart() const { return chart_; }

    void selectTable(const std::string &name);
    // The table shown, empty when there is none.
    std::string currentTable() const;

    void OnAdd();
    void OnRename();
    void OnDelete();
    void OnImport();
    // Imports the tables of a file (what Import does once it has a name).
    void importFile(const QString &path);
    // Pastes text at the focus cell of the shares, first adding the months
    // the pasted lines need: one undo step.
    void pasteShares(const QString &text);

    // Tests replace these; the defaults show Qt dialogs (a question's
    // default answer is No).
    std::function<QString()> chooseFile;
    std::function<bool(const QString &question)> askYesNo;
    std::function<void(const QString &text)> showMessage;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void makeSharesTable();
    void layoutControls();
    void connectControls();
    void describeControls(QPushButton *close);
    const UnitResponseTable *table() const;
    void fillList(const std::string &select);
    void showTable();
    void fillCumulative();
    void fitColumns();
    void onItemChanged(QListWidgetItem *item);
    void onShareEdited();
    void onMonthsChanged(int months);
    void onAfterChanged(int index);
    bool ask(const QString &question);
    void tell(const QString &text);

    QPointer<CVEKViewDoc> doc_;
    std::string shown_; // the table the controls show
    bool filling_ = false;
    QListWidget *list_;
    QPushButton *add_;
    QPushButton *rename_;
    QPushButton *delete_;
    QPushButton *import_;
    ResponseSharesModel *shares_;
    SpreadsheetView *table_;
    QSpinBox *months_;
    QComboBox *after_;
    QLabel *users_;
    QLabel *problem_;
    ResponseCurveChart *chart_;
};

} // namespace vek
