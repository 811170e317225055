// RecentFiles: the standard recent-file list of the settings, newest first,
// at most four entries, each an absolute path.
#pragma once

#include <QObject>
#include <QStringList>

namespace vek {

class RecentFiles : public QObject {
    Q_OBJECT
  public:
    static constexpr int kMax = 4;

    explicit RecentFiles(QObject *parent = nullptr) : QObject(parent) {}

    QStringList list() const;
    // Puts the file first (once); the oldest beyond four leave.
    void add(const QString &path);
    // A file that was not found leaves the list.
    void remove(const QString &path);

  signals:
    void changed();

  private:
    void write(const QStringList &list);
};

} // namespace vek
