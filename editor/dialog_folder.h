// DialogFolder: the folder the file dialogs start in. It follows the files
// the user opens and saves, is kept in the settings ("VEKView CWD") each
// time it moves, and starts, while nothing is kept, in the examples that
// come with the program. The program never changes its working directory:
// this folder is all that is left of the place the user last worked in.
#pragma once

#include <QString>

namespace vek {

class DialogFolder {
  public:
    QString path() const { return path_; }
    // Back to the folder kept in the settings, or to the examples when none
    // is kept or it has gone away (unchanged when neither exists).
    void restore();
    // The folder of a file opened or saved, kept in the settings at once.
    void follow(const QString &file);
    // Keeps the folder in the settings for the next start.
    void remember() const;

    // The examples installed with the program (<prefix>/share/vek/examples),
    // or the build tree's copy beside the program's folder; empty when there
    // are none.
    static QString defaultExamplesDirectory();
    // Folder that holds the running program.
    static QString programDirectory();

  private:
    QString path_;
};

} // namespace vek
