// The results of one engine report: every location block and the three
// summaries, read once from the .out file, and the year-type change that
// rearranges their months. Everything the output view and the graphs show
// comes from here.
#pragma once

#include "common/prompter.h"
#include "results/response_info.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vek {

// Any value at or below this one means "no data": shown as "-", left out of
// sums and graphs.
inline constexpr float kNoData = -1.0e10f;
inline bool hasData(float v) { return v > kNoData; }

// A value as the report printed it, in tenths of an acre-foot; kNoTenths
// when the report did not print it so.
inline constexpr std::int32_t kNoTenths = std::numeric_limits<std::int32_t>::min();
// The report printed asterisks here: a value too wide for its field. It is
// no data, and a total, average or running total that would take it in is
// no data as well (never a sum that silently leaves it out).
inline constexpr std::int32_t kUnprintedTenths = kNoTenths + 1;
// A running total in tenths that is not known.
inline constexpr std::int64_t kNoCumulativeTenths = std::numeric_limits<std::int64_t>::min();

// One printed year (or the average row) of one location.
struct YearRow {
    float diversion[12];
    float diversionTotal = kNoData;
    float diversionCumulative = kNoData;
    float stream[12];
    float streamTotal = kNoData;
    float streamCumulative = kNoData;
    // The same values as the report printed them (months 0..11 in the
    // results' month order, then the total): whole tenths, exact at every
    // magnitude the report prints, where a float keeps the tenths only up to
    // about a million. The exports write these; the views and graphs
    // compute with the floats.
    std::int32_t diversionTenths[13];
    std::int32_t streamTenths[13];
    // The running totals of the printed year totals, in tenths.
    std::int64_t diversionCumulativeTenths = kNoCumulativeTenths;
    std::int64_t streamCumulativeTenths = kNoCumulativeTenths;

    YearRow() {
        for (int m = 0; m < 12; ++m)
            diversion[m] = stream[m] = kNoData;
        for (int m = 0; m < 13; ++m)
            diversionTenths[m] = streamTenths[m] = kNoTenths;
    }
};

// The value an export writes for `value` of a row (month 0..11, or 12 for
// the total) of one table: the report's printed value, exactly; a value the
// report did not print (made by a year type change, or set by a program)
// in the shortest form its float takes. nullopt for no data.
std::optional<double> exportValue(const YearRow &row, bool stream, int month);
// The running total of a row as the exports write it: the sum of the
// printed year totals, exactly; nullopt when no total before it held data,
// or one of them was printed as asterisks.
std::optional<double> exportCumulative(const YearRow &row, bool stream);
// The report printed value `month` (0..11, 12 the total) of a row as
// asterisks.
bool unprinted(const YearRow &row, bool stream, int month);

struct LocationResult {
    // Which entry of the report this is. The reader sets it; consumers use it
    // instead of counting from the end, so that a report whose summaries were
    // cut short never passes a real location off as a summary.
    enum class Kind { Location, RechargeSummary, GroundWaterSummary, NetImpact, Reach };

    // Printed years, first year first, then the report's average row.
    std::vector<YearRow> rows;
    std::string name; // UTF-8, decoded from the report's bytes (see results/text_decoding.h)
    double depletionFactor = 0.0;
    // The report's site type ("RECHARGE" or "PUMPING", as the engine calls
    // the location); empty for the summaries and when the report had none.
    std::string siteType;
    Kind kind = Kind::Location;
    // Only the stream table was in the report (its untitled summaries).
    bool streamOnly = false;
    // How the stream effect was computed (real locations; see
    // results/response_info.h).
    ResponseInfo response;

    // The summaries, the reaches' net impacts among them: entries that sum
    // over locations.
    bool isSummary() const { return kind != Kind::Location; }
    bool isReach() const { return kind == Kind::Reach; }
    // "Net Impact on Stream" and the reaches carry only stream values.
    bool hasDiversion() const { return kind != Kind::NetImpact && kind != Kind::Reach && !streamOnly; }
};

// The summaries that follow the locations, in report order, under the names
// the results give them.
struct SummaryEntry {
    const char *name;
    LocationResult::Kind kind;
};
inline constexpr SummaryEntry kSummaryEntries[3] = {
    {"Recharge Summary", LocationResult::Kind::RechargeSummary},
    {"CU of Ground Water Summary", LocationResult::Kind::GroundWaterSummary},
    {"Net Impact on Stream", LocationResult::Kind::NetImpact}};

// How the views name a reach's net impact: "Net Impact on Reach <reach>".
std::string reachEntryName(const std::string &reach);

// Sets the running totals of one table of `loc` (the stream table, or the
// diversion table) from its year totals, rows in order, the average row
// included; a total without data adds nothing, a row before any total with
// data has none, and from a total printed as asterisks on none is known.
void accumulateTotals(LocationResult &loc, bool stream);

class OutputResults {
  public:
    // Month order of the values held: 0 Calendar, 1 Irrigation (the engine's
    // November-October), 2 USGS.
    int yearType = 1;
    std::vector<LocationResult> locations;
    std::string monthHeader; // "YEAR  NOV ... OCT  TOTAL", trimmed
    std::string units;       // "( acre feet )"; empty until a table was read
    int firstPrintYear = 0;
    int lastPrintYear = 0;
    int firstSynthYear = 0;
    int lastSynthYear = 0;
    std::string synthesisText;
    std::string conversionText;
    // The report's line (1-based, lines counted by their line ends) at which
    // the last Load stopped with a failure; at the end of the file, the line
    // that should have followed. 0 after a complete read or when the file
    // could not be opened.
    int failedLine = 0;
    // The heading was read whole (its facts above are the report's).
    bool headingRead = false;
    // The report's closing list of the locations that used another response
    // method than the infinite aquifer, in its order.
    std::vector<ReportedMethod> reportedMethods;
    // Fields of the report's tables printed as asterisks (values too wide for
    // them), which the results hold as no data.
    long long unprintedValues = 0;

    // Reads the report at path. True when the end of the file was reached in
    // an orderly way; false after a failure, which is shown through prompter
    // first. Whatever was read before a failure stays (the result being read
    // when it happened is dropped).
    bool Load(const std::string &path, Prompter &prompter);
    // The same, from report text already in memory (path only names it in
    // messages).
    bool LoadText(const std::string &text, const std::string &path, Prompter &prompter);
    // A report written without titles (output format 2) holds no location
    // tables and no titled summaries, so Load finds none; this reads its
    // untitled rows into the recharge and ground-water summaries (stream
    // tables only) for the exports. Messages and result as Load's.
    bool LoadUntitledSummaries(const std::string &path, Prompter &prompter);

    // firstSynthYear and lastSynthYear from the heading's last historical
    // year and number of synthesized years (a count below 1 means none).
    void setSynthesizedYears(long long lastHistoricalYear, long long synthesizedYears);

    // Number of printed years (rows before the average row).
    int printedYears() const { return lastPrintYear - firstPrintYear + 1; }
    // Entries of the view's years list: every printed year, then "Average".
    // Position p is row p of every location.
    std::vector<std::string> yearListEntries() const;
    // Entries of the view's locations list, in document order.
    std::vector<std::string> locationListEntries() const;

    // Moves every location's months into year type t (0..2), adding a blank
    // year where months would otherwise fall off, and recomputes totals,
    // cumulatives and averages. Every change starts from the values as they
    // were before the first one (the report's own), never from the last
    // change's sums: back in the report's year type the values are the
    // report's again, exactly. Returns true when the number of printed
    // years changed (the views must then refill their lists). A t outside
    // 0..2, or equal to the current type, changes nothing.
    bool changeYearType(int t);

    // Gives every real location the response the report's list states for it
    // (after a read; the reader calls it).
    void assignResponses();

    // Forgets the values kept for year type changes (a new read).
    void resetYearTypeOrigin() { asRead_.reset(); }

  private:
    struct AsRead {
        int yearType, firstPrintYear, lastPrintYear;
        std::vector<LocationResult> locations;
    };
    // The values before the first year type change.
    std::shared_ptr<const AsRead> asRead_;

    // Moves the months of the current values from yearType into t.
    void moveMonths(int t);
};

} // namespace vek
