// The model data of one model input document: the periods, the run settings
// and the ordered list of locations (irrigation wells and recharge sites).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/uncertainty.h"
#include "model/response_settings.h"
#include "model/stream_reaches.h"

namespace vek {

// Twelve month columns, each with one entry per year of its period.
using MonthColumns = std::array<std::vector<float>, 12>;

// Years a set of columns can be read for: the length of its shortest column,
// so that a table whose columns disagree is never read past an end.
inline int shortestColumn(const MonthColumns &c) {
    std::size_t n = c[0].size();
    for (const auto &col : c)
        n = col.size() < n ? col.size() : n;
    return static_cast<int>(n);
}

enum LocationKind : int { IrrigationWell = -1, RechargeSite = 1 };

struct Location {
    float VEK = 0.0f;                  // depletion factor, days
    std::string name = "<none>";       // stored trimmed
    int LocationType = IrrigationWell; // -1 well, anything else a recharge site
    int UseInOutput = 1;               // nonzero: takes part in run and report
    int UsePumpingRecord = 0;          // 1: historical values come from the pumping record
    int Units = 1;                     // pumping record unit: 0 CFS (with days on), 1 Ac-Ft
    MonthColumns historicalData;       // one entry per historical year
    MonthColumns synthesizedData;      // one entry per synthesized year
    MonthColumns pumpingFlow;          // one entry per historical year
    MonthColumns daysOn;               // one entry per historical year
    std::array<float, 12> efficiency{1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    ResponseSettings response; // infinite aquifer unless the file's response methods say otherwise
    LocationMap onMap;         // position, aquifer properties and shares of the stream reaches
    // This location's own uncertainty ranges (their `location` 0: they move
    // with the location); the file numbers them by the location's place.
    std::vector<engine::ParameterRange> ranges;

    bool isWell() const { return LocationType == IrrigationWell; }
    // Number of historical / synthesized years held (length of column 0).
    int historicalCount() const { return static_cast<int>(historicalData[0].size()); }
    int synthesizedCount() const { return static_cast<int>(synthesizedData[0].size()); }

    // Every field equal (floats compared exactly: a value that was read back
    // must be the value that was written).
    bool operator==(const Location &) const = default;
};

// Years of a period: a period whose start and end are both 0 has none, and a
// negative count counts as 0.
inline int periodYears(int start, int end) {
    if (start == 0 && end == 0) return 0;
    // Wide arithmetic: years from a damaged file must not overflow.
    long long n = static_cast<long long>(end) - start + 1;
    return n < 0 ? 0 : n > 2147483647LL ? 2147483647 : static_cast<int>(n);
}

struct ModelInput {
    int inputStartYear = 0;
    int inputEndYear = -1;
    int synthStartYear = 0;
    int synthEndYear = -1;
    int outputStartYear = 0;
    int outputEndYear = -1;
    bool useAvgDaysPerMonth = false;
    int outputFormat = 0;     // 0 by location, 1 only totals
    int synthesizeFormat = 0; // 1 average, 2 given year, 3 cycle, 4 user-defined
    int projYearStart = 0;
    int projYearEnd = 0;
    int yearMode = 1; // 0 Calendar, 1 Irrigation Year, 2 USGS Year
    int unitMode = 1; // 0 average daily acre-feet, 1 monthly acre-feet
    std::vector<Location> locations;
    std::vector<UnitResponseTable> responseTables; // shared by name by the locations' responses
    ReachNetwork network;                          // the stream reaches; none: the model's one stream
    // Uncertainty ranges for every location (each location's own are in its
    // Location::ranges); none in most models.
    std::vector<engine::ParameterRange> ranges;

    // Every range, each location's own numbered by its place from 1, as the
    // model file writes them and the sampled runs take them.
    engine::Ranges allRanges() const;
    // Replaces every range by `ranges` (those of a location go to it); what
    // is wrong (a location the model does not have), and then nothing changes.
    std::string setAllRanges(const engine::Ranges &ranges);

    int historicalYears() const { return periodYears(inputStartYear, inputEndYear); }
    int synthesizedYears() const { return periodYears(synthStartYear, synthEndYear); }

    // The run range is one the form can show: its start is one of the years
    // the run start list offers (first historical to last synthesized year)
    // and its end is not before its start.
    bool runRangeShowable() const {
        return outputStartYear >= inputStartYear && outputStartYear <= synthEndYear && outputEndYear >= outputStartYear;
    }

    // Every setting and every location equal.
    bool operator==(const ModelInput &) const = default;
};

// Adds one historical year. The period: when `atEnd` is set or `offset` is
// nonzero, inputEndYear, synthStartYear and synthEndYear each grow by 1;
// otherwise inputStartYear shrinks by 1. The columns: when offset is at
// least the last offset and the period grew at its end, every location's
// historical, pumping-flow and days-on columns get a new last entry 0.0;
// otherwise a 0.0 entry is inserted at `offset`. Every location's
// UsePumpingRecord becomes 0. Returns false, changing nothing, when the
// period could not describe one more year (the both-zero rule).
bool addHistoricalYear(ModelInput &model, int offset, bool atEnd);

// Discards all locations, then appends `count` default locations whose
// historical, pumping-flow and days-on columns have the historical length
// (days on 1.0) and whose synthesized columns have the synthesized length.
void resetLocations(ModelInput &model, int count);

} // namespace vek
