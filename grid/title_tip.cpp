// CTitleTip: shows a cut-off cell text in full over the cell.
#include "grid/title_tip.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWindow>

namespace vek {

namespace {
constexpr int kTipMargin = 3;
}

CTitleTip::CTitleTip(QWidget *owner)
    : QWidget(nullptr,
              Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput),
      m_owner(owner) {
    // The mouse goes straight through to the grid where the platform allows
    // it, so a double click on a cut-off cell still edits it; elsewhere the
    // tip hands its mouse events on itself.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);
    setPalette(tipPalette());
}

QPalette CTitleTip::tipPalette() {
    QPalette pal = QApplication::palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    return pal;
}

void CTitleTip::showTip(const QRect &cellRect, const QString &text, const QFont &font, Qt::Alignment align) {
    m_text = text;
    m_cellRect = cellRect;
    m_align = align;
    setFont(font);
    const int w = std::max(cellRect.width(), fontMetrics().horizontalAdvance(text) + 2 * kTipMargin + 2);
    setGeometry(cellRect.x(), cellRect.y(), w, cellRect.height());
    show();
    raise();
    update();
}

void CTitleTip::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    // The whole text shows, so horizontal alignment no longer matters.
    p.drawText(rect().adjusted(kTipMargin, 0, -kTipMargin, 0), Qt::AlignLeft | (m_align & Qt::AlignVertical_Mask),
               m_text);
}

void CTitleTip::forward(QEvent *event, const QPointF &globalPos) {
    hide();
    QWidget *target = QApplication::widgetAt(globalPos.toPoint());
    if (!target) target = m_owner;
    if (!target) return;
    if (event->type() == QEvent::Wheel) {
        auto *we = static_cast<QWheelEvent *>(event);
        QWheelEvent copy(target->mapFromGlobal(globalPos), globalPos, we->pixelDelta(), we->angleDelta(), we->buttons(),
                         we->modifiers(), we->phase(), we->inverted());
        QApplication::sendEvent(target, &copy);
        return;
    }
    auto *me = static_cast<QMouseEvent *>(event);
    QMouseEvent copy(me->type(), target->mapFromGlobal(globalPos), globalPos, me->button(), me->buttons(),
                     me->modifiers());
    QApplication::sendEvent(target, &copy);
}

void CTitleTip::mousePressEvent(QMouseEvent *event) { forward(event, event->globalPosition()); }
void CTitleTip::mouseReleaseEvent(QMouseEvent *event) { forward(event, event->globalPosition()); }
void CTitleTip::mouseDoubleClickEvent(QMouseEvent *event) { forward(event, event->globalPosition()); }
void CTitleTip::wheelEvent(QWheelEvent *event) { forward(event, event->globalPosition()); }

void CTitleTip::mouseMoveEvent(QMouseEvent *event) {
    if (!m_cellRect.contains(event->globalPosition().toPoint())) forward(event, event->globalPosition());
}

void CTitleTip::leaveEvent(QEvent *) { hide(); }

} // namespace vek
