// Response method and table changes of a model input document (see
// response_edits.h).
#include "editor/response_edits.h"

#include "editor/vekview_doc.h"
#include "model/response_settings.h"

#include "common/numbers.h"

#include <algorithm>

namespace vek {

namespace {

// The step's end: the document is modified, the method column refilled.
void changed(CVEKViewDoc &doc) {
    doc.setModified(true);
    doc.updateAllViews(ViewHint::LocationCells);
}

UnitResponseTable *tableNamed(ModelInput &m, const std::string &name) {
    for (auto &t : m.responseTables)
        if (t.name == name) return &t;
    return nullptr;
}

} // namespace

QString responseMethodName(ResponseMethod method) {
    switch (method) {
    case ResponseMethod::AlluvialAquifer:
        return QStringLiteral("Alluvial aquifer (Glover)");
    case ResponseMethod::StreambedResistance:
        return QStringLiteral("Streambed resistance (Hunt 1999)");
    case ResponseMethod::ResponseTable:
        return QStringLiteral("Unit response table");
    case ResponseMethod::InfiniteAquifer:
        break;
    }
    return QStringLiteral("Infinite aquifer");
}

QString responseMethodCell(const ModelInput &model, const Location &location) {
    const ResponseSettings &r = location.response;
    auto number = [](float v) { return QString::fromStdString(formatG(static_cast<double>(v))); };
    switch (r.method) {
    case ResponseMethod::AlluvialAquifer:
        return QStringLiteral("Alluvial, a/W ") + number(r.aOverW);
    case ResponseMethod::StreambedResistance:
        return QStringLiteral("Streambed, \u03bb\u2032 ") + number(r.lambda);
    case ResponseMethod::ResponseTable:
        return QStringLiteral("Table: ") + QString::fromStdString(r.table) +
               (findResponseTable(model, r.table) ? QString() : QStringLiteral(" (missing)"));
    case ResponseMethod::InfiniteAquifer:
        break;
    }
    return QStringLiteral("Infinite aquifer");
}

std::string cleanTableName(const QString &typed) {
    QString s = typed;
    for (QChar &c : s)
        if (c.category() == QChar::Other_Control) c = QLatin1Char(' ');
    return s.trimmed().toStdString();
}

std::string freeTableName(const ModelInput &model, const std::string &base) {
    if (!findResponseTable(model, base)) return base;
    for (int n = 2;; ++n) {
        std::string name = base + " (" + std::to_string(n) + ")";
        if (!findResponseTable(model, name)) return name;
    }
}

bool setLocationResponse(CVEKViewDoc &doc, int location, const ResponseSettings &settings, float factor) {
    ModelInput &m = doc.model();
    if (location < 0 || location >= static_cast<int>(m.locations.size())) return false;
    const ResponseSettings r = ownParameters(settings);
    Location &loc = m.locations[static_cast<std::size_t>(location)];
    if (loc.response == r && loc.VEK == factor) return false;
    auto step = doc.step(QStringLiteral("Change Response Method"));
    loc.response = r;
    doc.document().setLocationFactor(location, factor);
    changed(doc);
    return true;
}

std::string addResponseTable(CVEKViewDoc &doc) {
    auto step = doc.step(QStringLiteral("Add Response Table"));
    UnitResponseTable t;
    t.name = freeTableName(doc.model(), "New table");
    t.shares.assign(12, 0.0f);
    putResponseTable(doc.model(), t);
    changed(doc);
    return t.name;
}

QString renameResponseTable(CVEKViewDoc &doc, const std::string &from, const QString &typed) {
    ModelInput &m = doc.model();
    const std::string to = cleanTableName(typed);
    if (!findResponseTable(m, from)) return QStringLiteral("There is no response table \"%1\".").arg(from.c_str());
    if (to.empty()) return QStringLiteral("A response table needs a name.");
    if (to == from) return {};
    if (findResponseTable(m, to))
        return QStringLiteral("There is already a response table \"%1\".").arg(QString::fromStdString(to));
    auto step = doc.step(QStringLiteral("Rename Response Table"));
    renameResponseTable(m, from, to);
    changed(doc);
    return {};
}

bool deleteResponseTable(CVEKViewDoc &doc, const std::string &name) {
    ModelInput &m = doc.model();
    if (!findResponseTable(m, name)) return false;
    auto step = doc.step(QStringLiteral("Delete Response Table"));
    resetTableUsers(m, name);
    removeResponseTable(m, name);
    changed(doc);
    return true;
}

bool importResponseTables(CVEKViewDoc &doc, const std::vector<UnitResponseTable> &tables) {
    if (tables.empty()) return false;
    auto step = doc.step(QStringLiteral("Import Response Tables"));
    for (const auto &t : tables)
        putResponseTable(doc.model(), t);
    changed(doc);
    return true;
}

bool setResponseTableShares(CVEKViewDoc &doc, const std::string &name, const std::vector<float> &shares) {
    UnitResponseTable *t = tableNamed(doc.model(), name);
    if (!t || t->shares == shares) return false;
    auto step = doc.step(QStringLiteral("Edit Response Table"));
    t->shares = shares;
    changed(doc);
    return true;
}

bool setResponseTableAfterOne(CVEKViewDoc &doc, const std::string &name, bool afterOne) {
    UnitResponseTable *t = tableNamed(doc.model(), name);
    if (!t || t->afterTableOne == afterOne) return false;
    auto step = doc.step(QStringLiteral("Edit Response Table"));
    t->afterTableOne = afterOne;
    changed(doc);
    return true;
}

} // namespace vek
