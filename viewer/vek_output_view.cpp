// VEKOutputView: output form, text report exports and Plot.
#include "viewer/vek_output_view.h"

#include "common/safe_save.h"
#include "viewer/print_preview.h"

#include "results/graph_data.h"
#include "results/output_results.h"
#include "results/text_decoding.h"
#include "results/text_report.h"
#include "results/xlsx_export.h"
#include "viewer/graph_view.h"
#include "viewer/report_printer.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

namespace vek {

VEKOutputView::VEKOutputView(OutputResults *results, QWidget *parent, Prompter *prompter)
    : QWidget(parent), results_(results), prompter_(prompter) {
    setObjectName("VEKOutputView");

    auto *scaleBox = new QGroupBox("Scale", this);
    yearly_ = new QRadioButton("Yearly", scaleBox);
    monthly_ = new QRadioButton("Monthly", scaleBox);
    monthly_->setChecked(true);
    auto *sl = new QVBoxLayout(scaleBox);
    sl->addWidget(yearly_);
    sl->addWidget(monthly_);
    sl->addStretch();

    auto *yearBox = new QGroupBox("Year", this);
    calendar_ = new QRadioButton("Calendar", yearBox);
    irrigation_ = new QRadioButton("Irrigation", yearBox);
    usgs_ = new QRadioButton("USGS", yearBox);
    irrigation_->setChecked(true);
    auto *yl = new QVBoxLayout(yearBox);
    yl->addWidget(calendar_);
    yl->addWidget(irrigation_);
    yl->addWidget(usgs_);

    auto *locLabel = new QLabel("Output For Well/Recharge Sites:", this);
    locations_ = new QListWidget(this);
    locations_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    locations_->setMinimumHeight(170);
    locLabel->setBuddy(locations_);
    auto *yearsLabel = new QLabel("Years", this);
    years_ = new QListWidget(this);
    years_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    years_->setMinimumHeight(170);
    yearsLabel->setBuddy(years_);

    showDiversionBox_ = new QCheckBox("Show CU of Ground Water/Net Recharge Data", this);
    showDiversionBox_->setChecked(true);
    showStreamBox_ = new QCheckBox("Show Depletion/Accretion Data", this);
    showStreamBox_->setChecked(true);

    makeReportBox();

    const char *names[6] = {"Print", "Save To File", "Plot", "View in Wordpad", "Done", "Help"};
    const int ids[6] = {IDC_PRINT, IDC_SAVE, IDC_PLOT, IDC_WORDPAD, IDC_DONE, IDC_HELP};
    auto *buttonRow = new QHBoxLayout;
    for (int i = 0; i < 6; ++i) {
        buttons_[i] = new QPushButton(names[i], this);
        buttons_[i]->setObjectName(QString("ctl%1").arg(ids[i]));
        buttons_[i]->setAutoDefault(false);
        buttonRow->addWidget(buttons_[i]);
    }
    // The buttons keep their place on the left and follow the bottom edge.
    buttonRow->addStretch(1);

    layoutControls(scaleBox, yearBox, locLabel, yearsLabel, buttonRow);

    struct Named {
        QWidget *w;
        int id;
    };
    for (const Named &n : {Named{yearly_, IDC_YEARLY}, Named{monthly_, IDC_MONTHLY}, Named{calendar_, IDC_CALENDAR},
                           Named{irrigation_, IDC_IRRIGATION}, Named{usgs_, IDC_USGS}, Named{locations_, IDC_LOCATIONS},
                           Named{years_, IDC_YEARS}, Named{report_, IDC_REPORT},
                           Named{showDiversionBox_, IDC_SHOW_DIVERSION}, Named{showStreamBox_, IDC_SHOW_STREAM}})
        n.w->setObjectName(QString("ctl%1").arg(n.id));

    connectControls();

    onUpdate();
}

void VEKOutputView::layoutControls(QGroupBox *scaleBox, QGroupBox *yearBox, QLabel *locLabel, QLabel *yearsLabel,
                                   QHBoxLayout *buttonRow) {
    auto *left = new QVBoxLayout;
    auto *groups = new QHBoxLayout;
    groups->addWidget(scaleBox);
    groups->addWidget(yearBox);
    left->addLayout(groups);
    left->addLayout(makeUnitsRow());
    left->addSpacing(4);
    left->addWidget(locLabel);
    left->addWidget(locations_);
    left->addWidget(yearsLabel);
    left->addWidget(years_);
    left->addSpacing(4);
    left->addWidget(showDiversionBox_);
    left->addWidget(showStreamBox_);
    left->addStretch(1);

    auto *right = new QVBoxLayout;
    right->addWidget(report_, 1);
    right->addLayout(buttonRow);

    auto *leftHolder = new QWidget(this);
    leftHolder->setLayout(left);
    leftHolder->setFixedWidth(std::max(260, leftHolder->sizeHint().width()));
    left->setContentsMargins(0, 0, 0, 0);

    // A window tiled smaller than the controls need scrolls rather than
    // drawing them over one another.
    auto *content = new QWidget;
    auto *main = new QHBoxLayout(content);
    main->addWidget(leftHolder);
    main->addLayout(right, 1);
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
}

void VEKOutputView::makeReportBox() {
    report_ = new QPlainTextEdit(this);
    // The box shows the report; it takes no typing (an edited number would
    // reach Save To File and Print as if the engine had computed it), but
    // its text can be selected and copied.
    report_->setReadOnly(true);
    report_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    report_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    report_->setFont(mono);
    report_->setTabStopDistance(QFontMetricsF(mono).horizontalAdvance(QLatin1Char('0')) * 11);
}

void VEKOutputView::connectControls() {
    auto rebuild = [this] { buildReport("\r\n"); };
    connect(locations_, &QListWidget::itemSelectionChanged, this, rebuild);
    connect(years_, &QListWidget::itemSelectionChanged, this, rebuild);
    connect(yearly_, &QRadioButton::clicked, this, rebuild);
    connect(monthly_, &QRadioButton::clicked, this, rebuild);
    connect(showDiversionBox_, &QCheckBox::clicked, this, rebuild);
    connect(showStreamBox_, &QCheckBox::clicked, this, rebuild);
    connect(units_, &QComboBox::currentIndexChanged, this, rebuild);
    connect(calendar_, &QRadioButton::clicked, this, [this] { OnYearType(0); });
    connect(irrigation_, &QRadioButton::clicked, this, [this] { OnYearType(1); });
    connect(usgs_, &QRadioButton::clicked, this, [this] { OnYearType(2); });
    connect(buttons_[0], &QPushButton::clicked, this, &VEKOutputView::OnPrint);
    connect(buttons_[1], &QPushButton::clicked, this, &VEKOutputView::OnSaveToFile);
    connect(buttons_[2], &QPushButton::clicked, this, &VEKOutputView::OnPlot);
    connect(buttons_[3], &QPushButton::clicked, this, &VEKOutputView::OnViewInWordpad);
    connect(buttons_[4], &QPushButton::clicked, this, &VEKOutputView::OnDone);
    connect(buttons_[5], &QPushButton::clicked, this, &VEKOutputView::OnHelp);
}

QLayout *VEKOutputView::makeUnitsRow() {
    // The engine reports acre-feet; the other units are converted from them.
    auto *label = new QLabel("Units:", this);
    units_ = new QComboBox(this);
    for (const ResultUnitFacts &f : kResultUnits)
        units_->addItem(QString("%1 (%2)").arg(QString::fromLatin1(f.name), QString::fromLatin1(f.option)));
    units_->setCurrentIndex(0);
    units_->setObjectName("units");
    units_->setAccessibleName("Units");
    units_->setToolTip("The unit of the report, the graphs and the workbook. The engine computes acre-feet; the "
                       "volumes are converted by exact factors (1 acre-foot = 1233.48183754752 m3) and the rates "
                       "are each month's mean over its seconds.");
    label->setBuddy(units_);
    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(units_, 1);
    return row;
}

VEKOutputView::~VEKOutputView() {
    // The graphs show this report's numbers: they go with it.
    for (const auto &g : graphs_)
        if (g) g->close();
}

QWidget *VEKOutputView::control(int id) const { return findChild<QWidget *>(QString("ctl%1").arg(id)); }

void VEKOutputView::message(const QString &text) {
    if (showMessage)
        showMessage(text);
    else
        QMessageBox::information(this, "VEKView", text);
}

void VEKOutputView::onUpdate() {
    reportText.clear();
    const QSignalBlocker b1(locations_), b2(years_);
    years_->clear();
    locations_->clear();
    if (results_) {
        for (int y = results_->firstPrintYear; y <= results_->lastPrintYear; ++y)
            years_->addItem(QString::number(y));
        years_->addItem("Average");
        for (const LocationResult &loc : results_->locations)
            locations_->addItem(QString::fromStdString(decodeReportText(loc.name)));
    }
    report_->setPlainText(QString());
}

ViewChoices VEKOutputView::readControls() {
    scale = yearly_->isChecked() ? ViewChoices::Yearly : ViewChoices::Monthly;
    yearType = calendar_->isChecked() ? 0 : usgs_->isChecked() ? 2 : 1;
    showDiversion = showDiversionBox_->isChecked();
    showStream = showStreamBox_->isChecked();
    const int unit = units_->currentIndex();
    units =
        unit >= 0 && unit < static_cast<int>(std::size(kResultUnits)) ? kResultUnits[unit].unit : ResultUnit::AcreFeet;
    ViewChoices c;
    for (int i = 0; i < locations_->count(); ++i)
        if (locations_->item(i)->isSelected()) c.locations.push_back(i);
    for (int i = 0; i < years_->count(); ++i)
        if (years_->item(i)->isSelected()) c.years.push_back(i);
    c.scale = scale;
    c.yearType = yearType;
    c.showDiversion = showDiversion;
    c.showStream = showStream;
    c.units = units;
    return c;
}

void VEKOutputView::buildReport(const std::string &sep) {
    const ViewChoices c = readControls();
    if (!results_) return;
    reportText = buildTextReport(*results_, c, sep, prompter_);
    if (sep == "\r\n") {
        // The box shows lines, not carriage returns; boxText() restores them.
        QString shown = QString::fromStdString(reportText);
        shown.replace("\r\n", "\n");
        report_->setPlainText(shown);
    }
}

QString VEKOutputView::boxText() const {
    // The box as it is shown; files get this platform's line ends.
    return report_->toPlainText();
}

void VEKOutputView::OnYearType(int t) {
    readControls();
    if (!results_) return;
    const int before = results_->printedYears();
    results_->changeYearType(t);
    if (results_->printedYears() != before) {
        // The lists are refilled for the added year; what the user had
        // chosen stays chosen (years by their number).
        std::vector<int> locations;
        QStringList years;
        for (int i = 0; i < locations_->count(); ++i)
            if (locations_->item(i)->isSelected()) locations.push_back(i);
        for (int i = 0; i < years_->count(); ++i)
            if (years_->item(i)->isSelected()) years << years_->item(i)->text();
        emit documentChanged();
        onUpdate(); // this view refills even when nobody relays the signal
        {
            const QSignalBlocker b1(locations_), b2(years_);
            for (int i : locations)
                if (i < locations_->count()) locations_->item(i)->setSelected(true);
            for (int i = 0; i < years_->count(); ++i)
                if (years.contains(years_->item(i)->text())) years_->item(i)->setSelected(true);
        }
    }
    buildReport("\r\n");
}

bool VEKOutputView::writeText(const QString &path, const QString &text) {
    // Through the safe save: a failed write leaves an earlier file whole.
    const QByteArray bytes = text.toLocal8Bit();
    std::string error;
    if (!saveFile(path.toStdString(), std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), &error)) {
        message(QString::fromStdString(error));
        return false;
    }
    return true;
}

bool VEKOutputView::isTheReport(const QString &path) {
    // The report this view was read from: writing over it would lose it.
    if (documentTitle_.isEmpty() || !sameFile(documentTitle_.toStdString(), path.toStdString())) return false;
    message(QString("%1 is the report being shown; choose another name.").arg(path));
    return true;
}

QString VEKOutputView::modelName() const {
    const QString base = QFileInfo(documentTitle_).completeBaseName();
    return base.isEmpty() ? QString("VEK results") : base;
}

int VEKOutputView::printReport(const QString &text, QPrinter *printer) const {
    return ReportPrinter(text, modelName()).print(printer);
}

bool VEKOutputView::printWithDialog(const QString &text, QString *error) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(modelName());
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dlg(&printer, this);
    proposePdfBeside(dlg, documentTitle_);
    if (dlg.exec() != QDialog::Accepted) return false;
    if (printReport(text, &printer) == 0) {
        if (error) *error = "The report could not be printed.";
        return false;
    }
    return true;
}

void VEKOutputView::OnPrint() {
    readControls();
    // Printed straight from the box: no file beside the report is needed, so
    // a file of the same name the user keeps there is never replaced.
    const QString text = boxText();
    QString error;
    const bool ok = printText ? printText(text, &error) : printWithDialog(text, &error);
    if (!ok && !error.isEmpty()) message(error);
}

void VEKOutputView::OnPrintPreview() {
    readControls();
    const QString text = boxText();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(modelName());
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog dlg(&printer, this);
    connect(&dlg, &QPrintPreviewDialog::paintRequested, this, [this, text](QPrinter *p) { printReport(text, p); });
    fitPreviewToScreen(dlg, this);
    dlg.exec();
}

QString VEKOutputView::chooseFile(const QString &title, const QString &filter, const QString &suffix,
                                  bool confirmOverwrite) {
    if (chooseSaveFile) return chooseSaveFile(title, filter);
    QFileDialog dlg(this, title, QString(), filter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(suffix);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()) return dlg.selectedFiles().first();
    return QString();
}

void VEKOutputView::OnSaveToFile() {
    const QString path = chooseFile("Choose an output file.", "Text files (*.txt);;All Files (*)", "txt", false);
    if (path.isEmpty() || isTheReport(path)) return;
    readControls();
    if (writeText(path, boxText())) emit statusMessage(QString("Report saved to %1").arg(path));
}

void VEKOutputView::OnExportExcel() {
    const ViewChoices c = readControls();
    if (!results_) return;
    if (c.locations.empty() || c.years.empty()) {
        message("Select the locations and years to export.");
        return;
    }
    const QString path = chooseFile("Export to Excel", "Excel workbooks (*.xlsx)", "xlsx", true);
    if (path.isEmpty() || isTheReport(path)) return;
    std::string error;
    WorkbookInfo info = workbookInfoFor(documentTitle_.toStdString(), "VEKView");
    if (!writeWorkbook(path.toStdString(), *results_, c, info, &error)) {
        message(QString::fromStdString(error));
        return;
    }
    emit statusMessage(QString("Workbook saved to %1").arg(path));
}

void VEKOutputView::OnViewInWordpad() {
    buildReport("\n");
    const QString path = reportFileName();
    if (!writeText(path, QString::fromStdString(reportText))) return;
    if (openInEditor) {
        if (!openInEditor(path)) offerToSaveInstead(path);
        return;
    }
    if (viewerProgram.isEmpty()) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) offerToSaveInstead(path);
        return;
    }
    // The desktop's opener starts whatever program opens text files and
    // fails when there is none; its answer comes when it ends (a viewer it
    // runs in its place keeps it running, and then all is well).
    auto *opener = new QProcess(this);
    const QPointer<VEKOutputView> self(this);
    connect(opener, &QProcess::finished, this, [self, opener, path](int code, QProcess::ExitStatus how) {
        opener->deleteLater();
        if (self && (how != QProcess::NormalExit || code != 0)) self->offerToSaveInstead(path);
    });
    connect(opener, &QProcess::errorOccurred, this, [self, opener, path](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart) return;
        opener->deleteLater();
        if (self) self->offerToSaveInstead(path);
    });
    opener->start(viewerProgram, {path});
}

void VEKOutputView::offerToSaveInstead(const QString &path) {
    // Nothing on this desktop opens text files: keep the report anyway.
    const QString question =
        QString("No program could be started to open %1.\n\nSave the report to a file instead?").arg(path);
    const bool save = ask ? ask(question)
                          : QMessageBox::question(this, "VEKView", question, QMessageBox::Save | QMessageBox::Cancel,
                                                  QMessageBox::Save) == QMessageBox::Save;
    if (!save) return;
    const QString target = chooseFile("Choose an output file.", "Text files (*.txt);;All Files (*)", "txt", true);
    if (!target.isEmpty()) writeText(target, QString::fromStdString(reportText));
}

QMargins VEKOutputView::graphFrameMargins() const {
    const QWidget *w = window();
    const QRect inner = w->geometry(), outer = w->frameGeometry();
    const QMargins m(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                     outer.bottom() - inner.bottom());
    if (m.top() <= 0) return QMargins(4, 28, 4, 4);
    // A maximized window may have lost the borders a graph window gets.
    return QMargins(std::max(m.left(), 2), m.top() + 2, std::max(m.right(), 2), std::max(m.bottom(), 4));
}

void VEKOutputView::OnPlot() {
    const ViewChoices c = readControls();
    if (!results_ || c.locations.empty() || c.years.empty()) return;
    QScreen *scr = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect area = scr ? scr->availableGeometry() : QRect(0, 0, 1280, 1024);
    const PlotData plot = preparePlot(*results_, c, area.width(), area.height());
    const bool both = plot.diversion && plot.stream;
    const QMargins frame = graphFrameMargins();
    // Frames of graph windows still open: a new plot cascades off them, one
    // title bar down and right, so it never lies exactly over one of them;
    // every window stays on the screen.
    const int step = std::max(frame.top(), 20);
    std::vector<QPoint> taken;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *g = qobject_cast<GraphView *>(w); g && g->isVisible()) taken.push_back(g->placedAt());
    const auto isTaken = [&taken](const QPoint &p) {
        for (const QPoint &t : taken)
            if ((t - p).manhattanLength() < 4) return true;
        return false;
    };
    int shift = 0;
    const QPoint origin = area.topLeft();
    while (isTaken(origin + QPoint(shift, shift)) && shift + step < area.height() / 3)
        shift += step;
    // Frames (title bar included) of the new windows: one above the other
    // over the screen's width, or one of 800 x 600 inside the frame.
    std::vector<QRect> frames;
    if (both) {
        const int half = area.height() / 2;
        frames.push_back(QRect(area.left(), area.top(), area.width(), half));
        frames.push_back(QRect(area.left(), area.top() + half, area.width(), area.height() - half));
    } else {
        frames.push_back(
            QRect(area.topLeft(), QSize(800 + frame.left() + frame.right(), 600 + frame.top() + frame.bottom()))
                .intersected(area));
    }
    // The graphs' look files live beside the report: the program has no
    // working directory of its own to keep them in.
    const QString folder = documentTitle_.isEmpty() ? QString() : QFileInfo(documentTitle_).absolutePath() + "/";
    size_t n = 0;
    for (const auto *g : {&plot.diversion, &plot.stream}) {
        if (!*g) continue;
        GraphData data = **g;
        if (!data.graphName.empty()) data.graphName = folder.toStdString() + data.graphName;
        GraphView *w = GraphView::fromData(data);
        QRect r = frames[std::min(n++, frames.size() - 1)];
        r.translate(shift, shift);
        r = r.intersected(area);
        const QSize inside(std::max(200, r.width() - frame.left() - frame.right()),
                           std::max(150, r.height() - frame.top() - frame.bottom()));
        w->place(r.topLeft(), inside);
        w->createWindow();
        graphs_.emplace_back(w);
    }
    emit graphsCreated();
}

std::vector<GraphView *> VEKOutputView::graphs() const {
    std::vector<GraphView *> out;
    for (const auto &g : graphs_)
        if (g) out.push_back(g);
    return out;
}

void VEKOutputView::OnDone() { emit closeRequested(); }

void VEKOutputView::OnHelp() { emit helpRequested(400); }

} // namespace vek
