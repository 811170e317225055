// The document's operations: ask, call the model operation, show what it
// reports, mark and refresh (see document_operations.h).
#include "model/document_operations.h"

#include "common/prompter.h"
#include "model/document_ui.h"
#include "model/imports.h"
#include "model/model_document.h"
#include "model/synthesis.h"
#include "model/year_types.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

namespace vek {

namespace {

// Warnings first, as the operation met them, then the error that stopped it.
void show(Prompter &prompter, const OperationResult &r) {
    for (const OperationError &w : r.warnings)
        prompter.message(w.message);
    if (r.error) prompter.message(r.error->message);
}

bool finish(ModelDocument &doc, Prompter &prompter, const OperationResult &r) {
    show(prompter, r);
    if (r.changed) doc.setModified();
    return r.ok();
}

// The year at a position of a dialog's year list (which starts at the first
// historical year). A position from a broken dialog cannot overflow: it
// names a year far outside the period, which the operation refuses.
int yearAt(const ModelInput &md, long long position) {
    return static_cast<int>(std::clamp<long long>(md.inputStartYear + position, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

// The checks every method makes before it asks for years.
bool canSynthesize(const ModelDocument &doc, Prompter &prompter) {
    if (auto e = synthesisPrecondition(doc.model)) {
        prompter.message(e->message);
        return false;
    }
    return true;
}

} // namespace

namespace {

// The model keeps only the first and the last year of an average, and the
// caption, the file and the engine's report name it "Y1 to Y2". Years that
// are not adjacent would be averaged under a label that names others (and
// a later Recalculate would average all of them): the user is told and
// offered the whole range. Returns the years to average, or nothing.
std::optional<std::vector<int>> adjacentYears(const ModelDocument &doc, Prompter &prompter, std::vector<int> years) {
    std::sort(years.begin(), years.end());
    years.erase(std::unique(years.begin(), years.end()), years.end());
    const long long span = static_cast<long long>(years.back()) - years.front() + 1;
    if (span == static_cast<long long>(years.size())) return years;
    // Years outside the period are the operation's to refuse.
    const ModelInput &m = doc.model;
    if (years.front() < m.inputStartYear || years.back() > m.inputEndYear) return years;
    std::string listed;
    for (size_t i = 0; i < years.size(); ++i) {
        if (i == 8 && years.size() > 9) {
            listed += ", ...";
            break;
        }
        listed += (i ? ", " : "") + std::to_string(years[i]);
    }
    const std::string range = std::to_string(years.front()) + " to " + std::to_string(years.back());
    const std::string question =
        "The years chosen (" + listed +
        ") are not adjacent.  The model keeps only the first and the last year of "
        "an average: the synthesized table's caption, the model file and the engine's report would all say \"" +
        range + "\", which reads as " + std::to_string(span) + " years, and a later Recalculate would average all " +
        std::to_string(span) + " years.  Average all " + std::to_string(span) + " years from " + range + " instead?";
    const int answer = prompter.choose(question, {"Average " + range, "Cancel"}, 1, 1);
    if (answer != 0) return std::nullopt;
    std::vector<int> all;
    for (long long y = years.front(); y <= years.back(); ++y)
        all.push_back(static_cast<int>(y));
    return all;
}

} // namespace

bool synthesizeAverage(ModelDocument &doc, Prompter &prompter) {
    if (!canSynthesize(doc, prompter)) return false;
    ModelInput &md = doc.model;
    auto chosen = prompter.selectYearsToAverage(md.inputStartYear, md.inputEndYear);
    if (!chosen || chosen->empty()) return false;
    std::vector<int> years;
    for (int position : *chosen)
        years.push_back(yearAt(md, position));
    const auto averaged = adjacentYears(doc, prompter, years);
    if (!averaged) return false;
    return finish(doc, prompter, synthesizeAverage(md, *averaged));
}

bool synthesizeGivenYear(ModelDocument &doc, Prompter &prompter) {
    if (!canSynthesize(doc, prompter)) return false;
    ModelInput &md = doc.model;
    auto chosen = prompter.chooseGivenYear(md.inputStartYear, md.inputEndYear);
    if (!chosen) return false;
    return finish(doc, prompter, synthesizeGivenYear(md, yearAt(md, *chosen)));
}

bool synthesizeCycle(ModelDocument &doc, Prompter &prompter) {
    if (!canSynthesize(doc, prompter)) return false;
    ModelInput &md = doc.model;
    auto chosen = prompter.chooseCycle(md.inputStartYear, md.inputEndYear);
    if (!chosen) return false;
    // The end position counts from the start year: the cycle has end + 1 years.
    const long long length = static_cast<long long>(chosen->second) + 1;
    return finish(doc, prompter,
                  synthesizeCycle(md, yearAt(md, chosen->first),
                                  static_cast<int>(std::clamp<long long>(length, std::numeric_limits<int>::min(),
                                                                         std::numeric_limits<int>::max()))));
}

bool chooseSynthesisMethod(ModelDocument &doc, DocumentUi &ui) {
    Prompter &p = ui.prompter();
    auto method = p.chooseSynthesisMethod();
    if (!method) return false;

    bool filled = false;
    switch (*method) {
    case 0:
        filled = synthesizeAverage(doc, p);
        break;
    case 1:
        filled = synthesizeGivenYear(doc, p);
        break;
    case 2:
        filled = synthesizeCycle(doc, p);
        break;
    default:
        p.message("Unknown synthesis method " + std::to_string(*method) + "; nothing was synthesized.");
        return false;
    }

    // The user has been through the choice: whatever the method did (also
    // when its own dialog was cancelled) the stale warning is considered
    // answered, the document counts as changed and the tables are refilled.
    doc.setModified();
    doc.historicalDataChanged = false;
    ui.updateAllViews(ViewHint::SynthesizedTable);
    return filled;
}

namespace {

std::string plural(int n, const std::string &what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

// "NOV and DEC", "OCT, NOV and DEC": month columns of the current year type.
std::string monthNames(int yearMode, const std::vector<int> &cols) {
    std::string out;
    for (size_t i = 0; i < cols.size(); ++i) {
        if (i > 0) out += i + 1 == cols.size() ? " and " : ", ";
        out += monthAbbreviation(yearMode, cols[i]);
    }
    return out;
}

// What a change of year type adds and drops, in counts and years, as the
// question before it says it.
std::string describeYearTypeChange(const ModelInput &m, int newMode, const YearTypeChangePreview &p) {
    const std::string months = monthNames(m.yearMode, p.edgeColumns);
    std::string text = "Changing the year type to " + yearTypeName(newMode) +
                       " changes more than the order of the "
                       "months:";
    if (p.addedYear) {
        text += "\n- it adds " + std::to_string(*p.addedYear) + " as a new " + (p.addedBeforeFirst ? "first" : "last") +
                " historical year, to take the " + months + " values of " + std::to_string(*p.historicalEdgeYear) +
                " (its other months stay empty)";
        if (!p.addedBeforeFirst && m.synthesizedYears() > 0)
            text += "; the synthesized years then run from " + std::to_string(m.synthStartYear + 1) + " to " +
                    std::to_string(m.synthEndYear + 1);
        text += ";";
    }
    if (p.droppedHistorical + p.droppedPumping > 0) {
        text += "\n- it drops the " + months + " values of " + std::to_string(*p.historicalEdgeYear) +
                " that are not zero: " + plural(p.droppedHistorical, "historical value") +
                (p.droppedPumping > 0 ? " and " + plural(p.droppedPumping, "pumping record flow") : std::string()) +
                ";";
    }
    if (p.droppedSynthesized > 0 && p.synthesizedEdgeYear)
        text += "\n- it drops " + plural(p.droppedSynthesized, "synthesized value") + " that " +
                (p.droppedSynthesized == 1 ? "is" : "are") + " not zero: the " + months + " of the " +
                (p.shift > 0 ? "first" : "last") + " synthesized year, " + std::to_string(*p.synthesizedEdgeYear) + ";";
    if (p.dropped() > 0)
        text += "\n" + plural(p.locationsDropping, "location") + " lose" + (p.locationsDropping == 1 ? "s" : "") +
                " values; changing back does not restore them.";
    text += "\nThe run range and the years the synthesis record names stay as they are.  Change the year type?";
    return text;
}

} // namespace

bool changeYearType(ModelDocument &doc, DocumentUi &ui, int newMode) {
    const YearTypeChangePreview preview = previewYearTypeChange(doc.model, newMode);
    if (preview.changesMoreThanTheMonthOrder()) {
        const std::string question = describeYearTypeChange(doc.model, newMode, preview);
        if (ui.prompter().choose(question, {"Change the Year Type", "Cancel"}, 1, 1) != 0) return false;
    }
    const YearTypeChange r = changeYearType(doc.model, newMode);
    show(ui.prompter(), r);
    if (!r.changed) return false;
    doc.setModified();
    ui.updateAllViews(r.yearAdded ? ViewHint::Everything : ViewHint::TablesAndMonthHeaders);
    return true;
}

void changeUnits(ModelDocument &doc, DocumentUi &ui, int newUnit) {
    const OperationResult r = changeUnits(doc.model, newUnit);
    show(ui.prompter(), r);
    if (!r.changed) return;
    doc.setModified();
    ui.updateAllViews(ViewHint::Tables);
}

void setUseAvgDaysPerMonth(ModelDocument &doc, bool avg) {
    doc.model.useAvgDaysPerMonth = avg;
    doc.setModified();
}

namespace {

// The soil-moisture basis the user chose; nullopt when the choice was dismissed.
std::optional<SoilMoisture> askSoilMoisture(Prompter &prompter) {
    const int choice = prompter.chooseSoilMoisture();
    if (choice == static_cast<int>(SoilMoisture::Without)) return SoilMoisture::Without;
    if (choice == static_cast<int>(SoilMoisture::With)) return SoilMoisture::With;
    return std::nullopt;
}

} // namespace

bool importWendraFile(ModelDocument &doc, Prompter &prompter, const std::string &path) {
    doc.model.locations.clear();
    doc.setModified(true);
    const auto basis = askSoilMoisture(prompter);
    if (!basis) return false;
    const OperationResult r = importWendraFile(doc.model, path, *basis);
    show(prompter, r);
    return r.ok();
}

bool importWendraFileIntoOpenDocument(ModelDocument &doc, DocumentUi &ui, const std::string &path) {
    const auto basis = askSoilMoisture(ui.prompter());
    if (!basis) return false;
    ModelInput scratch;
    const OperationResult r = importWendraFile(scratch, path, *basis);
    show(ui.prompter(), r);
    if (!r.ok()) return false;
    if (scratch.locations.empty()) {
        ui.message(path + " holds no well data; the model is left as it was.");
        return false;
    }
    doc.replaceModel(std::move(scratch));
    ui.updateAllViews(ViewHint::Everything);
    return true;
}

bool importTabDelimited(ModelDocument &doc, DocumentUi &ui, const std::string &path, int yearMode, int unitMode) {
    const OperationResult r = importTabDelimited(doc.model, path, yearMode, unitMode);
    show(ui.prompter(), r);
    doc.setModified(true);
    ui.updateAllViews(ViewHint::Everything);
    return r.ok();
}

bool importTabDelimitedAsking(ModelDocument &doc, DocumentUi &ui, const std::string &path) {
    auto options = ui.prompter().chooseImportOptions();
    if (!options) return false;
    return importTabDelimited(doc, ui, path, options->first, options->second);
}

bool importOldFormat(ModelDocument &doc, DocumentUi &ui, const std::string &path) {
    const OperationResult r = importOldFormat(doc.model, path);
    show(ui.prompter(), r);
    doc.setModified(true);
    ui.updateAllViews(ViewHint::EverythingButMonthHeaders);
    return r.ok();
}

} // namespace vek
