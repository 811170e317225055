// CVEKViewApp: application object, opening rules, imports, recent files and
// the remembered working directory.
#include "editor/vekview_app.h"

#include "editor/about_dialog.h"
#include "editor/child_frame.h"
#include "editor/main_frame.h"
#include "editor/output_doc.h"
#include "editor/qt_prompter.h"
#include "editor/vekview_doc.h"
#include "editor/vekview_view.h"
#include "model/document_operations.h"
#include "model/engine_runner.h"
#include "results/views/graph_view.h"
#include "results/views/vek_output_view.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>
#include <QSettings>
#include <QUndoGroup>

#include <algorithm>

namespace vek {

namespace {

const char *const kCwdKey = "VEKView/VEKView CWD";
const char *const kRecentGroup = "Recent File List";
const char *const kImportTitle = "Choose a model data input file.";

QString cleanAbsolute(const QString &path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

// A window shows its document's file name (a title that is a path keeps only
// its last part); "[*]" marks a modified document.
QString frameTitle(const QString &title, bool model) {
    const QString shown = title.contains('/') ? QFileInfo(title).fileName() : title;
    return model ? shown + QStringLiteral("[*]") : shown;
}

QString locationCount(const CVEKViewDoc *doc) {
    const size_t n = doc->model().locations.size();
    return QString("%1 location%2").arg(n).arg(n == 1 ? "" : "s");
}

} // namespace

CVEKViewApp::CVEKViewApp(QObject *parent) : QObject(parent) {}

CVEKViewApp::~CVEKViewApp() {
    // Documents left (the program ends without Exit) go without prompts.
    for (Entry &e : entries_) {
        if (e.frame) e.frame->canClose = nullptr;
        delete e.doc;
    }
    entries_.clear();
    delete mainFrame_;
    // Graph windows have no parent (they outlive their report's window), so
    // the program ends them itself. Their menus are top-level widgets too:
    // collect first, then delete.
    QList<QPointer<GraphView>> graphs;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *g = qobject_cast<GraphView *>(w)) graphs << g;
    for (const auto &g : graphs)
        delete g.data();
}

CMainFrame *CVEKViewApp::mainFrame() const { return mainFrame_.data(); }

void CVEKViewApp::message(const QString &text) {
    if (showMessage)
        showMessage(text);
    else
        QMessageBox::information(mainFrame_, "VEKView", text);
}

QString CVEKViewApp::programDirectory() {
    const QString dir = QCoreApplication::applicationDirPath();
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

QString CVEKViewApp::defaultExamplesDirectory() {
    const QDir bin(programDirectory());
    // Installed: <prefix>/bin/VEKView and <prefix>/share/vek/examples.
    // Build tree: <build>/bin/VEKView and <build>/examples (copied at build).
    for (const QString &rel : {QStringLiteral("../share/vek/examples"), QStringLiteral("../examples")}) {
        const QString p = QDir::cleanPath(bin.absoluteFilePath(rel));
        if (QFileInfo(p).isDir()) return p;
    }
    return QString();
}

bool CVEKViewApp::startUp(const QStringList &args, bool show) {
    mainFrame_ = new CMainFrame(this);
    mainFrame_->setWindowIcon(AboutDialog::programIcon());

    // A file named on the command line opens, then forgets its path: saving
    // it asks for a name, so the file given is never overwritten unasked.
    for (const QString &a : args) {
        if (a.startsWith('-')) continue;
        QObject *doc = openDocumentFile(a);
        if (auto *m = qobject_cast<CVEKViewDoc *>(doc)) {
            m->setPath(QString());
            if (!m->isReadPartly()) m->setTitle(QFileInfo(a).completeBaseName());
        }
        break;
    }

    if (show) mainFrame_->showMaximized();

    QSettings s;
    QString cwd = s.value(kCwdKey).toString();
    if (cwd.isEmpty()) cwd = defaultExamplesDirectory();
    if (!cwd.isEmpty()) QDir::setCurrent(cwd);
    return true;
}

// --- documents ---------------------------------------------------------------

CVEKViewApp::Entry *CVEKViewApp::entryOf(QObject *doc) {
    for (Entry &e : entries_)
        if (e.doc == doc) return &e;
    return nullptr;
}

const CVEKViewApp::Entry *CVEKViewApp::entryOf(QObject *doc) const {
    for (const Entry &e : entries_)
        if (e.doc == doc) return &e;
    return nullptr;
}

std::vector<QObject *> CVEKViewApp::documents() const {
    std::vector<QObject *> out;
    for (const Entry &e : entries_)
        out.push_back(e.doc);
    return out;
}

std::vector<CVEKOutputViewDoc *> CVEKViewApp::outputDocuments() const {
    std::vector<CVEKOutputViewDoc *> out;
    for (const Entry &e : entries_)
        if (e.type == DocType::EngineOutput) out.push_back(static_cast<CVEKOutputViewDoc *>(e.doc));
    return out;
}

std::vector<CVEKViewDoc *> CVEKViewApp::modelDocuments() const {
    std::vector<CVEKViewDoc *> out;
    for (const Entry &e : entries_)
        if (e.type == DocType::ModelInput) out.push_back(static_cast<CVEKViewDoc *>(e.doc));
    return out;
}

CChildFrame *CVEKViewApp::frameOf(QObject *doc) const {
    const Entry *e = entryOf(doc);
    return e ? e->frame.data() : nullptr;
}

CVEKViewApp::DocType CVEKViewApp::typeOf(QObject *doc) const {
    const Entry *e = entryOf(doc);
    if (e) return e->type;
    return qobject_cast<CVEKOutputViewDoc *>(doc) ? DocType::EngineOutput : DocType::ModelInput;
}

QObject *CVEKViewApp::activeDocument() const {
    CChildFrame *f = mainFrame_ ? mainFrame_->activeChild() : nullptr;
    return f ? f->document() : nullptr;
}

void CVEKViewApp::enterDocumentDirectory() {
    // A new model input document starts where the user last worked, or in
    // the examples when there is no such place yet.
    QSettings s;
    QString dir = s.value(kCwdKey).toString();
    if (dir.isEmpty()) dir = defaultExamplesDirectory();
    if (!dir.isEmpty()) QDir::setCurrent(dir);
}

void CVEKViewApp::rememberWorkingDirectory() {
    QSettings s;
    // Kept whole: a path cut short would send the next start to some other
    // folder, or to none.
    s.setValue(kCwdKey, QDir::currentPath());
}

CVEKViewDoc *CVEKViewApp::createModelDocument() {
    auto *doc = new CVEKViewDoc(documentPrompter, this);
    enterDocumentDirectory();
    entries_.push_back({doc, DocType::ModelInput, nullptr});
    return doc;
}

CChildFrame *CVEKViewApp::showModelDocument(CVEKViewDoc *doc) {
    auto *view = new CVEKViewView(doc, nullptr, documentPrompter);
    doc->setDialogParent(view);
    auto *frame = new CChildFrame(doc, view);
    frame->setWindowIcon(AboutDialog::programIcon());
    frame->setWindowTitle(frameTitle(doc->title(), true));
    frame->setWindowModified(doc->isModified());
    connect(doc, &CVEKViewDoc::titleChanged, frame, [this, frame](const QString &t) {
        frame->setWindowTitle(frameTitle(t, true));
        if (mainFrame_) mainFrame_->updateFrame();
    });
    connect(doc, &CVEKViewDoc::modifiedChanged, frame, [this, frame](bool m) {
        frame->setWindowModified(m);
        if (mainFrame_) mainFrame_->updateFrame();
    });
    mainFrame_->undoGroup()->addStack(doc->undoStack());
    connect(doc, &CVEKViewDoc::openDocumentRequested, this, [this](const QString &p) { openDocumentFile(p); });
    connect(doc, &CVEKViewDoc::saveRequested, this, [this, doc](bool *ok) {
        const bool go = saveModified(doc);
        if (ok) *ok = go;
    });
    frame->canClose = [this, doc] {
        if (!saveModified(doc)) return false;
        removeEntry(doc);
        return true;
    };
    if (Entry *e = entryOf(doc)) e->frame = frame;
    mainFrame_->addChild(frame);
    doc->updateAllViews(0);
    emit documentsChanged();
    return frame;
}

CVEKViewDoc *CVEKViewApp::newModelDocument() {
    CVEKViewDoc *doc = createModelDocument();
    doc->setTitle(QString("VEKVie%1").arg(++untitledCount_));
    doc->setModified(false);
    showModelDocument(doc);
    return doc;
}

QObject *CVEKViewApp::openOutputDocument(const QString &absPath) {
    auto *doc = new CVEKOutputViewDoc(this);
    QtPrompter qtPrompter(mainFrame_);
    Prompter &prompter = documentPrompter ? *documentPrompter : static_cast<Prompter &>(qtPrompter);
    entries_.push_back({doc, DocType::EngineOutput, nullptr});
    doc->open(absPath, prompter);

    auto *view = new VEKOutputView(&doc->results(), nullptr, documentPrompter);
    view->setDocumentTitle(doc->title());
    connect(doc, &CVEKOutputViewDoc::viewsUpdated, view, &VEKOutputView::onUpdate);
    connect(view, &VEKOutputView::documentChanged, doc, [doc] { doc->updateAllViews(); });
    connect(view, &VEKOutputView::helpRequested, this, [this](int ctx) { onHelp(ctx); });
    auto *frame = new CChildFrame(doc, view);
    frame->setWindowIcon(AboutDialog::programIcon());
    frame->setWindowTitle(frameTitle(doc->title(), false));
    connect(view, &VEKOutputView::statusMessage, this, [this](const QString &t) {
        if (mainFrame_) mainFrame_->showStatus(t);
    });
    connect(doc, &CVEKOutputViewDoc::titleChanged, frame, [frame, view](const QString &t) {
        frame->setWindowTitle(frameTitle(t, false));
        view->setDocumentTitle(t);
    });
    connect(view, &VEKOutputView::closeRequested, this, [this, doc] { closeDocument(doc, true); });
    frame->canClose = [this, doc] {
        removeEntry(doc);
        return true;
    };
    entryOf(doc)->frame = frame;
    mainFrame_->addChild(frame);
    emit documentsChanged();
    return doc;
}

QString CVEKViewApp::suggestedSaveName(CVEKViewDoc *doc) {
    // A partly read model is offered a new name beside its damaged file, so
    // that accepting the suggestion never replaces that file.
    if (doc->isReadPartly()) {
        const QFileInfo fi(doc->partlyReadFrom());
        return QDir(fi.absolutePath()).filePath(fi.completeBaseName() + " (read partly).vek");
    }
    QString suggested = doc->title();
    if (QFileInfo(suggested).suffix().isEmpty()) suggested += ".vek";
    return suggested;
}

void CVEKViewApp::adoptModelPath(CVEKViewDoc *doc, const QString &openedPath) {
    // Whatever file the document came from, it saves as a ".vek" beside it.
    const QFileInfo fi(openedPath);
    const QString vek = QDir(fi.absolutePath()).filePath(fi.completeBaseName() + ".vek");
    doc->setPath(vek);
    doc->setTitle(vek);
    QDir::setCurrent(fi.absolutePath());
}

QObject *CVEKViewApp::openDocumentFile(const QString &path) {
    if (path.isEmpty() || !mainFrame_) return nullptr;
    const QString abs = cleanAbsolute(path);

    // One report window per report: an earlier window of the same file is
    // closed before the report is read again. The paths are compared whole,
    // so that "model.out" never closes the window of "other_model.out".
    for (CVEKOutputViewDoc *d : outputDocuments())
        if (cleanAbsolute(d->path()) == abs) {
            closeDocument(d, false);
            break;
        }

    if (!QFileInfo(abs).isFile()) {
        message(QString("%1 was not found.").arg(path));
        removeFromRecentFiles(abs);
        return nullptr;
    }

    QObject *doc = nullptr;
    if (QFileInfo(abs).suffix().compare("out", Qt::CaseInsensitive) == 0) {
        doc = openOutputDocument(abs);
    } else {
        // A model input document already open on this file is activated.
        for (CVEKViewDoc *d : modelDocuments())
            if (!d->path().isEmpty() && cleanAbsolute(d->path()) == abs) {
                if (CChildFrame *f = frameOf(d)) mainFrame_->mdiArea()->setActiveSubWindow(f);
                return d;
            }
        CVEKViewDoc *m = createModelDocument();
        if (!m->open(abs)) {
            // The reader or the import has told the user why.
            removeEntry(m);
            return nullptr;
        }
        showModelDocument(m);
        if (m->isReadPartly())
            QDir::setCurrent(QFileInfo(abs).absolutePath()); // no path of its own: Save asks for one
        else
            adoptModelPath(m, abs);
        if (QFileInfo(abs).suffix().compare("vek", Qt::CaseInsensitive) != 0)
            mainFrame_->showStatus(QString("Imported %1 from %2").arg(locationCount(m), abs));
        doc = m;
    }
    addToRecentFiles(abs);
    return doc;
}

void CVEKViewApp::onFileOpen() {
    const QString title = "Open";
    const QString filter = "VEK Files (*.vek);;VEK Output Files (*.out);;All Files (*)";
    const QString p = chooseOpenFile ? chooseOpenFile(title, filter)
                                     : QFileDialog::getOpenFileName(mainFrame_, title, QDir::currentPath(), filter);
    if (!p.isEmpty()) openDocumentFile(p);
}

void CVEKViewApp::onImportWendra() {
    const QString filter = "WendraModel well output files (*.owl);;All Files (*)";
    // With a model input document active, its wells are replaced in place.
    if (auto *active = qobject_cast<CVEKViewDoc *>(activeDocument())) {
        const QString p = chooseOpenFile ? chooseOpenFile("Open", filter)
                                         : QFileDialog::getOpenFileName(mainFrame_, "Open", QString(), filter);
        if (p.isEmpty()) return;
        if (CChildFrame *f = frameOf(active))
            if (auto *v = qobject_cast<CVEKViewView *>(f->view())) v->endCellEdit();
        {
            // Into a copy first: a failed or cancelled import leaves the model
            // (and records no step).
            auto step = active->step("Import From Wendra");
            const bool ok = active->importWendraFile(p);
            active->updateAllViews(0);
            if (ok) mainFrame_->showStatus(QString("Imported %1 from %2").arg(locationCount(active), p));
        }
        return;
    }
    const QString p = chooseOpenFile ? chooseOpenFile(kImportTitle, filter)
                                     : QFileDialog::getOpenFileName(mainFrame_, kImportTitle, QString(), filter);
    if (p.isEmpty()) return;
    // Opened as a model input document: any file but ".vek" is imported.
    const QString abs = cleanAbsolute(p);
    if (!QFileInfo(abs).isFile()) {
        message(QString("%1 was not found.").arg(p));
        return;
    }
    CVEKViewDoc *m = createModelDocument();
    if (!m->open(abs)) {
        removeEntry(m);
        return;
    }
    showModelDocument(m);
    adoptModelPath(m, abs);
    addToRecentFiles(abs);
    mainFrame_->showStatus(QString("Imported %1 from %2").arg(locationCount(m), abs));
}

void CVEKViewApp::onImportOldFormat() {
    CVEKViewDoc *doc = newModelDocument();
    const QString filter = "VEK input files (*.txt);;All Files (*)";
    const QString p = chooseOpenFile ? chooseOpenFile(kImportTitle, filter)
                                     : QFileDialog::getOpenFileName(mainFrame_, kImportTitle, QString(), filter);
    if (p.isEmpty()) return; // the empty document stays open
    auto step = doc->step("Import Old VEK Format");
    const bool ok = importOldFormat(doc->document(), p.toStdString());
    doc->setModified(true);
    doc->updateAllViews(1);
    if (ok) mainFrame_->showStatus(QString("Imported %1 from %2").arg(locationCount(doc), p));
}

void CVEKViewApp::onImportTabDelimited() {
    CVEKViewDoc *doc = newModelDocument();
    std::optional<std::pair<int, int>> options;
    if (Prompter *pr = doc->prompter()) options = pr->chooseImportOptions();
    if (!options) return;
    const QString filter = "Tab-delimited files (*.txt);;All Files (*)";
    const QString p = chooseOpenFile ? chooseOpenFile("Open", filter)
                                     : QFileDialog::getOpenFileName(mainFrame_, "Open", QString(), filter);
    if (p.isEmpty()) return;
    auto step = doc->step("Import from Tab-delimited File");
    const bool ok = importTabDelimited(doc->document(), p.toStdString(), options->first, options->second);
    doc->updateAllViews(0);
    if (ok) mainFrame_->showStatus(QString("Imported %1 from %2").arg(locationCount(doc), p));
}

bool CVEKViewApp::saveModified(CVEKViewDoc *doc) {
    if (!doc) return true;
    if (CChildFrame *f = frameOf(doc))
        if (auto *v = qobject_cast<CVEKViewView *>(f->view())) v->endCellEdit();
    if (!doc->isModified()) return true;
    const QString name = doc->path().isEmpty() ? doc->title() : doc->path();
    const QString q = QString("Save changes to %1?").arg(name);
    Answer a;
    if (askYesNoCancel) {
        a = askYesNoCancel(q);
    } else {
        const auto b =
            QMessageBox::question(mainFrame_, "VEKView", q, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        a = b == QMessageBox::Yes ? Answer::Yes : b == QMessageBox::No ? Answer::No : Answer::Cancel;
    }
    if (a == Answer::Yes) return saveDocument(doc);
    return a == Answer::No;
}

bool CVEKViewApp::saveDocument(CVEKViewDoc *doc, bool askName) {
    if (!doc) return false;
    if (CChildFrame *f = frameOf(doc))
        if (auto *v = qobject_cast<CVEKViewView *>(f->view())) v->endCellEdit();
    QString path = doc->path();
    if (askName || path.isEmpty()) {
        const QString suggested = path.isEmpty() ? suggestedSaveName(doc) : path;
        const QString filter = "VEK Files (*.vek);;All Files (*)";
        path = chooseSaveFile ? chooseSaveFile("Save As", filter, suggested)
                              : QFileDialog::getSaveFileName(mainFrame_, "Save As", suggested, filter);
        if (path.isEmpty()) return false;
        if (QFileInfo(path).suffix().isEmpty()) path += ".vek";
    }
    // The writer has shown why, or the user kept a damaged file it was read
    // from; either way the old file is whole.
    if (!doc->save(path)) return false;
    doc->setModified(false);
    addToRecentFiles(doc->path().isEmpty() ? path : doc->path());
    if (CChildFrame *f = frameOf(doc)) f->setWindowTitle(frameTitle(doc->title(), true));
    if (mainFrame_) {
        mainFrame_->updateFrame();
        mainFrame_->showStatus(QString("Saved %1").arg(doc->path().isEmpty() ? path : doc->path()));
    }
    return true;
}

bool CVEKViewApp::onFileSave() {
    auto *doc = qobject_cast<CVEKViewDoc *>(activeDocument());
    return doc && saveDocument(doc);
}

bool CVEKViewApp::onFileSaveAs() {
    auto *doc = qobject_cast<CVEKViewDoc *>(activeDocument());
    return doc && saveDocument(doc, true);
}

void CVEKViewApp::onFileClose() {
    if (QObject *doc = activeDocument()) closeDocument(doc, true);
}

void CVEKViewApp::removeEntry(QObject *doc) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [doc](const Entry &e) { return e.doc == doc; });
    if (it == entries_.end()) return;
    const bool model = it->type == DocType::ModelInput;
    QPointer<CChildFrame> frame = it->frame;
    entries_.erase(it);
    // A closed model input document leaves its working directory for the
    // next start of the program.
    if (model) rememberWorkingDirectory();
    // The view may still look at its document while its window goes away.
    if (frame)
        connect(frame, &QObject::destroyed, doc, &QObject::deleteLater);
    else
        doc->deleteLater();
    emit documentsChanged();
}

bool CVEKViewApp::closeDocument(QObject *doc, bool prompt) {
    Entry *e = entryOf(doc);
    if (!e) return false;
    if (prompt && e->type == DocType::ModelInput && !saveModified(static_cast<CVEKViewDoc *>(doc))) return false;
    QPointer<CChildFrame> frame = e->frame;
    removeEntry(doc);
    if (frame) frame->forceClose();
    return true;
}

bool CVEKViewApp::closeAllDocuments() {
    // Newest first, as the windows are stacked.
    while (!entries_.empty()) {
        QObject *doc = entries_.back().doc;
        if (!closeDocument(doc, true)) return false;
    }
    return true;
}

void CVEKViewApp::onAppExit() {
    if (mainFrame_) mainFrame_->close();
}

bool CVEKViewApp::runDocument(CVEKViewDoc *doc) {
    if (!doc) return false;
    if (CChildFrame *f = frameOf(doc))
        if (auto *v = qobject_cast<CVEKViewView *>(f->view())) v->endCellEdit();
    bool opened = false;
    QString report;
    QElapsedTimer clock;
    EngineRunHooks hooks;
    hooks.openReport = [this, &opened, &report, &clock](const std::string &name) {
        // Timed up to the engine's end: opening the report is not the run.
        const qint64 ms = clock.elapsed();
        report = cleanAbsolute(QString::fromStdString(name));
        opened = openDocumentFile(QString::fromStdString(name)) != nullptr;
        report = QString("Run finished in %1 s; report %2").arg(QString::number(ms / 1000.0, 'f', 1), report);
    };
    hooks.askSavePath = [this, doc]() -> std::string {
        const QString filter = "VEK Files (*.vek);;All Files (*)";
        const QString suggested = suggestedSaveName(doc);
        QString p = chooseSaveFile ? chooseSaveFile("Save As", filter, suggested)
                                   : QFileDialog::getSaveFileName(mainFrame_, "Save As", suggested, filter);
        if (!p.isEmpty() && QFileInfo(p).suffix().isEmpty()) p += ".vek";
        return p.toStdString();
    };
    clock.start();
    runEngine(doc->document(), hooks);
    // The run may have saved the document and retitled it with its path.
    doc->setModified(doc->document().isModified());
    const QString title = QString::fromStdString(doc->document().title());
    doc->setTitle(title);
    if (CChildFrame *f = frameOf(doc)) f->setWindowTitle(frameTitle(title, true));
    if (!doc->path().isEmpty()) addToRecentFiles(doc->path());
    if (mainFrame_) {
        mainFrame_->updateFrame();
        if (opened) mainFrame_->showStatus(report);
    }
    return opened;
}

void CVEKViewApp::onAppAbout() {
    AboutDialog dlg(mainFrame_);
    dlg.exec();
}

void CVEKViewApp::onHelp(int context) {
    if (openHelp) openHelp(context);
}

// --- recent files ----------------------------------------------------------------

QStringList CVEKViewApp::recentFiles() const {
    QSettings s;
    QStringList out;
    s.beginGroup(kRecentGroup);
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        const QString p = s.value(QString("File%1").arg(i)).toString();
        if (!p.isEmpty()) out << p;
    }
    s.endGroup();
    return out;
}

void CVEKViewApp::removeFromRecentFiles(const QString &path) {
    QStringList list = recentFiles();
    if (list.removeAll(cleanAbsolute(path)) == 0) return;
    writeRecentFiles(list);
}

void CVEKViewApp::writeRecentFiles(const QStringList &list) {
    QSettings s;
    s.beginGroup(kRecentGroup);
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        if (i <= list.size())
            s.setValue(QString("File%1").arg(i), list[i - 1]);
        else
            s.remove(QString("File%1").arg(i));
    }
    s.endGroup();
    emit recentFilesChanged();
}

void CVEKViewApp::addToRecentFiles(const QString &path) {
    if (path.isEmpty()) return;
    const QString abs = cleanAbsolute(path);
    QStringList list = recentFiles();
    list.removeAll(abs);
    list.prepend(abs);
    while (list.size() > kMaxRecentFiles)
        list.removeLast();
    writeRecentFiles(list);
}

} // namespace vek
