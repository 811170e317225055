// RunCommand: Run on a model input document. The document's run asks its
// questions, saves, starts the engine in the file's folder (the program's
// working directory is never changed) and hands over the report's absolute
// path, which this command opens; it then says in the status bar how long
// the engine took (the questions before it not counted), and whether the
// results are those of the saved file rather than of the form. Needs only the document and two hooks, so a test runs it
// without the application.
#pragma once

#include <QString>

#include <functional>

namespace vek {

class CVEKViewDoc;

class RunCommand {
  public:
    // Opens the report at an absolute path; true when a window shows it.
    std::function<bool(const QString &reportPath)> openReport;
    // A file name for a document that has never been saved (empty: cancel).
    std::function<QString(CVEKViewDoc *doc)> askSavePath;

    // Runs the engine on the document's saved file. True when the report was
    // opened; status() then tells the time and the report's path.
    bool run(CVEKViewDoc *doc);
    QString status() const { return status_; }
    // The user ran the saved file: the results leave out the document's
    // unsaved changes.
    bool ranSavedFile() const { return ranSavedFile_; }

  private:
    QString status_;
    bool ranSavedFile_ = false;
};

} // namespace vek
