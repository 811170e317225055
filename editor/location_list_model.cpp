// The input form's location list as a Qt model (see location_list_model.h).
#include "editor/location_list_model.h"

#include "editor/choice_dialogs.h"
#include "editor/response_edits.h"
#include "editor/vekview_doc.h"
#include "model/value_limits.h"

namespace vek {

namespace {

constexpr const char *kHeaders[LocationListModel::ColumnCount] = {
    "Wells/Recharge Sites", "VEK", "Location Type", "Output?", "Has Pumping Record", "Response Method"};

QString yesNo(int flag) { return flag ? QStringLiteral("yes") : QStringLiteral("no"); }

} // namespace

LocationListModel::LocationListModel(CVEKViewDoc *doc, QObject *parent) : QAbstractTableModel(parent), doc_(doc) {}

void LocationListModel::reload() {
    beginResetModel();
    rows_ = doc_ ? static_cast<int>(doc_->model().locations.size()) : 0;
    marks_.clear();
    if (highlighted_ >= rows_) highlighted_ = -1;
    endResetModel();
}

void LocationListModel::refreshCells() {
    if (!doc_ || static_cast<int>(doc_->model().locations.size()) != rows_) {
        reload();
        return;
    }
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, ColumnCount - 1));
}

void LocationListModel::setHighlightedRow(int row) {
    if (row == highlighted_) return;
    const int old = highlighted_;
    highlighted_ = row;
    for (int r : {old, row})
        if (r >= 0 && r < rows_) emit dataChanged(index(r, 0), index(r, ColumnCount - 1), {HighlightRole});
}

void LocationListModel::setMarks(CellMarks marks) {
    marks_ = std::move(marks);
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, ColumnCount - 1), {MarkRole, Qt::ToolTipRole});
}

int LocationListModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rows_; }

int LocationListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant LocationListModel::data(const QModelIndex &index, int role) const {
    if (!doc_ || !index.isValid() || index.row() >= rows_ ||
        index.row() >= static_cast<int>(doc_->model().locations.size()))
        return {};
    const Location &loc = doc_->model().locations[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case Name:
            return QString::fromStdString(loc.name);
        case Factor:
            return QString::asprintf("%g", static_cast<double>(loc.VEK));
        case Type:
            return loc.isWell() ? QStringLiteral("Irrig. well") : QStringLiteral("Recharge site");
        case Output:
            return yesNo(loc.UseInOutput);
        case PumpingRecord:
            return loc.isWell() ? yesNo(loc.UsePumpingRecord) : QStringLiteral("NA");
        case Method:
            return responseMethodCell(doc_->model(), loc);
        default:
            return {};
        }
    case NumericRole:
        return index.column() == Factor;
    case ClickableRole:
        return index.column() >= Type;
    case HighlightRole:
        return index.row() == highlighted_;
    case MarkRole:
    case Qt::ToolTipRole: {
        auto it = marks_.find({index.row(), index.column()});
        if (it == marks_.end()) return role == MarkRole ? QVariant(0) : QVariant();
        return role == MarkRole ? QVariant(static_cast<int>(it->second.mark)) : QVariant(it->second.note);
    }
    default:
        return {};
    }
}

QVariant LocationListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 && section < ColumnCount)
        return QString::fromLatin1(kHeaders[section]);
    if (role == Qt::DisplayRole && orientation == Qt::Vertical) return section + 1;
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags LocationListModel::flags(const QModelIndex &index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && (index.column() == Name || index.column() == Factor)) f |= Qt::ItemIsEditable;
    return f;
}

bool LocationListModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !doc_) return false;
    if (index.row() >= static_cast<int>(doc_->model().locations.size())) {
        doc_->prompter()->message("OnEndlabeleditWellListctrl: Internal error.");
        return false;
    }
    if (index.column() != Name && index.column() != Factor) return false;
    const QString text = value.toString();
    if (index.column() == Name) {
        if (const std::string p = locationNameProblem(text.trimmed().toStdString()); !p.empty()) {
            doc_->prompter()->message("The name was not changed: " + p + ".");
            return false;
        }
    }
    auto step = doc_->step(QStringLiteral("Edit in Location List"));
    if (index.column() == Name)
        doc_->document().setLocationName(index.row(), text.trimmed().toStdString());
    else
        doc_->document().setLocationFactor(index.row(), leadingNumber(text));
    emit dataChanged(index, index);
    emit edited(index.row(), index.column());
    return true;
}

} // namespace vek
