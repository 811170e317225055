// One well's pumping record as a Qt model (see pumping_record_model.h).
#include "editor/pumping_record_model.h"

#include "editor/choice_dialogs.h"
#include "editor/vekview_doc.h"
#include "grid/cell_roles.h"
#include "model/pumping_record.h"
#include "model/year_types.h"

namespace vek {

PumpingRecordModel::PumpingRecordModel(CVEKViewDoc *doc, int location, QObject *parent)
    : QAbstractTableModel(parent), doc_(doc), index_(location) {
    reload();
}

const Location *PumpingRecordModel::location() const {
    if (!doc_) return nullptr;
    const auto &locs = doc_->model().locations;
    return index_ >= 0 && index_ < static_cast<int>(locs.size()) ? &locs[static_cast<size_t>(index_)] : nullptr;
}

int PumpingRecordModel::units() const {
    const Location *loc = location();
    return loc && loc->Units == PumpingRecord::Cfs ? PumpingRecord::Cfs : PumpingRecord::AcreFeet;
}

void PumpingRecordModel::reload() {
    beginResetModel();
    const Location *loc = location();
    // The record's table without its month column, which the row headers are.
    columns_ = loc ? PumpingRecord::columnCount(units(), PumpingRecord::recordYears(*loc)) - 1 : 0;
    endResetModel();
}

int PumpingRecordModel::rowCount(const QModelIndex &parent) const { return parent.isValid() || columns_ == 0 ? 0 : 12; }

int PumpingRecordModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : columns_; }

QVariant PumpingRecordModel::data(const QModelIndex &index, int role) const {
    const Location *loc = location();
    if (!loc || !index.isValid() || index.column() >= columns_) return {};
    if (role == NumericRole) return true;
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    const float v = PumpingRecord::cellValue(*loc, index.row() + 1, index.column() + 1);
    return QString::asprintf("%g", static_cast<double>(v));
}

QVariant PumpingRecordModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || !doc_) return QAbstractTableModel::headerData(section, orientation, role);
    const ModelInput &m = doc_->model();
    if (orientation == Qt::Vertical)
        return section >= 0 && section < 12 ? QString::fromLatin1(monthAbbreviation(m.yearMode, section)) : QVariant();
    return QString::fromStdString(PumpingRecord::columnHeader(units(), m.inputStartYear, section + 1));
}

Qt::ItemFlags PumpingRecordModel::flags(const QModelIndex &index) const {
    return QAbstractTableModel::flags(index) | (index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags);
}

bool PumpingRecordModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !location() || index.column() >= columns_) return false;
    Location &loc = doc_->model().locations[static_cast<size_t>(index_)];
    PumpingRecord::storeCell(loc, index.row() + 1, index.column() + 1, leadingNumber(value.toString()));
    // A changed record is part of the document: it must not vanish unsaved.
    doc_->setModified(true);
    emit dataChanged(index, index);
    return true;
}

} // namespace vek
