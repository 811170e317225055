// Kernel variants: the response rows and the superposition compiled for
// several instruction sets, one chosen per run by what the processor has.
// Every variant gives the same floats: each element of a result receives the
// same operations in the same order whether it is computed alone or in a
// vector register (division, square root, multiplication and addition are
// exactly rounded either way, and nothing is contracted into a fused
// multiply-add).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/real.h"

namespace vek::engine {

enum class KernelVariant : std::uint8_t { Baseline, Avx2, Avx512 };

// "baseline", "avx2", "avx512", and back (false for another word).
const char *kernelVariantName(KernelVariant variant);
bool kernelVariantFromName(std::string_view name, KernelVariant &variant);

// The variants this build holds that this processor runs, baseline first.
std::vector<KernelVariant> availableKernelVariants();
// The fastest of them.
KernelVariant bestKernelVariant();

// A change of a location's diversion rate in run month k, as the
// superposition takes it: the month counted from 0, where the kernel of the
// month's phase in the four-year cycle lies (kernels + base + m is the
// kernel's entry for effect month m + 1, m counted from 0 too) and the size.
struct KernelStep {
    std::int32_t month; // k - 1
    std::int32_t base;
    Real size; // q(k) - q(k-1), not zero, finite
};

// The entry points every variant has.
struct KernelEntry {
    // out[x] = the infinite aquifer's depletion fraction for `factor` at
    // lags[x] days (whole days >= 1, held as floats), as depletionFraction()
    // gives it.
    void (*fractions)(Real factor, const Real *lags, Real *out, int count);
    // Lays the response rows out as the 48 phase kernels (see KernelLayout).
    void (*phaseKernels)(const Real *rows, const std::int32_t *rowStartByPhase, int cycles, Real *kernels,
                         const std::int32_t *kernelStart);
    // Fills e[1..months] with the superposed effect of `steps` (ascending
    // months) on the phase kernels `kernels` (64-byte aligned).
    void (*superpose)(const KernelStep *steps, int count, const Real *kernels, int months, Real *e);
};

namespace kernel_variants {
KernelEntry baseline();
#if defined(VEK_X86_KERNELS)
KernelEntry avx2();
KernelEntry avx512();
#endif
} // namespace kernel_variants

KernelEntry kernelEntry(KernelVariant variant);

} // namespace vek::engine
