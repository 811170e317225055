// The main input form: refills by hint and the click and edit handlers of
// the location list and the tables (see vekview_view.h).
#include "editor/vekview_view_p.h"

#include "editor/response_edits.h"

#include "model/model_validation.h"
#include "model/synthesis.h"
#include "model/year_types.h"

#include <QHeaderView>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <vector>

namespace vek {

using namespace form_detail;

namespace {

// Width the table's cells can fill without a horizontal scroll bar: the
// viewport, less a vertical scroll bar when the rows need one.
int fillableWidth(const SpreadsheetView *t) {
    const QSize area = t->maximumViewportSize();
    int w = area.width();
    const int rows = t->model() ? t->model()->rowCount() : 0;
    const int need = t->horizontalHeader()->height() + rows * t->defaultRowHeight();
    if (need > area.height()) w -= t->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, t);
    return w;
}

} // namespace

// ---- column widths and the selected row -----------------------------------

void CVEKViewView::Impl::measureColumn(SpreadsheetView *table, int column) {
    if (table == wells) {
        if (column >= 0 && column < LocationListModel::ColumnCount)
            listNeeds[static_cast<size_t>(column)] = wells->contentWidth(column);
    } else if (column >= 0 && column < 12) {
        (table == hist ? histNeeds : synthNeeds)[static_cast<size_t>(column)] = table->contentWidth(column);
    }
}

void CVEKViewView::Impl::fitTableColumns() {
    if (!hist || !synth) return;
    constexpr int n = 12;
    if (tablesUnmeasured) {
        for (int c = 0; c < n; ++c) {
            measureColumn(hist, c);
            measureColumn(synth, c);
        }
        tablesUnmeasured = false;
    }
    std::array<int, n> widths{};
    for (size_t c = 0; c < n; ++c)
        widths[c] = std::max(histNeeds[c], synthNeeds[c]);
    // Both tables keep equal columns: their row headers too.
    const int yearWidth =
        std::max(hist->verticalHeader()->sizeHint().width(), synth->verticalHeader()->sizeHint().width());
    for (SpreadsheetView *t : {hist, synth})
        if (t->verticalHeader()->width() != yearWidth) t->verticalHeader()->setFixedWidth(yearWidth);
    // The months share the spare width of the narrower table, so both
    // tables fill their frames.
    const int spare =
        std::min(fillableWidth(hist), fillableWidth(synth)) - std::accumulate(widths.begin(), widths.end(), 0);
    if (spare > 0)
        for (int c = 0; c < n; ++c)
            widths[static_cast<size_t>(c)] += spare / n + (c < spare % n ? 1 : 0);
    for (SpreadsheetView *t : {hist, synth})
        for (int c = 0; c < n; ++c)
            if (t->columnWidth(c) != widths[static_cast<size_t>(c)])
                t->setColumnWidth(c, widths[static_cast<size_t>(c)]);
}

void CVEKViewView::Impl::fitListColumns() {
    if (!wells) return;
    constexpr int columns = LocationListModel::ColumnCount;
    if (listUnmeasured) {
        for (int c = 0; c < columns; ++c)
            measureColumn(wells, c);
        listUnmeasured = false;
    }
    std::array<int, columns> widths = listNeeds;
    const int total = std::accumulate(widths.begin(), widths.end(), 0);
    // The list is at least as wide as its columns need, a long table name
    // included, so no cell is cut (the form scrolls when the window is
    // narrower).
    const int chrome = wells->width() - fillableWidth(wells);
    const int atLeast = std::max(DialogUnits(page).x(120), total + chrome);
    if (wells->minimumWidth() != atLeast) wells->setMinimumWidth(atLeast);
    // Names take the spare width.
    const int spare = fillableWidth(wells) - total;
    if (spare > 0) widths[0] += spare;
    for (int c = 0; c < columns; ++c)
        if (wells->columnWidth(c) != widths[static_cast<size_t>(c)])
            wells->setColumnWidth(c, widths[static_cast<size_t>(c)]);
}

void CVEKViewView::Impl::showSelectedRow() {
    if (!wells) return;
    const int row = selected() ? q->selectedLocation_ : -1;
    wellsModel->setHighlightedRow(row);
    if (row < 0) return;
    // The list's current row follows the selected location.
    const QModelIndex current = wells->currentIndex();
    if (!current.isValid() || current.row() != row) {
        followingSelection = true;
        wells->selectionModel()->setCurrentIndex(wellsModel->index(row, current.isValid() ? current.column() : 0),
                                                 QItemSelectionModel::ClearAndSelect);
        followingSelection = false;
    }
    wells->scrollTo(wellsModel->index(row, std::max(0, wells->currentIndex().column())));
}

// ---- refills ----------------------------------------------------------------

void CVEKViewView::onUpdate(ViewHint hint) {
    if (!doc_) return;
    switch (hint) {
    case ViewHint::Everything:
        d_->fillMonthHeaders();
        d_->fullRefill();
        break;
    case ViewHint::EverythingButMonthHeaders:
        d_->fullRefill();
        break;
    case ViewHint::HistoricalTable:
        d_->fillHistorical();
        break;
    case ViewHint::SynthesizedTable:
        d_->fillSynthesized();
        d_->fillCaptions();
        break;
    case ViewHint::TablesAndMonthHeaders:
        d_->fillHistorical();
        d_->fillSynthesized();
        d_->fillMonthHeaders();
        d_->fillCaptions();
        break;
    case ViewHint::Tables:
        d_->fillHistorical();
        d_->fillSynthesized();
        d_->fillCaptions();
        break;
    case ViewHint::LocationCells:
        d_->fillLocationCells();
        break;
    }
    d_->fitListColumns();
    d_->fitTableColumns();
    d_->markProblems();
}

// ---- values the run would refuse, or that look wrong -----------------------

void CVEKViewView::Impl::markProblems() {
    const ModelInput &m = model();
    // What a run would refuse, and what it would read otherwise than shown:
    // the validation of the check command, on the cells it names. Values
    // the engine takes but that hardly mean what was meant are marked by
    // the tables' models themselves, as they show them.
    ValidationOptions options;
    options.fileValues = doc()->document().fileValues();
    options.synthesis = false; // stale synthesized years have their own note and question
    const ModelValidation v = validateModel(m, options);
    const int chosen = q->selectedLocation_;
    CellMarks list, historical, synthesized;
    for (const ModelProblem &p : v.problems) {
        if (p.location < 0) continue;
        const CellMark kind = p.refused() ? CellMark::Refused : CellMark::LooksWrong;
        const QString text = QString::fromStdString(p.text);
        if (p.field == ModelProblem::Field::Name)
            addMark(list[{p.location, LocationListModel::Name}], kind, text);
        else if (p.field == ModelProblem::Field::VEK)
            addMark(list[{p.location, LocationListModel::Factor}], kind, text);
        else if (p.field == ModelProblem::Field::LocationType)
            addMark(list[{p.location, LocationListModel::Type}], kind, text);
        if (p.location != chosen || !p.year || p.month < 0) continue;
        if (p.field == ModelProblem::Field::HistoricalData)
            addMark(historical[{*p.year - m.inputStartYear, p.month}], kind, text);
        else if (p.field == ModelProblem::Field::SynthesizedData)
            addMark(synthesized[{*p.year - m.synthStartYear, p.month}], kind, text);
    }
    wellsModel->setMarks(std::move(list));
    histModel->setMarks(std::move(historical));
    synthModel->setMarks(std::move(synthesized));
}

void CVEKViewView::Impl::fillYearFields() {
    const ModelInput &m = model();
    // A model without historical years has no first or last year to show
    // (its stored 0 and -1 are no years).
    const bool years = m.historicalYears() > 0;
    startEdit->setText(years ? dfmt(m.inputStartYear) : QString());
    endEdit->setText(years ? dfmt(m.inputEndYear) : QString());
    synthEdit->setText(dfmt(m.synthesizedYears()));
    synthStart->setText(dfmt(m.synthStartYear));
}

void CVEKViewView::Impl::fillRunRange() {
    ModelInput &m = model();
    runStart->clear();
    QStringList years;
    for (int y = m.inputStartYear; y <= m.synthEndYear; ++y)
        years << dfmt(y);
    runStart->addItems(years);
    if (runStart->count() == 0) {
        // Nothing modelled yet: nothing to run, and no year to show.
        runEndEdit->setText(QString());
        return;
    }
    // The stored run range stays as long as the form can show it; only a
    // range that no longer fits the modelled years changes, and the user
    // is told.
    if (!m.runRangeShowable()) fitRunRange();
    runStart->setCurrentIndex(m.outputStartYear - m.inputStartYear);
    runEndEdit->setText(dfmt(m.outputEndYear));
}

void CVEKViewView::Impl::fitRunRange() {
    ModelInput &m = model();
    const int oldStart = m.outputStartYear, oldEnd = m.outputEndYear;
    const int start = std::clamp(oldStart, m.inputStartYear, m.synthEndYear);
    const int end = oldEnd >= start ? oldEnd : m.synthEndYear;
    if (start == oldStart && end == oldEnd) return;
    m.outputStartYear = start;
    m.outputEndYear = end;
    // A range never set (a new model's) is simply filled in; a stored one
    // that changed makes the document differ from its file.
    if (oldStart < 1) return;
    markModified();
    q->showStatus(QStringLiteral("The run range %1 to %2 no longer fits the modelled years %3 to %4; the run now "
                                 "covers %5 to %6.")
                      .arg(oldStart)
                      .arg(oldEnd)
                      .arg(m.inputStartYear)
                      .arg(m.synthEndYear)
                      .arg(start)
                      .arg(end));
}

CVEKViewView::Impl::RunEnds CVEKViewView::Impl::runEnds() const {
    const ModelInput &m = model();
    return {m.inputStartYear, m.synthEndYear, m.outputStartYear, m.outputEndYear};
}

void CVEKViewView::Impl::followModelledYears(const RunEnds &before) {
    ModelInput &m = model();
    if (m.synthEndYear < m.inputStartYear) return;
    if (before.first == m.inputStartYear && before.last == m.synthEndYear) return;
    // A run that began at the first modelled year, or ended at the last,
    // keeps doing so; a run the user placed elsewhere stays where it is.
    const int start = before.runStart == before.first ? m.inputStartYear : m.outputStartYear;
    const int end = before.runEnd == before.last ? m.synthEndYear : m.outputEndYear;
    if (start == m.outputStartYear && end == m.outputEndYear) return;
    m.outputStartYear = start;
    m.outputEndYear = end;
    markModified();
    if (before.runStart > 0)
        q->showStatus(
            QStringLiteral("The run follows the modelled years: it now covers %1 to %2.").arg(start).arg(end));
}

void CVEKViewView::Impl::fillLocationCells() {
    wellsModel->refreshCells();
    listUnmeasured = true;
    fitListColumns();
}

void CVEKViewView::Impl::fillLocationList() {
    const int n = static_cast<int>(model().locations.size());
    followingSelection = true;
    wellsModel->reload();
    followingSelection = false;
    listUnmeasured = true;
    q->selectedLocation_ = n > 0 ? 0 : -1;
}

void CVEKViewView::Impl::fillCaptions() {
    const ModelInput &m = model();
    // Without a location the captions say there is none, as the form's
    // template does.
    std::string kind = "CU of Ground Water for Well: ", name = "<NONE>";
    if (const Location *loc = selected()) {
        kind = loc->isWell() ? "CU of Ground Water for Well " : "Net Recharge for Site ";
        name = loc->name;
    }
    setCaption(histBox, QString::fromStdString("Historical " + kind + name));
    QString units = QString::fromStdString(unitsLabel(m.unitMode) + yearTypeLabel(m.yearMode));
    histUnits->setText(units);
    synthUnits->setText(units);
    setCaption(synthBox, QString::fromStdString("Synthesized " + kind + name + synthesisCaption(m)));
    showSelectedRow();
}

void CVEKViewView::Impl::setCaption(QGroupBox *box, const QString &caption) {
    box->setProperty("caption", caption);
    box->setToolTip(caption);
    // The frame is as wide as its caption at least, so a long name with a
    // method text shows whole (the form scrolls when the window is narrower).
    box->setTitle(caption);
    box->setMinimumWidth(std::max(DialogUnits(page).x(100),
                                  box->fontMetrics().horizontalAdvance(caption) + 3 * box->fontMetrics().height()));
}

void CVEKViewView::Impl::fillMonthHeaders() {
    for (MonthTableModel *t : {histModel, synthModel})
        emit t->headerDataChanged(Qt::Horizontal, 0, 11);
    // New month names may be wider than the old ones.
    tablesUnmeasured = true;
}

void CVEKViewView::Impl::fillHistorical() {
    const Location *loc = selected();
    tablesUnmeasured = true;
    if (!loc) {
        histModel->showLocation(-1);
        pumpButton->setEnabled(false);
        return;
    }
    pumpButton->setEnabled(loc->isWell());
    // A well whose values come from its pumping record is edited there.
    const bool fromRecord = loc->isWell() && loc->UsePumpingRecord;
    hist->setEnabled(!fromRecord);
    histModel->showLocation(q->selectedLocation_, !fromRecord);
    tablesUnmeasured = true;
}

void CVEKViewView::Impl::fillSynthesized() {
    synthModel->showLocation(selected() ? q->selectedLocation_ : -1);
    tablesUnmeasured = true;
}

void CVEKViewView::Impl::fullRefill() {
    fillYearFields();
    outputType->setCurrentIndex(std::clamp(model().outputFormat, 0, 1));
    fillRunRange();
    fillLocationList();
    fillCaptions();
    fillHistorical();
    fillSynthesized();
    fitListColumns();
    fitTableColumns();
}

// ---- the location list and the tables ---------------------------------------

void CVEKViewView::Impl::selectLocation(int location) {
    if (location < 0 || location >= static_cast<int>(model().locations.size())) return;
    q->selectedLocation_ = location;
    fillCaptions();
    fillHistorical();
    fillSynthesized();
    fitTableColumns();
    scheduleMarks();
}

void CVEKViewView::Impl::OnClickWellListctrl(int row, int col) {
    if (!q->doc_) return;
    if (row < 0) return;
    const int n = static_cast<int>(model().locations.size());
    if (row >= n) {
        message("OnClickWellListctrl: Internal error.");
        return;
    }
    if (row != q->selectedLocation_) selectLocation(row);
    if (col == LocationListModel::Method) {
        q->OnResponseMethod();
        return;
    }
    static const char *const kToggles[] = {"Change Location Type", "Change Output?", "Change Has Pumping Record"};
    if (col < LocationListModel::Type || col > LocationListModel::PumpingRecord) return;
    auto step = doc()->step(QString::fromLatin1(kToggles[col - LocationListModel::Type]));
    Location &loc = model().locations[static_cast<size_t>(row)];
    switch (col) {
    case LocationListModel::Type:
        loc.LocationType = loc.isWell() ? RechargeSite : IrrigationWell;
        break;
    case LocationListModel::Output:
        loc.UseInOutput = loc.UseInOutput ? 0 : 1;
        break;
    default:
        // A recharge site has no pumping record: its cell keeps "NA".
        if (loc.isWell()) loc.UsePumpingRecord = loc.UsePumpingRecord ? 0 : 1;
        break;
    }
    markModified();
    wellsModel->refreshCells();
    for (int c = LocationListModel::Type; c <= LocationListModel::PumpingRecord; ++c)
        measureColumn(wells, c);
    fitListColumns();
    fillCaptions();
    fillHistorical();
    fillSynthesized();
    fitTableColumns();
    scheduleMarks();
}

void CVEKViewView::Impl::onTableEdited(SpreadsheetView *table, int row, int col) {
    if (!q->doc_) return;
    // The new text may be wider or narrower than before.
    measureColumn(table, col);
    if (table == wells) {
        OnEndlabeleditWellListctrl(row, col);
        fitListColumns();
    } else {
        // A synthesized value typed makes the synthesized years user-defined.
        if (table == synth) fillCaptions();
        fitTableColumns();
    }
    scheduleMarks(table, row, col);
}

void CVEKViewView::Impl::scheduleMarks(SpreadsheetView *edited, int row, int col) {
    if (edited) lastEdit = {edited, row, col};
    // Once after the edits of one action (a paste edits many cells).
    if (marksPending) return;
    marksPending = true;
    QTimer::singleShot(0, q, [this] {
        marksPending = false;
        if (!q->doc_) return;
        markProblems();
        // The value just typed is marked: the status bar says why.
        if (lastEdit.table) {
            const QModelIndex i = lastEdit.table->model()->index(lastEdit.row, lastEdit.col);
            if (i.isValid() && i.data(MarkRole).toInt() != static_cast<int>(CellMark::None))
                q->showStatus(i.data(Qt::ToolTipRole).toString().section('\n', 0, 0));
        }
        lastEdit = {};
    });
}

// A name or factor reached the document: the captions name the location,
// and its tables follow it.
void CVEKViewView::Impl::OnEndlabeleditWellListctrl(int row, int) {
    if (row != q->selectedLocation_) {
        selectLocation(row);
        return;
    }
    fillCaptions();
}

} // namespace vek
