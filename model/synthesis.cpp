// Projection of the historical years into the synthesized years (see
// synthesis.h).
#include "model/synthesis.h"

#include "model/model_input.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace vek {

namespace {

OperationError synthesisError(OperationError::Kind kind, std::string message, std::optional<int> year = {},
                              std::string field = {}) {
    OperationError e;
    e.kind = kind;
    e.message = std::move(message);
    e.year = year;
    e.field = std::move(field);
    return e;
}

// Historical value of column m, year offset j; a damaged location whose
// columns are shorter than the period reads as 0.0 instead of past its end.
float historical(const Location &loc, int m, int j) {
    const auto &col = loc.historicalData[static_cast<size_t>(m)];
    return j >= 0 && static_cast<size_t>(j) < col.size() ? col[static_cast<size_t>(j)] : 0.0f;
}

// The offset of a historical year, or the error that names it.
std::optional<OperationError> checkHistoricalYear(const ModelInput &md, long long year, const char *field) {
    if (year >= md.inputStartYear && year <= md.inputEndYear) return std::nullopt;
    const int shown =
        static_cast<int>(std::clamp<long long>(year, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    return synthesisError(OperationError::Kind::NotAHistoricalYear,
                          "Year " + std::to_string(year) + " is not a historical year (" +
                              std::to_string(md.inputStartYear) + " to " + std::to_string(md.inputEndYear) +
                              "); nothing was synthesized.",
                          shown, field);
}

// Writes value(loc, m, k) into every synthesized year k of every column m of
// every location.
template <typename ValueOf> bool fillSynthesized(ModelInput &md, ValueOf value) {
    for (auto &loc : md.locations) {
        const int years = shortestColumn(loc.synthesizedData);
        for (int m = 0; m < 12; ++m)
            for (int k = 0; k < years; ++k)
                loc.synthesizedData[static_cast<size_t>(m)][static_cast<size_t>(k)] = value(loc, m, k);
    }
    return !md.locations.empty();
}

} // namespace

std::optional<OperationError> synthesisPrecondition(const ModelInput &md) {
    if (md.synthesizedYears() <= 0)
        return synthesisError(OperationError::Kind::NoSynthesizedYears,
                              "Can't project flows until synthesized flow years are provided.");
    if (md.historicalYears() <= 0)
        return synthesisError(OperationError::Kind::NoHistoricalYears, "No historical flow data to project.");
    return std::nullopt;
}

OperationResult synthesizeAverage(ModelInput &md, const std::vector<int> &chosen) {
    if (auto e = synthesisPrecondition(md)) return OperationResult::failure(*e);
    if (chosen.empty())
        return OperationResult::failure(synthesisError(OperationError::Kind::NoYearsChosen,
                                                       "No years were chosen to average; nothing was synthesized.",
                                                       std::nullopt, "years"));
    // A selection is a set of years: order and repeats carry no meaning.
    std::vector<int> years = chosen;
    std::sort(years.begin(), years.end());
    years.erase(std::unique(years.begin(), years.end()), years.end());
    for (int y : years)
        if (auto e = checkHistoricalYear(md, y, "years")) return OperationResult::failure(*e);

    // Summed in double precision, stored in single.
    std::vector<float> average(12);
    OperationResult r;
    r.changed = fillSynthesized(md, [&](const Location &loc, int m, int k) {
        if (k == 0) {
            double sum = 0.0;
            for (int y : years)
                sum += historical(loc, m, y - md.inputStartYear);
            average[static_cast<size_t>(m)] = static_cast<float>(sum / static_cast<double>(years.size()));
        }
        return average[static_cast<size_t>(m)];
    });
    md.synthesizeFormat = SynthesizedAverage;
    md.projYearStart = years.front() - md.inputStartYear;
    md.projYearEnd = years.back() - md.inputStartYear;
    return r;
}

OperationResult synthesizeGivenYear(ModelInput &md, int year) {
    if (auto e = synthesisPrecondition(md)) return OperationResult::failure(*e);
    if (auto e = checkHistoricalYear(md, year, "year")) return OperationResult::failure(*e);
    const int j = year - md.inputStartYear;
    OperationResult r;
    r.changed = fillSynthesized(md, [j](const Location &loc, int m, int) { return historical(loc, m, j); });
    md.synthesizeFormat = SynthesizedGivenYear;
    md.projYearStart = j;
    return r;
}

OperationResult synthesizeCycle(ModelInput &md, int firstYear, int length) {
    if (auto e = synthesisPrecondition(md)) return OperationResult::failure(*e);
    if (auto e = checkHistoricalYear(md, firstYear, "first")) return OperationResult::failure(*e);
    if (length < 1)
        return OperationResult::failure(synthesisError(
            OperationError::Kind::CycleTooShort,
            "The cycle must end at or after its first year; nothing was synthesized.", std::nullopt, "length"));
    if (auto e = checkHistoricalYear(md, static_cast<long long>(firstYear) + length - 1, "length"))
        return OperationResult::failure(*e);
    // a: offset of the cycle's first year; b: its last year counted from a.
    const int a = firstYear - md.inputStartYear;
    const int b = length - 1;
    OperationResult r;
    r.changed =
        fillSynthesized(md, [a, b](const Location &loc, int m, int k) { return historical(loc, m, a + k % (b + 1)); });
    md.synthesizeFormat = SynthesizedCycle;
    md.projYearStart = a;
    md.projYearEnd = b;
    return r;
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
