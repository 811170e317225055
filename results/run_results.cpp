// Results of a run from the engine's tables.
#include "results/run_results.h"

#include "common/numbers.h"
#include "engine/report_writer.h"
#include "engine/response_report.h"
#include "facts/vek_facts.h"
#include "results/text_decoding.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vek {

namespace {

// A value's tenths as the report rounds them (the float times ten, which a
// double holds exactly, to the nearest integer, ties to even).
std::int32_t tenthsOf(float v) {
    if (!std::isfinite(v)) return kNoTenths;
    const double t = std::nearbyint(static_cast<double>(v) * 10.0);
    if (std::fabs(t) > static_cast<double>(std::numeric_limits<std::int32_t>::max())) return kNoTenths;
    return static_cast<std::int32_t>(t);
}

// The double that a float's shortest decimal names: 0.6, not 0.600000024.
double plain(float v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    double d = v;
    std::from_chars(buf, r.ptr, d);
    return d;
}

// One table from the engine's 1-based monthly volumes, with the totals and
// averages the report prints.
void fillTable(LocationResult &loc, const engine::Real *monthly, long long runYears, bool stream) {
    const engine::report::TableSums sums = engine::report::tableSums(monthly, runYears);
    auto put = [&](YearRow &row, int m, float v) {
        (m == 12 ? (stream ? row.streamTotal : row.diversionTotal) : (stream ? row.stream : row.diversion)[m]) = v;
        (stream ? row.streamTenths : row.diversionTenths)[m] = tenthsOf(v);
    };
    for (long long y = 0; y < runYears; ++y) {
        YearRow &row = loc.rows[static_cast<std::size_t>(y)];
        for (int m = 0; m < 12; ++m)
            put(row, m, monthly[1 + 12 * y + m]);
        put(row, 12, sums.rowTotals[static_cast<std::size_t>(y)]);
    }
    YearRow &avg = loc.rows.back();
    for (int m = 0; m < 12; ++m)
        put(avg, m, sums.monthAverage[m]);
    put(avg, 12, sums.totalAverage);
    accumulateTotals(loc, stream);
}

ResponseInfo responseInfo(const engine::LocationResponse &r, const std::vector<engine::SectionTable> &tables) {
    using engine::ResponseMethod;
    ResponseInfo out;
    switch (r.method) {
    case ResponseMethod::InfiniteAquifer:
        return ResponseInfo::infinite(plain(r.factor));
    case ResponseMethod::AlluvialAquifer:
        out.method = ResponseInfo::Method::Alluvial;
        out.aOverW = plain(r.parameter);
        break;
    case ResponseMethod::StreambedResistance:
        out.method = ResponseInfo::Method::Hunt;
        out.lambda = plain(r.parameter);
        break;
    case ResponseMethod::ResponseTable: {
        out.method = ResponseInfo::Method::Table;
        if (r.table < 0 || static_cast<std::size_t>(r.table) >= tables.size()) break;
        const engine::SectionTable &t = tables[static_cast<std::size_t>(r.table)];
        out.table = decodeReportText(t.name);
        out.tableMonths = static_cast<int>(t.shares.size());
        out.after = t.afterOne ? "one" : "hold";
        if (!t.afterOne) {
            double sum = 0.0;
            for (engine::Real s : t.shares)
                sum += static_cast<double>(s);
            // Six significant digits, as the list prints the share.
            char buf[32];
            const auto w = std::to_chars(buf, buf + sizeof buf, sum, std::chars_format::general, 6);
            double held = sum;
            std::from_chars(buf, w.ptr, held);
            out.heldAt = held;
        }
        break;
    }
    }
    if (r.method != ResponseMethod::ResponseTable) out.sdf = plain(r.factor);
    out.description = decodeReportText(withReportKeywords(engine::report::responseDescription(r, tables)));
    return out;
}

// The name as the report prints it: its first 60 bytes, decoded.
std::string reportName(const std::string &name) {
    const std::string_view field = std::string_view(name).substr(0, kReportLocationNameWidth);
    return decodeReportText(trim(field),
                            field.size() >= static_cast<std::size_t>(kReportLocationNameWidth) && field.back() != ' ');
}

} // namespace

void fillRunEntries(OutputResults &r, const engine::RunTables &run, std::vector<std::string> *types) {
    using engine::ReportLayout;
    const engine::RunParameters &p = run.parameters;
    r.yearType = IrrigationYear;
    r.firstPrintYear = p.outputStartYear;
    r.lastPrintYear = p.outputEndYear;
    r.setSynthesizedYears(p.inputEndYear, engine::headingSynthesizedYears(p));
    r.synthesisText = std::string(trim(engine::report::synthesisLine(p)));
    r.conversionText = std::string(trim(engine::report::conversionLine(p)));
    r.headingRead = true;
    for (const engine::ReportedResponse &m : run.responses)
        r.reportedMethods.push_back(
            {static_cast<int>(m.location), reportName(m.name), responseInfo(m.response, run.responseTables)});
    if (engine::layoutFor(p.outputFormat) == ReportLayout::Untitled) return; // the report holds no titled table
    r.units = std::string(trim(engine::report::unitsLine()));
    r.monthHeader = std::string(trim(engine::report::tableHeader()));

    for (const engine::RunTables::Location &l : run.locations) {
        LocationResult loc;
        loc.name = reportName(l.name);
        loc.depletionFactor = l.factor;
        loc.siteType = l.locationType == 1 ? "RECHARGE" : "PUMPING";
        loc.response = responseInfo(l.response, run.responseTables);
        r.locations.push_back(std::move(loc));
        if (types) types->emplace_back(l.locationType == 1 ? "Recharge site" : "Irrig. well");
    }
    // The summaries: recharge sites, wells, all locations.
    for (int e = 0; e < 3; ++e) {
        const SummaryEntry &s = kSummaryEntries[e];
        LocationResult loc;
        loc.name = s.name;
        loc.kind = s.kind;
        r.locations.push_back(std::move(loc));
        if (types) types->emplace_back("summary");
    }
    // Each reach's net impact, as the report prints it after the response methods.
    for (const engine::ReachTotals &reach : run.reaches.reaches) {
        LocationResult loc;
        loc.name = reportName(reach.name);
        loc.kind = LocationResult::Kind::Reach;
        r.locations.push_back(std::move(loc));
        if (types) types->emplace_back("reach");
    }
}

void fillRunEntryTables(OutputResults &r, const engine::RunTables &run, std::size_t i) {
    LocationResult &loc = r.locations.at(i);
    loc.rows.assign(static_cast<std::size_t>(run.counts.runYears + 1), YearRow());
    if (i < run.locations.size()) {
        fillTable(loc, run.locations[i].diversion.data(), run.counts.runYears, false);
        fillTable(loc, run.locations[i].effect.data(), run.counts.runYears, true);
        return;
    }
    const std::size_t summary = i - run.locations.size();
    if (summary >= 3) {
        fillTable(loc, run.reaches.reaches.at(summary - 3).effect.data(), run.counts.runYears, true);
        return;
    }
    // The summaries, from the engine's summary columns.
    static const int kColumns[3] = {1, 3, 4};
    const int column = kColumns[summary];
    if (loc.hasDiversion()) fillTable(loc, run.summaries.diversion(column), run.counts.runYears, false);
    fillTable(loc, run.summaries.effect(column), run.counts.runYears, true);
}

void fillRunResults(OutputResults &r, const engine::RunTables &run, std::vector<std::string> *types) {
    fillRunEntries(r, run, types);
    for (std::size_t i = 0; i < r.locations.size(); ++i)
        fillRunEntryTables(r, run, i);
}

} // namespace vek
