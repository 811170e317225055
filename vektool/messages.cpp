// vektool's messages (see messages.h).
#include "vektool/messages.h"

#include <cstdio>

namespace vektool {

namespace {

class MessagePrinter : public vek::Prompter {
  public:
    void message(const std::string &text) override { say(text); }
    bool askYesNo(const std::string &text) override { return refuse(text, "No"), false; }
    vek::Answer askYesNoCancel(const std::string &text) override { return refuse(text, "Cancel"), vek::Answer::Cancel; }
    bool askOkCancel(const std::string &text) override { return refuse(text, "Cancel"), false; }
    std::optional<int> chooseSynthesisMethod() override {
        return refuse("Choose a method for synthesizing the data:", "Cancel"), std::nullopt;
    }
    std::optional<std::vector<int>> selectYearsToAverage(int, int) override {
        return refuse("Select Years to Average", "Cancel"), std::nullopt;
    }
    std::optional<int> chooseGivenYear(int, int) override {
        return refuse("Synthesize Using Given Year", "Cancel"), std::nullopt;
    }
    std::optional<std::pair<int, int>> chooseCycle(int, int) override {
        return refuse("Synthesize Using Historical Cycle", "Cancel"), std::nullopt;
    }
    std::optional<std::vector<int>> chooseItemsToDelete(const std::vector<std::string> &) override {
        return refuse("Choose Items to Delete", "Cancel"), std::nullopt;
    }
    std::optional<std::pair<int, int>> chooseImportOptions() override {
        return refuse("Set Import Options", "Cancel"), std::nullopt;
    }
    int chooseSoilMoisture() override { return refuse("Use Computed CU of GW Based on:", "dismissed"), 0; }

  private:
    static void refuse(const std::string &question, const char *answer) {
        say(question + " -> " + answer + " (not asked in batch mode)");
    }
};

} // namespace

void say(const std::string &text) { std::fprintf(stderr, "%s\n", text.c_str()); }

bool report(const vek::OperationResult &result) {
    for (const vek::OperationError &w : result.warnings)
        say(w.message);
    if (result.error) say(result.error->message);
    return result.ok();
}

vek::Prompter &messages() {
    static MessagePrinter printer;
    return printer;
}

} // namespace vektool
