// The Plot command's graphs drawn into an image file without a window on a
// screen (VEKView --plot): the same charts the Graph windows draw, in the
// look their ".gsp" files give them.
#pragma once

#include "results/graph_data.h"

#include <QSize>
#include <QString>

namespace vek {

// The image formats, by the file's extension.
inline constexpr const char *kPlotImageFormats = "png, svg, pdf";

// Draws the graphs of `plot` (the diversion graph above the stream graph
// when both exist) in an image of `size` pixels and writes it to path
// through the safe save: PNG, SVG or PDF by the extension (PDF: one
// landscape A4 page). lookFolder holds the graphs' look files, as the
// report's folder does for Plot. False with the reason in error.
bool writePlotImage(const PlotData &plot, const QString &lookFolder, const QString &path, const QSize &size,
                    QString *error);

} // namespace vek
