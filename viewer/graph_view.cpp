// GraphView: draws prepared graph data on Qt Charts; saves, prints and
// previews the drawing.
#include "viewer/graph_view.h"

#include "common/safe_save.h"
#include "viewer/print_preview.h"

#include <QActionGroup>
#include <QBuffer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsSimpleTextItem>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSvgGenerator>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <set>
#include <tuple>

namespace vek {

namespace {

const char *const kImageFilter = "PNG image (*.png);;SVG image (*.svg);;PDF document (*.pdf)";

} // namespace

GraphView::GraphView(const GraphData &g, QWidget *parent) : QMainWindow(parent), data_(g) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Graphs never keep the program running once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle("Graph");
}

GraphView::~GraphView() = default;

GraphView *GraphView::fromData(const GraphData &g, QWidget *parent) { return new GraphView(g, parent); }

void GraphView::message(const QString &text) {
    if (showMessage)
        showMessage(text);
    else
        QMessageBox::information(this, "VEKView", text);
}

void GraphView::buildMenus() {
    QMenu *file = menuBar()->addMenu("&Graph");
    QAction *saveImg = file->addAction("Save &Image As...");
    connect(saveImg, &QAction::triggered, this, [this] {
        QString path;
        if (chooseSaveFile) {
            path = chooseSaveFile("Save graph as image", kImageFilter);
        } else {
            QString filter;
            path = QFileDialog::getSaveFileName(
                this, "Save graph as image", QString::fromStdString(data_.graphName) + ".png", kImageFilter, &filter);
            // A name typed without an extension takes the chosen type's.
            if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
                path += filter.contains("svg") ? ".svg" : filter.contains("pdf") ? ".pdf" : ".png";
        }
        if (path.isEmpty()) return;
        QString err;
        if (!saveImage(path, &err)) message(err);
    });
    QAction *printAct = file->addAction("&Print...");
    printAct->setShortcut(QKeySequence::Print);
    connect(printAct, &QAction::triggered, this, &GraphView::print);
    QAction *previewAct = file->addAction("Print Pre&view...");
    connect(previewAct, &QAction::triggered, this, &GraphView::printPreview);
    file->addSeparator();
    QAction *saveSet = file->addAction("&Save Settings");
    saveSet->setStatusTip("Keep this graph's look for the next graphs of this kind");
    connect(saveSet, &QAction::triggered, this, [this] {
        QString err;
        if (!saveSettings(&err)) message(err);
    });
    QAction *reload = file->addAction("&Reload Settings");
    connect(reload, &QAction::triggered, this, [this] {
        QString err;
        QStringList warnings;
        if (!QFileInfo::exists(settingsFileName())) {
            message(QString("%1 was not found.").arg(settingsFileName()));
            return;
        }
        if (!style_.load(settingsFileName(), &err, &warnings))
            message(err);
        else if (!warnings.isEmpty())
            message(warnings.join("\n"));
        buildChart();
    });
    file->addSeparator();
    QAction *closeAct = file->addAction("&Close");
    // The platform's Close keys, and Ctrl+W where they lack it, as in the main window.
    QList<QKeySequence> closeKeys = QKeySequence::keyBindings(QKeySequence::Close);
    if (!closeKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_W))) closeKeys.append(QKeySequence(Qt::CTRL | Qt::Key_W));
    closeAct->setShortcuts(closeKeys);
    connect(closeAct, &QAction::triggered, this, &QWidget::close);

    QMenu *look = menuBar()->addMenu("&Look");
    QAction *markers = look->addAction("Show &Points");
    markers->setCheckable(true);
    markers->setChecked(style_.markers);
    connect(markers, &QAction::toggled, this, [this](bool on) {
        style_.markers = on;
        buildChart();
    });
    QMenu *legendMenu = look->addMenu("&Legend");
    auto *group = new QActionGroup(this);
    for (const QString &place : GraphStyleSettings::legendPlaces()) {
        QAction *a = legendMenu->addAction(place.left(1).toUpper() + place.mid(1));
        a->setCheckable(true);
        a->setChecked(style_.legendPosition == place);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, place] {
            style_.legendPosition = place;
            buildChart();
        });
    }
    connect(look, &QMenu::aboutToShow, this, [this, markers, legendMenu] {
        markers->setChecked(style_.markers);
        for (QAction *a : legendMenu->actions())
            a->setChecked(a->text().toLower() == style_.legendPosition);
    });
}

void GraphView::createWindow() {
    if (created_) return;
    created_ = true;
    chartView_ = new QChartView(this);
    chartView_->setMinimumSize(200, 150);
    setCentralWidget(chartView_);
    // A settings file in the working directory gives the graph its look.
    if (!data_.graphName.empty() && QFileInfo::exists(settingsFileName())) {
        QString err;
        QStringList warnings;
        styleLoaded_ = style_.load(settingsFileName(), &err, &warnings);
    }
    buildMenus();
    buildChart();
    // Placed before it is shown, so the window manager maps it there.
    resize(placedSize_);
    move(placedAt_);
    show();
}

void GraphView::place(const QPoint &frameTopLeft, const QSize &size) {
    placedAt_ = frameTopLeft;
    placedSize_ = size;
    if (created_) {
        resize(size);
        move(frameTopLeft);
    }
}

namespace {

// Where the points stand on the x axis. The average row is no year: its
// points stand after a gap, drawn apart from the years' line. The gap is as
// wide as the average itself (a year's twelve months), and never under a
// fortieth of the axis, so it shows on a long monthly axis too.
struct XSlots {
    int points = 0;
    int avgFirst = -1; // the first point of the average, -1 without one
    int gap = 0;

    explicit XSlots(const GraphData &g) : points(g.numPoints()) {
        avgFirst = g.averageFirst >= 0 && g.averageFirst < points ? g.averageFirst : -1;
        gap = avgFirst > 0 ? std::max({1, points - avgFirst, points / 40}) : 0;
    }
    int x(int k) const { return avgFirst >= 0 && k >= avgFirst ? k + gap : k; }
    int count() const { return points + gap; }
    bool inAverage(int k) const { return avgFirst >= 0 && k >= avgFirst; }
};

// The y range: a limit that is not given comes from the data, 0 at the
// bottom for all-positive data.
std::pair<double, double> yRange(const GraphData &g) {
    double lo = 10000.0, hi = -10000.0;
    for (const GraphSeries &s : g.series)
        for (size_t k = 0; k < s.values.size(); ++k) {
            if (k < s.present.size() && !s.present[k]) continue;
            lo = std::min(lo, s.values[k]);
            hi = std::max(hi, s.values[k]);
        }
    if (lo > 0 && hi > lo) lo = 0;
    double y0 = g.yMin <= GraphView::kNotGiven ? lo : g.yMin;
    double y1 = g.yMax <= GraphView::kNotGiven ? hi : g.yMax;
    if (y1 < y0) std::swap(y0, y1);
    return {y0, y1};
}

struct ChartColors {
    QColor background, ink, faint;
};

// Without a colour of the user's own the graph follows the desktop's
// palette, dark ones included; texts and lines contrast with whichever
// background it gets.
ChartColors chartColors(const GraphStyleSettings &style, const QPalette &palette) {
    const QColor background = style.background.isValid() ? style.background : palette.color(QPalette::Base);
    const QColor ink = !style.background.isValid()      ? palette.color(QPalette::Text)
                       : background.lightnessF() < 0.5f ? QColor(Qt::white)
                                                        : QColor(Qt::black);
    const QColor faint = QColor::fromRgbF(static_cast<float>(0.75 * background.redF() + 0.25 * ink.redF()),
                                          static_cast<float>(0.75 * background.greenF() + 0.25 * ink.greenF()),
                                          static_cast<float>(0.75 * background.blueF() + 0.25 * ink.blueF()));
    return {background, ink, faint};
}

// The x axis draws the ticks and grid lines; its own labels would be cut to
// one point's width, so it keeps blank ones (which reserve the room) and
// the texts are laid over it once the plot area is known.
QCategoryAxis *xAxis(const GraphData &g, const XSlots &spots, bool gridPerPoint) {
    auto *axis = new QCategoryAxis();
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    if (gridPerPoint) {
        for (int k = 0; k < spots.points; ++k)
            axis->append(" " + QString(k, QChar(0x200B)), spots.x(k));
    } else {
        // Long series: a tick every xTicks points, no vertical grid lines.
        const int every = std::max(g.xTicks, 1);
        int n = 0;
        for (int k = 0; k < spots.points; k += every)
            axis->append(" " + QString(n++, QChar(0x200B)), spots.x(k));
        if (n == 0) axis->append(" ", std::max(spots.count(), 1) - 0.5);
    }
    axis->setRange(-0.5, std::max(spots.count(), 1) - 0.5);
    axis->setGridLineVisible(gridPerPoint);
    axis->setTitleText(QString::fromStdString(g.bottomTitle));
    return axis;
}

QValueAxis *yAxis(const GraphData &g, const GraphBuildState &b) {
    auto *axis = new QValueAxis();
    double r0 = b.yMin, r1 = b.yMax;
    if (r1 - r0 <= 0) { // nothing to span: show a small band around the value
        r0 -= 1.0;
        r1 += 1.0;
    }
    axis->setRange(r0, r1);
    axis->setTickCount(9);
    // Round tick values; the range only widens, so every value stays in view
    // and two graphs given one range still share one.
    axis->applyNiceNumbers();
    axis->setLabelFormat("%g");
    axis->setGridLineVisible(b.gridValue & 1);
    axis->setTitleText(QString::fromStdString(g.leftTitle));
    return axis;
}

// A series is drawn as one line per run of points that hold a value, so a
// gap breaks the line instead of bridging it, and the average starts a run
// of its own. The first run of every series is added first, in series
// order, so chart series s stands for series s (legend entry, colour kept
// in the settings file); the further runs follow, drawn alike and without
// legend entries of their own.
void addSeries(QChart *chart, const GraphData &g, const GraphStyleSettings &style, const XSlots &spots) {
    const int numSeries = g.numSeries();
    std::vector<std::vector<QLineSeries *>> runs(static_cast<size_t>(numSeries));
    std::set<QLineSeries *> averageRuns;
    for (int s = 0; s < numSeries; ++s) {
        const GraphSeries &gs = g.series[static_cast<size_t>(s)];
        auto &mine = runs[static_cast<size_t>(s)];
        bool open = false;
        for (int k = 0; k < spots.points && k < static_cast<int>(gs.values.size()); ++k) {
            if (k == spots.avgFirst) open = false;
            if (k < static_cast<int>(gs.present.size()) && !gs.present[static_cast<size_t>(k)]) {
                open = false;
                continue;
            }
            if (!open || mine.empty()) {
                mine.push_back(new QLineSeries());
                if (spots.inAverage(k)) averageRuns.insert(mine.back());
            }
            mine.back()->append(spots.x(k), gs.values[static_cast<size_t>(k)]);
            open = true;
        }
        if (mine.empty()) mine.push_back(new QLineSeries());
    }
    const auto addRun = [&](QLineSeries *run, int s) {
        run->setName(QString::fromStdString(g.series[static_cast<size_t>(s)].legend));
        chart->addSeries(run);
        for (QAbstractAxis *axis : chart->axes())
            run->attachAxis(axis);
        // A lone point draws no line: show it as a dot. The average is
        // always marked.
        run->setPointsVisible(style.markers || run->count() == 1 || g.markPoints || averageRuns.count(run) > 0);
    };
    for (int s = 0; s < numSeries; ++s) {
        QLineSeries *series = runs[static_cast<size_t>(s)].front();
        addRun(series, s);
        QPen pen = series->pen();
        pen.setWidth(style.lineWidth);
        if (s < static_cast<int>(style.series.size())) {
            if (style.series[s].color.isValid()) pen.setColor(style.series[s].color);
            pen.setStyle(style.series[s].style);
        }
        series->setPen(pen);
    }
    for (int s = 0; s < numSeries; ++s) {
        const auto &mine = runs[static_cast<size_t>(s)];
        for (size_t r = 1; r < mine.size(); ++r) {
            addRun(mine[r], s);
            mine[r]->setPen(mine.front()->pen());
            for (QLegendMarker *marker : chart->legend()->markers(mine[r]))
                marker->setVisible(false);
        }
    }
}

void placeLegend(QLegend *legend, bool shown, const QString &position) {
    legend->setVisible(shown);
    if (position == "top")
        legend->setAlignment(Qt::AlignTop);
    else if (position == "left")
        legend->setAlignment(Qt::AlignLeft);
    else if (position == "right")
        legend->setAlignment(Qt::AlignRight);
    else
        legend->setAlignment(Qt::AlignBottom);
}

// Places the x labels under their points in a plot area of that size:
// every label-spacing-th one, more sparsely when they would crowd.
void placeXLabels(const QList<QGraphicsSimpleTextItem *> &items, int every, const XSlots &spots, const QRectF &plot) {
    const int n = spots.points, avgFirst = spots.avgFirst;
    int widest = 1;
    for (auto *it : items)
        widest = std::max(widest, int(it->boundingRect().width()));
    int step = std::max(every, 1);
    while (step < n && ((n + step - 1) / step) * (widest + 10) > plot.width())
        ++step;
    // When labels must be dropped, the ones naming a year ("11/89") are
    // kept first, spaced so they do not touch.
    bool yearAnchors = false;
    if (step > every)
        for (auto *it : items)
            if (it->text().contains('/')) yearAnchors = true;
    const auto xAt = [&](int k) {
        return plot.left() + (spots.x(k) + 0.5) / std::max(spots.count(), 1) * plot.width();
    };
    // The average's label is always shown: it says what stands apart. A
    // year's label that would touch it gives way.
    double avgLeft = 1e9;
    if (avgFirst >= 0) avgLeft = xAt(avgFirst) - items[avgFirst]->boundingRect().width() / 2 - 10;
    double lastRight = -1e9;
    for (int k = 0; k < n; ++k) {
        QGraphicsSimpleTextItem *it = items[k];
        const double x = xAt(k);
        const double w = it->boundingRect().width();
        it->setPos(x - w / 2, plot.bottom() + 6);
        bool show = k % step == 0;
        if (yearAnchors) {
            show = it->text().contains('/') && x - w / 2 >= lastRight + 10;
            if (show) lastRight = x + w / 2;
        }
        if (avgFirst >= 0 && k < avgFirst && x + w / 2 > avgLeft) show = false;
        if (k == avgFirst)
            show = true;
        else if (avgFirst >= 0 && k > avgFirst && !yearAnchors)
            show = show && x - w / 2 >= lastRight + 10;
        if (k == avgFirst) lastRight = x + w / 2;
        it->setVisible(show);
    }
}

} // namespace

void GraphView::changeEvent(QEvent *e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::PaletteChange && chart_ && !style_.background.isValid()) buildChart();
}

void GraphView::buildChart() {
    if (!chartView_) return;
    const GraphData &g = data_;
    const int numPoints = g.numPoints();
    GraphBuildState b;
    b.builds = built_.builds + 1;
    b.numPoints = numPoints;
    b.numSeries = g.numSeries();
    b.settingsFileLoaded = styleLoaded_;
    std::tie(b.yMin, b.yMax) = yRange(g);
    b.gridValue = g.gridValue;
    b.labelEvery = std::max(g.labelEvery, 1);
    b.title = QString::fromStdString(g.title);
    for (int k = 0; k < numPoints; ++k)
        b.labels.append(QString::fromStdString(g.labels[static_cast<size_t>(k)]));

    auto *chart = new QChart();
    const ChartColors colors = chartColors(style_, palette());
    chart->setBackgroundBrush(colors.background);
    chart->setTitleBrush(colors.ink);
    chart->legend()->setLabelColor(colors.ink);
    chart->setMargins(QMargins(8, 8, 8, 8));
    QFont tf = chart->titleFont();
    tf.setPointSizeF(tf.pointSizeF() * 1.3);
    tf.setBold(true);
    chart->setTitleFont(tf);
    chart->setTitle(b.title);

    const XSlots spots(g);
    QCategoryAxis *axisX = xAxis(g, spots, b.gridValue & 2);
    for (QAbstractAxis *axis : {static_cast<QAbstractAxis *>(axisX), static_cast<QAbstractAxis *>(yAxis(g, b))}) {
        axis->setLabelsBrush(colors.ink);
        axis->setTitleBrush(colors.ink);
        axis->setLinePenColor(colors.ink);
        axis->setGridLineColor(colors.faint);
        chart->addAxis(axis, axis == axisX ? Qt::AlignBottom : Qt::AlignLeft);
    }
    addSeries(chart, g, style_, spots);

    b.legendShown = g.showLegends && style_.legendPosition != "none";
    if (g.showLegends)
        for (const GraphSeries &s : g.series)
            b.legends.append(QString::fromStdString(s.legend));
    placeLegend(chart->legend(), b.legendShown, style_.legendPosition);

    // X labels as text items of the chart, placed under their points.
    QList<QGraphicsSimpleTextItem *> items;
    for (int k = 0; k < numPoints; ++k) {
        auto *item = new QGraphicsSimpleTextItem(b.labels[k], chart);
        item->setFont(axisX->labelsFont());
        item->setBrush(axisX->labelsBrush());
        items << item;
    }
    connect(chart, &QChart::plotAreaChanged, chart,
            [items, every = b.labelEvery, spots](const QRectF &plot) { placeXLabels(items, every, spots, plot); });

    QChart *old = chart_;
    // The view gives up its previous chart without deleting it: the one
    // built before (deleted below) or, the first time, its own empty one.
    QChart *viewsOwn = chartView_->chart() != old ? chartView_->chart() : nullptr;
    chartView_->setChart(chart);
    chartView_->setRenderHint(QPainter::Antialiasing, style_.antialiasing);
    chart_ = chart;
    delete old;
    delete viewsOwn;

    setWindowTitle(QString::fromStdString(g.caption.empty() ? g.title : g.caption));
    built_ = b;
}

bool GraphView::saveSettings(QString *error) {
    if (data_.graphName.empty()) {
        if (error) *error = "This graph has no settings name.";
        return false;
    }
    // Keep the colours the theme gave the series so the file shows them.
    if (chart_) {
        // The first numSeries chart series are the series themselves; the
        // rest are the further runs of broken lines.
        const auto list = chart_->series().mid(0, data_.numSeries());
        if (style_.series.size() < static_cast<size_t>(list.size())) style_.series.resize(list.size());
        for (int i = 0; i < list.size(); ++i)
            if (auto *ls = qobject_cast<QLineSeries *>(list[i]); ls && !style_.series[i].color.isValid())
                style_.series[i].color = ls->pen().color();
    }
    return style_.save(settingsFileName(), error);
}

bool GraphView::saveImage(const QString &path, QString *error) {
    auto fail = [&](const QString &why) {
        if (error) *error = why;
        return false;
    };
    if (!chartView_) return fail("The graph has not been drawn yet.");
    // Drawn into memory, then written through the safe save: a failed save
    // leaves an earlier file whole, and a FIFO, a device or a link is
    // written as every other file of the program is.
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QString cannotDraw = QString("Unable to write %1: the graph could not be drawn as %2.").arg(path);
    if (suffix == "pdf") {
        QPdfWriter writer(&out);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setTitle(windowTitle());
        QPainter p;
        if (!p.begin(&writer)) return fail(cannotDraw.arg("PDF"));
        renderTo(p, QRectF(0, 0, writer.width(), writer.height()));
        p.end();
    } else if (suffix == "svg") {
        // Vector lines and text, for reports that are scaled or edited later.
        QSvgGenerator svg;
        svg.setOutputDevice(&out);
        svg.setSize(chartView_->size());
        svg.setViewBox(QRect(QPoint(0, 0), chartView_->size()));
        svg.setTitle(windowTitle());
        svg.setDescription(QString::fromStdString(data_.title));
        QPainter p;
        if (!p.begin(&svg)) return fail(cannotDraw.arg("SVG"));
        chartView_->render(&p);
        p.end();
    } else {
        const QPixmap pix = chartView_->grab();
        const QByteArray format = suffix.isEmpty() ? QByteArray("PNG") : suffix.toLatin1();
        if (!pix.save(&out, format.constData())) return fail(cannotDraw.arg(QString::fromLatin1(format.toUpper())));
    }
    out.close();
    std::string why;
    if (!saveFile(path.toStdString(), std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), &why))
        return fail(QString::fromStdString(why));
    return true;
}

void GraphView::renderTo(QPainter &painter, const QRectF &target) {
    chartView_->render(&painter, target, QRect(), Qt::KeepAspectRatio);
}

void GraphView::render(QPrinter *printer) {
    if (!chartView_) return;
    QPainter p;
    if (!p.begin(printer)) {
        message("Unable to start printing.");
        return;
    }
    renderTo(p, QRectF(0, 0, printer->width(), printer->height()));
    p.end();
}

void GraphView::print() {
    if (!chartView_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(windowTitle());
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() != QDialog::Accepted) return;
    render(&printer);
}

void GraphView::printPreview() {
    if (!chartView_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(windowTitle());
    QPrintPreviewDialog dlg(&printer, this);
    connect(&dlg, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *p) { render(p); });
    fitPreviewToScreen(dlg, this);
    dlg.exec();
}

} // namespace vek
