// The model input file as the engine reads it, strictly forward: the version
// line skipped, the run parameters, the response-method section (found by a
// scan of its own before any location is read), then the location groups one
// after another. Both the vek program (which computes and writes each
// location as soon as it is read) and a prepared model (which keeps them all)
// read through this.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/day_calendar.h"
#include "engine/deck_reader.h"
#include "engine/location_response.h"
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

    // The response-method section and the step responses of its tables;
    // every entry is checked now, so that a run never stops half-way for a
    // parameter it cannot use. Throws RunError.
    void readResponseMethods();
    const ResponseSection &section() const { return section_; }
    const std::vector<StepResponse> &tables() const { return tables_; }
    // The line of text after the pumping records that is no response-method
    // section (not read; every location then uses the infinite aquifer), 0
    // when there is none.
    long long unreadTextLine() const { return unreadTextLine_; }

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

    DeckReader reader_;
    RunParameters p_;
    RunCounts c_;
    std::unique_ptr<DayCalendar> calendar_;
    ResponseSection section_;
    std::vector<SectionLocation> methods_; // by position in the file
    std::size_t nextMethod_ = 0;
    std::vector<StepResponse> tables_;
    long long unreadTextLine_ = 0;
};

} // namespace vek::engine
