// Year types and units of a model input document: the month order of each
// year type, days of the months, the labels the form and the Properties
// dialog show, and the conversions that move every table to another year
// type or unit while keeping the same water in the same calendar months.
#pragma once

#include "common/calendar.h"

#include <string>

namespace vek {

class ModelDocument;

enum UnitMode : int { AverageDailyAcreFeet = 0, MonthlyAcreFeet = 1 };

// Refresh hints the conversions report to the views.
inline constexpr int kHintEverything = 0;
inline constexpr int kHintYearType = 4;
inline constexpr int kHintUnits = 5;

// Monthly <-> average daily acre-feet when every month counts the same days.
// Both are single-precision constants; the second is one over the first.
inline constexpr float kAverageDaysPerMonth = 30.417f;
inline constexpr float kDailyPerMonthly = 0.032876354f;

// True for 0 (average daily) and 1 (monthly acre-feet); the year types'
// month order is in common/calendar.h.
bool isValidUnitMode(int unitMode);

// Days of the month in column `column` of row year `rowYear` (February of a
// year divisible by 4 has 29, no century rule), or 30.417 with the average
// rule.
float daysInMonth(int yearMode, int column, int rowYear, bool avg);
// Monthly acre-feet to average daily acre-feet for one value, and back.
float toDaily(float monthly, int yearMode, int column, int rowYear, bool avg);
float toMonthly(float daily, int yearMode, int column, int rowYear, bool avg);

// "JAN" .. "DEC" of column `column` in the year type's order.
const char *monthAbbreviation(int yearMode, int column);
// Form label of the year type: "    <Calendar Year>" etc., "<error>" otherwise.
std::string yearTypeLabel(int yearMode);
// Form label of the units: "Daily AC-FT" / "Monthly AC-FT", "<Error>" otherwise.
std::string unitsLabel(int unitMode);
// Names in the Properties dialog ("Calendar", "Irrigation Year (Nov-Oct)",
// "USGS Year (Oct-Sep)"; "Average Daily Ac-Ft", "Monthly Ac-Ft"); empty for
// an unknown value.
std::string yearTypeName(int yearMode);
std::string unitsName(int unitMode);

// Converts every table of the document to year type newMode (0..2). Months
// that would fall out of the historical period are rescued into one added
// year when any of them holds a positive value. Refreshes the views with
// hint 4, or 0 when a year was added. Nothing happens when the document
// already has that year type or newMode is not a year type.
void changeYearType(ModelDocument &doc, int newMode);
// Moves every historical series (values, pumping flow, days on) and every
// synthesized series s months earlier in its sequence of months (s < 0:
// later); the months left without a value become 0.0, the efficiencies
// rotate with their months and become 1.0 in the emptied months.
void shiftMonths(ModelDocument &doc, int s);
// Converts the historical and synthesized values (not the pumping record) to
// unit newUnit (0 average daily, 1 monthly acre-feet) and refreshes with
// hint 5. Nothing happens when the unit is already newUnit or newUnit is not
// a unit.
void changeUnits(ModelDocument &doc, int newUnit);
// The monthly-to-daily rule: marks the document modified, converts nothing.
void setUseAvgDaysPerMonth(ModelDocument &doc, bool avg);

} // namespace vek
