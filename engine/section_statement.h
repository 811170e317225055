// One statement of the model file's sections (response methods, stream
// reaches): a keyword and key=value fields separated by blanks or commas.
// Text values are in double quotes (\" and \\ inside); a field starting with
// # ends the line. Shared by every section so that they read alike.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/real.h"

namespace vek::engine {

bool isSectionBlank(char c);
std::string_view trimmedSectionText(std::string_view s);

// What is wrong with a section (what()) and on which line of the file
// (line()).
// `part()` names the section ("stream reaches", "response methods") once
// the finder knows it.
class SectionError : public std::runtime_error {
  public:
    SectionError(const std::string &what, long long line, std::string part = {})
        : std::runtime_error(what), line_(line), part_(std::move(part)) {}
    long long line() const { return line_; }
    const std::string &part() const { return part_; }

  private:
    long long line_;
    std::string part_;
};

// One field: its key (empty for a bare word) and its value, with quotes
// removed and escapes resolved.
struct SectionField {
    std::string key;
    std::string value;
    bool quoted = false;
};

class SectionStatement {
  public:
    // Throws SectionError for a malformed line.
    SectionStatement(std::string_view line, long long number);
    const std::vector<SectionField> &fields() const { return fields_; }
    long long number() const { return number_; }
    [[noreturn]] void fail(const std::string &problem) const;

    // Values of fields, checked: a real that is finite, a double that is
    // finite, a whole number within [lo, hi].
    Real real(const SectionField &f) const;
    double wide(const SectionField &f) const;
    long long whole(const SectionField &f, long long lo, long long hi) const;

    // The key=value fields from position `from`, each key at most once and
    // every key one of `allowed`; the result holds one entry per allowed key
    // (nullptr when absent).
    std::vector<const SectionField *> keyed(std::size_t from, std::initializer_list<std::string_view> allowed) const;
    const SectionField &required(const SectionField *f, std::string_view key) const;

  private:
    void split(std::string_view s);
    std::string describe(const SectionField &f) const;

    std::vector<SectionField> fields_;
    long long number_;
};

// Lines of `text` without their line ends ("\n"; a "\r" before it stays and
// counts as a blank).
std::vector<std::string_view> sectionLines(std::string_view text);

// True when the line starts with a number (after blanks): a year row, a
// location record or a pumping record's flags. A section's first line is
// never followed by one.
bool startsWithNumber(std::string_view line);

// Writing: text in double quotes with \" and \\ escaped (line ends become
// blanks), floats and doubles in their shortest form that reads back as the
// same number (doubles from 1e-5 to 1e15 in plain digits).
std::string quoteSectionText(std::string_view text);
std::string sectionNumber(Real value);
std::string sectionNumber(double value);
// A number for a message: at most seven significant digits ("1.000002").
std::string messageNumber(double value);

} // namespace vek::engine
