// Derived counts and heading texts of a run.
#include "engine/run_parameters.h"

#include <algorithm>

#include "engine/fixed_fields.h"

namespace vek::engine {

RunCounts deriveCounts(const RunParameters &p) {
    RunCounts c;
    const long long start = p.outputStartYear;
    const long long end = p.outputEndYear;
    c.lastDataYear = static_cast<long long>(p.inputEndYear) + p.noOfSimulationYears;
    if (c.lastDataYear < end) {
        c.runDataYears = c.lastDataYear - start + 1;
        c.runTailYears = end - c.lastDataYear;
    } else {
        c.runDataYears = end - start + 1;
        c.runTailYears = 0;
    }
    c.runYears = c.runDataYears + c.runTailYears;
    c.runMonths = 12 * c.runYears;
    c.rowsBefore = std::max(0LL, start - p.inputStartYear);
    c.rowsRead = std::max(0LL, c.runDataYears);
    c.rowsAfter = std::max(0LL, c.lastDataYear - end);
    return c;
}

ReportLayout layoutFor(int outputFormat) {
    if (outputFormat == 0) return ReportLayout::ByLocation;
    if (outputFormat == 2) return ReportLayout::Untitled;
    return ReportLayout::TotalsOnly;
}

std::string methodText(const RunParameters &p) {
    const long long y1 = static_cast<long long>(p.inputStartYear) + p.projYearStart;
    const long long y2 = static_cast<long long>(p.inputStartYear) + p.projYearEnd;
    const long long y3 = y1 + p.projYearEnd;
    std::string text;
    switch (p.synthesizeFormat) {
    case 1:
        text = "AVERAGE OF HISTORICAL DATA FROM";
        appendInt(text, y1, 5);
        text += " TO ";
        appendInt(text, y2, 5);
        break;
    case 2:
        text = "HISTORICAL DATA YEAR";
        appendInt(text, y1, 5);
        break;
    case 3:
        text = "HISTORICAL CYCLE FROM YEAR";
        appendInt(text, y1, 5);
        text += " TO ";
        appendInt(text, y3, 5);
        break;
    case 4:
        text = "USER-DEFINED DATA";
        break;
    default:
        break;
    }
    text.resize(100, ' ');
    return text;
}

long long headingSynthesizedYears(const RunParameters &p) {
    if (p.inputEndYear >= p.outputStartYear) return p.noOfSimulationYears;
    long long n =
        static_cast<long long>(p.noOfSimulationYears) - (static_cast<long long>(p.outputStartYear) - p.inputEndYear);
    return std::max(0LL, n);
}

long long headingContinuingYears(const RunParameters &p) {
    const long long n = headingSynthesizedYears(p);
    if (static_cast<long long>(p.inputEndYear) + n < p.outputEndYear)
        return static_cast<long long>(p.inputEndYear) + n - p.outputStartYear;
    return static_cast<long long>(p.outputEndYear) - p.outputStartYear;
}

} // namespace vek::engine
