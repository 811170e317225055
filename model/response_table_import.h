// Unit response tables from a text file a spreadsheet or a ground-water
// model's post-processor writes: comma-separated (RFC 4180 quotes) or
// tab-separated (a semicolon also separates when the first line has neither),
// one row per month, one column per table:
//
//   month,Agency run 2019,Agency run 2021
//   1,0.12,0.10
//   2,0.20,0.18
//   ...
//
// - A first row holding any field that is not a number is the header: its
//   fields name the tables. Without one a single table takes the given
//   default name, several "<default> 1", "<default> 2" and so on.
// - A first column headed "month" (any case), or without a header a first
//   column of 1, 2, 3 ... while other columns follow, numbers the months and
//   is no table; its numbers must run 1, 2, 3 ... without a gap.
// - A column ends at its first empty cell (tables of different lengths side
//   by side). Blank lines and lines starting with # are skipped.
// - Numbers have a point for the decimal mark in every locale.
// Nothing judges the shares here: the model's checks do.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/response_settings.h"

namespace vek {

struct ResponseTableImport {
    std::vector<UnitResponseTable> tables; // after = hold
    std::string error;                     // empty on success; else says where (line, column) and what
};

ResponseTableImport parseResponseTables(std::string_view text, const std::string &defaultName);

// Reads the file (UTF-8 name); the default name is the file's name without
// its folder and extension.
ResponseTableImport importResponseTables(const std::string &path);

} // namespace vek
