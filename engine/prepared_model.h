// A model read once and kept, so that it can be run again and again without
// reading it anew: the run parameters, the response tables and every used
// location with its daily rates, exactly as the vek program reads them. A run
// of it may change each location's depletion factor, its response method's
// parameter (a/W or lambda') and a multiplier of its rates; what is not
// changed gives the numbers the vek program gives, bit for bit.
//
// A prepared model is never changed by a run: any number of threads may run
// the same model at once (each run has its own computation and tables), and
// nothing of the process is touched.
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/engine_run.h"
#include "engine/model_deck.h"
#include "engine/run_tables.h"

namespace vek::engine {

struct PreparedModel {
    std::string source; // the file (or in-memory deck) it was read from, for messages
    RunParameters parameters;
    RunCounts counts;
    std::vector<DeckLocation> locations; // the used locations, in file order
    std::vector<SectionTable> responseTables;
    std::vector<StepResponse> tables; // the step responses of responseTables
    long long unreadTextLine = 0;     // text after the pumping records that is no section (0: none)
    // The stream reaches (their sums at 0) and every used location's shares;
    // empty for a model without reaches.
    ReachResults reaches;
};

// Reads a deck as the vek program reads it. Returns the program's exit
// status, with the program's console lines on `console` (the year limit) and
// `errors` (a "run-time error" line); after a failure `model` holds nothing
// of use.
int prepareModel(DeckSource input, PreparedModel &model, std::ostream &console, std::ostream &errors);

// What one run changes, location by location in the order of
// PreparedModel::locations. An empty list changes nothing of its kind.
struct RunVariation {
    std::vector<Real> factor;    // depletion factor in days (every method but the response table)
    std::vector<Real> parameter; // a/W (alluvial aquifer) or lambda' (streambed resistance); others ignore it
    std::vector<Real> pumping;   // multiplier of the location's daily rates (wells and recharge sites alike)
};

// What makes a variation unusable for `model` (a list of the wrong length, a
// negative or non-finite factor, a parameter its method cannot use, a
// non-finite multiplier), naming the location; empty when it is usable.
std::string variationProblem(const PreparedModel &model, const RunVariation &variation);

// Computes one run of `model` changed by `variation` into `tables`: what the
// vek program's report of the changed model would show (the locations kept
// when the report lists them, the summaries, the response methods used, the
// stream reaches' sums). With the depletion by reach distance each reach's
// own factor is the model's whatever the variation's factor.
// Locations are computed on EngineOptions::threads threads, the summaries
// added in file order whatever the count. Throws std::invalid_argument with
// variationProblem's text for an unusable variation.
void runPrepared(const PreparedModel &model, const RunVariation &variation, RunTables &tables,
                 const EngineOptions &options);

// Runs of one prepared model one after another, as sampled runs make them:
// each run recomputes only the locations whose response (method, factor,
// parameter) or rate multiplier differs from the run before (the first run
// computes all of them) and keeps the volumes of the others; the summaries
// are added anew in file order. Every run gives what runPrepared gives for
// its variation, bit for bit. It keeps every used location's two monthly
// series, 8 bytes a location and month (about 190 MB for 5000 locations
// over 400 years), and the model must outlive it. One run at a time: a
// runner is not shared between threads (give each thread its own).
class PreparedRunner {
  public:
    PreparedRunner(const PreparedModel &model, const EngineOptions &options);
    ~PreparedRunner();
    PreparedRunner(const PreparedRunner &) = delete;
    PreparedRunner &operator=(const PreparedRunner &) = delete;

    // As runPrepared, into `tables`.
    void run(const RunVariation &variation, RunTables &tables);
    // The locations the last run computed.
    std::size_t recomputed() const { return recomputed_; }
    // Every used location's volumes of the last run, in file order, whatever
    // the report's layout.
    const std::vector<RunTables::Location> &volumes() const { return volumes_; }

  private:
    struct Computation;
    const PreparedModel &model_;
    unsigned threads_;
    std::unique_ptr<Computation> computation_;
    std::vector<LocationResponse> responses_; // of the last run
    std::vector<Real> multipliers_;           // of the last run
    std::vector<RunTables::Location> volumes_;
    std::vector<std::vector<Real>> reachVolumes_; // by reach distance: each location's shares' volumes
    std::size_t recomputed_ = 0;
    bool ran_ = false;
};

} // namespace vek::engine
