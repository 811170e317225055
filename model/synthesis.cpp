// Projection of the historical years into the synthesized years (see
// synthesis.h).
#include "model/synthesis.h"

#include "model/model_document.h"

#include <algorithm>
#include <vector>

namespace vek {

namespace {

int seriesYears(const MonthColumns &c) {
    size_t n = c[0].size();
    for (const auto &col : c)
        n = std::min(n, col.size());
    return static_cast<int>(n);
}

// Historical value of column m, year offset j; a damaged location whose
// columns are shorter than the period reads as 0.0 instead of past its end.
float historical(const Location &loc, int m, int j) {
    const auto &col = loc.historicalData[static_cast<size_t>(m)];
    return j >= 0 && static_cast<size_t>(j) < col.size() ? col[static_cast<size_t>(j)] : 0.0f;
}

// The two checks every method makes before it asks for years.
bool canProject(ModelDocument &doc) {
    const ModelInput &md = doc.model;
    if (md.synthesizedYears() <= 0) {
        doc.message(kNoSynthesizedYearsMessage);
        return false;
    }
    if (md.historicalYears() <= 0) {
        doc.message(kNoHistoricalYearsMessage);
        return false;
    }
    return true;
}

// A dialog answer naming a year outside the list it was offered from (a
// broken dialog or a script) is refused rather than read past the arrays.
bool isHistoricalOffset(ModelDocument &doc, int offset) {
    const ModelInput &md = doc.model;
    if (offset >= 0 && offset < md.historicalYears()) return true;
    doc.message("Year " + std::to_string(md.inputStartYear + offset) + " is not a historical year (" +
                std::to_string(md.inputStartYear) + " to " + std::to_string(md.inputEndYear) +
                "); nothing was synthesized.");
    return false;
}

// Writes value(m, k) into every synthesized year k of every column m of
// every location; marks the document modified when there are locations.
template <typename ValueOf> void fillSynthesized(ModelDocument &doc, ValueOf value) {
    if (doc.model.locations.empty()) return;
    doc.setModified();
    for (auto &loc : doc.model.locations) {
        const int years = seriesYears(loc.synthesizedData);
        for (int m = 0; m < 12; ++m)
            for (int k = 0; k < years; ++k)
                loc.synthesizedData[static_cast<size_t>(m)][static_cast<size_t>(k)] = value(loc, m, k);
    }
}

} // namespace

bool synthesizeAverage(ModelDocument &doc) {
    if (!canProject(doc)) return false;
    ModelInput &md = doc.model;
    Prompter *p = doc.prompter();
    if (!p) return false;
    auto chosen = p->selectYearsToAverage(md.inputStartYear, md.inputEndYear);
    if (!chosen || chosen->empty()) return false;

    // A selection is a set of years: order and repeats carry no meaning.
    std::vector<int> years = *chosen;
    std::sort(years.begin(), years.end());
    years.erase(std::unique(years.begin(), years.end()), years.end());
    for (int j : years)
        if (!isHistoricalOffset(doc, j)) return false;

    // Summed in double precision, stored in single.
    std::vector<float> average(12);
    fillSynthesized(doc, [&](const Location &loc, int m, int k) {
        if (k == 0) {
            double sum = 0.0;
            for (int j : years)
                sum += historical(loc, m, j);
            average[static_cast<size_t>(m)] = static_cast<float>(sum / static_cast<double>(years.size()));
        }
        return average[static_cast<size_t>(m)];
    });
    md.synthesizeFormat = SynthesizedAverage;
    md.projYearStart = years.front();
    md.projYearEnd = years.back();
    return true;
}

bool synthesizeGivenYear(ModelDocument &doc) {
    if (!canProject(doc)) return false;
    ModelInput &md = doc.model;
    Prompter *p = doc.prompter();
    if (!p) return false;
    auto chosen = p->chooseGivenYear(md.inputStartYear, md.inputEndYear);
    if (!chosen) return false;
    const int j = *chosen;
    if (!isHistoricalOffset(doc, j)) return false;

    fillSynthesized(doc, [j](const Location &loc, int m, int) { return historical(loc, m, j); });
    md.synthesizeFormat = SynthesizedGivenYear;
    md.projYearStart = j;
    return true;
}

bool synthesizeCycle(ModelDocument &doc) {
    if (!canProject(doc)) return false;
    ModelInput &md = doc.model;
    Prompter *p = doc.prompter();
    if (!p) return false;
    auto chosen = p->chooseCycle(md.inputStartYear, md.inputEndYear);
    if (!chosen) return false;
    // a: offset of the cycle's first year; b: its last year counted from a.
    const int a = chosen->first;
    const int b = chosen->second;
    if (!isHistoricalOffset(doc, a)) return false;
    if (b < 0) {
        doc.message("The cycle must end at or after its first year; nothing was synthesized.");
        return false;
    }
    if (!isHistoricalOffset(doc, a + b)) return false;

    fillSynthesized(doc, [a, b](const Location &loc, int m, int k) { return historical(loc, m, a + k % (b + 1)); });
    md.synthesizeFormat = SynthesizedCycle;
    md.projYearStart = a;
    md.projYearEnd = b;
    return true;
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

std::pair<int, int> synthesisSourceYears(const ModelInput &m) {
    switch (m.synthesizeFormat) {
    case SynthesizedGivenYear:
        return {m.projYearStart, m.projYearStart};
    case SynthesizedCycle:
        return {m.projYearStart, m.projYearStart + m.projYearEnd};
    case SynthesizedUserDefined:
        return {0, -1};
    default:
        return {m.projYearStart, m.projYearEnd};
    }
}

std::string synthesisCaption(const ModelInput &model) {
    const auto year = [&model](int offset) { return std::to_string(model.inputStartYear + offset); };
    switch (model.synthesizeFormat) {
    case SynthesizedAverage:
        return " (synthesized using average of historical data from " + year(model.projYearStart) + " to " +
               year(model.projYearEnd) + ")";
    case SynthesizedGivenYear:
        return " (synthesized using historical data year " + year(model.projYearStart) + ")";
    case SynthesizedCycle:
        return " (synthesized using historical cycle from year " + year(model.projYearStart) + " to year " +
               year(model.projYearStart + model.projYearEnd) + ")";
    case SynthesizedUserDefined:
        return " (synthesized data is user-defined)";
    default:
        return "";
    }
}

} // namespace vek
