// The body of one kernel variant, included once by each variant's source
// after it defines VEK_KERNEL_LANES (floats per vector register) and
// VEK_KERNEL_TILE (vector registers of effect months summed at once).
// Everything here is local to that source: each variant's source is compiled
// for its own instruction set, and no function compiled for one may be shared
// with code compiled for another, so no function of the standard library or
// of other headers is called (their types and constants are used).
#pragma once

#include <cstdint>
#include <utility>

#include "engine/exp_float.h"
#include "engine/kernel_variants.h"

#ifndef VEK_KERNEL_LANES
#error "define VEK_KERNEL_LANES before including kernel_body.h"
#endif

namespace {

using vek::engine::KernelStep;
using vek::engine::Real;

constexpr int kLanes = VEK_KERNEL_LANES;
constexpr int kTileBlocks = VEK_KERNEL_TILE;
constexpr int kPhases = 48;

typedef float Vec __attribute__((vector_size(4 * kLanes)));

inline Vec loadVec(const Real *p) {
    Vec v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}
inline Vec loadAligned(const Real *p) {
    return *reinterpret_cast<const Vec *>(__builtin_assume_aligned(p, 4 * kLanes));
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

// A square of kLanes x kLanes floats, one vector per row, transposed in
// registers: the blocks off the diagonal are swapped, halves first, then
// quarters, down to single lanes.
template <int H, int... J> inline Vec swapLow(Vec a, Vec b, std::integer_sequence<int, J...>) {
    return __builtin_shufflevector(a, b, ((J & H) ? kLanes + J - H : J)...);
}
template <int H, int... J> inline Vec swapHigh(Vec a, Vec b, std::integer_sequence<int, J...>) {
    return __builtin_shufflevector(a, b, ((J & H) ? kLanes + J : J + H)...);
}
template <int H> inline void transpose(Vec (&m)[kLanes]) {
    constexpr auto lanes = std::make_integer_sequence<int, kLanes>{};
    for (int i = 0; i < kLanes; ++i) {
        if (i & H) continue;
        const Vec a = m[i], b = m[i + H];
        m[i] = swapLow<H>(a, b, lanes);
        m[i + H] = swapHigh<H>(a, b, lanes);
    }
    if constexpr (H > 1) transpose<H / 2>(m);
}

// The phase kernels from the rows: kernel p holds, at j = 48 c + alpha - p
// months after a step of phase p, the entry of cycle c of the row of
// (alpha, p); the entries before 0 come out 0 (such pairs have no lag: their
// rows' leading zeros). Squares of kLanes phases by kLanes cycles are read
// from the rows and written to the kernel transposed.
void phaseKernels(const Real *rows, const std::int32_t *rowStartByPhase, int cycles, Real *kernels,
                  const std::int32_t *kernelStart) {
    for (int p = 0; p < kPhases; ++p) {
        Real *kernel = kernels + kernelStart[p] - p;
        const std::int32_t *starts = rowStartByPhase + kPhases * p;
        for (int a0 = 0; a0 < kPhases; a0 += kLanes) {
            for (int c0 = 0; c0 < cycles; c0 += kLanes) {
                Vec m[kLanes];
                for (int i = 0; i < kLanes; ++i)
                    m[i] = loadVec(rows + starts[a0 + i] + c0);
                transpose<kLanes / 2>(m);
                for (int j = 0; j < kLanes && c0 + j < cycles; ++j)
                    __builtin_memcpy(kernel + kPhases * (c0 + j) + a0, &m[j], sizeof(Vec));
            }
        }
    }
}

// The effect months in tiles of NT vector registers. For each tile, every
// step up to its end adds its terms in ascending step order: a step before
// the tile to every register, a step within it to the registers from the one
// holding its own month on (the lanes before it get the zeros in front of
// the kernel, and adding a zero product changes no sum, none being -0). A
// kernel's entries for the lanes of a register are aligned: 48 months are a
// whole number of registers, and kernel p starts p entries past a boundary.
template <int NT>
__attribute__((always_inline)) inline void fullSteps(Vec (&acc)[NT], const KernelStep *steps, int begin, int end,
                                                     const Real *kernels, int m0) {
    for (int x = begin; x < end; ++x) {
        const KernelStep st = steps[x];
        const int at = st.base + m0;
#pragma GCC unroll 32
        for (int v = 0; v < NT; ++v)
            acc[v] = acc[v] + st.size * loadAligned(kernels + (at + v * kLanes));
    }
}

template <int NT, int FIRST>
__attribute__((always_inline)) inline void tileSteps(Vec (&acc)[NT], const KernelStep *steps, int begin, int end,
                                                     const Real *kernels, int m0) {
    for (int x = begin; x < end; ++x) {
        const KernelStep st = steps[x];
        const int at = st.base + m0;
#pragma GCC unroll 32
        for (int v = FIRST; v < NT; ++v)
            acc[v] = acc[v] + st.size * loadAligned(kernels + (at + v * kLanes));
    }
}

template <int NT, int FIRST>
__attribute__((always_inline)) inline void tileSegments(Vec (&acc)[NT], const KernelStep *steps, const int *ends,
                                                        const Real *kernels, int m0) {
    tileSteps<NT, FIRST>(acc, steps, ends[FIRST], ends[FIRST + 1], kernels, m0);
    if constexpr (FIRST + 1 < NT) tileSegments<NT, FIRST + 1>(acc, steps, ends, kernels, m0);
}

void superpose(const KernelStep *steps, int count, const Real *kernels, int months, Real *e) {
    constexpr int kTile = kTileBlocks * kLanes;
    int first = 0; // steps before the tile
    for (int m0 = 0; m0 < months; m0 += kTile) {
        // ends[v]: the end of the steps within the tile whose first register is below v.
        int ends[kTileBlocks + 1];
        ends[0] = first;
        for (int v = 0, x = first; v < kTileBlocks; ++v) {
            while (x < count && steps[x].month < m0 + (v + 1) * kLanes)
                ++x;
            ends[v + 1] = x;
        }
        Vec acc[kTileBlocks];
        for (int v = 0; v < kTileBlocks; ++v)
            acc[v] = Vec{};
        fullSteps<kTileBlocks>(acc, steps, 0, first, kernels, m0);
        tileSegments<kTileBlocks, 0>(acc, steps, ends, kernels, m0);
        alignas(64) Real out[kTile];
        for (int v = 0; v < kTileBlocks; ++v)
            __builtin_memcpy(out + v * kLanes, &acc[v], sizeof(Vec));
        const int n = months - m0 < kTile ? months - m0 : kTile;
        for (int j = 0; j < n; ++j)
            e[m0 + 1 + j] = out[j];
        first = ends[kTileBlocks];
    }
}

} // namespace
