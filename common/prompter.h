// The one way the document core talks to the user: messages, questions and
// the choice dialogs. The desktop program answers with Qt dialogs, vektool
// answers without asking, tests answer from a script.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vek {

enum class Answer { Yes, No, Cancel, Ok };

class Prompter {
  public:
    virtual ~Prompter() = default;

    // A message with an OK button.
    virtual void message(const std::string &text) = 0;
    // Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string &text) = 0;
    // Yes/No/Cancel question (the save prompt).
    virtual Answer askYesNoCancel(const std::string &text) = 0;
    // OK/Cancel question; true for OK.
    virtual bool askOkCancel(const std::string &text) = 0;

    // "Choose a method for synthesizing the data:": 0 Average Years,
    // 1 Use Given Year, 2 Use Historical Cycle; nullopt for Cancel.
    virtual std::optional<int> chooseSynthesisMethod() = 0;
    // "Select Years to Average": positions (0-based from firstYear) of the
    // selected years, ascending; nullopt for Cancel.
    virtual std::optional<std::vector<int>> selectYearsToAverage(int firstYear, int lastYear) = 0;
    // "Synthesize Using Given Year": position of the chosen year; nullopt for Cancel.
    virtual std::optional<int> chooseGivenYear(int firstYear, int lastYear) = 0;
    // "Synthesize Using Historical Cycle": start position in the year list and
    // end position counted from the start year; nullopt for Cancel.
    virtual std::optional<std::pair<int, int>> chooseCycle(int firstYear, int lastYear) = 0;
    // "Choose Items to Delete": selected positions, descending; nullopt for
    // Cancel. `selected` is the position shown selected at first (-1: none).
    virtual std::optional<std::vector<int>> chooseItemsToDelete(const std::vector<std::string> &names,
                                                                int selected) = 0;
    // "Set Import Options": year type (0..2) and units (0..1); nullopt for Cancel.
    virtual std::optional<std::pair<int, int>> chooseImportOptions() = 0;
    // "Use Computed CU of GW Based on:": 1 no soil moisture, 2 with soil
    // moisture, 0 dismissed.
    virtual int chooseSoilMoisture() = 0;

    // A question whose buttons say what they do ("Save", "Run the Saved
    // File", "Cancel"): returns the position of the button chosen.
    // `defaultButton` is the one Enter presses, `escapeButton` the answer
    // when the question is dismissed; a question that deletes or replaces
    // data makes the button that keeps it the default. A prompter that
    // cannot ask dismisses the question.
    virtual int choose(const std::string &text, const std::vector<std::string> &buttons, int defaultButton,
                       int escapeButton) {
        (void)text;
        (void)buttons;
        (void)defaultButton;
        return escapeButton;
    }
};

// Asks nobody: counts the messages and answers every question with the
// choice that changes nothing (No, Cancel, dismissed). `soilMoisture` is
// what the well output import is told. For benchmarks and fuzzing, where
// nobody is there to answer.
class SilentPrompter : public Prompter {
  public:
    int soilMoisture = 0;
    std::size_t messages = 0;

    void message(const std::string &) override { ++messages; }
    bool askYesNo(const std::string &) override { return false; }
    Answer askYesNoCancel(const std::string &) override { return Answer::Cancel; }
    bool askOkCancel(const std::string &) override { return false; }
    std::optional<int> chooseSynthesisMethod() override { return std::nullopt; }
    std::optional<std::vector<int>> selectYearsToAverage(int, int) override { return std::nullopt; }
    std::optional<int> chooseGivenYear(int, int) override { return std::nullopt; }
    std::optional<std::pair<int, int>> chooseCycle(int, int) override { return std::nullopt; }
    std::optional<std::vector<int>> chooseItemsToDelete(const std::vector<std::string> &, int) override {
        return std::nullopt;
    }
    std::optional<std::pair<int, int>> chooseImportOptions() override { return std::nullopt; }
    int chooseSoilMoisture() override { return soilMoisture; }
};

} // namespace vek
