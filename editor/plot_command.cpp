// VEKView --plot.
#include "editor/plot_command.h"

#include "common/prompter.h"
#include "results/graph_data.h"
#include "results/output_results.h"
#include "results/selection.h"
#include "viewer/plot_image.h"

#include <QFileInfo>

#include <cstdio>

namespace vek {

namespace {

// The report reader's messages, on standard error.
class StandardErrorPrompter : public SilentPrompter {
  public:
    void message(const std::string &text) override { std::fprintf(stderr, "VEKView: %s\n", text.c_str()); }
};

int failure(int status, const std::string &what) {
    std::fprintf(stderr, "VEKView --plot: %s\n", what.c_str());
    return status;
}

} // namespace

int runPlotCommand(const PlotCommand &c) {
    if (c.output.isEmpty()) return failure(2, "name the image with -o FILE.png, FILE.svg or FILE.pdf");
    const std::optional<ResultUnit> unit = unitFromOption(c.units.toStdString());
    if (!unit) return failure(2, "--units takes " + unitOptionList() + ", not '" + c.units.toStdString() + "'");
    if (c.yearType < -1 || c.yearType > 2) return failure(2, "--year-type must be 0, 1 or 2");
    StandardErrorPrompter prompter;
    OutputResults results;
    const std::string path = c.report.toStdString();
    bool complete = results.Load(path, prompter);
    if (complete && results.locations.empty()) complete = results.LoadUntitledSummaries(path, prompter);
    if (!complete) return 1;
    if (c.yearType >= 0) results.changeYearType(c.yearType);
    ViewChoices choices;
    choices.scale = c.yearly ? ViewChoices::Yearly : ViewChoices::Monthly;
    choices.yearType = results.yearType;
    choices.units = *unit;
    choices.showDiversion = c.diversion;
    choices.showStream = c.stream;
    if (std::string err = selectLocations(results, c.locations.toStdString(), choices.locations); !err.empty())
        return failure(2, err);
    if (std::string err = selectYears(results, c.years.toStdString(), choices.years); !err.empty())
        return failure(2, err);
    const PlotData plot = preparePlot(results, choices, c.size.width(), c.size.height());
    if (!plot.diversion && !plot.stream) return failure(2, "the selection holds no graph");
    QString error;
    if (!writePlotImage(plot, QFileInfo(c.report).absolutePath(), c.output, c.size, &error))
        return failure(1, error.toStdString());
    return 0;
}

} // namespace vek
