// The report (.out file): heading, location blocks and their tables, and the
// summaries over all locations. Text is built into strings (so tables can be
// formatted away from the writing thread) and written by ReportFile, which
// turns a failed write into an error instead of a silently short report.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/real.h"
#include "engine/run_parameters.h"

namespace vek::engine {

class ReportError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class ReportFile {
  public:
    // Creates or empties the file; throws ReportError when it cannot.
    explicit ReportFile(const std::string &path);
    ~ReportFile();
    ReportFile(const ReportFile &) = delete;
    ReportFile &operator=(const ReportFile &) = delete;
    void write(std::string_view text);
    void close(); // flushes; throws ReportError when the data did not reach the file

  private:
    std::string path_;
    std::FILE *file_ = nullptr;
};

// Monthly series of the summaries: diversions and stream effects in four
// columns (1 recharge sites, 2 never written, 3 wells, 4 all locations).
struct SummaryTables {
    SummaryTables();
    Real *diversion(int column) { return diversion_.data() + static_cast<std::size_t>(column - 1) * (kMaxMonths + 1); }
    Real *effect(int column) { return effect_.data() + static_cast<std::size_t>(column - 1) * (kMaxMonths + 1); }
    const Real *diversion(int column) const {
        return diversion_.data() + static_cast<std::size_t>(column - 1) * (kMaxMonths + 1);
    }
    const Real *effect(int column) const {
        return effect_.data() + static_cast<std::size_t>(column - 1) * (kMaxMonths + 1);
    }
    // Adds one location's volumes (1-based months) into its column and column 4.
    void add(int locationType, const Real *diversion, const Real *effect, int months) {
        add(locationType, diversion, effect, 1, months);
    }
    // The same for months first..last only.
    void add(int locationType, const Real *diversion, const Real *effect, int first, int last);

  private:
    std::vector<Real> diversion_;
    std::vector<Real> effect_;
};

namespace report {

inline constexpr std::string_view kEol = "\r\n";

void appendHeading(std::string &out, const RunParameters &p);

// Heading lines that readers keep as text (without the line end): the
// synthesis method line and the monthly-to-daily conversion line.
std::string synthesisLine(const RunParameters &p);
std::string conversionLine(const RunParameters &p);
// The header line of a titled table ("YEAR", the months NOV..OCT, "TOTAL").
std::string tableHeader();
// The units line under a table's title.
std::string unitsLine();

// The sums a table prints, added in the order the report adds them: each
// row's total over its months in order, each month's sum over the rows in
// order, and the grand sum of the twelve month sums; each stored as a Real.
// The averages are those stored sums divided by the number of years.
struct TableSums {
    std::vector<Real> rowTotals;
    Real monthAverage[12] = {};
    Real totalAverage = 0.0f;
};
TableSums tableSums(const Real *monthly, long long runYears);

// Lines written as soon as a used location's name is read (layout 0 only).
void appendLocationBlock(std::string &out, std::string_view name, Real factor, int locationType);

// The two titled tables of a location (layout 0 only).
void appendLocationTables(std::string &out, int locationType, const Real *diversion, const Real *effect,
                          const RunParameters &p, const RunCounts &c);

// One table of 1-based monthly values: header (unless untitled), one row per
// run year, an empty line and the average row.
void appendTable(std::string &out, const Real *monthly, long long runYears, int firstYear, bool withHeader);

void appendSummaries(std::string &out, const SummaryTables &s, const RunParameters &p, const RunCounts &c);

} // namespace report

} // namespace vek::engine
