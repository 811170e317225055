// The report's closing list of the locations that respond by another method
// than the infinite aquifer, with their parameters, so that a report says how
// it was made. It follows everything a report reader reads, and is written
// only when such a location took part in the run: a report of infinite-aquifer
// locations alone is unchanged.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/location_response.h"
#include "engine/response_section.h"

namespace vek::engine {

struct ReportedResponse {
    long long location = 0; // 1-based position in the model file
    std::string name;       // as the engine keeps it (90 characters)
    LocationResponse response;
};

namespace report {

void appendResponseMethods(std::string &out, const std::vector<ReportedResponse> &responses,
                           const std::vector<SectionTable> &tables);

// A method and its parameters as the list prints them ("ALLUVIAL AQUIFER
// (GLOVER), SDF 2500 DAYS, A/W 0.6").
std::string responseDescription(const LocationResponse &response, const std::vector<SectionTable> &tables);

// Text as the list prints it: a report reader takes any line holding
// "LOCATION:" for the start of a location and "SUMMARY OF ALL LOCATIONS" for
// the summaries, so a name or table name holding either is printed with a
// blank inside the keyword.
std::string withoutReportKeywords(std::string_view text);

} // namespace report

} // namespace vek::engine
