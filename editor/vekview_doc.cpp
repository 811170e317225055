// The desktop's model input document (see vekview_doc.h).
#include "editor/vekview_doc.h"

#include "editor/properties_dialog.h"
#include "editor/qt_prompter.h"
#include "model/imports.h"

#include <QFileDialog>

#include <QWidget>

namespace vek {

CVEKViewDoc::CVEKViewDoc(Prompter *prompter, QObject *parent)
    : QObject(parent), ownPrompter_(std::make_unique<QtPrompter>()), doc_(prompter ? prompter : ownPrompter_.get()) {
    doc_.setViewListener([this](int hint) {
        emit viewsUpdated(hint);
        noteModified();
    });
}

CVEKViewDoc::~CVEKViewDoc() {
    doc_.setViewListener({});
    delete properties_.data();
}

void CVEKViewDoc::setPrompter(Prompter *prompter) { doc_.setPrompter(prompter ? prompter : ownPrompter_.get()); }

void CVEKViewDoc::setDialogParent(QWidget *parent) {
    dialogParent_ = parent;
    ownPrompter_->setParent(parent);
}

void CVEKViewDoc::setModified(bool modified) {
    doc_.setModified(modified);
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
QString CVEKViewDoc::title() const { return QString::fromStdString(doc_.title()); }

void CVEKViewDoc::setTitle(const QString &title) {
    if (title == this->title()) return;
    doc_.setTitle(title.toStdString());
    emit titleChanged(title);
}

bool CVEKViewDoc::open(const QString &path) {
    bool ok = doc_.open(path.toStdString());
    updateAllViews(0);
    noteModified();
    return ok;
}

bool CVEKViewDoc::save(const QString &path) {
    emit endEditRequested();
    const QString oldTitle = title();
    bool ok = doc_.save(path.toStdString());
    if (title() != oldTitle) emit titleChanged(title());
    noteModified();
    return ok;
}

bool CVEKViewDoc::importWendraFile(const QString &path) {
    emit endEditRequested();
    bool ok = importWendraFileIntoOpenDocument(doc_, path.toStdString());
    noteModified();
    return ok;
}

void CVEKViewDoc::updateAllViews(int hint) { doc_.updateAllViews(hint); }

void CVEKViewDoc::showProperties(QWidget *parent) {
    if (!properties_) {
        QWidget *owner = parent ? parent->window() : dialogParent_ ? dialogParent_->window() : nullptr;
        properties_ = new PropertiesDialog(this, owner);
    }
    properties_->show();
    properties_->raise();
    properties_->activateWindow();
}

} // namespace vek

namespace vek {

void CVEKViewDoc::setSavePathProvider(std::function<QString()> provider) { savePathProvider_ = std::move(provider); }

RunResult CVEKViewDoc::runEngine() {
    emit endEditRequested();
    EngineRunHooks hooks;
    hooks.openReport = [this](const std::string &name) { emit openDocumentRequested(QString::fromStdString(name)); };
    hooks.askSavePath = [this]() -> std::string {
        QString path;
        if (savePathProvider_) {
            path = savePathProvider_();
        } else {
            QWidget *owner = dialogParent_ ? dialogParent_->window() : nullptr;
            path = QFileDialog::getSaveFileName(owner, QStringLiteral("Save As"), QString(),
                                                QStringLiteral("VEK Files (*.vek)"));
        }
        return path.toStdString();
    };
    const QString oldTitle = title();
    RunResult result = vek::runEngine(doc_, hooks);
    if (title() != oldTitle) emit titleChanged(title());
    noteModified();
    return result;
}

} // namespace vek
