// CVEKViewApp: application object, documents' windows, save and close.
#include "editor/vekview_app.h"

#include "editor/about_dialog.h"
#include "editor/child_frame.h"
#include "editor/color_scheme.h"
#include "editor/main_frame.h"
#include "editor/output_doc.h"
#include "editor/qt_prompter.h"
#include "editor/run_command.h"
#include "editor/vekview_doc.h"
#include "editor/vekview_view.h"
#include "viewer/graph_view.h"
#include "viewer/vek_output_view.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>
#include <QUndoGroup>

namespace vek {

namespace {

// A window shows its document's file name (a title that is a path keeps only
// its last part); "[*]" marks a modified document.
QString frameTitle(const QString &title, bool model) {
    const QString shown = title.contains('/') ? QFileInfo(title).fileName() : title;
    return model ? shown + QStringLiteral("[*]") : shown;
}

} // namespace

CVEKViewApp::CVEKViewApp(QObject *parent) : QObject(parent) {
    connect(&registry_, &DocumentRegistry::changed, this, &CVEKViewApp::documentsChanged);
    connect(&recent_, &RecentFiles::changed, this, &CVEKViewApp::recentFilesChanged);
}

CVEKViewApp::~CVEKViewApp() {
    // Documents left (the program ends without Exit) go without prompts.
    for (QObject *doc : registry_.documents()) {
        if (CChildFrame *f = registry_.frameOf(doc)) f->canClose = nullptr;
        registry_.remove(doc);
        delete doc;
    }
    delete mainFrame_;
    // Graph windows have no parent (they are windows of their own beside
    // their report's), so the program ends any left. Their menus are
    // top-level widgets too: collect first, then delete.
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

void CVEKViewApp::showStatus(const QString &text) {
    if (mainFrame_) mainFrame_->showStatus(text);
}

bool CVEKViewApp::startUp(const QStringList &args, bool show) {
    applyColorScheme(storedColorScheme());
    mainFrame_ = new CMainFrame(this);
    mainFrame_->setWindowIcon(AboutDialog::programIcon());
    folder_.restore();

    // A file named on the command line (relative to the folder the program
    // was started in) opens exactly as File Open opens it: with its own path,
    // so its title, Save and Run are those of the file.
    for (const QString &a : args) {
        if (a.startsWith('-')) continue;
        openDocumentFile(a);
        break;
    }

    if (show) mainFrame_->showMaximized();
    return true;
}

// --- documents ---------------------------------------------------------------

QObject *CVEKViewApp::activeDocument() const {
    CChildFrame *f = mainFrame_ ? mainFrame_->activeChild() : nullptr;
    return f ? f->document() : nullptr;
}

void CVEKViewApp::activateDocument(QObject *doc) {
    if (CChildFrame *f = registry_.frameOf(doc)) mainFrame_->mdiArea()->setActiveSubWindow(f);
}

void CVEKViewApp::endCellEdit(CVEKViewDoc *doc) {
    if (CChildFrame *f = registry_.frameOf(doc))
        if (auto *v = qobject_cast<CVEKViewView *>(f->view())) v->endCellEdit();
}

CVEKViewDoc *CVEKViewApp::createModelDocument() {
    auto *doc = new CVEKViewDoc(documentPrompter, this);
    // The dialogs stay where the user last worked.
    registry_.add(doc, DocType::ModelInput);
    return doc;
}

void CVEKViewApp::showModelDocument(CVEKViewDoc *doc) {
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
    frame->canClose = [this, doc] {
        if (!saveModified(doc)) return false;
        removeEntry(doc);
        return true;
    };
    registry_.setFrame(doc, frame);
    mainFrame_->addChild(frame);
    doc->updateAllViews(ViewHint::Everything);
    emit documentsChanged();
}

CVEKViewDoc *CVEKViewApp::newModelDocument() {
    CVEKViewDoc *doc = createModelDocument();
    doc->setTitle(QString("Untitled %1").arg(++untitledCount_));
    doc->setModified(false);
    showModelDocument(doc);
    return doc;
}

QObject *CVEKViewApp::openOutputDocument(const QString &absPath) {
    auto *doc = new CVEKOutputViewDoc(this);
    QtPrompter qtPrompter(mainFrame_);
    Prompter &prompter = documentPrompter ? *documentPrompter : static_cast<Prompter &>(qtPrompter);
    registry_.add(doc, DocType::EngineOutput);
    doc->open(absPath, prompter);

    auto *view = new VEKOutputView(&doc->results(), nullptr, documentPrompter);
    view->setDocumentTitle(doc->title());
    connect(doc, &CVEKOutputViewDoc::viewsUpdated, view, &VEKOutputView::onUpdate);
    connect(view, &VEKOutputView::documentChanged, doc, [doc] { doc->updateAllViews(); });
    connect(view, &VEKOutputView::helpRequested, this, [this](int ctx) { onHelp(ctx); });
    auto *frame = new CChildFrame(doc, view);
    frame->setWindowIcon(AboutDialog::programIcon());
    frame->setWindowTitle(frameTitle(doc->title(), false));
    connect(view, &VEKOutputView::statusMessage, this, [this](const QString &t) { showStatus(t); });
    connect(doc, &CVEKOutputViewDoc::titleChanged, frame, [frame, view](const QString &t) {
        frame->setWindowTitle(frameTitle(t, false));
        view->setDocumentTitle(t);
    });
    connect(view, &VEKOutputView::closeRequested, this, [this, doc] { closeDocument(doc, true); });
    frame->canClose = [this, doc] {
        removeEntry(doc);
        return true;
    };
    registry_.setFrame(doc, frame);
    mainFrame_->addChild(frame);
    emit documentsChanged();
    return doc;
}

QString CVEKViewApp::suggestedSaveName(CVEKViewDoc *doc) const {
    // A partly read model is offered a new name beside its damaged file, so
    // that accepting the suggestion never replaces that file.
    if (doc->isReadPartly()) {
        const QFileInfo fi(doc->partlyReadFrom());
        return QDir(fi.absolutePath()).filePath(fi.completeBaseName() + " (read partly).vek");
    }
    QString suggested = doc->title();
    if (QFileInfo(suggested).suffix().isEmpty()) suggested += ".vek";
    // A bare name is offered in the dialogs' folder.
    if (QFileInfo(suggested).isRelative() && !folder_.path().isEmpty())
        suggested = QDir(folder_.path()).filePath(suggested);
    return suggested;
}

QObject *CVEKViewApp::openDocumentFile(const QString &path) {
    if (!mainFrame_) return nullptr;
    return opener_.open(path);
}

QString CVEKViewApp::askOpenFile(const QString &title, const QString &filter, const QString &folder) {
    if (chooseOpenFile) return chooseOpenFile(title, filter);
    return QFileDialog::getOpenFileName(mainFrame_, title, folder, filter);
}

void CVEKViewApp::onFileOpen() {
    const QString p = askOpenFile("Open", "VEK Files (*.vek);;VEK Output Files (*.out);;All Files (*)", folder_.path());
    if (!p.isEmpty()) openDocumentFile(p);
}

bool CVEKViewApp::saveModified(CVEKViewDoc *doc) {
    if (!doc) return true;
    endCellEdit(doc);
    if (!doc->isModified()) return true;
    const QString name = doc->path().isEmpty() ? doc->title() : doc->path();
    const QString q = QString("Save changes to %1?").arg(name);
    Answer a;
    if (askYesNoCancel) {
        a = askYesNoCancel(q);
    } else {
        // Saving a partly read model would write it without what could not
        // be read: Enter takes No there.
        const auto def = doc->isReadPartly() ? QMessageBox::No : QMessageBox::Yes;
        const auto b = QMessageBox::question(mainFrame_, "VEKView", q,
                                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, def);
        a = b == QMessageBox::Yes ? Answer::Yes : b == QMessageBox::No ? Answer::No : Answer::Cancel;
    }
    if (a == Answer::Yes) return saveDocument(doc);
    return a == Answer::No;
}

QString CVEKViewApp::chooseSaveName(const QString &suggested) {
    const QString filter = "VEK Files (*.vek);;All Files (*)";
    QString path = chooseSaveFile ? chooseSaveFile("Save As", filter, suggested)
                                  : QFileDialog::getSaveFileName(mainFrame_, "Save As", suggested, filter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += ".vek";
    return path;
}

bool CVEKViewApp::saveDocument(CVEKViewDoc *doc, bool askName) {
    if (!doc) return false;
    endCellEdit(doc);
    QString path = doc->path();
    if (!askName && !path.isEmpty() && path == doc->importedName() && QFileInfo::exists(path)) {
        // The name came with an import, and a file of that name is there
        // already: it is replaced only when the user says so.
        const std::string question = path.toStdString() +
                                     " already exists.  This model was imported from another file; replace the "
                                     "existing file with it, or save it under another name?";
        Prompter *p = doc->prompter();
        const int answer = p ? p->choose(question, {"Replace It", "Save As...", "Cancel"}, 1, 2) : 2;
        if (answer == 2) return false;
        askName = answer == 1;
    }
    if (askName || path.isEmpty()) {
        path = chooseSaveName(path.isEmpty() ? suggestedSaveName(doc) : path);
        if (path.isEmpty()) return false;
    }
    // The writer has shown why, or the user kept a damaged file it was read
    // from; either way the old file is whole.
    if (!doc->save(path)) return false;
    doc->setModified(false);
    recent_.add(doc->path().isEmpty() ? path : doc->path());
    folder_.follow(doc->path().isEmpty() ? path : doc->path());
    if (CChildFrame *f = registry_.frameOf(doc)) f->setWindowTitle(frameTitle(doc->title(), true));
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
    if (!registry_.contains(doc)) return;
    const bool model = registry_.typeOf(doc) == DocType::ModelInput;
    QPointer<CChildFrame> frame = registry_.remove(doc);
    // A closed model input document leaves the dialogs' folder for the next
    // start of the program.
    if (model) folder_.remember();
    // The view may still look at its document while its window goes away.
    if (frame)
        connect(frame, &QObject::destroyed, doc, &QObject::deleteLater);
    else
        doc->deleteLater();
}

bool CVEKViewApp::closeDocument(QObject *doc, bool prompt) {
    if (!registry_.contains(doc)) return false;
    if (prompt && registry_.typeOf(doc) == DocType::ModelInput && !saveModified(static_cast<CVEKViewDoc *>(doc)))
        return false;
    QPointer<CChildFrame> frame = registry_.frameOf(doc);
    removeEntry(doc);
    if (frame) frame->forceClose();
    return true;
}

bool CVEKViewApp::closeAllDocuments() {
    // Newest first, as the windows are stacked.
    while (!registry_.empty())
        if (!closeDocument(registry_.newest(), true)) return false;
    return true;
}

void CVEKViewApp::onAppExit() {
    if (mainFrame_) mainFrame_->close();
}

bool CVEKViewApp::runDocument(CVEKViewDoc *doc) {
    if (!doc) return false;
    endCellEdit(doc);
    RunCommand run;
    run.openReport = [this, &run](const QString &report) {
        QObject *out = openDocumentFile(report);
        // Results of the saved file, not of the form: the window says so.
        if (CChildFrame *f = out && run.ranSavedFile() ? registry_.frameOf(out) : nullptr)
            f->setWindowTitle(f->windowTitle() + QStringLiteral(" (saved file: unsaved changes not included)"));
        return out != nullptr;
    };
    run.askSavePath = [this](CVEKViewDoc *d) { return chooseSaveName(suggestedSaveName(d)); };
    const bool opened = run.run(doc);
    if (CChildFrame *f = registry_.frameOf(doc)) f->setWindowTitle(frameTitle(doc->title(), true));
    if (!doc->path().isEmpty()) recent_.add(doc->path());
    if (mainFrame_) {
        mainFrame_->updateFrame();
        if (opened) mainFrame_->showStatus(run.status());
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

} // namespace vek
