// GraphView: one top-level graph window drawn with Qt Charts. The output view
// prepares every number, label and title as GraphData (results/graph_data.h);
// this window copies it and only draws it, in the look of its ".gsp" file
// (graph_style.h).
#pragma once

#include "results/graph_data.h"
#include "viewer/graph_style.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>

class QChart;
class QChartView;
class QPainter;
class QPrinter;

namespace vek {

// What was handed to the chart at its last build, kept so that callers and
// tests can see what was drawn.
struct GraphBuildState {
    int numPoints = 0;
    int numSeries = 0;
    double yMin = 0.0, yMax = 0.0; // the y range used
    int gridValue = 0;             // 2: a vertical grid line per point, +1: horizontal grid lines
    int labelEvery = 0;
    bool legendShown = true;
    QString title;       // as drawn
    QStringList labels;  // x-axis labels, one per point
    QStringList legends; // empty when no legend is drawn
    bool settingsFileLoaded = false;
    int builds = 0;
};

class GraphView : public QMainWindow {
    Q_OBJECT
  public:
    // A y limit at or below this is not given: the window takes it from the
    // data (0 at the bottom when every value is positive).
    static constexpr double kNotGiven = -10000.0;

    // A window for prepared graph data (not shown yet). Points a series has
    // no value for are not drawn.
    static GraphView *fromData(const GraphData &g, QWidget *parent = nullptr);
    ~GraphView() override;

    const GraphData &data() const { return data_; }

    // Where the window goes when it is created: its frame's top-left
    // corner (title bar included) and the size inside the frame. Without
    // it the window opens at 0,0 with 800 x 600.
    void place(const QPoint &frameTopLeft, const QSize &size);
    QPoint placedAt() const { return placedAt_; }
    // Loads the look file when there is one, builds the chart, places the
    // window and shows it. Call once.
    void createWindow();
    // Rebuilds the chart from the data and the look (after a look change;
    // a size change only lays the same chart out again).
    void buildChart();

    QString settingsFileName() const { return QString::fromStdString(data_.graphName) + ".gsp"; }
    GraphStyleSettings &style() { return style_; }
    const GraphBuildState &built() const { return built_; }
    QChart *chart() const { return chart_; }
    QChartView *chartView() const { return chartView_; }

    // Writes the look to "<graphName>.gsp" in the working directory.
    bool saveSettings(QString *error = nullptr);
    // Saves the drawing; the format follows the extension: .png, .svg, .pdf.
    bool saveImage(const QString &path, QString *error = nullptr);
    // Draws the graph on one landscape page of printer.
    void render(QPrinter *printer);
    // The print dialog (with Print to PDF), then prints.
    void print();
    // The print preview, from which the graph can be printed.
    void printPreview();

    // File dialog replacement for tests: returns the chosen path or empty.
    std::function<QString(const QString &title, const QString &filter)> chooseSaveFile;
    // Message box replacement for tests.
    std::function<void(const QString &)> showMessage;

  protected:
    // A graph without a background of its own follows a change of the
    // program's colours (View > Colors, or the desktop's).
    void changeEvent(QEvent *e) override;

  private:
    explicit GraphView(const GraphData &g, QWidget *parent);
    void buildMenus();
    void message(const QString &text);
    void renderTo(QPainter &painter, const QRectF &target);

    GraphData data_;
    QChart *chart_ = nullptr;
    QChartView *chartView_ = nullptr;
    GraphStyleSettings style_;
    GraphBuildState built_;
    bool created_ = false;
    bool styleLoaded_ = false;
    QPoint placedAt_{0, 0};
    QSize placedSize_{800, 600};
};

} // namespace vek
