// CGridCtrl: table model, layout, drawing, keyboard and mouse handling,
// in-place editing and clipboard text of the grid control.
#include "grid/grid_ctrl.h"

#include "grid/in_place_edit.h"
#include "grid/title_tip.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWheelEvent>
#include <algorithm>

namespace vek {

namespace {
constexpr int kMargin = 3;        // text inset inside a cell
constexpr int kBorderSlop = 3;    // pixels either side of a header border that grab it
constexpr int kAutoScrollMs = 50; // drag-selection scroll pace
constexpr unsigned kDerivedBits = GVIS_FOCUSED | GVIS_SELECTED | GVIS_FIXED | GVIS_FIXEDROW | GVIS_FIXEDCOL;
const QColor kGridLine(0xC0, 0xC0, 0xC0);
} // namespace

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

QString CGridCtrl::GetItemText(int row, int col) const {
    const CGridCell *c = cell(row, col);
    return c ? c->text : QString();
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

// ---- Drawing ----------------------------------------------------------------

void CGridCtrl::drawCell(QPainter &p, int row, int col, const QRect &r) const {
    const CGridCell &c = m_cells[row][col];
    const QPalette &pal = palette();
    const bool fixed = isCellFixed(row, col);
    const bool focus = m_focus == CCellID(row, col);
    const bool selected = (m_selection.contains(row, col) || (c.state & GVIS_DROPHILITED)) && !focus;
    QColor fg;
    if (fixed) {
        // Header cells look like buttons: face, light top-left, dark bottom-right.
        p.fillRect(r, pal.color(QPalette::Button));
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(r.topLeft(), r.topRight() - QPoint(1, 0));
        p.drawLine(r.topLeft(), r.bottomLeft() - QPoint(0, 1));
        p.setPen(pal.color(QPalette::Dark));
        p.drawLine(r.topRight(), r.bottomRight());
        p.drawLine(r.bottomLeft(), r.bottomRight());
        fg = pal.color(QPalette::ButtonText);
    } else {
        if (selected) {
            p.fillRect(r, pal.color(hasFocus() || m_edit ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
            fg = pal.color(QPalette::HighlightedText);
        } else {
            p.fillRect(r, pal.color(QPalette::Base));
            fg = (c.state & GVIS_READONLY) ? pal.color(QPalette::Disabled, QPalette::Text) : pal.color(QPalette::Text);
        }
        p.setPen(kGridLine);
        p.drawLine(r.topRight(), r.bottomRight());
        p.drawLine(r.bottomLeft(), r.bottomRight());
    }
    if (!c.text.isEmpty()) {
        p.setPen(fg);
        const QRect tr = r.adjusted(kMargin, 0, -kMargin - 1, -1);
        p.drawText(tr, int(itemFormat(row, col)) | Qt::TextSingleLine, c.text);
    }
    if (focus) {
        QPen pen(pal.color(QPalette::WindowText));
        pen.setWidth(2);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(1, 1, -1, -1));
    }
}

void CGridCtrl::paintEvent(QPaintEvent *) {
    QPainter p(viewport());
    const QSize vp = viewport()->size();
    const int fw = fixedWidth();
    const int fh = fixedHeight();
    p.fillRect(QRect(QPoint(0, 0), vp), palette().color(QPalette::Window));

    // Visible row and column spans with their positions.
    auto spans = [](const std::vector<int> &sizes, int fixedCount, int scroll, int limit, int fixedExtent) {
        std::vector<std::pair<int, int>> out; // index, position
        int pos = 0;
        for (int i = 0; i < static_cast<int>(sizes.size()); ++i) {
            if (i == fixedCount) pos = fixedExtent - scroll;
            if (sizes[i] > 0 && pos + sizes[i] > (i < fixedCount ? 0 : fixedExtent) && pos < limit)
                out.emplace_back(i, pos);
            pos += sizes[i];
            if (i >= fixedCount && pos >= limit) break;
        }
        return out;
    };
    const auto cols = spans(m_colWidths, m_fixedCols, scrollX(), vp.width(), fw);
    const auto rows = spans(m_rowHeights, m_fixedRows, scrollY(), vp.height(), fh);

    // Scrolled cells first, then headers over them.
    for (int pass = 0; pass < 4; ++pass) {
        const bool fixedRowPass = pass == 1 || pass == 3;
        const bool fixedColPass = pass == 2 || pass == 3;
        QRect clip(fixedColPass ? 0 : fw, fixedRowPass ? 0 : fh, fixedColPass ? fw : vp.width() - fw,
                   fixedRowPass ? fh : vp.height() - fh);
        if (clip.isEmpty()) continue;
        p.setClipRect(clip);
        for (const auto &[r, y] : rows) {
            if ((r < m_fixedRows) != fixedRowPass) continue;
            for (const auto &[c, x] : cols) {
                if ((c < m_fixedCols) != fixedColPass) continue;
                drawCell(p, r, c, QRect(x, y, m_colWidths[c], m_rowHeights[r]));
            }
        }
    }
}

void CGridCtrl::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CGridCtrl::scrollContentsBy(int, int) {
    hideTitleTip();
    if (m_edit) m_edit->move(cellRect(m_editCell.row, m_editCell.col).topLeft());
    viewport()->update();
}

void CGridCtrl::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange) {
        // Rows still at the old default follow the new font.
        const int old = m_defaultRowHeight;
        m_defaultRowHeight = fontMetrics().height() + 2 * kMargin;
        for (int &h : m_rowHeights)
            if (h == old) h = m_defaultRowHeight;
        updateScrollBars();
    }
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::StyleChange)
        viewport()->update();
    QAbstractScrollArea::changeEvent(event);
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

// ---- Editing ----------------------------------------------------------------

bool CGridCtrl::isEditing() const { return !m_edit.isNull(); }

CInPlaceEdit *CGridCtrl::inPlaceEdit() const { return m_edit.data(); }

bool CGridCtrl::editCell(int row, int col, const QString &initialChar) {
    return startEdit(row, col, initialChar, !initialChar.isEmpty());
}

bool CGridCtrl::startEdit(int row, int col, const QString &initialChar, bool exitOnArrows) {
    if (m_ending) return false;
    if (m_edit) {
        if (m_editCell == CCellID(row, col)) return true;
        endEditing(EditEnd::Commit);
    }
    if (!isCellEditable(row, col) || m_rowHeights[row] == 0 || m_colWidths[col] == 0) return false;
    QPointer<CGridCtrl> self(this);
    if (!(m_focus == CCellID(row, col))) {
        setFocusCell(row, col);
        if (!self) return false;
        selectOnly(m_focus);
        if (!self) return false;
    }
    ensureVisible(row, col);
    const QString old = GetItemText(row, col);
    sendNotify(GVN_BEGINLABELEDIT, row, col);
    emit beginLabelEdit(row, col, old);
    // The owner may have reshaped the table or started something else.
    if (!self || m_edit || !isCellEditable(row, col)) return false;
    m_editCell = CCellID(row, col);
    m_editOldText = GetItemText(row, col);
    m_editByChar = exitOnArrows;
    const QString start = initialChar.isEmpty() ? m_editOldText : initialChar;
    m_edit = new CInPlaceEdit(this, cellRect(row, col), start, exitOnArrows);
    if (initialChar.isEmpty())
        m_edit->selectAll();
    else
        m_edit->deselect();
    m_edit->show();
    m_edit->setFocus(Qt::OtherFocusReason);
    return true;
}

void CGridCtrl::endEditing(EditEnd how) {
    if (!m_edit || m_ending) return;
    m_ending = true;
    const CCellID c = m_editCell;
    const QString text = how == EditEnd::Cancel ? m_editOldText : m_edit->text();
    const bool hadFocus = m_edit->hasFocus();
    CInPlaceEdit *edit = m_edit;
    m_edit = nullptr;
    m_editCell = CCellID();
    // Take the focus back before the box goes: hiding a focused box would
    // hand the focus to the next control, whose focus-loss handlers (the
    // form's year fields) would then run for nothing.
    if (hadFocus) setFocus(Qt::OtherFocusReason);
    edit->hide();
    edit->deleteLater();
    QPointer<CGridCtrl> self(this);
    if (isValid(c)) {
        CGridCell &cl = m_cells[c.row][c.col];
        if (cl.text != text) {
            cl.text = text;
            cl.state |= GVIS_MODIFIED;
        }
        viewport()->update();
        sendNotify(GVN_ENDLABELEDIT, c.row, c.col);
    }
    if (!self) return;
    m_ending = false;
    if (!isValid(c) || m_edit) return;

    int key = 0;
    switch (how) {
    case EditEnd::Enter:
        key = Qt::Key_Down;
        break;
    case EditEnd::Tab:
        key = Qt::Key_Tab;
        break;
    case EditEnd::BackTab:
        key = Qt::Key_Backtab;
        break;
    case EditEnd::Up:
        key = Qt::Key_Up;
        break;
    case EditEnd::Down:
        key = Qt::Key_Down;
        break;
    case EditEnd::Left:
        key = Qt::Key_Left;
        break;
    case EditEnd::Right:
        key = Qt::Key_Right;
        break;
    case EditEnd::PageUp:
        key = Qt::Key_PageUp;
        break;
    case EditEnd::PageDown:
        key = Qt::Key_PageDown;
        break;
    default:
        return;
    }
    // Move from the edited cell even if the owner moved the focus meanwhile.
    if (!(m_focus == c) && !isCellFixed(c.row, c.col)) m_focus = c;
    const CCellID target = moveTarget(key, Qt::NoModifier);
    if (!target.isValid() || target == c) return; // nowhere to go: the edit simply ends
    moveFocusTo(target, false);
    if (!self || !(m_focus == target)) return;
    // The next edit also ends on the arrow keys, so typing down a column
    // keeps going.
    startEdit(target.row, target.col, QString(), true);
}

// ---- Clipboard --------------------------------------------------------------

QString CGridCtrl::copyText() const {
    CCellRange r = m_selection;
    if (!r.isValid() || r.maxRow >= rowCount() || r.maxCol >= columnCount())
        r = CCellRange(0, 0, rowCount() - 1, columnCount() - 1);
    QString out;
    if (!r.isValid()) return out;
    bool firstRow = true;
    for (int row = r.minRow; row <= r.maxRow; ++row) {
        if (m_rowHeights[row] == 0) continue;
        if (!firstRow) out += QLatin1Char('\n');
        firstRow = false;
        bool firstCol = true;
        for (int col = r.minCol; col <= r.maxCol; ++col) {
            if (m_colWidths[col] == 0) continue;
            if (!firstCol) out += QLatin1Char('\t');
            firstCol = false;
            out += m_cells[row][col].text;
        }
    }
    return out;
}

void CGridCtrl::copy() {
    if (QClipboard *cb = QGuiApplication::clipboard()) cb->setText(copyText());
}

bool CGridCtrl::storeCellText(int row, int col, const QString &text) {
    if (!isCellEditable(row, col)) return false;
    QPointer<CGridCtrl> self(this);
    const QString old = GetItemText(row, col);
    sendNotify(GVN_BEGINLABELEDIT, row, col);
    emit beginLabelEdit(row, col, old);
    if (!self || !isCellEditable(row, col)) return false;
    CGridCell &c = m_cells[row][col];
    c.text = text;
    c.state |= GVIS_MODIFIED;
    viewport()->update(cellRect(row, col));
    sendNotify(GVN_ENDLABELEDIT, row, col);
    return self;
}

int CGridCtrl::pasteText(const QString &text) {
    if (!m_editable) return 0;
    endEditing(EditEnd::Commit);
    CCellID target = m_focus;
    if (!isValid(target)) target = m_selection.isValid() ? CCellID(m_selection.minRow, m_selection.minCol) : CCellID();
    if (!isValid(target) || text.isEmpty()) return 0; // an empty clipboard must not blank the focus cell
    // Hidden rows and columns take no fields, the first one included.
    while (target.row < rowCount() && m_rowHeights[target.row] == 0)
        ++target.row;
    while (target.col < columnCount() && m_colWidths[target.col] == 0)
        ++target.col;
    if (!isValid(target)) return 0;

    QStringList lines = text.split(QLatin1Char('\n'));
    // Text copied from a spreadsheet ends with a line feed; the empty line
    // after it is no row of data and must not blank the row below.
    if (lines.size() > 1 && lines.last().trimmed().isEmpty()) lines.removeLast();

    QPointer<CGridCtrl> self(this);
    int changed = 0;
    bool touchedSelection = false;
    int row = target.row;
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            // Next shown row, or stop: the rest falls outside the grid.
            int n = row + 1;
            while (n < rowCount() && m_rowHeights[n] == 0)
                ++n;
            if (n >= rowCount()) break;
            row = n;
        }
        const QStringList fields = lines[i].split(QRegularExpression(QStringLiteral("[\t,]")));
        int col = target.col;
        for (int j = 0; j < fields.size(); ++j) {
            if (j > 0) {
                int n = col + 1;
                while (n < columnCount() && m_colWidths[n] == 0)
                    ++n;
                if (n >= columnCount()) break;
                col = n;
            }
            if (!isCellEditable(row, col)) continue;
            touchedSelection = touchedSelection || m_selection.contains(row, col);
            if (storeCellText(row, col, fields[j].trimmed())) ++changed;
            if (!self) return changed;
            if (row >= rowCount() || col >= columnCount()) return changed; // the owner shrank the table meanwhile
        }
    }
    // Pasted cells lose their selected mark.
    if (touchedSelection) setSelectionInternal(CCellRange(), true);
    viewport()->update();
    return changed;
}

void CGridCtrl::paste() {
    QClipboard *cb = QGuiApplication::clipboard();
    if (!cb) return;
    pasteText(cb->text());
}

void CGridCtrl::cut() {
    if (!m_editable) return;
    endEditing(EditEnd::Commit);
    copy();
    const CCellRange r = m_selection;
    if (!r.isValid()) return;
    QPointer<CGridCtrl> self(this);
    for (int row = r.minRow; row <= r.maxRow && row < rowCount(); ++row)
        for (int col = r.minCol; col <= r.maxCol && col < columnCount(); ++col) {
            storeCellText(row, col, QString());
            if (!self) return;
        }
    viewport()->update();
}

void CGridCtrl::deleteFocusCell() {
    if (m_edit) return;
    if (isValid(m_focus)) storeCellText(m_focus.row, m_focus.col, QString());
}

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
        if (isValid(m_focus)) startEdit(m_focus.row, m_focus.col, t, true);
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
    // Hover: resize cursors over header borders, and the title tip.
    if (hitColumnBorder(pos) >= 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else if (hitRowBorder(pos) >= 0)
        viewport()->setCursor(Qt::SplitVCursor);
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
