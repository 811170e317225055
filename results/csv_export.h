// The selected tables of a report as CSV (RFC 4180: fields with a comma, a
// quote or a line end are quoted, quotes doubled, CR LF between records, '.'
// as the decimal mark in every locale), for pandas, R and spreadsheets.
//
// One record per location, table and selected year:
//   location,type,year,<12 months in the results' order>,total
// type is "diversion" (consumptive use of ground water or net recharge) or
// "stream" (stream depletion or accretion); year is the year or "Avg"; a
// value without data is an empty field; the yearly scale leaves the month
// fields empty. Values carry the text report's digits.
#pragma once

#include "results/output_results.h"
#include "results/view_choices.h"

#include <string>

namespace vek {

std::string buildCsv(const OutputResults &results, const ViewChoices &choices);

// One field as RFC 4180 writes it.
std::string csvField(const std::string &text);

} // namespace vek
