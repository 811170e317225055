// Imports into a model: the outside consumptive-use model's well output
// files (.owl), tab-delimited text files and old-format model input files.
// Each import replaces the model's locations and periods. They take every
// choice (the soil-moisture basis, the year type and units of a
// tab-delimited file) as a parameter and ask nothing; the document's import
// commands, which ask first, are in model/document_operations.h.
#pragma once

#include "common/operation_error.h"

#include <string>

namespace vek {

struct ModelInput;

// Longest period, in years, an import accepts. A depletion run covers at most
// a few hundred years; a larger span means a damaged file, and honouring it
// would allocate tables of absurd size.
inline constexpr int kMaxImportYears = 2000;

// Which computed consumptive use of ground water a well output file gives:
// the answers of "Use Computed CU of GW Based on:".
enum class SoilMoisture : int { Without = 1, With = 2 };

// Imports a well output file of the outside consumptive-use model: removes
// every location, reads the file (the sections of the chosen soil-moisture
// basis), fills the periods and one irrigation well per well of every
// sub-area, and whatever the reader reported sets the year type to Calendar
// and the units to monthly acre-feet. A file that cannot be read, or that
// holds no well at all, is the error (the model then has no locations); a
// file ending inside a data block and a sub-area whose lines do not fit its
// well count are warnings.
// `changed` is always set.
OperationResult importWendraFile(ModelInput &model, const std::string &path, SoilMoisture basis);

// Reads a tab-delimited file: the first and last historical year, then per
// location a header line (name<TAB>factor<TAB>type) and one row per year
// (year followed by 12 values) in year type `yearMode` (0..2) and units
// `unitMode` (0..1), which the model takes whatever the reader reported. On
// a failure the locations read so far and the period stay. A year type or
// unit that is none is refused before anything changes.
OperationResult importTabDelimited(ModelInput &model, const std::string &path, int yearMode, int unitMode);

// Reads an old-format model input file (the character-column format of the
// old program). On a failure the model keeps whatever was read.
OperationResult importOldFormat(ModelInput &model, const std::string &path);

} // namespace vek
