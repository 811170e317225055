// Structural changes of the model that more than one layer makes (see
// model_input.h).
#include "model/model_input.h"

#include <algorithm>
#include <limits>

namespace vek {

bool addHistoricalYear(ModelInput &m, int offset, bool atEnd) {
    const int count = m.historicalYears();
    const bool growsAtEnd = atEnd || offset != 0;
    long long newStart = m.inputStartYear, newEnd = m.inputEndYear;
    if (growsAtEnd)
        ++newEnd;
    else
        --newStart;
    // A year beyond the range of the year numbers, or a period that would not
    // hold one more year (the both-zero rule), would leave the columns longer
    // than the period says: refuse.
    constexpr long long lowest = std::numeric_limits<int>::min(), highest = std::numeric_limits<int>::max();
    if (newStart < lowest || newEnd > highest) return false;
    if (growsAtEnd && (m.synthStartYear == highest || m.synthEndYear == highest)) return false;
    if (periodYears(static_cast<int>(newStart), static_cast<int>(newEnd)) != count + 1) return false;
    m.inputStartYear = static_cast<int>(newStart);
    m.inputEndYear = static_cast<int>(newEnd);
    if (growsAtEnd) {
        ++m.synthStartYear;
        ++m.synthEndYear;
    }
    const int at = std::clamp(offset, 0, count);
    const bool append = growsAtEnd && offset >= count - 1;
    for (auto &loc : m.locations) {
        for (MonthColumns *cols : {&loc.historicalData, &loc.pumpingFlow, &loc.daysOn})
            for (auto &c : *cols) {
                if (append)
                    c.push_back(0.0f);
                else
                    c.insert(c.begin() + std::clamp(at, 0, static_cast<int>(c.size())), 0.0f);
            }
        loc.UsePumpingRecord = 0;
    }
    return true;
}

void resetLocations(ModelInput &m, int count) {
    m.locations.clear();
    const auto hist = static_cast<std::size_t>(m.historicalYears());
    const auto synth = static_cast<std::size_t>(m.synthesizedYears());
    for (int i = 0; i < count; ++i) {
        Location loc;
        for (int mo = 0; mo < 12; ++mo) {
            loc.historicalData[mo].assign(hist, 0.0f);
            loc.pumpingFlow[mo].assign(hist, 0.0f);
            loc.daysOn[mo].assign(hist, 1.0f);
            loc.synthesizedData[mo].assign(synth, 0.0f);
        }
        m.locations.push_back(std::move(loc));
    }
}

engine::Ranges ModelInput::allRanges() const {
    engine::Ranges out{ranges};
    for (std::size_t i = 0; i < locations.size(); ++i)
        for (engine::ParameterRange e : locations[i].ranges) {
            e.location = static_cast<long long>(i) + 1;
            out.entries.push_back(e);
        }
    return out;
}

std::string ModelInput::setAllRanges(const engine::Ranges &all) {
    for (const engine::ParameterRange &e : all.entries)
        if (e.location < 0 || e.location > static_cast<long long>(locations.size()))
            return "location " + std::to_string(e.location) + " does not exist (the model has " +
                   std::to_string(locations.size()) + ")";
    ranges.clear();
    for (Location &l : locations)
        l.ranges.clear();
    for (engine::ParameterRange e : all.entries) {
        if (e.location == 0) {
            ranges.push_back(e);
            continue;
        }
        const auto i = static_cast<std::size_t>(e.location - 1);
        e.location = 0;
        locations[i].ranges.push_back(e);
    }
    return {};
}

} // namespace vek
