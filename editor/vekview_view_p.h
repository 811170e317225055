// Private parts of the main input form shared by its source files:
// vekview_view.cpp (construction, commands, year edits, menus, printing),
// vekview_view_layout.cpp (the controls and their layout) and
// vekview_view_fill.cpp (refills and the tables' click and edit handlers).
#pragma once

#include "editor/choice_dialogs.h"
#include "editor/location_list_model.h"
#include "editor/month_table_model.h"
#include "editor/vekview_doc.h"
#include "editor/vekview_view.h"
#include "grid/spreadsheet_view.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <array>
#include <functional>
#include <map>
#include <string>

namespace vek {

// A year edit: Enter commits the value as leaving the field does, instead of
// reaching a default button. Once its value is committed, Undo and Redo
// (Ctrl+Z, Ctrl+Y) are the document's, not the field's own text history:
// they undo the change the field made, and the field shows the result.
class YearEdit : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;
    std::function<void()> onCommit;

  protected:
    bool event(QEvent *event) override {
        if (event->type() == QEvent::ShortcutOverride && !isModified()) {
            auto *ke = static_cast<QKeyEvent *>(event);
            if (ke->matches(QKeySequence::Undo) || ke->matches(QKeySequence::Redo) ||
                (ke->modifiers() == Qt::ControlModifier && ke->key() == Qt::Key_Y)) {
                event->ignore(); // the window's Edit > Undo / Redo take it
                return false;
            }
        }
        return QLineEdit::event(event);
    }
    void keyPressEvent(QKeyEvent *event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            commit();
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
    void focusOutEvent(QFocusEvent *event) override {
        QLineEdit::focusOutEvent(event);
        commit();
    }

  private:
    void commit() {
        if (onCommit) onCommit();
        setModified(false);
    }
};

namespace form_detail {

inline QString gfmt(float v) { return QString::asprintf("%g", static_cast<double>(v)); }
inline QString dfmt(int v) { return QString::asprintf("%d", v); }

} // namespace form_detail

struct CVEKViewView::Impl {
    CVEKViewView *q;
    QWidget *page = nullptr;
    std::map<int, QWidget *> ctl;
    YearEdit *startEdit = nullptr;
    YearEdit *endEdit = nullptr;
    YearEdit *synthEdit = nullptr;
    YearEdit *runEndEdit = nullptr;
    QLineEdit *toAdd = nullptr;
    SpreadsheetView *wells = nullptr;
    SpreadsheetView *hist = nullptr;
    SpreadsheetView *synth = nullptr;
    LocationListModel *wellsModel = nullptr;
    MonthTableModel *histModel = nullptr;
    MonthTableModel *synthModel = nullptr;
    QGroupBox *histBox = nullptr;
    QGroupBox *synthBox = nullptr;
    QLabel *histUnits = nullptr;
    QLabel *synthUnits = nullptr;
    QLabel *synthStart = nullptr;
    CloseUpComboBox *runStart = nullptr;
    CloseUpComboBox *outputType = nullptr;
    QPushButton *pumpButton = nullptr;

    // The smallest size of the page: the form's classic size (465 by 322
    // dialog units), or more when the controls need it.
    QSize baseSize;

    int locationsToAdd = 1;
    bool inYearEdit = false;
    // The location list's current row is being set by a refill, not by the
    // user.
    bool followingSelection = false;

    explicit Impl(CVEKViewView *view) : q(view) {}

    CVEKViewDoc *doc() const { return q->doc_; }
    ModelInput &model() const { return q->doc_->model(); }
    Prompter *ask() const { return q->prompter(); }
    void message(const std::string &text) const {
        if (Prompter *p = ask()) p->message(text);
    }
    void markModified() { doc()->setModified(true); }
    Location *selected() const {
        int i = q->selectedLocation_;
        auto &locs = model().locations;
        return i >= 0 && i < static_cast<int>(locs.size()) ? &locs[static_cast<size_t>(i)] : nullptr;
    }

    // The controls and their layout (vekview_view_layout.cpp).
    void build();
    QWidget *name(QWidget *w, int id);
    QLabel *label(const char *text, int id = -1);
    YearEdit *yearEdit(int id);
    QPushButton *button(const char *text, int id);
    SpreadsheetView *table(int id, QAbstractItemModel *model);
    QGroupBox *group(const char *text, int id);
    QLayout *buildYearRow();
    QLayout *buildLocationRow();
    QGroupBox *buildTableGroup(const char *caption, int groupId, int unitsId, int tableId);
    QLayout *buildSynthesizedRow();
    QLayout *buildRunRange();
    void takeControls();
    void setTabOrder();
    void describeControls();
    void connectTables();
    void connectControls();
    // Columns fit their headers and values and share out the spare width;
    // the historical and synthesized tables keep equal columns. What the
    // columns' contents need is measured again only when the tables were
    // refilled (the flags) or a cell changed (measureColumn); a resize only
    // shares out the width anew.
    void fitTableColumns();
    void fitListColumns();
    void measureColumn(SpreadsheetView *table, int column);
    std::array<int, 12> histNeeds{}, synthNeeds{};
    std::array<int, LocationListModel::ColumnCount> listNeeds{};
    bool tablesUnmeasured = true, listUnmeasured = true;
    // The selected location's row shows highlighted in the list.
    void showSelectedRow();

    void fillYearFields();
    // The run range as stored when the form can show it, else fitted to the
    // modelled years (and the status bar says so).
    void fillRunRange();
    void fitRunRange();
    // The modelled years and the run range before a year edit: a run that
    // began or ended with the modelled years follows them.
    struct RunEnds {
        int first, last, runStart, runEnd;
    };
    RunEnds runEnds() const;
    void followModelledYears(const RunEnds &before);
    void fillLocationList();
    void fillLocationCells();
    // Shows the location's tables (the list's current row follows).
    void selectLocation(int location);
    void fillCaptions();
    void fillMonthHeaders();
    void setCaption(QGroupBox *box, const QString &caption);
    void fillHistorical();
    void fillSynthesized();
    void fullRefill();
    // Marks the cells whose values a run would refuse or that look wrong
    // (list, and the selected location's tables); scheduleMarks does it once
    // after the current action, and says in the status bar why the cell
    // edited last is marked.
    void markProblems();
    void scheduleMarks(SpreadsheetView *edited = nullptr, int row = -1, int col = -1);
    struct EditedCell {
        QPointer<SpreadsheetView> table;
        int row = -1, col = -1;
    };
    EditedCell lastEdit;
    bool marksPending = false;

    void OnClickWellListctrl(int row, int col);
    // After a value reached the document through a table.
    void OnEndlabeleditWellListctrl(int row, int col);
    void onTableEdited(SpreadsheetView *table, int row, int col);

    int readYearEdit(QLineEdit *edit);
    void OnKillfocusInputStart();
    void OnKillfocusInputEnd();
    void OnKillfocusSynthYears();
    void OnKillfocusRunEnd();
    void OnCloseupRunStart();
    void OnCloseupOutputType();

    void showContextMenu(SpreadsheetView *table, const QPoint &globalPos);
    QString tableName(SpreadsheetView *table) const;
};

} // namespace vek
