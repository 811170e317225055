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

std::optional<std::vector<int>> ScriptedPrompter::chooseItemsToDelete(const std::vector<std::string> &names,
                                                                      int selected) {
    deleteLists.push_back(names);
    deletePreselections.push_back(selected);
    return take(deletions, std::nullopt);
}

std::optional<std::pair<int, int>> ScriptedPrompter::chooseImportOptions() { return take(importOptions, std::nullopt); }

int ScriptedPrompter::chooseSoilMoisture() { return take(soilMoisture, 0); }

int ScriptedPrompter::choose(const std::string &text, const std::vector<std::string> &buttons, int defaultButton,
                             int escapeButton) {
    questions.push_back(text);
    choiceButtons.push_back(buttons);
    defaultChoices.push_back(defaultButton >= 0 && defaultButton < static_cast<int>(buttons.size())
                                 ? buttons[static_cast<size_t>(defaultButton)]
                                 : std::string());
    const std::string answer = take(choices, std::string());
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i] == answer) return static_cast<int>(i);
    return escapeButton;
}

} // namespace vek::test
