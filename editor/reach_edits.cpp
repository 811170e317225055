// Stream-reach changes of a model input document (see reach_edits.h).
#include "editor/reach_edits.h"

#include "common/numbers.h"
#include "editor/vekview_doc.h"
#include "model/value_limits.h"

namespace vek {

namespace {

void changed(CVEKViewDoc &doc) {
    doc.setModified(true);
    doc.updateAllViews(ViewHint::LocationCells);
}

QString number(double v) { return QString::fromStdString(formatG(v)); }

bool validReach(const CVEKViewDoc &doc, int reach) {
    return reach >= 0 && reach < static_cast<int>(doc.model().network.reaches.size());
}

bool validLocation(const CVEKViewDoc &doc, int location) {
    return location >= 0 && location < static_cast<int>(doc.model().locations.size());
}

QString nameProblem(const ModelInput &m, const QString &typed, int except) {
    const QString name = typed.simplified();
    if (name.isEmpty()) return QStringLiteral("A reach needs a name.");
    if (const std::string p = labelProblem(name.toStdString(), "A reach name"); !p.empty())
        return QString::fromStdString(p + ".");
    const int other = findReach(m, name.toStdString());
    if (other >= 0 && other != except) return QStringLiteral("There is already a reach \"%1\".").arg(name);
    return {};
}

} // namespace

QString ruleText(const ApportionRule &rule, LengthUnit unit) {
    static const char *const kNames[] = {"Nearest reach", "Inverse distance", "Web", "Thiessen polygons",
                                         "Typed shares"};
    QString s = QString::fromLatin1(kNames[static_cast<int>(rule.method)]);
    if ((rule.method == Apportionment::Inverse || rule.method == Apportionment::Web) && rule.power == 2)
        s += QStringLiteral(" squared");
    const QString u = unit == LengthUnit::Metres ? QStringLiteral(" m") : QStringLiteral(" ft");
    if (rule.method != Apportionment::Shares) {
        if (rule.maxDistance > 0.0) s += QStringLiteral(", max ") + number(rule.maxDistance) + u;
        if (rule.minFraction > 0.0) s += QStringLiteral(", min ") + number(rule.minFraction);
    }
    if (rule.method == Apportionment::Polygon && rule.spacing > 0.0)
        s += QStringLiteral(", points ") + number(rule.spacing) + u + QStringLiteral(" apart");
    return s;
}

QString sharesText(const ModelInput &model, const Location &location) {
    QStringList parts;
    for (const ReachShare &s : location.onMap.shares)
        parts << QString::fromStdString(model.network.reaches[static_cast<std::size_t>(s.reach)].name) +
                     QLatin1Char(' ') + QString::number(s.fraction, 'f', 3);
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", "));
}

bool setModelApportionment(CVEKViewDoc &doc, const ApportionRule &rule) {
    if (doc.model().network.rule == rule) return false;
    const auto step = doc.step(QStringLiteral("Change Apportionment"));
    doc.model().network.rule = rule;
    changed(doc);
    return true;
}

bool setReachDepletion(CVEKViewDoc &doc, ReachDepletion depletion) {
    if (doc.model().network.depletion == depletion) return false;
    const auto step = doc.step(QStringLiteral("Change Reach Depletion"));
    doc.model().network.depletion = depletion;
    changed(doc);
    return true;
}

QString addNamedReach(CVEKViewDoc &doc, const QString &name) {
    if (QString p = nameProblem(doc.model(), name, -1); !p.isEmpty()) return p;
    const auto step = doc.step(QStringLiteral("Add Reach"));
    addReach(doc.model(), {name.simplified().toStdString(), {}});
    changed(doc);
    return {};
}

QString renameReachAt(CVEKViewDoc &doc, int reach, const QString &name) {
    if (!validReach(doc, reach)) return QStringLiteral("There is no such reach.");
    if (QString p = nameProblem(doc.model(), name, reach); !p.isEmpty()) return p;
    const std::string clean = name.simplified().toStdString();
    if (doc.model().network.reaches[static_cast<std::size_t>(reach)].name == clean) return {};
    const auto step = doc.step(QStringLiteral("Rename Reach"));
    renameReach(doc.model(), reach, clean);
    changed(doc);
    return {};
}

bool deleteReachAt(CVEKViewDoc &doc, int reach) {
    if (!validReach(doc, reach)) return false;
    const auto step = doc.step(QStringLiteral("Delete Reach"));
    removeReach(doc.model(), reach);
    changed(doc);
    return true;
}

bool setLocationApportionment(CVEKViewDoc &doc, int location, const std::optional<ApportionRule> &rule,
                              const std::vector<ReachShare> &typed) {
    if (!validLocation(doc, location)) return false;
    LocationMap &m = doc.model().locations[static_cast<std::size_t>(location)].onMap;
    const std::vector<ReachShare> kept =
        rule && rule->method == Apportionment::Shares ? typed : std::vector<ReachShare>{};
    if (m.rule == rule && m.typed == kept) return false;
    const auto step = doc.step(QStringLiteral("Change Location Apportionment"));
    m.rule = rule;
    m.typed = kept;
    changed(doc);
    return true;
}

bool setFactorFromMap(CVEKViewDoc &doc, int location, bool on) {
    if (!validLocation(doc, location)) return false;
    LocationMap &m = doc.model().locations[static_cast<std::size_t>(location)].onMap;
    if (m.factorFromMap == on) return false;
    const auto step = doc.step(QStringLiteral("Factor From Map"));
    m.factorFromMap = on;
    changed(doc);
    return true;
}

OperationResult importMapInto(CVEKViewDoc &doc, const geo::MapImportOptions &options, geo::MapImportCounts *counts) {
    const auto step = doc.step(QStringLiteral("Import Map"));
    const OperationResult r = geo::importMap(doc.model(), options, counts);
    if (r.changed) {
        doc.setModified(true);
        doc.updateAllViews(ViewHint::EverythingButMonthHeaders);
    }
    return r;
}

} // namespace vek
