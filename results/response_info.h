// How a location's stream effect was computed: its response method and the
// method's parameters, as the report's closing list of response methods
// states them (a location the list leaves out used the infinite aquifer with
// its depletion factor), or as the engine held them for a run in memory.
// Every export says it beside the location's numbers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

struct ResponseInfo {
    // The model file's words for the methods; Unknown when the report's list
    // cannot say which of several locations of one name it means, or holds a
    // line this program cannot read.
    enum class Method { Infinite, Alluvial, Hunt, Table, Unknown };

    Method method = Method::Infinite;
    std::optional<double> sdf;    // days: infinite, alluvial, hunt
    std::optional<double> aOverW; // alluvial
    std::optional<double> lambda; // hunt (lambda')
    std::string table;            // table: its name (UTF-8)
    std::optional<int> tableMonths;
    std::string after;            // table: "one" or "hold", as the model file says it
    std::optional<double> heldAt; // table held: the cumulative share it keeps
    std::string description;      // the list's words ("ALLUVIAL AQUIFER (GLOVER), SDF ..."); empty when unlisted

    // "infinite", "alluvial", "hunt", "table" or "unknown".
    const char *methodWord() const;
    // The infinite aquifer with this factor, as the list leaves it unsaid.
    static ResponseInfo infinite(double factor);
};

// The report's list prints the words a report reader looks for with a blank
// inside them ("LOCATION :"); this gives back the words as written.
std::string withReportKeywords(std::string text);

// One line of the report's list.
struct ReportedMethod {
    int number = 0;   // the location's 1-based position in the model file
    std::string name; // UTF-8, as the block of that location names it
    ResponseInfo response;
};

// The method and parameters of one description of the list; Unknown (with
// the text kept) when it is none of the forms the engine writes.
ResponseInfo parseResponseDescription(std::string_view text);

// One line of the list ("    2  North well ...  ALLUVIAL AQUIFER ..."); false
// for a line that is not one.
bool parseReportedMethodLine(std::string_view line, ReportedMethod &out);

// Which response each location used: `names` are the report's location
// blocks in order and `factors` their depletion factors. A location the list
// leaves out used the infinite aquifer. The list names locations by their
// position in the model file, which the blocks do not print, so entries are
// paired with blocks by name in order; where one name belongs to more blocks
// than the list has entries for it, those blocks are Unknown.
std::vector<ResponseInfo> matchReportedMethods(const std::vector<std::string> &names,
                                               const std::vector<double> &factors,
                                               const std::vector<ReportedMethod> &list);

} // namespace vek
