// A Prompter for tests: records every message and question, and answers from
// queues the test fills. An empty queue gives the answer that changes nothing
// (No, Cancel, dismissed).
#pragma once

#include "common/prompter.h"

#include <deque>
#include <string>
#include <vector>

namespace vek::test {

class ScriptedPrompter : public Prompter {
  public:
    // Everything shown, in order: messages and question texts.
    std::vector<std::string> messages;
    std::vector<std::string> questions;

    std::deque<bool> yesNo;
    std::deque<Answer> yesNoCancel;
    std::deque<bool> okCancel;
    std::deque<std::optional<int>> methods;
    std::deque<std::optional<std::vector<int>>> averageYears;
    std::deque<std::optional<int>> givenYears;
    std::deque<std::optional<std::pair<int, int>>> cycles;
    std::deque<std::optional<std::vector<int>>> deletions;
    std::deque<std::optional<std::pair<int, int>>> importOptions;
    std::deque<int> soilMoisture;
    // Answers of choose(), by the text of the button to press; a text that
    // names no button of the question, or an empty queue, dismisses it.
    std::deque<std::string> choices;

    // Arguments the choice dialogs were opened with.
    std::vector<std::pair<int, int>> yearListRanges;
    std::vector<std::vector<std::string>> deleteLists;
    std::vector<int> deletePreselections;
    // The buttons of every choose() question, and which was the default.
    std::vector<std::vector<std::string>> choiceButtons;
    std::vector<std::string> defaultChoices;

    void message(const std::string &text) override;
    bool askYesNo(const std::string &text) override;
    Answer askYesNoCancel(const std::string &text) override;
    bool askOkCancel(const std::string &text) override;
    std::optional<int> chooseSynthesisMethod() override;
    std::optional<std::vector<int>> selectYearsToAverage(int firstYear, int lastYear) override;
    std::optional<int> chooseGivenYear(int firstYear, int lastYear) override;
    std::optional<std::pair<int, int>> chooseCycle(int firstYear, int lastYear) override;
    std::optional<std::vector<int>> chooseItemsToDelete(const std::vector<std::string> &names, int selected) override;
    std::optional<std::pair<int, int>> chooseImportOptions() override;
    int chooseSoilMoisture() override;
    int choose(const std::string &text, const std::vector<std::string> &buttons, int defaultButton,
               int escapeButton) override;
};

} // namespace vek::test
