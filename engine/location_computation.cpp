// One location's stream effect and volumes.
#include "engine/location_computation.h"

#include <algorithm>

#include "engine/superposition.h"
#include "facts/vek_facts.h"

namespace vek::engine {

LocationComputation::LocationComputation(const RunParameters &p, int months, const std::vector<StepResponse> &tables,
                                         const EngineOptions &options, unsigned workers)
    : p_(p), months_(months), tables_(tables), reference_(options.reference), calendar_(p.outputStartYear) {
    if (reference_) {
        scratch_.resize(std::max(1u, workers));
        return;
    }
    layout_ = std::make_unique<KernelLayout>(calendar_, months_, options.kernels);
    // Room for the response of every worker's location plus a few recent ones.
    kernels_ = std::make_unique<KernelCache>(*layout_, static_cast<std::size_t>(std::max(1u, workers)) + 8);
}

void LocationComputation::superpose(const LocationResponse &response, const Real *q, Real *e, unsigned worker,
                                    std::ostream &console) const {
    const int m = months_;
    std::fill(e, e + m + 1, 0.0f);
    if (reference_) {
        ResponseTable &table = scratch_[worker];
        if (response.isInfiniteAquifer())
            table.build(response.factor, calendar_[m]);
        else
            table.build(stepResponseFor(response, tables_), calendar_[m]);
        superposeReference(q, e, m, calendar_, table.data(), console);
    } else {
        superposeKernels(q, e, m, *kernels_->get(response, tables_));
    }
}

Real LocationComputation::daysOf(int month) const {
    if (p_.useAvgDaysPerMonth == 1) return kMonthlyToDailyRuleDays;
    if (p_.useAvgDaysPerMonth == 0) return static_cast<Real>(calendar_.daysInMonth(month));
    return kFallbackDaysPerMonth;
}

void LocationComputation::compute(const LocationResponse &response, int locationType, const Real *q, Real *e,
                                  Real *diversion, Real *effect, unsigned worker, std::ostream &console) const {
    superpose(response, q, e, worker, console);
    // Monthly volumes; wells carry the sign of their type.
    const Real sigma = static_cast<Real>(locationType);
    for (int i = 1; i <= months_; ++i) {
        const Real days = daysOf(i);
        diversion[i] = q[i] * days * sigma;
        effect[i] = e[i] * days * sigma;
    }
}

void LocationComputation::computeByDistance(const LocationResponse &response, int locationType, const Real *q,
                                            const std::vector<LocationShare> &shares, Real *e,
                                            std::vector<Real> &volumes, unsigned worker, std::ostream &console) const {
    const std::size_t stride = static_cast<std::size_t>(months_) + 1;
    volumes.assign(shares.size() * stride, 0.0f);
    const Real sigma = static_cast<Real>(locationType);
    for (std::size_t k = 0; k < shares.size(); ++k) {
        LocationResponse own = response;
        own.factor = shares[k].factor;
        superpose(own, q, e, worker, console);
        Real *out = volumes.data() + k * stride;
        for (int i = 1; i <= months_; ++i)
            out[i] = e[i] * daysOf(i) * sigma;
    }
}

} // namespace vek::engine
