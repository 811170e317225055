// A unit response table's shares as a Qt model (see response_shares_model.h).
#include "editor/response_shares_model.h"

#include "editor/factor_calculator.h"
#include "editor/response_edits.h"
#include "editor/vekview_doc.h"
#include "grid/cell_roles.h"

namespace vek {

ResponseSharesModel::ResponseSharesModel(CVEKViewDoc *doc, QObject *parent) : QAbstractTableModel(parent), doc_(doc) {}

const UnitResponseTable *ResponseSharesModel::table() const {
    return doc_ && !name_.empty() ? findResponseTable(doc_->model(), name_) : nullptr;
}

void ResponseSharesModel::showTable(const std::string &name) {
    name_ = name;
    reload();
}

void ResponseSharesModel::reload() {
    beginResetModel();
    const UnitResponseTable *t = table();
    rows_ = t ? static_cast<int>(t->shares.size()) : 0;
    endResetModel();
}

int ResponseSharesModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rows_; }

int ResponseSharesModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 2; }

QVariant ResponseSharesModel::data(const QModelIndex &index, int role) const {
    const UnitResponseTable *t = table();
    if (!t || !index.isValid() || index.row() >= static_cast<int>(t->shares.size())) return {};
    if (role == NumericRole) return index.column() == Share;
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (index.column() == Share) return shownNumber(static_cast<double>(t->shares[row]));
    double sum = 0.0;
    for (std::size_t i = 0; i <= row; ++i)
        sum += static_cast<double>(t->shares[i]);
    return shownNumber(sum);
}

QVariant ResponseSharesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical) return section + 1;
    return section == Share ? QStringLiteral("Share") : QStringLiteral("Cumulative");
}

Qt::ItemFlags ResponseSharesModel::flags(const QModelIndex &index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == Share) f |= Qt::ItemIsEditable;
    return f;
}

bool ResponseSharesModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    const UnitResponseTable *t = table();
    if (role != Qt::EditRole || !t || !index.isValid() || index.column() != Share ||
        index.row() >= static_cast<int>(t->shares.size()))
        return false;
    std::vector<float> shares = t->shares;
    shares[static_cast<std::size_t>(index.row())] = static_cast<float>(typedNumber(value.toString()).value_or(0.0));
    setResponseTableShares(*doc_, name_, shares);
    // The cumulative shares from this month on change with it.
    emit dataChanged(index, this->index(rows_ - 1, Cumulative));
    emit edited(index.row());
    return true;
}

} // namespace vek
