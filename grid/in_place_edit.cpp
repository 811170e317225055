// CInPlaceEdit: the edit box over a cell; ends the grid's edit on the keys
// and focus loss that finish an edit.
#include "grid/in_place_edit.h"

#include "grid/grid_ctrl.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <algorithm>

namespace vek {

CInPlaceEdit::CInPlaceEdit(CGridCtrl *grid, const QRect &cellRect, const QString &text, bool byChar)
    : QLineEdit(grid->viewport()), m_grid(grid), m_cellRect(cellRect), m_byChar(byChar) {
    setFrame(false);
    setFont(grid->font());
    setTextMargins(2, 0, 2, 0);
    setGeometry(cellRect.adjusted(1, 1, -1, -1));
    setText(text);
    connect(this, &QLineEdit::textChanged, this, &CInPlaceEdit::growToText);
    growToText();
}

// Widens the box as the text grows, up to the right edge of the grid.
void CInPlaceEdit::growToText() {
    const int need = fontMetrics().horizontalAdvance(text()) + 12;
    const int maxWidth = std::max(m_cellRect.width() - 2, m_grid->viewport()->width() - x());
    const int w = std::clamp(need, m_cellRect.width() - 2, maxWidth);
    if (w != width()) resize(w, height());
}

bool CInPlaceEdit::event(QEvent *event) {
    // Tab ends the edit rather than moving the focus to another control.
    if (event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) {
            keyPressEvent(ke);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CInPlaceEdit::keyPressEvent(QKeyEvent *event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool leaves = m_byChar || ctrl; // arrows and Page keys end the edit
    using End = CGridCtrl::EditEnd;
    switch (event->key()) {
    case Qt::Key_Escape:
        m_grid->endEditing(End::Cancel);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_grid->endEditing(End::Enter);
        return;
    case Qt::Key_Tab:
        m_grid->endEditing((event->modifiers() & Qt::ShiftModifier) ? End::BackTab : End::Tab);
        return;
    case Qt::Key_Backtab:
        m_grid->endEditing(End::BackTab);
        return;
    case Qt::Key_Up:
        if (leaves) {
            m_grid->endEditing(End::Up);
            return;
        }
        break;
    case Qt::Key_Down:
        if (leaves) {
            m_grid->endEditing(End::Down);
            return;
        }
        break;
    case Qt::Key_Left:
        if (leaves) {
            m_grid->endEditing(End::Left);
            return;
        }
        break;
    case Qt::Key_Right:
        if (leaves) {
            m_grid->endEditing(End::Right);
            return;
        }
        break;
    case Qt::Key_PageUp:
        if (leaves) {
            m_grid->endEditing(End::PageUp);
            return;
        }
        break;
    case Qt::Key_PageDown:
        if (leaves) {
            m_grid->endEditing(End::PageDown);
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
    // Keys the box ignores (Up and Down when they do not end the edit) must
    // not reach the grid and move its focus under the open box.
    event->accept();
}

void CInPlaceEdit::focusOutEvent(QFocusEvent *event) {
    QLineEdit::focusOutEvent(event);
    // The box's own context menu takes the focus for a moment, and a window
    // that loses activation (or is being torn down) gives it back later: the
    // edit goes on in both cases.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) return;
    if (m_grid->inPlaceEdit() == this) m_grid->endEditing(CGridCtrl::EditEnd::Commit);
}

} // namespace vek
