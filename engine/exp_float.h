// The exponential of a float, with the same bits on every platform: the C
// library's expf differs between platforms (MinGW's from glibc's), and the
// engine's reports must not.
#pragma once

namespace vek::engine {

// e^x rounded to float. Computed in double precision with additions and
// multiplications only (a 32-entry table of 2^(i/32) and a cubic), so every
// IEEE machine gives the same result. Over [-9, 0], the exponents the
// engine's kernels use, it equals glibc's expf on every float.
float expFloat(float x);

} // namespace vek::engine
