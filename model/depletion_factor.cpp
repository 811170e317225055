// Factor calculator.
#include "model/depletion_factor.h"

#include <cmath>

#include "common/numbers.h"

namespace vek {

namespace {

bool positiveFinite(double v) { return v > 0.0 && std::isfinite(v); }

} // namespace

std::string aquiferProblem(const AquiferProperties &p) {
    if (!(p.distance >= 0.0 && std::isfinite(p.distance)))
        return "the distance to the stream a is " + formatG(p.distance) + "; it must be 0 or more";
    if (!(positiveFinite(p.storativity) && p.storativity <= 1.0))
        return "the storage coefficient S is " + formatG(p.storativity) + "; it must be greater than 0 and at most 1";
    if (!positiveFinite(p.transmissivity))
        return "the transmissivity T is " + formatG(p.transmissivity) + "; it must be greater than 0";
    return {};
}

double depletionFactorDays(const AquiferProperties &p) {
    return p.distance * p.distance * p.storativity / p.transmissivity;
}

double distanceForFactor(double sdf, const AquiferProperties &p) {
    return std::sqrt(sdf * p.transmissivity / p.storativity);
}

double storativityForFactor(double sdf, const AquiferProperties &p) {
    return sdf * p.transmissivity / (p.distance * p.distance);
}

double transmissivityForFactor(double sdf, const AquiferProperties &p) {
    return p.distance * p.distance * p.storativity / sdf;
}

AquiferProperties inUnit(const AquiferProperties &p, LengthUnit unit) {
    if (unit == p.unit) return p;
    const double metres = unit == LengthUnit::Metres ? kMetresPerFoot : 1.0 / kMetresPerFoot;
    AquiferProperties q = p;
    q.unit = unit;
    q.distance = p.distance * metres;
    q.transmissivity = p.transmissivity * metres * metres;
    return q;
}

double boundaryRatio(double distance, double boundary) { return distance / boundary; }

std::string boundaryProblem(double distance, double boundary) {
    if (distance >= 0.0 && std::isfinite(boundary) && distance < boundary) return {};
    return "the distance to the boundary W is " + formatG(boundary) +
           "; it must be greater than the distance to the stream a (" + formatG(distance) + ")";
}

double streambedLambdaPrime(double lambda, const AquiferProperties &p) {
    return lambda * p.distance / p.transmissivity;
}

} // namespace vek
