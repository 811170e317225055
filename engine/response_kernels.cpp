// Kernel variants, kernel layout, response rows, the superposition by rows
// and the kernel cache.
#include "engine/response_kernels.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vek::engine {

const char *kernelVariantName(KernelVariant variant) {
    switch (variant) {
    case KernelVariant::Baseline:
        return "baseline";
    case KernelVariant::Avx2:
        return "avx2";
    case KernelVariant::Avx512:
        return "avx512";
    }
    return "baseline";
}

bool kernelVariantFromName(std::string_view name, KernelVariant &variant) {
    for (KernelVariant v : {KernelVariant::Baseline, KernelVariant::Avx2, KernelVariant::Avx512}) {
        if (name == kernelVariantName(v)) {
            variant = v;
            return true;
        }
    }
    return false;
}

std::vector<KernelVariant> availableKernelVariants() {
    std::vector<KernelVariant> variants{KernelVariant::Baseline};
#if defined(VEK_X86_KERNELS)
    __builtin_cpu_init();
    // The checks include the operating system saving the wider registers.
    if (__builtin_cpu_supports("avx2")) variants.push_back(KernelVariant::Avx2);
    if (__builtin_cpu_supports("avx512f")) variants.push_back(KernelVariant::Avx512);
#endif
    return variants;
}

KernelVariant bestKernelVariant() {
    static const KernelVariant best = availableKernelVariants().back();
    return best;
}

KernelEntry kernelEntry(KernelVariant variant) {
    const std::vector<KernelVariant> available = availableKernelVariants();
    if (std::find(available.begin(), available.end(), variant) == available.end())
        throw std::invalid_argument(std::string("this processor cannot run the ") + kernelVariantName(variant) +
                                    " kernels");
    switch (variant) {
#if defined(VEK_X86_KERNELS)
    case KernelVariant::Avx2:
        return kernel_variants::avx2();
    case KernelVariant::Avx512:
        return kernel_variants::avx512();
#endif
    default:
        return kernel_variants::baseline();
    }
}

KernelLayout::KernelLayout(const DayCalendar &calendar, int months, KernelVariant variant)
    : months_(std::max(months, 0)), cycles_(std::max(1, (months_ + kPhases - 1) / kPhases)), variant_(variant),
      entry_(kernelEntry(variant)) {
    // Each pair's smallest lag comes within a cycle of its step month.
    for (int k = 1; k <= std::min(kPhases, months_); ++k)
        for (int i = k; i <= std::min(months_, k + kPhases); ++i)
            if (calendar[i] - calendar[k - 1] - 15 < 1) shortLag_ = true;

    constexpr int kBlock = 16;
    stride_ = static_cast<std::size_t>(kRowPad + (cycles_ + kBlock - 1) / kBlock * kBlock);
    // Effect month i = 48 A + alpha + 1 and step month k = 48 B + beta + 1:
    // calendar[i] - calendar[k - 1] = 1461 (A - B) + calendar[alpha + 1] -
    // calendar[beta]. The offset is brought into [0, 1461) by whole cycles,
    // which shifts where the pair's entries start in its row; the shift is
    // at most one entry, which the row's leading zeros cover.
    std::vector<int> slot(kCycleDays, -1);
    rowStart_.assign(static_cast<std::size_t>(kPhases * kPhases), 0);
    for (int alpha = 0; alpha < kPhases; ++alpha) {
        for (int beta = 0; beta < kPhases; ++beta) {
            int offset = calendar[alpha + 1] - calendar[beta] - 15;
            int shift = 0;
            while (offset < 0) {
                offset += kCycleDays;
                ++shift;
            }
            if (shift > 1 || offset >= kCycleDays) throw std::logic_error("calendar without a four-year cycle");
            int &row = slot[static_cast<std::size_t>(offset)];
            if (row < 0) {
                row = static_cast<int>(rowOffsets_.size());
                rowOffsets_.push_back(offset);
            }
            rowStart_[static_cast<std::size_t>(kPhases * alpha + beta)] =
                static_cast<std::int32_t>(static_cast<std::size_t>(row) * stride_ + kRowPad) - shift;
        }
    }
    rowLags_.reserve(rowOffsets_.size() * static_cast<std::size_t>(cycles_));
    for (int offset : rowOffsets_)
        for (int n = 0; n < cycles_; ++n)
            rowLags_.push_back(static_cast<Real>(offset + kCycleDays * n));
    rowStartByPhase_.resize(rowStart_.size());
    for (int alpha = 0; alpha < kPhases; ++alpha)
        for (int beta = 0; beta < kPhases; ++beta)
            rowStartByPhase_[static_cast<std::size_t>(kPhases * beta + alpha)] =
                rowStart_[static_cast<std::size_t>(kPhases * alpha + beta)];

    // Phase kernels, one region each: leading zeros for the lanes before a
    // step (and the pairs of earlier phases in the step's own cycle), the
    // run's 48 * cycles months, and zeros for the lanes of a last tile that
    // reach past the run.
    constexpr std::size_t kLead = 64, kTail = 512 + kBlock;
    const std::size_t region = kLead + static_cast<std::size_t>(kPhases * cycles_) + kTail;
    kernelStart_.resize(kPhases);
    for (int p = 0; p < kPhases; ++p)
        kernelStart_[static_cast<std::size_t>(p)] =
            static_cast<std::int32_t>(static_cast<std::size_t>(p) * region + kLead) + p;
    kernelSize_ = kPhases * region;
}

void ResponseKernels::prepare(const KernelLayout &layout) {
    const std::size_t size = static_cast<std::size_t>(layout.rowCount()) * layout.rowStride();
    // Only the entries of the run's cycles are ever written: the zeros
    // before and after them stay from here.
    if (layout_ != &layout || rows_.size() != size) {
        rows_.assign(size, 0.0f);
        constexpr std::size_t kAlign = 64 / sizeof(Real);
        kernels_.assign(layout.kernelSize() + kAlign, 0.0f);
        const auto address = reinterpret_cast<std::uintptr_t>(kernels_.data());
        origin_ = (kAlign - address / sizeof(Real) % kAlign) % kAlign;
    }
    layout_ = &layout;
}

void ResponseKernels::layOut() {
    layout_->entry().phaseKernels(rows_.data(), layout_->rowStartByPhase(), layout_->cycles(),
                                  kernels_.data() + origin_, layout_->kernelStart());
}

void ResponseKernels::build(const KernelLayout &layout, Real factor) {
    prepare(layout);
    response_ = LocationResponse::infiniteAquifer(factor);
    const int cycles = layout.cycles();
    for (int r = 0; r < layout.rowCount(); ++r)
        layout.entry().fractions(
            factor, layout.rowLags().data() + static_cast<std::size_t>(r) * cycles,
            rows_.data() + static_cast<std::size_t>(r) * layout.rowStride() + KernelLayout::kRowPad, cycles);
    layOut();
}

void ResponseKernels::build(const KernelLayout &layout, const LocationResponse &response,
                            const std::vector<StepResponse> &tables) {
    if (response.isInfiniteAquifer()) {
        build(layout, response.factor);
        return;
    }
    prepare(layout);
    response_ = response;
    const StepResponse step = stepResponseFor(response, tables);
    // The values ResponseTable::build gives for these days.
    const int cycles = layout.cycles();
    for (int r = 0; r < layout.rowCount(); ++r) {
        Real *row = rows_.data() + static_cast<std::size_t>(r) * layout.rowStride() + KernelLayout::kRowPad;
        for (int n = 0; n < cycles; ++n) {
            const int lag = layout.rowOffset(r) + KernelLayout::kCycleDays * n;
            row[n] = lag < 1 ? 0.0f : static_cast<Real>(step(lag));
        }
    }
    layOut();
}

Real ResponseKernels::at(int k, int i) const {
    const std::int32_t start = layout_->kernelStart()[(k - 1) % KernelLayout::kPhases];
    return kernels()[start + i - k];
}

namespace {
// The pair loop over the rows, for a location with a step that is not
// finite: only the pairs of the run take part (a zero fraction times an
// infinite step is not a zero term).
void superposeExact(const std::vector<KernelStep> &steps, const ResponseKernels &kernels, int months, Real *e) {
    for (const KernelStep &st : steps) {
        const int k = st.month + 1;
        for (int i = k; i <= months; ++i)
            e[i] = e[i] + st.size * kernels.at(k, i);
    }
}
} // namespace

void superposeKernels(const Real *q, Real *e, int months, const ResponseKernels &kernels) {
    const KernelLayout &layout = kernels.layout();
    if (months > layout.months()) throw std::logic_error("kernels laid out for a shorter run");
    std::vector<KernelStep> steps;
    steps.reserve(static_cast<std::size_t>(months));
    bool finite = true;
    for (int k = 1; k <= months; ++k) {
        const Real step = q[k] - q[k - 1];
        if (step == 0.0f) continue; // adds +0 to every e(i): no change
        finite = finite && std::isfinite(step);
        steps.push_back(KernelStep{k - 1, layout.kernelStart()[(k - 1) % KernelLayout::kPhases] - (k - 1), step});
    }
    if (!finite) {
        superposeExact(steps, kernels, months, e);
        return;
    }
    layout.entry().superpose(steps.data(), static_cast<int>(steps.size()), kernels.kernels(), months, e);
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
