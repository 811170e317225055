// Reading and writing the model input file. Numbers are scanned and printed
// with locale-independent conversions that follow the scanf "%d"/"%g" and
// printf "%g" rules, so a desktop locale with a decimal comma cannot change
// the file.
#include "model/input_file.h"
#include "model/utf8_path.h"

#include "model/model_document.h"
#include "model/safe_save.h"

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

namespace vek {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string trimmed(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return std::string(s.substr(b, e - b));
}

// Reals as printf "%g" writes them: six significant digits.
std::string formatReal(float v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    return std::string(buf, r.ptr);
}

// A scanf-like cursor over one piece of text: every conversion skips white
// space first, as "%d", "%g" and "%f" do.
class Scanner {
  public:
    explicit Scanner(std::string_view text, size_t pos = 0) : s_(text), pos_(pos) {}

    size_t pos() const { return pos_; }
    void skipBlanks() {
        while (pos_ < s_.size() && isBlank(s_[pos_]))
            ++pos_;
    }
    bool atEnd() {
        skipBlanks();
        return pos_ >= s_.size();
    }

    bool readInt(int &out) {
        skipBlanks();
        size_t p = pos_;
        if (p < s_.size() && s_[p] == '+' && p + 1 < s_.size() && s_[p + 1] != '-') ++p;
        long long v = 0;
        auto r = std::from_chars(s_.data() + p, s_.data() + s_.size(), v);
        if (r.ec != std::errc() || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            return false;
        out = static_cast<int>(v);
        pos_ = static_cast<size_t>(r.ptr - s_.data());
        return true;
    }

    bool readReal(float &out) {
        skipBlanks();
        size_t p = pos_;
        if (p < s_.size() && s_[p] == '+' && p + 1 < s_.size() && s_[p + 1] != '-') ++p;
        float v = 0.0f;
        auto r = std::from_chars(s_.data() + p, s_.data() + s_.size(), v, std::chars_format::general);
        if (r.ec == std::errc::result_out_of_range) {
            // Too small for a float reads as the nearest float; too large is
            // no value at all (an infinity would only fail later, in vek).
            double d = 0.0;
            auto rd = std::from_chars(s_.data() + p, s_.data() + s_.size(), d, std::chars_format::general);
            if (rd.ec != std::errc() || !(std::fabs(d) <= std::numeric_limits<float>::max())) return false;
            v = static_cast<float>(d);
            r.ptr = rd.ptr;
        } else if (r.ec != std::errc()) {
            return false;
        }
        // "nan" and "inf" are not numbers of a model: the row counts as short.
        if (!std::isfinite(v)) return false;
        out = v;
        pos_ = static_cast<size_t>(r.ptr - s_.data());
        return true;
    }

  private:
    std::string_view s_;
    size_t pos_ = 0;
};

// Leading decimal number of a field, 0 when there is none (atof's rule).
float leadingNumber(std::string_view field) {
    Scanner sc(field);
    float v = 0.0f;
    return sc.readReal(v) ? v : 0.0f;
}

// The whole file in memory, read line by line; a line keeps its line end,
// since messages quote it as read. Lines are read whole however long they
// are, so an overlong name cannot shift the records after it.
class LineReader {
  public:
    bool load(const std::string &path) {
        std::error_code ec;
        if (std::filesystem::is_directory(pathFromUtf8(path), ec)) return false;
        std::ifstream in(path, std::ios::binary);
        if (!in) return false;
        std::ostringstream ss;
        ss << in.rdbuf();
        if (in.bad()) return false;
        text_ = ss.str();
        return true;
    }
    bool next(std::string &line) {
        if (pos_ >= text_.size()) return false;
        size_t e = text_.find('\n', pos_);
        e = (e == std::string::npos) ? text_.size() : e + 1;
        line.assign(text_, pos_, e - pos_);
        pos_ = e;
        return true;
    }
    // Lines left from the current position (a last line without line end counts).
    size_t linesLeft() const {
        if (pos_ >= text_.size()) return 0;
        size_t n = static_cast<size_t>(std::count(text_.begin() + static_cast<long>(pos_), text_.end(), '\n'));
        return text_.back() == '\n' ? n : n + 1;
    }
    std::string_view text() const { return text_; }
    size_t pos() const { return pos_; }
    void setPos(size_t p) { pos_ = p; }

  private:
    std::string text_;
    size_t pos_ = 0;
};

// Scans `n` reals of one line into row k of the month columns.
int scanRow(const std::string &line, MonthColumns &cols, int k) {
    Scanner sc(line);
    int read = 0;
    for (int m = 0; m < 12; ++m) {
        float v;
        if (!sc.readReal(v)) break;
        cols[m][k] = v;
        ++read;
    }
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
        return file_.write(line) && file_.write("\n");
    }
    bool commit() { return file_.commit(); }
    void abandon() { file_.abandon(); }

  private:
    std::function<bool(int)> beforeLine_;
    SafeSave file_;
    int lines_ = 0;
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

int clampToInt(long long v) {
    return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

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
    return true;
}

std::string saveInputPath(const std::string &path) {
    std::filesystem::path p(path);
    if (p.extension().string() == ".owl") return p.stem().string() + ".vek";
    return path;
}

bool SaveInput(ModelDocument &doc, const std::string &requested, const SaveInputOptions &options) {
    std::string path = saveInputPath(requested);
    if (path != requested) doc.message("Warning: changing file input name to " + path);
    SavingSink sink(options.beforeLine);
    if (!sink.open(path)) {
        doc.message("SaveInput: Unable to open VEK input file " + path);
        return false;
    }
    if (!writeModelInput(doc.model, sink) || !sink.commit()) {
        sink.abandon();
        doc.message("SaveInput: Unable to write VEK input file " + path);
        return false;
    }
    return true;
}

bool ReadInput(ModelDocument &doc, const std::string &path, bool oldFormat) {
    ModelInput &m = doc.model;
    auto fail = [&](const std::string &text) {
        doc.message(text);
        return false;
    };
    LineReader in;
    if (!in.load(path)) return fail("ReadInput: Unable to open VEK input file " + path);

    std::string line;
    if (!in.next(line)) return fail("Unexpected EOF reading VEK input file line 1 " + path);
    float version = 0.0f;
    {
        std::string_view v(line);
        // "Version %f": the literal, any white space, then a real.
        if (v.substr(0, 7) == "Version") {
            Scanner sc(v, 7);
            if (!sc.readReal(version)) version = 0.0f;
        }
    }
    if (version > 0.0f && !in.next(line)) return fail("Unexpected EOF reading VEK input file line 1 " + path);

    // Fields absent from a variant.
    int nSim = 0, wells = 0, format = 0, projectionType = 4, yearMode = 1, unitMode = 0, useAvg = 0;
    {
        Scanner sc(line);
        int stored = 0, skip = 0;
        bool ok;
        if (oldFormat) {
            ok = sc.readInt(skip) && sc.readInt(m.inputStartYear) && ++stored && sc.readInt(m.inputEndYear) &&
                 ++stored && sc.readInt(skip) && sc.readInt(m.outputStartYear) && ++stored && sc.readInt(wells) &&
                 ++stored && sc.readInt(format) && ++stored;
            if (!ok || stored != 5) return fail(kFirstCardOld + line);
        } else {
            const bool thirteen = static_cast<double>(version) >= 1.12;
            int a3, a6, a7, a8, a11, a12, a13 = 0;
            ok = sc.readInt(m.inputStartYear) && sc.readInt(m.inputEndYear) && sc.readInt(a3) &&
                 sc.readInt(m.outputStartYear) && sc.readInt(m.outputEndYear) && sc.readInt(a6) && sc.readInt(a7) &&
                 sc.readInt(a8) && sc.readInt(m.projYearStart) && sc.readInt(m.projYearEnd) && sc.readInt(a11) &&
                 sc.readInt(a12) && (!thirteen || sc.readInt(a13));
            if (!ok) return fail((thirteen ? kFirstCard13 : kFirstCard12) + line);
            nSim = a3, wells = a6, format = a7, projectionType = a8, yearMode = a11, unitMode = a12, useAvg = a13;
        }
    }
    m.outputFormat = format;
    m.synthesizeFormat = projectionType;
    m.yearMode = yearMode;
    m.unitMode = unitMode;
    m.useAvgDaysPerMonth = useAvg == 1;
    m.synthStartYear = clampToInt(static_cast<long long>(m.inputEndYear) + 1);
    m.synthEndYear = clampToInt(static_cast<long long>(m.inputEndYear) + nSim);

    const long long hist = m.historicalYears();
    const long long synth = m.synthesizedYears();
    if (wells > 0) {
        // A damaged first card can ask for tables of absurd size. Refuse
        // before allocating them when the file could never hold their rows.
        const double rowsPerWell = oldFormat ? 1.0 + double(hist) : 2.0 + double(hist) + double(synth);
        // A location costs about two kilobytes (512 cells) even without years.
        const double cells = double(wells) * ((3.0 * double(hist) + double(synth)) * 12.0 + 512.0);
        if (cells > double(1 << 24) && double(in.linesLeft()) < double(wells) * rowsPerWell)
            return fail("ReadInput: The first data card asks for more wells and years than the file holds.  "
                        "Line is: " +
                        line);
    }
    doc.resetLocations(wells);

    const std::string inFile = " in file " + path;
    for (int i = 0; i < wells; ++i) {
        Location &loc = m.locations[static_cast<size_t>(i)];
        const std::string well = std::to_string(i);
        if (!in.next(line)) return fail("Unexpected EOF reading VEK input file for record 2 of well #" + well + inFile);
        if (oldFormat) {
            std::string_view v(line);
            auto field = [&](size_t from, size_t n) {
                return from < v.size() ? v.substr(from, n) : std::string_view();
            };
            loc.VEK = leadingNumber(field(0, 5));
            loc.name = trimmed(field(5, 25));
            loc.LocationType = trimmed(field(30, 10)) == "WITHDRAWAL" ? IrrigationWell : RechargeSite;
        } else {
            Scanner sc(line);
            float vek;
            int type, use;
            if (!(sc.readReal(vek) && sc.readInt(type) && sc.readInt(use)))
                return fail("Wrong number of values read for second data card.  Expected vek, pumpType, "
                            "includeInOutput.  Line is: " +
                            line);
            loc.VEK = vek;
            loc.LocationType = type == -1 ? IrrigationWell : RechargeSite;
            loc.UseInOutput = use;
            if (!in.next(line))
                return fail("Unexpected EOF reading VEK input file for record 3 of well #" + well + inFile);
            loc.name = trimmed(line);
        }
        auto readRows = [&](MonthColumns &cols, long long count) {
            for (long long k = 0; k < count; ++k) {
                if (!in.next(line)) {
                    doc.message("Unexpected EOF reading pumping data input for well #" + well + ", year #" +
                                std::to_string(k) + inFile);
                    return false;
                }
                if (oldFormat) {
                    std::string_view v(line);
                    for (size_t mo = 0; mo < 12; ++mo)
                        cols[mo][k] = 8 * mo < v.size() ? leadingNumber(v.substr(8 * mo, 8)) : 0.0f;
                } else if (scanRow(line, cols, static_cast<int>(k)) != 12) {
                    doc.message("Wrong number of values read for third data card.  Expected 12 flow values.  "
                                "Line is: " +
                                line);
                    return false;
                }
            }
            return true;
        };
        if (!readRows(loc.historicalData, hist)) return false;
        if (!oldFormat && !readRows(loc.synthesizedData, synth)) return false;
    }
    if (oldFormat) return true;

    for (int i = 0; i < wells; ++i) {
        Location &loc = m.locations[static_cast<size_t>(i)];
        const std::string well = std::to_string(i);
        if (!in.next(line)) return fail("Unexpected EOF reading well name in pumping record #" + well + inFile);
        if (!in.next(line))
            return fail("Unexpected EOF reading pumping record flag and well units for well#" + well + inFile);
        {
            Scanner sc(line);
            int use, units;
            if (!(sc.readInt(use) && sc.readInt(units)))
                return fail("Parse error reading pumping flag and well units for well#" + well + inFile);
            loc.UsePumpingRecord = use != 0 ? 1 : 0;
            loc.Units = units;
        }
        if (!in.next(line)) return fail("Unexpected EOF reading well efficiencies for well#" + well + inFile);
        {
            Scanner sc(line);
            int read = 0;
            for (int mo = 0; mo < 12; ++mo) {
                float v;
                if (!sc.readReal(v)) break;
                loc.efficiency[mo] = v;
                ++read;
            }
            if (read != 12)
                return fail("Wrong number of values read for pumping record application efficiencies.  Expected 12 "
                            "flow values.  Line is: " +
                            line);
        }
        // The same both-zero rule as the historical rows: the writer writes
        // none for such a period, so none are expected.
        for (long long k = 0; k < hist; ++k) {
            const std::string year = std::to_string(k);
            // Each number may be on any line; white space includes line ends.
            Scanner sc(in.text(), in.pos());
            for (int mo = 0; mo < 12; ++mo) {
                float v;
                if (!sc.readReal(v)) {
                    in.setPos(sc.pos());
                    return fail("Parse error reading flows for well#" + well + ", year " + year);
                }
                loc.pumpingFlow[mo][k] = v;
                if (loc.Units == 0) {
                    if (!sc.readReal(v)) {
                        in.setPos(sc.pos());
                        return fail("ReadWellData: Parse error reading days-on for basin #" + well + ", year " + year);
                    }
                    loc.daysOn[mo][k] = v;
                }
            }
            in.setPos(sc.pos());
            if (!in.next(line))
                return fail("ReadWellData: Unexpected EOF reading flows for well #" + well + ", year " + year);
        }
    }
    return true;
}

} // namespace vek
