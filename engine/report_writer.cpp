// Report layout. Blank lines hold one blank, empty lines nothing; every line
// ends in CR LF.
#include "engine/report_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "engine/fixed_fields.h"

namespace vek::engine {

ReportFile::ReportFile(const std::string &path) : path_(path) {
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_)
        throw ReportError("cannot create output file \"" + path + "\": " + std::generic_category().message(errno));
}

ReportFile::~ReportFile() {
    if (file_) std::fclose(file_);
}

void ReportFile::write(std::string_view text) {
    if (!file_) throw ReportError("output file \"" + path_ + "\" is closed");
    if (text.empty()) return;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        throw ReportError("cannot write output file \"" + path_ + "\": " + std::generic_category().message(errno));
}

void ReportFile::close() {
    if (!file_) return;
    const bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
    const int err = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed)
        throw ReportError("cannot write output file \"" + path_ +
                          "\": " + std::generic_category().message(flushed ? errno : err));
}

SummaryTables::SummaryTables()
    : diversion_(4 * static_cast<std::size_t>(kMaxMonths + 1), 0.0f),
      effect_(4 * static_cast<std::size_t>(kMaxMonths + 1), 0.0f) {}

void SummaryTables::add(int locationType, const Real *div, const Real *eff, int first, int last) {
    const int column = locationType == 1 ? 1 : 3;
    Real *d = diversion(column);
    Real *e = effect(column);
    Real *dAll = diversion(4);
    Real *eAll = effect(4);
    for (int m = first; m <= last; ++m) {
        d[m] = d[m] + div[m];
        dAll[m] = dAll[m] + div[m];
        e[m] = e[m] + eff[m];
        eAll[m] = eAll[m] + eff[m];
    }
}

namespace report {

namespace {

void line(std::string &out, std::string_view text) {
    out.append(text);
    out.append(kEol);
}
void blankLine(std::string &out) { line(out, " "); }
void emptyLine(std::string &out) { line(out, ""); }

void titleBlock(std::string &out, std::string_view title) {
    emptyLine(out);
    line(out, title);
    // The well diversions' unit line has always carried one more blank.
    line(out, title == "DIVERSIONS FROM WELLS" ? unitsLine() + " " : unitsLine());
    blankLine(out);
}

struct Titles {
    std::string_view diversion;
    std::string_view effect;
};
constexpr Titles kRechargeTitles{"NET DIVERSION INTO RECHARGE SITES",
                                 "ACCRETION TO THE STREAM RESULTING FROM RECHARGE"};
constexpr Titles kWellTitles{"DIVERSIONS FROM WELLS", "DEPLETIONS OCCURRING FROM THE STREAM DUE TO WELLS"};

void summaryGroup(std::string &out, const Titles &titles, const Real *diversion, const Real *effect,
                  const RunParameters &p, const RunCounts &c) {
    const bool titled = layoutFor(p.outputFormat) != ReportLayout::Untitled;
    blankLine(out);
    if (titled) {
        line(out, "SUMMARY OF ALL LOCATIONS");
        titleBlock(out, titles.diversion);
        appendTable(out, diversion, c.runYears, p.outputStartYear, true);
        if (c.runDataYears > 15) blankLine(out);
        line(out, "SUMMARY OF ALL LOCATIONS");
        titleBlock(out, titles.effect);
    }
    appendTable(out, effect, c.runYears, p.outputStartYear, titled);
}

} // namespace

void appendHeading(std::string &out, const RunParameters &p) {
    const std::string tab(10, ' ');
    line(out, std::string(54, ' ') + "STREAM DEPLETION");
    line(out, std::string(45, ' ') + "CALCULATED BY U.S.G.S. VEK METHOD");
    for (int i = 0; i < 4; ++i)
        emptyLine(out);

    std::string s = tab + "THE LAST YEAR OF HISTORICAL DATA IS";
    appendInt(s, p.inputEndYear, 5);
    s += ".";
    line(out, s);
    emptyLine(out);

    s = tab + "NUMBER OF YEARS OF SYNTHESIZED DATA ARE ";
    appendInt(s, headingSynthesizedYears(p), 5);
    line(out, s);
    emptyLine(out);

    line(out, synthesisLine(p));
    emptyLine(out);

    s = tab + "PUMPING BEGINS IN";
    appendInt(s, p.outputStartYear, 5);
    s += " AND CONTINUES";
    appendInt(s, headingContinuingYears(p), 3);
    s += " MORE YEARS.";
    line(out, s);
    emptyLine(out);

    s = tab + "PRINT OUT OF DEPLETIONS IS FOR YEARS ";
    appendInt(s, p.outputStartYear, 4);
    s += " TO ";
    appendInt(s, p.outputEndYear, 4);
    s += " INCLUSIVE.";
    line(out, s);

    line(out, conversionLine(p));
}

std::string synthesisLine(const RunParameters &p) {
    std::string s = std::string(10, ' ') + "SYNTHESIZED DATA WAS GENERATED USING ";
    appendText(s, methodText(p), 50);
    return s;
}

std::string conversionLine(const RunParameters &p) {
    return std::string(10, ' ') + "MONTHLY TO DAILY CONVERSIONS USED " +
           (p.useAvgDaysPerMonth == 1 ? "AVERAGE DAYS PER MONTH (30.417)." : "ACTUAL DAYS IN THE MONTH.");
}

std::string unitsLine() { return " ( acre feet )"; }

std::string tableHeader() {
    std::string s = "YEAR";
    for (int m = 0; m < 12; ++m) {
        s += "   ";
        s += calendarMonthAbbreviation(calendarMonth(IrrigationYear, m));
        s += "   ";
    }
    s += "    TOTAL";
    return s;
}

TableSums tableSums(const Real *monthly, long long runYears) {
    TableSums sums;
    sums.rowTotals.resize(static_cast<std::size_t>(std::max(0LL, runYears)));
    Real monthSum[12] = {};
    for (long long y = 0; y < runYears; ++y) {
        const Real *values = monthly + 1 + 12 * y;
        Real total = 0.0f;
        for (int j = 0; j < 12; ++j) {
            total = total + values[j];
            monthSum[j] = monthSum[j] + values[j];
        }
        sums.rowTotals[static_cast<std::size_t>(y)] = total;
    }
    const auto years = static_cast<Real>(runYears);
    Real grand = 0.0f;
    for (int j = 0; j < 12; ++j) {
        sums.monthAverage[j] = monthSum[j] / years;
        grand = grand + monthSum[j];
    }
    sums.totalAverage = grand / years;
    return sums;
}

void appendLocationBlock(std::string &out, std::string_view name, Real factor, int locationType) {
    blankLine(out);
    std::string s = "LOCATION:        ";
    appendText(s, name, kReportLocationNameWidth);
    line(out, s);
    s = "VEK FACTOR:      ";
    appendF91(s, factor);
    line(out, s);
    s = "TYPE OF SITE:    ";
    appendText(s, locationType == 1 ? "RECHARGE" : "PUMPING", 10);
    line(out, s);
    s = "DEPTH:           ";
    appendText(s, "SHALLOW", 10);
    line(out, s);
    blankLine(out);
}

void appendLocationTables(std::string &out, int locationType, const Real *diversion, const Real *effect,
                          const RunParameters &p, const RunCounts &c) {
    const Titles &titles = locationType == 1 ? kRechargeTitles : kWellTitles;
    titleBlock(out, titles.diversion);
    appendTable(out, diversion, c.runYears, p.outputStartYear, true);
    titleBlock(out, titles.effect);
    appendTable(out, effect, c.runYears, p.outputStartYear, true);
}

void appendTable(std::string &out, const Real *monthly, long long runYears, int firstYear, bool withHeader) {
    if (withHeader) line(out, tableHeader());
    const TableSums sums = tableSums(monthly, runYears);
    out.reserve(out.size() + static_cast<std::size_t>(runYears + 4) * 123);
    char row[4 + 13 * 9 + 2];
    for (long long y = 0; y < runYears; ++y) {
        const Real *values = monthly + 1 + 12 * y;
        std::string year;
        appendInt(year, firstYear + y, 4);
        std::memcpy(row, year.data(), 4);
        for (int j = 0; j < 12; ++j)
            formatF91(row + 4 + 9 * j, values[j]);
        formatF91(row + 4 + 9 * 12, sums.rowTotals[static_cast<std::size_t>(y)]);
        row[sizeof row - 2] = '\r';
        row[sizeof row - 1] = '\n';
        out.append(row, sizeof row);
    }
    emptyLine(out);
    out += " AVG";
    for (const Real average : sums.monthAverage)
        appendF91(out, average);
    appendF91(out, sums.totalAverage);
    out.append(kEol);
}

void appendSummaries(std::string &out, const SummaryTables &s, const RunParameters &p, const RunCounts &c) {
    summaryGroup(out, kRechargeTitles, s.diversion(1), s.effect(1), p, c);
    blankLine(out); // column 2 is never written and shows nothing
    summaryGroup(out, kWellTitles, s.diversion(3), s.effect(3), p, c);
    blankLine(out);
    if (layoutFor(p.outputFormat) != ReportLayout::Untitled) {
        emptyLine(out);
        line(out, "NET IMPACT UPON THE STREAM");
        line(out, " Depletions + Accretions");
        line(out, unitsLine());
        blankLine(out);
        appendTable(out, s.effect(4), c.runYears, p.outputStartYear, true);
    }
}

} // namespace report

} // namespace vek::engine
