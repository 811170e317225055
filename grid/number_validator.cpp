// Numbers typed into table cells (see number_validator.h).
#include "grid/number_validator.h"

#include "common/numbers.h"

#include <QRegularExpression>

namespace vek {

namespace {
// The shape of a number being typed: every prefix of a number matches it.
const QRegularExpression &partialNumber() {
    static const QRegularExpression re(
        QRegularExpression::anchoredPattern(QStringLiteral("\\s*[+-]?\\d*[.,]?\\d*([eE][+-]?\\d*)?\\s*")));
    return re;
}
} // namespace

QString NumberValidator::numberWithPoint(const QString &text) {
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    return t;
}

bool NumberValidator::isNumberText(const QString &text) {
    const QString t = numberWithPoint(text);
    // Only the characters a number is written with: the scanner would take
    // "inf" or "nan" as words for values the model cannot hold anyway.
    if (t.isEmpty() || !partialNumber().match(t).hasMatch()) return false;
    const std::string s = t.toStdString();
    std::size_t pos = 0;
    float v = 0.0f;
    return scanReal(s, pos, v) && pos == s.size();
}

bool NumberValidator::mayBecomeNumber(const QString &text) { return partialNumber().match(text).hasMatch(); }

QValidator::State NumberValidator::validate(QString &input, int &) const {
    if (isNumberText(input)) return Acceptable;
    return mayBecomeNumber(input) ? Intermediate : Invalid;
}

} // namespace vek
