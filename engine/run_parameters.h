// The run-parameter record of the model input file and the counts the engine
// derives from it once: data and tail years, run years and months, the
// heading's N and C, and the synthesis method text.
#pragma once

#include <string>

namespace vek::engine {

struct RunParameters {
    int inputStartYear = 0;
    int inputEndYear = 0;
    int noOfSimulationYears = 0;
    int outputStartYear = 0;
    int outputEndYear = 0;
    int nwells = 0;
    int outputFormat = 0;
    int synthesizeFormat = 0;
    int projYearStart = 0;
    int projYearEnd = 0;
    int yearMode = 0; // read, never used: the engine's months run NOV..OCT
    int unitMode = 0;
    int useAvgDaysPerMonth = 0;
};

// Derived counts. 64-bit so that absurd years in a hand-made file give large
// counts (caught by the year limit) instead of overflowing.
struct RunCounts {
    long long lastDataYear = 0; // L = inputEndYear + noOfSimulationYears
    long long runDataYears = 0;
    long long runTailYears = 0;
    long long runYears = 0;
    long long runMonths = 0;
    // Year rows of every location group: skipped before the run, read, and
    // skipped after it. Each is 0 when its formula comes out negative.
    long long rowsBefore = 0;
    long long rowsRead = 0;
    long long rowsAfter = 0;
};

RunCounts deriveCounts(const RunParameters &p);

// Output layout chosen by outputFormat: every value but 0 and 2 acts as 1.
enum class ReportLayout { ByLocation, TotalsOnly, Untitled };
ReportLayout layoutFor(int outputFormat);

// The 100-character method text printed (its first 50 characters) in the heading.
std::string methodText(const RunParameters &p);

// Heading figures: years of synthesized data inside the run (N) and the years
// that pumping continues after the first (C).
long long headingSynthesizedYears(const RunParameters &p);
long long headingContinuingYears(const RunParameters &p);

} // namespace vek::engine
