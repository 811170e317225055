// The map view (see map_view.h).
#include "editor/map_view.h"

#include "common/numbers.h"
#include "common/safe_save.h"
#include "geo/apportioner.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGraphicsEllipseItem>
#include <QGraphicsItemGroup>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QMouseEvent>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vek {

namespace {

constexpr int kLocationRole = 0; // item data: the location's index
const QColor kReachColour(43, 108, 176);
const QColor kShareColour(176, 38, 38);
const QColor kNoValue(200, 200, 200);

QPointF scenePoint(MapPoint p) { return {p.x, -p.y}; } // north up

// Five stops of a perceptually even ramp, low to high.
QColor ramp(double t) {
    static const QColor stops[] = {QColor(68, 1, 84), QColor(59, 82, 139), QColor(33, 145, 140), QColor(94, 201, 98),
                                   QColor(253, 231, 37)};
    t = std::clamp(t, 0.0, 1.0) * 4.0;
    const int i = std::min(3, static_cast<int>(t));
    const double f = t - i;
    const QColor &a = stops[i], &b = stops[i + 1];
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * f),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * f),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * f));
}

// 1, 2 or 5 times a power of ten, at most `limit`.
double niceBelow(double limit) {
    const double p = std::pow(10.0, std::floor(std::log10(limit)));
    for (double m : {5.0, 2.0, 1.0})
        if (m * p <= limit) return m * p;
    return p;
}

QGraphicsSimpleTextItem *label(QGraphicsItem *parent, const QString &text, QPointF at, const QColor &colour) {
    auto *t = new QGraphicsSimpleTextItem(text, parent);
    t->setBrush(colour);
    t->setPos(at);
    t->setFlag(QGraphicsItem::ItemIgnoresTransformations);
    return t;
}

} // namespace

MapView::MapView(QWidget *parent) : QGraphicsView(parent), scene_(new QGraphicsScene(this)) {
    setScene(scene_);
    setRenderHint(QPainter::Antialiasing);
    setDragMode(QGraphicsView::ScrollHandDrag);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate); // the overlays move with the view
    setBackgroundBrush(QColor(250, 250, 246));
    setAccessibleName(QStringLiteral("Map"));
    setAccessibleDescription(QStringLiteral("Stream reaches as lines and locations as points; click a point to "
                                            "select its location"));
}

void MapView::showModel(const ModelInput &model) {
    model_ = model;
    if (selected_ >= static_cast<int>(model_.locations.size())) selected_ = -1;
    rebuild();
}

void MapView::setColouring(MapColouring colouring, int reach, const std::vector<double> &averages) {
    colouring_ = colouring;
    reach_ = reach;
    averages_ = averages;
    drawPoints();
    viewport()->update();
}

void MapView::setSelected(int location) {
    if (location == selected_) return;
    selected_ = location;
    drawPoints();
    drawShares();
}

void MapView::rebuild() {
    scene_->clear();
    points_ = shares_ = nullptr;
    QPen pen(kReachColour, 2.5);
    pen.setCosmetic(true);
    for (const StreamReach &r : model_.network.reaches) {
        QPainterPath path;
        const MapLine *longest = nullptr;
        for (const MapLine &line : r.lines) {
            path.moveTo(scenePoint(line.front()));
            for (std::size_t i = 1; i < line.size(); ++i)
                path.lineTo(scenePoint(line[i]));
            if (!longest || line.size() > longest->size()) longest = &line;
        }
        auto *item = scene_->addPath(path, pen);
        item->setToolTip(QString::fromStdString(r.name));
        if (longest)
            label(item, QString::fromStdString(r.name), scenePoint((*longest)[longest->size() / 2]), kReachColour);
    }
    drawPoints();
    drawShares();
    QRectF all = scene_->itemsBoundingRect();
    all.adjust(-0.05 * all.width() - 1, -0.05 * all.height() - 1, 0.05 * all.width() + 1, 0.05 * all.height() + 1);
    scene_->setSceneRect(all);
}

void MapView::drawPoints() {
    delete points_;
    points_ = new QGraphicsItemGroup;
    points_->setHandlesChildEvents(false);
    scene_->addItem(points_);
    const std::size_t n = model_.locations.size();
    values_.assign(n, std::numeric_limits<double>::quiet_NaN());
    for (std::size_t i = 0; i < n; ++i) {
        const Location &loc = model_.locations[i];
        if (colouring_ == MapColouring::Factor) values_[i] = loc.VEK;
        if (colouring_ == MapColouring::AverageDepletion && i < averages_.size()) values_[i] = std::fabs(averages_[i]);
        if (colouring_ == MapColouring::ShareOfReach) {
            values_[i] = loc.onMap.shares.empty() ? values_[i] : 0.0;
            for (const ReachShare &s : loc.onMap.shares)
                if (s.reach == reach_) values_[i] = s.fraction;
        }
    }
    low_ = std::numeric_limits<double>::infinity();
    high_ = -low_;
    for (double v : values_)
        if (!std::isnan(v)) low_ = std::min(low_, v), high_ = std::max(high_, v);
    if (colouring_ == MapColouring::ShareOfReach) low_ = 0.0, high_ = 1.0;
    for (std::size_t i = 0; i < n; ++i) {
        const Location &loc = model_.locations[i];
        if (!loc.onMap.position) continue;
        const bool chosen = static_cast<int>(i) == selected_;
        const double r = chosen ? 7.0 : 5.0;
        QAbstractGraphicsShapeItem *item =
            loc.isWell()
                ? static_cast<QAbstractGraphicsShapeItem *>(new QGraphicsEllipseItem(-r, -r, 2 * r, 2 * r, points_))
                : new QGraphicsRectItem(-r, -r, 2 * r, 2 * r, points_);
        item->setPos(scenePoint(*loc.onMap.position));
        item->setFlag(QGraphicsItem::ItemIgnoresTransformations);
        item->setBrush(colourOf(values_[i]));
        QPen pen(chosen ? Qt::black : QColor(60, 60, 60), chosen ? 2.5 : 1.0);
        pen.setCosmetic(true);
        item->setPen(pen);
        item->setData(kLocationRole, static_cast<int>(i));
        item->setZValue(chosen ? 3 : 2);
        item->setToolTip(
            QString::fromStdString(loc.name) +
            (std::isnan(values_[i]) ? QString() : QStringLiteral(": ") + QString::fromStdString(formatG(values_[i]))));
    }
}

void MapView::drawShares() {
    delete shares_;
    shares_ = nullptr;
    if (selected_ < 0 || selected_ >= static_cast<int>(model_.locations.size())) return;
    const Location &loc = model_.locations[static_cast<std::size_t>(selected_)];
    if (!loc.onMap.position || loc.onMap.shares.empty() || !geo::mapSupport()) return;
    shares_ = new QGraphicsItemGroup;
    scene_->addItem(shares_);
    shares_->setZValue(1);
    const auto nearest = geo::Apportioner(model_.network).nearestPoints(*loc.onMap.position);
    QPen pen(kShareColour, 1.5, Qt::DashLine);
    pen.setCosmetic(true);
    const QPointF from = scenePoint(*loc.onMap.position);
    for (const ReachShare &s : loc.onMap.shares) {
        const auto &to = nearest[static_cast<std::size_t>(s.reach)];
        if (!to) continue;
        auto *line = new QGraphicsLineItem(QLineF(from, scenePoint(*to)), shares_);
        line->setPen(pen);
        label(shares_, QString::number(s.fraction, 'f', 3), (from + scenePoint(*to)) / 2.0, kShareColour);
    }
}

QColor MapView::colourOf(double value) const {
    if (std::isnan(value)) return kNoValue;
    return ramp(high_ > low_ ? (value - low_) / (high_ - low_) : 1.0);
}

QPointF MapView::pointOf(int location) const {
    const auto &p = model_.locations.at(static_cast<std::size_t>(location)).onMap.position;
    return p ? scenePoint(*p) : QPointF();
}

void MapView::fitAll() { fitInView(scene_->sceneRect(), Qt::KeepAspectRatio); }

void MapView::wheelEvent(QWheelEvent *event) {
    const double factor = std::pow(1.15, event->angleDelta().y() / 120.0);
    scale(factor, factor);
    event->accept();
}

void MapView::mousePressEvent(QMouseEvent *event) {
    pressedAt_ = event->pos();
    QGraphicsView::mousePressEvent(event);
}

void MapView::mouseReleaseEvent(QMouseEvent *event) {
    QGraphicsView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || (event->pos() - pressedAt_).manhattanLength() > 4) return;
    for (QGraphicsItem *item : items(event->pos())) {
        const QVariant v = item->data(kLocationRole);
        if (!v.isValid()) continue;
        setSelected(v.toInt());
        emit locationClicked(v.toInt());
        return;
    }
}

double MapView::scaleBarLength() const {
    const double perUnit = transform().m11(); // pixels a map unit
    if (!(perUnit > 0.0)) return 0.0;
    const bool metres = model_.network.unit == LengthUnit::Metres;
    const double big = metres ? 1000.0 : 5280.0; // a kilometre, a mile
    const double want = 150.0 / perUnit;         // map units in at most 150 pixels
    return want >= big ? niceBelow(want / big) * big : niceBelow(want);
}

QString MapView::scaleBarLabel() const {
    const double len = scaleBarLength();
    const bool metres = model_.network.unit == LengthUnit::Metres;
    const double big = metres ? 1000.0 : 5280.0;
    if (len >= big) return QString::fromStdString(formatG(len / big)) + (metres ? " km" : " mi");
    return QString::fromStdString(formatG(len)) + (metres ? " m" : " ft");
}

void MapView::drawForeground(QPainter *painter, const QRectF &) {
    painter->save();
    painter->resetTransform();
    painter->setRenderHint(QPainter::Antialiasing);
    drawScaleBar(*painter);
    drawNorthArrow(*painter);
    drawKey(*painter);
    painter->restore();
}

void MapView::drawScaleBar(QPainter &p) const {
    const double len = scaleBarLength();
    if (len <= 0.0) return;
    const int px = static_cast<int>(std::lround(len * transform().m11()));
    const int x = 16, y = viewport()->height() - 20;
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(x, y, x + px, y);
    p.drawLine(x, y - 5, x, y + 5);
    p.drawLine(x + px, y - 5, x + px, y + 5);
    p.drawText(QRect(x, y - 22, px, 16), Qt::AlignCenter, scaleBarLabel());
}

void MapView::drawNorthArrow(QPainter &p) const {
    const int x = viewport()->width() - 30, y = 20;
    QPainterPath arrow;
    arrow.moveTo(x, y);
    arrow.lineTo(x + 9, y + 28);
    arrow.lineTo(x, y + 21);
    arrow.lineTo(x - 9, y + 28);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::black);
    p.drawPath(arrow);
    p.drawText(QRect(x - 10, y + 30, 20, 16), Qt::AlignCenter, QStringLiteral("N"));
}

void MapView::drawKey(QPainter &p) const {
    if (!(high_ >= low_)) return;
    const QString titles[] = {QStringLiteral("Average depletion or accretion (acre-feet a year)"),
                              QStringLiteral("Depletion factor (days)"), QStringLiteral("Share of the reach")};
    const int x = 12, y = 12, w = 160, h = 10;
    QLinearGradient g(x, 0, x + w, 0);
    for (int k = 0; k <= 4; ++k)
        g.setColorAt(k / 4.0, ramp(k / 4.0));
    p.setPen(Qt::black);
    p.drawText(x, y + 10, titles[static_cast<int>(colouring_)]);
    p.fillRect(x, y + 16, w, h, g);
    p.drawRect(x, y + 16, w, h);
    p.drawText(QRect(x - 30, y + 28, 60, 14), Qt::AlignCenter, QString::fromStdString(formatG(low_)));
    p.drawText(QRect(x + w - 30, y + 28, 60, 14), Qt::AlignCenter, QString::fromStdString(formatG(high_)));
}

bool MapView::exportTo(const QString &path, QString *error) {
    auto fail = [&](const QString &why) {
        if (error) *error = why;
        return false;
    };
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QString cannotDraw = QStringLiteral("Unable to write %1: the map could not be drawn as %2.").arg(path);
    QPainter p;
    if (suffix == QLatin1String("pdf")) {
        QPdfWriter writer(&out);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setTitle(windowTitle());
        if (!p.begin(&writer)) return fail(cannotDraw.arg(QStringLiteral("PDF")));
        render(&p, QRectF(0, 0, writer.width(), writer.height()), viewport()->rect(), Qt::KeepAspectRatio);
        p.end();
    } else if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&out);
        svg.setSize(viewport()->size());
        svg.setViewBox(viewport()->rect());
        svg.setTitle(windowTitle());
        if (!p.begin(&svg)) return fail(cannotDraw.arg(QStringLiteral("SVG")));
        render(&p, QRectF(), viewport()->rect());
        p.end();
    } else {
        QImage image(viewport()->size() * 2, QImage::Format_ARGB32);
        image.setDevicePixelRatio(2.0);
        image.fill(Qt::white);
        if (!p.begin(&image)) return fail(cannotDraw.arg(QStringLiteral("PNG")));
        render(&p, QRectF(), viewport()->rect());
        p.end();
        if (!image.save(&out, "PNG")) return fail(cannotDraw.arg(QStringLiteral("PNG")));
    }
    out.close();
    std::string why;
    if (!saveFile(path.toStdString(), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                  &why))
        return fail(QString::fromStdString(why));
    return true;
}

} // namespace vek
