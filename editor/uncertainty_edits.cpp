// Uncertainty range changes of a model input document (see uncertainty_edits.h).
#include "editor/uncertainty_edits.h"

#include "editor/factor_calculator.h"
#include "editor/vekview_doc.h"
#include "engine/ranges_section.h"

#include <charconv>
#include <utility>
#include <vector>

namespace vek {

namespace {

using engine::Distribution;

// The shortest text that reads back as the same double.
QString number(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
}

// The field name the value has for a distribution.
const char *valueField(Distribution d) {
    switch (d) {
    case Distribution::Fixed:
        return "value";
    case Distribution::Triangular:
        return "mode";
    case Distribution::Normal:
        return "mean";
    case Distribution::LogNormal:
        return "median";
    default:
        return nullptr;
    }
}

bool hasSpread(Distribution d) { return d == Distribution::Normal || d == Distribution::LogNormal; }

QString applyRanges(CVEKViewDoc &doc, const engine::Ranges &ranges, const char *stepName) {
    for (const engine::ParameterRange &e : ranges.entries)
        if (e.location < 0 || e.location > static_cast<long long>(doc.model().locations.size()))
            return QStringLiteral("Location %1 does not exist.").arg(e.location);
    const auto step = doc.step(QString::fromLatin1(stepName));
    doc.model().setAllRanges(ranges);
    doc.setModified(true);
    return {};
}

bool sameSlot(const engine::ParameterRange &a, const engine::ParameterRange &b) {
    return a.location == b.location && a.quantity == b.quantity;
}

QString duplicateProblem(const CVEKViewDoc &doc, const engine::ParameterRange &r) {
    return QStringLiteral("%1 already has a range of %2.")
        .arg(rangeLocationText(doc, r.location), QString::fromLatin1(engine::quantityName(r.quantity)));
}

} // namespace

RangeTexts rangeTexts(const engine::Range &r) {
    RangeTexts t;
    if (valueField(r.distribution)) t.value = number(r.value);
    if (hasSpread(r.distribution)) t.spread = number(r.spread);
    if (r.distribution != Distribution::Fixed) {
        t.low = number(r.low);
        t.high = number(r.high);
    }
    return t;
}

QString rangeFromTexts(Distribution d, const RangeTexts &texts, engine::Range &out) {
    std::vector<std::pair<std::string, double>> fields;
    auto take = [&](const char *name, const QString &text) -> QString {
        if (text.trimmed().isEmpty()) return QStringLiteral("The %1 is missing.").arg(QString::fromLatin1(name));
        const std::optional<double> v = typedNumber(text);
        if (!v) return QStringLiteral("The %1 \"%2\" is not a number.").arg(QString::fromLatin1(name), text.trimmed());
        fields.emplace_back(name, *v);
        return {};
    };
    QString problem;
    if (const char *name = valueField(d)) problem = take(name, texts.value);
    if (problem.isEmpty() && hasSpread(d)) problem = take("sd", texts.spread);
    if (problem.isEmpty() && d != Distribution::Fixed) problem = take("low", texts.low);
    if (problem.isEmpty() && d != Distribution::Fixed) problem = take("high", texts.high);
    if (!problem.isEmpty()) return problem;
    return QString::fromStdString(engine::rangeFromFields(d, fields, out));
}

QString rangeLocationText(const CVEKViewDoc &doc, long long location) {
    if (location == 0) return QStringLiteral("All locations");
    const auto &locations = doc.model().locations;
    if (location < 0 || location > static_cast<long long>(locations.size())) return QString::number(location);
    return QString::number(location) + QLatin1Char(' ') +
           QString::fromStdString(locations[static_cast<std::size_t>(location - 1)].name);
}

QString addUncertaintyRange(CVEKViewDoc &doc, const engine::ParameterRange &range) {
    engine::Ranges all = doc.model().allRanges();
    for (const engine::ParameterRange &e : all.entries)
        if (sameSlot(e, range)) return duplicateProblem(doc, range);
    all.entries.push_back(range);
    return applyRanges(doc, all, "Add Uncertainty Range");
}

QString changeUncertaintyRange(CVEKViewDoc &doc, int row, const engine::ParameterRange &range) {
    engine::Ranges all = doc.model().allRanges();
    if (row < 0 || row >= static_cast<int>(all.entries.size())) return QStringLiteral("No range is chosen.");
    for (int i = 0; i < static_cast<int>(all.entries.size()); ++i)
        if (i != row && sameSlot(all.entries[static_cast<std::size_t>(i)], range)) return duplicateProblem(doc, range);
    if (all.entries[static_cast<std::size_t>(row)] == range) return {};
    all.entries[static_cast<std::size_t>(row)] = range;
    return applyRanges(doc, all, "Change Uncertainty Range");
}

QString deleteUncertaintyRange(CVEKViewDoc &doc, int row) {
    engine::Ranges all = doc.model().allRanges();
    if (row < 0 || row >= static_cast<int>(all.entries.size())) return QStringLiteral("No range is chosen.");
    all.entries.erase(all.entries.begin() + row);
    return applyRanges(doc, all, "Delete Uncertainty Range");
}

} // namespace vek
