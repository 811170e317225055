// Graphs drawn into an image file.
#include "viewer/plot_image.h"

#include "common/safe_save.h"
#include "viewer/graph_view.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QtCharts/QChartView>

#include <memory>
#include <vector>

namespace vek {

namespace {

using Graph = std::unique_ptr<GraphView>;

// Every graph in its band of the target, one above the other.
void paintGraphs(QPainter &p, const std::vector<Graph> &graphs, const QRectF &target) {
    const double band = target.height() / static_cast<double>(graphs.size());
    for (std::size_t i = 0; i < graphs.size(); ++i)
        graphs[i]->chartView()->render(
            &p, QRectF(target.left(), target.top() + band * static_cast<double>(i), target.width(), band), QRect(),
            Qt::IgnoreAspectRatio);
}

} // namespace

bool writePlotImage(const PlotData &plot, const QString &lookFolder, const QString &path, const QSize &size,
                    QString *error) {
    auto fail = [&](const QString &why) {
        if (error) *error = why;
        return false;
    };
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != "png" && suffix != "svg" && suffix != "pdf")
        return fail(QString("Unable to write %1: an image is written as %2, by the file's extension.")
                        .arg(path, QString::fromLatin1(kPlotImageFormats)));
    std::vector<Graph> graphs;
    for (const auto *g : {&plot.diversion, &plot.stream}) {
        if (!*g) continue;
        GraphData data = **g;
        if (!data.graphName.empty() && !lookFolder.isEmpty())
            data.graphName = (lookFolder + "/").toStdString() + data.graphName;
        Graph view(GraphView::fromData(data));
        const QSize band(size.width(), size.height() / (plot.diversion && plot.stream ? 2 : 1));
        view->place(QPoint(0, 0), band);
        view->createWindow();
        view->chartView()->resize(band);
        view->buildChart();
        graphs.push_back(std::move(view));
    }
    if (graphs.empty()) return fail("Nothing to plot: the selection holds no graph.");

    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    const QString cannotDraw = QString("Unable to write %1: the graph could not be drawn as %2.").arg(path);
    QPainter p;
    if (suffix == "pdf") {
        QPdfWriter writer(&out);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setTitle(QString::fromStdString(graphs.front()->data().title));
        if (!p.begin(&writer)) return fail(cannotDraw.arg("PDF"));
        paintGraphs(p, graphs, QRectF(0, 0, writer.width(), writer.height()));
        p.end();
    } else if (suffix == "svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&out);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QString::fromStdString(graphs.front()->data().title));
        if (!p.begin(&svg)) return fail(cannotDraw.arg("SVG"));
        paintGraphs(p, graphs, QRectF(QPointF(0, 0), size));
        p.end();
    } else {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(Qt::white);
        if (!p.begin(&image)) return fail(cannotDraw.arg("PNG"));
        paintGraphs(p, graphs, QRectF(QPointF(0, 0), size));
        p.end();
        if (!image.save(&out, "PNG")) return fail(cannotDraw.arg("PNG"));
    }
    out.close();
    std::string why;
    if (!saveFile(path.toStdString(), std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), &why))
        return fail(QString::fromStdString(why));
    return true;
}

} // namespace vek
