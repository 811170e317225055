// Drawing and editing of table cells (see table_delegate.h).
#include "grid/table_delegate.h"

#include "grid/cell_roles.h"
#include "grid/number_validator.h"
#include "grid/spreadsheet_view.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPolygon>
#include <QToolTip>

#include <algorithm>

namespace vek {

namespace {

// A colour between two palette colours; t = 0 gives a, 1 gives b.
QColor blend(const QColor &a, const QColor &b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QColor flagColour(CellMark mark) {
    return mark == CellMark::Refused ? QColor(0xd3, 0x2f, 0x2f) : QColor(0xf5, 0xa6, 0x23);
}

} // namespace

TableDelegate::TableDelegate(SpreadsheetView *view) : QStyledItemDelegate(view), view_(view) {}

int TableDelegate::textPadding() const {
    const QStyle *style = view_->style();
    return 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1) + 2;
}

QWidget *TableDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const {
    auto *edit = new QLineEdit(parent);
    edit->setFrame(false);
    if (index.data(NumericRole).toBool()) {
        edit->setValidator(new NumberValidator(edit));
        // A key that cannot make a number is refused as it is typed.
        connect(edit, &QLineEdit::inputRejected, view_,
                [this, index = QPersistentModelIndex(index)] { emit view_->numberRefused(index); });
    }
    // The box widens as the text grows, up to the right edge of the table.
    connect(edit, &QLineEdit::textChanged, edit, [this, edit] {
        const int need = edit->fontMetrics().horizontalAdvance(edit->text()) + textPadding() + 6;
        const int cell = edit->property("cellWidth").toInt();
        const int room = std::max(cell, view_->viewport()->width() - edit->x());
        edit->resize(std::clamp(need, cell, room), edit->height());
    });
    view_->noteEditor(edit);
    return edit;
}

void TableDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                         const QModelIndex &) const {
    editor->setProperty("cellWidth", option.rect.width());
    editor->setGeometry(option.rect);
    if (auto *edit = qobject_cast<QLineEdit *>(editor)) emit edit->textChanged(edit->text());
}

void TableDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const {
    auto *edit = qobject_cast<QLineEdit *>(editor);
    if (!edit) return;
    const QString text = edit->text();
    if (text == index.data(Qt::EditRole).toString()) return; // nothing typed: nothing to store
    if (!index.data(NumericRole).toBool()) {
        model->setData(index, text, Qt::EditRole);
        return;
    }
    // Empty text clears the cell; a number left half typed ("-", "1e") is
    // none, and the cell keeps its value.
    if (text.trimmed().isEmpty() || NumberValidator::isNumberText(text))
        model->setData(index, NumberValidator::numberWithPoint(text), Qt::EditRole);
    else
        emit view_->numberRefused(index);
}

void TableDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const bool selected = opt.state & QStyle::State_Selected;
    const auto mark = static_cast<CellMark>(index.data(MarkRole).toInt());
    const QPalette &pal = opt.palette;
    if (!selected) {
        QColor back = pal.color(QPalette::Base);
        // The owner's current row: part way to the selection colour, so that
        // a selection inside it still shows.
        if (index.data(HighlightRole).toBool()) back = blend(back, pal.color(QPalette::Highlight), 0.35);
        if (mark != CellMark::None) back = blend(back, flagColour(mark), 0.3);
        if (back != pal.color(QPalette::Base)) opt.backgroundBrush = back;
        if (index.data(ClickableRole).toBool())
            opt.palette.setColor(QPalette::Text, pal.color(QPalette::Link));
        else if (!(index.flags() & Qt::ItemIsEditable))
            opt.palette.setColor(QPalette::Text, pal.color(QPalette::Disabled, QPalette::Text));
    }
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if (mark != CellMark::None) {
        const QRect r = opt.rect;
        const int n = std::max(4, r.height() / 3);
        painter->save();
        painter->setPen(Qt::NoPen);
        painter->setBrush(flagColour(mark));
        painter->drawPolygon(
            QPolygon({QPoint(r.right() - n, r.top()), QPoint(r.right(), r.top()), QPoint(r.right(), r.top() + n)}));
        painter->restore();
    }
}

bool TableDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                              const QModelIndex &index) {
    if (!event || event->type() != QEvent::ToolTip) return QStyledItemDelegate::helpEvent(event, view, option, index);
    // A marked cell says why; a text cut off by its column shows whole.
    QString tip = index.data(Qt::ToolTipRole).toString();
    if (tip.isEmpty()) {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (view->fontMetrics().horizontalAdvance(text) + textPadding() > option.rect.width()) tip = text;
    }
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), tip, view->viewport(), option.rect);
    return true;
}

bool TableDelegate::eventFilter(QObject *watched, QEvent *event) {
    // The keys that end an edit and move on are the table's.
    if (event->type() == QEvent::KeyPress) {
        auto *editor = qobject_cast<QWidget *>(watched);
        if (editor && view_->editorKey(editor, static_cast<QKeyEvent *>(event))) return true;
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

} // namespace vek
