// One run of the engine from input file to report: run parameters, heading,
// location groups in file order (each read, computed, added to the summaries
// and written before memory is reused), summaries, console lines.
#pragma once

#include <exception>
#include <new>
#include <ostream>
#include <string>

#include "engine/deck_reader.h"
#include "engine/kernel_variants.h"
#include "engine/run_tables.h"

namespace vek::engine {

struct EngineOptions {
    // The straightforward computation on one thread: full response table and
    // the pair loop. Kept as the reference the kernel form is checked against.
    bool reference = false;
    // Threads computing locations; 0 means one per hardware thread, and no
    // more than that many are started whatever the count. Results are added
    // to the summaries and written in input order whatever the count.
    unsigned threads = 0;
    // The instruction set the kernels are compiled for; every variant gives
    // the same report.
    KernelVariant kernels = bestKernelVariant();
};

// The threads a run computes on for `requested` (0: all): at least one, at
// most the machine's hardware threads.
unsigned computingThreads(unsigned requested);

// Exit statuses of a run.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitYearLimit = -1;
inline constexpr int kExitRuntimeError = 2;

// The console line of a run with more years than the engine runs.
std::string yearLimitLine();

// Calls `start` (which returns an exit status), turning a failure into the
// "run-time error" line and status of vek.
template <typename Start> int guardedEngineCall(std::ostream &errors, Start start) {
    try {
        return start();
    } catch (const std::bad_alloc &) {
        errors << " run-time error: out of memory" << '\n';
    } catch (const std::exception &e) {
        errors << " run-time error: " << e.what() << '\n';
    }
    return kExitRuntimeError;
}

// Runs the engine. Console lines go to `console` (normal messages) and
// `errors` ("run-time error" lines). Returns the exit status.
int runEngine(const std::string &inputPath, const std::string &outputPath, const EngineOptions &options,
              std::ostream &console, std::ostream &errors);

// Runs the engine without writing a report: the deck comes from `input` (a
// file or a deck in memory) and `tables` receives what the report would
// show. Same console lines and exit statuses; after a failure `tables` holds
// nothing of use. The deck is read strictly forward, as by the program, and
// only the tables are kept; a model to be run again and again is read once
// by prepareModel (prepared_model.h).
int runEngine(DeckSource input, RunTables &tables, const EngineOptions &options, std::ostream &console,
              std::ostream &errors);

} // namespace vek::engine
