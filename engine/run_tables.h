// The tables of one run kept in memory instead of written: the run
// parameters, each used location's monthly volumes in input order and the
// summaries. The report written from them is the report the engine writes
// while it runs, byte for byte, since both go through the same report
// functions.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/reach_report.h"
#include "engine/real.h"
#include "engine/report_writer.h"
#include "engine/response_report.h"
#include "engine/run_parameters.h"

namespace vek::engine {

struct RunTables {
    struct Location {
        std::string name; // the name record's first 90 characters, padded with blanks
        Real factor = 0.0f;
        int locationType = -1;
        // Monthly volumes in acre-feet, 1-based: entry 0 is unused, entries
        // 1..runMonths hold the run's months (wells negative).
        std::vector<Real> diversion;
        std::vector<Real> effect;
        long long number = 0;      // 1-based position in the model file
        LocationResponse response; // how the stream responds to it
    };

    RunParameters parameters;
    RunCounts counts;
    // Used locations in input order; kept only when the report lists them
    // (outputFormat 0), as the report does.
    std::vector<Location> locations;
    SummaryTables summaries;
    // The report's closing list: used locations that respond by another
    // method than the infinite aquifer, and the tables they share.
    std::vector<ReportedResponse> responses;
    std::vector<SectionTable> responseTables;
    // Line of the first text after the pumping records that is no
    // response-method section (not read; the list then says that every
    // location used the infinite aquifer); 0 when there is none.
    long long unreadTextLine = 0;
    // Each stream reach's net impact and the locations' shares of them;
    // empty for a model without reaches.
    ReachResults reaches;
};

// Writes the report of `tables` piece by piece to `write`, in the order and
// with the text the engine writes it.
void writeReport(const RunTables &tables, const std::function<void(std::string_view)> &write);

} // namespace vek::engine
