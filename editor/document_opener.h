// DocumentOpener: the application's rules for opening files and for the
// three import commands. An earlier report window of the same report is
// closed first; the extension decides the document type (.out: engine
// output, anything else: model input, which imports any file but ".vek");
// a model input document then saves as a ".vek" beside the file it came
// from; the file dialogs' folder follows the file and the recent-file list
// takes it. The windows, messages and file dialogs belong to its host, so a
// test can drive the rules with a host of its own.
#pragma once

#include <QObject>
#include <QString>

namespace vek {

class CVEKViewDoc;
class DialogFolder;
class DocumentRegistry;
class RecentFiles;

// What opening and importing need of the application.
class DocumentHost {
  public:
    virtual ~DocumentHost() = default;
    virtual DocumentRegistry &registry() = 0;
    // A model input document, registered, without a window yet.
    virtual CVEKViewDoc *createModelDocument() = 0;
    // Gives a registered model input document its window.
    virtual void showModelDocument(CVEKViewDoc *doc) = 0;
    // File New: an empty model input document in its window.
    virtual CVEKViewDoc *newModelDocument() = 0;
    // Reads a report into an output document in its window.
    virtual QObject *openOutputDocument(const QString &absolutePath) = 0;
    // Closes a document (asking to save first when `prompt` is set).
    virtual bool closeDocument(QObject *doc, bool prompt) = 0;
    // Forgets a document that never got a window.
    virtual void discardDocument(QObject *doc) = 0;
    virtual void activateDocument(QObject *doc) = 0;
    virtual QObject *activeDocument() const = 0;
    // Ends a cell edit under way in the document's form.
    virtual void endCellEdit(CVEKViewDoc *doc) = 0;
    virtual void message(const QString &text) = 0;
    virtual void showStatus(const QString &text) = 0;
    // A file to open (empty: cancelled), the dialog starting in `folder`.
    virtual QString askOpenFile(const QString &title, const QString &filter, const QString &folder) = 0;
};

class DocumentOpener {
  public:
    DocumentOpener(DocumentHost &host, RecentFiles &recent, DialogFolder &folder)
        : host_(host), recent_(recent), folder_(folder) {}

    // Opens a file by the rules above. Returns the new (or already open)
    // document, nullptr on failure (the message has been shown).
    QObject *open(const QString &path);

    // Import From Wendra: into the active model input document when there is
    // one (a model with locations is replaced only when the user says so,
    // and only by an import that succeeds; the default is a new document),
    // otherwise as a new document.
    void importWendra();
    // Import Old VEK Format: a new document, then the file.
    void importOldFormat();
    // Import from Tab-delimited File: a new document, the import options,
    // then the file.
    void importTabDelimited();

  private:
    enum class ReplaceChoice { Replace, NewDocument, Cancel };
    // Asks before an import replaces a model with locations.
    ReplaceChoice askReplace(CVEKViewDoc *doc, const QString &path);
    void importWendraAsNewDocument(const QString &path);
    // The file a model input document came from: the document saves as a
    // ".vek" beside it, and the dialogs start in its folder.
    void adoptModelPath(CVEKViewDoc *doc, const QString &openedPath);
    void reportImport(CVEKViewDoc *doc, const QString &path);

    DocumentHost &host_;
    RecentFiles &recent_;
    DialogFolder &folder_;
};

} // namespace vek
