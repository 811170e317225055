// The graphs of the Plot command as data: series, points, labels, legends,
// titles, y range, tick and grid numbers and window placement. The graph
// windows only draw what is prepared here.
#pragma once

#include "results/output_results.h"
#include "results/view_choices.h"

#include <optional>
#include <string>
#include <vector>

namespace vek {

struct GraphSeries {
    std::string legend;
    int position = 0;           // the entry's position in the results
    bool summary = false;       // one of the three summaries (no method)
    ResponseInfo response;      // how a location's stream effect was computed
    std::vector<double> values; // one per point; 0 where the series has no value
    std::vector<bool> present;  // false where the location has no data for the point
};

struct GraphPlacement {
    int x = 0, y = 0, width = 800, height = 600;
};

struct GraphData {
    std::string tableTitle;   // "Diversion/Recharge Data" or "Stream Depletion/Accretion Data"
    std::string title;        // tableTitle, plus " -- " and the legend when there is one series
    std::string caption;      // window caption
    std::string bottomTitle;  // "Year"
    std::string leftTitle;    // the units line: the report's, or the unit chosen
    std::string units = "af"; // the unit's option word (results/result_units.h)
    std::string graphName;    // "div_rech" or "stream_dep"
    std::string settingsFile; // graphName + ".gsp"
    int graphType = 3;
    int graphStyle = 0;
    std::vector<GraphSeries> series;
    std::vector<std::string> labels; // x-axis label per point
    double yMin = 0.0, yMax = 0.0;
    int xTicks = 1;
    int labelEvery = 1;       // label every n-th point
    int gridByPointCount = 1; // 1 when fewer than 121 points
    int gridPlusOne = 1;
    int gridValue = 3;       // grid number handed to the chart: 3 up to 60 points, else 1
    bool showLegends = true; // legends are left out for a single series (it is in the title)
    bool markPoints = false; // single-series line graphs mark every point
    // The first point of the average row ("Avg"), -1 when the average is
    // not plotted. Its points are no year: the drawing sets them apart.
    int averageFirst = -1;
    int background = 15;
    int legendPosition = 6;
    GraphPlacement placement;

    int numPoints() const { return static_cast<int>(labels.size()); }
    int numSeries() const { return static_cast<int>(series.size()); }
};

struct PlotData {
    std::optional<GraphData> diversion;
    std::optional<GraphData> stream;
};

// Prepares the graphs for the current choices. Nothing is made when no
// location or no year is selected. screenWidth/screenHeight place the two
// graphs one above the other when both exist.
PlotData preparePlot(const OutputResults &results, const ViewChoices &choices, int screenWidth = 1280,
                     int screenHeight = 1024);

// The graphs as JSON (for scripts and tests).
std::string plotToJson(const PlotData &plot);

} // namespace vek
