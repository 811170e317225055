// VEKView: the desktop editor of model input documents and viewer of engine
// reports.
#include "editor/about_dialog.h"
#include "editor/help_window.h"
#include "editor/vekview_app.h"

#include <QApplication>

#include <clocale>

int main(int argc, char *argv[]) {
    QApplication qapp(argc, argv);
    // QApplication takes the C library's locale from the desktop. Every
    // number the program reads or writes goes through locale-free
    // conversions; keeping LC_NUMERIC at "C" as well means a conversion
    // added later cannot read or write a decimal comma either.
    std::setlocale(LC_NUMERIC, "C");
    // Settings live under "VEKView" (the working directory and recent files).
    QCoreApplication::setOrganizationName("VEKView");
    QCoreApplication::setApplicationName("VEKView");
    QCoreApplication::setApplicationVersion(vek::CVEKViewApp::kVersion);
    QGuiApplication::setDesktopFileName("vekview");
    QApplication::setWindowIcon(vek::AboutDialog::programIcon());

    vek::CVEKViewApp app;
    app.openHelp = [](int context) { vek::HelpWindow::showTopic(vek::HelpWindow::topicForContext(context)); };
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (!app.startUp(args)) return 1;
    return qapp.exec();
}
