// The file dialogs' starting folder (see dialog_folder.h).
#include "editor/dialog_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace vek {

namespace {
const char *const kCwdKey = "VEKView/VEKView CWD";
} // namespace

QString DialogFolder::programDirectory() {
    const QString dir = QCoreApplication::applicationDirPath();
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

QString DialogFolder::defaultExamplesDirectory() {
    const QDir bin(programDirectory());
    // Installed: <prefix>/bin/VEKView and <prefix>/share/vek/examples.
    // Build tree: <build>/bin/VEKView and <build>/examples (copied at build).
    for (const QString &rel : {QStringLiteral("../share/vek/examples"), QStringLiteral("../examples")}) {
        const QString p = QDir::cleanPath(bin.absoluteFilePath(rel));
        if (QFileInfo(p).isDir()) return p;
    }
    return QString();
}

void DialogFolder::restore() {
    QString dir = QSettings().value(kCwdKey).toString();
    // A kept folder that has gone away counts as none.
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) dir = defaultExamplesDirectory();
    if (!dir.isEmpty()) path_ = dir;
}

void DialogFolder::follow(const QString &file) {
    if (file.isEmpty()) return;
    path_ = QFileInfo(file).absolutePath();
    // The next start, and every dialog until then, begins where the user
    // last worked, however the program ends.
    remember();
}

void DialogFolder::remember() const {
    // Kept whole: a path cut short would send the next start to some other
    // folder, or to none.
    if (!path_.isEmpty()) QSettings().setValue(kCwdKey, path_);
}

} // namespace vek
