// CGridCtrl: drawing of the cells and headers, and what follows size, font,
// palette and scroll changes.
#include "grid/grid_ctrl.h"
#include "grid/grid_ctrl_p.h"

#include "grid/in_place_edit.h"

#include <QEvent>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>

#include <algorithm>

namespace vek {

using namespace grid_detail;

namespace {
// A colour between two palette colours; t = 0 gives a, 1 gives b.
QColor blend(const QColor &a, const QColor &b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}
} // namespace

// ---- Drawing ----------------------------------------------------------------

void CGridCtrl::drawCell(QPainter &p, int row, int col, const QRect &r) const {
    const CGridCell &c = m_cells[row][col];
    const QPalette &pal = palette();
    const bool fixed = isCellFixed(row, col);
    const bool focus = m_focus == CCellID(row, col);
    const bool selected = (m_selection.contains(row, col) || (c.state & GVIS_DROPHILITED)) && !focus;
    const bool highlighted = row == m_highlightRow;
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
            // The highlighted row: part way to the selection colour, so that
            // a selection inside it still shows.
            p.fillRect(r, highlighted ? blend(pal.color(QPalette::Base), pal.color(QPalette::Highlight), 0.35)
                                      : pal.color(QPalette::Base));
            if (isColumnClickable(col))
                fg = pal.color(QPalette::Link);
            else if (c.state & GVIS_READONLY)
                fg = pal.color(QPalette::Disabled, QPalette::Text);
            else
                fg = pal.color(QPalette::Text);
        }
        if (c.mark != CellMark::None && !selected) {
            // A marked value: its background tinted towards red (refused) or
            // amber (looks wrong), and a corner flag in the full colour.
            const QColor flag = c.mark == CellMark::Refused ? QColor(0xd3, 0x2f, 0x2f) : QColor(0xf5, 0xa6, 0x23);
            p.fillRect(r, blend(pal.color(QPalette::Base), flag, 0.3));
            const int n = std::max(4, r.height() / 3);
            p.setPen(Qt::NoPen);
            p.setBrush(flag);
            p.drawPolygon(QPolygon({QPoint(r.right() - n, r.top()), QPoint(r.right(), r.top()),
                                    QPoint(r.right(), r.top() + n)}));
            p.setBrush(Qt::NoBrush);
        }
        // Grid lines a quarter of the way from the cell background to the text:
        // faint in a light palette and in a dark one alike.
        p.setPen(blend(pal.color(QPalette::Base), pal.color(QPalette::Text), 0.25));
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

} // namespace vek
