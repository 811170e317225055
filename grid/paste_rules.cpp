// The rules of pasting a block of text into a table (see paste_rules.h).
#include "grid/paste_rules.h"

#include <QRegularExpression>

namespace vek {

std::vector<QStringList> pasteFields(const QString &text) {
    std::vector<QStringList> out;
    if (text.isEmpty()) return out;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.last().trimmed().isEmpty()) lines.removeLast();
    static const QRegularExpression separators(QStringLiteral("[\t,]"));
    for (const QString &line : lines) {
        QStringList fields = line.split(separators);
        for (QString &f : fields)
            f = f.trimmed();
        out.push_back(fields);
    }
    return out;
}

PastePlan planPaste(const QString &text, const std::vector<int> &rows, const std::vector<int> &cols) {
    PastePlan plan;
    const std::vector<QStringList> lines = pasteFields(text);
    const auto filled = [](const QStringList &fields, qsizetype from) {
        int n = 0;
        for (qsizetype k = from; k < fields.size(); ++k)
            n += fields[k].isEmpty() ? 0 : 1;
        return n;
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QStringList &fields = lines[i];
        if (i >= rows.size()) {
            plan.clipped += filled(fields, 0);
            continue;
        }
        for (qsizetype j = 0; j < fields.size(); ++j) {
            if (static_cast<std::size_t>(j) >= cols.size()) {
                plan.clipped += filled(fields, j);
                break;
            }
            plan.cells.push_back({rows[i], cols[static_cast<std::size_t>(j)], fields[j]});
        }
    }
    return plan;
}

} // namespace vek
