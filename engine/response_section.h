// The response-method section of the model input file: the one place that
// says which locations respond by another method than the infinite aquifer,
// and the unit response tables they share. It follows everything else in the
// file, so a reader that stops after the pumping records (or, like an engine
// that knows only the infinite aquifer, after the location groups) never
// sees it:
//
//   Response methods 1
//   table name="Agency run 2019" months=3 after=hold
//   0.2 0.15 0.1
//   location 2 alluvial a/W=0.4
//   location 3 hunt lambda=2.5
//   location 4 table name="Agency run 2019"
//   end
//
// Locations are numbered from 1 in file order, like the pumping records they
// are matched by position. A statement is a keyword and key=value fields;
// text values are in double quotes (\" and \\ inside); a field starting with
// # ends the line. The section must end the file: nothing but blank lines may
// follow its end line. The engine finds it by a forward scan for its first
// line (model_sections.h); the last such line counts, unless a number follows
// it (then it is a location's name in a file without a section). The engine
// also walks the file as it reads it to where the pumping records end
// (file_tail.h): a damaged first line or a second section there is refused,
// and other text there (which older files may hold) is not read but said.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/real.h"
#include "engine/response_methods.h"
#include "engine/section_statement.h"

namespace vek::engine {

inline constexpr std::string_view kResponseSectionTitle = "Response methods";
inline constexpr int kResponseSectionLayout = 1;
// The sections a model file may hold between the pumping records and the
// response methods (each "TITLE LAYOUT" on its first line, to an end line);
// the walk to the response methods passes over them.
inline constexpr std::string_view kOtherSectionTitles[] = {"Uncertainty ranges", "Stream reaches"};

struct SectionTable {
    std::string name;
    std::vector<Real> shares;
    bool afterOne = false; // after the last month: the whole step (true) or the last cumulative share held
    long long line = 0;    // line of its statement in the file
};

struct SectionLocation {
    long long location = 0; // 1-based position in the file
    ResponseMethod method = ResponseMethod::InfiniteAquifer;
    Real aOverW = 0.0f;
    Real lambda = 0.0f;
    std::string table;
    long long line = 0;
};

struct ResponseSection {
    bool present = false;
    long long line = 0; // line of its first line in the file
    std::vector<SectionTable> tables;
    std::vector<SectionLocation> locations; // in the order written

    // The table of that name, or nullptr.
    const SectionTable *table(const std::string &name) const;
};

using ResponseSectionError = SectionError;

// True for the section's first line: "Response methods" and a layout number,
// white space around them ignored. `layout` receives the number.
bool isResponseSectionStart(std::string_view line, int *layout = nullptr);

// Parses the section from its lines (line ends removed), its first line
// first; `firstLine` is that line's number in the file. Checks the grammar,
// the layout number, that numbers are finite and that no table or location
// is given twice; what the values mean is judged by their users
// (alluvialProblem and the like). Throws ResponseSectionError.
ResponseSection parseResponseSection(const std::vector<std::string_view> &lines, long long firstLine);

// What follows the pumping records: the section, other text, or nothing.
struct FileTail {
    ResponseSection section; // present when the tail is the section
    long long otherText = 0; // line of the first text that is no section, 0 when none
};

// Judges the lines after the pumping records (line ends removed), the first
// of them line `firstLine` of the file: blank lines only, the section (parsed
// as parseResponseSection does), or other text. Throws ResponseSectionError
// for a damaged first line, a second section, or a section after other text.
FileTail readFileTail(const std::vector<std::string_view> &lines, long long firstLine);

// True for a line that is meant as the section's first line, damaged or
// not: it starts with "Response" in any case, or is a start of "Response
// methods" of four letters or more.
bool looksLikeSectionTitle(std::string_view line);

// True for the first line of any section that may follow the pumping
// records (the response methods or one of kOtherSectionTitles).
bool isModelSectionStart(std::string_view line);

} // namespace vek::engine
