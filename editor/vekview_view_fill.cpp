// The main input form: refills by hint and the click and edit handlers of
// the location list and the tables (see vekview_view.h).
#include "editor/vekview_view_p.h"

#include "editor/response_edits.h"

#include "model/model_validation.h"
#include "model/synthesis.h"
#include "model/year_types.h"

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

std::string yesNo(int flag) { return flag ? "yes" : "no"; }

// Width the grid's cells can fill without a horizontal scroll bar: the
// viewport, less a vertical scroll bar when the rows need one.
int fillableWidth(const CGridCtrl *g) {
    const QSize area = g->maximumViewportSize();
    int w = area.width();
    if (g->virtualHeight() > area.height()) w -= g->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, g);
    return w;
}

} // namespace

// ---- column widths and the selected row -----------------------------------

void CVEKViewView::Impl::fitTableColumns() {
    if (!hist || !synth) return;
    hist->autoSizeColumns();
    synth->autoSizeColumns();
    const int n = std::min(hist->columnCount(), synth->columnCount());
    if (n < 2) return;
    std::vector<int> widths(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c)
        widths[static_cast<size_t>(c)] = std::max(hist->columnWidth(c), synth->columnWidth(c));
    // The month columns share the spare width of the narrower table, so both
    // tables fill their frames and keep equal columns.
    const int spare =
        std::min(fillableWidth(hist), fillableWidth(synth)) - std::accumulate(widths.begin(), widths.end(), 0);
    if (spare > 0) {
        const int months = n - 1;
        for (int c = 1; c < n; ++c)
            widths[static_cast<size_t>(c)] += spare / months + (c - 1 < spare % months ? 1 : 0);
    }
    for (CGridCtrl *g : {hist, synth}) {
        for (int c = 0; c < n; ++c)
            g->setColumnWidth(c, widths[static_cast<size_t>(c)]);
        g->refresh();
    }
}

void CVEKViewView::Impl::fitListColumns() {
    if (!wells) return;
    wells->autoSizeColumns();
    int total = 0;
    for (int c = 0; c < wells->columnCount(); ++c)
        total += wells->columnWidth(c);
    // A long table name gives up width first (its cell's title tip shows it
    // whole), down to a width that still says which table.
    const int methodWidth = wells->columnWidth(kMethodColumn);
    const int narrowest = std::min(methodWidth, wells->fontMetrics().averageCharWidth() * 24);
    const int cut = std::min(total - fillableWidth(wells), methodWidth - narrowest);
    if (cut > 0) {
        wells->setColumnWidth(kMethodColumn, methodWidth - cut);
        total -= cut;
    }
    // Names take the spare width.
    const int spare = fillableWidth(wells) - total;
    if (spare > 0 && wells->columnCount() > 0) wells->setColumnWidth(0, wells->columnWidth(0) + spare);
    wells->refresh();
}

void CVEKViewView::Impl::showSelectedRow() {
    if (!wells) return;
    const int row = selected() ? q->selectedLocation_ + 1 : -1;
    wells->setHighlightedRow(row);
    if (row > 0) wells->ensureVisible(row, std::max(0, wells->focusCell().col));
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
    d_->markProblems();
}

// ---- values the run would refuse, or that look wrong -----------------------

namespace {

void mark(CGridCtrl *grid, int row, int col, CellMark kind, const QString &note) {
    const CellMark had = grid->itemMark(row, col);
    if (had == CellMark::Refused && kind == CellMark::LooksWrong) return; // the refusal says more
    const QString before = had == kind ? grid->itemNote(row, col) : QString();
    grid->setItemMark(row, col, kind, before.isEmpty() ? note : before + "\n" + note);
}

} // namespace

void CVEKViewView::Impl::markProblems() {
    const ModelInput &m = model();
    for (CGridCtrl *g : {wells, hist, synth})
        g->clearMarks();
    // What a run would refuse, and what it would read otherwise than shown:
    // the validation of the check command, on the cells it names.
    ValidationOptions options;
    options.fileValues = doc()->document().fileValues();
    options.synthesis = false; // stale synthesized years have their own note and question
    const ModelValidation v = validateModel(m, options);
    const int chosen = q->selectedLocation_;
    for (const ModelProblem &p : v.problems) {
        if (p.location < 0) continue;
        const CellMark kind = p.refused() ? CellMark::Refused : CellMark::LooksWrong;
        const QString text = QString::fromStdString(p.text);
        const int row = p.location + 1;
        if (p.field == ModelProblem::Field::Name)
            mark(wells, row, 0, kind, text);
        else if (p.field == ModelProblem::Field::VEK)
            mark(wells, row, 1, kind, text);
        else if (p.field == ModelProblem::Field::LocationType)
            mark(wells, row, 2, kind, text);
        if (p.location != chosen || !p.year || p.month < 0) continue;
        if (p.field == ModelProblem::Field::HistoricalData)
            mark(hist, *p.year - m.inputStartYear + 1, p.month + 1, kind, text);
        else if (p.field == ModelProblem::Field::SynthesizedData)
            mark(synth, *p.year - m.synthStartYear + 1, p.month + 1, kind, text);
    }
    // Values the engine takes but that hardly mean what was meant.
    if (const Location *loc = selected()) {
        const auto scan = [&](CGridCtrl *g, const MonthColumns &cols) {
            const int n = std::min(shortestColumn(cols), g->rowCount() - 1);
            for (int k = 0; k < n; ++k)
                for (int c = 0; c < 12; ++c) {
                    const std::string why =
                        doubtfulValue(*loc, cols[static_cast<size_t>(c)][static_cast<size_t>(k)], m.unitMode);
                    if (!why.empty()) mark(g, k + 1, c + 1, CellMark::LooksWrong, QString::fromStdString(why));
                }
        };
        scan(hist, loc->historicalData);
        scan(synth, loc->synthesizedData);
    }
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

void CVEKViewView::Impl::fillLocationRow(int r) {
    const Location &loc = model().locations[static_cast<size_t>(r - 1)];
    wells->setItemText(r, 0, QString::fromStdString(loc.name));
    wells->setItemText(r, 1, gfmt(loc.VEK));
    wells->setItemText(r, 2, loc.isWell() ? QStringLiteral("Irrig. well") : QStringLiteral("Recharge site"));
    wells->setItemText(r, 3, QString::fromStdString(yesNo(loc.UseInOutput)));
    wells->setItemText(r, 4, loc.isWell() ? QString::fromStdString(yesNo(loc.UsePumpingRecord)) : QStringLiteral("NA"));
    wells->setItemText(r, kMethodColumn, responseMethodCell(model(), loc));
    for (int c = 2; c <= kMethodColumn; ++c)
        wells->setItemState(r, c, wells->itemState(r, c) | GVIS_READONLY);
}

void CVEKViewView::Impl::fillLocationCells() {
    const int n = static_cast<int>(model().locations.size());
    if (wells->rowCount() != 1 + n) {
        fullRefill();
        return;
    }
    for (int r = 1; r <= n; ++r)
        fillLocationRow(r);
    fitListColumns();
}

void CVEKViewView::Impl::fillLocationList() {
    const int n = static_cast<int>(model().locations.size());
    wells->deleteNonFixedRows();
    wells->setRowCount(1 + n);
    for (int c = 0; c < kListColumns; ++c)
        wells->setItemText(0, c, QString::fromLatin1(kListHeaders[c]));
    for (int r = 1; r <= n; ++r)
        fillLocationRow(r);
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
    elideCaption(box);
}

void CVEKViewView::Impl::elideCaption(QGroupBox *box) {
    // A long name with a method text may not fit the frame: cut it with an
    // ellipsis rather than at the frame's edge; the tool tip has it whole.
    const QString caption = box->property("caption").toString();
    box->setTitle(box->fontMetrics().elidedText(caption, Qt::ElideRight, std::max(0, box->width() - 24)));
}

void CVEKViewView::Impl::fillMonthHeaders() {
    for (CGridCtrl *g : {hist, synth}) {
        g->setItemText(0, 0, QStringLiteral("Year"));
        for (int c = 1; c <= 12; ++c)
            g->setItemText(0, c, QString::fromLatin1(monthAbbreviation(model().yearMode, c - 1)));
        g->refresh();
    }
    // New month names may be wider than the old ones.
    fitTableColumns();
}

namespace {

void fillTable(CGridCtrl *grid, const MonthColumns &data, int firstYear) {
    int n = static_cast<int>(data[0].size());
    for (const auto &col : data)
        n = std::min(n, static_cast<int>(col.size()));
    grid->deleteNonFixedRows();
    grid->setRowCount(1 + n);
    for (int r = 1; r <= n; ++r) {
        grid->setItemText(r, 0, dfmt(firstYear + r - 1));
        for (int c = 1; c <= 12; ++c)
            grid->setItemText(r, c, gfmt(data[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)]));
    }
    grid->refresh();
}

} // namespace

void CVEKViewView::Impl::fillHistorical() {
    const Location *loc = selected();
    if (!loc) {
        hist->deleteNonFixedRows();
        hist->refresh();
        pumpButton->setEnabled(false);
        return;
    }
    pumpButton->setEnabled(loc->isWell());
    // A well whose values come from its pumping record is edited there.
    bool fromRecord = loc->isWell() && loc->UsePumpingRecord;
    hist->setEnabled(!fromRecord);
    hist->setEditable(!fromRecord);
    fillTable(hist, loc->historicalData, model().inputStartYear);
    fitTableColumns();
}

void CVEKViewView::Impl::fillSynthesized() {
    const Location *loc = selected();
    if (!loc) {
        synth->deleteNonFixedRows();
        synth->refresh();
        return;
    }
    fillTable(synth, loc->synthesizedData, model().synthStartYear);
    fitTableColumns();
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
}

// ---- the location list and the tables ---------------------------------------

void CVEKViewView::Impl::OnClickWellListctrl(int row, int col) {
    if (!q->doc_) return;
    if (row <= 0) return;
    const int n = static_cast<int>(model().locations.size());
    if (row - 1 >= n) {
        message("OnClickWellListctrl: Internal error.");
        return;
    }
    q->selectedLocation_ = row - 1;
    if (col == kMethodColumn) {
        fillCaptions();
        fillHistorical();
        fillSynthesized();
        q->OnResponseMethod();
        return;
    }
    static const char *const kToggles[] = {"Change Location Type", "Change Output?", "Change Has Pumping Record"};
    auto step = doc()->step(QString::fromLatin1(col >= 2 && col <= 4 ? kToggles[col - 2] : "Select Location"));
    Location &loc = model().locations[static_cast<size_t>(row - 1)];
    switch (col) {
    case 2:
        loc.LocationType = loc.isWell() ? RechargeSite : IrrigationWell;
        fillLocationRow(row);
        markModified();
        break;
    case 3:
        loc.UseInOutput = loc.UseInOutput ? 0 : 1;
        fillLocationRow(row);
        markModified();
        break;
    case 4:
        if (loc.isWell()) loc.UsePumpingRecord = loc.UsePumpingRecord ? 0 : 1;
        fillLocationRow(row);
        markModified();
        break;
    default:
        break;
    }
    fillCaptions();
    fillHistorical();
    fillSynthesized();
    wells->refresh();
    scheduleMarks();
}

void CVEKViewView::Impl::onBeginEdit(CGridCtrl *grid, int row, int, const QString &oldText) {
    editingGrid = grid;
    editOriginalText = oldText;
    if (grid == wells && row >= 1) {
        q->selectedLocation_ = row - 1;
        showSelectedRow();
    }
}

void CVEKViewView::Impl::onEndEdit(CGridCtrl *grid, int row, int col) {
    editingGrid = nullptr;
    if (!q->doc_) return;
    auto step = doc()->step(QStringLiteral("Edit in %1").arg(tableName(grid)));
    if (grid == wells)
        OnEndlabeleditWellListctrl(row, col);
    else if (grid == hist)
        OnEndlabeleditPumpingListctrl(row, col);
    else if (grid == synth)
        OnEndlabeleditSynthListctrl(row, col);
    // The new text may be wider or narrower than before; both tables keep
    // equal columns.
    if (grid == wells)
        fitListColumns();
    else
        fitTableColumns();
    scheduleMarks(grid, row, col);
}

void CVEKViewView::Impl::scheduleMarks(CGridCtrl *edited, int row, int col) {
    if (edited) lastEdit = {edited, row, col};
    // Once after the edits of one action (a paste edits many cells).
    if (marksPending) return;
    marksPending = true;
    QTimer::singleShot(0, q, [this] {
        marksPending = false;
        if (!q->doc_) return;
        markProblems();
        // The value just typed is marked: the status bar says why.
        if (lastEdit.grid && lastEdit.grid->itemMark(lastEdit.row, lastEdit.col) != CellMark::None)
            q->showStatus(lastEdit.grid->itemNote(lastEdit.row, lastEdit.col).section('\n', 0, 0));
        lastEdit = {};
    });
}

// The tables forward each changed cell to the document, which applies its
// rules (stale synthesized years, user-defined synthesis); the cell then
// shows the value the document holds.
void CVEKViewView::Impl::OnEndlabeleditWellListctrl(int row, int col) {
    const int n = static_cast<int>(model().locations.size());
    if (row < 1 || row - 1 >= n) {
        message("OnEndlabeleditWellListctrl: Internal error.");
        return;
    }
    QString text = wells->itemText(row, col);
    if (text != editOriginalText) {
        ModelDocument &d = doc()->document();
        if (col == 0) {
            d.setLocationName(row - 1, text.trimmed().toStdString());
        } else if (col == 1) {
            d.setLocationFactor(row - 1, leadingNumber(text));
            wells->setItemText(row, col, gfmt(model().locations[static_cast<size_t>(row - 1)].VEK));
        }
    }
    fillCaptions();
    fillHistorical();
    fillSynthesized();
}

void CVEKViewView::Impl::OnEndlabeleditPumpingListctrl(int row, int col) {
    Location *loc = selected();
    if (!loc) {
        message("OnEndlabeleditPumpingListctrl: Internal error.");
        return;
    }
    QString text = hist->itemText(row, col);
    const int k = row - 1, m = col - 1;
    if (text != editOriginalText && m >= 0 && m < 12 && k >= 0 &&
        k < static_cast<int>(loc->historicalData[static_cast<size_t>(m)].size())) {
        doc()->document().setHistoricalValue(q->selectedLocation_, k, m, leadingNumber(text));
        hist->setItemText(row, col, gfmt(loc->historicalData[static_cast<size_t>(m)][static_cast<size_t>(k)]));
    }
    hist->autoSizeColumns();
}

void CVEKViewView::Impl::OnEndlabeleditSynthListctrl(int row, int col) {
    Location *loc = selected();
    if (!loc) return;
    QString text = synth->itemText(row, col);
    if (text == editOriginalText) return;
    const int k = row - 1, m = col - 1;
    if (m >= 0 && m < 12 && k >= 0 && k < static_cast<int>(loc->synthesizedData[static_cast<size_t>(m)].size())) {
        if (doc()->document().setSynthesizedValue(q->selectedLocation_, k, m, leadingNumber(text))) fillCaptions();
        synth->setItemText(row, col, gfmt(loc->synthesizedData[static_cast<size_t>(m)][static_cast<size_t>(k)]));
    }
    synth->autoSizeColumns();
}

} // namespace vek
