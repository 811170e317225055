// GraphView: draws prepared series on Qt Charts and keeps the graph's look in
// its ".gsp" file.
#include "results/views/graph_view.h"

#include "results/graph_data.h"

#include <QActionGroup>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsSimpleTextItem>
#include <QGuiApplication>
#include <QHash>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QResizeEvent>
#include <QSaveFile>
#include <QScreen>
#include <QTextStream>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>

namespace vek {

namespace {

// Values at or below this hold no data and are never drawn.
constexpr double kNoValue = static_cast<double>(-1.0e10f);

const std::pair<const char *, Qt::PenStyle> kPenStyles[] = {
    {"solid", Qt::SolidLine},           {"dash", Qt::DashLine}, {"dot", Qt::DotLine}, {"dashdot", Qt::DashDotLine},
    {"dashdotdot", Qt::DashDotDotLine},
};

QString penStyleName(Qt::PenStyle s) {
    for (const auto &[name, style] : kPenStyles)
        if (style == s) return name;
    return "solid";
}

bool parsePenStyle(const QString &text, Qt::PenStyle *out) {
    for (const auto &[name, style] : kPenStyles)
        if (text.compare(name, Qt::CaseInsensitive) == 0) {
            *out = style;
            return true;
        }
    return false;
}

bool parseBool(const QString &v, bool *out) {
    const QString t = v.toLower();
    if (t == "1" || t == "yes" || t == "true" || t == "on")
        *out = true;
    else if (t == "0" || t == "no" || t == "false" || t == "off")
        *out = false;
    else
        return false;
    return true;
}

const QStringList kLegendPlaces{"top", "bottom", "left", "right", "none"};

} // namespace

bool GraphStyleSettings::load(const QString &path, QString *error, QStringList *warnings) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error) *error = QString("Unable to open %1 for reading.").arg(path);
        return false;
    }
    // Larger files are not graph settings; refuse rather than read them whole.
    if (f.size() > 1 << 20) {
        if (error) *error = QString("%1 is too large to be a graph settings file.").arg(path);
        return false;
    }
    GraphStyleSettings s;
    QTextStream in(&f);
    int lineNo = 0;
    auto warn = [&](const QString &w) {
        if (warnings) warnings->append(QString("%1 line %2: %3").arg(QFileInfo(path).fileName()).arg(lineNo).arg(w));
    };
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith('#')) continue;
        const int eq = line.indexOf('=');
        if (eq < 0) {
            warn("no '=' in line");
            continue;
        }
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == "background") {
            QColor c = QColor::fromString(value);
            if (c.isValid())
                s.background = c;
            else
                warn("bad colour " + value);
        } else if (key == "legend") {
            if (kLegendPlaces.contains(value.toLower()))
                s.legendPosition = value.toLower();
            else
                warn("bad legend place " + value);
        } else if (key == "markers") {
            if (!parseBool(value, &s.markers)) warn("bad markers value " + value);
        } else if (key == "antialiasing") {
            if (!parseBool(value, &s.antialiasing)) warn("bad antialiasing value " + value);
        } else if (key == "linewidth") {
            bool ok = false;
            const int w = value.toInt(&ok);
            if (ok && w >= 1 && w <= 20)
                s.lineWidth = w;
            else
                warn("bad line width " + value);
        } else if (key.startsWith("series")) {
            // seriesN.color / seriesN.style, N counted from 1 as users see them
            const int dot = key.indexOf('.');
            bool ok = false;
            const int n = dot > 6 ? key.mid(6, dot - 6).toInt(&ok) : 0;
            if (!ok || n < 1 || n > 1000) {
                warn("bad series key " + key);
                continue;
            }
            if (static_cast<int>(s.series.size()) < n) s.series.resize(n);
            const QString what = key.mid(dot + 1);
            if (what == "color" || what == "colour") {
                QColor c = QColor::fromString(value);
                if (c.isValid())
                    s.series[n - 1].color = c;
                else
                    warn("bad colour " + value);
            } else if (what == "style") {
                if (!parsePenStyle(value, &s.series[n - 1].style)) warn("bad line style " + value);
            } else {
                warn("unknown key " + key);
            }
        } else {
            warn("unknown key " + key);
        }
    }
    *this = s;
    return true;
}

bool GraphStyleSettings::save(const QString &path, QString *error) const {
    // Written aside and renamed, so a failed write never spoils the old file.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error) *error = QString("Unable to open %1 for writing.").arg(path);
        return false;
    }
    QTextStream out(&f);
    out << "# VEKView graph settings\n";
    out << "background = " << background.name() << "\n";
    out << "legend = " << legendPosition << "\n";
    out << "markers = " << (markers ? "yes" : "no") << "\n";
    out << "linewidth = " << lineWidth << "\n";
    out << "antialiasing = " << (antialiasing ? "yes" : "no") << "\n";
    for (size_t i = 0; i < series.size(); ++i) {
        if (series[i].color.isValid()) out << "series" << i + 1 << ".color = " << series[i].color.name() << "\n";
        out << "series" << i + 1 << ".style = " << penStyleName(series[i].style) << "\n";
    }
    out.flush();
    if (!f.commit()) {
        if (error) *error = QString("Unable to write %1.").arg(path);
        return false;
    }
    return true;
}

GraphView::GraphView(QWidget *parent) : QMainWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Graphs never keep the program running once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle("Graph");
    if (QScreen *scr = QGuiApplication::primaryScreen()) {
        const QRect r = scr->availableGeometry();
        screenWidth = r.width();
        screenHeight = r.height();
    }
    if (screenWidth <= 0 || screenHeight <= 0) {
        screenWidth = 1024;
        screenHeight = 768;
    }
    setup(1, 0, 0, 0, 0);
}

GraphView::~GraphView() = default;

void GraphView::setup(int sets, int series, int points, int nlabels, int extraValue) {
    numSets = std::max(sets, 0);
    numSeries = std::max(series, 0);
    numPoints = std::max(points, 0);
    numLabels = std::max(nlabels, 0);
    data.assign(numSets, std::vector<std::vector<double>>(numSeries, std::vector<double>(numPoints, 0.0)));
    extra.assign(numSets, std::vector<std::vector<int>>(numSeries, std::vector<int>(numPoints, extraValue)));
    legend.assign(numSeries, QString());
    labels.assign(numLabels, QString());
    caption.assign(numSets, QString());
    title.assign(numSets, QString());
    bottomTitle.assign(numSets, QString());
    leftTitle.assign(numSets, QString());
    currentSet = 0;
}

void GraphView::setTitles(const QString &t, const QString &bottom, const QString &left, const QString &cap,
                          const QString &name) {
    for (int s = 0; s < numSets; ++s) {
        caption[s] = cap.isEmpty() ? t : cap;
        title[s] = t;
        bottomTitle[s] = bottom;
        leftTitle[s] = left;
    }
    if (!name.isEmpty()) graphName = name;
}

GraphView *GraphView::fromData(const GraphData &g, QWidget *parent) {
    auto *w = new GraphView(parent);
    const int series = g.numSeries(), points = g.numPoints();
    w->setup(1, series, points, points, 0);
    w->setTitles(QString::fromStdString(g.tableTitle), QString::fromStdString(g.bottomTitle),
                 QString::fromStdString(g.leftTitle), QString::fromStdString(g.caption),
                 QString::fromStdString(g.graphName));
    w->graphType = g.graphType;
    w->graphStyle = g.graphStyle;
    for (int s = 0; s < series; ++s) {
        const GraphSeries &gs = g.series[s];
        w->legend[s] = QString::fromStdString(gs.legend);
        for (int k = 0; k < points && k < static_cast<int>(gs.values.size()); ++k) {
            const bool present = k >= static_cast<int>(gs.present.size()) || gs.present[k];
            w->data[0][s][k] = present ? gs.values[k] : kNoValue;
        }
    }
    for (int k = 0; k < points; ++k)
        w->labels[k] = QString::fromStdString(g.labels[k]);
    w->yMin = g.yMin;
    w->yMax = g.yMax;
    w->xTicks = g.xTicks;
    w->gridByPointCount = g.gridByPointCount;
    w->gridPlusOne = g.gridPlusOne;
    w->background = g.background;
    w->legendPosition = g.legendPosition;
    return w;
}

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
        const QString path = chooseSaveFile
                                 ? chooseSaveFile("Save graph as image", "PNG image (*.png);;PDF document (*.pdf)")
                                 : QFileDialog::getSaveFileName(this, "Save graph as image", graphName + ".png",
                                                                "PNG image (*.png);;PDF document (*.pdf)");
        if (path.isEmpty()) return;
        QString err;
        if (!saveImage(path, &err)) message(err);
    });
    QAction *printAct = file->addAction("&Print...");
    printAct->setShortcut(QKeySequence::Print);
    connect(printAct, &QAction::triggered, this, &GraphView::print);
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
    for (const QString &place : kLegendPlaces) {
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
    // A settings file beside the working directory gives the graph its look.
    if (!graphName.isEmpty() && QFileInfo::exists(settingsFileName())) {
        QString err;
        QStringList warnings;
        styleLoaded_ = style_.load(settingsFileName(), &err, &warnings);
    }
    buildMenus();
    move(0, 0);
    resize(800, 600);
    buildChart();
    show();
}

void GraphView::resizeEvent(QResizeEvent *e) {
    QMainWindow::resizeEvent(e);
    if (created_) buildChart();
}

void GraphView::buildChart() {
    if (!chartView_) return;
    const int set = (numSets > 0) ? std::clamp(currentSet, 0, numSets - 1) : 0;
    GraphBuildState b;
    b.builds = built_.builds + 1;
    b.numPoints = numPoints;
    b.numSeries = numSeries;
    b.graphType = graphType;
    b.graphStyle = graphStyle;
    b.settingsFileLoaded = styleLoaded_;

    // Automatic y range, 0 at the bottom for all-positive data.
    double lo = 10000.0, hi = -10000.0;
    for (const auto &s : data)
        for (const auto &ser : s)
            for (double v : ser) {
                if (v <= kNoValue) continue;
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
    if (lo > 0 && hi > lo) lo = 0;
    double y0 = yMin <= kNotGiven ? lo : yMin;
    double y1 = yMax <= kNotGiven ? hi : yMax;
    if (y1 < y0) std::swap(y0, y1);
    b.yMin = y0;
    b.yMax = y1;
    b.xTicks = xTicks;
    b.gridValue = ((gridByPointCount && numPoints <= 60) ? 2 : 0) + (gridPlusOne ? 1 : 0);
    if (labelEvery < 1) labelEvery = numPoints / 50 + 1;
    b.labelEvery = labelEvery;

    const bool single = graphType == 3 && numSeries == 1;
    if (single && singleSeriesMarks_.empty()) singleSeriesMarks_.assign(numPoints, 4);

    auto *chart = new QChart();
    chart->setBackgroundBrush(style_.background);
    chart->setMargins(QMargins(8, 8, 8, 8));

    QString graphTitle = set < static_cast<int>(title.size()) ? title[set] : QString();
    if (single) graphTitle += " -- " + legend[0];
    b.title = graphTitle;
    QFont tf = chart->titleFont();
    tf.setPointSizeF(tf.pointSizeF() * 1.3);
    tf.setBold(true);
    chart->setTitleFont(tf);
    chart->setTitle(graphTitle);

    auto *axisX = new QCategoryAxis();
    axisX->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    // The axis draws the ticks and grid lines; its own labels would be cut
    // to one point's width, so it keeps blank ones (which reserve the room)
    // and the texts are laid over it once the plot area is known.
    const bool gridPerPoint = b.gridValue & 2;
    for (int k = 0; k < numPoints; ++k)
        b.labels.append(k < static_cast<int>(labels.size()) ? labels[k] : QString());
    if (gridPerPoint) {
        for (int k = 0; k < numPoints; ++k)
            axisX->append(" " + QString(k, QChar(0x200B)), k);
    } else {
        // Long series: a tick every xTicks points, no vertical grid lines.
        const int every = std::max(xTicks, 1);
        int n = 0;
        for (int k = 0; k < numPoints; k += every)
            axisX->append(" " + QString(n++, QChar(0x200B)), k);
        if (n == 0) axisX->append(" ", std::max(numPoints, 1) - 0.5);
    }
    axisX->setRange(-0.5, std::max(numPoints, 1) - 0.5);
    axisX->setGridLineVisible(gridPerPoint);
    axisX->setTitleText(set < static_cast<int>(bottomTitle.size()) ? bottomTitle[set] : QString());

    auto *axisY = new QValueAxis();
    double r0 = b.yMin, r1 = b.yMax;
    if (r1 - r0 <= 0) { // nothing to span: show a small band around the value
        r0 -= 1.0;
        r1 += 1.0;
    }
    axisY->setRange(r0, r1);
    axisY->setTickCount(9);
    // Round tick values; the range only widens, so every value stays in view
    // and two graphs given one range still share one.
    axisY->applyNiceNumbers();
    axisY->setLabelFormat("%g");
    axisY->setGridLineVisible(b.gridValue & 1);
    axisY->setTitleText(set < static_cast<int>(leftTitle.size()) ? leftTitle[set] : QString());

    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);

    // A series is drawn as one line per run of points that hold a value, so
    // a gap breaks the line instead of bridging it. The first run of every
    // series is added first, in series order, so chart series s stands for
    // series s (legend entry, colour kept in the settings file); the further
    // runs follow, drawn alike and without legend entries of their own.
    std::vector<std::vector<QLineSeries *>> runs(static_cast<size_t>(numSeries));
    for (int s = 0; s < numSeries; ++s) {
        auto &mine = runs[static_cast<size_t>(s)];
        const auto &values = data[set][s];
        bool open = false;
        for (int k = 0; k < numPoints; ++k) {
            if (!(values[k] > kNoValue)) {
                open = false;
                continue;
            }
            if (!open || mine.empty()) mine.push_back(new QLineSeries());
            mine.back()->append(k, values[k]);
            open = true;
        }
        if (mine.empty()) mine.push_back(new QLineSeries());
    }
    const auto addRun = [&](QLineSeries *run, int s) {
        run->setName(legend[s]);
        chart->addSeries(run);
        run->attachAxis(axisX);
        run->attachAxis(axisY);
        // A lone point draws no line: show it as a dot.
        run->setPointsVisible(style_.markers || run->count() == 1 || !singleSeriesMarks_.empty());
    };
    for (int s = 0; s < numSeries; ++s) {
        QLineSeries *series = runs[static_cast<size_t>(s)].front();
        addRun(series, s);
        QPen pen = series->pen();
        pen.setWidth(style_.lineWidth);
        if (s < static_cast<int>(style_.series.size())) {
            if (style_.series[s].color.isValid()) pen.setColor(style_.series[s].color);
            pen.setStyle(style_.series[s].style);
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

    b.legendShown = !single && style_.legendPosition != "none";
    if (!single)
        for (int s = 0; s < numSeries; ++s)
            b.legends.append(legend[s]);
    QLegend *lg = chart->legend();
    lg->setVisible(b.legendShown);
    if (style_.legendPosition == "top")
        lg->setAlignment(Qt::AlignTop);
    else if (style_.legendPosition == "left")
        lg->setAlignment(Qt::AlignLeft);
    else if (style_.legendPosition == "right")
        lg->setAlignment(Qt::AlignRight);
    else
        lg->setAlignment(Qt::AlignBottom);

    // X labels as text items of the chart, placed under their points.
    QList<QGraphicsSimpleTextItem *> items;
    for (int k = 0; k < numPoints; ++k) {
        auto *item = new QGraphicsSimpleTextItem(b.labels[k], chart);
        item->setFont(axisX->labelsFont());
        item->setBrush(axisX->labelsBrush());
        items << item;
    }
    const int every = labelEvery;
    auto placeLabels = [items, every, n = numPoints](const QRectF &plot) {
        int widest = 1;
        for (auto *it : items)
            widest = std::max(widest, int(it->boundingRect().width()));
        // Every label-spacing-th label, more sparsely when they would crowd.
        int step = std::max(every, 1);
        while (step < n && ((n + step - 1) / step) * (widest + 10) > plot.width())
            ++step;
        // When labels must be dropped, the ones naming a year ("11/89")
        // are kept first, spaced so they do not touch.
        bool yearAnchors = false;
        if (step > every)
            for (auto *it : items)
                if (it->text().contains('/')) yearAnchors = true;
        double lastRight = -1e9;
        for (int k = 0; k < n; ++k) {
            QGraphicsSimpleTextItem *it = items[k];
            const double x = plot.left() + (k + 0.5) / n * plot.width();
            const double w = it->boundingRect().width();
            it->setPos(x - w / 2, plot.bottom() + 6);
            bool show = k % step == 0;
            if (yearAnchors) {
                show = it->text().contains('/') && x - w / 2 >= lastRight + 10;
                if (show) lastRight = x + w / 2;
            }
            it->setVisible(show);
        }
    };
    connect(chart, &QChart::plotAreaChanged, chart, placeLabels);

    QChart *old = chart_;
    chartView_->setChart(chart);
    chartView_->setRenderHint(QPainter::Antialiasing, style_.antialiasing);
    chart_ = chart;
    delete old;

    const QString cap = set < static_cast<int>(caption.size()) && !caption[set].isEmpty() ? caption[set] : graphTitle;
    setWindowTitle(cap);
    built_ = b;
}

bool GraphView::saveSettings(QString *error) {
    if (graphName.isEmpty()) {
        if (error) *error = "This graph has no settings name.";
        return false;
    }
    // Keep the colours the theme gave the series so the file shows them.
    if (chart_) {
        // The first numSeries chart series are the series themselves; the
        // rest are the further runs of broken lines.
        const auto list = chart_->series().mid(0, numSeries);
        if (style_.series.size() < static_cast<size_t>(list.size())) style_.series.resize(list.size());
        for (int i = 0; i < list.size(); ++i)
            if (auto *ls = qobject_cast<QLineSeries *>(list[i]); ls && !style_.series[i].color.isValid())
                style_.series[i].color = ls->pen().color();
    }
    return style_.save(settingsFileName(), error);
}

bool GraphView::saveImage(const QString &path, QString *error) {
    if (!chartView_) {
        if (error) *error = "The graph has not been drawn yet.";
        return false;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "pdf") {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setTitle(windowTitle());
        QPainter p;
        if (!p.begin(&writer)) {
            if (error) *error = QString("Unable to open %1 for writing.").arg(path);
            return false;
        }
        chartView_->render(&p);
        p.end();
        return true;
    }
    const QPixmap pix = chartView_->grab();
    if (!pix.save(path, suffix == "png" || suffix.isEmpty() ? "PNG" : nullptr)) {
        if (error) *error = QString("Unable to write %1.").arg(path);
        return false;
    }
    return true;
}

void GraphView::print() {
    if (!chartView_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() != QDialog::Accepted) return;
    QPainter p;
    if (!p.begin(&printer)) {
        message("Unable to start printing.");
        return;
    }
    chartView_->render(&p);
    p.end();
}

} // namespace vek
