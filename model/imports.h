// Imports into a model input document: the outside consumptive-use model's
// well output files (.owl), tab-delimited text files and old-format model
// input files. Each import replaces the document's locations and periods;
// messages and the soil-moisture / import-options choices go through the
// document's prompter.
#pragma once

#include <string>

namespace vek {

class ModelDocument;

// Longest period, in years, an import accepts. A depletion run covers at most
// a few hundred years; a larger span means a damaged file, and honouring it
// would allocate tables of absurd size.
inline constexpr int kMaxImportYears = 2000;

// Imports a well output file of the outside consumptive-use model. Removes
// every location and marks the document modified, then asks "Use Computed CU
// of GW Based on:" (no soil moisture / with soil moisture). Dismissing that
// choice returns false and leaves the document without locations. Otherwise
// reads the file, fills the periods and one irrigation well per well of every
// sub-area, and sets the year type to Calendar and the units to monthly
// acre-feet. Returns false when the file could not be read (the message has
// been shown and the document has no locations), true otherwise.
bool importWendraFile(ModelDocument &doc, const std::string &path);

// The well output import into a document that is open with a model of its
// own: importWendraFile runs on a scratch copy (asking the same questions),
// and only an import that succeeds with at least one well takes the place of
// the document's model (ModelDocument::replaceModel, which marks it
// modified), after which the views are refreshed with hint 0. A dismissed
// choice, a file that cannot be read and a file without any well leave the
// document exactly as it was (the last with a message). Returns true when
// the model was replaced.
bool importWendraFileIntoOpenDocument(ModelDocument &doc, const std::string &path);

// Reads a tab-delimited file: the first and last historical year, then per
// location a header line (name<TAB>factor<TAB>type) and one row per year
// (year followed by 12 values). Removes every location first. On failure the
// locations read so far and the period stay. Year type and units are not
// touched; see importTabDelimitedWithOptions.
bool importTabDelimited(ModelDocument &doc, const std::string &path);

// The document part of the tab-delimited import command: importTabDelimited,
// then the year type and units set to the chosen list positions (0..2 and
// 0..1, whatever the reader reported) and the views refreshed with hint 0.
// The document is marked modified, so that the imported data are not lost
// to a close without the save prompt. Returns the reader's result.
bool importTabDelimitedWithOptions(ModelDocument &doc, const std::string &path, int yearMode, int unitMode);

// Asks "Set Import Options" through the prompter, then does
// importTabDelimitedWithOptions. Returns false without any change when the
// choice is cancelled.
bool importTabDelimitedAsking(ModelDocument &doc, const std::string &path);

// Reads an old-format model input file (ReadInput with the old-format
// switch), marks the document modified and refreshes the views with hint 1.
// Returns the reader's result; the document keeps whatever was read.
bool importOldFormat(ModelDocument &doc, const std::string &path);

} // namespace vek
