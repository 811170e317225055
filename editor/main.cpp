// VEKView: the desktop editor of model input documents and viewer of engine
// reports.
#include "editor/about_dialog.h"
#include "editor/help_window.h"
#include "editor/plot_command.h"
#include "editor/smoke_run.h"
#include "editor/vekview_app.h"
#include "programs/ending_signals.h"

#include <QApplication>
#include <QCommandLineParser>

#include <clocale>
#include <cstdio>
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

// A script that plots reads standard error for our messages: the offscreen
// platform's notes and Qt's warnings are no news to it; its criticals are.
void onlyCritical(QtMsgType type, const QMessageLogContext &, const QString &text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

bool plots(int argc, char *argv[]) {
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--plot") || !std::strncmp(argv[i], "--plot=", 7)) return true;
    return false;
}

// The options of --plot; their values go into command.
struct PlotOptions {
    QCommandLineOption plot{"plot",
                            "Draw the graphs Plot would draw for a selection of REPORT (an engine report, .out) "
                            "into the image file of -o, offscreen, and quit: for scripts and servers.",
                            "REPORT"};
    QCommandLineOption output{{"o", "output"}, "The image --plot writes: FILE.png, FILE.svg or FILE.pdf.", "FILE"};
    QCommandLineOption locations{"locations", "--plot: locations by 0-based position, or all (the default).",
                                 "all|I,J,..."};
    QCommandLineOption years{"years", "--plot: printed years and avg, or all (the default).", "all|Y1,Y2,...,avg"};
    QCommandLineOption monthly{"monthly", "--plot: a point per month (the default)."};
    QCommandLineOption yearly{"yearly", "--plot: a point per year total."};
    QCommandLineOption yearType{"year-type", "--plot: months in Calendar (0), Irrigation (1) or USGS (2) years.",
                                "0|1|2"};
    QCommandLineOption units{"units", "--plot: af (the default), m3, ML, dam3, cfs or m3/s.", "UNIT"};
    QCommandLineOption noDiversion{"no-diversion", "--plot: leave out the CU of ground water/net recharge graph."};
    QCommandLineOption noStream{"no-stream", "--plot: leave out the depletion/accretion graph."};
    QCommandLineOption size{"size", "--plot: the image's size in pixels (1000x700).", "WIDTHxHEIGHT"};

    void addTo(QCommandLineParser &p) const {
        p.addOptions({plot, output, locations, years, monthly, yearly, yearType, units, noDiversion, noStream, size});
    }
    // The command, or the reason the options cannot make one.
    QString read(const QCommandLineParser &p, vek::PlotCommand &c) const {
        c.report = p.value(plot);
        c.output = p.value(output);
        if (p.isSet(locations)) c.locations = p.value(locations);
        if (p.isSet(years)) c.years = p.value(years);
        if (p.isSet(monthly) && p.isSet(yearly)) return "give --monthly or --yearly, not both";
        c.yearly = p.isSet(yearly);
        if (p.isSet(yearType)) {
            bool ok = false;
            c.yearType = p.value(yearType).toInt(&ok);
            if (!ok || c.yearType < 0 || c.yearType > 2) return "--year-type must be 0, 1 or 2";
        }
        if (p.isSet(units)) c.units = p.value(units);
        c.diversion = !p.isSet(noDiversion);
        c.stream = !p.isSet(noStream);
        if (p.isSet(size)) {
            const QStringList wh = p.value(size).split('x');
            bool okW = false, okH = false;
            c.size = wh.size() == 2 ? QSize(wh[0].toInt(&okW), wh[1].toInt(&okH)) : QSize();
            if (!okW || !okH || c.size.width() < 200 || c.size.height() < 150 || c.size.width() > 20000 ||
                c.size.height() > 20000)
                return "--size must look like 1000x700 (200x150 to 20000x20000 pixels)";
        }
        return {};
    }
};
} // namespace

int main(int argc, char *argv[]) {
    std::unique_ptr<QCoreApplication> qapp;
    // Graphs for scripts and servers are drawn without a screen.
    if (plots(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(onlyCritical);
    }
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
    const PlotOptions plot;
    plot.addTo(parser);
    parser.addPositionalArgument("file", "A model input file (.vek) or an engine report (.out) to open.", "[file]");
    parser.process(*qapp); // --help, --version and bad options end here

    QGuiApplication::setDesktopFileName("vekview");
    QApplication::setWindowIcon(vek::AboutDialog::programIcon());

    if (parser.isSet(plot.plot)) {
        vek::PlotCommand command;
        if (const QString err = plot.read(parser, command); !err.isEmpty()) {
            std::fprintf(stderr, "VEKView --plot: %s\n", err.toLocal8Bit().constData());
            return 2;
        }
        return vek::runPlotCommand(command);
    }

    vek::CVEKViewApp app;
    if (parser.isSet(smoke)) return vek::runSmokeTest(app, parser.value(smoke));

    app.openHelp = [](int context) { vek::HelpWindow::showTopic(vek::HelpWindow::topicForContext(context)); };
    if (!app.startUp(parser.positionalArguments())) return 1;
    return qapp->exec();
}
