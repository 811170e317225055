// CVEKViewApp: the application object of VEKView. Creates the main window
// and the documents' windows, and puts together the parts that do the work:
// the open documents (DocumentRegistry), the opening rules and imports
// (DocumentOpener), the recent-file list (RecentFiles), the file dialogs'
// folder (DialogFolder) and Run (RunCommand). It closes documents with their
// save prompts. It never changes the process's working directory.
#pragma once

#include "common/prompter.h"
#include "editor/dialog_folder.h"
#include "editor/document_opener.h"
#include "editor/document_registry.h"
#include "editor/recent_files.h"
#include "vek_version.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace vek {

class CChildFrame;
class CMainFrame;
class CVEKOutputViewDoc;
class CVEKViewDoc;

class CVEKViewApp : public QObject, private DocumentHost {
    Q_OBJECT
  public:
    static constexpr const char *kVersion = VEK_VERSION;
    static constexpr int kMaxRecentFiles = RecentFiles::kMax;

    using DocType = DocumentRegistry::DocType;

    explicit CVEKViewApp(QObject *parent = nullptr);
    ~CVEKViewApp() override;

    // Creates the main window, takes the file dialogs' folder from the
    // settings and opens the file named on the command line (if any). args
    // excludes the program name. False when the main window could not be
    // made.
    bool startUp(const QStringList &args = {}, bool show = true);

    CMainFrame *mainFrame() const;

    // --- documents -------------------------------------------------------
    // File New: an empty model input document in its own window.
    CVEKViewDoc *newModelDocument() override;
    // Opens a file by the opening rules (see DocumentOpener). Returns the new
    // (or already open) document, nullptr on failure (message shown).
    QObject *openDocumentFile(const QString &path);
    // Commands of the File menu.
    void onFileNew() { newModelDocument(); }
    void onFileOpen();
    void onImportWendra() { opener_.importWendra(); }
    void onImportOldFormat() { opener_.importOldFormat(); }
    void onImportTabDelimited() { opener_.importTabDelimited(); }
    bool onFileSave();
    bool onFileSaveAs();
    void onFileClose();
    // Exit: closes every document with its save prompt; false when the user
    // cancelled (nothing closed after that point).
    bool closeAllDocuments();
    void onAppExit();
    // Run: the engine on the document's saved file; a good run opens its
    // report in a report window. False when nothing was opened.
    bool runDocument(CVEKViewDoc *doc);
    void onAppAbout();
    void onHelp(int context = 0);

    // Saves a model input document (Save As when it has no path yet).
    bool saveDocument(CVEKViewDoc *doc, bool askName = false);
    // The framework's save prompt for one document: true when it may go on
    // (saved, or the user answered No).
    bool saveModified(CVEKViewDoc *doc);
    // Closes a document and its window; with prompt, asks to save first.
    bool closeDocument(QObject *doc, bool prompt = true) override;

    // Every open document, in opening order.
    DocumentRegistry &registry() override { return registry_; }
    std::vector<QObject *> documents() const { return registry_.documents(); }
    std::vector<CVEKOutputViewDoc *> outputDocuments() const { return registry_.outputDocuments(); }
    std::vector<CVEKViewDoc *> modelDocuments() const { return registry_.modelDocuments(); }
    CChildFrame *frameOf(QObject *doc) const { return registry_.frameOf(doc); }
    QObject *activeDocument() const override;
    DocType typeOf(QObject *doc) const { return registry_.typeOf(doc); }

    // --- settings --------------------------------------------------------
    RecentFiles &recent() { return recent_; }
    QStringList recentFiles() const { return recent_.list(); }
    void addToRecentFiles(const QString &path) { recent_.add(path); }
    // The folder the file dialogs start in ("VEKView CWD").
    QString dialogFolder() const { return folder_.path(); }
    static QString defaultExamplesDirectory() { return DialogFolder::defaultExamplesDirectory(); }
    static QString programDirectory() { return DialogFolder::programDirectory(); }

    // --- hooks (tests replace these; the defaults show Qt dialogs) --------
    std::function<QString(const QString &title, const QString &filter)> chooseOpenFile;
    std::function<QString(const QString &title, const QString &filter, const QString &suggested)> chooseSaveFile;
    std::function<void(const QString &)> showMessage;
    std::function<Answer(const QString &)> askYesNoCancel;
    // Given to every model input document it creates (nullptr: Qt dialogs).
    Prompter *documentPrompter = nullptr;
    // Opens the help window at a topic (set by the program's main).
    std::function<void(int context)> openHelp;

    void message(const QString &text) override;

  signals:
    void documentsChanged();
    void recentFilesChanged();

  private:
    // DocumentHost
    CVEKViewDoc *createModelDocument() override;
    void showModelDocument(CVEKViewDoc *doc) override;
    QObject *openOutputDocument(const QString &absPath) override;
    void discardDocument(QObject *doc) override { removeEntry(doc); }
    void activateDocument(QObject *doc) override;
    void endCellEdit(CVEKViewDoc *doc) override;
    void showStatus(const QString &text) override;
    QString askOpenFile(const QString &title, const QString &filter, const QString &folder) override;

    QString chooseSaveName(const QString &suggested);
    // File name offered when a model input document is saved under a new name.
    QString suggestedSaveName(CVEKViewDoc *doc) const;
    void removeEntry(QObject *doc);

    QPointer<CMainFrame> mainFrame_;
    DocumentRegistry registry_;
    RecentFiles recent_;
    DialogFolder folder_;
    DocumentOpener opener_{*this, recent_, folder_};
    int untitledCount_ = 0;
};

} // namespace vek
