// The Map window (see map_window.h).
#include "editor/map_window.h"

#include "editor/map_view.h"
#include "editor/reach_edits.h"
#include "editor/vekview_doc.h"
#include "engine/engine_run.h"
#include "engine/report_writer.h"
#include "model/input_file.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <limits>
#include <sstream>

namespace vek {

MapWindow::MapWindow(CVEKViewDoc *doc, QWidget *parent) : QWidget(parent, Qt::Window), doc_(doc) {
    setWindowTitle(QStringLiteral("Map - ") + doc->title());
    view_ = new MapView(this);
    colourBy_ = new QComboBox(this);
    colourBy_->addItems(
        {QStringLiteral("Average depletion"), QStringLiteral("Depletion factor"), QStringLiteral("Share of reach")});
    colourBy_->setCurrentIndex(1);
    colourBy_->setAccessibleName(QStringLiteral("Colour by"));
    reach_ = new QComboBox(this);
    reach_->setAccessibleName(QStringLiteral("Reach"));
    auto *fit = new QPushButton(QStringLiteral("&Fit"), this);
    export_ = new QPushButton(QStringLiteral("&Export..."), this);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    auto *colourLabel = new QLabel(QStringLiteral("&Colour by:"), this);
    colourLabel->setBuddy(colourBy_);
    auto *bar = new QHBoxLayout;
    bar->addWidget(colourLabel);
    bar->addWidget(colourBy_);
    bar->addWidget(reach_, 1);
    bar->addWidget(fit);
    bar->addWidget(export_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(view_, 1);
    layout->addWidget(status_);
    resize(820, 640);

    connect(colourBy_, &QComboBox::currentIndexChanged, this, [this] { recolour(); });
    connect(reach_, &QComboBox::currentIndexChanged, this, [this] { recolour(); });
    connect(fit, &QPushButton::clicked, view_, &MapView::fitAll);
    connect(export_, &QPushButton::clicked, this, &MapWindow::exportMap);
    connect(view_, &MapView::locationClicked, this, [this](int location) {
        describeSelection();
        emit locationChosen(location);
    });
    connect(doc, &CVEKViewDoc::viewsUpdated, this, [this] { refresh(); });
    connect(doc, &QObject::destroyed, this, &QWidget::close);
    refresh();
    view_->fitAll();
}

void MapWindow::refresh() {
    if (!doc_) return;
    averagesKnown_ = false;
    const ModelInput &m = doc_->model();
    const int reach = reach_->currentIndex();
    {
        const QSignalBlocker block(reach_);
        reach_->clear();
        for (const StreamReach &r : m.network.reaches)
            reach_->addItem(QString::fromStdString(r.name));
        reach_->setCurrentIndex(reach >= 0 && reach < reach_->count() ? reach : 0);
    }
    view_->showModel(m);
    recolour();
}

void MapWindow::selectLocation(int location) {
    view_->setSelected(location);
    describeSelection();
}

std::vector<double> MapWindow::averageDepletions(CVEKViewDoc &doc, QString *problem) {
    const ModelInput &m = doc.model();
    std::vector<double> out(m.locations.size(), std::numeric_limits<double>::quiet_NaN());
    ModelInput copy = m;
    copy.outputFormat = 0; // the run keeps every used location's tables
    engine::RunTables tables;
    std::ostringstream console, errors;
    const int status = engine::runEngine(engine::DeckSource{"map", modelInputText(copy)}, tables, {}, console, errors);
    if (status != engine::kExitNormal) {
        if (problem) *problem = QString::fromStdString(errors.str() + console.str()).trimmed();
        return out;
    }
    std::size_t k = 0;
    for (std::size_t i = 0; i < m.locations.size() && k < tables.locations.size(); ++i) {
        if (m.locations[i].UseInOutput == 0) continue;
        const auto sums = engine::report::tableSums(tables.locations[k++].effect.data(), tables.counts.runYears);
        out[i] = sums.totalAverage;
    }
    return out;
}

void MapWindow::recolour() {
    if (!doc_) return;
    const auto colouring = static_cast<MapColouring>(colourBy_->currentIndex());
    reach_->setEnabled(colouring == MapColouring::ShareOfReach);
    QString problem;
    if (colouring == MapColouring::AverageDepletion && !averagesKnown_) {
        averages_ = averageDepletions(*doc_, &problem);
        averagesKnown_ = problem.isEmpty();
    }
    view_->setColouring(colouring, reach_->currentIndex(), averages_);
    if (!problem.isEmpty())
        status_->setText(QStringLiteral("The model does not run: ") + problem);
    else
        describeSelection();
}

void MapWindow::describeSelection() {
    if (!doc_) return;
    const ModelInput &m = doc_->model();
    const int i = view_->selected();
    if (i < 0 || i >= static_cast<int>(m.locations.size())) {
        status_->setText(QStringLiteral("Click a point to select its location."));
        return;
    }
    const Location &loc = m.locations[static_cast<std::size_t>(i)];
    QString text = QString::fromStdString(loc.name) + QStringLiteral(": ") + sharesText(m, loc);
    for (const auto &[location, trouble] : doc_->reachTroubles())
        if (location == i) text += QStringLiteral(" (") + QString::fromStdString(trouble) + QStringLiteral(")");
    status_->setText(text);
}

void MapWindow::exportMap() {
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Export Map"), QString(),
                                     QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"));
    if (path.isEmpty()) return;
    QString error;
    if (!view_->exportTo(path, &error) && doc_) doc_->prompter()->message(error.toStdString());
}

} // namespace vek
