// The smoke run: opening one file with no one there to answer.
#include "editor/smoke_run.h"

#include "common/prompter.h"
#include "editor/vekview_app.h"
#include "editor/vekview_doc.h"
#include "vek_version.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

namespace vek {

namespace {
// Counts and prints the document core's messages; every question is answered
// with the choice that changes nothing.
class StderrPrompter : public SilentPrompter {
  public:
    void message(const std::string &text) override {
        SilentPrompter::message(text);
        std::fprintf(stderr, "VEKView: %s\n", text.c_str());
    }
};
} // namespace

int runSmokeTest(CVEKViewApp &app, const QString &path) {
    QTemporaryDir settings;
    if (!settings.isValid()) {
        std::fprintf(stderr, "VEKView: no scratch folder for the settings\n");
        return 1;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());

    StderrPrompter prompter;
    int shown = 0;
    app.documentPrompter = &prompter;
    app.showMessage = [&shown](const QString &text) {
        ++shown;
        std::fprintf(stderr, "VEKView: %s\n", qPrintable(text));
    };
    app.askYesNoCancel = [](const QString &) { return Answer::No; };
    app.chooseOpenFile = [](const QString &, const QString &) { return QString(); };
    app.chooseSaveFile = [](const QString &, const QString &, const QString &) { return QString(); };

    if (!app.startUp({}, false)) {
        std::fprintf(stderr, "VEKView: the main window could not be made\n");
        return 1;
    }
    QObject *doc = app.openDocumentFile(path);
    QCoreApplication::processEvents();

    const bool clean = doc != nullptr && shown == 0 && prompter.messages == 0;
    if (doc != nullptr) {
        if (auto *model = qobject_cast<CVEKViewDoc *>(doc))
            std::printf("VEKView %s: opened model input %s (%zu locations)\n", VEK_VERSION, qPrintable(path),
                        model->document().model.locations.size());
        else
            std::printf("VEKView %s: opened report %s\n", VEK_VERSION, qPrintable(path));
    }
    if (!clean) std::fprintf(stderr, "VEKView: %s did not open cleanly\n", qPrintable(path));
    app.closeAllDocuments();
    QCoreApplication::processEvents();
    return clean ? 0 : 1;
}

} // namespace vek
