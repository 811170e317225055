// Shared set-up of the editor's widget tests: a QApplication created on first
// use (the tests run on the offscreen platform), a prompter that also counts
// the synthesis method questions, and a small model to edit.
#pragma once

#include "editor/pumping_record_dialog.h"
#include "editor/vekview_doc.h"
#include "editor/vekview_view.h"
#include "grid/spreadsheet_view.h"
#include "support/model_builder.h"
#include "support/qt_test_app.h"
#include "support/scripted_prompter.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vek::test {

inline QApplication *testApp() { return qtTestApp("editor_test"); }

// The text a table shows in a cell, and in its headers.
inline QString cellText(const QTableView *t, int row, int col) { return t->model()->index(row, col).data().toString(); }
inline QString columnHeader(const QTableView *t, int col) {
    return t->model()->headerData(col, Qt::Horizontal).toString();
}
inline QString rowHeader(const QTableView *t, int row) { return t->model()->headerData(row, Qt::Vertical).toString(); }

// Edits a table cell as the user would: its edit box, new text, and the
// edit stored as leaving the cell stores it.
inline void typeCell(SpreadsheetView *t, int row, int col, const QString &text) {
    const QModelIndex cell = t->model()->index(row, col);
    ASSERT_TRUE(cell.isValid()) << row << "," << col;
    t->setCurrentIndex(cell);
    t->edit(cell);
    ASSERT_NE(t->cellEditor(), nullptr);
    t->cellEditor()->setText(text);
    t->endEdit(true);
}

// Clicks a cell of a table.
inline void clickCell(QTableView *t, int row, int col) {
    const QModelIndex cell = t->model()->index(row, col);
    t->scrollTo(cell);
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualRect(cell).center());
}

// Opens the form's Pumping Record dialog and presses its OK button.
inline void acceptPumpingRecord(CVEKViewView *view, ScriptedPrompter &prompter) {
    prompter.okCancel = {true};
    QTimer::singleShot(0, [] {
        auto *dlg = qobject_cast<PumpingRecordDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        dlg->okButton()->click();
    });
    view->OnPumpingRecord();
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

// The form's tests: a document of its own (the small model unless the test
// fills it otherwise), its form shown, and the form's status messages kept.
class FormFixture : public ::testing::Test {
  public: // tables of actions drive the fixtures
    void SetUp() override {
        testApp();
        openForm();
    }
    void openForm(const std::function<void(ModelDocument &)> &fill = fillSmallModel, int width = 900) {
        view.reset();
        doc = std::make_unique<CVEKViewDoc>(&prompter);
        if (fill) fill(doc->document());
        view = std::make_unique<CVEKViewView>(doc.get());
        view->resize(width, 700);
        view->show();
        QApplication::setActiveWindow(view.get());
        statuses.clear();
        QObject::connect(view.get(), &CVEKViewView::statusMessage, [this](const QString &t) { statuses << t; });
        doc->resetHistory();
    }
    ModelInput &m() { return doc->model(); }
    // Types text into a year field and presses Enter.
    static void typeYear(QLineEdit *e, const QString &text) {
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
    }
    static void click(QTableView *t, int row, int col) { clickCell(t, row, col); }

    CountingPrompter prompter;
    std::unique_ptr<CVEKViewDoc> doc;
    std::unique_ptr<CVEKViewView> view;
    QStringList statuses;
};

} // namespace vek::test
