// Response kernels: the stream's response to a step in run month k, laid out
// by the lag in months i - k. The lag in days depends only on i - k and on
// where k falls in the four-year (48-month) cycle of the day calendar, so 48
// kernels per depletion factor turn the superposition into contiguous
// multiply-adds that give exactly the floats of the pair loop.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/day_calendar.h"
#include "engine/location_response.h"
#include "engine/real.h"

namespace vek::engine {

// The day lags a run needs, shared by every factor of the run.
class KernelLayout {
  public:
    KernelLayout(const DayCalendar &calendar, int months);
    int months() const { return months_; }
    int phases() const { return phases_; }
    // Distinct lags (days) used anywhere, ascending; 0 first, standing for
    // "no term".
    const std::vector<int> &lags() const { return lags_; }
    // For phase p and month offset j: index into lags() (p * months + j).
    const std::vector<std::int32_t> &lagIndex() const { return lagIndex_; }
    // True when some pair would have a lag below one day (never with this calendar).
    bool hasShortLag() const { return shortLag_; }

  private:
    int months_;
    int phases_;
    std::vector<int> lags_;
    std::vector<std::int32_t> lagIndex_;
    bool shortLag_ = false;
};

class ResponseKernels {
  public:
    ResponseKernels(const KernelLayout &layout, Real factor) { build(layout, factor); }
    ResponseKernels(const KernelLayout &layout, const LocationResponse &response,
                    const std::vector<StepResponse> &tables) {
        build(layout, response, tables);
    }
    // Refills the kernels for another factor, reusing the storage.
    void build(const KernelLayout &layout, Real factor);
    // Refills them for another response; the infinite aquifer as above, any
    // other method from its double-precision step response stored as floats.
    void build(const KernelLayout &layout, const LocationResponse &response, const std::vector<StepResponse> &tables);
    Real factor() const { return response_.factor; }
    const LocationResponse &response() const { return response_; }
    // Kernel of step month k (1-based): entry j is the fraction for effect month k + j.
    const Real *forStepMonth(int k) const { return values_.data() + offset(k); }
    // Entries before this one are 0 (a large factor keeps the stream unaware
    // of a step for months).
    int firstNonZero(int k) const { return firstNonZero_[static_cast<std::size_t>((k - 1) % phases_)]; }

  private:
    std::size_t offset(int k) const {
        return static_cast<std::size_t>((k - 1) % phases_) * static_cast<std::size_t>(months_);
    }
    // Kernels by month lag from the fractions of the distinct day lags.
    void layOut(const KernelLayout &layout);

    LocationResponse response_;
    int months_ = 0;
    int phases_ = 1;
    std::vector<Real> fraction_; // by distinct lag
    std::vector<Real> scratch_;
    std::vector<Real> values_;
    std::vector<int> firstNonZero_;
};

// e(i) += (q(k) - q(k-1)) * kernel_k(i - k), k ascending, each e(i) receiving
// its terms in ascending k as the pair loop does. A step of zero adds nothing
// and is skipped. Arrays are 1-based like superposeReference.
void superposeKernels(const Real *q, Real *e, int months, const ResponseKernels &kernels);

// Kernels of recently used factors, shared between locations and threads.
// Bounded, so memory does not grow with the number of locations.
class KernelCache {
  public:
    KernelCache(const KernelLayout &layout, std::size_t capacity) : layout_(layout), capacity_(capacity) {}
    std::shared_ptr<const ResponseKernels> get(Real factor);
    // Kernels of any response; `tables` are the run's response tables.
    std::shared_ptr<const ResponseKernels> get(const LocationResponse &response,
                                               const std::vector<StepResponse> &tables);

  private:
    const KernelLayout &layout_;
    std::size_t capacity_;
    std::mutex mutex_;
    std::list<std::shared_ptr<ResponseKernels>> entries_; // most recent first
};

} // namespace vek::engine
