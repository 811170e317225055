// DocumentRegistry: the documents the application has open, in opening
// order, each with its type (model input or engine output) and its window.
// Knows nothing of how documents are made or shown, so a test builds it
// with plain documents.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

namespace vek {

class CChildFrame;
class CVEKOutputViewDoc;
class CVEKViewDoc;

class DocumentRegistry : public QObject {
    Q_OBJECT
  public:
    enum class DocType { ModelInput, EngineOutput };

    explicit DocumentRegistry(QObject *parent = nullptr) : QObject(parent) {}

    void add(QObject *doc, DocType type);
    void setFrame(QObject *doc, CChildFrame *frame);
    // Forgets the document and returns its window (nullptr when it had none
    // or was not registered). The document itself is left to the caller.
    QPointer<CChildFrame> remove(QObject *doc);
    bool contains(QObject *doc) const;
    bool empty() const { return entries_.empty(); }
    // The document opened last.
    QObject *newest() const { return entries_.empty() ? nullptr : entries_.back().doc; }

    std::vector<QObject *> documents() const;
    std::vector<CVEKOutputViewDoc *> outputDocuments() const;
    std::vector<CVEKViewDoc *> modelDocuments() const;
    CChildFrame *frameOf(QObject *doc) const;
    // A document not registered counts by its class.
    DocType typeOf(QObject *doc) const;

    // The output document showing the report `path`, and the model input
    // document saved as `path` (paths compared whole, after cleaning).
    CVEKOutputViewDoc *outputDocumentFor(const QString &path) const;
    CVEKViewDoc *modelDocumentFor(const QString &path) const;

  signals:
    void changed();

  private:
    struct Entry {
        QObject *doc = nullptr;
        DocType type = DocType::ModelInput;
        QPointer<CChildFrame> frame;
    };
    const Entry *entryOf(QObject *doc) const;

    std::vector<Entry> entries_;
};

// A path as the registry compares it: absolute and cleaned.
QString cleanAbsolutePath(const QString &path);

} // namespace vek
