// The Map window of a model input document: its map (MapView) with a choice
// of what colours the points (average depletion from a run of the model in
// this process, depletion factor, share of a chosen reach), fit and export,
// and a line that names the selected location and its shares. It follows the
// document's changes; a click on a point asks the form to select that
// location.
#pragma once

#include <QPointer>
#include <QWidget>

#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

namespace vek {

class CVEKViewDoc;
class MapView;

class MapWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MapWindow(CVEKViewDoc *doc, QWidget *parent = nullptr);

    MapView *view() const { return view_; }
    QComboBox *colourList() const { return colourBy_; }
    QComboBox *reachList() const { return reach_; }
    QLabel *statusLine() const { return status_; }
    QPushButton *exportButton() const { return export_; }

    // The document's model drawn again, the selection kept.
    void refresh();
    // Selects a location (as the form does); the map shows its shares.
    void selectLocation(int location);
    // Each location's average yearly depletion or accretion from a run of the
    // model in this process (NaN for a location left out of the run), or
    // what keeps the model from running.
    static std::vector<double> averageDepletions(CVEKViewDoc &doc, QString *problem);
    // Asks for a file and exports the map to it.
    void exportMap();

  signals:
    void locationChosen(int location);

  private:
    void recolour();
    void describeSelection();

    QPointer<CVEKViewDoc> doc_;
    MapView *view_;
    QComboBox *colourBy_;
    QComboBox *reach_;
    QPushButton *export_;
    QLabel *status_;
    std::vector<double> averages_;
    bool averagesKnown_ = false;
};

} // namespace vek
