// The selected tables of a report as an Excel workbook (.xlsx).
//
// The first sheet, "Run", lists the model, the run years, the heading facts of
// the report and a version: the one of the program that wrote the report
// when the report states it, otherwise that of the program writing the
// workbook, labelled as such. Then one sheet per selected location and per
// selected summary: a title row (the text report's title line, the year type
// and the units), a row naming the tables, a frozen row of column headings
// (YEAR, the months in the results' order, TOTAL, for each table shown), and
// one row per selected year with the values as numbers; a value without
// data leaves its cell empty. Every number is the engine report's own, to
// the tenth, at every magnitude.
#pragma once

#include "common/safe_save.h"
#include "results/output_results.h"
#include "results/view_choices.h"

#include <functional>
#include <string>
#include <vector>

namespace vek {

struct WorkbookInfo {
    std::string model;      // the model's name, shown on the first sheet
    std::string reportPath; // the engine report the values come from
    // The version of the program that wrote the report, when the report
    // states it (the engine's reports do not).
    std::string reportVersion;
    // The program writing the workbook ("vektool", "VEKView") and its version.
    std::string program;
    std::string programVersion;
};

struct WorkbookOptions {
    // Rows go to temporary files as they are written instead of staying in
    // memory (for very large reports).
    bool constantMemory = false;
    // Whether an existing file may be replaced (see SafeSave).
    SafeSave::Replace replace = SafeSave::Replace::Allowed;
};

// The WorkbookInfo of a report file written by `program` of this release:
// the model is the report's base name (the engine's report is named after
// its model input file).
WorkbookInfo workbookInfoFor(const std::string &reportPath, const std::string &program = "vektool");

// Writes the workbook to path through the safe save (a failed write leaves
// an earlier file whole). False with the reason, one message naming the file,
// in error; the workbook library's own messages are not shown.
bool writeWorkbook(const std::string &path, const OutputResults &results, const ViewChoices &choices,
                   const WorkbookInfo &info, std::string *error = nullptr, const WorkbookOptions &options = {});

// A plain table on a sheet of its own: a frozen row of column titles, then
// `rows` rows whose cells `cell(row, column, out)` fills (a number, or text
// when it returns false).
struct TableSheet {
    std::string name;
    std::vector<std::string> columns;
    std::size_t rows = 0;
    std::function<bool(std::size_t row, std::size_t column, double &number, std::string &text)> cell;
};

// Writes the sheets (their names made acceptable by excelSheetNames) as a
// workbook to path through the safe save, in constant memory; false with
// the reason in error.
bool writeTableWorkbook(const std::string &path, const std::string &title, const std::vector<TableSheet> &sheets,
                        std::string *error = nullptr);

// Sheet names Excel accepts for the wanted names, in order: at most 31
// characters, none of []:*?/\, no quote at either end, not "History", not
// empty, and unique regardless of case (a repeated name gets " (2)", " (3)",
// ...). taken holds names already in the workbook.
std::vector<std::string> excelSheetNames(const std::vector<std::string> &wanted, std::vector<std::string> taken = {});

} // namespace vek
