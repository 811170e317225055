// The monthly tables of the input form as a Qt model (see
// month_table_model.h).
#include "editor/month_table_model.h"

#include "editor/choice_dialogs.h"
#include "editor/vekview_doc.h"
#include "model/model_validation.h"
#include "model/year_types.h"

namespace vek {

namespace {
QString gfmt(float v) { return QString::asprintf("%g", static_cast<double>(v)); }
} // namespace

MonthTableModel::MonthTableModel(CVEKViewDoc *doc, Kind kind, QObject *parent)
    : QAbstractTableModel(parent), doc_(doc), kind_(kind) {}

QString MonthTableModel::tableName() const {
    return kind_ == Historical ? QStringLiteral("Historical Table") : QStringLiteral("Synthesized Table");
}

const Location *MonthTableModel::shown() const {
    if (!doc_) return nullptr;
    const auto &locs = doc_->model().locations;
    return location_ >= 0 && location_ < static_cast<int>(locs.size()) ? &locs[static_cast<size_t>(location_)]
                                                                       : nullptr;
}

void MonthTableModel::showLocation(int location, bool editable) {
    location_ = location;
    editable_ = editable;
    reload();
}

void MonthTableModel::reload() {
    beginResetModel();
    const Location *loc = shown();
    rows_ = loc ? shortestColumn(kind_ == Historical ? loc->historicalData : loc->synthesizedData) : 0;
    marks_.clear();
    endResetModel();
}

void MonthTableModel::setMarks(CellMarks marks) {
    marks_ = std::move(marks);
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, 11), {MarkRole, Qt::ToolTipRole});
}

int MonthTableModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rows_; }

int MonthTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 12; }

const float *MonthTableModel::cell(int row, int column) const {
    // The document may have changed under a view that has not asked for
    // the table again yet: a cell it no longer holds shows nothing.
    const Location *loc = shown();
    if (!loc || row < 0 || column < 0 || column >= 12) return nullptr;
    const auto &col = (kind_ == Historical ? loc->historicalData : loc->synthesizedData)[static_cast<size_t>(column)];
    return static_cast<size_t>(row) < col.size() ? &col[static_cast<size_t>(row)] : nullptr;
}

QVariant MonthTableModel::data(const QModelIndex &index, int role) const {
    const float *v = index.isValid() && index.row() < rows_ ? cell(index.row(), index.column()) : nullptr;
    if (!v) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return gfmt(*v);
    case NumericRole:
        return true;
    case MarkRole:
    case Qt::ToolTipRole: {
        CellNote note;
        if (auto it = marks_.find({index.row(), index.column()}); it != marks_.end()) note = it->second;
        const std::string why = doubtfulValue(*shown(), *v, doc_->model().unitMode);
        if (!why.empty()) addMark(note, CellMark::LooksWrong, QString::fromStdString(why));
        if (role == MarkRole) return static_cast<int>(note.mark);
        return note.note.isEmpty() ? QVariant() : QVariant(note.note);
    }
    default:
        return {};
    }
}

QVariant MonthTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || !doc_) return QAbstractTableModel::headerData(section, orientation, role);
    const ModelInput &m = doc_->model();
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < 12 ? QString::fromLatin1(monthAbbreviation(m.yearMode, section)) : QVariant();
    const int first = kind_ == Historical ? m.inputStartYear : m.synthStartYear;
    return QString::asprintf("%d", first + section);
}

Qt::ItemFlags MonthTableModel::flags(const QModelIndex &index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && editable_) f |= Qt::ItemIsEditable;
    return f;
}

bool MonthTableModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !editable_ || !doc_) return false;
    if (!shown()) {
        // A table without a location has no rows; a stale index names none.
        if (kind_ == Historical) doc_->prompter()->message("OnEndlabeleditPumpingListctrl: Internal error.");
        return false;
    }
    if (index.row() >= rows_ || !cell(index.row(), index.column())) return false;
    auto step = doc_->step(QStringLiteral("Edit in %1").arg(tableName()));
    const float typed = leadingNumber(value.toString());
    ModelDocument &d = doc_->document();
    if (kind_ == Historical)
        d.setHistoricalValue(location_, index.row(), index.column(), typed);
    else
        d.setSynthesizedValue(location_, index.row(), index.column(), typed);
    emit dataChanged(index, index);
    emit edited(index.row(), index.column());
    return true;
}

} // namespace vek
