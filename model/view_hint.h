// What the views of a model input document refill after a change: the
// document passes one of these to every view, and the form refills what it
// names.
#pragma once

namespace vek {

enum class ViewHint {
    // The month headers, then everything below.
    Everything = 0,
    // The year edits, the run range, the output type, the location list,
    // both tables and their captions (the month headers stay).
    EverythingButMonthHeaders = 1,
    HistoricalTable = 2,
    // The synthesized table and the captions.
    SynthesizedTable = 3,
    // Both tables, the month headers and the captions (a new year type).
    TablesAndMonthHeaders = 4,
    // Both tables and the captions (new units).
    Tables = 5,
    // The cells of the location list only: its rows, its selection and the
    // run range stay as they are.
    LocationCells = 6,
};

} // namespace vek
