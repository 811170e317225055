// Year types, units and the conversions between them (see year_types.h).
#include "model/year_types.h"

#include "model/model_input.h"
#include "model/synthesis.h"

#include <algorithm>
#include <array>

namespace vek {

namespace {

// Moves one series s months earlier in its own sequence of 12*n months (in
// place: ascending for s >= 0, descending for s < 0) and zeroes the months
// left without a value, noting their columns in `emptied`.
void shiftSeries(MonthColumns &c, int s, std::array<bool, 12> &emptied) {
    const int total = 12 * shortestColumn(c);
    auto at = [&c](int f) -> float & { return c[static_cast<size_t>(f % 12)][static_cast<size_t>(f / 12)]; };
    auto step = [&](int f) {
        const int src = f + s;
        if (src >= 0 && src < total) {
            at(f) = at(src);
        } else {
            at(f) = 0.0f;
            emptied[static_cast<size_t>(f % 12)] = true;
        }
    };
    if (s >= 0) {
        for (int f = 0; f < total; ++f)
            step(f);
    } else {
        for (int f = total - 1; f >= 0; --f)
            step(f);
    }
}

void convertSeries(MonthColumns &c, int yearMode, int firstYear, bool avg, bool toDailyUnits) {
    const int n = shortestColumn(c);
    for (int m = 0; m < 12; ++m) {
        auto &col = c[static_cast<size_t>(m)];
        for (int k = 0; k < n; ++k) {
            float &v = col[static_cast<size_t>(k)];
            v = toDailyUnits ? toDaily(v, yearMode, m, firstYear + k, avg)
                             : toMonthly(v, yearMode, m, firstYear + k, avg);
        }
    }
}

} // namespace

bool isValidUnitMode(int unitMode) { return unitMode == AverageDailyAcreFeet || unitMode == MonthlyAcreFeet; }

float daysInMonth(int yearMode, int column, int rowYear, bool avg) {
    if (avg) return kMonthlyToDailyRuleDays;
    // February of the row year: every row keeps its February in that year.
    return static_cast<float>(daysOfCalendarMonth(calendarMonth(yearMode, column), rowYear));
}

float toDaily(float monthly, int yearMode, int column, int rowYear, bool avg) {
    if (avg) return monthly * kDailyPerMonthly;
    return monthly / daysInMonth(yearMode, column, rowYear, false);
}

float toMonthly(float daily, int yearMode, int column, int rowYear, bool avg) {
    if (avg) return daily * kMonthlyToDailyRuleDays;
    return daily * daysInMonth(yearMode, column, rowYear, false);
}

const char *monthAbbreviation(int yearMode, int column) {
    return calendarMonthAbbreviation(calendarMonth(yearMode, column));
}

std::string yearTypeLabel(int yearMode) {
    switch (yearMode) {
    case CalendarYear:
        return "    <Calendar Year>";
    case IrrigationYear:
        return "    <Irrigation Year>";
    case UsgsYear:
        return "    <USGS Year>";
    default:
        return "<error>";
    }
}

std::string unitsLabel(int unitMode) {
    switch (unitMode) {
    case AverageDailyAcreFeet:
        return "Daily AC-FT";
    case MonthlyAcreFeet:
        return "Monthly AC-FT";
    default:
        return "<Error>";
    }
}

std::string yearTypeName(int yearMode) {
    switch (yearMode) {
    case CalendarYear:
        return "Calendar";
    case IrrigationYear:
        return "Irrigation Year (Nov-Oct)";
    case UsgsYear:
        return "USGS Year (Oct-Sep)";
    default:
        return "";
    }
}

std::string unitsName(int unitMode) {
    switch (unitMode) {
    case AverageDailyAcreFeet:
        return "Average Daily Ac-Ft";
    case MonthlyAcreFeet:
        return "Monthly Ac-Ft";
    default:
        return "";
    }
}

void shiftMonths(ModelInput &model, int s) {
    for (auto &loc : model.locations) {
        std::array<bool, 12> emptied{};
        shiftSeries(loc.historicalData, s, emptied);
        shiftSeries(loc.pumpingFlow, s, emptied);
        shiftSeries(loc.daysOn, s, emptied);

        // Efficiencies follow their months; a month that lost its record
        // starts again at full efficiency.
        const std::array<float, 12> old = loc.efficiency;
        for (int m = 0; m < 12; ++m)
            loc.efficiency[static_cast<size_t>(m)] = old[static_cast<size_t>(wrapMonth(m + s))];
        for (int m = 0; m < 12; ++m)
            if (emptied[static_cast<size_t>(m)]) loc.efficiency[static_cast<size_t>(m)] = 1.0f;

        // The synthesized years are shifted on their own: no month crosses
        // between the historical and the synthesized period.
        std::array<bool, 12> ignored{};
        shiftSeries(loc.synthesizedData, s, ignored);
    }
}

namespace {

OperationError conversionError(OperationError::Kind kind, std::string message, std::string field) {
    OperationError e;
    e.kind = kind;
    e.message = std::move(message);
    e.field = std::move(field);
    return e;
}

} // namespace

namespace {

// Columns of the edge year that leave a period when every series moves s
// months: the first s, or the last -s.
std::vector<int> edgeColumns(int s) {
    std::vector<int> cols;
    for (int m = s > 0 ? 0 : 12 + s; m <= (s > 0 ? s - 1 : 11); ++m)
        cols.push_back(m);
    return cols;
}

// A positive historical value in the months that would leave the period:
// they are kept in one added year.
bool needsAddedYear(const ModelInput &md, int s) {
    const int n = md.historicalYears();
    if (n < 1 || s == 0) return false;
    const int row = s > 0 ? 0 : n - 1;
    for (const auto &loc : md.locations) {
        if (row >= shortestColumn(loc.historicalData)) continue;
        for (int m : edgeColumns(s))
            if (loc.historicalData[static_cast<size_t>(m)][static_cast<size_t>(row)] > 0.0f) return true;
    }
    return false;
}

int nonzeroAt(const MonthColumns &c, int row, const std::vector<int> &cols) {
    if (row < 0 || row >= shortestColumn(c)) return 0;
    int n = 0;
    for (int m : cols)
        n += c[static_cast<size_t>(m)][static_cast<size_t>(row)] != 0.0f ? 1 : 0;
    return n;
}

} // namespace

YearTypeChangePreview previewYearTypeChange(const ModelInput &md, int newMode) {
    YearTypeChangePreview p;
    if (md.yearMode == newMode || !isValidYearMode(newMode) || !isValidYearMode(md.yearMode)) return p;
    const int s = monthsBeforeJanuary(md.yearMode) - monthsBeforeJanuary(newMode);
    p.shift = s;
    if (s == 0) return p;
    p.edgeColumns = edgeColumns(s);
    const int n = md.historicalYears();
    const bool added = needsAddedYear(md, s);
    if (n > 0) {
        p.historicalEdgeYear = s > 0 ? md.inputStartYear : md.inputEndYear;
        if (added) {
            p.addedYear = s > 0 ? md.inputStartYear - 1 : md.inputEndYear + 1;
            p.addedBeforeFirst = s > 0;
        }
    }
    for (const auto &loc : md.locations) {
        int lost = 0;
        if (n > 0 && !added) {
            const int row = s > 0 ? 0 : n - 1;
            const int h = nonzeroAt(loc.historicalData, row, p.edgeColumns);
            const int f = nonzeroAt(loc.pumpingFlow, row, p.edgeColumns);
            p.droppedHistorical += h;
            p.droppedPumping += f;
            lost += h + f;
        }
        const int k = shortestColumn(loc.synthesizedData);
        if (k > 0) {
            const int row = s > 0 ? 0 : k - 1;
            const int d = nonzeroAt(loc.synthesizedData, row, p.edgeColumns);
            p.droppedSynthesized += d;
            lost += d;
        }
        if (lost > 0) ++p.locationsDropping;
    }
    if (md.synthesizedYears() > 0) p.synthesizedEdgeYear = s > 0 ? md.synthStartYear : md.synthEndYear;
    return p;
}

YearTypeChange changeYearType(ModelInput &md, int newMode) {
    YearTypeChange r;
    if (md.yearMode == newMode) return r;
    if (!isValidYearMode(newMode)) {
        r.error = conversionError(OperationError::Kind::UnknownYearType,
                                  "Unknown year type " + std::to_string(newMode) + ": the tables were not converted.",
                                  std::to_string(newMode));
        return r;
    }
    r.changed = true;
    if (!isValidYearMode(md.yearMode)) {
        // The month order of an unknown year type is unknown too, so there is
        // nothing to move: only the label changes.
        md.yearMode = newMode;
        return r;
    }

    // s > 0: the first s months of the first year leave the period at its
    // start; s < 0: the last -s months of the last year leave it at its end.
    const int s = monthsBeforeJanuary(md.yearMode) - monthsBeforeJanuary(newMode);
    const int n = md.historicalYears();
    const bool added = needsAddedYear(md, s);
    if (added) {
        if (!(s > 0 ? addHistoricalYear(md, 0, false) : addHistoricalYear(md, n - 1, true))) {
            // Shifting without the added year would drop those months.
            r.changed = false;
            r.error = conversionError(OperationError::Kind::PeriodFull,
                                      "The year type was not changed: the historical period cannot take one more year.",
                                      s > 0 ? "inputStartYear" : "inputEndYear");
            r.error->year = s > 0 ? md.inputStartYear : md.inputEndYear;
            return r;
        }
        // The synthesis record counts historical years from the first one:
        // a year added before it would otherwise move the record onto other
        // years (the cycle's second number is a length and stays).
        if (s > 0) {
            if (md.synthesizeFormat >= SynthesizedAverage && md.synthesizeFormat <= SynthesizedCycle)
                ++md.projYearStart;
            if (md.synthesizeFormat == SynthesizedAverage) ++md.projYearEnd;
        }
    }

    shiftMonths(md, s);
    md.yearMode = newMode;
    r.yearAdded = added;
    return r;
}

OperationResult changeUnits(ModelInput &md, int newUnit) {
    OperationResult r;
    if (md.unitMode == newUnit) return r;
    if (!isValidUnitMode(newUnit)) {
        r.error = conversionError(OperationError::Kind::UnknownUnits,
                                  "Unknown units " + std::to_string(newUnit) + ": the values were not converted.",
                                  std::to_string(newUnit));
        return r;
    }
    // From an unknown unit nothing is converted; only the label changes.
    if (isValidUnitMode(md.unitMode)) {
        const bool daily = newUnit == AverageDailyAcreFeet;
        for (auto &loc : md.locations) {
            convertSeries(loc.historicalData, md.yearMode, md.inputStartYear, md.useAvgDaysPerMonth, daily);
            convertSeries(loc.synthesizedData, md.yearMode, md.synthStartYear, md.useAvgDaysPerMonth, daily);
        }
    }
    md.unitMode = newUnit;
    r.changed = true;
    return r;
}

} // namespace vek
