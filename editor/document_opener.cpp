// Opening files and the import commands (see document_opener.h).
#include "editor/document_opener.h"

#include "common/prompter.h"
#include "editor/dialog_folder.h"
#include "editor/document_registry.h"
#include "editor/output_doc.h"
#include "editor/recent_files.h"
#include "editor/vekview_doc.h"
#include "model/document_operations.h"

#include <QDir>
#include <QFileInfo>

namespace vek {

namespace {

const char *const kImportTitle = "Choose a model data input file.";

bool hasSuffix(const QString &path, const char *suffix) {
    return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

QString locationCount(const CVEKViewDoc *doc) {
    const size_t n = doc->model().locations.size();
    return QString("%1 location%2").arg(n).arg(n == 1 ? "" : "s");
}

} // namespace

void DocumentOpener::adoptModelPath(CVEKViewDoc *doc, const QString &openedPath) {
    // Whatever file the document came from, it saves as a ".vek" beside it.
    const QFileInfo fi(openedPath);
    const QString vek = QDir(fi.absolutePath()).filePath(fi.completeBaseName() + ".vek");
    doc->setPath(vek);
    doc->setTitle(vek);
    folder_.follow(openedPath);
}

void DocumentOpener::reportImport(CVEKViewDoc *doc, const QString &path) {
    host_.showStatus(QString("Imported %1 from %2").arg(locationCount(doc), path));
}

QObject *DocumentOpener::open(const QString &path) {
    if (path.isEmpty()) return nullptr;
    const QString abs = cleanAbsolutePath(path);
    DocumentRegistry &docs = host_.registry();

    // One report window per report: an earlier window of the same file is
    // closed before the report is read again. The paths are compared whole,
    // so that "model.out" never closes the window of "other_model.out".
    if (CVEKOutputViewDoc *d = docs.outputDocumentFor(abs)) host_.closeDocument(d, false);

    if (!QFileInfo(abs).isFile()) {
        host_.message(QString("%1 was not found.").arg(path));
        recent_.remove(abs);
        return nullptr;
    }

    QObject *doc = nullptr;
    if (hasSuffix(abs, "out")) {
        doc = host_.openOutputDocument(abs);
        folder_.follow(abs);
    } else {
        // A model input document already open on this file is activated.
        if (CVEKViewDoc *d = docs.modelDocumentFor(abs)) {
            host_.activateDocument(d);
            return d;
        }
        CVEKViewDoc *m = host_.createModelDocument();
        if (!m->open(abs)) {
            // The reader or the import has told the user why.
            host_.discardDocument(m);
            return nullptr;
        }
        host_.showModelDocument(m);
        if (m->isReadPartly())
            folder_.follow(abs); // no path of its own: Save asks for one
        else
            adoptModelPath(m, abs);
        if (!hasSuffix(abs, "vek")) reportImport(m, abs);
        doc = m;
    }
    recent_.add(abs);
    return doc;
}

void DocumentOpener::importWendra() {
    const QString filter = "WendraModel well output files (*.owl);;All Files (*)";
    // With a model input document active, its wells are replaced in place,
    // once the user has agreed to lose the model it holds.
    if (auto *active = qobject_cast<CVEKViewDoc *>(host_.activeDocument())) {
        const QString p = host_.askOpenFile("Open", filter, folder_.path());
        if (p.isEmpty()) return;
        host_.endCellEdit(active);
        switch (askReplace(active, p)) {
        case ReplaceChoice::Replace:
            break;
        case ReplaceChoice::NewDocument:
            importWendraAsNewDocument(p);
            return;
        case ReplaceChoice::Cancel:
            return;
        }
        // Into a copy first: a failed or cancelled import leaves the model
        // (and records no step).
        auto step = active->step("Import From Wendra");
        const bool ok = active->importWendraFile(p);
        active->updateAllViews(ViewHint::Everything);
        if (ok) reportImport(active, p);
        return;
    }
    const QString p = host_.askOpenFile(kImportTitle, filter, folder_.path());
    if (!p.isEmpty()) importWendraAsNewDocument(p);
}

DocumentOpener::ReplaceChoice DocumentOpener::askReplace(CVEKViewDoc *doc, const QString &path) {
    const ModelInput &m = doc->model();
    if (m.locations.empty()) return ReplaceChoice::Replace; // nothing to lose
    const int years = m.historicalYears();
    const std::string question =
        doc->title().toStdString() + " holds " + locationCount(doc).toStdString() + " and " + std::to_string(years) +
        " historical year" + (years == 1 ? "" : "s") + ".  Importing " + path.toStdString() +
        " into it replaces all of them with the file's wells, under the model's own file name.  Import the wells "
        "into a new document instead?";
    Prompter *p = doc->prompter();
    const int answer = p ? p->choose(question, {"Replace the Model", "Import into a New Document", "Cancel"}, 1, 2) : 2;
    return answer == 0 ? ReplaceChoice::Replace : answer == 1 ? ReplaceChoice::NewDocument : ReplaceChoice::Cancel;
}

void DocumentOpener::importWendraAsNewDocument(const QString &p) {
    // Opened as a model input document: any file but ".vek" is imported.
    const QString abs = cleanAbsolutePath(p);
    if (!QFileInfo(abs).isFile()) {
        host_.message(QString("%1 was not found.").arg(p));
        return;
    }
    CVEKViewDoc *m = host_.createModelDocument();
    if (!m->open(abs)) {
        host_.discardDocument(m);
        return;
    }
    host_.showModelDocument(m);
    adoptModelPath(m, abs);
    recent_.add(abs);
    reportImport(m, abs);
}

void DocumentOpener::importOldFormat() {
    CVEKViewDoc *doc = host_.newModelDocument();
    const QString filter = "VEK input files (*.txt);;All Files (*)";
    const QString p = host_.askOpenFile(kImportTitle, filter, folder_.path());
    if (p.isEmpty()) return; // the empty document stays open
    auto step = doc->step("Import Old VEK Format");
    const bool ok = vek::importOldFormat(doc->document(), doc->ui(), p.toStdString());
    doc->setModified(true);
    if (ok) reportImport(doc, p);
}

void DocumentOpener::importTabDelimited() {
    CVEKViewDoc *doc = host_.newModelDocument();
    std::optional<std::pair<int, int>> options;
    if (Prompter *pr = doc->prompter()) options = pr->chooseImportOptions();
    if (!options) return;
    const QString filter = "Tab-delimited files (*.txt);;All Files (*)";
    const QString p = host_.askOpenFile("Open", filter, folder_.path());
    if (p.isEmpty()) return;
    auto step = doc->step("Import from Tab-delimited File");
    const bool ok =
        vek::importTabDelimited(doc->document(), doc->ui(), p.toStdString(), options->first, options->second);
    if (ok) reportImport(doc, p);
}

} // namespace vek
