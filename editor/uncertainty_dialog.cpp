// The Uncertainty dialog (see uncertainty_dialog.h).
#include "editor/uncertainty_dialog.h"

#include "editor/factor_calculator.h"
#include "editor/uncertainty_edits.h"
#include "editor/vekview_doc.h"
#include "model/input_file.h"
#include "results/uncertainty_export.h"

#include "common/safe_save.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>

#include <atomic>
#include <sstream>
#include <thread>

namespace vek {

using engine::Distribution;
using engine::UncertainQuantity;

namespace {

const char *const kQuantityCaptions[] = {"factor (days)",      "a (distance)",        "S (storage)",
                                         "T (transmissivity)", "parameter (a/W, λ′)", "pumping (multiplier)"};
const char *const kDistributionCaptions[] = {"fixed", "uniform", "log-uniform", "triangular", "normal", "log-normal"};
enum Column { ColLocation, ColQuantity, ColDistribution, ColValue, ColSpread, ColLow, ColHigh, ColShared, Columns };

// The months of every location are kept while they take no more than this.
constexpr double kLocationMonthBytes = 512.0 * 1024 * 1024;

QLineEdit *numberField(QWidget *parent, const QString &name) {
    auto *e = new QLineEdit(parent);
    e->setAccessibleName(name);
    return e;
}

} // namespace

// A run on a worker thread: what it reads, what it leaves, and how it and the
// dialog speak (the samples done, the request to stop, the end).
struct UncertaintyDialog::Job {
    engine::DeckSource deck;
    engine::Ranges ranges;
    engine::UncertaintyOptions options;
    std::atomic<std::size_t> done{0};
    std::atomic<bool> stop{false}, finished{false};
    std::shared_ptr<engine::PreparedModel> model = std::make_shared<engine::PreparedModel>();
    std::shared_ptr<engine::UncertaintyResults> results;
    std::shared_ptr<engine::Tornado> tornado;
    std::string failure;

    void work() {
        try {
            std::ostringstream console, errors;
            if (engine::prepareModel(std::move(deck), *model, console, errors) != engine::kExitNormal)
                failure = errors.str().empty() ? console.str() : errors.str();
            else if (failure = engine::rangesProblem(*model, ranges); failure.empty()) {
                options.progress = [this](std::size_t n) {
                    done.store(n);
                    return !stop.load();
                };
                const double bytes = 4.0 * static_cast<double>(model->locations.size()) *
                                     static_cast<double>(model->counts.runMonths) *
                                     static_cast<double>(options.samples);
                options.locationMonths = bytes <= kLocationMonthBytes;
                results = std::make_shared<engine::UncertaintyResults>(engine::runUncertainty(*model, ranges, options));
                // The tornado of all locations, unless the user stopped the run.
                if (!stop.load() && !results->series.empty()) {
                    tornado = std::make_shared<engine::Tornado>(
                        engine::sensitivity(*model, ranges, results->allLocations(), options.engine, *results));
                }
            }
        } catch (const std::exception &e) {
            failure = e.what();
        }
        finished.store(true);
    }
};

UncertaintyDialog::UncertaintyDialog(CVEKViewDoc *doc, QWidget *parent) : QDialog(parent), doc_(doc) {
    setWindowTitle(QStringLiteral("Uncertainty"));
    tabs_ = new QTabWidget(this);
    tabs_->addTab(buildRangesTab(), QStringLiteral("&Ranges"));
    tabs_->addTab(buildBandsTab(), QStringLiteral("&Bands"));
    tabs_->addTab(buildTornadoTab(), QStringLiteral("&Tornado"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto *runButton = buttons->addButton(QStringLiteral("R&un"), QDialogButtonBox::ActionRole);
    connect(runButton, &QPushButton::clicked, this, [this] { run(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    resize(860, 620);
    fillLocations();
    refill();
    enableFields();
    if (doc_) connect(doc_, &CVEKViewDoc::viewsUpdated, this, [this] { refill(); });
}

UncertaintyDialog::~UncertaintyDialog() = default;

QWidget *UncertaintyDialog::buildRangesTab() {
    auto *page = new QWidget(this);
    table_ = new QTableWidget(0, Columns, page);
    table_->setHorizontalHeaderLabels({QStringLiteral("Location"), QStringLiteral("Quantity"),
                                       QStringLiteral("Distribution"), QStringLiteral("Value"),
                                       QStringLiteral("Spread"), QStringLiteral("Low"), QStringLiteral("High"),
                                       QStringLiteral("Shared")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &UncertaintyDialog::rowChosen);

    location_ = new QComboBox(page);
    quantity_ = new QComboBox(page);
    for (const char *c : kQuantityCaptions)
        quantity_->addItem(QString::fromUtf8(c));
    distribution_ = new QComboBox(page);
    for (const char *c : kDistributionCaptions)
        distribution_->addItem(QString::fromLatin1(c));
    distribution_->setCurrentIndex(static_cast<int>(Distribution::Uniform));
    connect(distribution_, &QComboBox::currentIndexChanged, this, &UncertaintyDialog::enableFields);
    value_ = numberField(page, QStringLiteral("Value"));
    spread_ = numberField(page, QStringLiteral("Spread"));
    low_ = numberField(page, QStringLiteral("Low"));
    high_ = numberField(page, QStringLiteral("High"));
    shared_ = new QCheckBox(QStringLiteral("S&hared draw (one value for all the locations it applies to)"), page);
    auto *edit = new QGroupBox(QStringLiteral("Range"), page);
    auto *grid = new QGridLayout(edit);
    const QString listCaptions[] = {QStringLiteral("&Location:"), QStringLiteral("&Quantity:"),
                                    QStringLiteral("&Distribution:")};
    QComboBox *lists[] = {location_, quantity_, distribution_};
    for (int i = 0; i < 3; ++i) {
        auto *label = new QLabel(listCaptions[i], edit);
        label->setBuddy(lists[i]);
        grid->addWidget(label, 0, 2 * i);
        grid->addWidget(lists[i], 0, 2 * i + 1);
    }
    location_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    location_->setMinimumContentsLength(22);
    const QString captions[] = {QStringLiteral("&Value (mode, mean, median):"), QStringLiteral("&Spread (sd):"),
                                QStringLiteral("Lo&w:"), QStringLiteral("H&igh:")};
    QLineEdit *fields[] = {value_, spread_, low_, high_};
    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(captions[i], edit);
        label->setBuddy(fields[i]);
        grid->addWidget(label, 1 + i / 2, (i % 2) * 2);
        grid->addWidget(fields[i], 1 + i / 2, (i % 2) * 2 + 1);
    }
    grid->addWidget(shared_, 3, 0, 1, 6);
    auto *add = new QPushButton(QStringLiteral("&Add"), edit);
    auto *change = new QPushButton(QStringLiteral("&Change"), edit);
    auto *remove = new QPushButton(QStringLiteral("D&elete"), edit);
    connect(add, &QPushButton::clicked, this, [this] { addRange(); });
    connect(change, &QPushButton::clicked, this, [this] { changeRange(); });
    connect(remove, &QPushButton::clicked, this, [this] { deleteRange(); });
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(add);
    row->addWidget(change);
    row->addWidget(remove);
    grid->addLayout(row, 4, 0, 1, 6);

    QGroupBox *settings = buildRunSettings(page);
    problem_ = new QLabel(page);
    problem_->setWordWrap(true);
    auto *below = new QHBoxLayout;
    below->addWidget(edit, 3);
    below->addWidget(settings, 1);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(table_, 1);
    layout->addLayout(below);
    layout->addWidget(problem_);
    return page;
}

QGroupBox *UncertaintyDialog::buildRunSettings(QWidget *page) {
    auto *settings = new QGroupBox(QStringLiteral("Sampled run"), page);
    samples_ = new QSpinBox(settings);
    samples_->setRange(1, 1000000);
    samples_->setValue(200);
    seed_ = new QLineEdit(QStringLiteral("1"), settings);
    design_ = new QComboBox(settings);
    design_->addItems({QStringLiteral("Monte Carlo"), QStringLiteral("Latin hypercube")});
    quantiles_ = new QLineEdit(QStringLiteral("5,50,95"), settings);
    auto *form = new QFormLayout(settings);
    form->addRow(QStringLiteral("Sa&mples:"), samples_);
    form->addRow(QStringLiteral("Ra&ndom seed:"), seed_);
    form->addRow(QStringLiteral("Desi&gn:"), design_);
    form->addRow(QStringLiteral("&Percentiles:"), quantiles_);
    return settings;
}

QWidget *UncertaintyDialog::buildBandsTab() {
    auto *page = new QWidget(this);
    result_ = new QComboBox(page);
    period_ = new QComboBox(page);
    period_->addItems({QStringLiteral("Monthly"), QStringLiteral("Yearly"), QStringLiteral("Average year")});
    period_->setCurrentIndex(1);
    connect(result_, &QComboBox::currentIndexChanged, this, &UncertaintyDialog::showBands);
    connect(period_, &QComboBox::currentIndexChanged, this, &UncertaintyDialog::showBands);
    auto *exportButton = new QPushButton(QStringLiteral("E&xport Bands..."), page);
    connect(exportButton, &QPushButton::clicked, this, [this] { chooseExport(false); });
    bandView_ = new QChartView(page);
    bandView_->setRenderHint(QPainter::Antialiasing);
    runNote_ = new QLabel(QStringLiteral("No run yet: press Run."), page);
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Result:"), page));
    top->addWidget(result_, 1);
    top->addWidget(new QLabel(QStringLiteral("Period:"), page));
    top->addWidget(period_);
    top->addWidget(exportButton);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(bandView_, 1);
    layout->addWidget(runNote_);
    return page;
}

QWidget *UncertaintyDialog::buildTornadoTab() {
    auto *page = new QWidget(this);
    tornadoResult_ = new QComboBox(page);
    connect(tornadoResult_, &QComboBox::activated, this, [this] {
        if (!model_ || !results_) return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            const auto which = static_cast<std::size_t>(tornadoResult_->currentIndex());
            tornado_ = std::make_shared<engine::Tornado>(engine::sensitivity(*model_, ranges_, which, {}, *results_));
        } catch (const std::exception &e) {
            say(QString::fromStdString(e.what()));
        }
        QApplication::restoreOverrideCursor();
        showTornado();
    });
    auto *exportButton = new QPushButton(QStringLiteral("Ex&port Tornado..."), page);
    connect(exportButton, &QPushButton::clicked, this, [this] { chooseExport(true); });
    tornadoView_ = new QChartView(page);
    tornadoView_->setRenderHint(QPainter::Antialiasing);
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Result:"), page));
    top->addWidget(tornadoResult_, 1);
    top->addWidget(exportButton);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(tornadoView_, 1);
    return page;
}

void UncertaintyDialog::fillLocations() {
    location_->clear();
    location_->addItem(QStringLiteral("All locations"));
    if (!doc_) return;
    for (std::size_t i = 0; i < doc_->model().locations.size(); ++i)
        location_->addItem(rangeLocationText(*doc_, static_cast<long long>(i) + 1));
}

void UncertaintyDialog::refill() {
    if (!doc_) return;
    filling_ = true;
    const int row = table_->currentRow();
    if (location_->count() != static_cast<int>(doc_->model().locations.size()) + 1) fillLocations();
    const engine::Ranges all = doc_->model().allRanges();
    table_->setRowCount(static_cast<int>(all.entries.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const engine::ParameterRange &e = all.entries[static_cast<std::size_t>(r)];
        const RangeTexts t = rangeTexts(e.range);
        const QString cells[] = {rangeLocationText(*doc_, e.location),
                                 QString::fromLatin1(engine::quantityName(e.quantity)),
                                 QString::fromLatin1(engine::distributionName(e.range.distribution)),
                                 t.value,
                                 t.spread,
                                 t.low,
                                 t.high,
                                 e.shared ? QStringLiteral("yes") : QString()};
        for (int c = 0; c < Columns; ++c)
            table_->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    table_->resizeColumnsToContents();
    if (row >= 0 && row < table_->rowCount()) table_->selectRow(row);
    filling_ = false;
}

void UncertaintyDialog::rowChosen() {
    if (filling_ || !doc_) return;
    const int row = table_->currentRow();
    const engine::Ranges all = doc_->model().allRanges();
    if (row < 0 || row >= static_cast<int>(all.entries.size())) return;
    const engine::ParameterRange &e = all.entries[static_cast<std::size_t>(row)];
    location_->setCurrentIndex(static_cast<int>(e.location));
    quantity_->setCurrentIndex(static_cast<int>(e.quantity));
    distribution_->setCurrentIndex(static_cast<int>(e.range.distribution));
    const RangeTexts t = rangeTexts(e.range);
    value_->setText(t.value);
    spread_->setText(t.spread);
    low_->setText(t.low);
    high_->setText(t.high);
    shared_->setChecked(e.shared);
    enableFields();
}

void UncertaintyDialog::enableFields() {
    const auto d = static_cast<Distribution>(distribution_->currentIndex());
    value_->setEnabled(d == Distribution::Fixed || d == Distribution::Triangular || d == Distribution::Normal ||
                       d == Distribution::LogNormal);
    spread_->setEnabled(d == Distribution::Normal || d == Distribution::LogNormal);
    low_->setEnabled(d != Distribution::Fixed);
    high_->setEnabled(d != Distribution::Fixed);
}

bool UncertaintyDialog::fieldsRange(engine::ParameterRange &out) {
    out.quantity = static_cast<UncertainQuantity>(quantity_->currentIndex());
    out.location = location_->currentIndex();
    out.shared = shared_->isChecked();
    const auto d = static_cast<Distribution>(distribution_->currentIndex());
    const QString problem =
        rangeFromTexts(d, {value_->text(), spread_->text(), low_->text(), high_->text()}, out.range);
    problem_->setText(problem.isEmpty() ? QString() : problemSentence(problem.toStdString()));
    return problem.isEmpty();
}

bool UncertaintyDialog::addRange() {
    engine::ParameterRange r;
    if (!doc_ || !fieldsRange(r)) return false;
    const QString problem = addUncertaintyRange(*doc_, r);
    problem_->setText(problem);
    refill();
    if (problem.isEmpty()) table_->selectRow(table_->rowCount() - 1);
    return problem.isEmpty();
}

bool UncertaintyDialog::changeRange() {
    engine::ParameterRange r;
    if (!doc_ || !fieldsRange(r)) return false;
    const QString problem = changeUncertaintyRange(*doc_, table_->currentRow(), r);
    problem_->setText(problem);
    refill();
    return problem.isEmpty();
}

bool UncertaintyDialog::deleteRange() {
    if (!doc_) return false;
    const QString problem = deleteUncertaintyRange(*doc_, table_->currentRow());
    problem_->setText(problem);
    refill();
    return problem.isEmpty();
}

bool UncertaintyDialog::runSettings(engine::UncertaintyOptions &options) {
    bool ok = false;
    const qulonglong seed = seed_->text().trimmed().toULongLong(&ok);
    if (!ok) {
        say(QStringLiteral("The seed must be a whole number from 0 to 18446744073709551615."));
        return false;
    }
    std::vector<double> percents;
    if (!parsePercents(quantiles_->text().trimmed().toStdString(), percents)) {
        say(QStringLiteral("The quantiles must be percents from 0 to 100 separated by commas, such as 5,50,95."));
        return false;
    }
    percents_ = percents;
    options.samples = static_cast<std::size_t>(samples_->value());
    options.seed = seed;
    options.design = design_->currentIndex() == 1 ? engine::Design::LatinHypercube : engine::Design::MonteCarlo;
    return true;
}

bool UncertaintyDialog::run() {
    if (!doc_) return false;
    emit doc_->endEditRequested();
    auto job = std::make_shared<Job>();
    if (!runSettings(job->options)) return false;
    job->ranges = doc_->model().allRanges();
    if (job->ranges.entries.empty()) {
        say(QStringLiteral("The model has no uncertainty ranges: add one first."));
        return false;
    }
    const QString path = doc_->path();
    job->deck = {path.isEmpty() ? std::string("<model in memory>") : path.toStdString(), modelInputText(doc_->model())};
    std::thread worker([job] { job->work(); });
    waitFor(*job);
    worker.join();
    if (!job->failure.empty()) {
        say(QStringLiteral("The samples could not be run: %1").arg(QString::fromStdString(job->failure).trimmed()));
        return false;
    }
    takeResults(*job);
    return true;
}

// Shows the progress until the worker ends; Stop asks it to end after the
// samples under way.
void UncertaintyDialog::waitFor(Job &job) {
    const int total = static_cast<int>(job.options.samples);
    QProgressDialog progress(QStringLiteral("Running the samples..."), QStringLiteral("&Stop"), 0, total, this);
    progress.setWindowTitle(QStringLiteral("Uncertainty"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    QEventLoop loop;
    QTimer timer;
    QElapsedTimer clock;
    clock.start();
    connect(&timer, &QTimer::timeout, &loop, [&] {
        if (progress.wasCanceled()) job.stop.store(true);
        const auto done = static_cast<int>(job.done.load());
        const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
        const double rate = seconds > 0 ? done / seconds : 0.0;
        const int left = rate > 0 ? static_cast<int>((total - done) / rate) : 0;
        progress.setLabelText(QStringLiteral("Sample %1 of %2, %3 a second, %4:%5 left")
                                  .arg(done)
                                  .arg(total)
                                  .arg(rate, 0, 'f', 1)
                                  .arg(left / 60)
                                  .arg(left % 60, 2, 10, QLatin1Char('0')));
        if (!progress.wasCanceled()) progress.setValue(done);
        if (job.finished.load()) loop.quit();
    });
    timer.start(50);
    loop.exec();
}

void UncertaintyDialog::takeResults(Job &job) {
    model_ = job.model;
    ranges_ = job.ranges;
    results_ = job.results;
    tornado_ = job.tornado;
    filling_ = true;
    result_->clear();
    tornadoResult_->clear();
    for (const engine::SampledSeries &s : results_->series) {
        const QString name = QString::fromStdString(s.name).trimmed();
        result_->addItem(s.location ? QString::number(s.location) + QLatin1Char(' ') + name : name);
        tornadoResult_->addItem(result_->itemText(result_->count() - 1));
    }
    result_->setCurrentIndex(static_cast<int>(results_->allLocations()));
    tornadoResult_->setCurrentIndex(static_cast<int>(results_->allLocations()));
    filling_ = false;
    const std::size_t asked = job.options.samples;
    runNote_->setText(results_->samples < asked
                          ? QStringLiteral("Stopped after %1 of %2 samples: the bands show the %1 samples run.")
                                .arg(results_->samples)
                                .arg(asked)
                          : QStringLiteral("%1 samples.").arg(results_->samples));
    showBands();
    showTornado();
    tabs_->setCurrentIndex(1);
}

void UncertaintyDialog::showBands() {
    if (filling_ || !results_) return;
    const auto period = static_cast<BandPeriod>(period_->currentIndex());
    QChart *old = bandView_->chart();
    bandView_->setChart(
        bandChart(*results_, static_cast<std::size_t>(result_->currentIndex()), period, bandLimits(percents_)));
    delete old;
}

void UncertaintyDialog::showTornado() {
    if (filling_ || !results_) return;
    QChart *old = tornadoView_->chart();
    if (tornado_)
        tornadoView_->setChart(tornadoChart(*results_, *tornado_, tornadoResult_->currentText()));
    else {
        auto *empty = new QChart;
        empty->setTitle(QStringLiteral("The run was stopped before the tornado: choose a result to compute it."));
        tornadoView_->setChart(empty);
    }
    delete old;
}

bool UncertaintyDialog::exportBands(const QString &path) {
    if (!results_) return false;
    std::string error;
    const bool ok = path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)
                        ? writeBandsWorkbook(path.toStdString(), *results_, percents_, &error)
                        : saveFile(path.toStdString(), bandsCsv(*results_, percents_), &error);
    if (!ok) say(QString::fromStdString(error));
    return ok;
}

bool UncertaintyDialog::exportTornado(const QString &path) {
    if (!results_ || !tornado_) return false;
    std::string error;
    const std::string name = results_->series[static_cast<std::size_t>(tornadoResult_->currentIndex())].name;
    if (saveFile(path.toStdString(), tornadoCsv(*tornado_, name), &error)) return true;
    say(QString::fromStdString(error));
    return false;
}

void UncertaintyDialog::chooseExport(bool tornado) {
    if (!results_ || (tornado && !tornado_)) {
        say(QStringLiteral("Nothing to export: run the samples first."));
        return;
    }
    const QString filter =
        tornado ? QStringLiteral("CSV files (*.csv)") : QStringLiteral("CSV files (*.csv);;Excel workbooks (*.xlsx)");
    const QString path = QFileDialog::getSaveFileName(
        this, tornado ? QStringLiteral("Export Tornado") : QStringLiteral("Export Bands"), QString(), filter);
    if (path.isEmpty()) return;
    if (tornado)
        exportTornado(path);
    else
        exportBands(path);
}

void UncertaintyDialog::say(const QString &text) {
    if (showMessage)
        showMessage(text);
    else
        QMessageBox::warning(this, QStringLiteral("Uncertainty"), text);
}

} // namespace vek
