// Reading the engine report into OutputResults, and the year-type change of
// the results.
#include "results/output_results.h"
#include "common/utf8_path.h"

#include "common/numbers.h"
#include "facts/message_text.h"
#include "facts/vek_facts.h"
#include "results/text_decoding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string_view>

namespace vek {

namespace {

bool contains(std::string_view s, std::string_view what) { return s.find(what) != std::string_view::npos; }

// Reads the report as the line-oriented reader always has: at most 511
// characters per read, so a longer line arrives in pieces that each count as
// a line. CR LF counts as one line end. The text comes from memory or from a
// stream read in blocks, so a large file is never held whole.
class LineReader {
  public:
    explicit LineReader(std::string_view text) : view_(text) {}
    explicit LineReader(std::istream &in) : in_(&in) {}

    // line stays valid until the next call. False at the end of the text,
    // and from a line longer than kMaxLineBytes on (see overlong()).
    bool next(std::string_view &line) {
        if (overlong_) return false;
        fill();
        if (pos_ >= view_.size()) {
            lineNumber_ = lines_ + 1;
            return false;
        }
        if (atLineStart_) {
            ++lines_;
            lineLength_ = 0;
        }
        lineNumber_ = lines_;
        atLineStart_ = false;
        size_t start = pos_, count = 0;
        while (count < 511 && pos_ < view_.size()) {
            char c = view_[pos_];
            if (c == '\n') {
                line = view_.substr(start, pos_ - start);
                ++pos_;
                atLineStart_ = true;
                return piece(line);
            }
            if (c == '\r' && pos_ + 1 < view_.size() && view_[pos_ + 1] == '\n') {
                line = view_.substr(start, pos_ - start);
                pos_ += 2;
                atLineStart_ = true;
                return piece(line);
            }
            ++pos_;
            ++count;
        }
        line = view_.substr(start, pos_ - start);
        return piece(line);
    }

    // True once a line longer than kMaxLineBytes was met: the reading
    // stops there.
    bool overlong() const { return overlong_; }

    // The line the last read took its text from (a piece of a long line
    // counts as that line), or after the end of the text the line that
    // would have come next. 1-based.
    int lineNumber() const { return lineNumber_; }

    // Reads and discards up to n lines.
    void skip(int n) {
        std::string_view l;
        for (int i = 0; i < n && next(l); ++i) {
        }
    }

  private:
    static constexpr size_t kBlock = 1 << 16;
    // One read takes at most 511 characters and a CR LF.
    static constexpr size_t kLongestRead = 513;

    std::istream *in_ = nullptr;
    std::string buffer_;
    std::string_view view_;
    size_t pos_ = 0;
    int lines_ = 0;           // lines begun so far
    bool atLineStart_ = true; // the next read begins a line
    int lineNumber_ = 0;
    std::size_t lineLength_ = 0; // of the line being read, in its pieces so far
    bool overlong_ = false;

    // Counts a piece into its line: a report without line ends (/dev/zero)
    // must not be read for ever in pieces.
    bool piece(std::string_view text) {
        lineLength_ += text.size();
        if (lineLength_ <= kMaxLineBytes) return true;
        overlong_ = true;
        return false;
    }

    void fill() {
        if (!in_ || view_.size() - pos_ >= kLongestRead) return;
        buffer_.erase(0, pos_);
        pos_ = 0;
        size_t have = buffer_.size();
        buffer_.resize(have + kBlock);
        in_->read(buffer_.data() + have, static_cast<std::streamsize>(kBlock));
        buffer_.resize(have + static_cast<size_t>(in_->gcount()));
        if (in_->gcount() == 0) in_ = nullptr; // end of file
        view_ = buffer_;
    }
};

// A heading line matched as sscanf matches it against `pattern`: white
// space in the pattern takes any white space of the line (none included),
// "%d" an integer, any other character itself. Returns the integers
// converted before the first mismatch, stored in order into `ints`.
int matchHeading(std::string_view line, std::string_view pattern, std::initializer_list<int *> ints) {
    auto out = ints.begin();
    int converted = 0;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (isBlank(pattern[i])) {
            while (pos < line.size() && isBlank(line[pos]))
                ++pos;
        } else if (pattern.substr(i, 2) == "%d") {
            if (out == ints.end() || !scanInt(line, pos, **out)) return converted;
            ++out;
            ++converted;
            ++i;
        } else if (pos < line.size() && line[pos] == pattern[i]) {
            ++pos;
        } else {
            return converted;
        }
    }
    return converted;
}

// A number standing alone in a field: nothing but the number and blanks.
bool wholeNumber(std::string_view field, float &out) {
    std::size_t pos = 0;
    return scanReal(field, pos, out) && trim(field.substr(pos)).empty();
}

bool allAsterisks(std::string_view f) {
    if (f.empty()) return false;
    for (char c : f)
        if (c != '*') return false;
    return true;
}

// A field's value in whole tenths when it is written with at most one
// decimal (as the report writes every value: "-1234.5", "0.0", ".5");
// kNoTenths for any other form.
std::int32_t tenthsOf(std::string_view t) {
    std::size_t i = 0;
    const bool negative = !t.empty() && t[0] == '-';
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) ++i;
    long long whole = 0, digits = 0, decimals = 0, tenth = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digits)
        whole = whole * 10 + (t[i] - '0');
    if (i < t.size() && t[i] == '.') {
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++decimals)
            tenth = t[i] - '0';
    }
    if (i != t.size() || digits + decimals == 0 || decimals > 1 || digits > 9) return kNoTenths;
    const long long v = whole * 10 + tenth;
    if (v > std::numeric_limits<std::int32_t>::max()) return kNoTenths;
    return static_cast<std::int32_t>(negative ? -v : v);
}

// One table row in the engine's fixed columns: a 4-character label, then 13
// fields of 9 characters. A field of asterisks (a value too wide for the
// report) is taken as no data. Fails unless every field is a whole number or
// asterisks.
bool parseFixedRow(std::string_view line, float out[13], std::int32_t tenths[13]) {
    if (line.size() < 4 + 13 * 9) return false;
    for (int f = 0; f < 13; ++f) {
        std::string_view field = line.substr(4 + 9 * f, 9);
        std::string_view t = trim(field);
        if (allAsterisks(t)) {
            out[f] = kNoData;
            tenths[f] = kUnprintedTenths;
            continue;
        }
        float v;
        if (!wholeNumber(t, v)) return false;
        out[f] = v;
        tenths[f] = tenthsOf(t);
    }
    return true;
}

// A table row read as "%*4c%f %f ... %f": the first four characters skipped
// unseen, then up to 13 numbers separated by white space. Returns how many
// numbers were read. The tenths are known for a row in the fixed columns.
int parseRow(std::string_view line, float out[13], std::int32_t tenths[13]) {
    if (parseFixedRow(line, out, tenths)) return 13;
    for (int f = 0; f < 13; ++f)
        tenths[f] = kNoTenths;
    if (line.size() < 4) return 0;
    const std::string_view s = line.substr(4);
    std::size_t pos = 0;
    int n = 0;
    while (n < 13 && scanReal(s, pos, out[n]))
        ++n;
    return n;
}

// A total printed as asterisks makes every running total from it on
// unknown: the views show "-" instead of a sum that silently lacks it.
constexpr std::int64_t kUnprintedCumulative = kNoCumulativeTenths + 1;

// The running total of one table of `row` after `previous` (null for the
// first row). It passes over totals without data; before the first total
// with data there is none. The tenths are known while every total taken in
// was printed.
void cumulateRow(const YearRow *previous, YearRow &row, bool stream) {
    const float total = stream ? row.streamTotal : row.diversionTotal;
    const std::int32_t tenths = (stream ? row.streamTenths : row.diversionTenths)[12];
    const float before = previous ? (stream ? previous->streamCumulative : previous->diversionCumulative) : kNoData;
    const std::int64_t beforeTenths =
        previous ? (stream ? previous->streamCumulativeTenths : previous->diversionCumulativeTenths)
                 : kNoCumulativeTenths;
    float &cumulative = stream ? row.streamCumulative : row.diversionCumulative;
    std::int64_t &cumulativeTenths = stream ? row.streamCumulativeTenths : row.diversionCumulativeTenths;
    if (beforeTenths == kUnprintedCumulative || tenths == kUnprintedTenths) {
        cumulative = kNoData;
        cumulativeTenths = kUnprintedCumulative;
    } else if (!hasData(total)) {
        cumulative = before;
        cumulativeTenths = beforeTenths;
    } else if (!hasData(before)) {
        cumulative = total;
        cumulativeTenths = tenths == kNoTenths ? kNoCumulativeTenths : tenths;
    } else {
        cumulative = before + total;
        cumulativeTenths =
            tenths == kNoTenths || beforeTenths == kNoCumulativeTenths ? kNoCumulativeTenths : beforeTenths + tenths;
    }
}

int clampYear(long long y) { return static_cast<int>(std::clamp(y, -100000000LL, 100000000LL)); }

// The longest print range the reader accepts; a heading beyond it is taken
// as damaged rather than allocating for it.
constexpr long long kMaxPrintYears = 10000;

using Summary = SummaryEntry;
constexpr const Summary (&kSummaries)[3] = kSummaryEntries;

class ReportReader {
  public:
    ReportReader(OutputResults &r, LineReader &in, const std::string &path, Prompter &p)
        : res_(r), in_(in), path_(path), prompter_(p) {}

    bool run() {
        if (!readHeading()) return false;
        return readBlocks();
    }

    bool runUntitled() { return readHeading() && readUntitledSummaries(); }

  private:
    OutputResults &res_;
    LineReader &in_;
    const std::string &path_;
    Prompter &prompter_;

    // Whatever failed, a line past the limit is what stopped the reading.
    bool fail(const std::string &message) {
        res_.failedLine = in_.lineNumber();
        prompter_.message(in_.overlong() ? "Line " + std::to_string(in_.lineNumber()) + " of " + path_ +
                                               " is longer than " + kMaxLineText +
                                               "; no line of an engine report is that long, and the file is read "
                                               "no further."
                                         : message);
        return false;
    }

    // Discards lines until one for which match(line) holds; false at the end.
    template <typename F> bool findLine(F match) {
        std::string_view l;
        while (in_.next(l))
            if (match(l)) return true;
        return false;
    }

    bool readHeading() {
        int lastHistorical = -1, synthYears = -1;
        // The heading lines in the order they are searched for, as a reader
        // should see them; missing is the first one not found.
        static constexpr const char *kHeadingLines[] = {
            "THE LAST YEAR OF HISTORICAL DATA IS <year>.",
            "NUMBER OF YEARS OF SYNTHESIZED DATA ARE <count>",
            "SYNTHESIZED DATA WAS GENERATED USING <method>",
            "PUMPING BEGINS IN <year> AND CONTINUES <count> MORE YEARS.",
            "PRINT OUT OF DEPLETIONS IS FOR YEARS <first year> TO <last year> INCLUSIVE.",
        };
        int missing = -1;
        auto step = [&](int index, auto match) {
            if (missing < 0 && !findLine(match)) missing = index;
        };
        step(0, [&](std::string_view l) {
            return matchHeading(l, "          THE LAST YEAR OF HISTORICAL DATA IS %d", {&lastHistorical}) == 1;
        });
        step(1, [&](std::string_view l) {
            return matchHeading(l, "          NUMBER OF YEARS OF SYNTHESIZED DATA ARE %d", {&synthYears}) == 1;
        });
        step(2, [&](std::string_view l) {
            if (!contains(l, "SYNTHESIZED DATA")) return false;
            res_.synthesisText = std::string(trim(l));
            return true;
        });
        step(3, [&](std::string_view l) {
            int a, b;
            return matchHeading(l, "          PUMPING BEGINS IN %d AND CONTINUES %d", {&a, &b}) == 2;
        });
        int first = 0, last = 0;
        step(4, [&](std::string_view l) {
            return matchHeading(l, "          PRINT OUT OF DEPLETIONS IS FOR YEARS %d TO %d", {&first, &last}) == 2;
        });
        res_.setSynthesizedYears(lastHistorical, synthYears);
        // A reversed or absurdly long range cannot come from the engine; it
        // would only make every table fail or exhaust memory, so it is not
        // kept either. The message is the reader's own, with a second line
        // that says in plain words what was wrong.
        long long span = static_cast<long long>(last) - first + 1;
        if (missing >= 0 || span < 1 || span > kMaxPrintYears || first != clampYear(first)) {
            const std::string why =
                missing >= 0 ? path_ + " is not a complete engine report: its heading has no line \"" +
                                   kHeadingLines[missing] + "\""
                             : "The heading gives the years " + std::to_string(first) + " TO " + std::to_string(last) +
                                   ", which no report prints (the first year comes first, and a report prints at "
                                   "most " +
                                   std::to_string(kMaxPrintYears) + " years).";
            return fail("Parse error reading " + path_ +
                        " for starting and ending years (expected PRINT OUT OF DEPLETIONS IS FOR YEARS %d TO %d)\n" +
                        why);
        }
        res_.firstPrintYear = first;
        res_.lastPrintYear = last;
        std::string_view l;
        if (!in_.next(l))
            return fail("End-of-file error reading " + path_ +
                        " for monthly conversion method (expected MONTHLY TO DAILY CONVERSIONS USED...)");
        res_.conversionText = std::string(trim(l));
        res_.locations.clear();
        res_.reportedMethods.clear();
        res_.unprintedValues = 0;
        res_.headingRead = true;
        return true;
    }

    bool readUnitsAndHeader() {
        std::string_view l;
        if (!in_.next(l)) return fail("Unexepected EOF looking for well units.");
        res_.units = std::string(trim(l));
        in_.skip(1);
        if (!in_.next(l)) return fail("Unexepected EOF looking for well month header.");
        res_.monthHeader = std::string(trim(l));
        return true;
    }

    bool findYearHeading() {
        if (findLine([](std::string_view l) { return contains(l, "YEAR"); })) return true;
        return fail("Unexpected EOF reading year header.");
    }

    // Reads one table of n rows into the diversion or the stream fields.
    bool readTable(LocationResult &r, bool stream) {
        const int n = static_cast<int>(r.rows.size());
        for (int i = 0; i < n; ++i) {
            std::string_view l;
            do {
                if (!in_.next(l))
                    return fail("Unexpected EOF reading " + std::to_string(res_.firstPrintYear + i) + "'s data.");
            } while (trim(l).empty());
            float v[13];
            std::int32_t tenths[13];
            if (parseRow(l, v, tenths) < 13)
                return fail(std::string(stream ? "Parse error reading monthly depletion for year "
                                               : "Parse error reading monthly pumping for year ") +
                            std::to_string(res_.firstPrintYear + i));
            YearRow &row = r.rows[i];
            float *months = stream ? row.stream : row.diversion;
            for (int m = 0; m < 12; ++m)
                months[m] = v[m];
            std::copy(tenths, tenths + 13, stream ? row.streamTenths : row.diversionTenths);
            res_.unprintedValues += std::count(tenths, tenths + 13, kUnprintedTenths);
            (stream ? row.streamTotal : row.diversionTotal) = v[12];
        }
        accumulateTotals(r, stream);
        return true;
    }

    bool readTables(LocationResult &r, bool streamOnly) {
        r.rows.assign(static_cast<size_t>(res_.lastPrintYear - res_.firstPrintYear + 2), YearRow());
        if (!streamOnly) {
            if (!readTable(r, false)) return false;
            if (!findYearHeading()) return false;
        }
        return readTable(r, true);
    }

    bool readLocation(std::string_view trimmed) {
        LocationResult r;
        // The engine writes "LOCATION:" and 8 blanks, then the name cut to 60
        // bytes: a name that fills the field may end inside a character.
        constexpr std::size_t kFullLine = 17 + kReportLocationNameWidth;
        r.name = decodeReportText(trim(trimmed.substr(9, 80)), trimmed.size() >= kFullLine);
        std::string_view l;
        if (!in_.next(l)) return fail("Unexepected EOF looking for VEK.");
        if (!contains(l, "VEK FACTOR:")) return fail("Error looking for VEK (line is " + messageText(l) + ")");
        const std::string_view rest = l.size() > 11 ? l.substr(11, 80) : std::string_view();
        std::size_t pos = 0;
        double factor = 0.0;
        r.depletionFactor = scanReal(rest, pos, factor) ? factor : 0.0;
        // Five lines follow before the tables; the first names the site type.
        if (in_.next(l)) {
            if (const std::size_t at = l.find("TYPE OF SITE:"); at != std::string_view::npos)
                r.siteType = std::string(trim(l.substr(at + 13)));
            in_.skip(4);
        }
        if (res_.units.empty() ? !readUnitsAndHeader() : !findYearHeading()) return false;
        if (!readTables(r, false)) return false;
        res_.locations.push_back(std::move(r));
        return true;
    }

    bool readSummaries() {
        if (res_.units.empty()) {
            in_.skip(2);
            if (!readUnitsAndHeader()) return false;
        } else if (!findYearHeading()) {
            return false;
        }
        for (int e = 0; e < 3; ++e) {
            if (e > 0 && !findYearHeading()) return false;
            LocationResult r;
            r.name = kSummaries[e].name;
            r.kind = kSummaries[e].kind;
            if (!readTables(r, r.kind == LocationResult::Kind::NetImpact)) return false;
            res_.locations.push_back(std::move(r));
        }
        return true;
    }

    // The rows of a report written without titles (output format 2): the
    // recharge accretion rows, then the well depletion rows, each ending with
    // its average row. They are the stream tables of two summaries.
    bool readUntitledSummaries() {
        const Summary untitled[] = {kSummaries[0], kSummaries[1]};
        for (const Summary &e : untitled) {
            LocationResult r;
            r.name = e.name;
            r.kind = e.kind;
            r.streamOnly = true;
            if (!readTables(r, true)) return false;
            res_.locations.push_back(std::move(r));
        }
        // The rows carry no units line and no month heading: those of the
        // report's other forms, which hold the same values.
        if (res_.units.empty()) res_.units = "( acre feet )";
        if (res_.monthHeader.empty()) res_.monthHeader = "YEAR NOV DEC JAN FEB MAR APR MAY JUN JUL AUG SEP OCT TOTAL";
        std::string_view l, end;
        while (in_.next(l))
            if (trim(l) == "RESPONSE METHODS OTHER THAN THE INFINITE AQUIFER") readResponseMethods(end);
        return true;
    }

    // A reach's net impact, after the response methods: its title holds its
    // name (cut to 60 bytes), a stream table follows.
    bool readReach(std::string_view title) {
        constexpr std::string_view kPrefix = "NET IMPACT UPON REACH ";
        LocationResult r;
        const std::string_view name = title.substr(kPrefix.size());
        // The report spaces out the reader's keywords in a name; they are restored.
        r.name = decodeReportText(withReportKeywords(std::string(trim(name))), name.size() >= kReportLocationNameWidth);
        r.kind = LocationResult::Kind::Reach;
        if (!findYearHeading()) return false;
        if (!readTables(r, true)) return false;
        res_.locations.push_back(std::move(r));
        return true;
    }

    // The closing list of response methods: a heading line, then one line
    // per location up to the first line that is not one. True when a line
    // ended it (`end`, valid until the next read), false at the report's end.
    bool readResponseMethods(std::string_view &end) {
        std::string_view l;
        while (in_.next(l)) {
            const std::string_view t = trim(l);
            if (t.empty()) continue;
            if (t.substr(0, 3) == "NO.") continue;
            ReportedMethod m;
            if (!parseReportedMethodLine(l, m)) {
                end = l;
                return true;
            }
            res_.reportedMethods.push_back(std::move(m));
        }
        return false;
    }

    bool readBlock(std::string_view l) {
        // A reach's title first: its name may hold any text.
        if (l.substr(0, 22) == "NET IMPACT UPON REACH " && !res_.units.empty()) return readReach(l);
        std::string_view t = trim(l);
        if (contains(t, "LOCATION:")) return readLocation(t);
        if (contains(t, "SUMMARY OF ALL LOCATIONS")) return readSummaries();
        if (t == "RESPONSE METHODS OTHER THAN THE INFINITE AQUIFER") {
            // The reaches' tables may follow the list at once.
            std::string_view end;
            return !readResponseMethods(end) || readBlock(end);
        }
        return true;
    }

    bool readBlocks() {
        std::string_view l;
        while (in_.next(l))
            if (!readBlock(l)) return false;
        return !in_.overlong() || fail({});
    }
};

// Rounded to tenths, the precision the report gives every value of its
// year rows and averages (a mean of -512.333 shows as -512.3, never as the
// -510 or -500 of two significant digits).
float roundToTenths(float v) {
    const double tenths = std::round(static_cast<double>(v) * 10.0) / 10.0;
    // Beyond float range (absurd report values) the mean itself is kept.
    return std::isfinite(tenths) ? static_cast<float>(tenths) : v;
}

// The total of a row's twelve printed months, over the months that hold
// data: known when each of them is.
std::int32_t sumOfTenths(const float values[12], const std::int32_t tenths[13]) {
    long long sum = 0;
    bool any = false;
    for (int m = 0; m < 12; ++m) {
        if (!hasData(values[m])) continue;
        if (tenths[m] == kNoTenths) return kNoTenths;
        sum += tenths[m];
        any = true;
    }
    if (!any || sum > std::numeric_limits<std::int32_t>::max() || sum <= kNoTenths) return kNoTenths;
    return static_cast<std::int32_t>(sum);
}

} // namespace

void accumulateTotals(LocationResult &loc, bool stream) {
    for (size_t i = 0; i < loc.rows.size(); ++i)
        cumulateRow(i == 0 ? nullptr : &loc.rows[i - 1], loc.rows[i], stream);
}

std::string reachEntryName(const std::string &reach) { return "Net Impact on Reach " + reach; }

void OutputResults::setSynthesizedYears(long long lastHistoricalYear, long long synthesizedYears) {
    // Year numbers far outside any calendar are held back so that no sum of
    // them can overflow.
    firstSynthYear = clampYear(lastHistoricalYear + 1);
    lastSynthYear = clampYear(synthesizedYears >= 1 ? lastHistoricalYear + synthesizedYears : lastHistoricalYear);
}

namespace {
// The float's shortest decimal form, read as a double: "0.1", never
// 0.100000001490116.
double shortestDouble(float v) {
    char buf[32];
    const auto written = std::to_chars(buf, buf + sizeof buf, v);
    double out = 0.0;
    std::from_chars(buf, written.ptr, out);
    return out;
}
} // namespace

std::optional<double> exportValue(const YearRow &row, bool stream, int month) {
    const float v =
        month == 12 ? (stream ? row.streamTotal : row.diversionTotal) : (stream ? row.stream : row.diversion)[month];
    if (!hasData(v)) return std::nullopt;
    const std::int32_t tenths = (stream ? row.streamTenths : row.diversionTenths)[month];
    if (tenths != kNoTenths && tenths != kUnprintedTenths) return static_cast<double>(tenths) / 10.0;
    return shortestDouble(v);
}

std::optional<double> exportCumulative(const YearRow &row, bool stream) {
    const float v = stream ? row.streamCumulative : row.diversionCumulative;
    if (!hasData(v)) return std::nullopt;
    const std::int64_t tenths = stream ? row.streamCumulativeTenths : row.diversionCumulativeTenths;
    if (tenths != kNoCumulativeTenths && tenths != kUnprintedCumulative) return static_cast<double>(tenths) / 10.0;
    return shortestDouble(v);
}

bool unprinted(const YearRow &row, bool stream, int month) {
    return (stream ? row.streamTenths : row.diversionTenths)[month] == kUnprintedTenths;
}

namespace {

template <typename Read>
bool readReportFile(OutputResults &results, const std::string &path, Prompter &prompter, Read read) {
    results.failedLine = 0;
    results.resetYearTypeOrigin();
    std::ifstream file(vek::pathFromUtf8(path), std::ios::binary);
    // A folder opens like a file here but reads as empty: say it cannot be
    // opened instead of blaming its contents.
    std::error_code ec;
    if (!file || std::filesystem::is_directory(vek::pathFromUtf8(path), ec)) {
        prompter.message("Unable to open " + path + " for reading.");
        return false;
    }
    LineReader in(file);
    ReportReader reader(results, in, path, prompter);
    const bool ok = read(reader);
    results.assignResponses();
    return ok;
}

} // namespace

bool OutputResults::Load(const std::string &path, Prompter &prompter) {
    return readReportFile(*this, path, prompter, [](ReportReader &r) { return r.run(); });
}

bool OutputResults::LoadUntitledSummaries(const std::string &path, Prompter &prompter) {
    return readReportFile(*this, path, prompter, [](ReportReader &r) { return r.runUntitled(); });
}

bool OutputResults::LoadText(const std::string &text, const std::string &path, Prompter &prompter) {
    failedLine = 0;
    resetYearTypeOrigin();
    LineReader in(text);
    ReportReader reader(*this, in, path, prompter);
    const bool ok = reader.run();
    assignResponses();
    return ok;
}

void OutputResults::assignResponses() {
    std::vector<std::string> names;
    std::vector<double> factors;
    std::vector<LocationResult *> real;
    for (LocationResult &loc : locations)
        if (!loc.isSummary()) {
            names.push_back(loc.name);
            factors.push_back(loc.depletionFactor);
            real.push_back(&loc);
        }
    const std::vector<ResponseInfo> responses = matchReportedMethods(names, factors, reportedMethods);
    for (std::size_t i = 0; i < real.size(); ++i)
        real[i]->response = responses[i];
}

std::vector<std::string> OutputResults::yearListEntries() const {
    std::vector<std::string> out;
    for (int y = firstPrintYear; y <= lastPrintYear; ++y)
        out.push_back(std::to_string(y));
    out.push_back("Average");
    return out;
}

std::vector<std::string> OutputResults::locationListEntries() const {
    std::vector<std::string> out;
    for (const LocationResult &loc : locations)
        out.push_back(loc.isReach() ? reachEntryName(loc.name) : loc.name);
    return out;
}

namespace {

// Year totals and running totals of the year rows over the months that hold
// data; a month printed as asterisks leaves its year's total unknown.
void recomputeYearRows(LocationResult &loc, int years) {
    for (int y = 0; y < years; ++y) {
        YearRow &row = loc.rows[static_cast<size_t>(y)];
        for (int table = 0; table < 2; ++table) {
            const bool stream = table == 1;
            const float *v = stream ? row.stream : row.diversion;
            std::int32_t *tenths = stream ? row.streamTenths : row.diversionTenths;
            float sum = 0.0f;
            bool any = false, lost = false;
            for (int m = 0; m < 12; ++m) {
                lost = lost || tenths[m] == kUnprintedTenths;
                if (hasData(v[m])) {
                    sum += v[m];
                    any = true;
                }
            }
            (stream ? row.streamTotal : row.diversionTotal) = any && !lost ? sum : kNoData;
            tenths[12] = lost ? kUnprintedTenths : sumOfTenths(v, tenths);
            cumulateRow(y == 0 ? nullptr : &loc.rows[static_cast<size_t>(y - 1)], row, stream);
        }
    }
}

// Averages of the year rows, to the report's precision; positions no year
// holds data for stay without data, and so do those where a year's value was
// printed as asterisks.
void recomputeAverages(LocationResult &loc, int years) {
    YearRow &avg = loc.rows.back();
    for (int table = 0; table < 2; ++table) {
        const bool stream = table == 1;
        for (int m = 0; m <= 12; ++m) {
            float sum = 0.0f;
            int n = 0;
            long long tenthsSum = 0;
            bool tenthsKnown = true, lost = false;
            for (int y = 0; y < years; ++y) {
                const YearRow &row = loc.rows[static_cast<size_t>(y)];
                const std::int32_t t = (stream ? row.streamTenths : row.diversionTenths)[m];
                lost = lost || t == kUnprintedTenths;
                const float v = m == 12 ? (stream ? row.streamTotal : row.diversionTotal)
                                        : (stream ? row.stream : row.diversion)[m];
                if (hasData(v)) {
                    sum += v;
                    ++n;
                    tenthsKnown = tenthsKnown && t != kNoTenths;
                    tenthsSum += t;
                }
            }
            const float value = n > 0 && !lost ? roundToTenths(sum / static_cast<float>(n)) : kNoData;
            if (m == 12)
                (stream ? avg.streamTotal : avg.diversionTotal) = value;
            else
                (stream ? avg.stream : avg.diversion)[m] = value;
            // The mean of the printed values, rounded to tenths as the floats
            // are.
            (stream ? avg.streamTenths : avg.diversionTenths)[m] =
                lost                   ? kUnprintedTenths
                : n > 0 && tenthsKnown ? static_cast<std::int32_t>(std::llround(static_cast<double>(tenthsSum) / n))
                                       : kNoTenths;
        }
    }
}

// Moves every month of a location's year rows s months towards the start
// (s < 0: towards the end); the months left behind hold no data.
void shiftMonths(LocationResult &loc, int s) {
    const int years = static_cast<int>(loc.rows.size()) - 1;
    const int months = 12 * years;
    auto at = [&](int i) -> YearRow & { return loc.rows[static_cast<size_t>(i / 12)]; };
    auto move = [&](int to, int from) {
        YearRow &t = at(to), &f = at(from);
        t.diversion[to % 12] = f.diversion[from % 12];
        t.stream[to % 12] = f.stream[from % 12];
        t.diversionTenths[to % 12] = f.diversionTenths[from % 12];
        t.streamTenths[to % 12] = f.streamTenths[from % 12];
    };
    auto empty = [&](int d) {
        YearRow &r = at(d);
        r.diversion[d % 12] = r.stream[d % 12] = kNoData;
        r.diversionTenths[d % 12] = r.streamTenths[d % 12] = kNoTenths;
    };
    if (s > 0) {
        for (int d = 0; d + s < months; ++d)
            move(d, d + s);
        for (int d = std::max(0, months - s); d < months; ++d)
            empty(d);
    } else {
        for (int d = months - 1; d + s >= 0; --d)
            move(d, d + s);
        for (int d = 0; d < std::min(-s, months); ++d)
            empty(d);
    }
}

} // namespace

bool OutputResults::changeYearType(int t) {
    if (!isValidYearMode(t) || !isValidYearMode(yearType) || t == yearType) return false;
    const int yearsBefore = printedYears();
    // Every change starts from the values as the report gave them.
    if (!asRead_)
        asRead_ = std::make_shared<const AsRead>(AsRead{yearType, firstPrintYear, lastPrintYear, locations});
    else {
        yearType = asRead_->yearType;
        firstPrintYear = asRead_->firstPrintYear;
        lastPrintYear = asRead_->lastPrintYear;
        locations = asRead_->locations;
    }
    if (t != yearType) moveMonths(t);
    return printedYears() != yearsBefore;
}

void OutputResults::moveMonths(int t) {
    // The values move s months towards the start of the printed months (s <
    // 0: towards the end). The months that leave the first (last) year need
    // a blank year before (after) it when any of them holds data.
    const int s = yearTypeShift(yearType, t);
    const bool atStart = s > 0;
    const int first = atStart ? 0 : 12 + s, count = atStart ? s : -s;
    bool needYear = false;
    for (const LocationResult &loc : locations) {
        if (loc.rows.size() < 2) continue;
        const YearRow &row = atStart ? loc.rows.front() : loc.rows[loc.rows.size() - 2];
        for (int m = first; m < first + count; ++m)
            if (hasData(row.diversion[m]) || row.diversionTenths[m] == kUnprintedTenths) needYear = true;
    }
    if (needYear) {
        if (atStart)
            --firstPrintYear;
        else
            ++lastPrintYear;
        for (LocationResult &loc : locations) {
            if (loc.rows.empty()) continue;
            loc.rows.insert(atStart ? loc.rows.begin() : loc.rows.end() - 1, YearRow());
        }
    }
    for (LocationResult &loc : locations) {
        if (loc.rows.size() < 2) continue;
        const int years = static_cast<int>(loc.rows.size()) - 1;
        shiftMonths(loc, s);
        recomputeYearRows(loc, years);
        recomputeAverages(loc, years);
    }
    yearType = t;
}

} // namespace vek
