// SpreadsheetView: a QTableView with the keys and clipboard of a
// spreadsheet, over any table model that answers the roles of
// cell_roles.h. Typing replaces a cell's value; Enter, Tab and (in an edit
// begun by typing, or with Ctrl) the arrow and Page keys store the edit,
// move on and go on editing there; Escape puts the old value back. Copy
// takes the selection (or, with nothing selected, the whole table with its
// headers) as tab-separated text; paste lays a spreadsheet's block out from
// the current cell by the rules of paste_rules.h, skipping hidden rows and
// columns and cells that cannot be edited, and says what it left out. The
// view keeps nothing of the model's values: every change goes through the
// model's setData.
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QTableView>

#include <functional>

namespace vek {

class TableDelegate;

class SpreadsheetView : public QTableView {
    Q_OBJECT
  public:
    explicit SpreadsheetView(QWidget *parent = nullptr);
    using QTableView::edit;

    // Text in the corner over the row headers ("Year", "Month").
    void setCornerText(const QString &text);
    QString cornerText() const { return cornerText_; }

    // The height rows take by default: the font's line and a margin.
    int defaultRowHeight() const;
    // The width a column needs to show its header and every cell unclipped.
    int contentWidth(int column) const;

    // A change of many cells (a paste or a cut) runs through the owner's
    // batch, which may make it one step of its undo history: `apply` makes
    // the change; `what` says which ("Paste into", "Cut from"). Without a
    // batch the change is simply made.
    using Batch = std::function<void(const QString &what, const std::function<void()> &apply)>;
    void setBatch(Batch batch) { batch_ = std::move(batch); }

    // The clipboard's text for the selection, or for the whole table with
    // its headers when nothing is selected: a tab between cells, a line feed
    // between rows and none after the last; hidden rows and columns are left
    // out.
    QString copyText() const;
    // Pastes text at the current cell (or the top-left selected one);
    // returns the number of cells written.
    int pasteText(const QString &text);

    // The edit box of the cell being edited, or null.
    QLineEdit *cellEditor() const { return editor_.data(); }
    bool isEditing() const { return state() == EditingState && editor_; }
    // Ends the edit under way: commit stores its text, otherwise the cell
    // keeps its value.
    void endEdit(bool commit = true);

    TableDelegate *tableDelegate() const { return delegate_; }

  public slots:
    void copy();
    void paste();
    // Copies the selection, then empties its cells that can be edited.
    void cut();
    // Empties the current cell when it can be edited (the Delete key).
    void clearCell();

  signals:
    // Text refused in a cell that takes numbers (typed, or left there when
    // an edit ended); the cell kept its value.
    void numberRefused(const QModelIndex &index);
    // A paste left out `count` fields that were no numbers.
    void pasteSkippedNonNumbers(int count);
    // A paste held `count` fields beyond the last row or column.
    void pasteClipped(int count);

  protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    friend class TableDelegate;
    // A key pressed in the edit box; true when the table took it.
    bool editorKey(QWidget *editor, QKeyEvent *event);
    void noteEditor(QLineEdit *editor) { editor_ = editor; }
    // Next (or previous) shown cell in reading order; invalid at the end.
    QModelIndex tabTarget(const QModelIndex &from, bool forward) const;
    bool isEditable(const QModelIndex &index) const;
    void changeMany(const QString &what, const std::function<void()> &apply);
    void paintCorner(QWidget *corner);

    TableDelegate *delegate_;
    QPointer<QLineEdit> editor_;
    QPointer<QWidget> corner_;
    QString cornerText_;
    Batch batch_;
    bool editByChar_ = false;
    bool nextEditByChar_ = false;
};

} // namespace vek
