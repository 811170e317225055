// CVEKViewDoc: the desktop's model input document. Wraps the document core
// (vek::ModelDocument) and adds what a person sees of it: the window title,
// the dialogs that ask its questions, the views it refreshes (a Qt signal)
// and the modeless Properties dialog.
#pragma once

#include "editor/properties_dialog.h"
#include "model/document_ui.h"
#include "model/model_document.h"
#include "model/view_hint.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>

class QUndoStack;
class QWidget;

namespace vek {

class MapWindow;
class QtPrompter;
struct DocumentSnapshot;
namespace geo {
struct Resolution;
}

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

    Prompter *prompter() const { return &ui_.prompter(); }
    // Whom the document's operations ask and which views they refresh: pass
    // it to the operations of model/document_operations.h.
    DocumentUi &ui() { return ui_; }
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
    // The window title: the file's name once opened or saved, "<file name>
    // (read partly)" after a read that failed, its full path after a run.
    QString title() const { return title_; }
    void setTitle(const QString &title);

    // Reads a ".vek" file or imports any other file as a well output file
    // (see ModelDocument::open), then refreshes the views (Everything).
    bool open(const QString &path);
    bool save(const QString &path);
    // The file name an import gave the document (the ".vek" beside the file
    // imported), until the document is saved: not a name the user chose, so
    // a plain Save asks before it replaces a file of that name.
    QString importedName() const { return importedName_; }
    void setImportedName(const QString &path) { importedName_ = path; }
    // A model input file whose read failed (see ModelDocument::partlyReadFrom).
    bool isReadPartly() const { return doc_.isReadPartly(); }
    QString partlyReadFrom() const { return QString::fromStdString(doc_.partlyReadFrom()); }

    // Import From Wendra into this open document: the import runs on a copy
    // and replaces the model only when it succeeds (see
    // importWendraFileIntoOpenDocument); otherwise the document is as it was.
    bool importWendraFile(const QString &path);

    // Calls every view with the hint (see CVEKViewView::onUpdate).
    void updateAllViews(ViewHint hint);

    // --- undo and redo ---------------------------------------------------
    // Every change of the document is one step of its undo stack: what the
    // document holds between beginStep and the matching endStep is recorded
    // as the state before and after (snapshots that share the locations a
    // step did not touch). Nested steps join the outermost one; a step that
    // changed nothing is not recorded and leaves the modified mark as it was.
    // The modified mark follows the stack: undoing back to the saved state
    // clears it.
    QUndoStack *undoStack() const { return undo_; }
    void beginStep(const QString &text);
    void endStep();
    // beginStep now, endStep when the returned guard goes out of scope.
    class Step {
      public:
        explicit Step(CVEKViewDoc *doc) : doc_(doc) {}
        Step(const Step &) = delete;
        Step &operator=(const Step &) = delete;
        ~Step() {
            if (doc_) doc_->endStep();
        }

      private:
        CVEKViewDoc *doc_;
    };
    [[nodiscard]] Step step(const QString &text) {
        beginStep(text);
        return Step(this);
    }
    // Forgets the history: the document's content now is where undo stops
    // (it counts as saved unless the document is modified).
    void resetHistory();
    // Ends a cell edit under way (so it is a step of its own), then undoes or
    // redoes one step.
    void undo();
    void redo();
    // The history's limits: at most kUndoSteps steps, and the oldest steps
    // are dropped while the snapshots held exceed kUndoBytes.
    static constexpr int kUndoSteps = 100;
    static constexpr std::size_t kUndoBytes = std::size_t{64} << 20;
    // Bytes of document data the history's steps hold.
    std::size_t historyBytes() const;

    // Stream reaches: a step that changes what the shares follow from (the
    // reaches, a location's place, properties or rule, the locations
    // themselves) resolves every location's shares again before it ends, so
    // the shares always match the map. The troubles of the last resolution,
    // by location (0-based).
    const std::vector<std::pair<int, std::string>> &reachTroubles() const { return reachTroubles_; }
    // Resolves now, outside any step's own detection (within the caller's step).
    void resolveReachShares();
    // The troubles of the shares as they stand, the shares left untouched
    // (after undo, or for a model just opened).
    void refreshReachTroubles();

    // Properties (Units & Year Type): created on first use, shown at its last
    // position, its radios set from the document each time it is shown.
    void showProperties(QWidget *parent = nullptr);
    PropertiesDialog *propertiesDialog() const { return properties_; }

    // The Map window: created on first use, one per document, closed with it.
    MapWindow *showMap(QWidget *parent = nullptr);
    MapWindow *mapWindow() const;

  signals:
    // A view refill: what to refill.
    void viewsUpdated(ViewHint hint);
    void modifiedChanged(bool modified);
    void titleChanged(const QString &title);
    // Views end any cell edit under way, so it reaches the document before a
    // conversion, save or run.
    void endEditRequested();

  private:
    void noteModified();
    std::shared_ptr<const DocumentSnapshot> snapshotNow();
    void applySnapshot(const DocumentSnapshot &s);
    void trimHistory();
    friend class SnapshotCommand;

    // The document's DocumentUi: its prompter, and its views.
    class Ui : public DocumentUi {
      public:
        Ui(CVEKViewDoc *doc, Prompter &prompter) : DocumentUi(prompter), doc_(doc) {}
        void updateAllViews(ViewHint hint) override { doc_->updateAllViews(hint); }

      private:
        CVEKViewDoc *doc_;
    };

    std::unique_ptr<QtPrompter> ownPrompter_;
    mutable Ui ui_;
    ModelDocument doc_;
    QString title_;
    QPointer<PropertiesDialog> properties_;
    QPointer<MapWindow> map_;
    QPointer<QWidget> dialogParent_;
    bool lastModified_ = false;
    QString importedName_;
    std::vector<std::pair<int, std::string>> reachTroubles_;
    void noteReachTroubles(const geo::Resolution &r);

    QUndoStack *undo_ = nullptr;
    int stepDepth_ = 0;
    bool applying_ = false;   // an undo or redo is writing the document
    bool rebuilding_ = false; // trimHistory is refilling the stack
    QString stepText_;
    bool stepModifiedBefore_ = false;
    std::shared_ptr<const DocumentSnapshot> stepBefore_;
    std::shared_ptr<const DocumentSnapshot> current_; // last snapshot taken
    std::unique_ptr<MapInputs> stepMap_; // what the shares of the reaches followed from when the step began
};

} // namespace vek
