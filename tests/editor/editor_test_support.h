// Shared set-up of the editor's widget tests: a QApplication created on first
// use (the tests run on the offscreen platform), a prompter that also counts
// the synthesis method questions, and a small model to edit.
#pragma once

#include "editor/vekview_doc.h"
#include "support/qt_test_app.h"
#include "support/scripted_prompter.h"

#include <QApplication>

namespace vek::test {

inline QApplication *testApp() { return qtTestApp("editor_test"); }

class CountingPrompter : public ScriptedPrompter {
  public:
    int methodQuestions = 0;
    std::optional<int> chooseSynthesisMethod() override {
        ++methodQuestions;
        return ScriptedPrompter::chooseSynthesisMethod();
    }
};

// Historical 1990-1992, synthesized 1993-1995, two wells: "North" with
// historical value 100*year offset + month and synthesized 1000 + same,
// "South" all zero.
inline void fillSmallModel(ModelDocument &doc) {
    ModelInput &m = doc.model;
    m.inputStartYear = 1990;
    m.inputEndYear = 1992;
    m.synthStartYear = 1993;
    m.synthEndYear = 1995;
    m.yearMode = 1;
    m.unitMode = 1;
    m.synthesizeFormat = 2;
    m.projYearStart = 1;
    doc.resetLocations(2);
    m.locations[0].name = "North";
    m.locations[0].VEK = 250.0f;
    m.locations[1].name = "South";
    for (int mo = 0; mo < 12; ++mo)
        for (int k = 0; k < 3; ++k) {
            m.locations[0].historicalData[mo][k] = static_cast<float>(100 * k + mo);
            m.locations[0].synthesizedData[mo][k] = static_cast<float>(1000 + 100 * k + mo);
        }
    doc.setModified(false);
}

} // namespace vek::test
