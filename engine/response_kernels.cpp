// Kernel layout, kernels, the kernel superposition and the kernel cache.
#include "engine/response_kernels.h"

#include <algorithm>
#include <bit>

#include "engine/response_table.h"

namespace vek::engine {

KernelLayout::KernelLayout(const DayCalendar &calendar, int months)
    : months_(std::max(months, 0)), phases_(std::min(DayCalendar::kCycleMonths, std::max(months, 1))) {
    // Lags of the first step month of each phase; later months of the same
    // phase see the same lags (the calendar repeats every 48 months).
    const std::size_t n = static_cast<std::size_t>(phases_) * static_cast<std::size_t>(months_);
    std::vector<int> raw(n, 0);
    for (int p = 0; p < phases_; ++p) {
        const int k = p + 1;
        for (int j = 0; k + j <= months_; ++j) {
            int lag = calendar[k + j] - calendar[k - 1] - 15;
            if (lag < 1) {
                shortLag_ = true;
                lag = 0; // contributes nothing: its fraction is held as 0
            }
            raw[static_cast<std::size_t>(p * months_ + j)] = lag;
        }
    }
    lags_ = raw;
    std::sort(lags_.begin(), lags_.end());
    lags_.erase(std::unique(lags_.begin(), lags_.end()), lags_.end());
    lagIndex_.resize(n);
    for (std::size_t x = 0; x < n; ++x) {
        lagIndex_[x] = static_cast<std::int32_t>(std::lower_bound(lags_.begin(), lags_.end(), raw[x]) - lags_.begin());
    }
}

ResponseKernels::ResponseKernels(const KernelLayout &layout, Real factor)
    : factor_(factor), months_(layout.months()), phases_(layout.phases()) {
    // Only the lags the run uses, each computed exactly as the full table does.
    const auto &lags = layout.lags();
    std::vector<Real> fraction(lags.size());
    for (std::size_t x = 0; x < lags.size(); ++x)
        fraction[x] = lags[x] >= 1 ? depletionFraction(factor, lags[x]) : 0.0f;
    const auto &index = layout.lagIndex();
    values_.resize(index.size());
    for (std::size_t x = 0; x < index.size(); ++x)
        values_[x] = fraction[static_cast<std::size_t>(index[x])];
}

namespace {
// Element by element: no sum crosses elements, so vector code gives the same
// floats as scalar code. Built for several instruction sets, picked at load.
__attribute__((target_clones("avx512f", "avx2", "default"))) void
addScaled(Real *__restrict e, const Real *__restrict kernel, Real step, int n) {
    for (int j = 0; j < n; ++j)
        e[j] = e[j] + step * kernel[j];
}
} // namespace

void superposeKernels(const Real *q, Real *e, int months, const ResponseKernels &kernels) {
    for (int k = 1; k <= months; ++k) {
        const Real step = q[k] - q[k - 1];
        if (step == 0.0f) continue; // adds +0 to every e(i): no change
        addScaled(e + k, kernels.forStepMonth(k), step, months - k + 1);
    }
}

std::shared_ptr<const ResponseKernels> KernelCache::get(Real factor) {
    const auto key = std::bit_cast<std::uint32_t>(factor);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (std::bit_cast<std::uint32_t>((*it)->factor()) == key) {
                entries_.splice(entries_.begin(), entries_, it);
                return entries_.front();
            }
        }
    }
    // Built outside the lock so other threads keep working.
    auto built = std::make_shared<const ResponseKernels>(layout_, factor);
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.push_front(built);
    if (entries_.size() > capacity_) entries_.pop_back();
    return built;
}

} // namespace vek::engine
