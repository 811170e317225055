// The well pumping record of one location: its table layout, the storing of
// edited cells, CFS <-> acre-feet conversions and the consumptive use of
// ground water computed from it. Kept apart from the dialog so that the
// arithmetic can be tested without widgets.
#pragma once

#include "model/model_input.h"

#include <string>

namespace vek {

class PumpingRecord {
  public:
    // Acre-feet delivered by one cubic foot per second running one day.
    static constexpr float AcreFeetPerCfsDay = 1.9835f;

    // Record units (Location::Units).
    enum { Cfs = 0, AcreFeet = 1 };

    // The months of the rows follow the year type (facts/vek_facts.h).

    // Table layout: column 0 months, column 1 efficiencies, then one column
    // per historical year (volumes) or two (rate and days on).
    static int columnCount(int units, int historicalYears);
    static std::string columnHeader(int units, int inputStartYear, int column);
    // Value shown in data cell (row 1..12, column 1..); 0 outside the record.
    static float cellValue(const Location &loc, int row, int column);
    // Stores an edited cell: negatives become 0, efficiencies above 1 become
    // 1. Returns the value stored (what the cell should show), or nothing
    // happens and 0 is returned when the cell lies outside the record.
    static float storeCell(Location &loc, int row, int column, float value);

    // "Ac-Ft": rates x days on x 1.9835; Units becomes AcreFeet. Returns
    // false (nothing done) when the record already holds volumes.
    static bool ratesToVolumes(Location &loc);
    // "CFS": days on of 0 become 1, then volume / (days on x 1.9835); Units
    // becomes Cfs. Returns false when the record already holds rates.
    static bool volumesToRates(Location &loc);

    // Replaces the location's historical values by the consumptive use of
    // ground water its record gives, in the model's year type and units, and
    // sets UsePumpingRecord.
    static void computeConsumptiveUse(const ModelInput &model, Location &loc);

    // Number of historical years the record can be worked on: the shortest of
    // its columns, so a damaged record never reads past an array.
    static int recordYears(const Location &loc);
};

} // namespace vek
