// The prompter of vektool: messages go to standard error, and every question
// gets the answer that changes nothing (No, Cancel, dismissed), saying so,
// unless a command has set an answer from its options beforehand.
#pragma once

#include "common/prompter.h"

#include <optional>
#include <string>
#include <vector>

namespace vektool {

class BatchPrompter : public vek::Prompter {
  public:
    std::vector<std::string> shown; // every message, in order
    // While set, messages are kept (in shown) and printed by printHeld(), so
    // that a command can print what it read before the reader's message.
    bool holdMessages = false;
    void printHeld();

    // Preset answers, used once each when set.
    std::optional<bool> yesNoAnswer;
    std::optional<vek::Answer> yesNoCancelAnswer;
    std::optional<int> methodAnswer;
    std::optional<std::vector<int>> averageAnswer;
    std::optional<int> givenAnswer;
    std::optional<std::pair<int, int>> cycleAnswer;
    std::optional<std::pair<int, int>> importOptionsAnswer;
    int soilMoistureAnswer = 0;

    void message(const std::string &text) override;
    bool askYesNo(const std::string &text) override;
    vek::Answer askYesNoCancel(const std::string &text) override;
    bool askOkCancel(const std::string &text) override;
    std::optional<int> chooseSynthesisMethod() override;
    std::optional<std::vector<int>> selectYearsToAverage(int firstYear, int lastYear) override;
    std::optional<int> chooseGivenYear(int firstYear, int lastYear) override;
    std::optional<std::pair<int, int>> chooseCycle(int firstYear, int lastYear) override;
    std::optional<std::vector<int>> chooseItemsToDelete(const std::vector<std::string> &names) override;
    std::optional<std::pair<int, int>> chooseImportOptions() override;
    int chooseSoilMoisture() override;

  private:
    std::size_t printed_ = 0; // messages of shown already on standard error
};

} // namespace vektool
