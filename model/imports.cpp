// Imports into a model: well output files of the outside consumptive-use
// model, tab-delimited text files and old-format files (see imports.h).
#include "model/imports.h"
#include "common/utf8_path.h"

#include "facts/message_text.h"
#include "model/import_scan.h"
#include "model/input_file.h"
#include "model/model_input.h"
#include "model/well_file_reader.h"
#include "model/year_types.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <limits>

namespace vek {

namespace {

std::string trimmed(std::string_view s) { return std::string(trim(s)); }

OperationError fileError(OperationError::Kind kind, std::string message, const std::string &path) {
    OperationError e;
    e.kind = kind;
    e.message = std::move(message);
    e.file = path;
    return e;
}

// A location holding `years` zero entries in every historical, pumping-flow
// and days-on column and no synthesized years.
Location importedLocation(int years) {
    Location loc;
    for (int m = 0; m < 12; ++m) {
        loc.historicalData[m].assign(static_cast<std::size_t>(years), 0.0f);
        loc.pumpingFlow[m].assign(static_cast<std::size_t>(years), 0.0f);
        loc.daysOn[m].assign(static_cast<std::size_t>(years), 0.0f);
    }
    return loc;
}

OperationError tooManyYears(const std::string &path, int first, int last) {
    OperationError e =
        fileError(OperationError::Kind::TooManyYears,
                  "The years of " + path + " run from " + std::to_string(first) + " to " + std::to_string(last) +
                      "; at most " + std::to_string(kMaxImportYears) + " years can be imported.",
                  path);
    e.year = last;
    return e;
}

// Opens a file for reading; a directory counts as a file that cannot be opened.
bool openForReading(std::ifstream &in, const std::string &path) {
    std::error_code ec;
    if (std::filesystem::is_directory(pathFromUtf8(path), ec)) return false;
    in.open(path, std::ios::binary);
    return in.is_open();
}

// Appends one location per well of the sub-area. Line w*years + k holds year
// k of well w. A sub-area holding fewer lines is read only as far as it
// goes: the missing years stay 0.0 and wells without any line are left out.
// Returns a warning when the line count does not fit the well count.
std::optional<OperationError> addSubAreaWells(ModelInput &model, const SubArea &area, int years,
                                              const std::string &path) {
    const std::size_t perWell = static_cast<std::size_t>(years);
    const std::size_t expected = static_cast<std::size_t>(area.wellCount) * perWell;
    const std::size_t have = area.lines.size();
    for (std::size_t w = 0; w < static_cast<std::size_t>(area.wellCount); ++w) {
        std::size_t firstLine = w * perWell;
        if (firstLine >= have) break;
        Location loc = importedLocation(years);
        loc.name = std::to_string(area.lines[firstLine].wellId) + " (" + area.name + ")";
        loc.VEK = area.lines.front().values[0];
        for (std::size_t k = 0; k < perWell && firstLine + k < have; ++k) {
            const WellYearLine &line = area.lines[firstLine + k];
            for (int m = 0; m < 12; ++m)
                loc.historicalData[m][k] = line.values[m + 1];
        }
        model.locations.push_back(std::move(loc));
    }
    if (have == expected) return std::nullopt;
    std::string text = "SubArea " + area.name + ": " + std::to_string(have) + " data lines for " +
                       std::to_string(area.wellCount) + " wells of " + std::to_string(years) + " years (" +
                       std::to_string(expected) + " expected).";
    if (have < expected)
        text += " The missing years are set to 0; wells without any data line are left out.";
    else
        text += " The lines after line " + std::to_string(expected) + " are not imported.";
    OperationError e = fileError(OperationError::Kind::UnevenWells, std::move(text), path);
    e.locationName = area.name;
    e.field = "well count";
    return e;
}

} // namespace

OperationResult importWendraFile(ModelInput &model, const std::string &path, SoilMoisture basis) {
    OperationResult r;
    r.changed = true;
    model.locations.clear();

    WellFileReader reader;
    const bool read = reader.read(path, basis == SoilMoisture::Without);
    r.warnings = reader.warnings();
    if (!read) {
        r.error = reader.error();
    } else {
        const int first = reader.firstYear();
        const int last = reader.lastYear();
        const long long span = static_cast<long long>(last) - first + 1;
        // The synthesized period starts the year after the last: it must exist.
        if (span > kMaxImportYears || last == std::numeric_limits<int>::max()) {
            r.error = tooManyYears(path, first, last);
        } else {
            const int years = static_cast<int>(span);
            model.inputStartYear = model.outputStartYear = first;
            model.inputEndYear = model.outputEndYear = last;
            model.synthStartYear = last + 1;
            model.synthEndYear = last;
            for (const SubArea &area : reader.subAreas())
                if (auto w = addSubAreaWells(model, area, years, path)) r.warnings.push_back(std::move(*w));
        }
    }
    // A file without a well (garbage, an empty file, another kind of file)
    // is no model: saved, it would replace a model file with an empty one.
    if (r.ok() && model.locations.empty())
        r.error = fileError(OperationError::Kind::NoWells, path + " holds no well data.", path);
    // The outside model always writes Calendar months in monthly acre-feet.
    model.yearMode = CalendarYear;
    model.unitMode = MonthlyAcreFeet;
    return r;
}

namespace {

// Reads the tab-delimited stream into the model.
class TabDelimitedReader {
  public:
    TabDelimitedReader(ModelInput &model, std::istream &in, const std::string &path)
        : model_(model), in_(in), path_(path) {}

    std::optional<OperationError> read() {
        ModelInput &model = model_;
        model.locations.clear();
        skipByteOrderMark();
        int start = 0, end = 0;
        const bool yearsRead = nextInt(start) && nextInt(end);
        if (overlong_) return overlongLine();
        if (!yearsRead) {
            OperationError e =
                fileError(OperationError::Kind::Unreadable,
                          "Unable to read the first and last year at the start of " + path_ + ".", path_);
            e.field = "years";
            return e;
        }
        if (start > end) {
            // No file could hold such a period: refused here, not when the
            // model is read back.
            OperationError e =
                fileError(OperationError::Kind::Unreadable,
                          "The first year " + std::to_string(start) + " of " + path_ + " comes after its last year " +
                              std::to_string(end) + "; nothing was imported.",
                          path_);
            e.field = "years";
            return e;
        }
        model.inputStartYear = start;
        model.inputEndYear = end;
        model.synthStartYear =
            static_cast<int>(std::min<long long>(static_cast<long long>(end) + 1, std::numeric_limits<int>::max()));
        model.synthEndYear = end;
        const int years = periodYears(start, end);
        if (years > kMaxImportYears || end == std::numeric_limits<int>::max()) return tooManyYears(path_, start, end);
        while (skipBlanks()) {
            Location loc = importedLocation(years);
            const int index = static_cast<int>(model.locations.size());
            if (auto e = readHeader(loc)) return where(std::move(*e), index, loc);
            for (int k = 0; k < years; ++k)
                if (auto e = readYear(loc, k, start + k)) return where(std::move(*e), index, loc);
            model.locations.push_back(std::move(loc));
        }
        return std::nullopt;
    }

  private:
    static OperationError where(OperationError e, int index, const Location &loc) {
        e.location = index;
        e.locationName = loc.name;
        return e;
    }

    // Spreadsheets and editors on Windows often start a UTF-8 text file with
    // a byte-order mark; it is not part of the first year.
    void skipByteOrderMark() {
        const char bom[] = "\xEF\xBB\xBF";
        char got[3] = {};
        in_.read(got, 3);
        if (in_.gcount() == 3 && std::equal(got, got + 3, bom)) return;
        in_.clear();
        in_.seekg(0);
    }

    // Skips white space; false at end of data.
    bool skipBlanks() {
        int c;
        while ((c = in_.peek()) != std::char_traits<char>::eof() && isBlank(static_cast<char>(c)))
            in_.get();
        return c != std::char_traits<char>::eof();
    }

    // The next white-space separated word; empty at end of data. A word no
    // line could hold ends the reading (a file without white space, such as
    // /dev/zero, is not read to its end).
    std::string nextWord() {
        std::string w;
        if (overlong_ || !skipBlanks()) return w;
        int c;
        while ((c = in_.peek()) != std::char_traits<char>::eof() && !isBlank(static_cast<char>(c))) {
            if (w.size() == kMaxLineBytes) {
                overlong_ = true;
                return {};
            }
            w += static_cast<char>(c);
            in_.get();
        }
        return w;
    }

    // The rest of the current line, its line end dropped; at most
    // kMaxLineBytes (and one carriage return).
    std::string restOfLine() {
        std::string line;
        int c;
        while ((c = in_.get()) != std::char_traits<char>::eof() && c != '\n') {
            if (line.size() > kMaxLineBytes) break;
            line += static_cast<char>(c);
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kMaxLineBytes) {
            overlong_ = true;
            return {};
        }
        return line;
    }

    OperationError overlongLine() const {
        OperationError e = fileError(
            OperationError::Kind::Unreadable,
            "A line of " + path_ + " is longer than " + kMaxLineText + "; the file is read no further.", path_);
        return e;
    }

    // A word that is a whole integer.
    bool nextInt(int &out) {
        std::string w = nextWord();
        const char *p = w.c_str();
        return !w.empty() && scan::scanInt(p, out) && *p == '\0';
    }

    bool nextReal(float &out) {
        std::string w = nextWord();
        const char *p = w.c_str();
        return !w.empty() && scan::scanReal(p, out) && *p == '\0';
    }

    // name<TAB>factor<TAB>type: type empty or starting with 0 is a well.
    std::optional<OperationError> readHeader(Location &loc) {
        std::string header = restOfLine();
        if (overlong_) return overlongLine();
        std::size_t tab = header.find('\t');
        loc.name = trimmed(std::string_view(header).substr(0, tab));
        const char *p = tab == std::string::npos ? "" : header.c_str() + tab + 1;
        float factor = 0.0f;
        if (tab == std::string::npos || !scan::scanReal(p, factor)) {
            OperationError e =
                fileError(OperationError::Kind::Unreadable,
                          "Unable to read the depletion factor in the header line " + messageText(trimmed(header)) +
                              " of " + path_ + ". Expected: name, tab, factor, tab, type.",
                          path_);
            e.field = "factor";
            return e;
        }
        loc.VEK = factor;
        std::string rest(p);
        std::size_t typeAt = rest.find('\t');
        std::string type = typeAt == std::string::npos ? std::string() : rest.substr(typeAt + 1);
        type = type.substr(0, type.find('\t'));
        std::size_t b = 0;
        while (b < type.size() && isBlank(type[b]))
            ++b;
        loc.LocationType = (b == type.size() || type[b] == '0') ? IrrigationWell : RechargeSite;
        return std::nullopt;
    }

    std::optional<OperationError> readYear(Location &loc, int k, int expectedYear) {
        int year = 0;
        const bool yearRead = nextInt(year);
        if (overlong_) return overlongLine();
        if (!yearRead) {
            OperationError e = fileError(OperationError::Kind::Unreadable,
                                         "Unable to read the year of row " + std::to_string(k + 1) + " for well " +
                                             messageText(loc.name) + " in " + path_ + "; should be year " +
                                             std::to_string(expectedYear) + ".",
                                         path_);
            e.year = expectedYear;
            e.field = "year";
            return e;
        }
        if (year != expectedYear) {
            OperationError e = fileError(OperationError::Kind::WrongYear,
                                         "Read pump year " + std::to_string(year) + " for well " +
                                             messageText(loc.name) + "; should be year " + std::to_string(expectedYear),
                                         path_);
            e.year = year;
            e.field = "year";
            return e;
        }
        for (int m = 0; m < 12; ++m) {
            const bool read = nextReal(loc.historicalData[m][static_cast<std::size_t>(k)]);
            if (overlong_) return overlongLine();
            if (!read) {
                OperationError e = fileError(OperationError::Kind::Unreadable,
                                             "Unable to read value " + std::to_string(m + 1) + " of year " +
                                                 std::to_string(year) + " for well " + messageText(loc.name) + " in " +
                                                 path_ + ": 12 numbers are expected after the year.",
                                             path_);
                e.year = year;
                e.month = m;
                e.field = "value";
                return e;
            }
        }
        return std::nullopt;
    }

    ModelInput &model_;
    std::istream &in_;
    std::string path_;
    bool overlong_ = false;
};

} // namespace

OperationResult importTabDelimited(ModelInput &model, const std::string &path, int yearMode, int unitMode) {
    if (!isValidYearMode(yearMode)) {
        OperationError e = fileError(OperationError::Kind::UnknownYearType,
                                     "Unknown year type " + std::to_string(yearMode) + ": nothing was imported.", path);
        e.field = std::to_string(yearMode);
        return OperationResult::failure(std::move(e));
    }
    if (!isValidUnitMode(unitMode)) {
        OperationError e = fileError(OperationError::Kind::UnknownUnits,
                                     "Unknown units " + std::to_string(unitMode) + ": nothing was imported.", path);
        e.field = std::to_string(unitMode);
        return OperationResult::failure(std::move(e));
    }
    OperationResult r;
    std::ifstream in;
    if (!openForReading(in, path)) {
        r.error = fileError(OperationError::Kind::CannotOpen, "Unable to open " + path + " for reading.", path);
    } else {
        r.error = TabDelimitedReader(model, in, path).read();
        r.changed = true;
    }
    // The file's year type and units are those chosen, whatever was read.
    if (model.yearMode != yearMode || model.unitMode != unitMode) r.changed = true;
    model.yearMode = yearMode;
    model.unitMode = unitMode;
    return r;
}

OperationResult importOldFormat(ModelInput &model, const std::string &path) {
    return readModelInput(model, path, true);
}

} // namespace vek
