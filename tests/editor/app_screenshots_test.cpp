// Renders the program's main windows into PNG files under
// <build>/screenshots: the main window with a model form, a report window
// and both graphs. Also checks that each picture really shows something.
#include "editor/about_dialog.h"
#include "editor/child_frame.h"
#include "editor/main_frame.h"
#include "editor/output_doc.h"
#include "editor/vekview_app.h"
#include "editor/vekview_doc.h"
#include "results/views/graph_view.h"
#include "results/views/vek_output_view.h"
#include "support/qt_test_app.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QSettings>

#include <gtest/gtest.h>

using namespace vek;
using vek::test::clickOn;

namespace {

QApplication *app() { return test::qtTestApp("app_screenshots_test", true); }

// A picture counts as drawn when it has more than a handful of colours.
int distinctColours(const QImage &img) {
    QSet<QRgb> seen;
    for (int y = 0; y < img.height(); y += 3)
        for (int x = 0; x < img.width(); x += 3)
            seen.insert(img.pixel(x, y));
    return seen.size();
}

void save(QWidget *w, const QString &file) {
    QApplication::processEvents();
    const QPixmap pm = w->grab();
    const QString dir = QString::fromStdString(test::binDir()) + "/../screenshots";
    QDir().mkpath(dir);
    ASSERT_TRUE(pm.save(dir + "/" + file));
    EXPECT_GT(distinctColours(pm.toImage()), 20) << file.toStdString();
}

} // namespace

TEST(Screenshots, MainWindowReportAndGraphs) {
    app();
    const QString dir = QString::fromStdString(test::freshDir("Screenshots"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir + "/settings");
    const QString old = QDir::currentPath();
    const QString model = dir + "/river_valley.vek";
    ASSERT_TRUE(QFile::copy(QString::fromStdString(test::dataDir()) + "/../../examples/river_valley.vek", model));

    test::ScriptedPrompter prompter;
    {
        CVEKViewApp shell;
        shell.documentPrompter = &prompter;
        shell.showMessage = [&](const QString &m) { prompter.message(m.toStdString()); };
        shell.askYesNoCancel = [&](const QString &q) { return prompter.askYesNoCancel(q.toStdString()); };
        ASSERT_TRUE(shell.startUp({}, false));
        CMainFrame *frame = shell.mainFrame();
        frame->resize(1280, 860);
        frame->show();
        auto *doc = qobject_cast<CVEKViewDoc *>(shell.openDocumentFile(model));
        ASSERT_NE(doc, nullptr);
        save(frame, "main_window_model.png");
        QApplication::processEvents();

        const std::string vek = test::binDir() + "/vek";
        EXPECT_TRUE(QFileInfo(QString::fromStdString(vek)).isExecutable()) << "vek is not built: " << vek;
        if (QFileInfo(QString::fromStdString(vek)).isExecutable()) {
            doc->document().programDirectory = test::binDir() + "/";
            prompter.yesNoCancel.push_back(Answer::Yes);
            ASSERT_TRUE(shell.runDocument(doc));
            ASSERT_FALSE(shell.outputDocuments().empty());
            auto *view = qobject_cast<VEKOutputView *>(shell.frameOf(shell.outputDocuments()[0])->view());
            ASSERT_NE(view, nullptr);
            view->locationList()->item(0)->setSelected(true);
            view->locationList()->item(1)->setSelected(true);
            for (int i = 0; i < 3; ++i)
                view->yearList()->item(i)->setSelected(true);
            save(frame, "main_window_report.png");
            clickOn(view->control(VEKOutputView::IDC_PLOT));
            const auto graphs = view->graphs();
            ASSERT_EQ(graphs.size(), 2u);
            graphs[0]->resize(1100, 520);
            graphs[1]->resize(1100, 520);
            save(graphs[0], "graph_diversion.png");
            save(graphs[1], "graph_stream.png");
            // A single location in the yearly scale: title carries its legend.
            view->locationList()->clearSelection();
            view->locationList()->item(0)->setSelected(true);
            clickOn(view->control(VEKOutputView::IDC_YEARLY));
            for (int i = 0; i < view->yearList()->count(); ++i)
                view->yearList()->item(i)->setSelected(true);
            clickOn(view->control(VEKOutputView::IDC_PLOT));
            auto more = view->graphs();
            ASSERT_EQ(more.size(), 4u);
            save(more[3], "graph_stream_single_yearly.png");
            // Every year by month: hundreds of points, sparse labels.
            view->locationList()->item(1)->setSelected(true);
            clickOn(view->control(VEKOutputView::IDC_MONTHLY));
            clickOn(view->control(VEKOutputView::IDC_PLOT));
            const auto monthly = view->graphs();
            ASSERT_EQ(monthly.size(), 6u);
            EXPECT_GT(monthly[5]->built().numPoints, 60);
            monthly[5]->resize(1100, 520);
            save(monthly[5], "graph_stream_monthly_all_years.png");
            more = view->graphs();
            for (GraphView *g : more)
                delete g;
        }
        AboutDialog about(frame);
        about.show();
        save(&about, "about_box.png");
        // The program's icon, as installed with the desktop file.
        const QString icons = QString::fromStdString(test::binDir()) + "/../screenshots";
        ASSERT_TRUE(AboutDialog::programPixmap(256).save(icons + "/vekview.png"));
        doc->setModified(false);
        shell.closeAllDocuments();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDir::setCurrent(old);
}
