// The kernels for any processor of the architecture (SSE2 on x86-64).
#define VEK_KERNEL_LANES 4
#define VEK_KERNEL_TILE 24
#include "engine/kernel_body.h"

namespace vek::engine::kernel_variants {

KernelEntry baseline() { return KernelEntry{&fractions, &phaseKernels, &superpose}; }

} // namespace vek::engine::kernel_variants
