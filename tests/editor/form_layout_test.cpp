// The input form in the program's main window at common screen sizes: no
// control overlaps another or is cut, the location list shows many rows on a
// tall screen, the tables' columns fit their texts and line up for every
// year type, Window > Tile keeps forms inside the area; and what the user
// sees of the selection and of refused values.
#include "editor/child_frame.h"
#include "editor/choice_dialogs.h"
#include "editor/location_list_model.h"
#include "editor/main_frame.h"
#include "editor/pumping_record_dialog.h"
#include "editor/vekview_app.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "grid/cell_roles.h"
#include "grid/spreadsheet_view.h"
#include "model/document_operations.h"
#include "model/year_types.h"
#include "support/test_files.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace vek;

namespace {

// 150 locations over 40 historical and 10 synthesized years, with values of
// every width from 0 to seven digits.
void fillLargeModel(ModelDocument &doc) {
    ModelInput &m = doc.model;
    m.inputStartYear = 1950;
    m.inputEndYear = 1989;
    m.synthStartYear = 1990;
    m.synthEndYear = 1999;
    m.yearMode = 0;
    m.unitMode = 1;
    m.synthesizeFormat = 1;
    m.projYearStart = 0;
    m.projYearEnd = 39;
    doc.resetLocations(150);
    for (int i = 0; i < 150; ++i) {
        Location &loc = m.locations[static_cast<size_t>(i)];
        loc.name = "Location number " + std::to_string(i + 1);
        loc.VEK = 10.0f * static_cast<float>(i);
        loc.LocationType = i % 3 == 0 ? 1 : -1;
        for (int mo = 0; mo < 12; ++mo) {
            loc.historicalData[static_cast<size_t>(mo)].assign(40, 1234.567f * static_cast<float>(mo));
            loc.synthesizedData[static_cast<size_t>(mo)].assign(10, 0.125f * static_cast<float>(i));
        }
    }
    doc.setModified(false);
}

// The main window with one maximized form over the large model.
struct Shell {
    vek::test::ScriptedPrompter prompter;
    CVEKViewApp app;
    CVEKViewDoc *doc = nullptr;
    explicit Shell(QSize size) {
        vek::test::testApp();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(vek::test::freshDir("FormLayoutSettings")));
        app.documentPrompter = &prompter;
        app.showMessage = [this](const QString &m) { prompter.message(m.toStdString()); };
        app.askYesNoCancel = [this](const QString &q) { return prompter.askYesNoCancel(q.toStdString()); };
        EXPECT_TRUE(app.startUp({}, false));
        frame()->resize(size);
        frame()->show();
        doc = app.newModelDocument();
        fillLargeModel(doc->document());
        doc->updateAllViews(ViewHint::Everything);
        QApplication::processEvents();
    }
    ~Shell() {
        for (CVEKViewDoc *d : app.modelDocuments())
            d->setModified(false);
        app.closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    CMainFrame *frame() const { return app.mainFrame(); }
    CVEKViewView *view() const { return qobject_cast<CVEKViewView *>(frame()->activeChild()->view()); }
};

// The controls of the form: every label, edit, button, list, grid and frame,
// without the parts inside a grid or a list.
std::vector<QWidget *> controls(QWidget *page) {
    std::vector<QWidget *> out;
    for (QWidget *w : page->findChildren<QWidget *>()) {
        if (!w->isVisible()) continue;
        bool inner = false;
        for (QWidget *p = w->parentWidget(); p && p != page; p = p->parentWidget())
            inner = inner || qobject_cast<QTableView *>(p) || qobject_cast<QComboBox *>(p);
        if (inner) continue;
        if (qobject_cast<QLabel *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<QPushButton *>(w) ||
            qobject_cast<QComboBox *>(w) || qobject_cast<QTableView *>(w) || qobject_cast<QGroupBox *>(w))
            out.push_back(w);
    }
    return out;
}

std::string nameOf(const QWidget *w) {
    if (auto *l = qobject_cast<const QLabel *>(w)) return "label \"" + l->text().toStdString() + "\"";
    if (auto *b = qobject_cast<const QPushButton *>(w)) return "button \"" + b->text().toStdString() + "\"";
    return w->objectName().toStdString();
}

// No two controls overlap (a frame holds the controls inside it whole), each
// lies inside its parent, and each has at least the room its text needs.
void expectNothingOverlapsOrIsCut(QWidget *page, const std::string &where) {
    const auto all = controls(page);
    ASSERT_EQ(all.size(), 30u) << "every control of the form, " << where;
    auto rectOf = [page](QWidget *w) { return QRect(w->mapTo(page, QPoint(0, 0)), w->size()); };
    for (size_t i = 0; i < all.size(); ++i) {
        QWidget *a = all[i];
        EXPECT_TRUE(a->parentWidget()->rect().contains(a->geometry())) << nameOf(a) << " cut by its parent " << where;
        EXPECT_GE(a->width(), a->minimumSizeHint().width()) << nameOf(a) << " " << where;
        EXPECT_GE(a->height(), a->minimumSizeHint().height()) << nameOf(a) << " " << where;
        if (auto *l = qobject_cast<QLabel *>(a)) {
            EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << nameOf(a) << " " << where;
        }
        if (auto *b = qobject_cast<QPushButton *>(a)) {
            EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text()) + 6) << nameOf(a) << " " << where;
        }
        for (size_t j = i + 1; j < all.size(); ++j) {
            QWidget *b = all[j];
            const QRect ra = rectOf(a), rb = rectOf(b);
            const bool aFrame = qobject_cast<QGroupBox *>(a) != nullptr,
                       bFrame = qobject_cast<QGroupBox *>(b) != nullptr;
            if (aFrame && !bFrame && a->isAncestorOf(b)) continue;
            if (bFrame && !aFrame && b->isAncestorOf(a)) continue;
            EXPECT_FALSE(ra.intersects(rb)) << nameOf(a) << " overlaps " << nameOf(b) << " " << where;
        }
    }
}

// Rows of data the table shows whole without scrolling.
int wholeRowsShown(const QTableView *t) {
    return t->model()->rowCount() > 0 ? t->viewport()->height() / t->rowHeight(0) : 0;
}

// Every text of the table, its headers included, fits its column as the
// table's delegate and header would draw it.
void expectTextsFit(const QTableView *t, const std::string &where) {
    const QAbstractItemModel *m = t->model();
    QStyleOptionViewItem option;
    option.initFrom(t);
    option.font = t->font();
    for (int c = 0; c < m->columnCount(); ++c) {
        const std::string column =
            " column " + std::to_string(c) + " \"" + m->headerData(c, Qt::Horizontal).toString().toStdString() + "\"";
        EXPECT_GE(t->columnWidth(c), t->horizontalHeader()->sectionSizeHint(c)) << where << column;
        for (int r = 0; r < m->rowCount(); ++r) {
            const int need = t->itemDelegateForIndex(m->index(r, c))->sizeHint(option, m->index(r, c)).width();
            EXPECT_GE(t->columnWidth(c), need) << where << column << " row " << r;
            if (t->columnWidth(c) < need) return;
        }
    }
}

} // namespace

TEST(FormLayout, NothingOverlapsOrIsCutAtCommonScreenSizes) {
    for (QSize size : {QSize(1024, 700), QSize(1920, 1080)}) {
        Shell shell(size);
        CVEKViewView *view = shell.view();
        ASSERT_NE(view, nullptr);
        const std::string where = std::to_string(size.width()) + "x" + std::to_string(size.height());
        QWidget *page = view->widget();
        expectNothingOverlapsOrIsCut(page, where);
        // The form fills the window it has and needs no horizontal scrolling.
        EXPECT_LE(page->width(), view->viewport()->width()) << where;
        auto *list = view->locationTable();
        auto *hist = view->historicalTable();
        EXPECT_GE(wholeRowsShown(list), size.height() >= 1080 ? 10 : 4) << where;
        EXPECT_GE(wholeRowsShown(hist), size.height() >= 1080 ? 8 : 2) << where;
        // The list and the tables take the width the window gives.
        EXPECT_GT(list->width(), page->width() * 3 / 4) << where;
        EXPECT_GT(hist->width(), page->width() * 9 / 10) << where;
    }
}

TEST(FormLayout, ColumnsFitTheirTextsAndBothTablesAlignForEveryYearType) {
    Shell shell(QSize(1280, 900));
    CVEKViewView *view = shell.view();
    auto *list = view->locationTable();
    auto *hist = view->historicalTable();
    auto *synth = view->synthesizedTable();
    expectTextsFit(list, "location list");
    // Calendar -> Irrigation -> USGS -> Calendar: each change refills the
    // tables before the month names, the order that once left them clipped.
    for (int mode : {1, 2, 0, 2}) {
        shell.prompter.choices = {"Change the Year Type"}; // when it adds a year
        changeYearType(shell.doc->document(), shell.doc->ui(), mode);
        shell.doc->updateAllViews(ViewHint::TablesAndMonthHeaders);
        QApplication::processEvents();
        const std::string where = "year type " + std::to_string(mode);
        EXPECT_EQ(test::columnHeader(hist, 0), QString::fromLatin1(monthAbbreviation(mode, 0))) << where;
        expectTextsFit(hist, where + " historical");
        expectTextsFit(synth, where + " synthesized");
        EXPECT_EQ(hist->verticalHeader()->width(), synth->verticalHeader()->width()) << where;
        int right = 0;
        for (int c = 0; c < 12; ++c) {
            EXPECT_EQ(hist->columnWidth(c), synth->columnWidth(c)) << where << " column " << c;
            right += hist->columnWidth(c);
        }
        // Months share the spare width: the table is filled, not scrolled.
        EXPECT_LE(right, hist->viewport()->width()) << where;
        EXPECT_GT(right, hist->viewport()->width() - 12) << where;
    }

    // A longer value typed into one table widens that column in both.
    test::typeCell(synth, 0, 4, "123456789012345");
    expectTextsFit(synth, "after a long value");
    EXPECT_EQ(hist->columnWidth(4), synth->columnWidth(4));
}

TEST(FormLayout, TileKeepsEveryFormInsideTheArea) {
    Shell shell(QSize(1024, 700));
    shell.app.newModelDocument();
    shell.app.newModelDocument();
    QMdiArea *area = shell.frame()->mdiArea();
    shell.frame()->action(CMainFrame::ID_WINDOW_TILE_HORZ)->trigger();
    QApplication::processEvents();
    const QRect inside = area->viewport()->rect();
    const auto windows = area->subWindowList();
    ASSERT_EQ(windows.size(), 3);
    for (QMdiSubWindow *w : windows) {
        EXPECT_TRUE(inside.contains(w->geometry())) << w->geometry().width() << "x" << w->geometry().height();
        // Each form as wide as the area: no sideways scrolling.
        auto *view = qobject_cast<CVEKViewView *>(qobject_cast<CChildFrame *>(w)->view());
        ASSERT_NE(view, nullptr);
        EXPECT_LE(view->widget()->width(), view->viewport()->width());
    }
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j)
            EXPECT_FALSE(windows[i]->geometry().intersects(windows[j]->geometry())) << i << " " << j;
}

TEST(FormLayout, MinimumIsTheClassicSize) {
    Shell shell(QSize(1920, 1080));
    QWidget *page = shell.view()->widget();
    DialogUnits du(page);
    EXPECT_EQ(page->minimumSize().expandedTo(du.size(465, 322)), page->minimumSize());
    EXPECT_GE(page->minimumSize().height(), du.y(322));
}

TEST(FormSelection, SelectedRowShowsAndSurvivesPumpingRecordOk) {
    Shell shell(QSize(1280, 900));
    CVEKViewView *view = shell.view();
    auto *list = view->locationTable();
    LocationListModel *rows = view->locationModel();
    EXPECT_EQ(rows->highlightedRow(), 0) << "the first location after a refill";
    for (int c = 2; c <= 5; ++c)
        EXPECT_TRUE(rows->index(0, c).data(ClickableRole).toBool()) << c;
    EXPECT_FALSE(rows->index(0, 0).data(ClickableRole).toBool());

    // Location 5 (a well): click its name, open its pumping record, OK.
    test::clickCell(list, 4, 0);
    ASSERT_EQ(view->selectedLocation(), 4);
    EXPECT_EQ(rows->highlightedRow(), 4);
    EXPECT_TRUE(rows->index(4, 3).data(HighlightRole).toBool());
    EXPECT_FALSE(rows->index(0, 3).data(HighlightRole).toBool());
    test::acceptPumpingRecord(view, shell.prompter);
    EXPECT_EQ(view->selectedLocation(), 4) << "stays on the location, not back to the first";
    EXPECT_EQ(rows->highlightedRow(), 4);
    EXPECT_EQ(list->currentIndex().row(), 4);
    EXPECT_TRUE(view->historicalCaption()->property("caption").toString().endsWith("Location number 5"));

    // New still selects the first location.
    view->OnNew();
    EXPECT_EQ(view->selectedLocation(), 0);
    EXPECT_EQ(rows->highlightedRow(), 0);
}

TEST(FormInput, RefusedValuesAreReportedInTheStatusBar) {
    Shell shell(QSize(1280, 900));
    CVEKViewView *view = shell.view();
    QSignalSpy notes(view, &CVEKViewView::statusMessage);
    auto *hist = view->historicalTable();
    const float before = shell.doc->model().locations[0].historicalData[2][0];
    hist->setFocus();
    hist->setCurrentIndex(hist->model()->index(0, 2));
    QTest::keyClick(hist, Qt::Key_Q);
    EXPECT_FALSE(hist->isEditing());
    ASSERT_EQ(notes.count(), 1);
    EXPECT_TRUE(notes.at(0).at(0).toString().startsWith("Only a number can go in this cell"));
    EXPECT_EQ(shell.frame()->statusBar()->currentMessage(), notes.at(0).at(0).toString());
    EXPECT_FLOAT_EQ(shell.doc->model().locations[0].historicalData[2][0], before);
    EXPECT_FALSE(shell.doc->isModified());

    hist->setCurrentIndex(hist->model()->index(0, 0));
    hist->pasteText("1\tone\t3\n5\ttwo");
    ASSERT_EQ(notes.count(), 2);
    EXPECT_EQ(notes.at(1).at(0).toString(), "2 pasted cells were not numbers and were left unchanged.");
    EXPECT_FLOAT_EQ(shell.doc->model().locations[0].historicalData[0][0], 1.0f);
    EXPECT_FLOAT_EQ(shell.doc->model().locations[0].historicalData[2][0], 3.0f);
    EXPECT_FLOAT_EQ(shell.doc->model().locations[0].historicalData[1][0], 1234.567f) << "left unchanged";
    EXPECT_FLOAT_EQ(shell.doc->model().locations[0].historicalData[0][1], 5.0f);
    EXPECT_FLOAT_EQ(shell.doc->model().locations[0].historicalData[1][1], 1234.567f) << "left unchanged";
}
