// Response kernels: the stream's response to a step, laid out for the
// superposition. The calendar repeats every 48 months (1461 days), so the lag
// between step month k and effect month i depends only on their phases in
// that cycle (beta and alpha) and on the whole cycles between them:
// lag = 1461 * n + offset(beta, alpha). A row holds the fractions of one
// offset for n = 0, 1, 2, ... (about 200 rows of 100 entries for a 400-year
// run, one fraction per distinct lag); the rows are then laid out as 48 phase
// kernels, kernel p holding the fractions for a step of phase p at every
// month lag, which the superposition multiplies into consecutive effect
// months in vector registers while each e(i) still receives its terms in
// ascending k, exactly the floats of the pair loop.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/day_calendar.h"
#include "engine/kernel_variants.h"
#include "engine/location_response.h"
#include "engine/real.h"

namespace vek::engine {

// The rows a run needs, shared by every factor of the run.
class KernelLayout {
  public:
    static constexpr int kPhases = DayCalendar::kCycleMonths;
    static constexpr int kCycleDays = 1461;
    // Zeros before each row's first entry, and the block rows are padded to.
    static constexpr int kRowPad = 16;

    KernelLayout(const DayCalendar &calendar, int months, KernelVariant variant = bestKernelVariant());
    int months() const { return months_; }
    // Four-year cycles the run's months fall in.
    int cycles() const { return cycles_; }
    KernelVariant variant() const { return variant_; }
    const KernelEntry &entry() const { return entry_; }
    // True when some pair would have a lag below one day (never with this calendar).
    bool hasShortLag() const { return shortLag_; }

    int rowCount() const { return static_cast<int>(rowOffsets_.size()); }
    std::size_t rowStride() const { return stride_; }
    // The day lag of entry n of row r is rowOffset(r) + 1461 n.
    int rowOffset(int r) const { return rowOffsets_[static_cast<std::size_t>(r)]; }
    // Those lags as floats, row after row, cycles() of each.
    const std::vector<Real> &rowLags() const { return rowLags_; }
    // [48 * alpha + beta]: index into a kernel's rows of the entry of effect
    // phase alpha, step phase beta, 0 cycles apart; and the same by
    // [48 * beta + alpha].
    const std::int32_t *rowStart() const { return rowStart_.data(); }
    const std::int32_t *rowStartByPhase() const { return rowStartByPhase_.data(); }

    // Phase kernels: kernel p's entry for j months after the step is at
    // kernelStart()[p] + j (j from -15 on, zeros before 0 and after the run),
    // and kernelStart()[p] is p entries past a 64-byte boundary.
    const std::int32_t *kernelStart() const { return kernelStart_.data(); }
    std::size_t kernelSize() const { return kernelSize_; }

  private:
    int months_;
    int cycles_;
    KernelVariant variant_;
    KernelEntry entry_;
    bool shortLag_ = false;
    std::size_t stride_ = 0;
    std::vector<int> rowOffsets_;
    std::vector<Real> rowLags_;
    std::vector<std::int32_t> rowStart_;
    std::vector<std::int32_t> rowStartByPhase_;
    std::vector<std::int32_t> kernelStart_;
    std::size_t kernelSize_ = 0;
};

class ResponseKernels {
  public:
    ResponseKernels(const KernelLayout &layout, Real factor) { build(layout, factor); }
    ResponseKernels(const KernelLayout &layout, const LocationResponse &response,
                    const std::vector<StepResponse> &tables) {
        build(layout, response, tables);
    }
    // Refills the rows for another factor, reusing the storage.
    void build(const KernelLayout &layout, Real factor);
    // Refills them for another response; the infinite aquifer as above, any
    // other method from its double-precision step response stored as floats.
    void build(const KernelLayout &layout, const LocationResponse &response, const std::vector<StepResponse> &tables);
    Real factor() const { return response_.factor; }
    const LocationResponse &response() const { return response_; }
    const KernelLayout &layout() const { return *layout_; }
    // The phase kernels, 64-byte aligned.
    const Real *kernels() const { return kernels_.data() + origin_; }
    // The fraction the superposition takes for step month k and effect month
    // i (1 <= k <= i <= months).
    Real at(int k, int i) const;

  private:
    void prepare(const KernelLayout &layout);
    void layOut();

    const KernelLayout *layout_ = nullptr;
    LocationResponse response_;
    std::vector<Real> rows_;
    std::vector<Real> kernels_;
    std::size_t origin_ = 0;
};

// e(i) += (q(k) - q(k-1)) * fraction(k, i), k ascending, each e(i) receiving
// its terms in ascending k as the pair loop does; e holds zeros on entry. A
// step of zero adds nothing and is skipped. Arrays are 1-based like
// superposeReference. Computed by the kernels' layout's variant.
void superposeKernels(const Real *q, Real *e, int months, const ResponseKernels &kernels);

// Kernels of recently used responses, shared between locations and threads.
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
