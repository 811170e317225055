// Pumping record arithmetic (see pumping_record.h).
#include "model/pumping_record.h"

#include "facts/vek_facts.h"

#include <algorithm>
#include <cstdio>

namespace vek {

int PumpingRecord::recordYears(const Location &loc) {
    return std::min({shortestColumn(loc.historicalData), shortestColumn(loc.pumpingFlow), shortestColumn(loc.daysOn)});
}

int PumpingRecord::columnCount(int units, int historicalYears) {
    int n = std::max(historicalYears, 0);
    return units == AcreFeet ? 2 + n : 2 + 2 * n;
}

std::string PumpingRecord::columnHeader(int units, int inputStartYear, int column) {
    if (column == 0) return "Month";
    if (column == 1) return "App. Eff. (0.0-1.0)";
    char buf[64];
    if (units == AcreFeet) {
        std::snprintf(buf, sizeof buf, "%d Flow Volume", inputStartYear + column - 2);
    } else {
        int k = column - 2;
        std::snprintf(buf, sizeof buf, "%d %s", inputStartYear + k / 2, k % 2 == 0 ? "Flow Rate" : "Days On");
    }
    return buf;
}

float PumpingRecord::cellValue(const Location &loc, int row, int column) {
    int m = row - 1;
    if (m < 0 || m > 11 || column < 1) return 0.0f;
    if (column == 1) return loc.efficiency[m];
    int k = column - 2;
    int years = recordYears(loc);
    if (loc.Units == AcreFeet) return k < years ? loc.pumpingFlow[m][k] : 0.0f;
    int y = k / 2;
    if (y >= years) return 0.0f;
    return k % 2 == 0 ? loc.pumpingFlow[m][y] : loc.daysOn[m][y];
}

float PumpingRecord::storeCell(Location &loc, int row, int column, float value) {
    int m = row - 1;
    if (m < 0 || m > 11 || column < 1) return 0.0f;
    if (value < 0.0f) value = 0.0f;
    if (column == 1) {
        if (value > 1.0f) value = 1.0f;
        loc.efficiency[m] = value;
        return value;
    }
    int k = column - 2;
    int years = recordYears(loc);
    if (loc.Units == AcreFeet) {
        if (k >= years) return 0.0f;
        loc.pumpingFlow[m][k] = value;
    } else {
        int y = k / 2;
        if (y >= years) return 0.0f;
        (k % 2 == 0 ? loc.pumpingFlow : loc.daysOn)[m][y] = value;
    }
    return value;
}

bool PumpingRecord::ratesToVolumes(Location &loc) {
    if (loc.Units != Cfs) return false;
    int years = recordYears(loc);
    for (int m = 0; m < 12; ++m)
        for (int y = 0; y < years; ++y) {
            float v = loc.daysOn[m][y] * loc.pumpingFlow[m][y];
            loc.pumpingFlow[m][y] = v * AcreFeetPerCfsDay;
        }
    loc.Units = AcreFeet;
    return true;
}

bool PumpingRecord::volumesToRates(Location &loc) {
    if (loc.Units != AcreFeet) return false;
    int years = recordYears(loc);
    for (int m = 0; m < 12; ++m)
        for (int y = 0; y < years; ++y) {
            if (loc.daysOn[m][y] == 0.0f) loc.daysOn[m][y] = 1.0f;
            float cfsDays = loc.daysOn[m][y] * AcreFeetPerCfsDay;
            loc.pumpingFlow[m][y] = loc.pumpingFlow[m][y] / cfsDays;
        }
    loc.Units = Cfs;
    return true;
}

void PumpingRecord::computeConsumptiveUse(const ModelInput &model, Location &loc) {
    int years = recordYears(loc);
    for (int y = 0; y < years; ++y) {
        int year = model.inputStartYear + y;
        for (int m = 0; m < 12; ++m) {
            float volume = loc.pumpingFlow[m][y] * loc.efficiency[m];
            if (loc.Units == Cfs) {
                volume = volume * loc.daysOn[m][y];
                volume = volume * AcreFeetPerCfsDay;
            }
            float value = volume;
            if (model.unitMode == 0) {
                if (model.useAvgDaysPerMonth)
                    value = volume * kDailyPerMonthly;
                else
                    value = volume / static_cast<float>(daysOfCalendarMonth(calendarMonth(model.yearMode, m), year));
            }
            loc.historicalData[m][y] = value;
        }
    }
    loc.UsePumpingRecord = 1;
}

} // namespace vek
