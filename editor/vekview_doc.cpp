// The desktop's model input document (see vekview_doc.h).
#include "editor/vekview_doc.h"

#include "common/utf8_path.h"
#include "editor/map_window.h"
#include "editor/properties_dialog.h"
#include "editor/qt_prompter.h"
#include "geo/reach_resolution.h"
#include "model/document_operations.h"

#include <QUndoStack>
#include <QWidget>

#include <set>

namespace vek {

// One state of the document for the undo stack. Locations are shared with
// the snapshot taken before wherever they did not change, so a step that
// edits one cell holds one location, not the whole document.
struct DocumentSnapshot {
    ModelInput header; // everything but the locations
    std::vector<std::shared_ptr<const Location>> locations;
    bool historicalDataChanged = false;
    std::size_t ownBytes = 0; // bytes first held by this snapshot
};

// An undo step: the document's state before and after it.
class SnapshotCommand : public QUndoCommand {
  public:
    SnapshotCommand(CVEKViewDoc *doc, const QString &text, std::shared_ptr<const DocumentSnapshot> before,
                    std::shared_ptr<const DocumentSnapshot> after)
        : QUndoCommand(text), doc_(doc), before_(std::move(before)), after_(std::move(after)) {}
    void undo() override { doc_->applySnapshot(*before_); }
    void redo() override {
        // Pushed after the change was made: the first redo has nothing to do.
        if (pushed_) {
            pushed_ = false;
            return;
        }
        doc_->applySnapshot(*after_);
    }

    CVEKViewDoc *doc_;
    std::shared_ptr<const DocumentSnapshot> before_, after_;
    bool pushed_ = true;
};

namespace {

std::size_t locationBytes(const Location &l) {
    std::size_t n = sizeof(Location) + l.name.capacity();
    for (const MonthColumns *t : {&l.historicalData, &l.synthesizedData, &l.pumpingFlow, &l.daysOn})
        for (const auto &c : *t)
            n += c.capacity() * sizeof(float);
    return n;
}

// The model without its locations (which are moved aside, not copied).
ModelInput headerOf(ModelInput &m) {
    std::vector<Location> locations;
    locations.swap(m.locations);
    ModelInput header = m;
    m.locations.swap(locations);
    return header;
}

// Bytes held by the distinct snapshots of the stack's steps from `first` on.
std::size_t snapshotBytes(const QUndoStack *stack, int first = 0) {
    std::set<const DocumentSnapshot *> seen;
    std::size_t total = 0;
    for (int i = first; i < stack->count(); ++i) {
        const auto *c = static_cast<const SnapshotCommand *>(stack->command(i));
        for (const DocumentSnapshot *s : {c->before_.get(), c->after_.get()})
            if (seen.insert(s).second) total += s->ownBytes;
    }
    return total;
}

} // namespace

CVEKViewDoc::CVEKViewDoc(Prompter *prompter, QObject *parent)
    : QObject(parent), ownPrompter_(std::make_unique<QtPrompter>()), ui_(this, prompter ? *prompter : *ownPrompter_) {
    undo_ = new QUndoStack(this);
    undo_->setUndoLimit(kUndoSteps);
    auto follow = [this] {
        if (rebuilding_) return;
        doc_.setModified(!undo_->isClean());
        noteModified();
    };
    connect(undo_, &QUndoStack::indexChanged, this, follow);
    connect(undo_, &QUndoStack::cleanChanged, this, follow);
}

CVEKViewDoc::~CVEKViewDoc() {
    // The stack's commands point back here: they go first, without
    // reporting their removal to a document that is half destroyed.
    undo_->disconnect(this);
    delete undo_;
    delete properties_.data();
}

void CVEKViewDoc::setPrompter(Prompter *prompter) { ui_.setPrompter(prompter ? *prompter : *ownPrompter_); }

void CVEKViewDoc::setDialogParent(QWidget *parent) {
    dialogParent_ = parent;
    ownPrompter_->setParent(parent);
}

void CVEKViewDoc::setModified(bool modified) {
    doc_.setModified(modified);
    // Outside a step the caller speaks for the whole document: saved now, or
    // changed in a way no step recorded (then no state of the history is
    // the saved one any more).
    if (stepDepth_ == 0 && !applying_ && !rebuilding_) {
        if (!modified)
            undo_->setClean();
        else if (undo_->isClean())
            undo_->resetClean();
    }
    noteModified();
}

void CVEKViewDoc::noteModified() {
    bool m = doc_.isModified();
    if (m != lastModified_) {
        lastModified_ = m;
        emit modifiedChanged(m);
    }
}

QString CVEKViewDoc::path() const { return QString::fromStdString(doc_.path()); }
void CVEKViewDoc::setPath(const QString &path) { doc_.setPath(path.toStdString()); }
void CVEKViewDoc::setTitle(const QString &title) {
    if (title == title_) return;
    title_ = title;
    emit titleChanged(title);
}

namespace {

QString fileNameOf(const std::string &path) {
    return QString::fromStdString(utf8FromPath(pathFromUtf8(path).filename()));
}

} // namespace

bool CVEKViewDoc::open(const QString &path) {
    bool ok = doc_.open(path.toStdString(), ui_.prompter());
    const QString name = fileNameOf(path.toStdString());
    setTitle(doc_.isReadPartly() ? name + " (read partly)" : name);
    updateAllViews(ViewHint::Everything);
    resetHistory();
    noteModified();
    return ok;
}

bool CVEKViewDoc::save(const QString &path) {
    emit endEditRequested();
    bool ok = doc_.save(path.toStdString(), ui_.prompter());
    if (ok) {
        undo_->setClean();
        setTitle(fileNameOf(doc_.path()));
        importedName_.clear();
    }
    noteModified();
    return ok;
}

bool CVEKViewDoc::importWendraFile(const QString &path) {
    emit endEditRequested();
    bool ok = importWendraFileIntoOpenDocument(doc_, ui_, path.toStdString());
    noteModified();
    return ok;
}

// ---- undo and redo ------------------------------------------------------------

std::shared_ptr<const DocumentSnapshot> CVEKViewDoc::snapshotNow() {
    ModelInput &m = doc_.model;
    const DocumentSnapshot *prev = current_.get();
    auto s = std::make_shared<DocumentSnapshot>();
    s->header = headerOf(m);
    s->historicalDataChanged = doc_.historicalDataChanged;
    const std::size_t n = m.locations.size();
    const std::size_t pn = prev ? prev->locations.size() : 0;
    s->locations.reserve(n);
    bool allShared = prev && pn == n;
    for (std::size_t i = 0; i < n; ++i) {
        const Location &loc = m.locations[i];
        std::shared_ptr<const Location> shared;
        // The same place, or the same place counted from the end (locations
        // inserted or deleted before it).
        if (i < pn && *prev->locations[i] == loc)
            shared = prev->locations[i];
        else if (pn + i >= n && pn + i - n < pn && *prev->locations[pn + i - n] == loc)
            shared = prev->locations[pn + i - n];
        if (!shared || shared != (i < pn ? prev->locations[i] : nullptr)) allShared = false;
        if (!shared) {
            shared = std::make_shared<const Location>(loc);
            s->ownBytes += locationBytes(*shared);
        }
        s->locations.push_back(std::move(shared));
    }
    if (allShared && prev->header == s->header && prev->historicalDataChanged == s->historicalDataChanged)
        return current_;
    s->ownBytes += sizeof(DocumentSnapshot) + n * sizeof(std::shared_ptr<const Location>);
    current_ = s;
    return current_;
}

void CVEKViewDoc::applySnapshot(const DocumentSnapshot &s) {
    applying_ = true;
    ModelInput m = s.header;
    m.locations.reserve(s.locations.size());
    for (const auto &loc : s.locations)
        m.locations.push_back(*loc);
    doc_.model = std::move(m);
    doc_.historicalDataChanged = s.historicalDataChanged;
    refreshReachTroubles(); // the troubles belong to the shares just brought back
    updateAllViews(ViewHint::Everything);
    applying_ = false;
}

void CVEKViewDoc::beginStep(const QString &text) {
    if (stepDepth_++ > 0) return;
    if (applying_) return;
    stepText_ = text;
    stepModifiedBefore_ = doc_.isModified();
    stepBefore_ = snapshotNow();
    stepMap_ = std::make_unique<MapInputs>(mapInputsOf(doc_.model));
}

void CVEKViewDoc::noteReachTroubles(const geo::Resolution &r) {
    reachTroubles_.clear();
    if (!r.ok()) {
        reachTroubles_.emplace_back(-1, r.failure);
        return;
    }
    for (const auto &t : r.troubles)
        reachTroubles_.emplace_back(t.location, t.text);
}

void CVEKViewDoc::resolveReachShares() { noteReachTroubles(geo::resolveReaches(doc_.model)); }

void CVEKViewDoc::refreshReachTroubles() {
    reachTroubles_.clear();
    if (!needsReachSection(doc_.model)) return;
    ModelInput copy = doc_.model; // the shares stay as they are: only the troubles are wanted
    noteReachTroubles(geo::resolveReaches(copy));
}

void CVEKViewDoc::endStep() {
    if (stepDepth_ == 0 || --stepDepth_ > 0 || applying_ || !stepBefore_) return;
    // The step's own view updates came before the shares were resolved: the
    // views see the resolved shares (and factors from the map) once more.
    const bool resolved = stepMap_ && mapInputsOf(doc_.model) != *stepMap_ && needsReachSection(doc_.model);
    if (resolved) resolveReachShares();
    stepMap_.reset();
    std::shared_ptr<const DocumentSnapshot> before = std::move(stepBefore_);
    std::shared_ptr<const DocumentSnapshot> after = snapshotNow();
    if (after == before) {
        doc_.setModified(stepModifiedBefore_);
    } else {
        undo_->push(new SnapshotCommand(this, stepText_, before, after));
        trimHistory();
        doc_.setModified(!undo_->isClean());
    }
    noteModified();
    if (resolved) emit viewsUpdated(ViewHint::LocationCells);
}

std::size_t CVEKViewDoc::historyBytes() const { return snapshotBytes(undo_); }

void CVEKViewDoc::trimHistory() {
    // Called right after a push: the stack's index is at its top.
    const int n = undo_->count();
    int keepFrom = 0;
    while (keepFrom < n - 1 && snapshotBytes(undo_, keepFrom) > kUndoBytes)
        ++keepFrom;
    if (keepFrom == 0) return;
    struct Kept {
        QString text;
        std::shared_ptr<const DocumentSnapshot> before, after;
    };
    std::vector<Kept> kept;
    for (int i = keepFrom; i < n; ++i) {
        const auto *c = static_cast<const SnapshotCommand *>(undo_->command(i));
        kept.push_back({c->text(), c->before_, c->after_});
    }
    const int clean = undo_->cleanIndex();
    rebuilding_ = true;
    undo_->clear();
    undo_->resetClean();
    if (clean == keepFrom) undo_->setClean();
    for (std::size_t i = 0; i < kept.size(); ++i) {
        undo_->push(new SnapshotCommand(this, kept[i].text, kept[i].before, kept[i].after));
        if (clean == keepFrom + static_cast<int>(i) + 1) undo_->setClean();
    }
    rebuilding_ = false;
}

void CVEKViewDoc::resetHistory() {
    rebuilding_ = true;
    undo_->clear();
    if (doc_.isModified())
        undo_->resetClean();
    else
        undo_->setClean();
    rebuilding_ = false;
    current_.reset();
}

void CVEKViewDoc::undo() {
    emit endEditRequested();
    undo_->undo();
}

void CVEKViewDoc::redo() {
    emit endEditRequested();
    undo_->redo();
}

void CVEKViewDoc::updateAllViews(ViewHint hint) {
    emit viewsUpdated(hint);
    noteModified();
}

void CVEKViewDoc::showProperties(QWidget *parent) {
    if (!properties_) {
        QWidget *owner = parent ? parent->window() : dialogParent_ ? dialogParent_->window() : nullptr;
        properties_ = new PropertiesDialog(this, owner);
    }
    properties_->show();
    properties_->raise();
    properties_->activateWindow();
}

MapWindow *CVEKViewDoc::mapWindow() const { return map_; }

MapWindow *CVEKViewDoc::showMap(QWidget *parent) {
    if (!map_) {
        QWidget *owner = parent ? parent->window() : dialogParent_ ? dialogParent_->window() : nullptr;
        map_ = new MapWindow(this, owner);
        map_->setAttribute(Qt::WA_DeleteOnClose);
    }
    map_->show();
    map_->raise();
    map_->activateWindow();
    return map_;
}

} // namespace vek
