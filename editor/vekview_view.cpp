// The main input form (see vekview_view.h): construction, buttons, year
// edits, Edit menu and context menus, printing. The controls and their
// layout are in vekview_view_layout.cpp, refills and the tables' handlers in
// vekview_view_fill.cpp.
#include "editor/vekview_view_p.h"

#include "editor/map_window.h"
#include "editor/pumping_record_dialog.h"
#include "editor/reaches_dialog.h"
#include "editor/response_method_dialog.h"
#include "editor/response_tables_dialog.h"
#include "editor/uncertainty_dialog.h"
#include "model/document_operations.h"
#include "model/synthesis.h"
#include "viewer/print_preview.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace vek {

using namespace form_detail;

namespace {

// Synthesized years the locations hold (the period may say otherwise when
// there is no historical period yet).
size_t synthesizedColumns(const ModelInput &m) {
    if (m.locations.empty()) return static_cast<size_t>(m.synthesizedYears());
    return m.locations.front().synthesizedData[0].size();
}

} // namespace

// ---- construction and layout -----------------------------------------------

CVEKViewView::CVEKViewView(CVEKViewDoc *doc, QWidget *parent, Prompter *prompter)
    : QScrollArea(parent), d_(std::make_unique<Impl>(this)), doc_(doc) {
    if (prompter) doc_->setPrompter(prompter);
    doc_->setDialogParent(this);
    d_->build();
    connect(doc_, &CVEKViewDoc::viewsUpdated, this, &CVEKViewView::onUpdate);
    connect(doc_, &CVEKViewDoc::endEditRequested, this, &CVEKViewView::endCellEdit);
    onUpdate(ViewHint::Everything);
}

CVEKViewView::~CVEKViewView() {
    // Hiding the children on the way out must not reach the handlers.
    for (YearEdit *e : {d_->startEdit, d_->endEdit, d_->synthEdit, d_->runEndEdit})
        e->onCommit = nullptr;
    for (QObject *o : std::initializer_list<QObject *>{d_->runStart, d_->outputType, d_->wells, d_->hist, d_->synth,
                                                       d_->wells->selectionModel()})
        o->blockSignals(true);
    if (doc_) doc_->disconnect(this);
    QWidget *page = takeWidget();
    delete page;
}

Prompter *CVEKViewView::prompter() const { return doc_ ? doc_->prompter() : nullptr; }

QWidget *CVEKViewView::control(int id) const {
    auto it = d_->ctl.find(id);
    return it == d_->ctl.end() ? nullptr : it->second;
}

QLineEdit *CVEKViewView::inputStartEdit() const { return d_->startEdit; }
QLineEdit *CVEKViewView::inputEndEdit() const { return d_->endEdit; }
QLineEdit *CVEKViewView::synthYearsEdit() const { return d_->synthEdit; }
QLineEdit *CVEKViewView::runEndEdit() const { return d_->runEndEdit; }
QLineEdit *CVEKViewView::toAddEdit() const { return d_->toAdd; }
SpreadsheetView *CVEKViewView::locationTable() const { return d_->wells; }
SpreadsheetView *CVEKViewView::historicalTable() const { return d_->hist; }
SpreadsheetView *CVEKViewView::synthesizedTable() const { return d_->synth; }
LocationListModel *CVEKViewView::locationModel() const { return d_->wellsModel; }
MonthTableModel *CVEKViewView::historicalModel() const { return d_->histModel; }
MonthTableModel *CVEKViewView::synthesizedModel() const { return d_->synthModel; }
QGroupBox *CVEKViewView::historicalCaption() const { return d_->histBox; }
QGroupBox *CVEKViewView::synthesizedCaption() const { return d_->synthBox; }
QLabel *CVEKViewView::historicalUnits() const { return d_->histUnits; }
QLabel *CVEKViewView::synthesizedUnits() const { return d_->synthUnits; }
QLabel *CVEKViewView::synthesizedStart() const { return d_->synthStart; }
QComboBox *CVEKViewView::runStartList() const { return d_->runStart; }
QComboBox *CVEKViewView::outputTypeList() const { return d_->outputType; }
QPushButton *CVEKViewView::newButton() const { return qobject_cast<QPushButton *>(control(IDC_NEW)); }
QPushButton *CVEKViewView::deleteButton() const { return qobject_cast<QPushButton *>(control(IDC_DELETE)); }
QPushButton *CVEKViewView::pumpingRecordButton() const { return d_->pumpButton; }
QPushButton *CVEKViewView::recalculateButton() const { return qobject_cast<QPushButton *>(control(IDC_RECALCULATE)); }

// ---- buttons ----------------------------------------------------------------

void CVEKViewView::OnNew() {
    endCellEdit();
    static const QRegularExpression integer(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
    QString text = d_->toAdd->text();
    if (!integer.match(text).hasMatch()) {
        d_->message("Please enter an integer.");
        d_->toAdd->setFocus();
        return;
    }
    bool ok = false;
    long long n = text.trimmed().toLongLong(&ok);
    if (!ok || n < 1 || n > 1000) {
        d_->message("Please enter an integer between 1 and 1000.");
        d_->toAdd->setFocus();
        return;
    }
    d_->locationsToAdd = static_cast<int>(n);
    auto step = doc_->step(n == 1 ? QStringLiteral("New Location") : QStringLiteral("New Locations"));
    ModelDocument &doc = doc_->document();
    doc.insertLocations(static_cast<int>(doc.model.locations.size()), d_->locationsToAdd);
    d_->locationsToAdd = 1;
    d_->toAdd->setText(QStringLiteral("1"));
    doc_->setModified(true);
    onUpdate(ViewHint::EverythingButMonthHeaders);
}

void CVEKViewView::OnDelete() {
    endCellEdit();
    ModelDocument &doc = doc_->document();
    std::vector<std::string> names;
    for (const auto &loc : doc.model.locations)
        names.push_back(loc.name);
    Prompter *p = prompter();
    auto chosen = p ? p->chooseItemsToDelete(names, selectedLocation_) : std::nullopt;
    auto step = doc_->step(QStringLiteral("Delete Locations"));
    if (chosen) {
        // Highest position first so no deletion shifts one still to come.
        std::vector<int> positions = *chosen;
        std::sort(positions.begin(), positions.end(), std::greater<int>());
        positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
        for (int i : positions)
            doc.deleteLocations(i, 1);
        if (!positions.empty()) doc_->setModified(true);
    }
    onUpdate(ViewHint::EverythingButMonthHeaders);
}

void CVEKViewView::OnPumpingRecord() {
    endCellEdit();
    if (doc_->model().locations.empty() || !d_->selected()) return;
    const int location = selectedLocation_;
    // The dialog edits the location while it is open; what OK leaves is one
    // step (Cancel puts everything back, so nothing is recorded).
    auto step = doc_->step(QStringLiteral("Pumping Record"));
    PumpingRecordDialog dlg(doc_, location, this);
    if (dlg.exec() != QDialog::Accepted || !doc_) return;
    doc_->updateAllViews(ViewHint::Everything);
    // The refill selects the first location; the user was working on this one.
    if (location < static_cast<int>(doc_->model().locations.size())) d_->selectLocation(location);
}

void CVEKViewView::showStatus(const QString &text) {
    emit statusMessage(text);
    if (auto *frame = qobject_cast<QMainWindow *>(window())) frame->statusBar()->showMessage(text, 6000);
}

void CVEKViewView::OnRecalculate() {
    endCellEdit();
    auto step = doc_->step(QStringLiteral("Recalculate Synthesized Years"));
    chooseSynthesisMethod(doc_->document(), doc_->ui());
    doc_->setModified(doc_->isModified());
}

void CVEKViewView::OnResponseMethod() {
    endCellEdit();
    if (!doc_ || !d_->selected()) return;
    ResponseMethodDialog dlg(doc_, selectedLocation_, this);
    dlg.exec();
}

void CVEKViewView::OnResponseTables() {
    endCellEdit();
    if (!doc_) return;
    ResponseTablesDialog dlg(doc_, this);
    dlg.exec();
}

void CVEKViewView::OnReaches() {
    endCellEdit();
    if (!doc_) return;
    ReachesDialog dlg(doc_, this);
    dlg.exec();
}

void CVEKViewView::OnUncertainty() {
    endCellEdit();
    if (!doc_) return;
    UncertaintyDialog dlg(doc_, this);
    dlg.exec();
}

void CVEKViewView::selectLocation(int location) {
    if (!doc_ || location < 0 || location >= static_cast<int>(doc_->model().locations.size())) return;
    endCellEdit();
    d_->selectLocation(location);
    d_->showSelectedRow();
}

void CVEKViewView::OnMap() {
    endCellEdit();
    if (!doc_) return;
    MapWindow *map = doc_->showMap(this);
    map->selectLocation(selectedLocation_);
    connect(map, &MapWindow::locationChosen, this, &CVEKViewView::selectLocation, Qt::UniqueConnection);
}

// ---- year edits and run range -----------------------------------------------

int CVEKViewView::Impl::readYearEdit(QLineEdit *edit) {
    int value = leadingInteger(edit->text());
    // An empty field stays empty: it names no year.
    if (edit->text() != dfmt(value) && !edit->text().trimmed().isEmpty()) edit->setText(dfmt(value));
    return value;
}

namespace {
const char *const kShortening =
    "Warning: you are shortening your input period of record.  Input data will be lost.  Continue?";

// Guards the year edits against re-entering while one is applied (a question
// box takes the focus away from the edit that asked it).
struct YearEditGuard {
    bool &flag;
    explicit YearEditGuard(bool &f) : flag(f) { flag = true; }
    ~YearEditGuard() { flag = false; }
};
} // namespace

void CVEKViewView::Impl::OnKillfocusInputStart() {
    if (!q->doc_) return;
    if (inYearEdit || !startEdit) return;
    YearEditGuard guard(inYearEdit);
    auto step = doc()->step(QStringLiteral("Change Historical Start Year"));
    int value = std::max(readYearEdit(startEdit), 0);
    ModelDocument &d = doc()->document();
    ModelInput &m = d.model;
    if (value < 1 || value == m.inputStartYear) return;
    const RunEnds before = runEnds();
    if (m.historicalYears() == 0) {
        // Synthesized years already held keep following the period.
        const int synthYears = static_cast<int>(synthesizedColumns(m));
        m.inputStartYear = value;
        m.inputEndYear = value - 1;
        m.synthStartYear = value;
        m.synthEndYear = value + synthYears - 1;
        d.addHistoricalYear(0, true);
    } else if (value < m.inputStartYear) {
        for (int i = m.inputStartYear - value; i > 0; --i)
            d.addHistoricalYear(0, false);
    } else {
        Prompter *p = ask();
        if (p && p->askYesNo(kShortening)) {
            const int years = m.historicalYears();
            const int diff = value - m.inputStartYear;
            // Never more years than there are: past the last one the period
            // simply starts again, empty, at the typed year.
            for (int i = std::min(diff, years); i > 0; --i)
                d.deleteHistoricalYear(0);
            if (diff >= years) {
                const int synthYears = m.synthesizedYears();
                m.inputStartYear = value;
                m.inputEndYear = value - 1;
                m.synthStartYear = value;
                m.synthEndYear = value + synthYears - 1;
            }
        }
    }
    followModelledYears(before);
    fullRefill();
    markModified();
}

void CVEKViewView::Impl::OnKillfocusInputEnd() {
    if (!q->doc_) return;
    if (inYearEdit || !endEdit) return;
    YearEditGuard guard(inYearEdit);
    auto step = doc()->step(QStringLiteral("Change Historical End Year"));
    ModelDocument &d = doc()->document();
    ModelInput &m = d.model;
    const RunEnds before = runEnds();
    int typed = std::max(readYearEdit(endEdit), 0);
    if (m.historicalYears() == 0) {
        // No period yet: the typed year becomes its only year rather than
        // the last of thousands counted from year 0.
        if (typed >= 1 && typed != m.inputEndYear) {
            // Synthesized years already held keep following the period.
            const int synthYears = static_cast<int>(synthesizedColumns(m));
            m.inputStartYear = typed;
            m.inputEndYear = typed - 1;
            m.synthStartYear = typed;
            m.synthEndYear = typed + synthYears - 1;
            d.addHistoricalYear(0, true);
            followModelledYears(before);
            markModified();
        }
        fullRefill();
        return;
    }
    int value = std::max(typed, m.inputStartYear);
    if (value == m.inputEndYear) return;
    if (value > m.inputEndYear) {
        while (m.inputEndYear < value)
            d.addHistoricalYear(m.historicalYears() - 1, true);
    } else {
        Prompter *p = ask();
        if (p && p->askYesNo(kShortening)) {
            int guardCount = m.historicalYears();
            while (m.inputEndYear > value && guardCount-- > 0)
                d.deleteHistoricalYear(m.historicalYears() - 1);
        }
    }
    followModelledYears(before);
    fullRefill();
}

void CVEKViewView::Impl::OnKillfocusSynthYears() {
    if (!q->doc_) return;
    if (inYearEdit || !synthEdit) return;
    YearEditGuard guard(inYearEdit);
    auto step = doc()->step(QStringLiteral("Change Synthesized Years"));
    ModelDocument &d = doc()->document();
    int n = std::max(readYearEdit(synthEdit), 0);
    if (n < d.model.synthesizedYears()) {
        Prompter *p = ask();
        if (!p || !p->askYesNo(kShortening)) {
            fullRefill();
            return;
        }
    }
    // The new years are filled by the method the user chooses next; a
    // cancelled choice takes the whole change back.
    const ModelInput beforeModel = d.model;
    const bool beforeStale = d.historicalDataChanged;
    const RunEnds before = runEnds();
    bool changed = d.setSynthesizedYearCount(n);
    followModelledYears(before);
    fullRefill();
    if (changed) markModified();
    if (changed && n >= 1) {
        if (!chooseSynthesisMethod(d, doc()->ui())) {
            d.model = beforeModel;
            d.historicalDataChanged = beforeStale;
            fullRefill();
            q->showStatus(QStringLiteral("Years of Data left at %1: no synthesis method was applied.")
                              .arg(beforeModel.synthesizedYears()));
        }
        doc()->setModified(d.isModified());
    }
}

void CVEKViewView::Impl::OnKillfocusRunEnd() {
    if (!q->doc_) return;
    if (inYearEdit || !runEndEdit) return;
    YearEditGuard guard(inYearEdit);
    int typed = readYearEdit(runEndEdit);
    int start = runStart->count() > 0 ? leadingInteger(runStart->currentText()) : model().outputStartYear;
    int end = std::max(typed, start);
    if (end != typed) runEndEdit->setText(dfmt(end));
    if (model().outputEndYear != end) {
        auto step = doc()->step(QStringLiteral("Change Run End Year"));
        model().outputEndYear = end;
        markModified();
    }
}

void CVEKViewView::Impl::OnCloseupRunStart() {
    if (!q->doc_) return;
    int i = runStart->currentIndex();
    if (i < 0) return;
    int year = model().inputStartYear + i;
    if (model().outputStartYear != year) {
        auto step = doc()->step(QStringLiteral("Change Run Start Year"));
        model().outputStartYear = year;
        // The run never ends before it starts.
        if (model().outputEndYear < year) {
            model().outputEndYear = year;
            runEndEdit->setText(dfmt(year));
        }
        markModified();
    }
}

void CVEKViewView::Impl::OnCloseupOutputType() {
    if (!q->doc_) return;
    int i = outputType->currentIndex();
    if (i < 0) return;
    if (model().outputFormat != i) {
        auto step = doc()->step(QStringLiteral("Change Output Type"));
        model().outputFormat = i;
        markModified();
    }
}

// ---- Edit menu, context menus -----------------------------------------------

bool CVEKViewView::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Resize && doc_) {
        if (watched == d_->hist || watched == d_->synth)
            d_->fitTableColumns();
        else if (watched == d_->wells)
            d_->fitListColumns();
    }
    return QScrollArea::eventFilter(watched, event);
}

void CVEKViewView::Impl::showContextMenu(SpreadsheetView *table, const QPoint &globalPos) {
    QMenu menu(q);
    if (table == hist) {
        menu.setTitle(QStringLiteral("Hist Table Context"));
        menu.addAction(QStringLiteral("&Copy"), q, &CVEKViewView::copyFromHistoricalTable);
        menu.addAction(QStringLiteral("&Paste"), q, &CVEKViewView::pasteIntoHistoricalTable);
    } else if (table == synth) {
        menu.setTitle(QStringLiteral("Synth Table Context"));
        menu.addAction(QStringLiteral("&Copy"), q, &CVEKViewView::copyFromSynthesizedTable);
        menu.addAction(QStringLiteral("&Paste"), q, &CVEKViewView::pasteIntoSynthesizedTable);
    } else if (table == wells) {
        menu.setTitle(QStringLiteral("Well Table Context"));
        menu.addAction(QStringLiteral("&Copy"), q, &CVEKViewView::copyFromLocationList);
        menu.addAction(QStringLiteral("&Paste"), q, &CVEKViewView::pasteIntoLocationList);
    } else {
        return;
    }
    menu.exec(globalPos);
}

void CVEKViewView::contextMenuEvent(QContextMenuEvent *event) {
    for (SpreadsheetView *t : {d_->hist, d_->synth, d_->wells}) {
        QRect screen(t->mapToGlobal(QPoint(0, 0)), t->size());
        if (screen.contains(event->globalPos())) {
            d_->showContextMenu(t, event->globalPos());
            return;
        }
    }
}

QString CVEKViewView::Impl::tableName(SpreadsheetView *table) const {
    return table == hist    ? QStringLiteral("Historical Table")
           : table == synth ? QStringLiteral("Synthesized Table")
                            : QStringLiteral("Location List");
}

void CVEKViewView::copyFromHistoricalTable() { d_->hist->copy(); }
void CVEKViewView::copyFromSynthesizedTable() { d_->synth->copy(); }
void CVEKViewView::pasteIntoHistoricalTable() { d_->hist->paste(); }
void CVEKViewView::pasteIntoSynthesizedTable() { d_->synth->paste(); }
void CVEKViewView::copyFromLocationList() { d_->wells->copy(); }
void CVEKViewView::pasteIntoLocationList() { d_->wells->paste(); }

void CVEKViewView::endCellEdit() {
    for (SpreadsheetView *t : {d_->wells, d_->hist, d_->synth})
        t->endEdit(true);
    // A year edit with the focus has not been left yet: apply its text now.
    QWidget *f = QApplication::focusWidget();
    for (YearEdit *e : {d_->startEdit, d_->endEdit, d_->synthEdit, d_->runEndEdit})
        if (f == e && e->onCommit) e->onCommit();
}

// ---- printing ---------------------------------------------------------------

void CVEKViewView::renderForm(QPrinter *printer) {
    QPainter painter;
    if (!painter.begin(printer)) return;
    renderPage(painter, QRectF(QPointF(0, 0), printer->pageLayout().paintRectPixels(printer->resolution()).size()));
    painter.end();
}

void CVEKViewView::renderPage(QPainter &painter, const QRectF &area) {
    QWidget *page = d_->page;
    const double s = std::min(area.width() / page->width(), area.height() / page->height());
    painter.save();
    painter.translate(area.topLeft());
    painter.scale(s, s);
    page->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.restore();
}

void CVEKViewView::print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape); // the form is wider than tall
    QPrintDialog dlg(&printer, this);
    proposePdfBeside(dlg, doc_->path());
    if (dlg.exec() == QDialog::Accepted) renderForm(&printer);
}

void CVEKViewView::printPreview() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape); // the form is wider than tall
    QPrintPreviewDialog dlg(&printer, this);
    connect(&dlg, &QPrintPreviewDialog::paintRequested, this, &CVEKViewView::renderForm);
    fitPreviewToScreen(dlg, this);
    dlg.exec();
}

} // namespace vek
