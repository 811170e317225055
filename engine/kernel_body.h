// The body of one kernel variant, included once by each variant's source
// after it defines VEK_KERNEL_LANES (floats per vector register),
// VEK_KERNEL_REGISTERS (1: the superposition keeps its sums in vector
// registers, for instruction sets with enough of them) and
// VEK_KERNEL_RESIDUES (effect phases computed together). Everything here is
// local to that source: each variant's source is compiled for its own
// instruction set, and no function compiled for one may be shared with code
// compiled for another, so nothing from the standard library or other
// headers is called.
#pragma once

#include <cstdint>

#include "engine/exp_float.h"
#include "engine/kernel_variants.h"

#ifndef VEK_KERNEL_LANES
#error "define VEK_KERNEL_LANES before including kernel_body.h"
#endif

namespace {

using vek::engine::KernelStep;
using vek::engine::Real;

constexpr int kLanes = VEK_KERNEL_LANES;
constexpr int kResidues = VEK_KERNEL_RESIDUES;
constexpr int kPhases = 48;
// Cycles of the longest run (400 years).
constexpr int kMaxCycles = (12 * vek::engine::kMaxRunYears + kPhases - 1) / kPhases;
constexpr int kMaxBlocks = (kMaxCycles + kLanes - 1) / kLanes;

typedef float Vec __attribute__((vector_size(4 * kLanes)));

inline Vec loadVec(const Real *p) {
    Vec v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

// expFloat() for x in [-104, 89] without its range checks, so that a loop of
// it vectorises: the same double operations in the same order.
inline float expCore(float x) {
    using namespace vek::engine::exp_float;
    const double z = kInvLn2N * static_cast<double>(x);
    const double shifted = z + kShift;
    std::uint64_t ki;
    __builtin_memcpy(&ki, &shifted, sizeof ki);
    const double kd = shifted - kShift;
    const double r = z - kd;
    const std::uint64_t bits = kTable[ki % kN] + (ki << (52 - kTableBits));
    double s;
    __builtin_memcpy(&s, &bits, sizeof s);
    const double p = kC0 * r + kC1;
    const double r2 = r * r;
    double y = kC2 * r + 1.0;
    y = p * r2 + y;
    return static_cast<float>(y * s);
}

// depletionFraction() step by step. Above u = 3 the fraction is 0: `keep`
// is then 0, the exponential is taken of 0 so that it stays in range, and
// the result is multiplied by it (a product by 1 changes nothing), all
// without a branch, so that the loop vectorises.
void fractions(Real factor, const Real *lags, Real *out, int count) {
    for (int x = 0; x < count; ++x) {
        const Real u = 0.5f * __builtin_sqrtf(factor / lags[x]);
        const Real keep = static_cast<Real>(u <= 3.0f);
        const Real kept = u * keep;
        const Real g = expCore(-kept * kept);
        const Real s = 1.0f / (1.0f + 0.3275911f * u);
        Real poly = -1.453152027f + s * 1.061405429f;
        poly = 1.421413741f + s * poly;
        poly = -0.284496736f + s * poly;
        poly = 0.254829592f + s * poly;
        const Real erf = 1.0f - poly * g * s;
        out[x] = (1.0f - erf) * keep;
    }
}

#if VEK_KERNEL_REGISTERS
// kResidues effect phases at once, the run's cycles of each in NB vector
// registers. The registers' lanes end with the last cycle: lane L of block v
// holds cycle A = v * kLanes + L - origin. Every step adds its term to the
// blocks from the one holding its own cycle on (lanes before it get the
// zeros in front of the row, and adding a zero product changes no sum, none
// being -0), in ascending step order. Steps come in segments by that first
// block, so that each segment's loop has fixed bounds.
template <int NB> struct Accumulators {
    Vec acc[kResidues][NB];
};

template <int NB, int FIRST>
__attribute__((always_inline)) inline void segment(Accumulators<NB> &a, const KernelStep *steps, int begin, int end,
                                                   const Real *rows, const std::int32_t *starts, int origin) {
    for (int x = begin; x < end; ++x) {
        const KernelStep st = steps[x];
        const Real *row[kResidues];
        for (int r = 0; r < kResidues; ++r)
            row[r] = rows + starts[kPhases * r + st.phase] - st.cycle - origin;
#pragma GCC unroll 32
        for (int v = FIRST; v < NB; ++v)
#pragma GCC unroll 4
            for (int r = 0; r < kResidues; ++r)
                a.acc[r][v] = a.acc[r][v] + st.size * loadVec(row[r] + v * kLanes);
    }
}

template <int NB, int FIRST>
__attribute__((always_inline)) inline void segments(Accumulators<NB> &a, const KernelStep *steps, const int *ends,
                                                    const Real *rows, const std::int32_t *starts, int origin) {
    segment<NB, FIRST>(a, steps, FIRST == 0 ? 0 : ends[FIRST - 1], ends[FIRST], rows, starts, origin);
    if constexpr (FIRST + 1 < NB) segments<NB, FIRST + 1>(a, steps, ends, rows, starts, origin);
}

template <int NB>
void residueGroup(const KernelStep *steps, const int *ends, const Real *rows, const std::int32_t *starts, int origin,
                  Real *out) {
    Accumulators<NB> a;
    for (int r = 0; r < kResidues; ++r)
        for (int v = 0; v < NB; ++v)
            a.acc[r][v] = Vec{};
    segments<NB, 0>(a, steps, ends, rows, starts, origin);
    for (int r = 0; r < kResidues; ++r)
        for (int v = 0; v < NB; ++v)
            __builtin_memcpy(out + (r * NB + v) * kLanes, &a.acc[r][v], sizeof(Vec));
}

template <int NB>
void residueGroupOf(int blocks, const KernelStep *steps, const int *ends, const Real *rows,
                    const std::int32_t *starts, int origin, Real *out) {
    if constexpr (NB > 1) {
        if (blocks < NB) {
            residueGroupOf<NB - 1>(blocks, steps, ends, rows, starts, origin, out);
            return;
        }
    }
    residueGroup<NB>(steps, ends, rows, starts, origin, out);
}

void superpose(const KernelStep *steps, int count, const Real *rows, const std::int32_t *rowStart, int months,
               Real *e) {
    const int cycles = (months + kPhases - 1) / kPhases;
    const int blocks = (cycles + kLanes - 1) / kLanes;
    const int origin = blocks * kLanes - cycles;
    const int phases = months < kPhases ? months : kPhases;
    // Where the steps whose first block is v end (steps ascend).
    int ends[kMaxBlocks];
    for (int v = 0, x = 0; v < blocks; ++v) {
        while (x < count && (steps[x].cycle + origin) / kLanes <= v)
            ++x;
        ends[v] = x;
    }
    alignas(64) Real out[kResidues * kMaxBlocks * kLanes];
    for (int alpha = 0; alpha < phases; alpha += kResidues) {
        residueGroupOf<kMaxBlocks>(blocks, steps, ends, rows, rowStart + kPhases * alpha, origin, out);
        for (int r = 0; r < kResidues && alpha + r < phases; ++r) {
            const Real *acc = out + r * blocks * kLanes + origin;
            for (int c = 0; c < cycles; ++c) {
                const int i = kPhases * c + alpha + r + 1;
                if (i > months) break;
                e[i] = acc[c];
            }
        }
    }
}
#else
// One effect phase at a time, its cycles in memory; each step adds its terms
// to the cycles from its own on.
void superpose(const KernelStep *steps, int count, const Real *rows, const std::int32_t *rowStart, int months,
               Real *e) {
    const int cycles = (months + kPhases - 1) / kPhases;
    const int phases = months < kPhases ? months : kPhases;
    Real acc[kMaxCycles];
    for (int alpha = 0; alpha < phases; ++alpha) {
        for (int c = 0; c < cycles; ++c)
            acc[c] = 0.0f;
        for (int x = 0; x < count; ++x) {
            const KernelStep st = steps[x];
            const Real *row = rows + rowStart[kPhases * alpha + st.phase] - st.cycle;
            const Real size = st.size;
            for (int c = st.cycle; c < cycles; ++c)
                acc[c] = acc[c] + size * row[c];
        }
        for (int c = 0; c < cycles; ++c) {
            const int i = kPhases * c + alpha + 1;
            if (i > months) break;
            e[i] = acc[c];
        }
    }
}
#endif

} // namespace
