// Pictures of the program's windows, for a look at layout, palette and
// scaling. Not a test: it writes PNG files and says what it wrote.
//
//   vek_screenshots --out DIR [--size WxH] [--dark] [--example FILE]
//       the input form (with the bundled example, at its minimum size and at
//       the size asked for), every dialog, the main window with the model and
//       with a report, and both graphs (tools/screenshots.sh runs it);
//   vek_screenshots --out DIR --variant NAME [--example FILE]
//       one picture kept in docs/screenshots: form-1024x700, form-1920x1080,
//       form-dark, form-200pct (with QT_SCALE_FACTOR=2), graphs-cascaded,
//       graphs-dark, and on a display with a window manager desktop-dark,
//       desktop-graphs-cascaded, desktop-print-preview and
//       desktop-form-print-preview (tools/form_screenshots.sh and
//       tools/desktop_screenshots.sh run it once per variant), and with the
//       example of stream reaches desktop-map and desktop-reaches (the map
//       beside the form, the reaches' net impacts plotted).
//
// Runs and graphs need vek beside this tool. The scale factor comes from Qt
// itself (QT_SCALE_FACTOR=2 for 200%).
#include "editor/about_dialog.h"
#include "editor/child_frame.h"
#include "editor/choice_dialogs.h"
#include "editor/main_frame.h"
#include "editor/map_view.h"
#include "editor/map_window.h"
#include "editor/output_doc.h"
#include "editor/pumping_record_dialog.h"
#include "editor/response_method_dialog.h"
#include "editor/response_tables_dialog.h"
#include "editor/vekview_app.h"
#include "editor/vekview_doc.h"
#include "editor/vekview_view.h"
#include "viewer/graph_view.h"
#include "viewer/vek_output_view.h"

#include "common/prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

using namespace vek;

namespace {

// Answers every question with yes, the default or OK, and says each message
// on standard error.
class YesPrompter : public SilentPrompter {
  public:
    void message(const std::string &text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    bool askYesNo(const std::string &) override { return true; }
    Answer askYesNoCancel(const std::string &) override { return Answer::Yes; }
    int choose(const std::string &, const std::vector<std::string> &, int defaultButton, int) override {
        return defaultButton;
    }
};

struct Options {
    QString out;
    QSize size{1280, 860};
    bool dark = false;
    QString example;
    QString variant;
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

// ---- writing pictures ---------------------------------------------------------

QString outDir;
int written = 0;

bool savePicture(const QPixmap &pm, const QString &name) {
    const QString file = outDir + "/" + name + ".png";
    if (!pm.save(file)) {
        std::fprintf(stderr, "vek_screenshots: cannot write %s\n", qPrintable(file));
        return false;
    }
    ++written;
    std::printf("%s (%dx%d)\n", qPrintable(file), pm.width(), pm.height());
    return true;
}

void settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// Shows the window and writes what it draws.
bool save(QWidget *w, const QString &name) {
    w->show();
    settle();
    return savePicture(w->grab(), name);
}

// Lets the window manager place and draw what was just shown.
void waitMs(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The whole screen as the window manager shows it (frames included).
bool saveScreen(const QString &name) {
    waitMs(600);
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen && savePicture(screen->grabWindow(0), name);
}

// ---- the program's parts --------------------------------------------------------

// The main window at `size` with the model open.
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
VEKOutputView *runAndSelect(CVEKViewApp &shell, CVEKViewDoc *doc) {
    const QString bin = QCoreApplication::applicationDirPath();
    doc->document().programDirectory = (bin + "/").toStdString();
    if (!shell.runDocument(doc) || shell.outputDocuments().empty()) {
        std::fprintf(stderr, "vek_screenshots: the run gave no report (is vek in %s?)\n", qPrintable(bin));
        return nullptr;
    }
    auto *view = qobject_cast<VEKOutputView *>(shell.frameOf(shell.outputDocuments()[0])->view());
    if (!view) return nullptr;
    for (int i = 0; i < 2 && i < view->locationList()->count(); ++i)
        view->locationList()->item(i)->setSelected(true);
    for (int i = 0; i < 3 && i < view->yearList()->count(); ++i)
        view->yearList()->item(i)->setSelected(true);
    return view;
}

void deleteGraphs(VEKOutputView *view) {
    for (GraphView *g : view->graphs())
        delete g;
}

// ---- every window and dialog ------------------------------------------------------

void renderForms(CVEKViewDoc &doc, const QSize &size) {
    CVEKViewView view(&doc);
    view.resize(view.widget()->minimumSize());
    save(&view, "form_minimum");
    view.resize(size);
    save(&view, "form");

    PumpingRecordDialog pumping(&doc, 0);
    save(&pumping, "pumping_record");
    SynthesisMethodDialog method;
    save(&method, "method");
    AverageYearsDialog average(1990, 2000);
    save(&average, "average_years");
    GivenYearDialog given(1990, 2000);
    save(&given, "given_year");
    CycleDialog cycle(1990, 2000);
    save(&cycle, "cycle");
    DeleteItemsDialog del({"North", "South", "East"}, 1);
    save(&del, "delete");
    ImportOptionsDialog options;
    save(&options, "import_options");
    SoilMoistureDialog soil;
    save(&soil, "soil_moisture");
    doc.showProperties(&view);
    save(doc.propertiesDialog(), "properties");
    ResponseMethodDialog response(&doc, 0);
    save(&response, "response_method");
    ResponseTablesDialog tables(&doc);
    save(&tables, "response_tables");
}

void renderMainWindow(CVEKViewApp &shell, const QString &model, const QSize &size) {
    CMainFrame *frame = shell.mainFrame();
    CVEKViewDoc *doc = showForm(shell, size, model);
    if (!doc) return;
    save(frame, "main_window_model");
    if (QFileInfo(QCoreApplication::applicationDirPath() + "/vek").isExecutable()) {
        if (VEKOutputView *view = runAndSelect(shell, doc)) {
            save(frame, "main_window_report");
            view->plotButton()->click();
            const auto graphs = view->graphs();
            const char *names[] = {"graph_diversion", "graph_stream"};
            for (size_t g = 0; g < graphs.size() && g < 2; ++g) {
                graphs[g]->resize(size.width() * 6 / 7, size.height() * 3 / 5);
                save(graphs[g], names[g]);
            }
            deleteGraphs(view);
        }
    }
    AboutDialog about(frame);
    save(&about, "about_box");
}

// ---- the pictures of the user guide -------------------------------------------------

// The main window and each graph window where the program put it, in the
// order they opened, as one picture.
bool graphsPicture(CMainFrame *frame, VEKOutputView *view, const QString &name) {
    view->plotButton()->click();
    settle();
    const auto graphs = view->graphs();
    QRect screen = frame->frameGeometry();
    for (GraphView *g : graphs)
        screen |= g->frameGeometry();
    QPixmap picture(screen.size());
    picture.fill(Qt::darkGray);
    QPainter p(&picture);
    p.drawPixmap(frame->geometry().topLeft() - screen.topLeft(), frame->grab());
    for (GraphView *g : graphs) {
        const QPoint at = g->geometry().topLeft() - screen.topLeft();
        p.drawPixmap(at, g->grab());
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(QRect(at, g->size()).adjusted(0, 0, -1, -1));
    }
    p.end();
    const bool ok = graphs.size() >= 2 && savePicture(picture, name);
    deleteGraphs(view);
    return ok;
}

// The screen while a modal dialog that `open` starts is up, then the dialog
// closed.
bool modalScreen(const QString &name, const std::function<void()> &open) {
    bool ok = false;
    QTimer::singleShot(0, [&] {
        ok = saveScreen(name);
        if (QWidget *w = QApplication::activeModalWidget()) static_cast<QDialog *>(w)->reject();
    });
    open();
    return ok;
}

// The form on the left half of the screen, the Map window on the right with
// the first well selected and the points coloured by their share of the
// second reach.
bool mapBesideForm(CVEKViewApp &shell, CVEKViewDoc *doc) {
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

// The reaches' net impacts (the last entries of the report) plotted.
bool reachGraph(VEKOutputView *view, int reaches) {
    view->locationList()->clearSelection();
    const int n = view->locationList()->count();
    if (n < reaches) return false;
    for (int i = n - reaches; i < n; ++i)
        view->locationList()->item(i)->setSelected(true);
    view->showDiversionCheck()->setChecked(false);
    view->plotButton()->click();
    return true;
}

// On a real display with a window manager (tools/desktop_screenshots.sh):
// the screen as the user sees it.
bool desktopVariant(CVEKViewApp &shell, const QString &model, const QString &variant) {
    CMainFrame *frame = shell.mainFrame();
    frame->showMaximized();
    CVEKViewDoc *doc = showForm(shell, frame->size(), model);
    if (!doc) return false;
    if (variant == "desktop-dark") {
        doc->updateAllViews(ViewHint::Everything);
        return saveScreen(variant);
    }
    if (variant == "desktop-map") return mapBesideForm(shell, doc) && saveScreen(variant);
    if (variant == "desktop-form-print-preview") {
        auto *form = qobject_cast<CVEKViewView *>(shell.frameOf(doc)->view());
        return form && modalScreen(variant, [form] { form->printPreview(); });
    }
    VEKOutputView *view = runAndSelect(shell, doc);
    if (!view) return false;
    if (variant == "desktop-print-preview") return modalScreen(variant, [view] { view->OnPrintPreview(); });
    if (variant == "desktop-reaches")
        return reachGraph(view, static_cast<int>(doc->model().network.reaches.size())) && saveScreen(variant);
    // desktop-graphs-cascaded: both tables, then the stream table twice more;
    // the later windows cascade off the earlier ones.
    view->plotButton()->click();
    waitMs(400);
    view->showDiversionCheck()->setChecked(false);
    view->plotButton()->click();
    waitMs(400);
    view->plotButton()->click();
    const bool ok = saveScreen(variant);
    for (GraphView *g : view->graphs())
        std::printf("graph at %d,%d %dx%d\n", g->frameGeometry().x(), g->frameGeometry().y(),
                    g->frameGeometry().width(), g->frameGeometry().height());
    return ok;
}

bool renderVariant(CVEKViewApp &shell, const QString &model, const QString &variant) {
    CMainFrame *frame = shell.mainFrame();
    if (variant == "form-1024x700" || variant == "form-dark" || variant == "form-200pct")
        return showForm(shell, QSize(1024, 700), model) && savePicture(frame->grab(), variant);
    if (variant == "form-1920x1080")
        return showForm(shell, QSize(1920, 1080), model) && savePicture(frame->grab(), variant);
    if (variant == "graphs-cascaded" || variant == "graphs-dark") {
        CVEKViewDoc *doc = showForm(shell, QSize(1280, 860), model);
        VEKOutputView *view = doc ? runAndSelect(shell, doc) : nullptr;
        return view && graphsPicture(frame, view, variant);
    }
    if (variant == "desktop-dark" || variant == "desktop-graphs-cascaded" || variant == "desktop-print-preview" ||
        variant == "desktop-form-print-preview" || variant == "desktop-map" || variant == "desktop-reaches")
        return desktopVariant(shell, model, variant);
    std::fprintf(stderr, "vek_screenshots: unknown variant %s\n", qPrintable(variant));
    return false;
}

// ---- the program ---------------------------------------------------------------------

bool parse(const QStringList &args, Options &o) {
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--out" && hasValue) {
            o.out = args[++i];
        } else if (a == "--size" && hasValue) {
            const QStringList wh = args[++i].split('x');
            bool okW = false, okH = false;
            if (wh.size() == 2) o.size = QSize(wh[0].toInt(&okW), wh[1].toInt(&okH));
            if (!okW || !okH || o.size.width() < 100 || o.size.height() < 100) return false;
        } else if (a == "--dark") {
            o.dark = true;
        } else if (a == "--example" && hasValue) {
            o.example = args[++i];
        } else if (a == "--variant" && hasValue) {
            o.variant = args[++i];
            o.dark = o.variant.endsWith("-dark");
        } else {
            return false;
        }
    }
    return !o.out.isEmpty();
}

// Every window, or the one variant asked for, of a model copied to `model`.
bool render(const Options &o, const QString &model) {
    if (o.variant.isEmpty()) {
        SilentPrompter quiet;
        CVEKViewDoc doc(&quiet);
        if (!doc.open(model)) {
            std::fprintf(stderr, "vek_screenshots: cannot open %s\n", qPrintable(model));
            return false;
        }
        renderForms(doc, o.size);
    }
    YesPrompter prompter;
    CVEKViewApp shell;
    shell.documentPrompter = &prompter;
    shell.showMessage = [&](const QString &m) { prompter.message(m.toStdString()); };
    shell.askYesNoCancel = [](const QString &) { return Answer::No; };
    if (!shell.startUp({}, false)) return false;
    bool ok = true;
    if (o.variant.isEmpty())
        renderMainWindow(shell, model, o.size);
    else
        ok = renderVariant(shell, model, o.variant);
    for (CVEKViewDoc *d : shell.modelDocuments())
        d->setModified(false);
    shell.closeAllDocuments();
    return ok;
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QCoreApplication::setOrganizationName("VEKViewScreenshots");
    QCoreApplication::setApplicationName("vek_screenshots");
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QTemporaryDir scratch;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch.path() + "/settings");

    Options o;
    if (!parse(QCoreApplication::arguments(), o)) {
        std::fprintf(stderr, "usage: vek_screenshots --out DIR [--size WxH] [--dark] [--example FILE]\n"
                             "       vek_screenshots --out DIR --variant NAME [--example FILE]\n");
        return 2;
    }
    if (o.dark) {
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        QApplication::setPalette(darkPalette());
    }
    outDir = QDir(o.out).absolutePath();
    QDir().mkpath(outDir);
    QString example = o.example;
    if (example.isEmpty()) example = QCoreApplication::applicationDirPath() + "/../examples/river_valley.vek";
    // Work on a copy: a run writes beside the model.
    const QString model = scratch.path() + "/" + QFileInfo(example).fileName();
    if (!QFile::copy(example, model)) {
        std::fprintf(stderr, "vek_screenshots: cannot read %s\n", qPrintable(example));
        return 1;
    }
    const bool ok = render(o, model);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::printf("%d pictures in %s\n", written, qPrintable(outDir));
    return ok && written > 0 ? 0 : 1;
}
