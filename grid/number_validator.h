// NumberValidator: what a cell that takes numbers accepts, in every locale.
// A whole number is read by the locale-free scanner of common/numbers.h
// (optional sign, digits with an optional decimal mark, optional exponent,
// blanks around it); a decimal comma stands for the point, so "3,5" is 3.5
// in a German desktop and an English one alike. A number beyond single
// precision ("1e39") is none: the model could not store it.
#pragma once

#include <QString>
#include <QValidator>

namespace vek {

class NumberValidator : public QValidator {
    Q_OBJECT
  public:
    using QValidator::QValidator;

    // Acceptable: a whole number. Intermediate: text a number may still grow
    // from as it is typed ("", "-", "1e", "2.") or one too large to keep.
    // Invalid: anything else (a letter, a second sign).
    State validate(QString &input, int &pos) const override;

    // A whole number as above.
    static bool isNumberText(const QString &text);
    // Text typing may still turn into a number.
    static bool mayBecomeNumber(const QString &text);
    // A number's text as the model reads it: trimmed, the decimal comma made
    // a point.
    static QString numberWithPoint(const QString &text);
};

} // namespace vek
