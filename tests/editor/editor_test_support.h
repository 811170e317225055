// Shared set-up of the editor's widget tests: a QApplication created on first
// use (the tests run on the offscreen platform), a prompter that also counts
// the synthesis method questions, and a small model to edit.
#pragma once

#include "editor/vekview_doc.h"
#include "grid/grid_ctrl.h"
#include "grid/in_place_edit.h"
#include "support/model_builder.h"
#include "support/qt_test_app.h"
#include "support/scripted_prompter.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace vek::test {

inline QApplication *testApp() { return qtTestApp("editor_test"); }

// Edits a grid cell as the user would: in-place edit, new text, commit.
inline void typeCell(CGridCtrl *g, int row, int col, const QString &text) {
    ASSERT_TRUE(g->editCell(row, col));
    ASSERT_NE(g->inPlaceEdit(), nullptr);
    g->inPlaceEdit()->setText(text);
    g->endEditing(CGridCtrl::EditEnd::Commit);
}

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
    auto north = [](int i, int k, int mo) { return i == 0 ? static_cast<float>(100 * k + mo) : 0.0f; };
    ModelBuilder(1990, 3, 3)
        .locations(2)
        .location(0,
                  [](Location &l) {
                      l.name = "North";
                      l.VEK = 250.0f;
                  })
        .location(1, [](Location &l) { l.name = "South"; })
        .historical(north)
        .synthesized([&](int i, int k, int mo) { return i == 0 ? 1000.0f + north(i, k, mo) : 0.0f; })
        .yearMode(1)
        .unitMode(1)
        .into(doc);
    doc.model.synthesizeFormat = 2;
    doc.model.projYearStart = 1;
}

} // namespace vek::test
