// VEKView: the desktop editor of model input documents and viewer of engine
// reports.
#include "editor/about_dialog.h"
#include "editor/help_window.h"
#include "editor/smoke_run.h"
#include "editor/vekview_app.h"
#include "programs/ending_signals.h"

#include <QApplication>
#include <QCommandLineParser>

#include <clocale>
#include <cstring>
#include <memory>

namespace {
// --help and --version only print: they need no display.
bool onlyPrints(int argc, char *argv[]) {
    for (int i = 1; i < argc; ++i)
        for (const char *opt : {"--help", "-h", "-?", "--help-all", "--version", "-v"})
            if (!std::strcmp(argv[i], opt)) return true;
    return false;
}
} // namespace

int main(int argc, char *argv[]) {
    std::unique_ptr<QCoreApplication> qapp;
    if (onlyPrints(argc, argv))
        qapp = std::make_unique<QCoreApplication>(argc, argv);
    else
        qapp = std::make_unique<QApplication>(argc, argv);
    // QApplication takes the C library's locale from the desktop. Every
    // number the program reads or writes goes through locale-free
    // conversions; keeping LC_NUMERIC at "C" as well means a conversion
    // added later cannot read or write a decimal comma either.
    std::setlocale(LC_NUMERIC, "C");
    // Ended by a signal, the program leaves no half-written file beside a
    // target.
    vek::removeTemporaryFilesOnEndingSignals();
    // Settings live under "VEKView" (the working directory and recent files).
    QCoreApplication::setOrganizationName("VEKView");
    QCoreApplication::setApplicationName("VEKView");
    QCoreApplication::setApplicationVersion(vek::CVEKViewApp::kVersion);

    QCommandLineParser parser;
    parser.setApplicationDescription("The desktop editor of VEK model input files (.vek) and viewer of the "
                                     "engine's reports (.out).");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption smoke("smoke-test",
                                   "Open FILE as File Open does, with messages on standard error instead of "
                                   "dialogs and the settings left alone, then quit: status 0 when it opened "
                                   "without a message, 1 otherwise.",
                                   "FILE");
    parser.addOption(smoke);
    parser.addPositionalArgument("file", "A model input file (.vek) or an engine report (.out) to open.", "[file]");
    parser.process(*qapp); // --help, --version and bad options end here

    QGuiApplication::setDesktopFileName("vekview");
    QApplication::setWindowIcon(vek::AboutDialog::programIcon());

    vek::CVEKViewApp app;
    if (parser.isSet(smoke)) return vek::runSmokeTest(app, parser.value(smoke));

    app.openHelp = [](int context) { vek::HelpWindow::showTopic(vek::HelpWindow::topicForContext(context)); };
    if (!app.startUp(parser.positionalArguments())) return 1;
    return qapp->exec();
}
