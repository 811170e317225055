// Renders the program's windows into PNG files: the input form (with the
// bundled example, at its minimum size and at the size asked for), every
// dialog, the main window with the model and with a report, and both graphs.
//
//   vek_screenshots --out DIR [--size WxH] [--dark] [--example FILE]
//
// The scale factor comes from Qt itself (QT_SCALE_FACTOR=2 for 200%); see
// tools/screenshots.sh, which also picks the offscreen platform.
#include "editor/about_dialog.h"
#include "editor/child_frame.h"
#include "editor/choice_dialogs.h"
#include "editor/main_frame.h"
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
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QSettings>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

using namespace vek;

namespace {

// Saves before a run (the default of the run's question); everything else
// as the silent prompter does.
class YesPrompter : public SilentPrompter {
  public:
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
};

QString outDir;
int written = 0;

void save(QWidget *w, const QString &name) {
    w->show();
    QApplication::processEvents();
    const QString path = outDir + "/" + name + ".png";
    if (w->grab().save(path)) {
        ++written;
        std::printf("%s\n", qPrintable(path));
    } else {
        std::fprintf(stderr, "vek_screenshots: cannot write %s\n", qPrintable(path));
    }
}

void click(QWidget *w) {
    if (auto *b = qobject_cast<QAbstractButton *>(w)) b->click();
}

QPalette darkPalette() {
    QPalette p;
    const QColor window(45, 45, 48), base(30, 30, 30), text(220, 220, 220), highlight(38, 79, 120);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    return p;
}

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
        } else {
            return false;
        }
    }
    return !o.out.isEmpty();
}

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
    DeleteItemsDialog del({"North", "South", "East"});
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

void renderMainWindow(const QString &model, const QSize &size) {
    YesPrompter prompter;
    CVEKViewApp shell;
    shell.documentPrompter = &prompter;
    shell.showMessage = [](const QString &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m)); };
    shell.askYesNoCancel = [](const QString &) { return Answer::No; };
    if (!shell.startUp({}, false)) return;
    CMainFrame *frame = shell.mainFrame();
    frame->resize(size);
    frame->show();
    auto *doc = qobject_cast<CVEKViewDoc *>(shell.openDocumentFile(model));
    if (!doc) return;
    save(frame, "main_window_model");

    const QString bin = QCoreApplication::applicationDirPath();
    if (QFileInfo(bin + "/vek").isExecutable()) {
        doc->document().programDirectory = bin.toStdString() + "/";
        if (shell.runDocument(doc) && !shell.outputDocuments().empty()) {
            if (auto *view = qobject_cast<VEKOutputView *>(shell.frameOf(shell.outputDocuments()[0])->view())) {
                for (int i = 0; i < 2 && i < view->locationList()->count(); ++i)
                    view->locationList()->item(i)->setSelected(true);
                for (int i = 0; i < 3 && i < view->yearList()->count(); ++i)
                    view->yearList()->item(i)->setSelected(true);
                save(frame, "main_window_report");
                click(view->plotButton());
                const auto graphs = view->graphs();
                const char *names[] = {"graph_diversion", "graph_stream"};
                for (size_t g = 0; g < graphs.size() && g < 2; ++g) {
                    graphs[g]->resize(size.width() * 6 / 7, size.height() * 3 / 5);
                    save(graphs[g], names[g]);
                }
                for (GraphView *g : view->graphs())
                    delete g;
            }
        }
    }
    AboutDialog about(frame);
    save(&about, "about_box");
    doc->setModified(false);
    shell.closeAllDocuments();
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
        std::fprintf(stderr, "usage: vek_screenshots --out DIR [--size WxH] [--dark] [--example FILE]\n");
        return 2;
    }
    if (o.dark) {
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        QApplication::setPalette(darkPalette());
    }
    outDir = QDir(o.out).absolutePath();
    QDir().mkpath(outDir);
    if (o.example.isEmpty()) o.example = QCoreApplication::applicationDirPath() + "/../examples/river_valley.vek";
    // Work on a copy: a run writes beside the model.
    const QString model = scratch.path() + "/" + QFileInfo(o.example).fileName();
    if (!QFile::copy(o.example, model)) {
        std::fprintf(stderr, "vek_screenshots: cannot read %s\n", qPrintable(o.example));
        return 1;
    }
    {
        SilentPrompter prompter;
        CVEKViewDoc doc(&prompter);
        if (!doc.open(model)) {
            std::fprintf(stderr, "vek_screenshots: cannot open %s\n", qPrintable(model));
            return 1;
        }
        renderForms(doc, o.size);
    }
    renderMainWindow(model, o.size);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::printf("%d pictures in %s\n", written, qPrintable(outDir));
    return written > 0 ? 0 : 1;
}
