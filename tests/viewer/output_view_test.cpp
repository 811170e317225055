// The output form driven through its widgets: list filling, report box,
// year type switches, the exports and Plot.
#include "results/output_results.h"
#include "results/text_report.h"
#include "support/fifo_reader.h"
#include "support/qt_test_app.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"
#include "viewer/graph_view.h"
#include "viewer/vek_output_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace vek;
using vek::test::clickOn;

namespace {

std::string lineFeeds(std::string s) {
    for (size_t p; (p = s.find("\r\n")) != std::string::npos;)
        s.erase(p, 1);
    return s;
}

QApplication *app() { return test::qtTestApp("views_test"); }

class OutputViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app();
        ASSERT_TRUE(results.Load(test::dataPath("viewer/two_locations.out"), prompter)) << prompter.messages.size();
        view = std::make_unique<VEKOutputView>(&results, nullptr, &prompter);
        view->resize(1000, 650);
        view->show();
        dir = QString::fromStdString(test::freshDir(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        view->setDocumentTitle(dir + "/two_locations.out");
        view->showMessage = [this](const QString &m) { shown << m; };
    }
    void TearDown() override {
        for (GraphView *g : view->graphs())
            delete g;
    }
    void select(QListWidget *list, std::initializer_list<int> rows) {
        list->clearSelection();
        for (int r : rows)
            list->item(r)->setSelected(true);
    }
    QString box() const { return view->reportBox()->toPlainText(); }

    test::ScriptedPrompter prompter;
    OutputResults results;
    std::unique_ptr<VEKOutputView> view;
    QString dir;
    QStringList shown;
};

} // namespace

TEST_F(OutputViewTest, ListsHoldYearsThenAverageAndEveryResult) {
    QListWidget *years = view->yearList();
    ASSERT_EQ(years->count(), 4);
    EXPECT_EQ(years->item(0)->text(), "1989");
    EXPECT_EQ(years->item(2)->text(), "1991");
    EXPECT_EQ(years->item(3)->text(), "Average");
    QListWidget *locs = view->locationList();
    ASSERT_EQ(locs->count(), static_cast<int>(results.locations.size()));
    EXPECT_EQ(locs->item(0)->text(), "Well 7");
    EXPECT_EQ(locs->item(locs->count() - 1)->text(), "Net Impact on Stream");
    EXPECT_EQ(locs->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_TRUE(box().isEmpty());
}

// The box shows what the report builder makes for the same choices, whatever
// control changed last.
TEST_F(OutputViewTest, ReportBoxFollowsEveryChoice) {
    struct Row {
        const char *what;
        std::function<void()> act;
        ViewChoices expected;
    };
    ViewChoices base;
    base.locations = {0, 1};
    base.years = {0, 3};
    const std::vector<Row> rows = {
        {"selection",
         [&] {
             select(view->locationList(), {0, 1}), select(view->yearList(), {0, 3});
         },
         base},
        {"yearly", [&] { clickOn(view->yearlyButton()); },
         [&] {
             auto c = base;
             c.scale = ViewChoices::Yearly;
             return c;
         }()},
        {"no stream", [&] { clickOn(view->showStreamCheck()); },
         [&] {
             auto c = base;
             c.scale = ViewChoices::Yearly;
             c.showStream = false;
             return c;
         }()},
        {"monthly", [&] { clickOn(view->monthlyButton()); },
         [&] {
             auto c = base;
             c.showStream = false;
             return c;
         }()},
    };
    for (const Row &r : rows) {
        r.act();
        std::string want = buildTextReport(results, r.expected, "\r\n");
        EXPECT_EQ(view->reportText, want) << r.what;
        QString shownText = box();
        shownText.replace("\n", "\r\n");
        EXPECT_EQ(shownText.toStdString(), want) << r.what;
    }
    EXPECT_NE(view->reportText.find("Location: Well 7"), std::string::npos);
}

// A year type switch that adds a year keeps what the user had chosen: the
// same locations and the same years (by their number), and the report.
TEST_F(OutputViewTest, IrrigationToCalendarAddsAYearAndKeepsTheSelection) {
    select(view->locationList(), {0});
    select(view->yearList(), {0, 3}); // 1989 and the average
    ASSERT_FALSE(box().isEmpty());
    clickOn(view->calendarButton());
    EXPECT_EQ(results.yearType, 0);
    ASSERT_EQ(view->yearList()->count(), 5);
    EXPECT_EQ(view->yearList()->item(0)->text(), "1988");
    QStringList years;
    for (QListWidgetItem *i : view->yearList()->selectedItems())
        years << i->text();
    years.sort();
    EXPECT_EQ(years, QStringList({"1989", "Average"}));
    ASSERT_EQ(view->locationList()->selectedItems().size(), 1);
    EXPECT_EQ(view->locationList()->row(view->locationList()->selectedItems()[0]), 0);
    EXPECT_TRUE(box().contains("\n1989\t")) << box().toStdString();
    EXPECT_TRUE(box().contains("\nAvg\t"));

    // Back to Irrigation: the report's own years and values again, the
    // selection kept by year.
    select(view->yearList(), {0, 1});
    clickOn(view->irrigationButton());
    EXPECT_EQ(results.yearType, 1);
    EXPECT_EQ(view->yearList()->count(), 4);
    EXPECT_EQ(view->yearList()->selectedItems().size(), 1);
    EXPECT_FALSE(box().contains("1988\t"));
    EXPECT_TRUE(box().contains("\n1989\t-100.5\t"));
}

// The box is read-only: what the user types there never reaches a saved or
// printed report, so every output of the view gives the report's numbers.
TEST_F(OutputViewTest, ReportBoxTakesNoTypingAndSaveWritesTheReport) {
    select(view->locationList(), {1});
    select(view->yearList(), {1});
    const QString shownBefore = box();
    QPlainTextEdit *edit = view->reportBox();
    QTest::mouseDClick(edit->viewport(), Qt::LeftButton, {}, QPoint(40, 60));
    QTest::keyClicks(edit->viewport(), "-1605.77");
    QTest::keyClick(edit->viewport(), Qt::Key_Backspace);
    EXPECT_EQ(box(), shownBefore);
    // Still selectable and copyable.
    EXPECT_TRUE(edit->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_TRUE(edit->textInteractionFlags() & Qt::TextSelectableByKeyboard);

    const QString target = dir + "/saved.txt";
    QString askedTitle;
    view->chooseSaveFile = [&](const QString &title, const QString &) {
        askedTitle = title;
        return target;
    };
    clickOn(view->saveToFileButton());
    EXPECT_EQ(askedTitle, "Choose an output file.");
    // Lines end as this platform ends them.
    EXPECT_EQ(test::readFile(target.toStdString()), lineFeeds(view->reportText));

    // Cancel writes nothing.
    QFile::remove(target);
    view->chooseSaveFile = [](const QString &, const QString &) { return QString(); };
    clickOn(view->saveToFileButton());
    EXPECT_FALSE(QFile::exists(target));
}

// Printing needs no file beside the report: a file of that name the user
// keeps there is neither replaced nor deleted.
TEST_F(OutputViewTest, PrintSendsTheBoxAndLeavesFilesAlone) {
    select(view->locationList(), {0});
    select(view->yearList(), {2});
    const QString keep = view->reportFileName();
    test::writeFile(keep.toStdString(), "user's own notes");
    QString printed;
    view->printText = [&](const QString &text, QString *) {
        printed = text;
        return true;
    };
    clickOn(view->printButton());
    EXPECT_EQ(printed.toStdString(), lineFeeds(view->reportText));
    EXPECT_EQ(test::readFile(keep.toStdString()), "user's own notes");

    view->printText = [&](const QString &, QString *error) {
        *error = "No default printer is set up; the report was not printed.";
        return false;
    };
    clickOn(view->printButton());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("No default printer"));
}

TEST_F(OutputViewTest, ViewInWordpadWritesLineFeedReportBesideTheReport) {
    select(view->locationList(), {0});
    select(view->yearList(), {0, 1});
    const QString before = box();
    QString opened;
    view->openInEditor = [&](const QString &p) {
        opened = p;
        return true;
    };
    clickOn(view->wordpadButton());
    EXPECT_EQ(opened, dir + "/two_locations.out.txt");
    const std::string file = test::readFile(opened.toStdString());
    EXPECT_EQ(file.find('\r'), std::string::npos);
    ViewChoices c;
    c.locations = {0};
    c.years = {0, 1};
    EXPECT_EQ(file, buildTextReport(results, c, "\n"));
    EXPECT_EQ(box(), before);
}

TEST_F(OutputViewTest, PlotMakesOneWindowPerTableWithTheRightPlacement) {
    const QMargins m = view->graphFrameMargins();
    const QSize kFrame(m.left() + m.right(), m.top() + m.bottom());
    struct Row {
        const char *what;
        std::vector<int> locations;
        bool diversion, stream;
        int graphs;
    };
    const int net = view->locationList()->count() - 1;
    const std::vector<Row> rows = {
        {"net impact only", {net}, true, true, 1},
        {"two wells", {0, 1}, true, true, 2},
        {"diversion only", {0}, true, false, 1},
        {"nothing shown", {0}, false, false, 0},
    };
    for (const Row &r : rows) {
        for (GraphView *g : view->graphs())
            delete g;
        view->locationList()->clearSelection();
        for (int i : r.locations)
            view->locationList()->item(i)->setSelected(true);
        select(view->yearList(), {0, 1, 2});
        view->showDiversionCheck()->setChecked(r.diversion);
        view->showStreamCheck()->setChecked(r.stream);
        clickOn(view->plotButton());
        const auto graphs = view->graphs();
        ASSERT_EQ(static_cast<int>(graphs.size()), r.graphs) << r.what;
        // Every window, frame and title bar included, lies on the screen.
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        for (GraphView *g : graphs)
            EXPECT_TRUE(area.contains(QRect(g->placedAt(), g->size() + kFrame))) << r.what;
        if (r.graphs == 1) {
            EXPECT_EQ(graphs[0]->size(), QSize(800, 600).boundedTo(area.size() - kFrame)) << r.what;
            EXPECT_EQ(graphs[0]->built().numPoints, 36) << r.what;
        }
        if (r.graphs == 2) {
            // Their look files live beside the report.
            EXPECT_EQ(graphs[0]->settingsFileName(), dir + "/div_rech.gsp");
            EXPECT_EQ(graphs[1]->settingsFileName(), dir + "/stream_dep.gsp");
            // One above the other over the screen's width.
            EXPECT_EQ(graphs[0]->placedAt(), area.topLeft());
            EXPECT_GE(graphs[1]->placedAt().y(), graphs[0]->placedAt().y() + graphs[0]->height() + kFrame.height());
            EXPECT_EQ(graphs[0]->width() + kFrame.width(), area.width());
            // One y range covers both graphs.
            EXPECT_EQ(graphs[0]->built().yMin, graphs[1]->built().yMin);
            EXPECT_EQ(graphs[0]->built().yMax, graphs[1]->built().yMax);
        }
    }
}

// The average is no year: with "Average" selected (Ctrl+A selects it too)
// the graph data keep their "Avg" point, but the drawing never joins it to
// the years' line. It stands apart, after a gap, as a marked point (yearly)
// or as a line of its own (the twelve average months), under its label.
TEST_F(OutputViewTest, PlotDrawsTheAverageApartFromTheYears) {
    const int years = view->yearList()->count() - 1; // 3 years, then "Average"
    for (bool monthly : {false, true}) {
        for (GraphView *g : view->graphs())
            delete g;
        select(view->locationList(), {0});
        view->yearList()->setFocus();
        QTest::keyClick(view->yearList(), Qt::Key_A, Qt::ControlModifier);
        ASSERT_EQ(view->yearList()->selectedItems().size(), years + 1);
        view->showDiversionCheck()->setChecked(false);
        (monthly ? view->monthlyButton() : view->yearlyButton())->setChecked(true);
        clickOn(view->plotButton());
        ASSERT_EQ(view->graphs().size(), 1u);
        GraphView *g = view->graphs()[0];
        const int yearPoints = monthly ? 12 * years : years;
        const int avgPoints = monthly ? 12 : 1;
        ASSERT_EQ(g->data().numPoints(), yearPoints + avgPoints);
        EXPECT_EQ(g->data().labels[static_cast<size_t>(yearPoints)], monthly ? "11/Avg" : "Avg");

        // Runs of the line: the years' run ends at the last year; the
        // average's points lie apart, in a run of their own.
        double lastYearX = -1, firstAvgX = 1e9;
        int yearRuns = 0, avgRuns = 0;
        for (QAbstractSeries *a : g->chart()->series()) {
            auto *line = qobject_cast<QLineSeries *>(a);
            ASSERT_NE(line, nullptr);
            const QList<QPointF> pts = line->points();
            if (pts.isEmpty()) continue;
            if (static_cast<int>(pts.size()) == avgPoints && pts.front().x() > yearPoints - 0.5) {
                ++avgRuns;
                firstAvgX = std::min(firstAvgX, pts.front().x());
                EXPECT_TRUE(line->pointsVisible()) << "the average is marked";
                for (const QPointF &p : pts)
                    EXPECT_GT(p.x(), yearPoints - 0.5);
            } else {
                ++yearRuns;
                for (const QPointF &p : pts) {
                    EXPECT_LT(p.x(), yearPoints - 0.5) << "a year's line reaches the average";
                    lastYearX = std::max(lastYearX, p.x());
                }
            }
        }
        EXPECT_EQ(yearRuns, 1);
        EXPECT_EQ(avgRuns, 1);
        EXPECT_GE(firstAvgX - lastYearX, 2.0) << "a gap separates the average from the last year";
        EXPECT_TRUE(g->built().labels.contains(monthly ? "11/Avg" : "Avg"));
        // The gap is as wide as the average (a year of months shows on a
        // long monthly axis), and the label is drawn.
        EXPECT_GT(firstAvgX - lastYearX, avgPoints);
        g->show();
        g->resize(900, 400);
        QCoreApplication::processEvents();
        bool avgLabelShown = false;
        for (QGraphicsItem *item : g->chart()->childItems())
            if (auto *t = dynamic_cast<QGraphicsSimpleTextItem *>(item))
                if (t->text() == (monthly ? "11/Avg" : "Avg")) avgLabelShown = t->isVisible();
        EXPECT_TRUE(avgLabelShown);
    }
}

// Plots one after another cascade: no new window lies exactly over one
// still open, and all stay on the screen.
TEST_F(OutputViewTest, PlotsCascadeAndStayOnTheScreen) {
    const QMargins m = view->graphFrameMargins();
    const QSize kFrame(m.left() + m.right(), m.top() + m.bottom());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    select(view->locationList(), {0});
    select(view->yearList(), {0, 1});
    for (bool both : {false, true}) {
        for (GraphView *g : view->graphs())
            delete g;
        view->showDiversionCheck()->setChecked(both);
        for (int i = 0; i < 3; ++i)
            clickOn(view->plotButton());
        const auto graphs = view->graphs();
        ASSERT_EQ(graphs.size(), both ? 6u : 3u);
        std::set<std::pair<int, int>> corners;
        for (GraphView *g : graphs) {
            EXPECT_TRUE(area.contains(QRect(g->placedAt(), g->size() + kFrame)));
            corners.insert({g->placedAt().x(), g->placedAt().y()});
        }
        EXPECT_EQ(corners.size(), graphs.size()) << "two windows at one place";
    }
}

// Plot draws a location's graphs only when some year is chosen too.
TEST_F(OutputViewTest, PlotNeedsALocationAndAYear) {
    const struct {
        std::initializer_list<int> locations, years;
        std::size_t graphs;
    } rows[] = {{{0}, {}, 0}, {{}, {0}, 0}, {{0}, {0}, 2}};
    for (const auto &r : rows) {
        for (GraphView *g : view->graphs())
            delete g;
        select(view->locationList(), r.locations);
        select(view->yearList(), r.years);
        clickOn(view->plotButton());
        EXPECT_EQ(view->graphs().size(), r.graphs)
            << r.locations.size() << " locations, " << r.years.size() << " years";
    }
}

TEST_F(OutputViewTest, DoneAndHelpAskTheirOwners) {
    int closed = 0, context = -1;
    QObject::connect(view.get(), &VEKOutputView::closeRequested, [&] { ++closed; });
    QObject::connect(view.get(), &VEKOutputView::helpRequested, [&](int c) { context = c; });
    clickOn(view->doneButton());
    clickOn(view->helpButton());
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(context, 400);
}

// The report box grows with the window; the buttons keep their x and follow
// the bottom edge.
TEST_F(OutputViewTest, ResizeGrowsTheBoxAndMovesTheButtonsDown) {
    QApplication::processEvents();
    const QRect box0 = view->reportBox()->geometry();
    const QPoint print0 = view->printButton()->pos();
    const QPoint help0 = view->helpButton()->pos();
    view->resize(view->width() + 120, view->height() + 80);
    QApplication::processEvents();
    const QRect box1 = view->reportBox()->geometry();
    EXPECT_EQ(box1.topLeft(), box0.topLeft());
    EXPECT_EQ(box1.width(), box0.width() + 120);
    EXPECT_EQ(box1.height(), box0.height() + 80);
    EXPECT_EQ(view->printButton()->pos(), print0 + QPoint(0, 80));
    EXPECT_EQ(view->helpButton()->pos(), help0 + QPoint(0, 80));
}

// Window > Tile sets a child window's geometry as it is, below the view's
// minimum too: at a quarter of a 1024 x 720 area (one of four stacked tiles,
// or a 2 x 2 grid) every control keeps at least the size it needs and none
// is drawn over another; what does not fit scrolls.
TEST_F(OutputViewTest, LayoutHoldsWhenTiledToAQuarterOfTheArea) {
    QMdiArea area;
    area.resize(1024, 720);
    area.show();
    QMdiSubWindow *sub = area.addSubWindow(view.get());
    sub->show();
    for (const QSize size : {QSize(1024, 180), QSize(512, 360)}) {
        SCOPED_TRACE(size.height());
        sub->setGeometry(QRect(QPoint(0, 0), size));
        QApplication::processEvents();
        ASSERT_LE(view->height(), size.height());
        std::vector<QWidget *> controls;
        for (QWidget *w : view->findChildren<QWidget *>())
            if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QLabel *>(w) || qobject_cast<QListWidget *>(w) ||
                w == view->reportBox())
                controls.push_back(w);
        ASSERT_GE(controls.size(), 17u);
        std::vector<QRect> at;
        for (QWidget *w : controls) {
            const std::string name = w->property("text").toString().toStdString();
            EXPECT_TRUE(w->isVisibleTo(view.get())) << name;
            const QSize need = w->minimumSizeHint().expandedTo(w->minimumSize());
            EXPECT_GE(w->width(), need.width()) << name;
            EXPECT_GE(w->height(), need.height()) << name;
            at.push_back(QRect(w->mapTo(view.get(), QPoint(0, 0)), w->size()));
        }
        for (size_t i = 0; i < controls.size(); ++i)
            for (size_t j = i + 1; j < controls.size(); ++j)
                if (!controls[i]->isAncestorOf(controls[j]) && !controls[j]->isAncestorOf(controls[i])) {
                    EXPECT_FALSE(at[i].intersects(at[j]))
                        << controls[i]->property("text").toString().toStdString() << " over "
                        << controls[j]->property("text").toString().toStdString();
                }
    }
    view->setParent(nullptr); // the fixture owns it
}

// When no program opens text files, the user is told and may save the report
// elsewhere instead.
TEST_F(OutputViewTest, ViewInWordpadOffersToSaveWhenNothingOpensTheFile) {
    select(view->locationList(), {0});
    select(view->yearList(), {0});
    view->openInEditor = [](const QString &) { return false; };
    QStringList asked;
    bool answer = false;
    view->ask = [&](const QString &q) {
        asked << q;
        return answer;
    };
    const QString target = dir + "/instead.txt";
    view->chooseSaveFile = [&](const QString &, const QString &) { return target; };
    clickOn(view->wordpadButton());
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains("two_locations.out.txt")) << asked[0].toStdString();
    EXPECT_FALSE(QFile::exists(target));

    answer = true;
    clickOn(view->wordpadButton());
    ASSERT_EQ(asked.size(), 2);
    ViewChoices c;
    c.locations = {0};
    c.years = {0};
    EXPECT_EQ(test::readFile(target.toStdString()), buildTextReport(results, c, "\n"));
}

// The desktop's opener started but found no program for text files: the
// user hears of it when it ends, and may save the report instead.
TEST_F(OutputViewTest, ViewInWordpadTellsWhenTheOpenerFails) {
    select(view->locationList(), {0});
    select(view->yearList(), {0});
    QStringList asked;
    view->ask = [&](const QString &q) {
        asked << q;
        return false;
    };
    view->viewerProgram = QStringLiteral("false"); // starts, opens nothing, fails
    clickOn(view->wordpadButton());
    QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, 10000);
    EXPECT_TRUE(asked[0].startsWith("No program could be started to open")) << asked[0].toStdString();
    // An opener that cannot even start is told alike.
    view->viewerProgram = dir + "/no-such-opener";
    clickOn(view->wordpadButton());
    QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 2, 10000);
    // One that succeeds asks nothing.
    view->viewerProgram = QStringLiteral("true");
    clickOn(view->wordpadButton());
    QTest::qWait(300);
    EXPECT_EQ(asked.size(), 2);
}

TEST_F(OutputViewTest, ExportToExcelWritesTheSelection) {
    QString askedTitle, askedFilter;
    const QString target = dir + "/results.xlsx";
    view->chooseSaveFile = [&](const QString &title, const QString &filter) {
        askedTitle = title;
        askedFilter = filter;
        return target;
    };
    // Nothing selected: nothing to export, and the user is told.
    view->OnExportExcel();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_FALSE(QFile::exists(target));

    select(view->locationList(), {0, 1});
    select(view->yearList(), {0, 3});
    view->OnExportExcel();
    EXPECT_EQ(askedTitle, "Export to Excel");
    EXPECT_TRUE(askedFilter.contains("*.xlsx"));
    EXPECT_EQ(test::readFile(target.toStdString()).substr(0, 2), "PK");
    EXPECT_EQ(shown.size(), 1);

    view->chooseSaveFile = [&](const QString &, const QString &) { return dir + "/no/such/dir/results.xlsx"; };
    view->OnExportExcel();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[1].contains("results.xlsx")) << shown[1].toStdString();
}

namespace {

// Pages of a PDF file: its page objects.
int pdfPages(const std::string &pdf) {
    int n = 0;
    for (size_t p = 0; (p = pdf.find("/Type /Page", p)) != std::string::npos; p += 11)
        if (pdf.compare(p + 11, 1, "s") != 0) ++n;
    return n;
}

// A report of years years and one location, as the engine would write it.
OutputResults longResults(int years) {
    OutputResults r;
    r.firstPrintYear = 1601;
    r.lastPrintYear = 1600 + years;
    r.firstSynthYear = r.lastPrintYear + 1;
    r.lastSynthYear = r.lastPrintYear;
    r.units = "( acre feet )";
    r.monthHeader = "YEAR NOV DEC JAN FEB MAR APR MAY JUN JUL AUG SEP OCT TOTAL";
    LocationResult loc;
    loc.name = "Well 1";
    loc.depletionFactor = 30;
    loc.rows.resize(static_cast<size_t>(years + 1));
    for (int y = 0; y <= years; ++y) {
        YearRow &row = loc.rows[static_cast<size_t>(y)];
        for (int m = 0; m < 12; ++m)
            row.diversion[m] = row.stream[m] = -1234.5f - static_cast<float>(m);
        row.diversionTotal = row.streamTotal = -14828.5f;
        row.diversionCumulative = row.streamCumulative = -14828.5f * static_cast<float>(y + 1);
    }
    r.locations.push_back(loc);
    return r;
}

} // namespace

// A 400-year report prints on as many pages as its lines need, each page
// with its header; two tables take about twice the pages of one.
TEST_F(OutputViewTest, PrintsA400YearReportToPdfPageByPage) {
    OutputResults r = longResults(400);
    VEKOutputView v(&r);
    v.setDocumentTitle(dir + "/long_run.out");
    EXPECT_EQ(v.modelName(), "long_run");
    ViewChoices c;
    c.locations = {0};
    for (int p = 0; p <= 400; ++p)
        c.years.push_back(p);
    auto printTo = [&](const QString &file, const ViewChoices &choices) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
        const int pages = v.printReport(QString::fromStdString(buildTextReport(r, choices, "\n")), &printer);
        EXPECT_EQ(pdfPages(test::readFile(file.toStdString())), pages);
        return pages;
    };
    ViewChoices one = c;
    one.showStream = false;
    const int onePages = printTo(dir + "/one.pdf", one);
    const int twoPages = printTo(dir + "/two.pdf", c);
    // About 410 lines of one table; a landscape page holds a few dozen.
    EXPECT_GE(onePages, 5);
    EXPECT_LE(onePages, 20);
    EXPECT_GE(twoPages, 2 * onePages - 1);
    EXPECT_LE(twoPages, 2 * onePages + 1);
}

// Save To File and Export to Excel write through the program's one safe
// save: into a FIFO that a program reads, through a link (which stays a
// link), never onto a FIFO nobody reads nor onto the report being shown.
TEST_F(OutputViewTest, SaveAndExportWriteFifosAndLinksAndNeverTheReport) {
    namespace fs = std::filesystem;
    select(view->locationList(), {0});
    select(view->yearList(), {0});
    const std::string d = dir.toStdString();
    const std::string boxText = box().toStdString();
    QString target;
    view->chooseSaveFile = [&](const QString &, const QString &) { return target; };
    struct Writer {
        const char *name;
        void (VEKOutputView::*save)();
        std::string starts;
    };
    const Writer writers[] = {{"save", &VEKOutputView::OnSaveToFile, boxText},
                              {"excel", &VEKOutputView::OnExportExcel, "PK"}};
    for (const Writer &w : writers) {
        SCOPED_TRACE(w.name);
        const std::string fifo = d + "/" + w.name + ".pipe";
        {
            test::FifoReader reader(fifo);
            ASSERT_TRUE(reader.ok());
            target = QString::fromStdString(fifo);
            (view.get()->*w.save)();
            EXPECT_EQ(reader.take().substr(0, w.starts.size()), w.starts);
        }
        EXPECT_TRUE(shown.isEmpty()) << shown.join("\n").toStdString();
        // Nobody reads it now: refused at once, and said so.
        (view.get()->*w.save)();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0], QString("Unable to write %1: no program is reading from it.").arg(target));
        EXPECT_TRUE(fs::is_fifo(fifo));
        shown.clear();

        const std::string real = d + "/" + w.name + ".real", link = d + "/" + w.name + ".link";
        test::writeFile(real, "old");
        fs::create_symlink(w.name + std::string(".real"), link);
        target = QString::fromStdString(link);
        (view.get()->*w.save)();
        EXPECT_TRUE(shown.isEmpty()) << shown.join("\n").toStdString();
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(test::readFile(real).substr(0, w.starts.size()), w.starts);

        // The report this view shows is never written over.
        test::writeFile(d + "/two_locations.out", "the report");
        target = dir + "/./two_locations.out";
        (view.get()->*w.save)();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0], target + " is the report being shown; choose another name.");
        EXPECT_EQ(test::readFile(d + "/two_locations.out"), "the report");
        shown.clear();
    }
}

// The unit chosen reaches the report (every heading names it), the graphs'
// axis and their values; back in acre-feet the report is the report's.
TEST_F(OutputViewTest, UnitsReachTheReportAndTheGraphs) {
    select(view->locationList(), {0});
    select(view->yearList(), {0});
    const QString acreFeet = box();
    ASSERT_TRUE(acreFeet.contains("CU or Recharge Data  ( acre feet )"));
    ASSERT_EQ(view->unitsBox()->count(), 6);
    view->unitsBox()->setCurrentIndex(1); // cubic metres
    EXPECT_TRUE(box().contains("CU or Recharge Data  ( cubic metres )")) << box().toStdString();
    EXPECT_TRUE(box().contains("Stream Depletion or Accretion Data  ( cubic metres )"));
    EXPECT_TRUE(box().contains("\n1989\t-123965\t")) << box().toStdString(); // -100.5 acre-feet
    view->unitsBox()->setCurrentIndex(4); // cubic feet per second: November 1988 has 30 days
    EXPECT_TRUE(box().contains(QString("\n1989\t%1\t").arg(-100.5 * 43560 / (30 * 86400.0), 0, 'g', 6)))
        << box().toStdString();
    view->showDiversionCheck()->setChecked(false);
    clickOn(view->plotButton());
    ASSERT_EQ(view->graphs().size(), 1u);
    EXPECT_EQ(view->graphs()[0]->data().leftTitle, "( cubic feet per second )");
    EXPECT_NEAR(view->graphs()[0]->data().series[0].values[0], -20.0 * 43560 / (30 * 86400.0), 1e-9);
    view->showDiversionCheck()->setChecked(true);
    view->unitsBox()->setCurrentIndex(0);
    EXPECT_EQ(box(), acreFeet);
}
