// form_screenshots: pictures of the input form and of the graph windows, for
// a look at layout, palette and scaling. Not a test: it writes PNG files and
// says what it wrote; tools/form_screenshots.sh runs it once per variant
// (the scale factor has to be set before the program starts).
//
//   form_screenshots <out-dir> <variant> <examples-dir> <bin-dir>
//
// Variants: form-1024x700, form-1920x1080, form-dark, form-200pct (run with
// QT_SCALE_FACTOR=2), graphs-cascaded and graphs-dark (need vek in <bin-dir>),
// and on a real display desktop-map and desktop-reaches (the example with
// stream reaches: the map beside the form, the reach tables plotted).
#include "common/prompter.h"
#include "editor/child_frame.h"
#include "editor/main_frame.h"
#include "editor/map_view.h"
#include "editor/map_window.h"
#include "editor/output_doc.h"
#include "editor/vekview_app.h"
#include "editor/vekview_doc.h"
#include "editor/vekview_view.h"
#include "viewer/graph_view.h"
#include "viewer/vek_output_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QMdiArea>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace vek;

namespace {

// Answers every question with yes / OK and keeps quiet.
class YesPrompter : public SilentPrompter {
  public:
    void message(const std::string &text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    bool askYesNo(const std::string &) override { return true; }
    Answer askYesNoCancel(const std::string &) override { return Answer::Yes; }
    int choose(const std::string &, const std::vector<std::string> &, int defaultButton, int) override {
        return defaultButton;
    }
};

// A dark palette as desktop themes give it, links included.
QPalette darkPalette() {
    QPalette p;
    const QColor window(0x2b, 0x2b, 0x2e), base(0x1e, 0x1e, 0x20), text(0xe6, 0xe6, 0xe6);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x35, 0x35, 0x38));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Light, QColor(0x4a, 0x4a, 0x4e));
    p.setColor(QPalette::Midlight, QColor(0x3e, 0x3e, 0x42));
    p.setColor(QPalette::Mid, QColor(0x5a, 0x5a, 0x60));
    p.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1a));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0x2f, 0x6f, 0xb8));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x7c, 0xb8, 0xff));
    p.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return p;
}

bool savePicture(const QPixmap &pm, const QString &file) {
    if (!pm.save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(file), pm.width(), pm.height());
    return true;
}

void settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// Lets the window manager place and draw what was just shown.
void waitMs(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The whole screen as the window manager shows it (frames included).
bool saveScreen(const QString &file) {
    waitMs(600);
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen && savePicture(screen->grabWindow(0), file);
}

// The main window at `size` with the example model open and its third
// location selected.
CVEKViewDoc *showForm(CVEKViewApp &shell, QSize size, const QString &model) {
    CMainFrame *frame = shell.mainFrame();
    frame->resize(size);
    frame->show();
    auto *doc = qobject_cast<CVEKViewDoc *>(shell.openDocumentFile(model));
    settle();
    return doc;
}

// Runs the form's model with the vek beside this tool and returns the report
// view with the first two locations and the first three years selected;
// nullptr when the run gave no report.
VEKOutputView *runAndSelect(CVEKViewApp &shell, CVEKViewDoc *doc, const QString &bin) {
    doc->document().programDirectory = (bin + "/").toStdString();
    if (!shell.runDocument(doc) || shell.outputDocuments().empty()) {
        std::fprintf(stderr, "the run gave no report (is vek in %s?)\n", qPrintable(bin));
        return nullptr;
    }
    auto *view = qobject_cast<VEKOutputView *>(shell.frameOf(shell.outputDocuments()[0])->view());
    if (!view) return nullptr;
    view->locationList()->item(0)->setSelected(true);
    view->locationList()->item(1)->setSelected(true);
    for (int i = 0; i < 3 && i < view->yearList()->count(); ++i)
        view->yearList()->item(i)->setSelected(true);
    return view;
}

// The form on the left half of the screen, the Map window on the right with
// the first well selected and the points coloured by their share of the
// second reach.
bool showMapBesideForm(CVEKViewApp &shell, CVEKViewDoc *doc) {
    auto *form = qobject_cast<CVEKViewView *>(shell.frameOf(doc)->view());
    if (!form) return false;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    shell.mainFrame()->showNormal();
    shell.mainFrame()->setGeometry(screen.x(), screen.y() + 30, screen.width() / 2, screen.height() - 60);
    form->OnMap();
    MapWindow *map = doc->mapWindow();
    if (!map) return false;
    map->setGeometry(screen.x() + screen.width() / 2 + 8, screen.y() + 30, screen.width() / 2 - 16,
                     screen.height() - 60);
    waitMs(300);
    map->view()->fitAll();
    map->reachList()->setCurrentIndex(1);
    map->colourList()->setCurrentIndex(2);
    map->selectLocation(0);
    form->selectLocation(0);
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s <out-dir> <variant> <examples-dir> <bin-dir>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString variant = QString::fromLocal8Bit(argv[2]);
    const QString examples = QDir(QString::fromLocal8Bit(argv[3])).absolutePath();
    const QString bin = QDir(QString::fromLocal8Bit(argv[4])).absolutePath();
    QDir().mkpath(out);

    QTemporaryDir work;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, work.path() + "/settings");
    const QString model = work.path() + "/river_valley.vek";
    const bool reaches = variant == "desktop-map" || variant == "desktop-reaches";
    if (!QFile::copy(examples + (reaches ? "/river_valley_reaches.vek" : "/river_valley.vek"), model)) {
        std::fprintf(stderr, "no example model in %s\n", qPrintable(examples));
        return 1;
    }
    if (variant == "form-dark" || variant == "graphs-dark" || variant == "desktop-dark") {
        app.setStyle(QStyleFactory::create("Fusion"));
        app.setPalette(darkPalette());
    }

    YesPrompter prompter;
    bool ok = true;
    {
        CVEKViewApp shell;
        shell.documentPrompter = &prompter;
        shell.showMessage = [&](const QString &m) { prompter.message(m.toStdString()); };
        shell.askYesNoCancel = [](const QString &) { return Answer::Yes; };
        if (!shell.startUp({}, false)) return 1;
        CMainFrame *frame = shell.mainFrame();

        if (variant == "form-1024x700" || variant == "form-1920x1080") {
            const QSize size = variant == "form-1024x700" ? QSize(1024, 700) : QSize(1920, 1080);
            showForm(shell, size, model);
            ok = savePicture(frame->grab(), out + "/" + variant + ".png");
        } else if (variant == "form-dark" || variant == "form-200pct") {
            showForm(shell, QSize(1024, 700), model);
            ok = savePicture(frame->grab(), out + "/" + variant + ".png");
        } else if (variant == "graphs-cascaded" || variant == "graphs-dark") {
            CVEKViewDoc *doc = showForm(shell, QSize(1280, 860), model);
            if (!doc) return 1;
            VEKOutputView *view = runAndSelect(shell, doc, bin);
            if (!view) return 1;
            view->plotButton()->click();
            settle();
            const auto graphs = view->graphs();
            // The screen as the user sees it: the main window, then each graph
            // window where the program put it, in the order they opened.
            QRect screen = frame->frameGeometry();
            for (GraphView *g : graphs)
                screen |= g->frameGeometry();
            QPixmap picture(screen.size());
            picture.fill(Qt::darkGray);
            QPainter p(&picture);
            p.drawPixmap(frame->geometry().topLeft() - screen.topLeft(), frame->grab());
            for (GraphView *g : graphs) {
                const QPoint at = g->geometry().topLeft() - screen.topLeft();
                const QPixmap shot = g->grab();
                p.drawPixmap(at, shot);
                p.setPen(QPen(Qt::black, 1));
                p.drawRect(QRect(at, g->size()).adjusted(0, 0, -1, -1));
            }
            p.end();
            ok = graphs.size() >= 2 && savePicture(picture, out + "/" + variant + ".png");
            for (GraphView *g : graphs)
                delete g;
        } else if (variant.startsWith("desktop-")) {
            // On a real display with a window manager (tools/desktop_screenshots.sh):
            // the screen as the user sees it.
            frame->showMaximized();
            CVEKViewDoc *doc = showForm(shell, frame->size(), model);
            if (!doc) return 1;
            if (variant == "desktop-dark") {
                doc->updateAllViews(ViewHint::Everything);
                ok = saveScreen(out + "/" + variant + ".png");
            } else if (variant == "desktop-map") {
                ok = showMapBesideForm(shell, doc) && saveScreen(out + "/" + variant + ".png");
            } else if (variant == "desktop-reaches") {
                VEKOutputView *view = runAndSelect(shell, doc, bin);
                if (!view) return 1;
                // The three reaches' net impacts, after the summaries.
                view->locationList()->clearSelection();
                const int n = view->locationList()->count();
                for (int i = n - 3; i < n; ++i)
                    view->locationList()->item(i)->setSelected(true);
                view->showDiversionCheck()->setChecked(false);
                view->plotButton()->click();
                ok = saveScreen(out + "/" + variant + ".png");
            } else if (variant == "desktop-form-print-preview") {
                if (auto *form = qobject_cast<CVEKViewView *>(shell.frameOf(doc)->view())) {
                    QTimer::singleShot(0, [&] {
                        ok = saveScreen(out + "/" + variant + ".png");
                        if (QWidget *w = QApplication::activeModalWidget()) static_cast<QDialog *>(w)->reject();
                    });
                    form->printPreview();
                }
            } else {
                VEKOutputView *view = runAndSelect(shell, doc, bin);
                if (!view) return 1;
                if (variant == "desktop-graphs-cascaded") {
                    // Both tables, then the stream table twice more: the
                    // later windows cascade off the earlier ones.
                    view->plotButton()->click();
                    waitMs(400);
                    view->showDiversionCheck()->setChecked(false);
                    view->plotButton()->click();
                    waitMs(400);
                    view->plotButton()->click();
                    ok = saveScreen(out + "/" + variant + ".png");
                    for (GraphView *g : view->graphs())
                        std::printf("graph at %d,%d %dx%d\n", g->frameGeometry().x(), g->frameGeometry().y(),
                                    g->frameGeometry().width(), g->frameGeometry().height());
                } else if (variant == "desktop-print-preview") {
                    QTimer::singleShot(0, [&] {
                        ok = saveScreen(out + "/" + variant + ".png");
                        if (QWidget *w = QApplication::activeModalWidget()) static_cast<QDialog *>(w)->reject();
                    });
                    view->OnPrintPreview();
                }
            }
        } else {
            std::fprintf(stderr, "unknown variant %s\n", qPrintable(variant));
            return 2;
        }
        for (CVEKViewDoc *d : shell.modelDocuments())
            d->setModified(false);
        shell.closeAllDocuments();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ok ? 0 : 1;
}
