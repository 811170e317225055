// The selected tables of a report as CSV (RFC 4180: fields with a comma, a
// quote or a line end are quoted, quotes doubled, CR LF between records, '.'
// as the decimal mark in every locale), for pandas, R and spreadsheets.
//
// Wide layout, one record per location, table and selected year:
//   position,kind,location,site_type,factor,quantity,year,<12 months>,total,
//   cumulative,row,units,year_type,method,sdf,a_w,lambda,response_table,table_after
// Long layout, one record per location, table and month of the selected
// years (the average row is no month and is left out):
//   position,kind,location,site_type,factor,quantity,year,month,days,value,
//   units,year_type,method,sdf,a_w,lambda,response_table,table_after
// docs/file-formats.md says what each column holds. The first columns are
// where they were before units and methods were written (the two "type"
// columns got names that cannot be mixed up), so a reader that takes them by
// position still finds them.
#pragma once

#include "results/output_results.h"
#include "results/view_choices.h"

#include <string>

namespace vek {

enum class CsvLayout { Wide, Long };

std::string buildCsv(const OutputResults &results, const ViewChoices &choices, CsvLayout layout = CsvLayout::Wide);

// One field as RFC 4180 writes it.
std::string csvField(const std::string &text);

} // namespace vek
