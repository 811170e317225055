// Small documents for the year-type, units and synthesis tests: a period of
// historical and synthesized years and locations whose columns have the
// right lengths, plus a view listener that records refresh hints.
#pragma once

#include "model/model_document.h"

#include <vector>

namespace vek::test {

struct DocFixture {
    ModelDocument doc;
    std::vector<int> hints;

    // n historical years from firstYear, k synthesized years after them and
    // `locations` locations whose values are all 0.0 (days on 1.0).
    DocFixture(int firstYear, int n, int k, int locations, Prompter *prompter = nullptr) : doc(prompter) {
        ModelInput &md = doc.model;
        md.inputStartYear = firstYear;
        md.inputEndYear = firstYear + n - 1;
        md.synthStartYear = md.inputEndYear + 1;
        md.synthEndYear = md.inputEndYear + k;
        md.locations.resize(static_cast<size_t>(locations));
        for (auto &loc : md.locations) {
            for (int m = 0; m < 12; ++m) {
                loc.historicalData[m].assign(static_cast<size_t>(n), 0.0f);
                loc.pumpingFlow[m].assign(static_cast<size_t>(n), 0.0f);
                loc.daysOn[m].assign(static_cast<size_t>(n), 1.0f);
                loc.synthesizedData[m].assign(static_cast<size_t>(k), 0.0f);
            }
        }
        doc.setViewListener([this](int hint) { hints.push_back(hint); });
    }

    ModelInput &model() { return doc.model; }
    Location &loc(int i) { return doc.model.locations[static_cast<size_t>(i)]; }
    // historicalData of location i, column m, year offset k.
    float &hist(int i, int m, int k) { return loc(i).historicalData[m][static_cast<size_t>(k)]; }
    float &synth(int i, int m, int k) { return loc(i).synthesizedData[m][static_cast<size_t>(k)]; }
};

} // namespace vek::test
