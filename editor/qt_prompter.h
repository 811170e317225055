// QtPrompter: the desktop's answer to the document core's messages and
// questions: message boxes and the choice dialogs. A Yes/No or OK/Cancel
// question defaults to No or Cancel: the questions asked that way are the
// ones that delete or replace data (shortening a period, replacing a file,
// overwriting values), and Enter must keep the data.
#pragma once

#include "common/prompter.h"

#include <QPointer>
#include <QWidget>

namespace vek {

class QtPrompter : public Prompter {
  public:
    explicit QtPrompter(QWidget *parent = nullptr) : parent_(parent) {}

    // Window the boxes and dialogs are shown over.
    void setParent(QWidget *parent) { parent_ = parent; }
    QWidget *parent() const { return parent_; }

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

  private:
    QPointer<QWidget> parent_;
};

} // namespace vek
