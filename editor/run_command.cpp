// Run on a model input document (see run_command.h).
#include "editor/run_command.h"

#include "editor/vekview_doc.h"
#include "model/engine_runner.h"

#include <QElapsedTimer>
#include <QFileInfo>

namespace vek {

bool RunCommand::run(CVEKViewDoc *doc) {
    status_.clear();
    ranSavedFile_ = false;
    if (!doc) return false;
    bool opened = false;
    QElapsedTimer clock;
    EngineRunHooks hooks;
    // Timed from the engine's start: the questions before it are not the run.
    hooks.engineStarting = [&clock] { clock.start(); };
    hooks.savedFileChosen = [this] { ranSavedFile_ = true; };
    hooks.openReport = [this, &opened, &clock](const std::string &path) {
        // Timed up to the engine's end: opening the report is not the run.
        const qint64 ms = clock.isValid() ? clock.elapsed() : 0;
        const QString report = QString::fromStdString(path);
        opened = openReport && openReport(report);
        status_ = QString("Run finished in %1 s; report %2").arg(QString::number(ms / 1000.0, 'f', 1), report);
        if (ranSavedFile_) status_ += "; from the saved file: the unsaved changes are not in these results";
    };
    hooks.askSavePath = [this, doc]() -> std::string {
        return askSavePath ? askSavePath(doc).toStdString() : std::string();
    };
    const QString pathBefore = doc->path();
    const bool modifiedBefore = doc->isModified();
    runEngine(doc->document(), *doc->prompter(), hooks);
    // The run may have saved the document: it is then titled with its file's
    // name, and a document the engine ran is titled with its full path.
    doc->setModified(doc->document().isModified());
    if (clock.isValid() && !doc->path().isEmpty())
        doc->setTitle(doc->path());
    else if (doc->path() != pathBefore || (modifiedBefore && !doc->isModified()))
        doc->setTitle(QFileInfo(doc->path()).fileName());
    if (!opened) status_.clear();
    return opened;
}

} // namespace vek
