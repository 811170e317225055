// The selected tables of a report as CSV (RFC 4180: fields with a comma, a
// quote or a line end are quoted, quotes doubled, CR LF between records, '.'
// as the decimal mark in every locale), for pandas, R and spreadsheets.
//
// One record per location, table and selected year:
//   position,kind,location,location_type,factor,type,year,<12 months>,total
// position is the location's 0-based position in the report (as vektool
// report --locations counts), so two locations of one name stay apart; kind
// is "location" or "summary"; location_type is "well" or "recharge site"
// (empty for a summary); factor is the depletion factor in days (empty for a
// summary); type is "diversion" (consumptive use of ground water or net
// recharge) or "stream" (stream depletion or accretion); year is the year or
// "Avg"; the months follow the results' year type. A value without data is
// an empty field; the yearly scale leaves the month fields empty. Values
// are the report's own, to the tenth, at every magnitude; names are UTF-8.
#pragma once

#include "results/output_results.h"
#include "results/view_choices.h"

#include <string>

namespace vek {

std::string buildCsv(const OutputResults &results, const ViewChoices &choices);

// One field as RFC 4180 writes it.
std::string csvField(const std::string &text);

} // namespace vek
