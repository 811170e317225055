// The one way the document core talks to the user: messages, questions and
// the choice dialogs. The desktop program answers with Qt dialogs, vektool
// answers without asking, tests answer from a script.
#pragma once

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
    virtual void message(const std::string& text) = 0;
    // Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // Yes/No/Cancel question (the save prompt).
    virtual Answer askYesNoCancel(const std::string& text) = 0;
    // OK/Cancel question; true for OK.
    virtual bool askOkCancel(const std::string& text) = 0;

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
    // "Choose Items to Delete": selected positions, descending; nullopt for Cancel.
    virtual std::optional<std::vector<int>> chooseItemsToDelete(const std::vector<std::string>& names) = 0;
    // "Set Import Options": year type (0..2) and units (0..1); nullopt for Cancel.
    virtual std::optional<std::pair<int, int>> chooseImportOptions() = 0;
    // "Use Computed CU of GW Based on:": 1 no soil moisture, 2 with soil
    // moisture, 0 dismissed.
    virtual int chooseSoilMoisture() = 0;
};

} // namespace vek
