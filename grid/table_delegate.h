// TableDelegate: draws and edits the cells of a SpreadsheetView. Cells that
// take numbers get an editor with a NumberValidator, so a key that cannot be
// part of a number is refused as it is typed and an edit that does not end
// as a number leaves the cell as it was; what reaches the model is the
// number's text with a point. Marked cells are tinted with a corner flag and
// say why in their tool tip; a cut-off text shows whole in the tool tip;
// the owner's current row is tinted; cells that act on a click show in the
// link colour and cells that cannot be edited in the disabled text colour.
#pragma once

#include <QStyledItemDelegate>

namespace vek {

class SpreadsheetView;

class TableDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    explicit TableDelegate(SpreadsheetView *view);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // Pixels a cell needs beside its text (margins and the grid line).
    int textPadding() const;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    SpreadsheetView *view_;
};

} // namespace vek
