// The stream depletion factor from the aquifer's properties, and back:
// sdf = a^2 S / T days, with the distance a from the well to the stream in
// feet and the transmissivity T in square feet a day, or a in metres and T in
// square metres a day; the storage coefficient (specific yield) S has no
// unit. Also the alluvial aquifer's a/W and the streambed's lambda' from
// their lengths.
#pragma once

#include <string>

namespace vek {

enum class LengthUnit { Feet, Metres };

inline constexpr double kMetresPerFoot = 0.3048;

struct AquiferProperties {
    double distance = 0.0;       // a, well to stream
    double storativity = 0.0;    // S
    double transmissivity = 0.0; // T, in the square of `unit` a day
    LengthUnit unit = LengthUnit::Feet;

    bool operator==(const AquiferProperties &) const = default;
};

// Empty when the properties give a factor; otherwise what is wrong: a >= 0,
// 0 < S <= 1, T > 0, all finite.
std::string aquiferProblem(const AquiferProperties &p);

// sdf in days.
double depletionFactorDays(const AquiferProperties &p);

// The property that gives the factor `sdf` with the other two, in the units
// of `p` (its own value of that property is not used).
double distanceForFactor(double sdf, const AquiferProperties &p);
double storativityForFactor(double sdf, const AquiferProperties &p);
double transmissivityForFactor(double sdf, const AquiferProperties &p);

// The same properties in the other unit (a and T converted, S kept).
AquiferProperties inUnit(const AquiferProperties &p, LengthUnit unit);

// a/W of the alluvial aquifer (W the distance from the stream to the
// boundary behind the well, in a's unit); empty problem when 0 <= a < W.
double boundaryRatio(double distance, double boundary);
std::string boundaryProblem(double distance, double boundary);

// lambda' = lambda a / T, with the streambed conductance lambda in the unit of
// a a day (Hunt 1999: the bed's hydraulic conductivity times the stream's
// width over the bed's thickness).
double streambedLambdaPrime(double lambda, const AquiferProperties &p);

} // namespace vek
