// MonthTableModel: the historical or the synthesized monthly table of one
// location of a model input document, as a Qt table model. Rows are the
// years, columns the twelve months in the document's order; the headers
// name them. Every value is read from the document when a view asks and
// written back through the document's own rules (a changed historical value
// may make the synthesized years stale, a synthesized one makes them
// user-defined), each edit one undo step.
#pragma once

#include "grid/cell_roles.h"

#include <QAbstractTableModel>
#include <QPointer>

namespace vek {

class CVEKViewDoc;
struct Location;

class MonthTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Kind { Historical, Synthesized };

    MonthTableModel(CVEKViewDoc *doc, Kind kind, QObject *parent = nullptr);

    Kind kind() const { return kind_; }
    // The location shown (-1: none) and whether its values may be edited;
    // the table is read again.
    void showLocation(int location, bool editable = true);
    int location() const { return location_; }
    bool isEditable() const { return editable_; }
    // The document's rows, headers or values changed: read everything again.
    void reload();
    // Marks of values a run would refuse or that look wrong, by (year
    // index, month column). Values that hardly mean what was meant are
    // marked as well, as they are shown.
    void setMarks(CellMarks marks);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Text in, as typed: its leading number is the value (empty is 0).
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The table's name in undo steps and messages.
    QString tableName() const;

  signals:
    // A value typed or pasted into (row, column) reached the document.
    void edited(int row, int column);

  private:
    const Location *shown() const;
    const float *cell(int row, int column) const;

    QPointer<CVEKViewDoc> doc_;
    Kind kind_;
    int location_ = -1;
    bool editable_ = true;
    int rows_ = 0;
    CellMarks marks_;
};

} // namespace vek
