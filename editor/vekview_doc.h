// CVEKViewDoc: the desktop's model input document. Wraps the document core
// (vek::ModelDocument), turns its view updates into a Qt signal, lends its
// prompter to the core's questions and owns the modeless Properties dialog.
#pragma once

#include "editor/properties_dialog.h"
#include "model/engine_runner.h"
#include "model/model_document.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace vek {

class QtPrompter;

class CVEKViewDoc : public QObject {
    Q_OBJECT
  public:
    // Without a prompter the document answers its questions with Qt dialogs
    // (a QtPrompter of its own); tests pass a scripted one.
    explicit CVEKViewDoc(Prompter *prompter = nullptr, QObject *parent = nullptr);
    ~CVEKViewDoc() override;

    ModelDocument &document() { return doc_; }
    const ModelDocument &document() const { return doc_; }
    ModelInput &model() { return doc_.model; }
    const ModelInput &model() const { return doc_.model; }

    Prompter *prompter() const { return doc_.prompter(); }
    // Replaces the prompter (nullptr goes back to the Qt dialogs).
    void setPrompter(Prompter *prompter);
    // Parent window of the message boxes and choice dialogs shown for this
    // document (normally its form).
    void setDialogParent(QWidget *parent);

    bool isModified() const { return doc_.isModified(); }
    // Emits modifiedChanged when the flag changes.
    void setModified(bool modified = true);

    QString path() const;
    void setPath(const QString &path);
    QString title() const;
    void setTitle(const QString &title);

    // Reads a ".vek" file or imports any other file as a well output file
    // (see ModelDocument::open), then refreshes the views with hint 0.
    bool open(const QString &path);
    bool save(const QString &path);
    // A model input file whose read failed (see ModelDocument::partlyReadFrom).
    bool isReadPartly() const { return doc_.isReadPartly(); }
    QString partlyReadFrom() const { return QString::fromStdString(doc_.partlyReadFrom()); }

    // Import From Wendra into this open document: the import runs on a copy
    // and replaces the model only when it succeeds (see
    // importWendraFileIntoOpenDocument); otherwise the document is as it was.
    bool importWendraFile(const QString &path);

    // Calls every view with the hint (see CVEKViewView::onUpdate).
    void updateAllViews(int hint);

    // Properties (Units & Year Type): created on first use, shown at its last
    // position, its radios set from the document each time it is shown.
    void showProperties(QWidget *parent = nullptr);
    PropertiesDialog *propertiesDialog() const { return properties_; }

    // Run: saves and starts the engine; on success asks the application to
    // open the report through openDocumentRequested.
    RunResult runEngine();
    // Where a never-saved document asks for its file name before a run
    // (a save dialog when none is set); an empty answer cancels.
    void setSavePathProvider(std::function<QString()> provider);

  signals:
    // A view refill: hint 0..5.
    void viewsUpdated(int hint);
    void modifiedChanged(bool modified);
    void titleChanged(const QString &title);
    // The run produced a report the application should open (relative to the
    // current working directory while the signal is delivered).
    void openDocumentRequested(const QString &path);
    // The run needs the document saved: the application shows its save
    // prompt / file dialog. Handlers set *ok to false to stop the run.
    void saveRequested(bool *ok);
    // Views end any cell edit under way, so it reaches the document before a
    // conversion, save or run.
    void endEditRequested();

  private:
    void noteModified();

    std::unique_ptr<QtPrompter> ownPrompter_;
    ModelDocument doc_;
    QPointer<PropertiesDialog> properties_;
    QPointer<QWidget> dialogParent_;
    bool lastModified_ = false;
    std::function<QString()> savePathProvider_;
};

} // namespace vek
