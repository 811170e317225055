// LocationListModel: the input form's location list as a Qt table model, a
// row per location of the document: name, depletion factor, type, whether
// it is in the report, whether it has a pumping record, and its response
// method. Names and factors are edited in place (each edit one undo step);
// the other columns act on a click, which the form handles.
#pragma once

#include "grid/cell_roles.h"

#include <QAbstractTableModel>
#include <QPointer>

namespace vek {

class CVEKViewDoc;

class LocationListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Name, Factor, Type, Output, PumpingRecord, Method, ColumnCount };

    explicit LocationListModel(CVEKViewDoc *doc, QObject *parent = nullptr);

    // The locations were added, removed or replaced: read everything again.
    void reload();
    // Values of the locations changed (their number did not).
    void refreshCells();
    // The form's selected location, shown highlighted (-1: none).
    void setHighlightedRow(int row);
    int highlightedRow() const { return highlighted_; }
    // Marks of names, factors and types a run would refuse or that look
    // wrong, by (location, column).
    void setMarks(CellMarks marks);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // The name (trimmed) or the factor (the typed text's leading number).
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

  signals:
    // A name or factor typed or pasted into a row reached the document.
    void edited(int row, int column);

  private:
    QPointer<CVEKViewDoc> doc_;
    int rows_ = 0;
    int highlighted_ = -1;
    CellMarks marks_;
};

} // namespace vek
