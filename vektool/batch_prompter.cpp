#include "vektool/batch_prompter.h"

#include <cstdio>

namespace vektool {

namespace {
void say(const std::string &what) { std::fprintf(stderr, "%s\n", what.c_str()); }

template <typename T> std::optional<T> takeOnce(std::optional<T> &slot) {
    std::optional<T> v = slot;
    slot.reset();
    return v;
}
} // namespace

void BatchPrompter::message(const std::string &text) {
    shown.push_back(text);
    if (!holdMessages) printHeld();
}

void BatchPrompter::printHeld() {
    for (; printed_ < shown.size(); ++printed_)
        say(shown[printed_]);
}

bool BatchPrompter::askYesNo(const std::string &text) {
    auto a = takeOnce(yesNoAnswer);
    say(text + (a ? (*a ? " -> Yes" : " -> No") : " -> No (not asked in batch mode)"));
    return a.value_or(false);
}

vek::Answer BatchPrompter::askYesNoCancel(const std::string &text) {
    auto a = takeOnce(yesNoCancelAnswer);
    vek::Answer r = a.value_or(vek::Answer::Cancel);
    const char *n = r == vek::Answer::Yes ? "Yes" : r == vek::Answer::No ? "No" : "Cancel";
    say(text + " -> " + n + (a ? "" : " (not asked in batch mode)"));
    return r;
}

bool BatchPrompter::askOkCancel(const std::string &text) {
    say(text + " -> Cancel (not asked in batch mode)");
    return false;
}

std::optional<int> BatchPrompter::chooseSynthesisMethod() {
    auto a = takeOnce(methodAnswer);
    if (!a) say("Choose a method for synthesizing the data: -> Cancel (not asked in batch mode)");
    return a;
}

std::optional<std::vector<int>> BatchPrompter::selectYearsToAverage(int, int) {
    auto a = takeOnce(averageAnswer);
    if (!a) say("Select Years to Average -> Cancel (not asked in batch mode)");
    return a;
}

std::optional<int> BatchPrompter::chooseGivenYear(int, int) {
    auto a = takeOnce(givenAnswer);
    if (!a) say("Synthesize Using Given Year -> Cancel (not asked in batch mode)");
    return a;
}

std::optional<std::pair<int, int>> BatchPrompter::chooseCycle(int, int) {
    auto a = takeOnce(cycleAnswer);
    if (!a) say("Synthesize Using Historical Cycle -> Cancel (not asked in batch mode)");
    return a;
}

std::optional<std::vector<int>> BatchPrompter::chooseItemsToDelete(const std::vector<std::string> &) {
    say("Choose Items to Delete -> Cancel (not asked in batch mode)");
    return std::nullopt;
}

std::optional<std::pair<int, int>> BatchPrompter::chooseImportOptions() {
    auto a = takeOnce(importOptionsAnswer);
    if (!a) say("Set Import Options -> Cancel (not asked in batch mode)");
    return a;
}

int BatchPrompter::chooseSoilMoisture() {
    int a = soilMoistureAnswer;
    soilMoistureAnswer = 0;
    if (a == 0) say("Use Computed CU of GW Based on: -> dismissed (not asked in batch mode)");
    return a;
}

} // namespace vektool
