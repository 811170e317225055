// Double-precision special functions for the step responses of the aquifer
// models: the exponential, the complementary error function and its scaled
// form erfcx(x) = exp(x^2) erfc(x), and sin(pi x). Built from additions,
// multiplications, divisions and square roots only (each exactly rounded by
// IEEE arithmetic), so every machine gives the same bits: the C library's
// exp and erfc differ between platforms, and the engine's reports must not.
#pragma once

namespace vek::engine {

// e^x, within 2 units in the last place. 0 below -745.2, infinity above 709.8.
double expDouble(double x);

// erfc(x) for every x, within a few units in the last place (W. J. Cody's
// rational approximations, Math. Comp. 23 (1969) 631-637).
double erfcDouble(double x);

// erfcx(x) = exp(x^2) erfc(x) for x >= 0, without overflow for large x
// (where it tends to 1 / (x sqrt(pi))).
double erfcxDouble(double x);

// exp(-x^2) for x >= 0, without the error that rounding x^2 would bring.
double expMinusSquareDouble(double x);

// sin(pi x) for every finite x, exact at the integers and half-integers.
double sinPiDouble(double x);

} // namespace vek::engine
