// Kernel layout, kernels, the kernel superposition and the kernel cache.
#include "engine/response_kernels.h"

#include <algorithm>
#include <cmath>

#include "engine/exp_float.h"

#include "engine/response_table.h"

namespace vek::engine {

KernelLayout::KernelLayout(const DayCalendar &calendar, int months)
    : months_(std::max(months, 0)), phases_(std::min(DayCalendar::kCycleMonths, std::max(months, 1))) {
    // Lags of the first step month of each phase; later months of the same
    // phase see the same lags (the calendar repeats every 48 months).
    const std::size_t n = static_cast<std::size_t>(phases_) * static_cast<std::size_t>(months_);
    // Entries past the end of the run (j > months - k) are never used; they
    // point at lag 0, whose fraction is held as 0.
    lagIndex_.assign(n, 0);
    const int lastDay = calendar[months_];
    std::vector<std::int32_t> slot(static_cast<std::size_t>(lastDay) + 1, -1);
    slot[0] = 0;
    for (int p = 0; p < phases_; ++p) {
        const int k = p + 1;
        for (int j = 0; k + j <= months_; ++j) {
            int lag = calendar[k + j] - calendar[k - 1] - 15;
            if (lag < 1) {
                shortLag_ = true;
                lag = 0; // contributes nothing: its fraction is held as 0
            }
            lagIndex_[static_cast<std::size_t>(p * months_ + j)] = lag;
            slot[static_cast<std::size_t>(lag)] = 0;
        }
    }
    for (std::size_t t = 0; t < slot.size(); ++t) {
        if (slot[t] < 0) continue;
        slot[t] = static_cast<std::int32_t>(lags_.size());
        lags_.push_back(static_cast<int>(t));
    }
    for (auto &x : lagIndex_)
        x = slot[static_cast<std::size_t>(x)];
}

// The response table's formula for many lags at once, in passes the compiler
// can vectorise: division, square root and the polynomial are exactly rounded
// operations whether done one by one or in vector registers, and the
// exponential is the scalar expFloat(), so every entry is the float
// depletionFraction() gives.
static void fillFractions(Real factor, const int *lags, Real *fraction, std::vector<Real> &scratch, std::size_t n) {
    scratch.resize(2 * n);
    Real *u = scratch.data();
    Real *g = scratch.data() + n;
    for (std::size_t x = 0; x < n; ++x)
        u[x] = 0.5f * std::sqrt(factor / static_cast<Real>(lags[x]));
    for (std::size_t x = 0; x < n; ++x)
        g[x] = u[x] > 3.0f ? 0.0f : expFloat(-u[x] * u[x]);
    for (std::size_t x = 0; x < n; ++x) {
        const Real s = 1.0f / (1.0f + 0.3275911f * u[x]);
        Real poly = -1.453152027f + s * 1.061405429f;
        poly = 1.421413741f + s * poly;
        poly = -0.284496736f + s * poly;
        poly = 0.254829592f + s * poly;
        const Real erf = 1.0f - poly * g[x] * s;
        fraction[x] = u[x] > 3.0f ? 0.0f : 1.0f - erf;
    }
    // A lag below one day (never with this calendar) contributes nothing.
    for (std::size_t x = 0; x < n && lags[x] < 1; ++x)
        fraction[x] = 0.0f;
}

void ResponseKernels::build(const KernelLayout &layout, Real factor) {
    response_ = LocationResponse::infiniteAquifer(factor);
    // Only the lags the run uses, each computed exactly as the full table does.
    const auto &lags = layout.lags();
    fraction_.resize(lags.size());
    fillFractions(factor, lags.data(), fraction_.data(), scratch_, lags.size());
    layOut(layout);
}

void ResponseKernels::build(const KernelLayout &layout, const LocationResponse &response,
                            const std::vector<StepResponse> &tables) {
    if (response.isInfiniteAquifer()) {
        build(layout, response.factor);
        return;
    }
    response_ = response;
    const StepResponse step = stepResponseFor(response, tables);
    // The values ResponseTable::build gives for these days.
    const auto &lags = layout.lags();
    fraction_.resize(lags.size());
    for (std::size_t x = 0; x < lags.size(); ++x)
        fraction_[x] = lags[x] < 1 ? 0.0f : static_cast<Real>(step(lags[x]));
    layOut(layout);
}

void ResponseKernels::layOut(const KernelLayout &layout) {
    months_ = layout.months();
    phases_ = layout.phases();
    const auto &index = layout.lagIndex();
    values_.resize(index.size());
    for (std::size_t x = 0; x < index.size(); ++x)
        values_[x] = fraction_[static_cast<std::size_t>(index[x])];
    firstNonZero_.assign(static_cast<std::size_t>(phases_), 0);
    for (int p = 0; p < phases_; ++p) {
        const Real *kernel = values_.data() + static_cast<std::size_t>(p) * static_cast<std::size_t>(months_);
        int j = 0;
        while (j < months_ && kernel[j] == 0.0f)
            ++j;
        firstNonZero_[static_cast<std::size_t>(p)] = j;
    }
}

// Element-wise loops are built for several instruction sets and picked at
// load time; not under the thread sanitizer, whose start-up would come after
// the choosing. Windows has no load-time choosing (no ifunc).
#if defined(__SANITIZE_THREAD__) || defined(_WIN32)
#define VEK_CLONES
#else
#define VEK_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#endif

namespace {
// Element by element: no sum crosses elements, so vector code gives the same
// floats as scalar code.
VEK_CLONES void addScaled(Real *__restrict e, const Real *__restrict kernel, Real step, int n) {
    for (int j = 0; j < n; ++j)
        e[j] = e[j] + step * kernel[j];
}

// Four steps at once, each element still receiving them in order: one load
// and one store of e instead of four.
VEK_CLONES void addScaled4(Real *__restrict e, const Real *__restrict k1, const Real *__restrict k2,
                           const Real *__restrict k3, const Real *__restrict k4, Real s1, Real s2, Real s3, Real s4,
                           int n) {
    for (int j = 0; j < n; ++j) {
        Real v = e[j] + s1 * k1[j];
        v = v + s2 * k2[j];
        v = v + s3 * k3[j];
        e[j] = v + s4 * k4[j];
    }
}

struct Step {
    int month; // k
    int start; // first effect month that gets a non-zero term
    Real size; // q(k) - q(k-1)
};
} // namespace

void superposeKernels(const Real *q, Real *e, int months, const ResponseKernels &kernels) {
    Step pending[4];
    int count = 0;
    auto flush = [&] {
        if (count == 0) return;
        int common = 0;
        for (int s = 0; s < count; ++s)
            common = std::max(common, pending[s].start);
        // Before the common start, each step alone, in step order; their
        // ranges end where the fused pass begins, so every element still
        // gets its terms in ascending k.
        for (int s = 0; s < count; ++s) {
            const Step &st = pending[s];
            const int end = count == 4 ? common : months + 1;
            if (end > st.start)
                addScaled(e + st.start, kernels.forStepMonth(st.month) + (st.start - st.month), st.size,
                          end - st.start);
        }
        if (count == 4 && common <= months) {
            const Real *k[4];
            for (int s = 0; s < 4; ++s)
                k[s] = kernels.forStepMonth(pending[s].month) + (common - pending[s].month);
            addScaled4(e + common, k[0], k[1], k[2], k[3], pending[0].size, pending[1].size, pending[2].size,
                       pending[3].size, months + 1 - common);
        }
        count = 0;
    };
    for (int k = 1; k <= months; ++k) {
        const Real step = q[k] - q[k - 1];
        if (step == 0.0f) continue; // adds +0 to every e(i): no change
        // Leading zeros of the kernel add +0 or -0, which change no e(i)
        // (none is -0); only a step that overflowed would turn them into NaN.
        const int skip = std::isfinite(step) ? std::min(kernels.firstNonZero(k), months - k + 1) : 0;
        pending[count++] = Step{k, k + skip, step};
        if (count == 4) flush();
    }
    flush();
}

std::shared_ptr<const ResponseKernels> KernelCache::get(Real factor) {
    return get(LocationResponse::infiniteAquifer(factor), {});
}

std::shared_ptr<const ResponseKernels> KernelCache::get(const LocationResponse &response,
                                                        const std::vector<StepResponse> &tables) {
    std::shared_ptr<ResponseKernels> reuse;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if ((*it)->response().sameResponse(response)) {
                entries_.splice(entries_.begin(), entries_, it);
                return entries_.front();
            }
        }
        // The oldest entry's storage is taken over when nobody still uses it.
        if (entries_.size() >= capacity_ && entries_.back().use_count() == 1) {
            reuse = std::move(entries_.back());
            entries_.pop_back();
        }
    }
    // Built outside the lock so other threads keep working.
    if (reuse) {
        reuse->build(layout_, response, tables);
    } else {
        reuse = std::make_shared<ResponseKernels>(layout_, response, tables);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.push_front(reuse);
    while (entries_.size() > capacity_)
        entries_.pop_back();
    return reuse;
}

} // namespace vek::engine
