// Reader of the outside consumptive-use model's well output files (.owl):
// sub-areas with their wells' yearly lines, the two heading lines, and the
// first and last year of the data. The method sections ("Well Pumping
// Information") not chosen by the soil-moisture switch are skipped. The
// reader shows nothing: what stopped it is its error, what it read past its
// warnings.
#pragma once

#include "common/operation_error.h"

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

namespace vek {

// One data line: year, well id and 14 reals. Real 0 is the depletion factor,
// reals 1..12 are January..December, real 13 is not used.
struct WellYearLine {
    int year = 0;
    unsigned int wellId = 0;
    std::array<float, 14> values{};
};

struct SubArea {
    std::string name; // at most 27 characters, trimmed
    int wellCount = 0;
    std::vector<WellYearLine> lines; // well after well, one line per year
};

class WellFileReader {
  public:
    // Reads the file. noSoilMoisture set takes the sections computed without
    // soil moisture and skips the others. Returns false when the file cannot
    // be read (error() says why), or holds a line longer than kMaxLineBytes;
    // a file ending inside a data block still counts as read (with a
    // warning).
    bool read(const std::string &path, bool noSoilMoisture);
    // The same from an open stream.
    bool read(std::istream &in, bool noSoilMoisture);

    const std::vector<SubArea> &subAreas() const { return subAreas_; }
    const std::string &headingLine1() const { return heading1_; }
    const std::string &headingLine2() const { return heading2_; }
    // Year of the first data line, and the largest year of any; -1 when none.
    int firstYear() const { return firstYear_; }
    int lastYear() const { return lastYear_; }

    // Why the last read failed; nullopt after a read that succeeded.
    const std::optional<OperationError> &error() const { return error_; }
    // What the last read went on past, in file order.
    const std::vector<OperationError> &warnings() const { return warnings_; }

  private:
    enum class SubAreaEnd { Separator, EndOfFile, Failed };
    bool readLines(std::istream &in, bool noSoilMoisture);
    SubAreaEnd readSubArea(std::istream &in, const std::string &line);
    OperationError problem(OperationError::Kind kind, std::string message) const;
    bool fail(OperationError::Kind kind, std::string message);
    void warn(OperationError::Kind kind, std::string message);

    std::string path_;
    std::optional<OperationError> error_;
    std::vector<OperationError> warnings_;
    std::vector<SubArea> subAreas_;
    std::string heading1_;
    std::string heading2_;
    int firstYear_ = -1;
    int lastYear_ = -1;
    bool haveFirstYear_ = false;
};

// Scans a data line: year ("%d"), well id ("%u") and 14 reals ("%f"),
// separated by white space; anything after them is ignored. False when fewer
// than 16 values can be read, a number is out of range, the well id is
// negative or a real is not finite.
bool scanWellYearLine(const std::string &text, WellYearLine &out);

} // namespace vek
