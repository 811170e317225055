// Wells and stream reaches from a map: GeoPackage, Shapefile, GeoJSON, or CSV
// with x and y columns, read with GDAL/OGR, their coordinates converted with
// PROJ (OGR's coordinate transformation) into one projected system. Wells are
// matched to the model's locations by name (a well the model lacks becomes a
// new irrigation well); lines sharing a name form one reach, and a reach of a
// name the model has gets the new lines. Asks nothing; reports like the
// other imports.
#pragma once

#include <string>

#include "common/operation_error.h"
#include "model/model_input.h"

namespace vek::geo {

struct MapImportOptions {
    std::string wells;   // file of well points; empty: none
    std::string streams; // file of stream lines; empty: none
    // The field that names wells and reaches; empty: a field called "name"
    // in any case, else the layer's first text field.
    std::string nameField;
    // Fields of the wells' S, T and depletion factor (days); empty: not read.
    std::string storativityField;
    std::string transmissivityField;
    std::string factorField;
    // The projected system to convert into ("EPSG:32613", WKT or a PROJ
    // string); empty: the model's, else the layers' own.
    std::string crs;
};

// Counts of what an import did, for the messages of its callers.
struct MapImportCounts {
    int wellsPlaced = 0;  // locations given a position
    int wellsAdded = 0;   // of them, new locations
    int reachesAdded = 0; // new reaches
    int reachesMoved = 0; // reaches that got new lines
};

// The model changes only when the import succeeds.
OperationResult importMap(ModelInput &model, const MapImportOptions &options, MapImportCounts *counts = nullptr);

} // namespace vek::geo
