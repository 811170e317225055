// VEKView --plot: the graphs Plot would draw for a selection of a report,
// written to an image file offscreen, for scripts and servers.
#pragma once

#include <QSize>
#include <QString>

namespace vek {

struct PlotCommand {
    QString report;            // the engine report (.out)
    QString output;            // FILE.png, FILE.svg or FILE.pdf
    QString locations = "all"; // as vektool report --locations
    QString years = "all";     // as vektool report --years
    bool yearly = false;       // year totals (default: months)
    int yearType = -1;         // 0, 1, 2; -1 the report's own
    QString units = "af";
    bool diversion = true, stream = true;
    QSize size{1000, 700};
};

// Reads the report, selects, draws and writes the image. Messages go to
// standard error. Returns the exit status: 0 written, 1 the report could not
// be read or the image not written, 2 a selection that names nothing.
int runPlotCommand(const PlotCommand &command);

} // namespace vek
