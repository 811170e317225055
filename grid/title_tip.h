// CTitleTip: borderless pop-up that shows the whole text of a cell whose
// text is cut off, over the cell, while the mouse rests there.
#pragma once

#include <QFont>
#include <QPalette>
#include <QWidget>

namespace vek {

class CTitleTip : public QWidget {
    Q_OBJECT

  public:
    explicit CTitleTip(QWidget *owner);
    // Show text over cellRect (global coordinates) in the given font.
    void showTip(const QRect &cellRect, const QString &text, const QFont &font, Qt::Alignment align);
    const QString &text() const { return m_text; }
    QRect cellRect() const { return m_cellRect; }

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;

  private:
    static QPalette tipPalette();
    // Hide and pass the mouse event to the widget under the cursor.
    void forward(QEvent *event, const QPointF &globalPos);

    QWidget *m_owner;
    QString m_text;
    QRect m_cellRect;
    Qt::Alignment m_align;
};

} // namespace vek
