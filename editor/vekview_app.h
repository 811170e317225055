// CVEKViewApp: the application object of VEKView. Creates the main window,
// knows the two document types (model input .vek, engine output .out), opens
// files by the program's opening rules, runs the imports, keeps the recent
// file list and the working directory in the settings, and closes documents
// with their save prompts.
#pragma once

#include "model/prompter.h"

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

class CVEKViewApp : public QObject {
    Q_OBJECT
  public:
    static constexpr const char *kVersion = "1.2.8";
    static constexpr int kMaxRecentFiles = 4;

    enum class DocType { ModelInput, EngineOutput };

    explicit CVEKViewApp(QObject *parent = nullptr);
    ~CVEKViewApp() override;

    // Creates the main window, applies the settings' working directory and
    // opens the file named on the command line (if any). args excludes the
    // program name. False when the main window could not be made.
    bool startUp(const QStringList &args = {}, bool show = true);

    CMainFrame *mainFrame() const;

    // --- documents -------------------------------------------------------
    // File New: an empty model input document in its own window.
    CVEKViewDoc *newModelDocument();
    // Opens a file by the opening rules: an earlier report window of the same
    // report is closed first, then the document type follows the extension
    // (.out: engine output, anything else: model input); a model input
    // document then gets the ".vek" path beside the file. Returns the new
    // (or already open) document, nullptr on failure (message shown).
    QObject *openDocumentFile(const QString &path);
    // Commands of the File menu.
    void onFileNew() { newModelDocument(); }
    void onFileOpen();
    void onImportWendra();
    void onImportOldFormat();
    void onImportTabDelimited();
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
    bool closeDocument(QObject *doc, bool prompt = true);

    // Every open document, in opening order.
    std::vector<QObject *> documents() const;
    std::vector<CVEKOutputViewDoc *> outputDocuments() const;
    std::vector<CVEKViewDoc *> modelDocuments() const;
    CChildFrame *frameOf(QObject *doc) const;
    QObject *activeDocument() const;
    DocType typeOf(QObject *doc) const;

    // --- settings --------------------------------------------------------
    QStringList recentFiles() const;
    void addToRecentFiles(const QString &path);
    // Directory to start in when "VEKView CWD" is empty: the examples that
    // are installed with the program (<prefix>/share/vek/examples), or the
    // build tree's copy beside the program's folder.
    static QString defaultExamplesDirectory();
    // Folder that holds the running program.
    static QString programDirectory();
    void rememberWorkingDirectory();

    // --- hooks (tests replace these; the defaults show Qt dialogs) --------
    std::function<QString(const QString &title, const QString &filter)> chooseOpenFile;
    std::function<QString(const QString &title, const QString &filter, const QString &suggested)> chooseSaveFile;
    std::function<void(const QString &)> showMessage;
    std::function<Answer(const QString &)> askYesNoCancel;
    // Given to every model input document it creates (nullptr: Qt dialogs).
    Prompter *documentPrompter = nullptr;
    // Opens the help window at a topic (set by the program's main).
    std::function<void(int context)> openHelp;

    void message(const QString &text);

  signals:
    void documentsChanged();
    void recentFilesChanged();

  private:
    struct Entry {
        QObject *doc = nullptr;
        DocType type = DocType::ModelInput;
        QPointer<CChildFrame> frame;
    };

    CVEKViewDoc *createModelDocument();
    CChildFrame *showModelDocument(CVEKViewDoc *doc);
    QObject *openOutputDocument(const QString &absPath);
    void adoptModelPath(CVEKViewDoc *doc, const QString &openedPath);
    // File name offered when a model input document is saved under a new name.
    static QString suggestedSaveName(CVEKViewDoc *doc);
    void removeEntry(QObject *doc);
    void enterDocumentDirectory();
    Entry *entryOf(QObject *doc);
    const Entry *entryOf(QObject *doc) const;

    QPointer<CMainFrame> mainFrame_;
    std::vector<Entry> entries_;
    int untitledCount_ = 0;
};

} // namespace vek
