// GraphView: one top-level graph window drawn with Qt Charts. The output view
// prepares every number, label and title; this window copies them and only
// draws. A graph's look (colours, line styles, markers, legend place) can be
// kept in a small "<graphName>.gsp" text file that the window loads when it
// exists and writes from its menu.
#pragma once

#include <QColor>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QChart;
class QChartView;

namespace vek {

struct GraphData;

// Look of a graph, as kept in a ".gsp" file. Unknown keys are ignored on read
// so that older programs can open newer files.
struct GraphStyleSettings {
    QColor background;                // invalid: the desktop palette's (light or dark)
    QString legendPosition{"bottom"}; // top, bottom, left, right, none
    bool markers = false;             // a dot on every point
    int lineWidth = 2;
    bool antialiasing = true;
    struct Series {
        QColor color; // invalid: the theme's colour
        Qt::PenStyle style = Qt::SolidLine;
    };
    std::vector<Series> series;

    // Reads "key = value" lines; false (with a reason) when the file cannot be
    // read. Bad values are skipped with a note in warnings, never fatal.
    bool load(const QString &path, QString *error = nullptr, QStringList *warnings = nullptr);
    bool save(const QString &path, QString *error = nullptr) const;
};

// The numbers handed to the chart when it is built, kept so that callers and
// tests can see what was drawn.
struct GraphBuildState {
    int numPoints = 0;
    int numSeries = 0;
    int graphType = 0;
    int graphStyle = 0;
    double yMin = 0.0, yMax = 0.0; // the y range used
    int xTicks = 0;
    int gridValue = 0;  // 2: a vertical grid line per point, +1: horizontal grid lines
    int labelEvery = 0; // 0 until the first build has computed it
    bool legendShown = true;
    QString title;       // as drawn (with " -- legend" for a single series)
    QStringList labels;  // x-axis labels, one per point
    QStringList legends; // empty when no legend is drawn
    bool settingsFileLoaded = false;
    int builds = 0;
};

class GraphView : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr double kNotGiven = -10000.0;

    explicit GraphView(QWidget *parent = nullptr);
    ~GraphView() override;

    // Sizes of the data; all values 0, all extra values = extra, all texts empty.
    void setup(int sets, int series, int points, int labels, int extra);
    // caption (or the title when empty), titles, and the settings base name.
    void setTitles(const QString &title, const QString &bottomTitle, const QString &leftTitle, const QString &caption,
                   const QString &name);

    int graphType = 6;
    int graphStyle = 5;
    int numSets = 1;
    int numSeries = 0;
    int numPoints = 0;
    int numLabels = 0;
    std::vector<std::vector<std::vector<double>>> data;          // [set][series][point]
    std::vector<std::vector<std::vector<int>>> extra;            // [set][series][point]
    std::vector<QString> legend;                                 // [series]
    std::vector<QString> labels;                                 // [point]
    std::vector<QString> caption, title, bottomTitle, leftTitle; // [set]
    QString graphName;
    double yMin = kNotGiven;
    double yMax = kNotGiven;
    int xTicks = 0;
    int labelEvery = 0;
    int gridByPointCount = 1;
    int gridPlusOne = 1;
    int background = 15;
    int legendPosition = 6;
    int currentSet = 0;

    // A window filled from prepared graph data (not shown yet). Points a
    // series has no value for hold the no-data value and are not drawn.
    static GraphView *fromData(const GraphData &g, QWidget *parent = nullptr);

    // Creates the chart and places the window at 0,0 with 800 x 600, then
    // shows it. Call once after the data are in.
    void createWindow();
    // Rebuilds the chart from the data (also done after every resize).
    void buildChart();

    // Screen area the placements are computed from.
    int screenWidth = 0;
    int screenHeight = 0;

    QString settingsFileName() const { return graphName + ".gsp"; }
    GraphStyleSettings &style() { return style_; }
    const GraphBuildState &built() const { return built_; }
    QChart *chart() const { return chart_; }
    QChartView *chartView() const { return chartView_; }

    // Writes the look to "<graphName>.gsp" in the working directory.
    bool saveSettings(QString *error = nullptr);
    // Saves the drawing; the format follows the extension (.png, .pdf).
    bool saveImage(const QString &path, QString *error = nullptr);
    // Prints on the printer chosen in the print dialog.
    void print();

    // File dialog replacement for tests: returns the chosen path or empty.
    std::function<QString(const QString &title, const QString &filter)> chooseSaveFile;
    // Message box replacement for tests.
    std::function<void(const QString &)> showMessage;

  protected:
    void resizeEvent(QResizeEvent *e) override;

  private:
    void buildMenus();
    void message(const QString &text);
    void applyStyle();

    QChart *chart_ = nullptr;
    QChartView *chartView_ = nullptr;
    GraphStyleSettings style_;
    GraphBuildState built_;
    bool created_ = false;
    bool styleLoaded_ = false;
    std::vector<int> singleSeriesMarks_; // kept from the first build
};

} // namespace vek
