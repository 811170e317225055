// Reader of the outside consumptive-use model's well output files.
#include "model/well_file_reader.h"
#include "common/utf8_path.h"

#include "facts/message_text.h"
#include "model/import_scan.h"

#include <cctype>
#include <filesystem>
#include <fstream>

namespace vek {

namespace {

const char *const kSubAreaMarker = "Well(s) in SubArea";
const char *const kMethodMarker = "Well Pumping Information";
const char *const kSectionRule = "---------------";                           // 15 hyphens
const char *const kBlockEnd = "--------------------------------------------"; // 44 hyphens
constexpr std::size_t kNameWidth = 27;

std::string trimLeft(const std::string &s) {
    std::size_t b = 0;
    while (b < s.size() && isBlank(s[b]))
        ++b;
    return s.substr(b);
}

std::string trimRight(const std::string &s) {
    std::size_t e = s.size();
    while (e > 0 && isBlank(s[e - 1]))
        --e;
    return s.substr(0, e);
}

std::string trimmed(std::string_view s) { return std::string(trim(s)); }

bool contains(const std::string &s, const char *what) { return s.find(what) != std::string::npos; }

// A line longer than kMaxLineBytes: a file without line ends (/dev/zero)
// is not read into memory to its end.
struct OverlongLine {};

// One line as read, its line end kept (messages quote lines as read). False
// at end of file; throws OverlongLine.
bool nextLine(std::istream &in, std::string &line) {
    line.clear();
    std::streambuf *buf = in.rdbuf();
    if (!buf || !in) return false;
    while (true) {
        const auto c = buf->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            if (line.empty()) in.setstate(std::ios::failbit);
            return !line.empty();
        }
        line.push_back(static_cast<char>(c));
        if (c == '\n') return true;
        // One more byte for the carriage return of a CR LF line end.
        if (line.size() > kMaxLineBytes + 1) throw OverlongLine{};
    }
}

} // namespace

bool scanWellYearLine(const std::string &text, WellYearLine &out) {
    using namespace scan;
    const char *p = text.c_str();
    WellYearLine w;
    if (!scanInt(p, w.year) || !scanUnsigned(p, w.wellId)) return false;
    for (float &v : w.values)
        if (!scanReal(p, v)) return false;
    out = w;
    return true;
}

OperationError WellFileReader::problem(OperationError::Kind kind, std::string message) const {
    OperationError e;
    e.kind = kind;
    e.message = std::move(message);
    e.file = path_;
    if (!subAreas_.empty()) e.locationName = subAreas_.back().name;
    return e;
}

bool WellFileReader::fail(OperationError::Kind kind, std::string message) {
    error_ = problem(kind, std::move(message));
    return false;
}

void WellFileReader::warn(OperationError::Kind kind, std::string message) {
    warnings_.push_back(problem(kind, std::move(message)));
}

bool WellFileReader::read(const std::string &path, bool noSoilMoisture) {
    std::error_code ec;
    // A directory opens as a stream on some systems and then reads as empty.
    std::ifstream in;
    if (!std::filesystem::is_directory(pathFromUtf8(path), ec)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        path_ = path;
        error_.reset();
        warnings_.clear();
        return fail(OperationError::Kind::CannotOpen, "Unable to open " + path + " for reading.");
    }
    const bool ok = read(in, noSoilMoisture);
    path_ = path;
    if (error_) error_->file = path;
    for (auto &w : warnings_)
        w.file = path;
    return ok;
}

bool WellFileReader::read(std::istream &in, bool noSoilMoisture) {
    path_.clear();
    error_.reset();
    warnings_.clear();
    subAreas_.clear();
    heading1_.clear();
    heading2_.clear();
    firstYear_ = lastYear_ = -1;
    haveFirstYear_ = false;

    try {
        return readLines(in, noSoilMoisture);
    } catch (const OverlongLine &) {
        return fail(OperationError::Kind::Unreadable, std::string("A line of the well output file is longer than ") +
                                                          kMaxLineText + "; the file is read no further.");
    }
}

bool WellFileReader::readLines(std::istream &in, bool noSoilMoisture) {
    std::string raw;
    if (!nextLine(in, raw)) return true;
    // A byte-order mark from a Windows editor is not part of the first line.
    if (raw.rfind("\xEF\xBB\xBF", 0) == 0) raw.erase(0, 3);
    while (true) {
        std::string line = trimmed(raw);
        if (!line.empty()) {
            if (contains(line, kSubAreaMarker)) {
                SubAreaEnd end = readSubArea(in, line);
                if (end == SubAreaEnd::Failed) return false;
                if (end == SubAreaEnd::EndOfFile) return true;
            } else if (contains(line, kMethodMarker)) {
                std::string method;
                if (!nextLine(in, method))
                    return fail(OperationError::Kind::UnexpectedEnd, "EOF reading well pumping method.");
                bool skip = (contains(method, "USBR Original") && !noSoilMoisture) ||
                            (contains(method, "Enhanced") && noSoilMoisture);
                // The section not chosen runs to its second rule line.
                for (int rules = 0; skip && rules < 2;) {
                    std::string l;
                    if (!nextLine(in, l))
                        return fail(OperationError::Kind::UnexpectedEnd, "EOF while skipping well record.");
                    if (contains(l, kSectionRule)) ++rules;
                }
            }
        }
        if (!nextLine(in, raw)) return true;
    }
}

WellFileReader::SubAreaEnd WellFileReader::readSubArea(std::istream &in, const std::string &line) {
    SubArea area;
    const char *p = line.c_str();
    const bool countRead = scan::scanInt(p, area.wellCount) && area.wellCount >= 0;
    if (!countRead) area.wellCount = 0;
    std::size_t at = line.find(kSubAreaMarker) + std::string(kSubAreaMarker).size();
    area.name = trimmed(std::string_view(line).substr(at, kNameWidth));
    bool firstArea = subAreas_.empty();
    subAreas_.push_back(area);
    SubArea &current = subAreas_.back();
    if (!countRead) {
        warn(OperationError::Kind::Unreadable, "Unable to read the number of wells at the start of line " +
                                                   messageLine(line) +
                                                   "; the wells of this sub-area are not imported.");
        warnings_.back().field = "well count";
    }

    auto endOfFile = [this] {
        warn(OperationError::Kind::UnexpectedEnd, "Unexpected EOF reading year data .");
        return SubAreaEnd::EndOfFile;
    };

    // One line, the two heading lines (kept from the first sub-area only),
    // one more line, then the data lines.
    std::string raw;
    if (!nextLine(in, raw)) return endOfFile();
    if (!nextLine(in, raw)) return endOfFile();
    if (firstArea) heading1_ = trimRight(raw);
    if (!nextLine(in, raw)) return endOfFile();
    if (firstArea) heading2_ = trimRight(raw);
    if (!nextLine(in, raw)) return endOfFile();

    while (true) {
        if (!nextLine(in, raw)) return endOfFile();
        std::string data = trimLeft(raw);
        if (data.empty() || contains(data, kBlockEnd)) return SubAreaEnd::Separator;
        WellYearLine w;
        if (!scanWellYearLine(data, w)) {
            fail(OperationError::Kind::Unreadable, "Scan error reading line " + messageLine(data) + " for well data");
            error_->field = messageLine(data);
            // The year, when the line starts with one.
            const char *q = data.c_str();
            if (int year = 0; scan::scanInt(q, year)) error_->year = year;
            return SubAreaEnd::Failed;
        }
        if (!haveFirstYear_) {
            firstYear_ = w.year;
            haveFirstYear_ = true;
        }
        if (w.year > lastYear_) lastYear_ = w.year;
        current.lines.push_back(w);
    }
}

} // namespace vek
