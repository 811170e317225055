// CVEKOutputViewDoc: the engine output document. Reads one engine report
// (.out) once into its OutputResults; its view shows and exports it. The
// document's title is the report's full path.
#pragma once

#include "results/output_results.h"

#include <QObject>
#include <QString>

namespace vek {

class Prompter;

class CVEKOutputViewDoc : public QObject {
    Q_OBJECT
  public:
    explicit CVEKOutputViewDoc(QObject *parent = nullptr);

    OutputResults &results() { return results_; }
    const OutputResults &results() const { return results_; }

    // Reads the report; a report that fails part way still opens with what
    // was read (the message has been shown through prompter). Returns the
    // reader's result.
    bool open(const QString &path, Prompter &prompter);

    QString path() const { return path_; }
    QString title() const { return title_; }
    void setTitle(const QString &t);

    // Tells the views to refill their lists (the number of printed years
    // changed).
    void updateAllViews() { emit viewsUpdated(); }

  signals:
    void viewsUpdated();
    void titleChanged(const QString &title);

  private:
    OutputResults results_;
    QString path_;
    QString title_;
};

} // namespace vek
