// The kernels for processors with AVX2 (compiled with -mavx2, called only
// after the processor is asked).
#if defined(VEK_X86_KERNELS)
#define VEK_KERNEL_LANES 8
#define VEK_KERNEL_REGISTERS 1
#define VEK_KERNEL_RESIDUES 1
#include "engine/kernel_body.h"

namespace vek::engine::kernel_variants {

KernelEntry avx2() { return KernelEntry{&fractions, &superpose}; }

} // namespace vek::engine::kernel_variants
#endif
