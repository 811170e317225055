// The map of a model: its stream reaches as lines and its located wells and
// recharge sites as points on a Qt graphics scene, the points coloured by a
// chosen quantity, the selected location's shares drawn as lines to the
// reaches it depletes, with a scale bar, a north arrow and the colour key
// drawn over the view. Wheel zooms at the cursor, dragging pans, a click on
// a point selects its location. No tiles and no network: the model's own
// coordinates only.
#pragma once

#include "model/model_input.h"

#include <QGraphicsView>

#include <vector>

class QGraphicsScene;
class QGraphicsItemGroup;

namespace vek {

enum class MapColouring { AverageDepletion, Factor, ShareOfReach };

class MapView : public QGraphicsView {
    Q_OBJECT
  public:
    explicit MapView(QWidget *parent = nullptr);

    // Draws the model again (it is read, not kept).
    void showModel(const ModelInput &model);
    // What the points are coloured by; `reach` for the share of a reach.
    // `averages` holds each location's average yearly depletion or accretion
    // (NaN: not known).
    void setColouring(MapColouring colouring, int reach, const std::vector<double> &averages);
    void setSelected(int location);
    int selected() const { return selected_; }
    // The whole map in view.
    void fitAll();
    // The view as a picture: .png, .svg or .pdf by the name's extension.
    // False with the reason when it cannot be written.
    bool exportTo(const QString &path, QString *error);

    // The scale bar's length in map units and its label ("2 km"), for the
    // current zoom; and the points' values and colour range as drawn.
    double scaleBarLength() const;
    QString scaleBarLabel() const;
    const std::vector<double> &values() const { return values_; }
    // The scene position of a location's point (for tests and the tool tip).
    QPointF pointOf(int location) const;

  signals:
    void locationClicked(int location);

  protected:
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;

  private:
    void rebuild();
    void drawPoints();
    void drawShares();
    void drawScaleBar(QPainter &p) const;
    void drawNorthArrow(QPainter &p) const;
    void drawKey(QPainter &p) const;
    QColor colourOf(double value) const;

    ModelInput model_;
    MapColouring colouring_ = MapColouring::Factor;
    int reach_ = -1;
    std::vector<double> averages_;
    std::vector<double> values_; // per location, NaN where none
    double low_ = 0.0, high_ = 1.0;
    int selected_ = -1;
    QGraphicsScene *scene_;
    QGraphicsItemGroup *points_ = nullptr;
    QGraphicsItemGroup *shares_ = nullptr;
    QPoint pressedAt_;
};

} // namespace vek
