// What a run gives per stream reach: each reach's net impact, month by month
// (the sum over the used locations of their depletions and accretions times
// their share of the reach), and each location's shares, so that a report
// says how it was split. Written after the response-method list, after
// everything a report reader of old reads, and only when the model has
// reaches: a report without them is unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/reach_section.h"
#include "engine/real.h"
#include "engine/run_parameters.h"

namespace vek::engine {

struct ReachTotals {
    std::string name;
    std::vector<Real> effect; // 1-based months, acre-feet (depletions negative)
};

struct ReportedShare {
    long long location = 0; // 1-based position in the model file
    std::string name;       // as the engine keeps it (90 characters)
    long long reach = 0;    // 1-based
    double fraction = 0.0;
    double distance = -1.0; // below 0: not known
    bool hasFactor = false;
    Real factor = 0.0f;
    std::string method; // apportionmentName of the location's rule
};

// One location's share of one stream reach, as a run uses it.
struct LocationShare {
    std::size_t reach = 0; // 0-based
    Real fraction = 0.0f;
    Real factor = 0.0f; // the depletion by reach distance: the reach's own factor
};

struct ReachResults {
    ReachDepletion depletion = ReachDepletion::Apportioned;
    bool metres = false;
    std::vector<ReachTotals> reaches;  // in the model's order
    std::vector<ReportedShare> shares; // used locations in input order, their reaches in order
    bool present() const { return !reaches.empty(); }
};

// Adds one location's part to each reach's net impact over months first ..
// last: its stream effect (monthly volumes, 1-based) times each share's
// fraction, or, with the depletion by reach distance, each share's own
// volumes (`byDistance`: months + 1 apiece, in the order of `shares`) times
// it. Each month's sum takes the locations in the order they are added, so
// callers that share the months out between threads (each adding every
// location to its own months) get the sums of one thread, bit for bit.
void addReachShares(ReachResults &reaches, const std::vector<LocationShare> &shares, const Real *effect,
                    const Real *byDistance, int months, int first, int last);

// The months of part `part` of `parts` (first and last, 1-based), the run's
// months shared out evenly.
struct MonthRange {
    int first = 1, last = 0;
};
MonthRange monthsOfPart(std::size_t part, std::size_t parts, int months);

// How many parts of months the reaches' sums are shared out in between
// `threads` threads: a few per thread, none shorter than a year.
std::size_t reachSumParts(int months, unsigned threads);

// The stream reaches' sums of a run that meets its locations one at a time:
// each location's part is kept until a batch is full, then the batch is added
// a part of the months at a time (the parts may run on threads of their own,
// at once), every month's sum taking the batch's locations in their order.
class ReachBatch {
  public:
    ReachBatch(ReachResults &reaches, int months, unsigned threads);

    // Keeps one location's part: its shares and stream effect are copied, the
    // volumes by reach distance taken (`byDistance` gets a vector to reuse).
    // True when the batch is full and wants adding.
    bool keep(const std::vector<LocationShare> &shares, const Real *effect, std::vector<Real> &byDistance);
    // Adds part `part` of parts() of the kept locations to the sums; parts
    // may run at once on different threads. Throws nothing.
    void addPart(std::size_t part) const noexcept;
    std::size_t parts() const { return parts_; }
    bool empty() const { return count_ == 0; }
    // Forgets the kept locations, once every part is added.
    void clear();

  private:
    struct Kept {
        std::vector<LocationShare> shares;
        std::vector<Real> effect, byDistance;
    };
    ReachResults &reaches_;
    int months_;
    std::size_t parts_;
    std::vector<Kept> kept_;
    std::size_t count_ = 0;
    std::size_t values_ = 0; // volumes held, to bound the batch's memory
};

namespace report {

// The title line of a reach's table (the name cut to 60 characters).
std::string reachTitle(const std::string &name);

// Every reach's table in the net impact's layout, then the list of shares.
// Nothing for a model without reaches or a report without titles.
void appendReaches(std::string &out, const ReachResults &reaches, const RunParameters &p, const RunCounts &c);

} // namespace report

} // namespace vek::engine
