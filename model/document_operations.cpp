// The document's operations: ask, call the model operation, show what it
// reports, mark and refresh (see document_operations.h).
#include "model/document_operations.h"

#include "common/prompter.h"
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
void show(const ModelDocument &doc, const OperationResult &r) {
    for (const OperationError &w : r.warnings)
        doc.message(w.message);
    if (r.error) doc.message(r.error->message);
}

bool finish(ModelDocument &doc, const OperationResult &r) {
    show(doc, r);
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
bool canSynthesize(ModelDocument &doc) {
    if (auto e = synthesisPrecondition(doc.model)) {
        doc.message(e->message);
        return false;
    }
    return doc.prompter() != nullptr;
}

} // namespace

namespace {

// The model keeps only the first and the last year of an average, and the
// caption, the file and the engine's report name it "Y1 to Y2". Years that
// are not adjacent would be averaged under a label that names others (and
// a later Recalculate would average all of them): the user is told and
// offered the whole range. Returns the years to average, or nothing.
std::optional<std::vector<int>> adjacentYears(ModelDocument &doc, std::vector<int> years) {
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
    const int answer = doc.prompter()->choose(question, {"Average " + range, "Cancel"}, 1, 1);
    if (answer != 0) return std::nullopt;
    std::vector<int> all;
    for (long long y = years.front(); y <= years.back(); ++y)
        all.push_back(static_cast<int>(y));
    return all;
}

} // namespace

bool synthesizeAverage(ModelDocument &doc) {
    if (!canSynthesize(doc)) return false;
    ModelInput &md = doc.model;
    auto chosen = doc.prompter()->selectYearsToAverage(md.inputStartYear, md.inputEndYear);
    if (!chosen || chosen->empty()) return false;
    std::vector<int> years;
    for (int position : *chosen)
        years.push_back(yearAt(md, position));
    const auto averaged = adjacentYears(doc, years);
    if (!averaged) return false;
    return finish(doc, synthesizeAverage(md, *averaged));
}

bool synthesizeGivenYear(ModelDocument &doc) {
    if (!canSynthesize(doc)) return false;
    ModelInput &md = doc.model;
    auto chosen = doc.prompter()->chooseGivenYear(md.inputStartYear, md.inputEndYear);
    if (!chosen) return false;
    return finish(doc, synthesizeGivenYear(md, yearAt(md, *chosen)));
}

bool synthesizeCycle(ModelDocument &doc) {
    if (!canSynthesize(doc)) return false;
    ModelInput &md = doc.model;
    auto chosen = doc.prompter()->chooseCycle(md.inputStartYear, md.inputEndYear);
    if (!chosen) return false;
    // The end position counts from the start year: the cycle has end + 1 years.
    const long long length = static_cast<long long>(chosen->second) + 1;
    return finish(doc, synthesizeCycle(md, yearAt(md, chosen->first),
                                       static_cast<int>(std::clamp<long long>(length, std::numeric_limits<int>::min(),
                                                                              std::numeric_limits<int>::max()))));
}

bool chooseSynthesisMethod(ModelDocument &doc) {
    Prompter *p = doc.prompter();
    if (!p) return false;
    auto method = p->chooseSynthesisMethod();
    if (!method) return false;

    bool filled = false;
    switch (*method) {
    case 0:
        filled = synthesizeAverage(doc);
        break;
    case 1:
        filled = synthesizeGivenYear(doc);
        break;
    case 2:
        filled = synthesizeCycle(doc);
        break;
    default:
        doc.message("Unknown synthesis method " + std::to_string(*method) + "; nothing was synthesized.");
        return false;
    }

    // The user has been through the choice: whatever the method did (also
    // when its own dialog was cancelled) the stale warning is considered
    // answered, the document counts as changed and the tables are refilled.
    doc.setModified();
    doc.updateAllViews(kHintSynthesized);
    doc.historicalDataChanged = false;
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

bool changeYearType(ModelDocument &doc, int newMode) {
    const YearTypeChangePreview preview = previewYearTypeChange(doc.model, newMode);
    if (preview.changesMoreThanTheMonthOrder() && doc.prompter()) {
        const std::string question = describeYearTypeChange(doc.model, newMode, preview);
        if (doc.prompter()->choose(question, {"Change the Year Type", "Cancel"}, 1, 1) != 0) return false;
    }
    const YearTypeChange r = changeYearType(doc.model, newMode);
    show(doc, r);
    if (!r.changed) return false;
    doc.setModified();
    doc.updateAllViews(r.yearAdded ? kHintEverything : kHintYearType);
    return true;
}

void changeUnits(ModelDocument &doc, int newUnit) {
    const OperationResult r = changeUnits(doc.model, newUnit);
    show(doc, r);
    if (!r.changed) return;
    doc.setModified();
    doc.updateAllViews(kHintUnits);
}

void setUseAvgDaysPerMonth(ModelDocument &doc, bool avg) {
    doc.model.useAvgDaysPerMonth = avg;
    doc.setModified();
}

namespace {

// The soil-moisture basis the user chose; nullopt when the choice was dismissed.
std::optional<SoilMoisture> askSoilMoisture(ModelDocument &doc) {
    const int choice = doc.prompter() ? doc.prompter()->chooseSoilMoisture() : 0;
    if (choice == static_cast<int>(SoilMoisture::Without)) return SoilMoisture::Without;
    if (choice == static_cast<int>(SoilMoisture::With)) return SoilMoisture::With;
    return std::nullopt;
}

} // namespace

bool importWendraFile(ModelDocument &doc, const std::string &path) {
    doc.model.locations.clear();
    doc.setModified(true);
    const auto basis = askSoilMoisture(doc);
    if (!basis) return false;
    const OperationResult r = importWendraFile(doc.model, path, *basis);
    show(doc, r);
    return r.ok();
}

bool importWendraFileIntoOpenDocument(ModelDocument &doc, const std::string &path) {
    const auto basis = askSoilMoisture(doc);
    if (!basis) return false;
    ModelInput scratch;
    OperationResult r = importWendraFile(scratch, path, *basis);
    if (r.error && r.error->kind == OperationError::Kind::NoWells)
        r.error->message = path + " holds no well data; the model is left as it was.";
    show(doc, r);
    if (!r.ok()) return false;
    doc.replaceModel(std::move(scratch));
    doc.updateAllViews(kHintEverything);
    return true;
}

bool importTabDelimited(ModelDocument &doc, const std::string &path, int yearMode, int unitMode) {
    const OperationResult r = importTabDelimited(doc.model, path, yearMode, unitMode);
    show(doc, r);
    doc.setModified(true);
    doc.updateAllViews(kHintEverything);
    return r.ok();
}

bool importTabDelimitedAsking(ModelDocument &doc, const std::string &path) {
    if (!doc.prompter()) return false;
    auto options = doc.prompter()->chooseImportOptions();
    if (!options) return false;
    return importTabDelimited(doc, path, options->first, options->second);
}

bool importOldFormat(ModelDocument &doc, const std::string &path) {
    const OperationResult r = importOldFormat(doc.model, path);
    show(doc, r);
    doc.setModified(true);
    doc.updateAllViews(kHintImportedOldFormat);
    return r.ok();
}

} // namespace vek
