// AboutDialog: the About box and the program's picture.
#include "editor/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace vek {

QPixmap AboutDialog::programPixmap(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 64.0;
    p.scale(s, s);
    // Rounded tile with sky and ground.
    QPainterPath tile;
    tile.addRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    p.setClipPath(tile);
    QLinearGradient sky(0, 0, 0, 40);
    sky.setColorAt(0, QColor(0x9c, 0xd3, 0xf5));
    sky.setColorAt(1, QColor(0xe3, 0xf3, 0xfc));
    p.fillRect(QRectF(0, 0, 64, 64), sky);
    QPainterPath ground;
    ground.moveTo(0, 34);
    ground.cubicTo(18, 28, 40, 40, 64, 32);
    ground.lineTo(64, 64);
    ground.lineTo(0, 64);
    ground.closeSubpath();
    p.fillPath(ground, QColor(0x7d, 0xa4, 0x53));
    // The stream winding down the valley.
    QPainterPath stream;
    stream.moveTo(26, 36);
    stream.cubicTo(34, 44, 12, 50, 22, 64);
    stream.lineTo(40, 64);
    stream.cubicTo(28, 52, 48, 44, 32, 35);
    stream.closeSubpath();
    p.fillPath(stream, QColor(0x1f, 0x6f, 0xc5));
    // The well: a pump house with a pipe to the aquifer.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8a, 0x4b, 0x2a));
    p.drawRect(QRectF(44, 24, 10, 10));
    QPolygonF roof;
    roof << QPointF(42, 25) << QPointF(49, 18) << QPointF(56, 25);
    p.setBrush(QColor(0xb0, 0x2e, 0x26));
    p.drawPolygon(roof);
    p.setPen(QPen(QColor(0x44, 0x44, 0x44), 2));
    p.drawLine(QPointF(49, 34), QPointF(49, 56));
    // A falling depletion curve across the sky.
    p.setPen(QPen(QColor(0xd9, 0x53, 0x1e), 2.5, Qt::SolidLine, Qt::RoundCap));
    QPainterPath curve;
    curve.moveTo(6, 10);
    curve.cubicTo(14, 10, 18, 24, 36, 26);
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setClipping(false);
    p.setPen(QPen(QColor(0x33, 0x55, 0x77), 1.5));
    p.drawPath(tile);
    return pm;
}

QIcon AboutDialog::programIcon() {
    QIcon icon;
    for (int s : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(programPixmap(s));
    return icon;
}

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent) {
    setObjectName("AboutDialog");
    setWindowTitle("About VEKView");
    auto *picture = new QLabel(this);
    // Drawn for the screen's pixel ratio, so it stays sharp when scaled.
    const qreal ratio = devicePixelRatioF();
    QPixmap pm = programPixmap(qRound(64 * ratio));
    pm.setDevicePixelRatio(ratio);
    picture->setPixmap(pm);
    auto *text = new QLabel("VEKView 1.2.8", this);
    text->setObjectName("versionText");
    QFont f = text->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    text->setFont(f);
    auto *sub = new QLabel("Stream depletion and accretion by the depletion-factor method", this);
    sub->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *texts = new QVBoxLayout;
    texts->addWidget(text);
    texts->addWidget(sub);
    texts->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto *main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(buttons);
    setMinimumWidth(360);
}

} // namespace vek
