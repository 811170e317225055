// The kernels for processors with AVX2 (compiled with -mavx2, called only
// after the processor is asked).
#if defined(VEK_X86_KERNELS)
#define VEK_KERNEL_LANES 8
#define VEK_KERNEL_TILE 14
#include "engine/kernel_body.h"

namespace vek::engine::kernel_variants {

KernelEntry avx2() { return KernelEntry{&fractions, &phaseKernels, &superpose}; }

} // namespace vek::engine::kernel_variants
#endif
