// Pumping record arithmetic: table layout, clamped cells, CFS <-> Ac-Ft
// round trips and the consumptive use by year type, units and days rule.
#include "model/pumping_record.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using vek::Location;
using vek::ModelInput;
using vek::PumpingRecord;

namespace {

// A well with n historical years, every column sized alike.
Location makeWell(int years, int units) {
    Location loc;
    loc.Units = units;
    for (int m = 0; m < 12; ++m) {
        loc.historicalData[m].assign(years, 0.0f);
        loc.pumpingFlow[m].assign(years, 0.0f);
        loc.daysOn[m].assign(years, 0.0f);
    }
    return loc;
}

} // namespace

// Every column's header says what its cells hold: the efficiency, or the
// rate, days on or volume of the year it names; each year of the record has
// its columns, none twice.
TEST(PumpingRecordLayout, HeadersNameWhatTheirCellsHold) {
    for (const int units : {PumpingRecord::Cfs, PumpingRecord::AcreFeet}) {
        SCOPED_TRACE(units == PumpingRecord::Cfs ? "CFS" : "Ac-Ft");
        Location loc = makeWell(3, units);
        for (int m = 0; m < 12; ++m) {
            loc.efficiency[m] = 0.01f * static_cast<float>(m);
            for (int k = 0; k < 3; ++k) {
                loc.pumpingFlow[m][static_cast<size_t>(k)] = static_cast<float>(100 * k + m);
                loc.daysOn[m][static_cast<size_t>(k)] = static_cast<float>(1000 + 100 * k + m);
            }
        }
        const int columns = PumpingRecord::columnCount(units, 3);
        EXPECT_EQ(PumpingRecord::columnHeader(units, 1990, 0), "Month");
        std::set<std::string> headers;
        for (int c = 1; c < columns; ++c) {
            const std::string h = PumpingRecord::columnHeader(units, 1990, c);
            EXPECT_TRUE(headers.insert(h).second) << "twice: " << h;
            const bool efficiency = h == "App. Eff. (0.0-1.0)";
            const int k = efficiency ? -1 : std::stoi(h.substr(0, 4)) - 1990;
            const std::string what = efficiency ? "" : h.substr(5);
            if (!efficiency) {
                ASSERT_TRUE(k >= 0 && k < 3) << h;
                EXPECT_TRUE(units == PumpingRecord::Cfs ? what == "Flow Rate" || what == "Days On"
                                                        : what == "Flow Volume")
                    << h;
            }
            for (int row = 1; row <= 12; ++row) {
                const auto m = static_cast<size_t>(row - 1);
                const float expected = efficiency          ? loc.efficiency[m]
                                       : what == "Days On" ? loc.daysOn[m][static_cast<size_t>(k)]
                                                           : loc.pumpingFlow[m][static_cast<size_t>(k)];
                EXPECT_EQ(PumpingRecord::cellValue(loc, row, c), expected) << h << " row " << row;
            }
        }
        EXPECT_EQ(headers.size(), units == PumpingRecord::Cfs ? 7u : 4u);
    }
    EXPECT_EQ(PumpingRecord::columnCount(PumpingRecord::Cfs, 0), 2) << "months and efficiencies only";
}

TEST(PumpingRecordCells, StoredValuesAreClampedAndLandInTheirColumn) {
    Location loc = makeWell(2, PumpingRecord::Cfs);
    struct Row {
        int row, column;
        float typed, stored;
    } rows[] = {
        {1, 1, 1.5f, 1.0f},                        // efficiency above 1
        {2, 1, -0.3f, 0.0f},                       // negative efficiency
        {3, 1, 0.75f, 0.75f},  {1, 2, 4.0f, 4.0f}, // 1st year rate
        {1, 3, 12.0f, 12.0f},                      // 1st year days on
        {12, 4, -2.0f, 0.0f},                      // 2nd year rate, negative
        {12, 5, 30.0f, 30.0f}, {1, 6, 9.0f, 0.0f}, // past the record: ignored
    };
    for (const auto &r : rows) {
        EXPECT_FLOAT_EQ(PumpingRecord::storeCell(loc, r.row, r.column, r.typed), r.stored) << r.row << "," << r.column;
        if (r.column < 6) {
            EXPECT_FLOAT_EQ(PumpingRecord::cellValue(loc, r.row, r.column), r.stored);
        }
    }
    EXPECT_FLOAT_EQ(loc.efficiency[0], 1.0f);
    EXPECT_FLOAT_EQ(loc.pumpingFlow[0][0], 4.0f);
    EXPECT_FLOAT_EQ(loc.daysOn[0][0], 12.0f);
    EXPECT_FLOAT_EQ(loc.daysOn[11][1], 30.0f);

    Location vol = makeWell(2, PumpingRecord::AcreFeet);
    EXPECT_FLOAT_EQ(PumpingRecord::storeCell(vol, 5, 3, 7.5f), 7.5f);
    EXPECT_FLOAT_EQ(vol.pumpingFlow[4][1], 7.5f);
    EXPECT_FLOAT_EQ(vol.daysOn[4][1], 0.0f);
}

TEST(PumpingRecordConversion, CfsToAcFtAndBackRestoresRatesExceptZeroDays) {
    Location loc = makeWell(2, PumpingRecord::Cfs);
    loc.pumpingFlow[0][0] = 2.0f;
    loc.daysOn[0][0] = 10.0f;
    loc.pumpingFlow[5][1] = 0.37f;
    loc.daysOn[5][1] = 31.0f;
    loc.pumpingFlow[3][0] = 5.0f; // runs zero days
    loc.daysOn[3][0] = 0.0f;

    ASSERT_TRUE(PumpingRecord::ratesToVolumes(loc));
    EXPECT_EQ(loc.Units, PumpingRecord::AcreFeet);
    EXPECT_FLOAT_EQ(loc.pumpingFlow[0][0], 2.0f * 10.0f * 1.9835f);
    EXPECT_FLOAT_EQ(loc.pumpingFlow[3][0], 0.0f);
    EXPECT_FLOAT_EQ(loc.daysOn[0][0], 10.0f) << "days on stay in the record";
    EXPECT_FALSE(PumpingRecord::ratesToVolumes(loc)) << "already volumes";

    ASSERT_TRUE(PumpingRecord::volumesToRates(loc));
    EXPECT_EQ(loc.Units, PumpingRecord::Cfs);
    EXPECT_NEAR(loc.pumpingFlow[0][0], 2.0f, 1e-6);
    EXPECT_NEAR(loc.pumpingFlow[5][1], 0.37f, 1e-6);
    EXPECT_FLOAT_EQ(loc.pumpingFlow[3][0], 0.0f);
    EXPECT_FLOAT_EQ(loc.daysOn[3][0], 1.0f);
    EXPECT_FALSE(PumpingRecord::volumesToRates(loc));
}

TEST(PumpingRecordConsumptiveUse, VolumesByYearTypeUnitsAndDaysRule) {
    // One Ac-Ft volume of 58 in every month of 1996 (leap) and 1997, so the
    // February divisor shows directly.
    struct Row {
        int yearMode, unitMode;
        bool avgDays;
        int column;        // display column that holds February
        float leap, other; // expected values of February 1996, 1997
    } rows[] = {
        {0, 0, false, 1, 2.0f, 58.0f / 28.0f}, {1, 0, false, 3, 2.0f, 58.0f / 28.0f},
        {2, 0, false, 4, 2.0f, 58.0f / 28.0f}, {1, 0, true, 3, 58.0f * 0.032876354f, 58.0f * 0.032876354f},
        {1, 1, false, 3, 58.0f, 58.0f},
    };
    for (const auto &r : rows) {
        ModelInput model;
        model.inputStartYear = 1996;
        model.inputEndYear = 1997;
        model.yearMode = r.yearMode;
        model.unitMode = r.unitMode;
        model.useAvgDaysPerMonth = r.avgDays;
        Location loc = makeWell(2, PumpingRecord::AcreFeet);
        for (int m = 0; m < 12; ++m)
            loc.pumpingFlow[m] = {58.0f, 58.0f};
        PumpingRecord::computeConsumptiveUse(model, loc);
        EXPECT_FLOAT_EQ(loc.historicalData[r.column][0], r.leap) << r.yearMode << r.unitMode << r.avgDays;
        EXPECT_FLOAT_EQ(loc.historicalData[r.column][1], r.other) << r.yearMode << r.unitMode << r.avgDays;
        EXPECT_EQ(loc.UsePumpingRecord, 1);
    }
}

TEST(PumpingRecordConsumptiveUse, RatesUseDaysOnAndEfficiency) {
    ModelInput model;
    model.inputStartYear = 2001;
    model.inputEndYear = 2001;
    model.unitMode = 1;
    Location loc = makeWell(1, PumpingRecord::Cfs);
    for (int m = 0; m < 12; ++m) {
        loc.pumpingFlow[m][0] = 3.0f;
        loc.daysOn[m][0] = 20.0f;
    }
    loc.efficiency[2] = 0.5f;
    loc.efficiency[7] = 0.0f;
    loc.historicalData[7][0] = 99.0f;
    PumpingRecord::computeConsumptiveUse(model, loc);
    EXPECT_FLOAT_EQ(loc.historicalData[0][0], 3.0f * 20.0f * 1.9835f);
    EXPECT_FLOAT_EQ(loc.historicalData[2][0], 3.0f * 0.5f * 20.0f * 1.9835f);
    EXPECT_FLOAT_EQ(loc.historicalData[7][0], 0.0f) << "zero efficiency gives no use";
}

TEST(PumpingRecordConsumptiveUse, ShortRecordNeverReadsPastItsColumns) {
    ModelInput model;
    model.inputStartYear = 2000;
    model.inputEndYear = 2002;
    Location loc = makeWell(3, PumpingRecord::Cfs);
    loc.daysOn[4].resize(1); // a damaged record
    EXPECT_EQ(PumpingRecord::recordYears(loc), 1);
    PumpingRecord::computeConsumptiveUse(model, loc);
    EXPECT_FLOAT_EQ(PumpingRecord::storeCell(loc, 1, 4, 5.0f), 0.0f);
    EXPECT_TRUE(PumpingRecord::ratesToVolumes(loc));
    EXPECT_TRUE(PumpingRecord::volumesToRates(loc));
}
