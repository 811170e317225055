#include "model/value_limits.h"

#include <cmath>

namespace vek {

namespace {

std::string lengthProblem(std::string_view name, std::string_view what, std::size_t most) {
    if (name.find_first_of("\r\n") != std::string_view::npos)
        return std::string(what) + " is one line of the file: no line ends";
    if (name.size() > most)
        return std::string(what) + " is " + std::to_string(name.size()) + " bytes long; it may be at most " +
               std::to_string(most) + " bytes, or the file written could not be read back";
    return {};
}

} // namespace

std::string locationNameProblem(std::string_view name) {
    return lengthProblem(name, "a location name", kMostLocationNameBytes);
}

std::string labelProblem(std::string_view name, std::string_view what) {
    return lengthProblem(name, what, kMostLabelBytes);
}

std::string finiteProblem(double value, std::string_view what) {
    if (std::isfinite(value)) return {};
    return std::string(what) + " must be a finite number";
}

} // namespace vek
