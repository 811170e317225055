// CGridCtrl: keyboard and mouse handling and the title tips of cut texts.
#include "grid/grid_ctrl.h"
#include "grid/grid_ctrl_p.h"

#include "grid/in_place_edit.h"
#include "grid/title_tip.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace vek {

using namespace grid_detail;

// ---- Keyboard -----------------------------------------------------------------

// True for the keys the grid acts on itself, which must win over window
// shortcuts bound to the same keys while the grid has the focus.
static bool isGridKey(const QKeyEvent *ke) {
    const Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::KeypadModifier;
    const int key = ke->key();
    if (mods == Qt::ControlModifier)
        return key == Qt::Key_C || key == Qt::Key_V || key == Qt::Key_X || key == Qt::Key_A || key == Qt::Key_Insert ||
               key == Qt::Key_Home || key == Qt::Key_End;
    if (mods == Qt::ShiftModifier && key == Qt::Key_Insert) return true;
    if (mods == Qt::NoModifier)
        return key == Qt::Key_Delete || key == Qt::Key_F2 || key == Qt::Key_Return || key == Qt::Key_Enter;
    return false;
}

bool CGridCtrl::event(QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride && isGridKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::ContextMenu) {
        // Right clicks reach the owner as rightClicked on release; the menu
        // key counts as a right click on the focus cell.
        if (static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard)
            sendNotify(NM_RCLICK, m_focus.row, m_focus.col);
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

bool CGridCtrl::focusNextPrevChild(bool next) {
    // Tab moves between cells; it leaves the grid only from the last cell
    // (see keyPressEvent).
    if (hasFocus() && rowCount() > m_fixedRows && columnCount() > m_fixedCols) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void CGridCtrl::keyPressEvent(QKeyEvent *event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const int key = event->key();

    if ((ctrl && key == Qt::Key_C) || (ctrl && key == Qt::Key_Insert)) {
        copy();
        return;
    }
    if ((ctrl && key == Qt::Key_V) || (shift && key == Qt::Key_Insert)) {
        paste();
        return;
    }
    if (ctrl && key == Qt::Key_X) {
        cut();
        return;
    }
    if (ctrl && key == Qt::Key_A) {
        selectAll();
        return;
    }

    switch (key) {
    case Qt::Key_F2:
        if (isValid(m_focus)) startEdit(m_focus.row, m_focus.col, QString(), false);
        return;
    case Qt::Key_Space:
        // A clickable cell (the owner's toggles) is pressed from the keyboard
        // as a click would press it.
        if (!mods && isValid(m_focus) && isColumnClickable(m_focus.col)) {
            sendNotify(NM_CLICK, m_focus.row, m_focus.col);
            return;
        }
        break;
    case Qt::Key_Delete:
        deleteFocusCell();
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        const CCellID t = moveTarget(key, mods);
        if (t == m_focus && isValid(m_focus)) {
            // Last (or first) cell: Tab passes on to the next control.
            QAbstractScrollArea::focusNextPrevChild(key == Qt::Key_Tab);
            return;
        }
        moveFocusTo(t, false);
        return;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const bool extend = shift && key != Qt::Key_Return && key != Qt::Key_Enter;
        moveFocusTo(moveTarget(key, mods), extend);
        return;
    }
    default:
        break;
    }

    // A printable character starts an edit with that character.
    const QString t = event->text();
    if (!ctrl && !(mods & Qt::AltModifier) && !t.isEmpty() && t.at(0).isPrint()) {
        if (!isValid(m_focus)) return;
        if (isColumnNumeric(m_focus.col) && isCellEditable(m_focus.row, m_focus.col) && !mayBecomeNumber(t)) {
            emit numberRefused(m_focus.row, m_focus.col);
            return;
        }
        startEdit(m_focus.row, m_focus.col, t, true);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CGridCtrl::hideEvent(QHideEvent *event) {
    hideTitleTip(); // a top-level window of its own: it would stay behind
    QAbstractScrollArea::hideEvent(event);
}

void CGridCtrl::focusOutEvent(QFocusEvent *event) {
    hideTitleTip();
    viewport()->update();
    QAbstractScrollArea::focusOutEvent(event);
}

// ---- Mouse ------------------------------------------------------------------

int CGridCtrl::hitColumnBorder(const QPoint &pos) const {
    if (pos.y() < 0 || pos.y() >= fixedHeight()) return -1;
    int best = -1;
    int x = 0;
    for (int c = 0; c < columnCount(); ++c) {
        if (c == m_fixedCols) x = fixedWidth() - scrollX();
        x += m_colWidths[c];
        if (c >= m_fixedCols && x < fixedWidth()) continue; // scrolled under the fixed columns
        if (std::abs(pos.x() - x) <= kBorderSlop && m_colWidths[c] > 0) best = c;
        if (x > pos.x() + kBorderSlop) break;
    }
    return best;
}

int CGridCtrl::hitRowBorder(const QPoint &pos) const {
    if (pos.x() < 0 || pos.x() >= fixedWidth()) return -1;
    int best = -1;
    int y = 0;
    for (int r = 0; r < rowCount(); ++r) {
        if (r == m_fixedRows) y = fixedHeight() - scrollY();
        y += m_rowHeights[r];
        if (r >= m_fixedRows && y < fixedHeight()) continue;
        if (std::abs(pos.y() - y) <= kBorderSlop && m_rowHeights[r] > 0) best = r;
        if (y > pos.y() + kBorderSlop) break;
    }
    return best;
}

void CGridCtrl::mousePressEvent(QMouseEvent *event) {
    hideTitleTip();
    endEditing(EditEnd::Commit);
    const QPoint pos = event->position().toPoint();
    m_lastMouse = pos;
    m_pressCell = cellAt(pos);
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);

    if (int c = hitColumnBorder(pos); c >= 0) {
        m_mouseMode = MouseMode::SizingColumn;
        m_sizingIndex = c;
        m_sizingStart = pos.x();
        m_sizingOrigSize = m_colWidths[c];
        return;
    }
    if (int r = hitRowBorder(pos); r >= 0) {
        m_mouseMode = MouseMode::SizingRow;
        m_sizingIndex = r;
        m_sizingStart = pos.y();
        m_sizingOrigSize = m_rowHeights[r];
        return;
    }
    const CCellID c = m_pressCell;
    if (!c.isValid()) {
        m_mouseMode = MouseMode::None;
        return;
    }
    QPointer<CGridCtrl> self(this);
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const int r0 = firstVisibleRow(), c0 = firstVisibleCol();
    if (c.row < m_fixedRows && c.col < m_fixedCols) {
        selectAll(); // the corner
        m_mouseMode = MouseMode::None;
        return;
    }
    if (c.row < m_fixedRows || c.col < m_fixedCols) {
        // A header selects its whole column or row.
        if (r0 < 0 || c0 < 0) return;
        const bool colHeader = c.row < m_fixedRows;
        const CCellID f = colHeader ? CCellID(r0, c.col) : CCellID(c.row, c0);
        CCellRange range = colHeader ? CCellRange(m_fixedRows, c.col, rowCount() - 1, c.col)
                                     : CCellRange(c.row, m_fixedCols, c.row, columnCount() - 1);
        if (shift && m_selectAnchor.isValid()) {
            if (colHeader) {
                range.minCol = std::min(c.col, m_selectAnchor.col);
                range.maxCol = std::max(c.col, m_selectAnchor.col);
            } else {
                range.minRow = std::min(c.row, m_selectAnchor.row);
                range.maxRow = std::max(c.row, m_selectAnchor.row);
            }
        } else {
            setFocusCell(f);
            if (!self) return;
            m_selectAnchor = f;
        }
        setSelectionInternal(range, true);
        m_mouseMode = MouseMode::None;
        return;
    }
    if (shift && isValid(m_selectAnchor)) {
        const CCellID anchor = m_selectAnchor;
        setSelectionInternal(CCellRange(std::min(anchor.row, c.row), std::min(anchor.col, c.col),
                                        std::max(anchor.row, c.row), std::max(anchor.col, c.col)),
                             true);
        m_mouseMode = MouseMode::Selecting;
        m_autoScroll.start(kAutoScrollMs, this);
        return;
    }
    if (m_selection.contains(c.row, c.col) && selectedCount() > 1) {
        // Maybe the start of a drag of the selection; decided on move/release.
        setFocusCell(c);
        m_mouseMode = MouseMode::PendingDrag;
        return;
    }
    setFocusCell(c);
    if (!self) return;
    selectOnly(c);
    m_mouseMode = MouseMode::Selecting;
    m_autoScroll.start(kAutoScrollMs, this);
}

void CGridCtrl::mouseMoveEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    m_lastMouse = pos;
    switch (m_mouseMode) {
    case MouseMode::SizingColumn:
        setColumnWidth(m_sizingIndex, std::max(0, m_sizingOrigSize + pos.x() - m_sizingStart));
        return;
    case MouseMode::SizingRow:
        setRowHeight(m_sizingIndex, std::max(0, m_sizingOrigSize + pos.y() - m_sizingStart));
        return;
    case MouseMode::PendingDrag:
        if (m_pressCell.isValid() && cellAt(pos) != m_pressCell) {
            QPointer<CGridCtrl> self(this);
            sendNotify(GVN_BEGINDRAG, m_pressCell.row, m_pressCell.col);
            if (!self) return;
            // Blocks are not dropped elsewhere: the drag goes on as a new
            // selection from the pressed cell.
            selectOnly(m_pressCell);
            m_mouseMode = MouseMode::Selecting;
            m_autoScroll.start(kAutoScrollMs, this);
            autoScrollStep();
        }
        return;
    case MouseMode::Selecting:
        autoScrollStep();
        return;
    case MouseMode::None:
        break;
    }
    // Hover: resize cursors over header borders, a pointing hand over cells
    // that act on a click, and the title tip.
    const CCellID over = cellAt(pos);
    if (hitColumnBorder(pos) >= 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else if (hitRowBorder(pos) >= 0)
        viewport()->setCursor(Qt::SplitVCursor);
    else if (over.isValid() && isColumnClickable(over.col) && !isCellFixed(over.row, over.col))
        viewport()->setCursor(Qt::PointingHandCursor);
    else
        viewport()->unsetCursor();
    if (!(event->buttons() & Qt::LeftButton)) updateTitleTip(pos);
}

// Extends the drag selection to the cell under the mouse, scrolling one step
// when the mouse is beyond the edges of the scrolled area.
void CGridCtrl::autoScrollStep() {
    if (m_mouseMode != MouseMode::Selecting || !isValid(m_selectAnchor)) return;
    const QPoint pos = m_lastMouse;
    const QSize vp = viewport()->size();
    if (pos.y() < fixedHeight())
        verticalScrollBar()->setValue(scrollY() - verticalScrollBar()->singleStep());
    else if (pos.y() >= vp.height())
        verticalScrollBar()->setValue(scrollY() + verticalScrollBar()->singleStep());
    if (pos.x() < fixedWidth())
        horizontalScrollBar()->setValue(scrollX() - horizontalScrollBar()->singleStep());
    else if (pos.x() >= vp.width())
        horizontalScrollBar()->setValue(scrollX() + horizontalScrollBar()->singleStep());

    // Clamp into the scrolled area and take the cell there.
    const QPoint p(std::clamp(pos.x(), fixedWidth(), std::max(fixedWidth(), vp.width() - 1)),
                   std::clamp(pos.y(), fixedHeight(), std::max(fixedHeight(), vp.height() - 1)));
    CCellID c = cellAt(p);
    if (!c.isValid()) {
        // Past the last row or column.
        c = CCellID(p.y() >= fixedHeight() ? lastVisibleRow() : firstVisibleRow(),
                    p.x() >= fixedWidth() ? lastVisibleCol() : firstVisibleCol());
        const CCellID byRow = cellAt(QPoint(fixedWidth(), p.y()));
        const CCellID byCol = cellAt(QPoint(p.x(), fixedHeight()));
        if (byRow.isValid()) c.row = byRow.row;
        if (byCol.isValid()) c.col = byCol.col;
        if (!isValid(c)) return;
    }
    const CCellID a = m_selectAnchor;
    setSelectionInternal(
        CCellRange(std::min(a.row, c.row), std::min(a.col, c.col), std::max(a.row, c.row), std::max(a.col, c.col)),
        true);
}

void CGridCtrl::timerEvent(QTimerEvent *event) {
    if (event->timerId() == m_autoScroll.timerId()) {
        const QSize vp = viewport()->size();
        const QPoint p = m_lastMouse;
        if (m_mouseMode == MouseMode::Selecting &&
            (p.x() < fixedWidth() || p.y() < fixedHeight() || p.x() >= vp.width() || p.y() >= vp.height()))
            autoScrollStep();
        else if (m_mouseMode != MouseMode::Selecting)
            m_autoScroll.stop();
        return;
    }
    QAbstractScrollArea::timerEvent(event);
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    const MouseMode mode = m_mouseMode;
    m_mouseMode = MouseMode::None;
    m_autoScroll.stop();
    const CCellID c = cellAt(pos);
    QPointer<CGridCtrl> self(this);
    if (event->button() == Qt::RightButton) {
        sendNotify(NM_RCLICK, c.row, c.col);
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    if (mode == MouseMode::SizingColumn || mode == MouseMode::SizingRow) {
        updateScrollBars();
        return;
    }
    if (mode == MouseMode::PendingDrag) {
        selectOnly(m_pressCell);
        if (!self) return;
    }
    if (c.isValid()) sendNotify(NM_CLICK, c.row, c.col);
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint pos = event->position().toPoint();
    if (int col = hitColumnBorder(pos); col >= 0) {
        autoSizeColumn(col);
        updateScrollBars();
        viewport()->update();
        return;
    }
    const CCellID c = cellAt(pos);
    if (!c.isValid()) return;
    QPointer<CGridCtrl> self(this);
    sendNotify(NM_DBLCLK, c.row, c.col);
    if (!self) return;
    m_mouseMode = MouseMode::None;
    m_autoScroll.stop();
    startEdit(c.row, c.col, QString(), false);
}

int CGridCtrl::wheelScrollLines() const { return std::max(1, QApplication::wheelScrollLines()); }

void CGridCtrl::wheelEvent(QWheelEvent *event) {
    hideTitleTip();
    const QPoint d = event->angleDelta();
    const int lines = wheelScrollLines();
    if (d.y() != 0) {
        const int step = d.y() * lines * std::max(1, m_defaultRowHeight) / 120;
        verticalScrollBar()->setValue(scrollY() - step);
    }
    if (d.x() != 0) {
        const int step = d.x() * lines * std::max(1, m_defaultColWidth / 4) / 120;
        horizontalScrollBar()->setValue(scrollX() - step);
    }
    event->accept();
}

void CGridCtrl::leaveEvent(QEvent *event) {
    viewport()->unsetCursor();
    QAbstractScrollArea::leaveEvent(event);
}

bool CGridCtrl::viewportEvent(QEvent *event) {
    if (event->type() == QEvent::Leave) {
        viewport()->unsetCursor();
        hideTitleTip();
    }
    if (event->type() == QEvent::ContextMenu) {
        event->accept(); // see event(): the owner hears rightClicked instead
        return true;
    }
    if (event->type() == QEvent::ToolTip) {
        // A marked cell says why it is marked.
        auto *help = static_cast<QHelpEvent *>(event);
        const CCellID c = cellAt(help->pos());
        const QString note = isValid(c) ? itemNote(c.row, c.col) : QString();
        if (note.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), note, viewport(), cellRect(c.row, c.col));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// ---- Title tips -----------------------------------------------------------------

void CGridCtrl::updateTitleTip(const QPoint &pos) {
    if (!m_titleTips || m_edit || !isVisible()) {
        hideTitleTip();
        return;
    }
    const CCellID c = cellAt(pos);
    if (!c.isValid()) {
        hideTitleTip();
        return;
    }
    const QString &text = m_cells[c.row][c.col].text;
    QRect r = cellRect(c.row, c.col);
    // Only the part of the cell that shows counts.
    r = r.intersected(viewport()->rect());
    const int need = fontMetrics().horizontalAdvance(text) + 2 * kMargin + 1;
    if (text.isEmpty() || need <= r.width()) {
        hideTitleTip();
        return;
    }
    if (!m_tip) m_tip = new CTitleTip(this);
    const QRect global(viewport()->mapToGlobal(r.topLeft()), r.size());
    if (m_tip->isVisible() && m_tip->cellRect() == global && m_tip->text() == text) return;
    m_tip->showTip(global, text, font(), itemFormat(c.row, c.col));
}

void CGridCtrl::hideTitleTip() {
    if (m_tip) m_tip->hide();
}

} // namespace vek
