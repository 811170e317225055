// The model input document's operations as a person starts them: each asks
// what the model operation needs (through a prompter: the synthesis dialogs,
// the soil-moisture choice, the import options), calls the operation with
// the answers, shows its error and warnings word for word, marks the
// document modified and, when it is given the document's DocumentUi,
// refreshes its views with the hint that says what to refill. The
// operations themselves (model/synthesis.h, model/year_types.h,
// model/imports.h) ask and show nothing.
#pragma once

#include <string>

namespace vek {

class DocumentUi;
class ModelDocument;
class Prompter;

// ---- Synthesized years ------------------------------------------------------

// Each checks that there are synthesized and historical years (else its
// message, and no dialog), asks for its years ("Select Years to Average",
// "Synthesize Using Given Year", "Synthesize Using Historical Cycle") and
// fills the synthesized years. True when they were filled; false when a
// check failed or an answer was unusable (the message shown), or the dialog
// was cancelled or nothing was selected. An average of years that are not
// adjacent (which the model would record as the range from the first to the
// last) asks first and offers that whole range; Cancel is the default. The document is marked modified
// when values were written.
bool synthesizeAverage(ModelDocument &doc, Prompter &prompter);
bool synthesizeGivenYear(ModelDocument &doc, Prompter &prompter);
bool synthesizeCycle(ModelDocument &doc, Prompter &prompter);

// "Recalculate": asks for a method ("Choose a method for synthesizing the
// data:") and runs it. Unless the choice itself is cancelled, the document
// is then marked modified, the views are refreshed (SynthesizedTable) and the
// stale-data flag is cleared, whatever the method did (also when its own
// dialog was cancelled). True when the method filled the synthesized years.
bool chooseSynthesisMethod(ModelDocument &doc, DocumentUi &ui);

// ---- Year types and units -------------------------------------------------------

// The Properties dialog's buttons. A change marks the document modified and
// refreshes the views (TablesAndMonthHeaders for a year type, Everything when
// it added a year; Tables for units); a refusal shows its message and
// changes nothing. A change of year type that adds a year or drops values
// other than zero says so first, in counts and years, with Cancel as the
// default; true when it was made.
bool changeYearType(ModelDocument &doc, DocumentUi &ui, int newMode);
void changeUnits(ModelDocument &doc, DocumentUi &ui, int newUnit);
// The monthly-to-daily rule: marks the document modified, converts nothing.
void setUseAvgDaysPerMonth(ModelDocument &doc, bool avg);

// ---- Imports ---------------------------------------------------------------------

// A well output file opened as a new document: removes every location and
// marks the document modified, then asks "Use Computed CU of GW Based on:".
// Dismissing that choice returns false and leaves the document without
// locations. Otherwise imports the file and shows the import's warnings and
// error. Returns false when the file could not be read (the document then
// has no locations), true otherwise.
bool importWendraFile(ModelDocument &doc, Prompter &prompter, const std::string &path);

// Import From Wendra into a document that is open with a model of its own:
// asks the same choice, imports into a scratch model, and only an import
// that succeeds with at least one well takes the place of the document's
// model (ModelDocument::replaceModel, which marks it modified), after which
// the views are refreshed (Everything). A dismissed choice, a file that
// cannot be read and a file without any well leave the document exactly as
// it was (the last two with a message). Returns true when the model was
// replaced.
bool importWendraFileIntoOpenDocument(ModelDocument &doc, DocumentUi &ui, const std::string &path);

// The tab-delimited import with the year type and units chosen in "Set
// Import Options": imports, shows the error, marks the document modified (so
// that the imported data are not lost to a close without the save prompt)
// and refreshes the views (Everything). Returns the import's result.
bool importTabDelimited(ModelDocument &doc, DocumentUi &ui, const std::string &path, int yearMode, int unitMode);
// Asks "Set Import Options" first; false without any change when cancelled.
bool importTabDelimitedAsking(ModelDocument &doc, DocumentUi &ui, const std::string &path);

// The old-format import: reads the file, shows the error, marks the document
// modified and refreshes the views (EverythingButMonthHeaders). Returns the
// reader's result; the document keeps whatever was read.
bool importOldFormat(ModelDocument &doc, DocumentUi &ui, const std::string &path);

} // namespace vek
