// PumpingRecordModel: one well's pumping record as a Qt table model, a row
// per month in the document's order; the efficiencies, then per historical
// year the volumes, or the rates and the days on. Values are read from the
// document's location when a view asks and stored back clamped (no
// negatives, efficiencies at most 1); the location's record is the only
// copy.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>

namespace vek {

class CVEKViewDoc;
struct Location;

class PumpingRecordModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    PumpingRecordModel(CVEKViewDoc *doc, int location, QObject *parent = nullptr);

    // The record's units or years changed: read everything again.
    void reload();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

  private:
    const Location *location() const;
    int units() const;

    QPointer<CVEKViewDoc> doc_;
    int index_;
    int columns_ = 0;
};

} // namespace vek
