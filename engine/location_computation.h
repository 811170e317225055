// What every run computes for one location: the stream effect of its daily
// rates by the superposition, then both series as monthly volumes carrying
// the sign of the location's type. Shared by the vek program and by runs of a
// prepared model; thread-safe (each thread passes its own worker number).
#pragma once

#include <memory>
#include <ostream>
#include <vector>

#include "engine/day_calendar.h"
#include "engine/engine_run.h"
#include "engine/location_response.h"
#include "engine/reach_report.h"
#include "engine/response_kernels.h"
#include "engine/response_table.h"
#include "engine/run_parameters.h"

namespace vek::engine {

class LocationComputation {
  public:
    // `tables` are the run's response tables; `workers` the threads that will
    // compute (each with its own scratch for the straightforward computation).
    LocationComputation(const RunParameters &p, int months, const std::vector<StepResponse> &tables,
                        const EngineOptions &options, unsigned workers);

    int months() const { return months_; }
    const DayCalendar &calendar() const { return calendar_; }

    // q: daily rates, 1-based (q[0] = 0). Fills e (the stream effect rates,
    // 1-based; months + 1 entries of scratch) and the monthly volumes
    // diversion and effect (1-based). `console` receives the straightforward
    // computation's lag messages.
    void compute(const LocationResponse &response, int locationType, const Real *q, Real *e, Real *diversion,
                 Real *effect, unsigned worker, std::ostream &console) const;

    // With the depletion by reach distance: each share's monthly volumes of
    // the stream effect from a response of its own (the location's method
    // with the share's factor), months + 1 apiece into `volumes` in the order
    // of `shares`. e as above.
    void computeByDistance(const LocationResponse &response, int locationType, const Real *q,
                           const std::vector<LocationShare> &shares, Real *e, std::vector<Real> &volumes,
                           unsigned worker, std::ostream &console) const;

  private:
    void superpose(const LocationResponse &response, const Real *q, Real *e, unsigned worker,
                   std::ostream &console) const;
    Real daysOf(int month) const;

    RunParameters p_;
    int months_;
    const std::vector<StepResponse> &tables_;
    bool reference_;
    DayCalendar calendar_;
    std::unique_ptr<KernelLayout> layout_;
    std::unique_ptr<KernelCache> kernels_;
    mutable std::vector<ResponseTable> scratch_; // one per worker, straightforward computation only
};

} // namespace vek::engine
