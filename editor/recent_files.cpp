// The recent-file list in the settings (see recent_files.h).
#include "editor/recent_files.h"

#include "editor/document_registry.h"

#include <QSettings>

namespace vek {

namespace {
const char *const kRecentGroup = "Recent File List";
} // namespace

QStringList RecentFiles::list() const {
    QSettings s;
    QStringList out;
    s.beginGroup(kRecentGroup);
    for (int i = 1; i <= kMax; ++i) {
        const QString p = s.value(QString("File%1").arg(i)).toString();
        if (!p.isEmpty()) out << p;
    }
    s.endGroup();
    return out;
}

void RecentFiles::add(const QString &path) {
    if (path.isEmpty()) return;
    const QString abs = cleanAbsolutePath(path);
    QStringList l = list();
    l.removeAll(abs);
    l.prepend(abs);
    while (l.size() > kMax)
        l.removeLast();
    write(l);
}

void RecentFiles::remove(const QString &path) {
    QStringList l = list();
    if (l.removeAll(cleanAbsolutePath(path)) == 0) return;
    write(l);
}

void RecentFiles::write(const QStringList &l) {
    QSettings s;
    s.beginGroup(kRecentGroup);
    for (int i = 1; i <= kMax; ++i) {
        if (i <= l.size())
            s.setValue(QString("File%1").arg(i), l[i - 1]);
        else
            s.remove(QString("File%1").arg(i));
    }
    s.endGroup();
    emit changed();
}

} // namespace vek
