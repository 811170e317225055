// The kernels for processors with AVX-512 (compiled with -mavx512f, called
// only after the processor is asked).
#if defined(VEK_X86_KERNELS)
#define VEK_KERNEL_LANES 16
#define VEK_KERNEL_TILE 12
#include "engine/kernel_body.h"

namespace vek::engine::kernel_variants {

KernelEntry avx512() { return KernelEntry{&fractions, &phaseKernels, &superpose}; }

} // namespace vek::engine::kernel_variants
#endif
