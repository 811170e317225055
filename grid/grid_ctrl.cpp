// CGridCtrl: table model, sizes, layout, focus, selection and movement of
// the grid control. Painting, keyboard and mouse input, and editing with the
// clipboard live in grid_paint.cpp, grid_input.cpp and grid_edit.cpp.
#include "grid/grid_ctrl.h"
#include "grid/grid_ctrl_p.h"

#include "grid/in_place_edit.h"
#include "grid/title_tip.h"

#include <QApplication>
#include <QScrollBar>
#include <algorithm>

namespace vek {

using namespace grid_detail;

CGridCtrl::CGridCtrl(QWidget *parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
    m_defaultRowHeight = fontMetrics().height() + 2 * kMargin;
    m_defaultColWidth = std::max(64, fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

CGridCtrl::CGridCtrl(const QRect &rect, QWidget *parent, int id) : CGridCtrl(parent) {
    m_id = id;
    setGeometry(rect);
}

CGridCtrl::~CGridCtrl() {
    // An edit box outliving this part of the grid would call back into it
    // when it loses the focus; its text has nowhere to go now.
    m_ending = true;
    delete m_edit.data();
    // The tip is a top-level window: it would outlive the grid otherwise.
    delete m_tip.data();
}

// ---- Table model ------------------------------------------------------------

bool CGridCtrl::isValid(int row, int col) const {
    return row >= 0 && col >= 0 && row < rowCount() && col < columnCount();
}

CGridCell *CGridCtrl::cell(int row, int col) { return isValid(row, col) ? &m_cells[row][col] : nullptr; }

const CGridCell *CGridCtrl::cell(int row, int col) const { return isValid(row, col) ? &m_cells[row][col] : nullptr; }

CGridCell CGridCtrl::makeCell(int, int) const { return CGridCell{}; }

// Fixed bits are derived from the position, nothing to store; kept as the
// one place to hook stored defaults should fixed cells ever need them.
void CGridCtrl::refreshFixedFlags() {}

void CGridCtrl::clampFocusAndSelection() {
    if (m_focus.isValid() && (!isValid(m_focus) || isCellFixed(m_focus.row, m_focus.col))) m_focus = CCellID();
    if (m_selectAnchor.isValid() && !isValid(m_selectAnchor)) m_selectAnchor = CCellID();
    if (m_selection.isValid()) {
        CCellRange r = m_selection;
        r.maxRow = std::min(r.maxRow, rowCount() - 1);
        r.maxCol = std::min(r.maxCol, columnCount() - 1);
        m_selection = r.isValid() ? r : CCellRange();
    }
    // An edit whose cell is gone has nowhere to store its text.
    if (m_edit && !isValid(m_editCell)) {
        const bool wasEnding = m_ending;
        m_ending = true;
        CInPlaceEdit *edit = m_edit;
        m_edit = nullptr;
        m_editCell = CCellID();
        if (edit->hasFocus()) setFocus(Qt::OtherFocusReason);
        edit->hide();
        edit->deleteLater();
        m_ending = wasEnding;
    }
}

bool CGridCtrl::setRowCount(int rows) {
    if (rows < 0) return false;
    m_cells.resize(rows, std::vector<CGridCell>(columnCount()));
    m_rowHeights.resize(rows, m_defaultRowHeight);
    m_fixedRows = std::min(m_fixedRows, rows);
    clampFocusAndSelection();
    updateScrollBars();
    viewport()->update();
    return true;
}

bool CGridCtrl::setColumnCount(int cols) {
    if (cols < 0) return false;
    for (auto &row : m_cells)
        row.resize(cols);
    m_colWidths.resize(cols, m_defaultColWidth);
    m_fixedCols = std::min(m_fixedCols, cols);
    clampFocusAndSelection();
    updateScrollBars();
    viewport()->update();
    return true;
}

bool CGridCtrl::setFixedRowCount(int rows) {
    if (rows < 0) return false;
    if (rows > rowCount()) setRowCount(rows);
    m_fixedRows = rows;
    clampFocusAndSelection();
    updateScrollBars();
    viewport()->update();
    return true;
}

bool CGridCtrl::setFixedColumnCount(int cols) {
    if (cols < 0) return false;
    if (cols > columnCount()) setColumnCount(cols);
    m_fixedCols = cols;
    clampFocusAndSelection();
    updateScrollBars();
    viewport()->update();
    return true;
}

int CGridCtrl::insertRow(const QString &text, int position) {
    if (columnCount() <= 0) return -1;
    if (position < 0 || position > rowCount()) position = rowCount();
    // Rows inserted among the fixed rows become fixed rows themselves.
    m_cells.insert(m_cells.begin() + position, std::vector<CGridCell>(columnCount()));
    m_rowHeights.insert(m_rowHeights.begin() + position, m_defaultRowHeight);
    if (position < m_fixedRows) ++m_fixedRows;
    m_cells[position][0].text = text;
    if (m_focus.isValid() && m_focus.row >= position) ++m_focus.row;
    if (m_selection.isValid() && m_selection.minRow >= position) {
        ++m_selection.minRow;
        ++m_selection.maxRow;
    }
    if (m_editCell.isValid() && m_editCell.row >= position) ++m_editCell.row;
    updateScrollBars();
    viewport()->update();
    return position;
}

bool CGridCtrl::deleteRow(int row) {
    if (row < 0 || row >= rowCount()) return false;
    if (m_edit && m_editCell.row == row)
        m_editCell = CCellID(); // dropped below by clampFocusAndSelection
    else if (m_editCell.row > row)
        --m_editCell.row;
    m_cells.erase(m_cells.begin() + row);
    m_rowHeights.erase(m_rowHeights.begin() + row);
    if (row < m_fixedRows) --m_fixedRows;
    if (m_focus.row == row)
        m_focus = CCellID();
    else if (m_focus.row > row)
        --m_focus.row;
    m_selection = CCellRange();
    clampFocusAndSelection();
    updateScrollBars();
    viewport()->update();
    return true;
}

void CGridCtrl::deleteNonFixedRows() { setRowCount(m_fixedRows); }

void CGridCtrl::deleteAllItems() {
    m_fixedRows = m_fixedCols = 0;
    m_cells.clear();
    m_rowHeights.clear();
    m_colWidths.clear();
    m_focus = CCellID();
    m_selection = CCellRange();
    clampFocusAndSelection();
    updateScrollBars();
    viewport()->update();
}

bool CGridCtrl::setItemText(int row, int col, const QString &text) {
    CGridCell *c = cell(row, col);
    if (!c) return false;
    c->text = text;
    viewport()->update(cellRect(row, col));
    return true;
}

QString CGridCtrl::itemText(int row, int col) const {
    const CGridCell *c = cell(row, col);
    return c ? c->text : QString();
}

bool CGridCtrl::setItemMark(int row, int col, CellMark mark, const QString &note) {
    CGridCell *c = cell(row, col);
    if (!c) return false;
    if (c->mark == mark && c->note == (mark == CellMark::None ? QString() : note)) return true;
    c->mark = mark;
    c->note = mark == CellMark::None ? QString() : note;
    viewport()->update(cellRect(row, col));
    return true;
}

CellMark CGridCtrl::itemMark(int row, int col) const {
    const CGridCell *c = cell(row, col);
    return c ? c->mark : CellMark::None;
}

QString CGridCtrl::itemNote(int row, int col) const {
    const CGridCell *c = cell(row, col);
    return c ? c->note : QString();
}

void CGridCtrl::clearMarks() {
    bool any = false;
    for (auto &row : m_cells)
        for (CGridCell &c : row)
            if (c.mark != CellMark::None) {
                c.mark = CellMark::None;
                c.note.clear();
                any = true;
            }
    if (any) viewport()->update();
}

bool CGridCtrl::setItemState(int row, int col, unsigned state) {
    CGridCell *c = cell(row, col);
    if (!c) return false;
    c->state = state & ~kDerivedBits;
    viewport()->update(cellRect(row, col));
    return true;
}

unsigned CGridCtrl::itemState(int row, int col) const {
    const CGridCell *c = cell(row, col);
    if (!c) return 0;
    unsigned s = c->state;
    if (row < m_fixedRows) s |= GVIS_FIXED | GVIS_FIXEDROW;
    if (col < m_fixedCols) s |= GVIS_FIXED | GVIS_FIXEDCOL;
    if (m_focus == CCellID(row, col)) s |= GVIS_FOCUSED;
    if (m_selection.contains(row, col)) s |= GVIS_SELECTED;
    return s;
}

bool CGridCtrl::setItemFormat(int row, int col, Qt::Alignment format) {
    CGridCell *c = cell(row, col);
    if (!c) return false;
    c->format = format;
    viewport()->update(cellRect(row, col));
    return true;
}

Qt::Alignment CGridCtrl::itemFormat(int row, int col) const {
    const CGridCell *c = cell(row, col);
    if (!c) return {};
    if (c->format) return c->format;
    return isCellFixed(row, col) ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter);
}

bool CGridCtrl::isCellFixed(int row, int col) const {
    return isValid(row, col) && (row < m_fixedRows || col < m_fixedCols);
}

bool CGridCtrl::isCellEditable(int row, int col) const {
    return m_editable && isValid(row, col) && !isCellFixed(row, col) && !(itemState(row, col) & GVIS_READONLY);
}

// ---- Sizes ------------------------------------------------------------------

bool CGridCtrl::setRowHeight(int row, int height) {
    if (row < 0 || row >= rowCount() || height < 0) return false;
    m_rowHeights[row] = height;
    updateScrollBars();
    viewport()->update();
    return true;
}

bool CGridCtrl::setColumnWidth(int col, int width) {
    if (col < 0 || col >= columnCount() || width < 0) return false;
    m_colWidths[col] = width;
    updateScrollBars();
    viewport()->update();
    return true;
}

int CGridCtrl::rowHeight(int row) const { return (row >= 0 && row < rowCount()) ? m_rowHeights[row] : -1; }

int CGridCtrl::columnWidth(int col) const { return (col >= 0 && col < columnCount()) ? m_colWidths[col] : -1; }

void CGridCtrl::setDefaultRowHeight(int height) {
    if (height >= 0) m_defaultRowHeight = height;
}

void CGridCtrl::setDefaultColumnWidth(int width) {
    if (width >= 0) m_defaultColWidth = width;
}

bool CGridCtrl::autoSizeColumn(int col) {
    if (col < 0 || col >= columnCount()) return false;
    if (m_colWidths[col] == 0) return true;
    const QFontMetrics fm = fontMetrics();
    int widest = fm.horizontalAdvance(QLatin1Char(' '));
    for (int r = 0; r < rowCount(); ++r)
        widest = std::max(widest, fm.horizontalAdvance(m_cells[r][col].text));
    m_colWidths[col] = widest + 2 * kMargin + 2;
    return true;
}

void CGridCtrl::autoSizeColumns() {
    for (int c = 0; c < columnCount(); ++c)
        autoSizeColumn(c);
    updateScrollBars();
    viewport()->update();
    if (m_edit) m_edit->move(cellRect(m_editCell.row, m_editCell.col).topLeft());
}

void CGridCtrl::autoSizeRows() {
    const QFontMetrics fm = fontMetrics();
    for (int r = 0; r < rowCount(); ++r) {
        if (m_rowHeights[r] == 0) continue;
        int tallest = fm.height();
        for (int c = 0; c < columnCount(); ++c)
            tallest = std::max(tallest, fm.boundingRect(QRect(0, 0, 100000, 100000), 0, m_cells[r][c].text).height());
        m_rowHeights[r] = tallest + 2 * kMargin;
    }
    updateScrollBars();
    viewport()->update();
}

int CGridCtrl::virtualWidth() const {
    int w = 0;
    for (int x : m_colWidths)
        w += x;
    return w;
}

int CGridCtrl::virtualHeight() const {
    int h = 0;
    for (int y : m_rowHeights)
        h += y;
    return h;
}

// ---- Layout -------------------------------------------------------------------

int CGridCtrl::fixedWidth() const {
    int w = 0;
    for (int c = 0; c < m_fixedCols; ++c)
        w += m_colWidths[c];
    return w;
}

int CGridCtrl::fixedHeight() const {
    int h = 0;
    for (int r = 0; r < m_fixedRows; ++r)
        h += m_rowHeights[r];
    return h;
}

int CGridCtrl::scrollX() const { return horizontalScrollBar()->value(); }
int CGridCtrl::scrollY() const { return verticalScrollBar()->value(); }

int CGridCtrl::columnLeft(int col) const {
    int x = 0;
    for (int c = 0; c < col; ++c)
        x += m_colWidths[c];
    return col < m_fixedCols ? x : x - scrollX();
}

int CGridCtrl::rowTop(int row) const {
    int y = 0;
    for (int r = 0; r < row; ++r)
        y += m_rowHeights[r];
    return row < m_fixedRows ? y : y - scrollY();
}

void CGridCtrl::updateScrollBars() {
    const QSize vp = viewport()->size();
    const int scrollW = std::max(0, vp.width() - fixedWidth());
    const int scrollH = std::max(0, vp.height() - fixedHeight());
    const int contentW = virtualWidth() - fixedWidth();
    const int contentH = virtualHeight() - fixedHeight();
    horizontalScrollBar()->setRange(0, std::max(0, contentW - scrollW));
    horizontalScrollBar()->setPageStep(std::max(1, scrollW));
    horizontalScrollBar()->setSingleStep(std::max(1, m_defaultColWidth / 4));
    verticalScrollBar()->setRange(0, std::max(0, contentH - scrollH));
    verticalScrollBar()->setPageStep(std::max(1, scrollH));
    verticalScrollBar()->setSingleStep(std::max(1, m_defaultRowHeight));
}

QRect CGridCtrl::cellRect(int row, int col) const {
    if (!isValid(row, col) || m_rowHeights[row] == 0 || m_colWidths[col] == 0) return QRect();
    return QRect(columnLeft(col), rowTop(row), m_colWidths[col], m_rowHeights[row]);
}

CCellID CGridCtrl::cellAt(const QPoint &pos) const {
    if (pos.x() < 0 || pos.y() < 0) return CCellID();
    const int fw = fixedWidth();
    const int fh = fixedHeight();
    int col = -1;
    int x = 0;
    for (int c = 0; c < columnCount(); ++c) {
        if (c == m_fixedCols) x = fw - scrollX();
        const int w = m_colWidths[c];
        // Scrolled columns hide under the fixed ones.
        if (w > 0 && pos.x() >= x && pos.x() < x + w && (c < m_fixedCols || pos.x() >= fw)) {
            col = c;
            break;
        }
        x += w;
    }
    int row = -1;
    int y = 0;
    for (int r = 0; r < rowCount(); ++r) {
        if (r == m_fixedRows) y = fh - scrollY();
        const int h = m_rowHeights[r];
        if (h > 0 && pos.y() >= y && pos.y() < y + h && (r < m_fixedRows || pos.y() >= fh)) {
            row = r;
            break;
        }
        y += h;
    }
    if (row < 0 || col < 0) return CCellID();
    return CCellID(row, col);
}

CCellID CGridCtrl::topLeftNonFixedCell() const {
    const CCellID c = cellAt(QPoint(fixedWidth(), fixedHeight()));
    if (c.isValid()) return c;
    return CCellID(firstVisibleRow(), firstVisibleCol());
}

void CGridCtrl::ensureVisible(int row, int col) {
    if (!isValid(row, col)) return;
    const QSize vp = viewport()->size();
    if (row >= m_fixedRows && m_rowHeights[row] > 0) {
        int top = 0;
        for (int r = m_fixedRows; r < row; ++r)
            top += m_rowHeights[r];
        const int avail = vp.height() - fixedHeight();
        int v = scrollY();
        if (top < v)
            v = top;
        else if (top + m_rowHeights[row] > v + avail)
            v = std::min(top, top + m_rowHeights[row] - avail);
        verticalScrollBar()->setValue(v);
    }
    if (col >= m_fixedCols && m_colWidths[col] > 0) {
        int left = 0;
        for (int c = m_fixedCols; c < col; ++c)
            left += m_colWidths[c];
        const int avail = vp.width() - fixedWidth();
        int h = scrollX();
        if (left < h)
            h = left;
        else if (left + m_colWidths[col] > h + avail)
            h = std::min(left, left + m_colWidths[col] - avail);
        horizontalScrollBar()->setValue(h);
    }
}

void CGridCtrl::refresh() {
    updateScrollBars();
    viewport()->update();
}

// ---- Rows and columns with a role -----------------------------------------

void CGridCtrl::setHighlightedRow(int row) {
    if (row == m_highlightRow) return;
    m_highlightRow = row;
    viewport()->update();
}

void CGridCtrl::setColumnClickable(int col, bool on) {
    if (on)
        m_clickableCols.insert(col);
    else
        m_clickableCols.erase(col);
    viewport()->update();
}

void CGridCtrl::setColumnNumeric(int col, bool on) {
    if (on)
        m_numericCols.insert(col);
    else
        m_numericCols.erase(col);
}

// ---- Focus and selection ----------------------------------------------------

void CGridCtrl::sendNotify(int code, int row, int col) {
    emit notify(code, row, col);
    switch (code) {
    case NM_CLICK:
        emit clicked(row, col);
        break;
    case NM_DBLCLK:
        emit doubleClicked(row, col);
        break;
    case NM_RCLICK:
        emit rightClicked(row, col);
        break;
    case GVN_SELCHANGING:
        emit focusChanging(row, col);
        break;
    case GVN_SELCHANGED:
        emit selectionChanged(row, col);
        break;
    case GVN_ENDLABELEDIT:
        emit endLabelEdit(row, col);
        break;
    case GVN_BEGINDRAG:
        emit beginDrag(row, col);
        break;
    default:
        break;
    }
}

void CGridCtrl::setFocusCell(int row, int col) {
    CCellID next(row, col);
    if (!isValid(next) || isCellFixed(row, col)) next = CCellID();
    if (next == m_focus) return;
    QPointer<CGridCtrl> self(this);
    if (next.isValid()) sendNotify(GVN_SELCHANGING, next.row, next.col);
    if (!self) return;
    if (next.isValid() && !isValid(next)) // the owner changed the table meanwhile
        return;
    m_focus = next;
    if (next.isValid()) ensureVisible(next.row, next.col);
    viewport()->update();
}

void CGridCtrl::setSelectionInternal(const CCellRange &range, bool notifyOwner) {
    CCellRange r = range;
    if (r.isValid()) {
        r.maxRow = std::min(r.maxRow, rowCount() - 1);
        r.maxCol = std::min(r.maxCol, columnCount() - 1);
        if (!r.isValid()) r = CCellRange();
    } else {
        r = CCellRange();
    }
    const bool changed = !(r == m_selection);
    m_selection = r;
    viewport()->update();
    if (changed && notifyOwner) sendNotify(GVN_SELCHANGED, m_focus.row, m_focus.col);
}

void CGridCtrl::applySelectionFlags() { viewport()->update(); }

void CGridCtrl::setSelectedRange(int minRow, int minCol, int maxRow, int maxCol) {
    setSelectionInternal(CCellRange(minRow, minCol, maxRow, maxCol), true);
}

void CGridCtrl::setSelectedRange(const CCellRange &range) { setSelectionInternal(range, true); }

void CGridCtrl::clearSelection() { setSelectionInternal(CCellRange(), true); }

bool CGridCtrl::isCellSelected(int row, int col) const { return m_selection.contains(row, col); }

int CGridCtrl::selectedCount() const {
    if (!m_selection.isValid()) return 0;
    return (m_selection.maxRow - m_selection.minRow + 1) * (m_selection.maxCol - m_selection.minCol + 1);
}

void CGridCtrl::selectOnly(const CCellID &c) {
    m_selectAnchor = c;
    setSelectionInternal(c.isValid() ? CCellRange(c.row, c.col, c.row, c.col) : CCellRange(), true);
}

void CGridCtrl::moveFocusTo(const CCellID &target, bool extendSelection) {
    if (!isValid(target)) return;
    QPointer<CGridCtrl> self(this);
    const CCellID anchor = m_selectAnchor.isValid() ? m_selectAnchor : m_focus;
    setFocusCell(target);
    if (!self || !(m_focus == target)) return;
    if (extendSelection && anchor.isValid()) {
        m_selectAnchor = anchor;
        setSelectionInternal(CCellRange(std::min(anchor.row, target.row), std::min(anchor.col, target.col),
                                        std::max(anchor.row, target.row), std::max(anchor.col, target.col)),
                             true);
    } else {
        selectOnly(target);
    }
}

void CGridCtrl::selectAll() {
    if (rowCount() <= m_fixedRows || columnCount() <= m_fixedCols) return;
    setSelectionInternal(CCellRange(m_fixedRows, m_fixedCols, rowCount() - 1, columnCount() - 1), true);
}

// ---- Movement -------------------------------------------------------------

int CGridCtrl::nextVisibleRow(int from, int dir) const {
    for (int r = from + dir; r >= m_fixedRows && r < rowCount(); r += dir)
        if (m_rowHeights[r] > 0) return r;
    return from;
}

int CGridCtrl::nextVisibleCol(int from, int dir) const {
    for (int c = from + dir; c >= m_fixedCols && c < columnCount(); c += dir)
        if (m_colWidths[c] > 0) return c;
    return from;
}

int CGridCtrl::firstVisibleRow() const {
    for (int r = m_fixedRows; r < rowCount(); ++r)
        if (m_rowHeights[r] > 0) return r;
    return -1;
}

int CGridCtrl::lastVisibleRow() const {
    for (int r = rowCount() - 1; r >= m_fixedRows; --r)
        if (m_rowHeights[r] > 0) return r;
    return -1;
}

int CGridCtrl::firstVisibleCol() const {
    for (int c = m_fixedCols; c < columnCount(); ++c)
        if (m_colWidths[c] > 0) return c;
    return -1;
}

int CGridCtrl::lastVisibleCol() const {
    for (int c = columnCount() - 1; c >= m_fixedCols; --c)
        if (m_colWidths[c] > 0) return c;
    return -1;
}

// Row one page away: as many rows as fit in the scrolled area.
int CGridCtrl::pageRows(int from, int dir) const {
    const int avail = std::max(1, viewport()->height() - fixedHeight());
    int r = from;
    int used = 0;
    while (true) {
        const int n = nextVisibleRow(r, dir);
        if (n == r) break;
        used += m_rowHeights[n];
        if (used > avail && r != from) break;
        r = n;
    }
    return r;
}

CCellID CGridCtrl::moveTarget(int key, Qt::KeyboardModifiers mods) const {
    const int r0 = firstVisibleRow(), r1 = lastVisibleRow();
    const int c0 = firstVisibleCol(), c1 = lastVisibleCol();
    if (r0 < 0 || c0 < 0) return CCellID();
    CCellID f = m_focus;
    if (!isValid(f) || isCellFixed(f.row, f.col)) return CCellID(r0, c0);
    const bool ctrl = mods & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Up:
        f.row = nextVisibleRow(f.row, -1);
        break;
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        f.row = nextVisibleRow(f.row, 1);
        break;
    case Qt::Key_Left:
        f.col = nextVisibleCol(f.col, -1);
        break;
    case Qt::Key_Right:
        f.col = nextVisibleCol(f.col, 1);
        break;
    case Qt::Key_Tab:
        if (f.col < c1) {
            f.col = nextVisibleCol(f.col, 1);
        } else if (f.row < r1) {
            f.row = nextVisibleRow(f.row, 1);
            f.col = c0;
        }
        break;
    case Qt::Key_Backtab:
        if (f.col > c0) {
            f.col = nextVisibleCol(f.col, -1);
        } else if (f.row > r0) {
            f.row = nextVisibleRow(f.row, -1);
            f.col = c1;
        }
        break;
    case Qt::Key_PageUp:
        f.row = pageRows(f.row, -1);
        break;
    case Qt::Key_PageDown:
        f.row = pageRows(f.row, 1);
        break;
    case Qt::Key_Home:
        f.col = c0;
        if (ctrl) f.row = r0;
        break;
    case Qt::Key_End:
        f.col = c1;
        if (ctrl) f.row = r1;
        break;
    default:
        break;
    }
    // A focus cell sitting on a hidden row/column moves onto a shown one.
    if (m_rowHeights[f.row] == 0)
        f.row = nextVisibleRow(f.row, 1) != f.row ? nextVisibleRow(f.row, 1) : nextVisibleRow(f.row, -1);
    if (m_colWidths[f.col] == 0)
        f.col = nextVisibleCol(f.col, 1) != f.col ? nextVisibleCol(f.col, 1) : nextVisibleCol(f.col, -1);
    return f;
}

} // namespace vek
