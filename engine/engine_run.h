// One run of the engine from input file to report: run parameters, heading,
// location groups in file order (each read, computed, added to the summaries
// and written before memory is reused), summaries, console lines.
#pragma once

#include <cstdio>
#include <functional>
#include <ostream>
#include <string>

#include "engine/deck_reader.h"
#include "engine/run_tables.h"

namespace vek::engine {

struct EngineOptions {
    // The straightforward computation on one thread: full response table and
    // the pair loop. Kept as the reference the kernel form is checked against.
    bool reference = false;
    // Threads computing locations; 0 means one per core. Results are added to
    // the summaries and written in input order whatever the count.
    unsigned threads = 0;
    // How the report file is opened; the default when empty (see
    // ReportOpener).
    std::function<std::FILE *(const std::string &path)> openReport;
};

// Exit statuses of a run.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitYearLimit = -1;
inline constexpr int kExitRuntimeError = 2;

// Runs the engine. Console lines go to `console` (normal messages) and
// `errors` ("run-time error" lines). Returns the exit status.
int runEngine(const std::string &inputPath, const std::string &outputPath, const EngineOptions &options,
              std::ostream &console, std::ostream &errors);

// Runs the engine without writing a report: the deck comes from `input` (a
// file or a deck in memory) and `tables` receives what the report would
// show. Same console lines and exit statuses; after a failure `tables` holds
// nothing of use.
int runEngine(DeckSource input, RunTables &tables, const EngineOptions &options, std::ostream &console,
              std::ostream &errors);

} // namespace vek::engine
