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

bool synthesizeAverage(ModelDocument &doc) {
    if (!canSynthesize(doc)) return false;
    ModelInput &md = doc.model;
    auto chosen = doc.prompter()->selectYearsToAverage(md.inputStartYear, md.inputEndYear);
    if (!chosen || chosen->empty()) return false;
    std::vector<int> years;
    for (int position : *chosen)
        years.push_back(yearAt(md, position));
    return finish(doc, synthesizeAverage(md, years));
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

void chooseSynthesisMethod(ModelDocument &doc) {
    Prompter *p = doc.prompter();
    if (!p) return;
    auto method = p->chooseSynthesisMethod();
    if (!method) return;

    switch (*method) {
    case 0:
        synthesizeAverage(doc);
        break;
    case 1:
        synthesizeGivenYear(doc);
        break;
    case 2:
        synthesizeCycle(doc);
        break;
    default:
        doc.message("Unknown synthesis method " + std::to_string(*method) + "; nothing was synthesized.");
        return;
    }

    // The user has been through the choice: whatever the method did (also
    // when its own dialog was cancelled) the stale warning is considered
    // answered, the document counts as changed and the tables are refilled.
    doc.setModified();
    doc.updateAllViews(kHintSynthesized);
    doc.historicalDataChanged = false;
}

void changeYearType(ModelDocument &doc, int newMode) {
    const YearTypeChange r = changeYearType(doc.model, newMode);
    show(doc, r);
    if (!r.changed) return;
    doc.setModified();
    doc.updateAllViews(r.yearAdded ? kHintEverything : kHintYearType);
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
    const OperationResult r = importWendraFile(scratch, path, *basis);
    show(doc, r);
    if (!r.ok()) return false;
    if (scratch.locations.empty()) {
        doc.message(path + " holds no well data; the model is left as it was.");
        return false;
    }
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
