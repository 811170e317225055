// The model input file as the engine reads it, strictly forward: the version
// line skipped, the run parameters, the sections after the pumping records
// (stream reaches and response methods, found by a scan of their own before
// any location is read), then the location groups one after another. Both the vek program (which computes and writes
// each location as soon as it is read) and a prepared model (which keeps them all) read through this.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/day_calendar.h"
#include "engine/deck_reader.h"
#include "engine/location_response.h"
#include "engine/reach_report.h"
#include "engine/response_report.h"
#include "engine/response_section.h"
#include "engine/run_parameters.h"

namespace vek::engine {

// A run the engine refuses, with the line it says why.
class RunError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One used location as read: everything its computation needs.
struct DeckLocation {
    long long position = 0; // 1-based place in the file
    std::string name;       // the name record's first 90 characters, padded with blanks
    int locationType = -1;
    LocationResponse response; // method, factor and method parameter
    // Daily rates over the run's months, 1-based (entry 0 is q(0) = 0); the
    // tail years after the last data year hold 0.
    std::vector<Real> rates;
    // Year rows that held more than 12 values (only the first 12 are read):
    // how many, the first one's row (0-based from the first historical
    // year) and its record in the file.
    long long longRows = 0, firstLongRow = 0, firstLongRecord = 0;
    std::vector<LocationShare> shares; // of the stream reaches; none in a model without them
};

class ModelDeck {
  public:
    explicit ModelDeck(DeckSource source) : reader_(std::move(source)) {}

    // Skips the version line and reads the run parameters. False when the run
    // has more years than the engine runs (nothing else is read then); throws
    // RunError for a run without years and for counts no file can mean.
    bool readParameters();
    const RunParameters &parameters() const { return p_; }
    const RunCounts &counts() const { return c_; }
    int months() const { return static_cast<int>(c_.runMonths); }
    const DayCalendar &calendar() const { return *calendar_; }

    // The response-method section and the step responses of its tables, and
    // the stream reaches' shares; every entry is checked now, so that a run
    // never stops half-way for a parameter or a share it cannot use. Throws
    // RunError.
    void readResponseMethods();
    const ResponseSection &section() const { return section_; }
    const std::vector<StepResponse> &tables() const { return tables_; }
    // The line of text after the pumping records that is no response-method
    // section (not read; every location then uses the infinite aquifer), 0
    // when there is none.
    long long unreadTextLine() const { return unreadTextLine_; }
    // The stream reaches (none in a model without them) with their sums at
    // 0, and the shares of the locations read so far, for the report's list.
    const ReachResults &reaches() const { return reaches_; }

    // Location group n (1-based, in file order), in two steps so that a
    // caller can act on the name before the rows are read: the header (factor,
    // type and use flag, then the name record) and the year rows. readHeader
    // is false for an unused location, whose records it skips whole.
    bool readHeader(long long n, DeckLocation &location);
    void readRates(long long n, DeckLocation &location);

    const std::string &path() const { return reader_.path(); }
    void close() { reader_.close(); }

  private:
    LocationResponse responseOf(long long location, Real factor);
    void refuseMeaninglessParameters() const;
    void readReaches(ReachSection section);
    void sharesOf(DeckLocation &location);

    DeckReader reader_;
    RunParameters p_;
    RunCounts c_;
    std::unique_ptr<DayCalendar> calendar_;
    ResponseSection section_;
    std::vector<SectionLocation> methods_; // by position in the file
    std::size_t nextMethod_ = 0;
    std::vector<StepResponse> tables_;
    long long unreadTextLine_ = 0;

    // Every share, ordered by location, and each location's own rule named
    // for the list (ordered), met in file order like the response methods.
    std::vector<SectionShare> shares_;
    std::size_t nextShare_ = 0;
    std::vector<std::pair<long long, std::string>> ruleNames_;
    std::string modelRule_;
    ReachResults reaches_;
};

} // namespace vek::engine
