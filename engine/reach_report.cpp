// The reach tables and the list of shares after the response methods. Lines
// end in CR LF like the rest of the report.
#include "engine/reach_report.h"

#include <algorithm>
#include <charconv>

#include "engine/fixed_fields.h"
#include "engine/report_writer.h"
#include "engine/response_report.h"

namespace vek::engine {

void addReachShares(ReachResults &reaches, const std::vector<LocationShare> &shares, const Real *effect,
                    const Real *byDistance, int months, int first, int last) {
    const std::size_t stride = static_cast<std::size_t>(months) + 1;
    for (std::size_t k = 0; k < shares.size(); ++k) {
        const LocationShare &share = shares[k];
        const Real *from = reaches.depletion == ReachDepletion::ByDistance ? byDistance + k * stride : effect;
        Real *sum = reaches.reaches[share.reach].effect.data();
        for (int i = first; i <= last; ++i) {
            const Real part = from[i] * share.fraction;
            sum[i] = sum[i] + part;
        }
    }
}

MonthRange monthsOfPart(std::size_t part, std::size_t parts, int months) {
    const auto m = static_cast<std::size_t>(months);
    return {1 + static_cast<int>(part * m / parts), static_cast<int>((part + 1) * m / parts)};
}

std::size_t reachSumParts(int months, unsigned threads) {
    const std::size_t byYears = static_cast<std::size_t>(std::max(1, months / 12));
    return std::min<std::size_t>(byYears, 4 * static_cast<std::size_t>(std::max(1u, threads)));
}

namespace {

// A batch holds this many locations at most, and its volumes by reach
// distance about 16 MB.
constexpr std::size_t kBatchLocations = 64;
constexpr std::size_t kBatchValues = std::size_t{1} << 22;

} // namespace

ReachBatch::ReachBatch(ReachResults &reaches, int months, unsigned threads)
    : reaches_(reaches), months_(months), parts_(reachSumParts(months, threads)), kept_(kBatchLocations) {}

bool ReachBatch::keep(const std::vector<LocationShare> &shares, const Real *effect, std::vector<Real> &byDistance) {
    Kept &k = kept_[count_++];
    k.shares = shares;
    k.effect.assign(effect, effect + months_ + 1);
    if (reaches_.depletion == ReachDepletion::ByDistance) {
        k.byDistance.swap(byDistance);
        values_ += k.byDistance.size();
    }
    return count_ == kept_.size() || values_ >= kBatchValues;
}

void ReachBatch::addPart(std::size_t part) const noexcept {
    const MonthRange r = monthsOfPart(part, parts_, months_);
    for (std::size_t i = 0; i < count_; ++i)
        addReachShares(reaches_, kept_[i].shares, kept_[i].effect.data(), kept_[i].byDistance.data(), months_, r.first,
                       r.last);
}

void ReachBatch::clear() {
    count_ = 0;
    values_ = 0;
}

namespace report {

namespace {

void line(std::string &out, std::string_view text) {
    out.append(text);
    out.append(kEol);
}

// Right-justified in `width` columns: the value with `decimals` decimals,
// or "-" when it is not known.
void appendFixed(std::string &out, double value, int decimals, std::size_t width, bool known) {
    char buf[64];
    std::size_t n = 1;
    buf[0] = '-';
    if (known) {
        const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
        n = r.ec == std::errc() ? static_cast<std::size_t>(r.ptr - buf) : 1;
    }
    if (n < width) out.append(width - n, ' ');
    out.append(buf, n);
}

std::string depletionLine(ReachDepletion d) {
    return d == ReachDepletion::ByDistance
               ? " EACH REACH'S DEPLETION COMPUTED WITH ITS OWN DISTANCE (FACTOR D*D*S/T), TIMES ITS FRACTION"
               : " EACH LOCATION'S DEPLETION APPORTIONED AMONG THE REACHES BY ITS FRACTIONS";
}

} // namespace

std::string reachTitle(const std::string &name) {
    std::string cut;
    appendText(cut, name, 60);
    while (!cut.empty() && cut.back() == ' ')
        cut.pop_back();
    return "NET IMPACT UPON REACH " + withoutReportKeywords(cut);
}

void appendReaches(std::string &out, const ReachResults &reaches, const RunParameters &p, const RunCounts &c) {
    if (!reaches.present() || layoutFor(p.outputFormat) == ReportLayout::Untitled) return;
    for (const ReachTotals &r : reaches.reaches) {
        line(out, " ");
        line(out, "");
        line(out, reachTitle(r.name));
        line(out, " Depletions + Accretions");
        line(out, unitsLine());
        line(out, " ");
        appendTable(out, r.effect.data(), c.runYears, p.outputStartYear, true);
    }
    line(out, " ");
    line(out, "SHARES OF THE LOCATIONS AMONG THE STREAM REACHES");
    line(out, depletionLine(reaches.depletion));
    line(out, " ");
    std::string head = "  NO.  NAME";
    head.append(58, ' ');
    head += "REACH";
    head.append(35, ' ');
    head += reaches.metres ? "  FRACTION  DISTANCE (M)  FACTOR (DAYS)  METHOD"
                           : "  FRACTION DISTANCE (FT)  FACTOR (DAYS)  METHOD";
    line(out, head);
    for (const ReportedShare &s : reaches.shares) {
        std::string l;
        appendInt(l, s.location, 5);
        l += "  ";
        std::string name;
        appendText(name, s.name, 60);
        l += withoutReportKeywords(name);
        l += "  ";
        std::string reach;
        const auto index = static_cast<std::size_t>(s.reach - 1);
        appendText(reach, index < reaches.reaches.size() ? reaches.reaches[index].name : std::string(), 40);
        l += withoutReportKeywords(reach);
        appendFixed(l, s.fraction, 6, 10, true);
        appendFixed(l, s.distance, 1, 14, s.distance >= 0.0);
        appendFixed(l, static_cast<double>(s.factor), 1, 15, s.hasFactor);
        l += "  ";
        l += s.method;
        line(out, l);
    }
}

} // namespace report

} // namespace vek::engine
