// The application's open documents (see document_registry.h).
#include "editor/document_registry.h"

#include "editor/child_frame.h"
#include "editor/output_doc.h"
#include "editor/vekview_doc.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace vek {

QString cleanAbsolutePath(const QString &path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

void DocumentRegistry::add(QObject *doc, DocType type) {
    entries_.push_back({doc, type, nullptr});
    emit changed();
}

void DocumentRegistry::setFrame(QObject *doc, CChildFrame *frame) {
    for (Entry &e : entries_)
        if (e.doc == doc) e.frame = frame;
}

QPointer<CChildFrame> DocumentRegistry::remove(QObject *doc) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [doc](const Entry &e) { return e.doc == doc; });
    if (it == entries_.end()) return nullptr;
    QPointer<CChildFrame> frame = it->frame;
    entries_.erase(it);
    emit changed();
    return frame;
}

const DocumentRegistry::Entry *DocumentRegistry::entryOf(QObject *doc) const {
    for (const Entry &e : entries_)
        if (e.doc == doc) return &e;
    return nullptr;
}

bool DocumentRegistry::contains(QObject *doc) const { return entryOf(doc) != nullptr; }

std::vector<QObject *> DocumentRegistry::documents() const {
    std::vector<QObject *> out;
    for (const Entry &e : entries_)
        out.push_back(e.doc);
    return out;
}

std::vector<CVEKOutputViewDoc *> DocumentRegistry::outputDocuments() const {
    std::vector<CVEKOutputViewDoc *> out;
    for (const Entry &e : entries_)
        if (e.type == DocType::EngineOutput) out.push_back(static_cast<CVEKOutputViewDoc *>(e.doc));
    return out;
}

std::vector<CVEKViewDoc *> DocumentRegistry::modelDocuments() const {
    std::vector<CVEKViewDoc *> out;
    for (const Entry &e : entries_)
        if (e.type == DocType::ModelInput) out.push_back(static_cast<CVEKViewDoc *>(e.doc));
    return out;
}

CChildFrame *DocumentRegistry::frameOf(QObject *doc) const {
    const Entry *e = entryOf(doc);
    return e ? e->frame.data() : nullptr;
}

DocumentRegistry::DocType DocumentRegistry::typeOf(QObject *doc) const {
    if (const Entry *e = entryOf(doc)) return e->type;
    return qobject_cast<CVEKOutputViewDoc *>(doc) ? DocType::EngineOutput : DocType::ModelInput;
}

CVEKOutputViewDoc *DocumentRegistry::outputDocumentFor(const QString &path) const {
    const QString abs = cleanAbsolutePath(path);
    for (CVEKOutputViewDoc *d : outputDocuments())
        if (cleanAbsolutePath(d->path()) == abs) return d;
    return nullptr;
}

CVEKViewDoc *DocumentRegistry::modelDocumentFor(const QString &path) const {
    const QString abs = cleanAbsolutePath(path);
    for (CVEKViewDoc *d : modelDocuments())
        if (!d->path().isEmpty() && cleanAbsolutePath(d->path()) == abs) return d;
    return nullptr;
}

} // namespace vek
