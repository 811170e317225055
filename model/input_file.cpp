// Reading and writing the model input file. Numbers are scanned and printed
// with locale-independent conversions that follow the scanf "%d"/"%g" and
// printf "%g" rules, so a desktop locale with a decimal comma cannot change
// the file.
#include "model/input_file.h"

#include "common/safe_save.h"
#include "common/utf8_path.h"
#include "model/model_document.h"

#include "common/numbers.h"
#include "engine/model_sections.h"
#include "engine/ranges_section.h"
#include "facts/message_text.h"
#include "model/input_scanner.h"
#include "model/reach_file.h"
#include "model/response_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

namespace vek {

namespace {

using input::LineReader;
using input::Scanner;

std::string trimmed(std::string_view s) { return std::string(trim(s)); }

// Reals as printf "%g" writes them: six significant digits.
std::string formatReal(float v) { return formatG(static_cast<double>(v)); }

// Scans the 12 reals of one line into row k of the month columns. Returns
// how many were read; `stop` is where the scan stopped.
int scanRow(const std::string &line, MonthColumns &cols, int k, std::size_t &stop) {
    Scanner sc(line);
    int read = 0;
    for (int m = 0; m < 12; ++m) {
        float v;
        if (!sc.readReal(v)) break;
        cols[m][k] = v;
        ++read;
    }
    stop = sc.pos();
    return read;
}

// A name is one line of the file: a line end inside it would shift every
// record after it, so it is written as a blank.
std::string nameLine(std::string name) {
    for (auto &c : name)
        if (c == '\n' || c == '\r') c = ' ';
    return name;
}

std::string joinRow(const MonthColumns &cols, size_t k) {
    std::string s;
    for (int m = 0; m < 12; ++m) {
        if (m) s += ' ';
        s += formatReal(cols[m][k]);
    }
    return s;
}

// The model's lines through a safe save, with the testing hook before each.
class SavingSink : public LineSink {
  public:
    explicit SavingSink(std::function<bool(int)> beforeLine) : beforeLine_(std::move(beforeLine)) {}

    bool open(const std::string &path) { return file_.open(path); }
    bool writeLine(std::string_view line) override {
        ++lines_;
        if (beforeLine_ && !beforeLine_(lines_)) return false;
        // The readers refuse such a line: a file that cannot be read back is
        // not written.
        if (line.size() > kMaxLineBytes) {
            overlong_ = "line " + std::to_string(lines_) + " would be " + std::to_string(line.size()) +
                        " bytes long, and no reader takes a line longer than " + kMaxLineText;
            return false;
        }
        return file_.write(line) && file_.write("\n");
    }
    bool commit() { return file_.commit(); }
    void abandon() { file_.abandon(); }
    // Why the file could not be opened or written; empty after a failure of
    // the testing hook.
    const std::string &error() const { return overlong_.empty() ? file_.error() : overlong_; }

  private:
    std::function<bool(int)> beforeLine_;
    SafeSave file_;
    int lines_ = 0;
    std::string overlong_;
};

const char *const kFirstCard13 =
    "Wrong number of values read for first data card.  Expected realInputStart, realInputEnd, numSynthesizedYears, "
    "outputStart, outputEnd, wells, format, projectionType projectionYearStart projectionYearEnd, yearMode, "
    "unitMode, useAverageDaysPerMonth.  Line is: ";
const char *const kFirstCard12 =
    "Wrong number of values read for first data card.  Expected realInputStart, realInputEnd, numSynthesizedYears, "
    "outputStart, outputEnd, wells, format, projectionType projectionYearStart projectionYearEnd, yearMode, "
    "unitMode.  Line is: ";
const char *const kFirstCardOld =
    "Wrong number of values read for first data card.  Expected realInputStart, realInputEnd, outputStart, wells, "
    "format.  Line is: ";

// A line of the file as a message quotes it: its first characters, control
// characters written out, on a line of its own.
std::string quotedLine(const std::string &line) { return messageLine(line) + "\n"; }

// A message that quotes the file's internals, with a second line that says
// in plain words what is wrong and what to do. The quoted line keeps its own
// line end.
std::string explained(std::string first, const std::string &plain) {
    if (first.empty() || first.back() != '\n') first += '\n';
    return first + plain;
}

std::string damagedFirstLine(const std::string &path) {
    return "The first line of numbers in " + path +
           " (the years, the number of locations and the settings) is incomplete or damaged.  Correct it in a "
           "text editor and open the file again.";
}

// The plain second line of a failed save: the system's reason when there is
// one.
std::string notSaved(const std::string &path, const std::string &why) {
    if (!why.empty()) return why + "  The model was not saved; choose another name with Save As.";
    return "The model was not saved to " + path +
           ".  Check that the folder exists and that you may write there, or choose another name with Save As.";
}

// The text of a row that could not be read as a month's number: the word
// (between blanks) where the scan stopped, whole, so that "5x3.4" is named
// as it stands and not as the "5" the scan took from it. Its month is the
// word's place in the row; -1 when the row simply ends there.
struct BadField {
    std::string text;
    int month = -1;
};

BadField badField(const std::string &line, std::size_t stop) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t at = std::min(stop, line.size());
    // Inside a word the scan read part of: back to the word's start.
    while (at > 0 && at < line.size() && !blank(line[at]) && !blank(line[at - 1]))
        --at;
    while (at < line.size() && blank(line[at]))
        ++at;
    if (at >= line.size()) return {};
    std::size_t end = at;
    while (end < line.size() && !blank(line[end]))
        ++end;
    BadField f;
    f.text = line.substr(at, end - at);
    f.month = 0;
    for (std::size_t i = 0; i < at; ++i)
        if (!blank(line[i]) && (i == 0 || blank(line[i - 1]))) ++f.month;
    return f;
}

// Which month of a row could not be read, and what stood there.
std::string badMonth(const BadField &f, int read) {
    if (f.month < 0) return "month " + std::to_string(read + 1) + " and the months after it are missing.";
    return "the text \"" + messageText(f.text) + "\" of month " + std::to_string(f.month + 1) +
           " is not a number a model can use.";
}

int clampToInt(long long v) {
    return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

std::string modelInputText(const ModelInput &model) {
    struct TextSink : LineSink {
        std::string text;
        bool writeLine(std::string_view line) override {
            text.append(line).push_back('\n');
            return true;
        }
    } sink;
    writeModelInput(model, sink);
    return std::move(sink.text);
}

bool writeModelInput(const ModelInput &m, LineSink &sink) {
    const int nSim = std::max(0, clampToInt(static_cast<long long>(m.synthEndYear) - m.synthStartYear + 1));
    auto d = [](long long v) { return std::to_string(v) + " "; };
    std::string params = d(m.inputStartYear) + d(m.inputEndYear) + d(nSim) + d(m.outputStartYear) + d(m.outputEndYear) +
                         d(static_cast<long long>(m.locations.size())) + d(m.outputFormat) + d(m.synthesizeFormat) +
                         d(m.projYearStart) + d(m.projYearEnd) + d(m.yearMode) + d(m.unitMode) +
                         d(m.useAvgDaysPerMonth ? 1 : 0) +
                         "# inputStartYear inputEndYear noOfSimulationYears outputStartYear outputEndYear nwells "
                         "outputFormat synthesizeFormat projYearStart projYearEnd yearMode unitMode "
                         "useAvgDaysPerMonth";
    if (!sink.writeLine("Version 1.12") || !sink.writeLine(params)) return false;

    const bool histRows = !(m.inputStartYear == 0 && m.inputEndYear == 0);
    const bool synthRows = !(m.synthStartYear == 0 && m.synthEndYear == 0);
    for (const auto &loc : m.locations) {
        std::string rec = formatReal(loc.VEK) + " " + std::to_string(loc.LocationType) + " " +
                          std::to_string(loc.UseInOutput) + " # VEK LocationType UseInOutput";
        if (!sink.writeLine(rec) || !sink.writeLine(nameLine(loc.name))) return false;
        if (histRows)
            for (size_t k = 0; k < loc.historicalData[0].size(); ++k)
                if (!sink.writeLine(joinRow(loc.historicalData, k))) return false;
        if (synthRows)
            for (size_t k = 0; k < loc.synthesizedData[0].size(); ++k)
                if (!sink.writeLine(joinRow(loc.synthesizedData, k))) return false;
    }
    for (const auto &loc : m.locations) {
        if (!sink.writeLine(nameLine(loc.name))) return false;
        if (!sink.writeLine(std::to_string(loc.UsePumpingRecord) + " " + std::to_string(loc.Units) +
                            " # UsePumpingRecord Units"))
            return false;
        std::string eff;
        for (int mo = 0; mo < 12; ++mo)
            eff += (mo ? " " : "") + formatReal(loc.efficiency[mo]);
        if (!sink.writeLine(eff)) return false;
        // Pumping rows follow the historical rows' both-zero rule, as the
        // reader expects.
        for (size_t k = 0; histRows && k < loc.historicalData[0].size(); ++k) {
            std::string row;
            for (int mo = 0; mo < 12; ++mo) {
                if (mo) row += ' ';
                row += formatReal(k < loc.pumpingFlow[mo].size() ? loc.pumpingFlow[mo][k] : 0.0f);
                if (loc.Units == 0) row += ' ' + formatReal(k < loc.daysOn[mo].size() ? loc.daysOn[mo][k] : 0.0f);
            }
            if (!sink.writeLine(row)) return false;
        }
    }
    // The uncertainty ranges follow the pumping records; readers that do not
    // know them look only for the response methods' first line. The stream
    // reaches and the response methods follow everything else, where older
    // readers never look; the response methods end the file.
    for (const auto &line : engine::rangesSectionLines(m.allRanges()))
        if (!sink.writeLine(line)) return false;
    if (needsReachSection(m))
        for (const auto &line : reachSectionLines(m))
            if (!sink.writeLine(line)) return false;
    if (needsResponseSection(m))
        for (const auto &line : responseSectionLines(m))
            if (!sink.writeLine(line)) return false;
    return true;
}

std::string saveInputPath(const std::string &path) {
    const std::filesystem::path p = pathFromUtf8(path);
    if (p.extension() != ".owl") return path;
    // Beside the well output file it was named after: the folder is the one
    // the caller gave, never the process's working directory.
    return utf8FromPath(p.parent_path() / pathFromUtf8(utf8FromPath(p.stem()) + ".vek"));
}

bool SaveInput(ModelDocument &doc, Prompter &prompter, const std::string &requested, const SaveInputOptions &options) {
    std::string path = saveInputPath(requested);
    if (path != requested)
        prompter.message("Warning: changing file input name to " + utf8FromPath(pathFromUtf8(path).filename()));
    SavingSink sink(options.beforeLine);
    if (!sink.open(path)) {
        prompter.message(explained("SaveInput: Unable to open VEK input file " + path, notSaved(path, sink.error())));
        return false;
    }
    if (!writeModelInput(doc.model, sink) || !sink.commit()) {
        const std::string why = sink.error();
        sink.abandon();
        prompter.message(explained("SaveInput: Unable to write VEK input file " + path, notSaved(path, why)));
        return false;
    }
    return true;
}

namespace {

// One reading of a model input file, in its three stages: the first card
// (version and parameters), the locations with their historical and
// synthesized rows, and the pumping records. A stage that fails notes why
// and stops the reading; what was read so far stays in the model.
class InputReading {
  public:
    InputReading(ModelInput &model, const std::string &path, bool oldFormat, ModelFileValues *values)
        : m_(model), path_(path), inFile_(" in file " + path), oldFormat_(oldFormat), values_(values) {
        if (values_) *values_ = ModelFileValues{};
    }

    OperationResult run() {
        OperationResult r;
        const LineReader::Load loaded = in_.load(path_);
        if (loaded == LineReader::Load::Unreadable) {
            fail("ReadInput: Unable to open VEK input file " + path_, OperationError::Kind::CannotOpen);
        } else if (loaded == LineReader::Load::LineTooLong) {
            fail("ReadInput: Line " + std::to_string(in_.overlongLine()) + " of " + path_ + " is longer than " +
                 kMaxLineText + "; no line of a model input file is that long, and the file is not read.");
        } else {
            r.changed = true;
            int wells = 0;
            // The old character-column format has no pumping records.
            const bool complete = readFirstCard(wells) && readLocations(wells) &&
                                  (oldFormat_ || (readPumpingRecords(wells) && readSections() && readRanges()));
            if (values_) values_->complete = complete;
        }
        r.error = std::move(error_);
        r.warnings = std::move(warnings_);
        return r;
    }

  private:
    // Notes why the reading stopped; `location` and `year` (a label) say
    // where, when known.
    bool fail(std::string text, OperationError::Kind kind = OperationError::Kind::Unreadable, int location = -1,
              std::optional<int> year = {}, std::string field = {}) {
        OperationError e;
        e.kind = kind;
        e.message = std::move(text);
        e.file = path_;
        e.location = location;
        if (location >= 0 && location < static_cast<int>(m_.locations.size()))
            e.locationName = m_.locations[static_cast<size_t>(location)].name;
        e.year = year;
        e.field = std::move(field);
        error_ = std::move(e);
        return false;
    }
    bool endOfFile(std::string text, int location = -1, std::optional<int> year = {}, std::string field = {}) {
        return fail(std::move(text), OperationError::Kind::UnexpectedEnd, location, year, std::move(field));
    }
    // The version line (when there is one) and the parameter card; sizes the
    // document for `wells` locations.
    bool readFirstCard(int &wells);
    bool refuseMeaninglessCounts(int wells, int nSim);
    bool refuseTablesTheFileCannotFill(int wells);
    // Per location its header records and its historical (and, in the
    // current format, synthesized) rows.
    bool readLocations(int wells);
    bool readRows(int i, MonthColumns &cols, long long count, int firstYear, const char *period);
    // Per location its pumping record: flag and units, efficiencies, and one
    // row of flows (and days on) per historical year.
    bool readPumpingRecords(int wells);
    // The stream reaches and the response methods, when they follow the
    // pumping records.
    bool readSections();
    bool judgeFileTail(std::string_view rest, long long firstLine);
    bool readRanges();

    ModelInput &m_;
    const std::string path_;
    const std::string inFile_;
    const bool oldFormat_;
    ModelFileValues *values_;
    LineReader in_;
    std::string line_;
    std::optional<OperationError> error_;
    std::vector<OperationError> warnings_;
};

bool InputReading::readFirstCard(int &wells) {
    if (!in_.next(line_)) return endOfFile("Unexpected EOF reading VEK input file line 1 " + path_);
    float version = 0.0f;
    {
        std::string_view v(line_);
        // "Version %f": the literal, any white space, then a real.
        if (v.substr(0, 7) == "Version") {
            Scanner sc(v, 7);
            if (!sc.readReal(version)) version = 0.0f;
        }
    }
    if (version > 0.0f && !in_.next(line_)) return endOfFile("Unexpected EOF reading VEK input file line 1 " + path_);

    // Fields absent from a variant.
    int nSim = 0, format = 0, projectionType = 4, yearMode = 1, unitMode = 0, useAvg = 0;
    {
        Scanner sc(line_);
        int stored = 0, skip = 0;
        bool ok;
        if (oldFormat_) {
            ok = sc.readInt(skip) && sc.readInt(m_.inputStartYear) && ++stored && sc.readInt(m_.inputEndYear) &&
                 ++stored && sc.readInt(skip) && sc.readInt(m_.outputStartYear) && ++stored && sc.readInt(wells) &&
                 ++stored && sc.readInt(format) && ++stored;
            if (!ok || stored != 5)
                return fail(explained(kFirstCardOld + quotedLine(line_), damagedFirstLine(path_)),
                            OperationError::Kind::Unreadable, -1, {}, "first data card");
        } else {
            const bool thirteen = static_cast<double>(version) >= 1.12;
            int a3, a6, a7, a8, a11, a12, a13 = 0;
            ok = sc.readInt(m_.inputStartYear) && sc.readInt(m_.inputEndYear) && sc.readInt(a3) &&
                 sc.readInt(m_.outputStartYear) && sc.readInt(m_.outputEndYear) && sc.readInt(a6) && sc.readInt(a7) &&
                 sc.readInt(a8) && sc.readInt(m_.projYearStart) && sc.readInt(m_.projYearEnd) && sc.readInt(a11) &&
                 sc.readInt(a12) && (!thirteen || sc.readInt(a13));
            if (!ok)
                return fail(
                    explained((thirteen ? kFirstCard13 : kFirstCard12) + quotedLine(line_), damagedFirstLine(path_)),
                    OperationError::Kind::Unreadable, -1, {}, "first data card");
            nSim = a3, wells = a6, format = a7, projectionType = a8, yearMode = a11, unitMode = a12, useAvg = a13;
        }
    }
    if (!refuseMeaninglessCounts(wells, nSim)) return false;
    m_.outputFormat = format;
    m_.synthesizeFormat = projectionType;
    m_.yearMode = yearMode;
    m_.unitMode = unitMode;
    m_.useAvgDaysPerMonth = useAvg == 1;
    if (values_) values_->useAvgDaysPerMonth = useAvg;
    m_.synthStartYear = clampToInt(static_cast<long long>(m_.inputEndYear) + 1);
    m_.synthEndYear = clampToInt(static_cast<long long>(m_.inputEndYear) + nSim);

    if (!refuseTablesTheFileCannotFill(wells)) return false;
    resetLocations(m_, wells);
    return true;
}

// Counts no file can mean: read on, they would lose locations or rows
// without a word (and the engine refuses them).
bool InputReading::refuseMeaninglessCounts(int wells, int nSim) {
    const auto meaningless = [&](const char *field, const std::string &problem) {
        return fail(
            explained("ReadInput: The first data card gives " + problem + ".  Line is: " + quotedLine(line_),
                      "Correct the first line of numbers in " + path_ + " in a text editor and open the file again."),
            OperationError::Kind::Unreadable, -1, {}, field);
    };
    if (wells < 0)
        return meaningless("nwells",
                           "nwells " + std::to_string(wells) + ": the number of locations cannot be negative");
    if (m_.inputStartYear > m_.inputEndYear)
        return meaningless("inputStartYear", "inputStartYear " + std::to_string(m_.inputStartYear) +
                                                 " after inputEndYear " + std::to_string(m_.inputEndYear) +
                                                 ": the first historical year cannot come after the last");
    if (nSim < 0)
        return meaningless("noOfSimulationYears", "noOfSimulationYears " + std::to_string(nSim) +
                                                      ": the number of synthesized years cannot be negative");
    return true;
}

// A damaged first card can ask for tables of absurd size. Refuse before
// allocating them when the file could never hold their rows.
bool InputReading::refuseTablesTheFileCannotFill(int wells) {
    const long long hist = m_.historicalYears();
    const long long synth = m_.synthesizedYears();
    if (wells > 0) {
        const double rowsPerWell = oldFormat_ ? 1.0 + double(hist) : 2.0 + double(hist) + double(synth);
        // A location costs about two kilobytes (512 cells) even without years.
        const double cells = double(wells) * ((3.0 * double(hist) + double(synth)) * 12.0 + 512.0);
        if (cells > double(1 << 24) && double(in_.linesLeft()) < double(wells) * rowsPerWell)
            return fail("ReadInput: The first data card asks for more wells and years than the file holds.  "
                        "Line is: " +
                            quotedLine(line_),
                        OperationError::Kind::UnexpectedEnd, -1, {}, "first data card");
    }
    return true;
}

// The rows of one period of location i, `count` years from firstYear.
bool InputReading::readRows(int i, MonthColumns &cols, long long count, int firstYear, const char *period) {
    const std::string well = std::to_string(i);
    const Location &loc = m_.locations[static_cast<size_t>(i)];
    for (long long k = 0; k < count; ++k) {
        const int year = static_cast<int>(
            std::clamp<long long>(firstYear + k, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
        if (!in_.next(line_))
            return endOfFile("Unexpected EOF reading pumping data input for well #" + well + ", year #" +
                                 std::to_string(k) + inFile_,
                             i, year, period);
        if (oldFormat_) {
            std::string_view v(line_);
            for (size_t mo = 0; mo < 12; ++mo)
                cols[mo][k] = 8 * mo < v.size() ? leadingNumber(v.substr(8 * mo, 8)) : 0.0f;
            continue;
        }
        std::size_t stop = 0;
        if (const int read = scanRow(line_, cols, static_cast<int>(k), stop); read != 12) {
            const BadField bad = badField(line_, stop);
            fail(explained("Wrong number of values read for third data card.  Expected 12 flow values.  Line is: " +
                               quotedLine(line_),
                           "Location " + std::to_string(i + 1) + " (" + messageText(loc.name) + "), " + period +
                               " year " + std::to_string(firstYear + k) + ", line " +
                               std::to_string(in_.lastLineNumber()) + ": " + badMonth(bad, read) +
                               "  Each line holds 12 monthly numbers.  Correct it in a text editor and open the "
                               "file again."),
                 OperationError::Kind::Unreadable, i, year, period);
            error_->month = bad.month >= 0 ? bad.month : read;
            return false;
        }
    }
    return true;
}

bool InputReading::readLocations(int wells) {
    const long long hist = m_.historicalYears();
    const long long synth = m_.synthesizedYears();
    for (int i = 0; i < wells; ++i) {
        Location &loc = m_.locations[static_cast<size_t>(i)];
        const std::string well = std::to_string(i);
        if (!in_.next(line_))
            return endOfFile("Unexpected EOF reading VEK input file for record 2 of well #" + well + inFile_, i, {},
                             "second data card");
        if (oldFormat_) {
            std::string_view v(line_);
            auto field = [&](size_t from, size_t n) {
                return from < v.size() ? v.substr(from, n) : std::string_view();
            };
            loc.VEK = leadingNumber(field(0, 5));
            loc.name = trimmed(field(5, 25));
            loc.LocationType = trimmed(field(30, 10)) == "WITHDRAWAL" ? IrrigationWell : RechargeSite;
            if (values_) {
                values_->locationTypes.push_back(loc.LocationType);
                values_->nameRecords.push_back(loc.name);
            }
        } else {
            Scanner sc(line_);
            float vek;
            int type, use;
            if (!(sc.readReal(vek) && sc.readInt(type) && sc.readInt(use)))
                return fail(explained("Wrong number of values read for second data card.  Expected vek, pumpType, "
                                      "includeInOutput.  Line is: " +
                                          quotedLine(line_),
                                      "Location " + std::to_string(i + 1) + " in " + path_ +
                                          ": its first line must hold its depletion factor, its type (-1 for a "
                                          "well, 1 for a recharge site) and 1 or 0 for taking part in the "
                                          "output.  Correct it in a text editor and open the file again."),
                            OperationError::Kind::Unreadable, i, {}, "second data card");
            loc.VEK = vek;
            loc.LocationType = type == -1 ? IrrigationWell : RechargeSite;
            loc.UseInOutput = use;
            if (!in_.next(line_))
                return endOfFile("Unexpected EOF reading VEK input file for record 3 of well #" + well + inFile_, i, {},
                                 "name");
            loc.name = trimmed(line_);
            if (values_) {
                values_->locationTypes.push_back(type);
                std::string record = line_;
                while (!record.empty() && (record.back() == '\n' || record.back() == '\r'))
                    record.pop_back();
                values_->nameRecords.push_back(std::move(record));
            }
        }
        if (!readRows(i, loc.historicalData, hist, m_.inputStartYear, "historical")) return false;
        if (!oldFormat_ && !readRows(i, loc.synthesizedData, synth, m_.synthStartYear, "synthesized")) return false;
    }
    return true;
}

bool InputReading::readPumpingRecords(int wells) {
    const long long hist = m_.historicalYears();

    for (int i = 0; i < wells; ++i) {
        Location &loc = m_.locations[static_cast<size_t>(i)];
        const std::string well = std::to_string(i);
        if (!in_.next(line_))
            return endOfFile("Unexpected EOF reading well name in pumping record #" + well + inFile_, i, {},
                             "pumping record name");
        if (!in_.next(line_))
            return endOfFile("Unexpected EOF reading pumping record flag and well units for well#" + well + inFile_, i,
                             {}, "UsePumpingRecord Units");
        {
            Scanner sc(line_);
            int use, units;
            if (!(sc.readInt(use) && sc.readInt(units)))
                return fail("Parse error reading pumping flag and well units for well#" + well + inFile_,
                            OperationError::Kind::Unreadable, i, {}, "UsePumpingRecord Units");
            loc.UsePumpingRecord = use != 0 ? 1 : 0;
            loc.Units = units;
        }
        if (!in_.next(line_))
            return endOfFile("Unexpected EOF reading well efficiencies for well#" + well + inFile_, i, {},
                             "efficiency");
        {
            Scanner sc(line_);
            int read = 0;
            for (int mo = 0; mo < 12; ++mo) {
                float v;
                if (!sc.readReal(v)) break;
                loc.efficiency[mo] = v;
                ++read;
            }
            if (read != 12) {
                fail("Wrong number of values read for pumping record application efficiencies.  Expected 12 "
                     "flow values.  Line is: " +
                         quotedLine(line_),
                     OperationError::Kind::Unreadable, i, {}, "efficiency");
                error_->month = read;
                return false;
            }
        }
        // The same both-zero rule as the historical rows: the writer writes
        // none for such a period, so none are expected.
        for (long long k = 0; k < hist; ++k) {
            const std::string year = std::to_string(k);
            const int label =
                static_cast<int>(std::min<long long>(m_.inputStartYear + k, std::numeric_limits<int>::max()));
            // Each number may be on any line_; white space includes line_ ends.
            Scanner sc(in_.text(), in_.pos());
            for (int mo = 0; mo < 12; ++mo) {
                float v;
                if (!sc.readReal(v)) {
                    in_.setPos(sc.pos());
                    fail("Parse error reading flows for well#" + well + ", year " + year,
                         OperationError::Kind::Unreadable, i, label, "flow");
                    error_->month = mo;
                    return false;
                }
                loc.pumpingFlow[mo][k] = v;
                if (loc.Units == 0) {
                    if (!sc.readReal(v)) {
                        in_.setPos(sc.pos());
                        fail("ReadWellData: Parse error reading days-on for basin #" + well + ", year " + year,
                             OperationError::Kind::Unreadable, i, label, "days on");
                        error_->month = mo;
                        return false;
                    }
                    loc.daysOn[mo][k] = v;
                }
            }
            in_.setPos(sc.pos());
            if (!in_.next(line_))
                return endOfFile("ReadWellData: Unexpected EOF reading flows for well #" + well + ", year " + year, i,
                                 label, "flow");
        }
    }
    return true;
}

// What follows the pumping records, judged as the engine judges it: a
// damaged or second response-methods section is refused; other text (which
// an older program or a person may have left) is not read, but said, and
// every location keeps the infinite aquifer.
bool InputReading::judgeFileTail(std::string_view rest, long long firstLine) {
    std::vector<std::string_view> lines;
    while (!rest.empty()) {
        const std::size_t nl = rest.find('\n');
        lines.push_back(rest.substr(0, nl));
        if (nl == std::string_view::npos) break;
        rest.remove_prefix(nl + 1);
    }
    try {
        const engine::FileTail tail = engine::readFileTail(lines, firstLine);
        if (tail.otherText > 0) {
            OperationError w;
            w.kind = OperationError::Kind::UnreadText;
            w.file = path_;
            w.message = "ReadInput: " + path_ + " goes on after its pumping records at line " +
                        std::to_string(tail.otherText) + " (\"" +
                        messageLine(lines[static_cast<std::size_t>(tail.otherText - firstLine)]) +
                        "\") with text that is no response-method section; it is not read, and every location uses "
                        "the infinite aquifer.";
            warnings_.push_back(std::move(w));
        }
        return true;
    } catch (const engine::SectionError &e) {
        return fail("ReadInput: Error in the response methods at line " + std::to_string(e.line()) + inFile_ + ": " +
                    e.what() + ".");
    }
}

bool InputReading::readSections() {
    const std::size_t from = in_.pos();
    const std::string_view text = in_.text();
    const auto before = static_cast<long long>(std::count(text.begin(), text.begin() + static_cast<long>(from), '\n'));
    if (!judgeFileTail(text.substr(std::min(from, text.size())), before + 1)) return false;
    std::string part, problem;
    long long line = 0;
    try {
        const engine::ModelSections sections = engine::findModelSections(text.substr(from), true);
        if (sections.reaches.present) {
            part = "stream reaches";
            line = sections.reaches.line;
            problem = applyReachSection(sections.reaches, m_);
        }
        if (problem.empty() && sections.response.present) {
            part = "response methods";
            line = sections.response.line;
            problem = applyResponseSection(sections.response, m_);
        }
    } catch (const engine::SectionError &e) {
        part = e.part();
        problem = e.what();
        line = e.line();
    }
    if (problem.empty()) return true;
    return fail("ReadInput: Error in the " + part + " at line " + std::to_string(line + before) + inFile_ + ": " +
                problem + ".");
}

bool InputReading::readRanges() {
    try {
        const engine::RangesSection section = engine::findRangesSection(in_.text());
        for (engine::ParameterRange e : section.ranges.entries) {
            if (e.location == 0) {
                m_.ranges.push_back(e);
                continue;
            }
            if (e.location > static_cast<long long>(m_.locations.size()))
                throw engine::RangesSectionError("location " + std::to_string(e.location) +
                                                     " does not exist (the file has " +
                                                     std::to_string(m_.locations.size()) + ")",
                                                 section.line);
            const auto i = static_cast<std::size_t>(e.location - 1);
            e.location = 0;
            m_.locations[i].ranges.push_back(e);
        }
        return true;
    } catch (const engine::RangesSectionError &e) {
        return fail("ReadInput: Error in the uncertainty ranges at line " + std::to_string(e.line()) + inFile_ + ": " +
                    e.what() + ".");
    }
}

} // namespace

OperationResult readModelInput(ModelInput &model, const std::string &path, bool oldFormat,
                               ModelFileValues *fileValues) {
    return InputReading(model, path, oldFormat, fileValues).run();
}

bool ReadInput(ModelDocument &doc, Prompter &prompter, const std::string &path, bool oldFormat) {
    const OperationResult r = readModelInput(doc.model, path, oldFormat);
    if (r.changed) doc.setModified();
    if (r.error) prompter.message(r.error->message);
    for (const OperationError &w : r.warnings)
        prompter.message(w.message);
    return r.ok();
}
} // namespace vek
