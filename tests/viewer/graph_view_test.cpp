// Graph windows: what reaches the chart (points, labels, legends, titles, y
// range, grid numbers), the ".gsp" look file and the exported images.
#include "results/graph_data.h"
#include "support/fifo_reader.h"
#include "support/qt_test_app.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"
#include "viewer/graph_view.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>
#include <QtCharts/QAbstractAxis>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>

#include <filesystem>
#include <map>
#include <set>

#include <gtest/gtest.h>

using namespace vek;

namespace {

QApplication *app() { return test::qtTestApp("views_test"); }

// A graph of n points per series with values from f(series, point).
GraphData makeGraph(int series, int points, double (*f)(int, int)) {
    GraphData g;
    g.tableTitle = "Stream Depletion/Accretion Data";
    g.bottomTitle = "Year";
    g.leftTitle = "( acre feet )";
    g.graphName = "stream_dep";
    g.caption = g.tableTitle;
    g.title = g.tableTitle;
    for (int s = 0; s < series; ++s) {
        GraphSeries gs;
        gs.legend = "Well " + std::to_string(s + 1) + "  (30 days)";
        for (int k = 0; k < points; ++k) {
            gs.values.push_back(f(s, k));
            gs.present.push_back(true);
        }
        g.series.push_back(gs);
    }
    for (int k = 0; k < points; ++k)
        g.labels.push_back(k % 12 == 0 ? "11/" + std::to_string(89 + k / 12) : std::to_string((k + 10) % 12 + 1));
    g.yMin = GraphView::kNotGiven;
    g.yMax = GraphView::kNotGiven;
    return g;
}

class GraphViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app();
        dir = test::freshDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    // A file of the test's own folder.
    QString at(const char *name) const { return QString::fromStdString(dir + "/" + name); }
    // A graph whose look file lives in the test's folder.
    GraphData inFolder(GraphData g) const {
        g.graphName = dir + "/" + g.graphName;
        return g;
    }
    std::string dir;
};

} // namespace

// The window draws the grid, label spacing, title and legends GraphData
// gives; it computes none of them again.
TEST_F(GraphViewTest, DrawsGridLabelSpacingAndTitleAsGiven) {
    struct Row {
        int points, grid, labelEvery;
    };
    for (const Row &r : {Row{12, 3, 1}, Row{12, 1, 4}, Row{1200, 0, 25}}) {
        GraphData g = makeGraph(2, r.points, [](int s, int k) { return double(s * 10 + k); });
        g.gridValue = r.grid;
        g.labelEvery = r.labelEvery;
        g.title = "Given title";
        std::unique_ptr<GraphView> w(GraphView::fromData(g));
        w->createWindow();
        EXPECT_EQ(w->built().gridValue, r.grid) << r.points;
        EXPECT_EQ(w->built().labelEvery, r.labelEvery) << r.points;
        EXPECT_EQ(w->built().labels.size(), r.points);
        EXPECT_EQ(w->built().title, "Given title");
        const auto axes = w->chart()->axes();
        for (QAbstractAxis *axis : axes) {
            const bool vertical = axis->orientation() == Qt::Vertical;
            EXPECT_EQ(axis->isGridLineVisible(), bool(r.grid & (vertical ? 1 : 2))) << r.points;
        }
    }
}

// What the graphs of a selection show on their x axis as the number of
// points grows: up to 60 points a tick and a vertical grid line at every
// point; beyond that a tick every few points, about 20 to 30 of them, and no
// vertical grid lines; horizontal grid lines always.
TEST_F(GraphViewTest, AxisTicksAndGridLinesByThePointCount) {
    const struct {
        int points, ticks;
        bool verticalGrid;
    } rows[] = {{1, 1, true}, {29, 29, true}, {60, 60, true}, {61, 21, false}, {120, 24, false}, {121, 25, false}};
    for (const auto &r : rows) {
        SCOPED_TRACE(r.points);
        // One location over r.points years, plotted by year totals.
        OutputResults results;
        results.firstPrintYear = 1900;
        results.lastPrintYear = 1900 + r.points - 1;
        LocationResult loc;
        loc.name = "Well";
        loc.rows.resize(static_cast<size_t>(r.points) + 1);
        for (size_t y = 0; y < loc.rows.size(); ++y) {
            loc.rows[y].diversionTotal = static_cast<float>(y);
            loc.rows[y].streamTotal = -static_cast<float>(y);
        }
        results.locations.push_back(loc);
        ViewChoices c;
        c.locations = {0};
        for (int y = 0; y < r.points; ++y)
            c.years.push_back(y);
        c.scale = ViewChoices::Yearly;
        const PlotData plot = preparePlot(results, c);
        ASSERT_TRUE(plot.stream);
        std::unique_ptr<GraphView> w(GraphView::fromData(*plot.stream));
        w->createWindow();
        int axes = 0;
        for (QAbstractAxis *axis : w->chart()->axes()) {
            if (axis->orientation() == Qt::Vertical) {
                EXPECT_TRUE(axis->isGridLineVisible());
                continue;
            }
            ++axes;
            const auto *x = qobject_cast<QCategoryAxis *>(axis);
            ASSERT_NE(x, nullptr);
            EXPECT_EQ(x->count(), r.ticks);
            EXPECT_EQ(x->isGridLineVisible(), r.verticalGrid);
        }
        EXPECT_EQ(axes, 1);
    }
}

// A single series, as Plot prepares it: its legend is in the title and no
// legend is drawn.
TEST_F(GraphViewTest, SingleSeriesFromPlotPutsItsLegendInTheTitle) {
    OutputResults results;
    test::ScriptedPrompter prompter;
    ASSERT_TRUE(results.Load(test::dataPath("viewer/two_locations.out"), prompter));
    ViewChoices c;
    c.locations = {0};
    c.years = {0, 1, 2};
    const PlotData plot = preparePlot(results, c);
    ASSERT_TRUE(plot.stream);
    std::unique_ptr<GraphView> w(GraphView::fromData(*plot.stream));
    w->createWindow();
    EXPECT_EQ(w->built().title, "Stream Depletion/Accretion Data -- Well 7  (30 days)");
    EXPECT_FALSE(w->built().legendShown);
    EXPECT_TRUE(w->built().legends.isEmpty());
    EXPECT_EQ(w->windowTitle(), "Stream Depletion/Accretion Data");
    // Every point of the single series is marked.
    EXPECT_TRUE(qobject_cast<QLineSeries *>(w->chart()->series().at(0))->pointsVisible());

    GraphData two = makeGraph(2, 12, [](int, int k) { return double(k); });
    std::unique_ptr<GraphView> w2(GraphView::fromData(two));
    w2->createWindow();
    EXPECT_TRUE(w2->built().legendShown);
    EXPECT_EQ(w2->built().legends, QStringList({"Well 1  (30 days)", "Well 2  (30 days)"}));
}

TEST_F(GraphViewTest, YRangeGivenOrComputed) {
    struct Row {
        const char *what;
        double given0, given1;
        double (*f)(int, int);
        double want0, want1;
    };
    const std::vector<Row> rows = {
        {"all positive starts at 0", GraphView::kNotGiven, GraphView::kNotGiven, [](int, int k) { return 5.0 + k; }, 0,
         16},
        {"negative data", GraphView::kNotGiven, GraphView::kNotGiven, [](int, int k) { return -5.0 - k; }, -16, -5},
        {"given limits win", -400, 200, [](int, int k) { return 5.0 + k; }, -400, 200},
    };
    for (const Row &r : rows) {
        GraphData g = makeGraph(1, 12, r.f);
        g.yMin = r.given0;
        g.yMax = r.given1;
        std::unique_ptr<GraphView> w(GraphView::fromData(g));
        w->createWindow();
        EXPECT_DOUBLE_EQ(w->built().yMin, r.want0) << r.what;
        EXPECT_DOUBLE_EQ(w->built().yMax, r.want1) << r.what;
    }
}

// A point without data is left out of the line and out of the range (a
// yearly total of an emptied year must not stretch the axis to -1e10), and
// it breaks the line: the runs on either side are separate chart series of
// the same colour and name, with one legend entry for the whole series.
TEST_F(GraphViewTest, PointsWithoutDataBreakTheLine) {
    GraphData g = inFolder(makeGraph(2, 6, [](int s, int k) { return 10.0 * (k + 1) + s; }));
    for (int k : {1, 4}) {
        g.series[0].present[k] = false;
        g.series[0].values[k] = -1.0e10;
    }
    std::unique_ptr<GraphView> w(GraphView::fromData(g));
    w->createWindow();
    const auto all = w->chart()->series();
    ASSERT_EQ(all.size(), 4); // series 1 in three runs, series 2 whole
    auto line = [&](int i) { return qobject_cast<QLineSeries *>(all.at(i)); };
    EXPECT_EQ(line(0)->count(), 1); // first run of series 1: point 0, a dot
    EXPECT_TRUE(line(0)->pointsVisible());
    EXPECT_EQ(line(1)->count(), 6); // series 2
    EXPECT_EQ(line(2)->count(), 2); // points 2, 3
    EXPECT_EQ(line(2)->at(0), QPointF(2, 30));
    EXPECT_EQ(line(3)->count(), 1); // point 5
    for (int i : {2, 3}) {
        EXPECT_EQ(line(i)->pen().color(), line(0)->pen().color());
        EXPECT_EQ(line(i)->name(), line(0)->name());
    }
    EXPECT_NE(line(1)->pen().color(), line(0)->pen().color());
    int shown = 0;
    for (QLegendMarker *m : w->chart()->legend()->markers())
        shown += m->isVisible() ? 1 : 0;
    EXPECT_EQ(shown, 2);
    EXPECT_DOUBLE_EQ(w->built().yMin, 0.0);
    EXPECT_DOUBLE_EQ(w->built().yMax, 61.0);

    // The look file names the two series, not the runs.
    QString err;
    ASSERT_TRUE(w->saveSettings(&err)) << err.toStdString();
    EXPECT_EQ(w->style().series.size(), 2u);
}

TEST_F(GraphViewTest, SettingsFileRoundTripAndLoadOnOpen) {
    GraphData g = inFolder(makeGraph(2, 12, [](int s, int k) { return double(s + k); }));
    {
        std::unique_ptr<GraphView> w(GraphView::fromData(g));
        w->createWindow();
        EXPECT_FALSE(w->built().settingsFileLoaded);
        w->style().background = QColor("#fafaf0");
        w->style().legendPosition = "right";
        w->style().markers = true;
        w->style().series.resize(2);
        w->style().series[1].color = QColor("#aa0000");
        w->style().series[1].style = Qt::DashLine;
        QString err;
        ASSERT_TRUE(w->saveSettings(&err)) << err.toStdString();
    }
    ASSERT_TRUE(QFile::exists(at("stream_dep.gsp")));
    std::unique_ptr<GraphView> w(GraphView::fromData(g));
    w->createWindow();
    EXPECT_TRUE(w->built().settingsFileLoaded);
    EXPECT_EQ(w->style().legendPosition, "right");
    EXPECT_TRUE(w->style().markers);
    EXPECT_EQ(w->style().background, QColor("#fafaf0"));
    auto *second = qobject_cast<QLineSeries *>(w->chart()->series().at(1));
    EXPECT_EQ(second->pen().color(), QColor("#aa0000"));
    EXPECT_EQ(second->pen().style(), Qt::DashLine);
    // The first series' theme colour was written too, so the file shows it.
    ASSERT_GE(w->style().series.size(), 1u);
    EXPECT_TRUE(w->style().series[0].color.isValid());
}

TEST_F(GraphViewTest, BrokenSettingsLinesAreSkippedNotFatal) {
    test::writeFile(dir + "/broken.gsp", "# comment\nbackground = notacolour\nlegend = sideways\nlinewidth = 99\n"
                                         "series0.color = #ff0000\nseries2.style = dash\nnonsense\nmarkers = yes\n");
    GraphStyleSettings s;
    QStringList warnings;
    QString err;
    ASSERT_TRUE(s.load(at("broken.gsp"), &err, &warnings));
    EXPECT_EQ(warnings.size(), 5) << warnings.join("\n").toStdString();
    EXPECT_FALSE(s.background.isValid()) << "the desktop palette's";
    EXPECT_EQ(s.legendPosition, "bottom");
    EXPECT_EQ(s.lineWidth, 2);
    EXPECT_TRUE(s.markers);
    ASSERT_EQ(s.series.size(), 2u);
    EXPECT_EQ(s.series[1].style, Qt::DashLine);

    EXPECT_FALSE(s.load(at("missing.gsp"), &err));
    EXPECT_EQ(err, "Unable to open " + at("missing.gsp") + " for reading.");
}

TEST_F(GraphViewTest, SavesPngSvgAndPdf) {
    GraphData g = makeGraph(2, 24, [](int s, int k) { return double((s + 1) * k); });
    std::unique_ptr<GraphView> w(GraphView::fromData(g));
    w->createWindow();
    QString err;
    ASSERT_TRUE(w->saveImage(at("graph.png"), &err)) << err.toStdString();
    ASSERT_TRUE(w->saveImage(at("graph.pdf"), &err)) << err.toStdString();
    ASSERT_TRUE(w->saveImage(at("graph.svg"), &err)) << err.toStdString();
    EXPECT_EQ(test::readFile(dir + "/graph.png").substr(1, 3), "PNG");
    EXPECT_EQ(test::readFile(dir + "/graph.pdf").substr(0, 5), "%PDF-");
    EXPECT_NE(test::readFile(dir + "/graph.svg").find("<svg"), std::string::npos);
    for (const char *name : {"graph.png", "graph.svg", "graph.pdf"}) {
        EXPECT_FALSE(w->saveImage(QString::fromStdString(dir) + "/no/such/dir/" + name, &err)) << name;
        EXPECT_FALSE(err.isEmpty());
    }
}

// The SVG is vector drawing: each series is a path through its points, drawn
// in the series' colour.
TEST_F(GraphViewTest, SvgHoldsOnePathPerSeries) {
    const int points = 24;
    GraphData g = inFolder(makeGraph(2, points, [](int s, int k) { return double((s + 1) * k); }));
    std::unique_ptr<GraphView> w(GraphView::fromData(g));
    w->style().series = {{QColor("#aa0000"), Qt::SolidLine}, {QColor("#00aa00"), Qt::SolidLine}};
    w->createWindow();
    QString err;
    ASSERT_TRUE(w->saveImage(at("series.svg"), &err)) << err.toStdString();

    QFile f(at("series.svg"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    // The vertices of the lines drawn in each stroke colour (the chart may
    // draw a series as one path or as one piece per segment).
    std::vector<QString> strokes{""};
    std::map<QString, std::set<std::pair<double, double>>> vertices;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString stroke = xml.attributes().value("stroke").toString();
            strokes.push_back(stroke.isEmpty() ? strokes.back() : stroke);
            if (xml.name() == u"path" || xml.name() == u"polyline") {
                QString d = xml.attributes().value(xml.name() == u"path" ? "d" : "points").toString();
                d.replace(QRegularExpression("[A-Za-z,]"), " ");
                const QStringList numbers = d.split(' ', Qt::SkipEmptyParts);
                for (int i = 0; i + 1 < numbers.size(); i += 2)
                    vertices[strokes.back().toLower()].insert({numbers[i].toDouble(), numbers[i + 1].toDouble()});
            }
        } else if (xml.isEndElement()) {
            strokes.pop_back();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(vertices["#aa0000"].size(), size_t(points));
    EXPECT_EQ(vertices["#00aa00"].size(), size_t(points));
}

// A size change lays the same chart out again; only a look change rebuilds it.
TEST_F(GraphViewTest, ResizeKeepsTheChart) {
    GraphData g = makeGraph(2, 30, [](int s, int k) { return double(s - k); });
    std::unique_ptr<GraphView> w(GraphView::fromData(g));
    w->createWindow();
    EXPECT_EQ(w->pos(), QPoint(0, 0));
    EXPECT_EQ(w->size(), QSize(800, 600));
    QChart *chart = w->chart();
    const int builds = w->built().builds;
    EXPECT_EQ(builds, 1);
    w->resize(640, 480);
    QApplication::processEvents();
    EXPECT_EQ(w->built().builds, builds);
    EXPECT_EQ(w->chart(), chart);
    EXPECT_EQ(w->chart()->series().size(), 2);
    w->style().markers = true;
    w->buildChart();
    EXPECT_EQ(w->built().builds, builds + 1);
}

// An open graph takes the program's new colours when they change; one
// with a background of its own keeps it.
TEST_F(GraphViewTest, FollowsAChangeOfTheProgramsColours) {
    const QPalette before = QApplication::palette();
    GraphData g = makeGraph(1, 12, [](int, int k) { return double(k); });
    std::unique_ptr<GraphView> plain(GraphView::fromData(g));
    plain->createWindow();
    std::unique_ptr<GraphView> own(GraphView::fromData(g));
    own->style().background = QColor(0x12, 0x34, 0x56);
    own->createWindow();
    QPalette dark = before;
    dark.setColor(QPalette::Base, QColor(0x25, 0x25, 0x25));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    QApplication::setPalette(dark);
    QApplication::processEvents();
    EXPECT_EQ(plain->chart()->backgroundBrush().color(), QColor(0x25, 0x25, 0x25));
    EXPECT_EQ(plain->chart()->titleBrush().color(), QColor(0xee, 0xee, 0xee));
    EXPECT_EQ(own->chart()->backgroundBrush().color(), QColor(0x12, 0x34, 0x56));
    QApplication::setPalette(before);
    QApplication::processEvents();
    EXPECT_EQ(plain->chart()->backgroundBrush().color(), before.color(QPalette::Base));
}

// A focused graph window closes with the platform's Close keys and Ctrl+W,
// shown beside Graph > Close.
TEST_F(GraphViewTest, CloseKeysCloseTheFocusedGraph) {
    GraphData g = makeGraph(1, 12, [](int, int k) { return double(k); });
    QPointer<GraphView> w(GraphView::fromData(g));
    w->createWindow();
    QAction *close = nullptr;
    for (QAction *a : w->findChildren<QAction *>())
        if (a->text() == "&Close") close = a;
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_W)));
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_W, Qt::ControlModifier);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull()) << "Ctrl+W left the graph window open";
    delete w.data();
}

// Degenerate selections still draw a window: no points, one point (shown as
// a dot, since a lone point makes no line), or a flat series.
TEST_F(GraphViewTest, DegenerateGraphsDrawWithoutFailing) {
    struct Row {
        int series, points;
        double (*f)(int, int);
    };
    for (const Row &r : {Row{1, 0, [](int, int) { return 0.0; }}, Row{2, 1, [](int, int) { return 7.0; }},
                         Row{1, 5, [](int, int) { return 0.0; }}, Row{0, 3, [](int, int) { return 1.0; }}}) {
        GraphData g = makeGraph(r.series, r.points, r.f);
        g.yMin = 0;
        g.yMax = 0;
        std::unique_ptr<GraphView> w(GraphView::fromData(g));
        w->createWindow();
        EXPECT_EQ(w->built().numPoints, r.points);
        EXPECT_EQ(w->chart()->series().size(), r.series);
        if (r.points == 1) {
            for (auto *s : w->chart()->series())
                EXPECT_TRUE(qobject_cast<QLineSeries *>(s)->pointsVisible());
        }
    }
}

// Save Image and the look file write through the program's one safe save: a
// FIFO gets the bytes, a link stays a link, and a failure says why.
TEST_F(GraphViewTest, ImagesAndLookFilesWriteFifosAndLinks) {
    namespace fs = std::filesystem;
    GraphData g = inFolder(makeGraph(1, 12, [](int, int k) { return double(k); }));
    std::unique_ptr<GraphView> w(GraphView::fromData(g));
    w->createWindow();
    QString err;
    {
        test::FifoReader reader(dir + "/graph.png");
        ASSERT_TRUE(reader.ok());
        ASSERT_TRUE(w->saveImage(QString::fromStdString(dir + "/graph.png"), &err)) << err.toStdString();
        EXPECT_EQ(reader.take().substr(1, 3), "PNG");
    }
    EXPECT_FALSE(w->saveImage(QString::fromStdString(dir + "/graph.png"), &err));
    EXPECT_EQ(err.toStdString(), "Unable to write " + dir + "/graph.png: no program is reading from it.");
    EXPECT_TRUE(fs::is_fifo(dir + "/graph.png"));

    test::writeFile(dir + "/real.svg", "old");
    fs::create_symlink("real.svg", dir + "/link.svg");
    ASSERT_TRUE(w->saveImage(QString::fromStdString(dir + "/link.svg"), &err)) << err.toStdString();
    EXPECT_TRUE(fs::is_symlink(dir + "/link.svg"));
    EXPECT_NE(test::readFile(dir + "/real.svg").find("<svg"), std::string::npos);

    test::writeFile(dir + "/real.gsp", "old");
    fs::create_symlink("real.gsp", dir + "/stream_dep.gsp");
    ASSERT_TRUE(w->saveSettings(&err)) << err.toStdString();
    EXPECT_TRUE(fs::is_symlink(dir + "/stream_dep.gsp"));
    EXPECT_EQ(test::readFile(dir + "/real.gsp").rfind("# VEKView graph settings\n", 0), 0u);
    {
        test::FifoReader reader(dir + "/look.gsp");
        ASSERT_TRUE(reader.ok());
        ASSERT_TRUE(w->style().save(QString::fromStdString(dir + "/look.gsp"), &err)) << err.toStdString();
        EXPECT_EQ(reader.take().rfind("# VEKView graph settings\n", 0), 0u);
    }
    EXPECT_FALSE(w->style().save(QString::fromStdString(dir + "/no/such/look.gsp"), &err));
    EXPECT_EQ(err.toStdString(),
              "Unable to write " + dir + "/no/such/look.gsp: the folder " + dir + "/no/such does not exist.");
}
