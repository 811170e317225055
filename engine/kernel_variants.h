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

// A change of a location's diversion rate in run month k = 48 * cycle +
// phase + 1 (a month's place in the calendar's four-year cycle is its phase).
struct KernelStep {
    std::int16_t cycle;
    std::int16_t phase;
    Real size; // q(k) - q(k-1), not zero, finite
};

// The entry points every variant has.
struct KernelEntry {
    // out[x] = the infinite aquifer's depletion fraction for `factor` at
    // lags[x] days (whole days >= 1, held as floats), as depletionFraction()
    // gives it.
    void (*fractions)(Real factor, const Real *lags, Real *out, int count);
    // Fills e[1..months] with the superposed effect of `steps` (ascending
    // months). `rows` are the response rows of ResponseKernels and
    // `rowStart[48 * alpha + beta]` where the row of effect phase alpha and
    // step phase beta has its entry for a lag of 0 cycles; each row has at
    // least 16 zeros before its first entry and room for whole vectors of
    // ceil(cycles / 16) * 16 entries after it.
    void (*superpose)(const KernelStep *steps, int count, const Real *rows, const std::int32_t *rowStart, int months,
                      Real *e);
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
