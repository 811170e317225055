// CVEKOutputViewDoc: engine output document.
#include "editor/output_doc.h"

#include "common/prompter.h"

#include <QFileInfo>

namespace vek {

CVEKOutputViewDoc::CVEKOutputViewDoc(QObject *parent) : QObject(parent) {}

bool CVEKOutputViewDoc::open(const QString &path, Prompter &prompter) {
    const QFileInfo fi(path);
    path_ = fi.absoluteFilePath();
    const bool loaded = results_.Load(path_.toStdString(), prompter);
    setTitle(path_);
    emit viewsUpdated();
    return loaded;
}

void CVEKOutputViewDoc::setTitle(const QString &t) {
    if (t == title_) return;
    title_ = t;
    emit titleChanged(t);
}

} // namespace vek
