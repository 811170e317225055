// The table view with a spreadsheet's keys and clipboard (see
// spreadsheet_view.h).
#include "grid/spreadsheet_view.h"

#include "grid/cell_roles.h"
#include "grid/number_validator.h"
#include "grid/paste_rules.h"
#include "grid/table_delegate.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyleOptionHeader>
#include <QStylePainter>

#include <algorithm>
#include <array>

namespace vek {

namespace {

// Keys the table acts on itself, which must win over the window's shortcuts
// on the same keys (the Edit menu's) while the table has the focus.
bool isTableKey(const QKeyEvent *ke) {
    const Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::KeypadModifier;
    const int key = ke->key();
    if (ke->matches(QKeySequence::Copy) || ke->matches(QKeySequence::Paste) || ke->matches(QKeySequence::Cut) ||
        ke->matches(QKeySequence::SelectAll))
        return true;
    if (mods == Qt::ControlModifier) return key == Qt::Key_Insert || key == Qt::Key_Home || key == Qt::Key_End;
    if (mods == Qt::ShiftModifier) return key == Qt::Key_Insert;
    if (mods == Qt::NoModifier)
        return key == Qt::Key_Delete || key == Qt::Key_F2 || key == Qt::Key_Return || key == Qt::Key_Enter;
    return false;
}

} // namespace

SpreadsheetView::SpreadsheetView(QWidget *parent) : QTableView(parent), delegate_(new TableDelegate(this)) {
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setFocusPolicy(Qt::StrongFocus);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setMinimumSectionSize(fontMetrics().height());
    verticalHeader()->setDefaultSectionSize(defaultRowHeight());
    horizontalHeader()->setMinimumSectionSize(fontMetrics().averageCharWidth() * 2);
    // The corner over the row headers is a button of the view's own; it
    // shows the row headers' title.
    if ((corner_ = findChild<QAbstractButton *>())) corner_->installEventFilter(this);
}

int SpreadsheetView::defaultRowHeight() const { return fontMetrics().height() + 6; }

void SpreadsheetView::setCornerText(const QString &text) {
    cornerText_ = text;
    // The row headers are at least as wide as their title.
    QStyleOptionHeader opt;
    opt.initFrom(verticalHeader());
    opt.text = text;
    const QSize need = style()->sizeFromContents(QStyle::CT_HeaderSection, &opt, QSize(), verticalHeader());
    verticalHeader()->setMinimumWidth(need.width());
    if (corner_) corner_->update();
}

int SpreadsheetView::contentWidth(int column) const {
    const QAbstractItemModel *m = model();
    if (!m || column < 0 || column >= m->columnCount()) return 0;
    // Texts are weighed by the advances of their characters (a table lookup
    // for the common ones, no shaping), and the heaviest is measured whole:
    // a large table's column is sized without shaping every cell.
    const QFontMetrics fm = fontMetrics();
    std::array<int, 128> advance{};
    for (int c = 32; c < 127; ++c)
        advance[static_cast<size_t>(c)] = fm.horizontalAdvance(QChar(c));
    int heaviest = -1;
    QString heaviestText;
    for (int r = 0; r < m->rowCount(); ++r) {
        const QString text = m->index(r, column).data().toString();
        int weight = 0;
        for (QChar ch : text)
            weight +=
                ch.unicode() < 128 && advance[ch.unicode()] > 0 ? advance[ch.unicode()] : fm.horizontalAdvance(ch);
        if (weight > heaviest) {
            heaviest = weight;
            heaviestText = text;
        }
    }
    const int cells =
        heaviest < 0 ? 0 : std::max(heaviest, fm.horizontalAdvance(heaviestText)) + delegate_->textPadding();
    return std::max(horizontalHeader()->sectionSizeHint(column), cells);
}

bool SpreadsheetView::isEditable(const QModelIndex &index) const {
    return index.isValid() && (index.flags() & Qt::ItemIsEditable) && isEnabled() &&
           editTriggers() != QAbstractItemView::NoEditTriggers;
}

// ---- keys -------------------------------------------------------------------

bool SpreadsheetView::event(QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride && isTableKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QTableView::event(event);
}

QModelIndex SpreadsheetView::tabTarget(const QModelIndex &from, bool forward) const {
    const QAbstractItemModel *m = model();
    if (!m || !from.isValid()) return {};
    const int rows = m->rowCount(), cols = m->columnCount();
    const int step = forward ? 1 : -1;
    int r = from.row(), c = from.column();
    for (;;) {
        c += step;
        if (c < 0 || c >= cols) {
            c = forward ? 0 : cols - 1;
            r += step;
        }
        if (r < 0 || r >= rows) return {};
        if (!isRowHidden(r) && rowHeight(r) > 0 && !isColumnHidden(c) && columnWidth(c) > 0) return m->index(r, c);
    }
}

void SpreadsheetView::keyPressEvent(QKeyEvent *event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (event->matches(QKeySequence::Copy) || (mods == Qt::ControlModifier && key == Qt::Key_Insert)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::Paste) || (mods == Qt::ShiftModifier && key == Qt::Key_Insert)) {
        paste();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        cut();
        return;
    }
    const QModelIndex current = currentIndex();
    switch (key) {
    case Qt::Key_Delete:
        if (mods == Qt::NoModifier) {
            clearCell();
            return;
        }
        break;
    case Qt::Key_Space:
        // A cell that acts on a click is pressed from the keyboard as a
        // click would press it.
        if (mods == Qt::NoModifier && current.isValid() && current.data(ClickableRole).toBool()) {
            emit clicked(current);
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mods == Qt::NoModifier) {
            const QModelIndex below = moveCursor(QAbstractItemView::MoveDown, Qt::NoModifier);
            if (below.isValid()) selectionModel()->setCurrentIndex(below, QItemSelectionModel::ClearAndSelect);
            return;
        }
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        // Tab moves from cell to cell; past the last cell (or before the
        // first) it leaves the table for the next control.
        const bool forward = key == Qt::Key_Tab && !(mods & Qt::ShiftModifier);
        const QModelIndex next = current.isValid() ? tabTarget(current, forward) : QModelIndex();
        if (!next.isValid()) {
            event->ignore();
            return;
        }
        selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect);
        event->accept();
        return;
    }
    default:
        break;
    }
    // A character that cannot begin a number is refused in a numbers cell.
    const QString text = event->text();
    if (!(mods & (Qt::ControlModifier | Qt::AltModifier)) && !text.isEmpty() && text.at(0).isPrint() &&
        isEditable(current) && current.data(NumericRole).toBool() && !NumberValidator::mayBecomeNumber(text)) {
        emit numberRefused(current);
        return;
    }
    QTableView::keyPressEvent(event);
}

bool SpreadsheetView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) {
    const bool byChar = trigger == QAbstractItemView::AnyKeyPressed || nextEditByChar_;
    nextEditByChar_ = false;
    const bool started = QTableView::edit(index, trigger, event);
    if (started && editor_) editByChar_ = byChar;
    return started;
}

bool SpreadsheetView::editorKey(QWidget *editor, QKeyEvent *event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    // In an edit begun by typing, arrows and Page keys end it; in one begun
    // with F2 or a double click they move inside the text, unless with Ctrl.
    const bool leaves = editByChar_ || (mods & Qt::ControlModifier);
    bool tab = false, forward = true;
    CursorAction action = MoveDown;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        break;
    case Qt::Key_Tab:
        tab = true;
        forward = !(mods & Qt::ShiftModifier);
        break;
    case Qt::Key_Backtab:
        tab = true;
        forward = false;
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        if (!leaves) return false;
        static const std::pair<int, CursorAction> actions[] = {
            {Qt::Key_Up, MoveUp},       {Qt::Key_Down, MoveDown},     {Qt::Key_Left, MoveLeft},
            {Qt::Key_Right, MoveRight}, {Qt::Key_PageUp, MovePageUp}, {Qt::Key_PageDown, MovePageDown}};
        for (const auto &[k, a] : actions)
            if (k == event->key()) action = a;
        break;
    }
    default:
        return false;
    }
    if (editor != editor_) return false;
    const QPersistentModelIndex from = currentIndex();
    endEdit(true);
    if (!from.isValid() || currentIndex() != QModelIndex(from)) return true;
    const QModelIndex to = tab ? tabTarget(from, forward) : moveCursor(action, Qt::NoModifier);
    if (!to.isValid() || to == QModelIndex(from)) return true; // nowhere to go: the edit simply ends
    selectionModel()->setCurrentIndex(to, QItemSelectionModel::ClearAndSelect);
    // The next edit also ends on the arrow keys, so typing down a column
    // keeps going.
    if (isEditable(to)) {
        nextEditByChar_ = true;
        QTableView::edit(to);
    }
    return true;
}

void SpreadsheetView::endEdit(bool commit) {
    QPointer<QLineEdit> editor = editor_;
    if (!editor || state() != EditingState) return;
    if (commit) commitData(editor);
    if (editor) closeEditor(editor, commit ? QAbstractItemDelegate::NoHint : QAbstractItemDelegate::RevertModelCache);
    editor_ = nullptr;
}

// ---- clipboard ----------------------------------------------------------------

QString SpreadsheetView::copyText() const {
    const QAbstractItemModel *m = model();
    if (!m) return {};
    const auto rowShown = [this](int r) { return !isRowHidden(r) && rowHeight(r) > 0; };
    const auto colShown = [this](int c) { return !isColumnHidden(c) && columnWidth(c) > 0; };
    const QModelIndexList selected = selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
    QStringList lines;
    if (!selected.isEmpty()) {
        int r0 = m->rowCount(), r1 = -1, c0 = m->columnCount(), c1 = -1;
        for (const QModelIndex &i : selected) {
            r0 = std::min(r0, i.row());
            r1 = std::max(r1, i.row());
            c0 = std::min(c0, i.column());
            c1 = std::max(c1, i.column());
        }
        for (int r = r0; r <= r1; ++r) {
            if (!rowShown(r)) continue;
            QStringList fields;
            for (int c = c0; c <= c1; ++c)
                if (colShown(c)) fields << m->index(r, c).data().toString();
            lines << fields.join(QLatin1Char('\t'));
        }
        return lines.join(QLatin1Char('\n'));
    }
    // Nothing selected: the whole table, headers included.
    const bool rowHeaders = !verticalHeader()->isHidden();
    QStringList head;
    if (rowHeaders) head << cornerText_;
    for (int c = 0; c < m->columnCount(); ++c)
        if (colShown(c)) head << m->headerData(c, Qt::Horizontal).toString();
    lines << head.join(QLatin1Char('\t'));
    for (int r = 0; r < m->rowCount(); ++r) {
        if (!rowShown(r)) continue;
        QStringList fields;
        if (rowHeaders) fields << m->headerData(r, Qt::Vertical).toString();
        for (int c = 0; c < m->columnCount(); ++c)
            if (colShown(c)) fields << m->index(r, c).data().toString();
        lines << fields.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
}

void SpreadsheetView::copy() {
    if (QClipboard *cb = QGuiApplication::clipboard()) cb->setText(copyText());
}

void SpreadsheetView::changeMany(const QString &what, const std::function<void()> &apply) {
    if (batch_)
        batch_(what, apply);
    else
        apply();
}

int SpreadsheetView::pasteText(const QString &text) {
    QAbstractItemModel *m = model();
    if (!m || !isEnabled() || editTriggers() == QAbstractItemView::NoEditTriggers) return 0;
    endEdit(true);
    QModelIndex target = currentIndex();
    if (!target.isValid() && selectionModel()->hasSelection()) {
        const QItemSelectionRange first = selectionModel()->selection().first();
        target = m->index(first.top(), first.left());
    }
    if (!target.isValid() || text.isEmpty()) return 0; // an empty clipboard must not blank the cell
    std::vector<int> rows, cols;
    for (int r = target.row(); r < m->rowCount(); ++r)
        if (!isRowHidden(r) && rowHeight(r) > 0) rows.push_back(r);
    for (int c = target.column(); c < m->columnCount(); ++c)
        if (!isColumnHidden(c) && columnWidth(c) > 0) cols.push_back(c);
    const PastePlan plan = planPaste(text, rows, cols);
    int changed = 0, notNumbers = 0;
    bool touchedSelection = false;
    changeMany(QStringLiteral("Paste into"), [&] {
        for (const PasteCell &cell : plan.cells) {
            if (cell.row >= m->rowCount() || cell.col >= m->columnCount()) break; // the table shrank meanwhile
            const QModelIndex index = m->index(cell.row, cell.col);
            if (!isEditable(index)) continue;
            QString value = cell.text;
            if (index.data(NumericRole).toBool()) {
                if (!value.isEmpty() && !NumberValidator::isNumberText(value)) {
                    ++notNumbers; // left as it is, and reported below
                    continue;
                }
                value = NumberValidator::numberWithPoint(value);
            }
            touchedSelection = touchedSelection || selectionModel()->isSelected(index);
            if (m->setData(index, value, Qt::EditRole)) ++changed;
        }
    });
    // Pasted cells lose their selected mark.
    if (touchedSelection) selectionModel()->clearSelection();
    if (notNumbers > 0) emit pasteSkippedNonNumbers(notNumbers);
    if (plan.clipped > 0) emit pasteClipped(plan.clipped);
    return changed;
}

void SpreadsheetView::paste() {
    if (QClipboard *cb = QGuiApplication::clipboard()) pasteText(cb->text());
}

void SpreadsheetView::cut() {
    QAbstractItemModel *m = model();
    if (!m || !isEnabled() || editTriggers() == QAbstractItemView::NoEditTriggers) return;
    endEdit(true);
    copy();
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return;
    std::vector<QPersistentModelIndex> cells(selected.begin(), selected.end());
    changeMany(QStringLiteral("Cut from"), [&] {
        for (const QPersistentModelIndex &i : cells)
            if (isEditable(i)) m->setData(i, QString(), Qt::EditRole);
    });
}

void SpreadsheetView::clearCell() {
    const QModelIndex current = currentIndex();
    if (!isEditing() && isEditable(current)) model()->setData(current, QString(), Qt::EditRole);
}

// ---- look -----------------------------------------------------------------------

void SpreadsheetView::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange) {
        // Rows follow the new font.
        verticalHeader()->setMinimumSectionSize(fontMetrics().height());
        verticalHeader()->setDefaultSectionSize(defaultRowHeight());
        setCornerText(cornerText_);
    }
    QTableView::changeEvent(event);
}

bool SpreadsheetView::eventFilter(QObject *watched, QEvent *event) {
    if (watched == corner_ && event->type() == QEvent::Paint) {
        paintCorner(corner_);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void SpreadsheetView::paintCorner(QWidget *corner) {
    QStyleOptionHeader opt;
    opt.initFrom(corner);
    opt.rect = corner->rect();
    opt.position = QStyleOptionHeader::OnlyOneSection;
    opt.orientation = Qt::Horizontal;
    opt.text = cornerText_;
    opt.textAlignment = Qt::AlignCenter;
    opt.state |= QStyle::State_Raised;
    QStylePainter painter(corner);
    painter.drawControl(QStyle::CE_Header, opt);
}

} // namespace vek
