// Small documents for the year-type, units and synthesis tests: a period of
// historical and synthesized years and locations whose columns have the
// right lengths, plus a DocumentUi that records the refresh hints.
#pragma once

#include "model/model_document.h"
#include "support/model_builder.h"
#include "support/recording_ui.h"

#include <vector>

namespace vek::test {

struct DocFixture {
    SilentPrompter quiet;
    ModelDocument doc;
    RecordingUi ui;
    std::vector<ViewHint> &hints = ui.hints;

    // n historical years from firstYear, k synthesized years after them and
    // `locations` locations whose values are all 0.0 (days on 1.0).
    DocFixture(int firstYear, int n, int k, int locations, Prompter *prompter = nullptr)
        : ui(prompter ? *prompter : quiet) {
        ModelBuilder(firstYear, n, k).locations(locations).into(doc);
    }

    ModelInput &model() { return doc.model; }
    Location &loc(int i) { return doc.model.locations[static_cast<size_t>(i)]; }
    // historicalData of location i, column m, year offset k.
    float &hist(int i, int m, int k) { return loc(i).historicalData[m][static_cast<size_t>(k)]; }
    float &synth(int i, int m, int k) { return loc(i).synthesizedData[m][static_cast<size_t>(k)]; }
};

} // namespace vek::test
