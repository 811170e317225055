// AboutDialog: "About VEKView" with the program's picture, its version and
// an OK button. Also draws the program's icon, so that the window icon, the
// About box and the installed desktop icon are one picture.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QPixmap>

namespace vek {

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget *parent = nullptr);

    // The program's picture at a given size: a stream in a valley with a
    // well beside it.
    static QPixmap programPixmap(int size);
    static QIcon programIcon();
};

} // namespace vek
