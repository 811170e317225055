// The kernels for any processor of the architecture (SSE2 on x86-64).
#define VEK_KERNEL_LANES 4
#define VEK_KERNEL_REGISTERS 0
#define VEK_KERNEL_RESIDUES 1
#include "engine/kernel_body.h"

namespace vek::engine::kernel_variants {

KernelEntry baseline() { return KernelEntry{&fractions, &superpose}; }

} // namespace vek::engine::kernel_variants
