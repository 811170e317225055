#include "support/scripted_prompter.h"

namespace vek::test {

namespace {
template <typename T, typename D> T take(std::deque<T> &q, D fallback) {
    if (q.empty()) return T(fallback);
    T v = q.front();
    q.pop_front();
    return v;
}
} // namespace

void ScriptedPrompter::message(const std::string &text) { messages.push_back(text); }

bool ScriptedPrompter::askYesNo(const std::string &text) {
    questions.push_back(text);
    return take(yesNo, false);
}

Answer ScriptedPrompter::askYesNoCancel(const std::string &text) {
    questions.push_back(text);
    return take(yesNoCancel, Answer::Cancel);
}

bool ScriptedPrompter::askOkCancel(const std::string &text) {
    questions.push_back(text);
    return take(okCancel, false);
}

std::optional<int> ScriptedPrompter::chooseSynthesisMethod() { return take(methods, std::nullopt); }

std::optional<std::vector<int>> ScriptedPrompter::selectYearsToAverage(int firstYear, int lastYear) {
    yearListRanges.emplace_back(firstYear, lastYear);
    return take(averageYears, std::nullopt);
}

std::optional<int> ScriptedPrompter::chooseGivenYear(int firstYear, int lastYear) {
    yearListRanges.emplace_back(firstYear, lastYear);
    return take(givenYears, std::nullopt);
}

std::optional<std::pair<int, int>> ScriptedPrompter::chooseCycle(int firstYear, int lastYear) {
    yearListRanges.emplace_back(firstYear, lastYear);
    return take(cycles, std::nullopt);
}

std::optional<std::vector<int>> ScriptedPrompter::chooseItemsToDelete(const std::vector<std::string> &names) {
    deleteLists.push_back(names);
    return take(deletions, std::nullopt);
}

std::optional<std::pair<int, int>> ScriptedPrompter::chooseImportOptions() { return take(importOptions, std::nullopt); }

int ScriptedPrompter::chooseSoilMoisture() { return take(soilMoisture, 0); }

} // namespace vek::test
