// The document core's structural operations on locations and years, and its
// open and save.
#include "model/model_document.h"
#include "common/ascii_case.h"
#include "common/utf8_path.h"

#include "model/document_operations.h"
#include "model/input_file.h"
#include "model/synthesis.h"
#include "model/value_limits.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace vek {

namespace {

void appendEntry(MonthColumns &cols, float value = 0.0f) {
    for (auto &c : cols)
        c.push_back(value);
}

void eraseEntry(MonthColumns &cols, int at) {
    for (auto &c : cols)
        if (at >= 0 && at < static_cast<int>(c.size())) c.erase(c.begin() + at);
}

void sizeColumns(MonthColumns &cols, int n, float value) {
    for (auto &c : cols)
        c.assign(static_cast<size_t>(std::max(n, 0)), value);
}

} // namespace

void ModelDocument::resetLocations(int count) {
    fileValuesCount_ = false;
    vek::resetLocations(model, count);
    setModified();
}

void ModelDocument::insertLocations(int index, int count) {
    const int size = static_cast<int>(model.locations.size());
    // The last index appends after it, another valid index inserts before
    // it, anything else appends. Index 0 always means "first", also when it
    // is the last index of a one-element list.
    int at = (index == 0 && size > 0) || (index >= 0 && index < size - 1) ? index : size;
    if (count >= 1) {
        Location loc;
        sizeColumns(loc.historicalData, model.historicalYears(), 0.0f);
        sizeColumns(loc.pumpingFlow, model.historicalYears(), 0.0f);
        sizeColumns(loc.daysOn, model.historicalYears(), 0.0f);
        sizeColumns(loc.synthesizedData, model.synthesizedYears(), 0.0f);
        model.locations.insert(model.locations.begin() + at, static_cast<size_t>(count), loc);
        fileValuesCount_ = false;
        setModified();
    }
    historicalDataChanged = model.synthesizedYears() > 0;
}

void ModelDocument::deleteLocations(int index, int count) {
    for (int i = 0; i < count; ++i) {
        if (index < 0 || index >= static_cast<int>(model.locations.size())) break;
        model.locations.erase(model.locations.begin() + index);
        fileValuesCount_ = false;
        setModified();
    }
    if (model.locations.empty()) model.locations.shrink_to_fit();
}

bool ModelDocument::addHistoricalYear(int offset, bool atEnd) {
    if (!vek::addHistoricalYear(model, offset, atEnd)) return false;
    setModified();
    return true;
}

void ModelDocument::deleteHistoricalYear(int offset) {
    if (offset < 0 || offset >= model.historicalYears()) return;
    if (!historicalDataChanged) historicalDataChanged = offset >= model.projYearStart && offset <= model.projYearEnd;
    if (offset == 0) {
        ++model.inputStartYear;
    } else {
        --model.inputEndYear;
        --model.synthStartYear;
        --model.synthEndYear;
    }
    for (auto &loc : model.locations) {
        eraseEntry(loc.historicalData, offset);
        eraseEntry(loc.pumpingFlow, offset);
        eraseEntry(loc.daysOn, offset);
    }
    setModified();
}

bool ModelDocument::addSynthesizedYear() {
    const int count = model.synthesizedYears();
    int newStart = model.synthStartYear, newEnd = model.synthEndYear;
    if (newStart > 0 && newEnd > 0) {
        ++newEnd;
    } else {
        // Start right after the historical years with exactly the years the
        // columns will hold.
        newStart = model.inputEndYear + 1;
        newEnd = newStart + count;
    }
    // Without historical years, or where the both-zero rule would hide the
    // new year, the period could not describe the columns: refuse.
    if (model.historicalYears() < 1 || periodYears(newStart, newEnd) != count + 1) return false;
    model.synthStartYear = newStart;
    model.synthEndYear = newEnd;
    for (auto &loc : model.locations)
        appendEntry(loc.synthesizedData);
    setModified();
    return true;
}

void ModelDocument::deleteSynthesizedYear(int offset) {
    const int count = model.synthesizedYears();
    if (count < 1) return;
    const int k = std::clamp(offset, 0, count - 1);
    if (k == 0)
        ++model.synthStartYear;
    else
        --model.synthEndYear;
    for (auto &loc : model.locations)
        eraseEntry(loc.synthesizedData, k);
    setModified();
}

void ModelDocument::clearSynthesizedYears() {
    model.synthEndYear = model.inputEndYear;
    model.synthStartYear = model.inputEndYear + 1;
    for (auto &loc : model.locations)
        for (auto &c : loc.synthesizedData)
            c.clear();
    setModified();
}

bool ModelDocument::setSynthesizedYearCount(int count) {
    const int current = model.synthesizedYears();
    if (count == current) return false;
    if (count < 1) {
        clearSynthesizedYears();
        return true;
    }
    bool changed = false;
    while (model.synthesizedYears() < count) {
        if (!addSynthesizedYear()) break;
        changed = true;
    }
    while (model.synthesizedYears() > count) {
        deleteSynthesizedYear(model.synthesizedYears() - 1);
        changed = true;
    }
    return changed;
}

namespace {

std::string absolutePath(const std::string &path) {
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(pathFromUtf8(path), ec);
    return ec ? path : utf8FromPath(abs.lexically_normal());
}

// The same file: one path names it through a link, or both spell it alike.
bool sameFile(const std::string &a, const std::string &b) {
    std::error_code ec;
    if (std::filesystem::equivalent(pathFromUtf8(a), pathFromUtf8(b), ec)) return true;
    return absolutePath(a) == absolutePath(b);
}

// The entry of a month column, or nullptr when there is none.
float *cell(std::vector<Location> &locs, int location, MonthColumns Location::*table, int year, int month) {
    if (location < 0 || location >= static_cast<int>(locs.size()) || month < 0 || month >= 12) return nullptr;
    auto &col = (locs[static_cast<size_t>(location)].*table)[static_cast<size_t>(month)];
    if (year < 0 || year >= static_cast<int>(col.size())) return nullptr;
    return &col[static_cast<size_t>(year)];
}

} // namespace

bool ModelDocument::setLocationName(int location, const std::string &name) {
    if (location < 0 || location >= static_cast<int>(model.locations.size())) return false;
    if (!locationNameProblem(name).empty()) return false; // the file would not read back
    std::string &stored = model.locations[static_cast<size_t>(location)].name;
    if (stored == name) return false;
    stored = name;
    setModified();
    return true;
}

bool ModelDocument::setLocationFactor(int location, float vek) {
    if (location < 0 || location >= static_cast<int>(model.locations.size())) return false;
    float &stored = model.locations[static_cast<size_t>(location)].VEK;
    if (stored == vek) return false;
    stored = vek;
    setModified();
    return true;
}

bool ModelDocument::setHistoricalValue(int location, int year, int month, float value) {
    float *stored = cell(model.locations, location, &Location::historicalData, year, month);
    if (!stored || *stored == value) return false;
    *stored = value;
    setModified();
    if (model.synthesizedYears() > 0 && !historicalDataChanged) {
        auto [first, last] = synthesisSourceYears(model);
        if (year >= first && year <= last) historicalDataChanged = true;
    }
    return true;
}

bool ModelDocument::setSynthesizedValue(int location, int year, int month, float value) {
    float *stored = cell(model.locations, location, &Location::synthesizedData, year, month);
    if (!stored || !(std::abs(value - *stored) > 0.0001f)) return false;
    *stored = value;
    model.synthesizeFormat = SynthesizedUserDefined;
    setModified();
    return true;
}

ModelValidation ModelDocument::validate() const {
    ValidationOptions o;
    o.fileValues = fileValues();
    return validateModel(model, o);
}

bool ModelDocument::open(const std::string &path, Prompter &prompter) {
    model = ModelInput{};
    historicalDataChanged = false;
    partlyReadFrom_.clear();
    fileValuesCount_ = false;
    std::string ext = asciiLowered(std::filesystem::path(path).extension().string());
    const std::string abs = absolutePath(path);
    const std::string fileName = utf8FromPath(pathFromUtf8(path).filename());
    if (ext == ".vek") {
        const OperationResult read = readModelInput(model, path, false, &fileValues_);
        if (read.changed) setModified();
        if (read.error) prompter.message(read.error->message);
        if (read.ok()) {
            for (const OperationError &w : read.warnings)
                prompter.message(w.message);
            setPath(abs);
            setModified(false);
            fileValuesCount_ = true;
            // Said once, when the file is opened; what the engine would
            // refuse is said when the model is run.
            const ModelValidation v = validate();
            for (const ModelProblem &p : v.problems)
                if (p.field == ModelProblem::Field::SynthesizedData || p.field == ModelProblem::Field::SynthesizeFormat)
                    historicalDataChanged = true;
            if (v.hasWarnings())
                prompter.message(fileName + kOpenWarningsMessage +
                                 v.text(ModelProblem::Severity::Warning, kMostProblemsShown));
        } else {
            // What was read stays for the user to look at or save elsewhere,
            // but it is not the file: a plain Save must not replace the
            // file's undamaged rest with it.
            partlyReadFrom_ = abs;
            setPath(std::string());
            setModified(true);
        }
        return true;
    }
    bool ok = importWendraFile(*this, prompter, path);
    setPath(abs);
    setModified(true);
    return ok;
}

bool ModelDocument::save(const std::string &path, Prompter &prompter) {
    if (isReadPartly() && sameFile(saveInputPath(path), partlyReadFrom_)) {
        const std::string question = partlyReadFrom_ +
                                     " was read only partly. Saving this document over it loses everything the file "
                                     "holds after the part that was read. Replace it?";
        if (!prompter.askYesNo(question)) return false;
    }
    if (!SaveInput(*this, prompter, path)) return false;
    // Keep the name of the file actually written (a ".owl" path is saved
    // under its base name with ".vek"), so a later run finds it.
    setPath(absolutePath(saveInputPath(path)));
    setModified(false);
    partlyReadFrom_.clear();
    fileValuesCount_ = false; // the file now holds what the document holds
    return true;
}

void ModelDocument::replaceModel(ModelInput replacement) {
    model = std::move(replacement);
    fileValuesCount_ = false;
    historicalDataChanged = false;
    setModified(true);
}

} // namespace vek
