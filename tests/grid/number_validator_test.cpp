// What a cell that takes numbers accepts as the user types, and what it
// stores: whole locale-free numbers, a decimal comma as the point, nothing
// beyond single precision.
#include "grid/number_validator.h"

#include <gtest/gtest.h>

using namespace vek;

TEST(NumberValidator, WholeNumbersAcceptablePrefixesIntermediateOthersInvalid) {
    struct Row {
        const char *text;
        QValidator::State state;
    } rows[] = {
        {"12", QValidator::Acceptable},     {"-0.5", QValidator::Acceptable},      {"+.5", QValidator::Acceptable},
        {"1e-3", QValidator::Acceptable},   {" 3,5 ", QValidator::Acceptable},     {"3.4e38", QValidator::Acceptable},
        {"1.", QValidator::Acceptable},     {"", QValidator::Intermediate},        {"-", QValidator::Intermediate},
        {"1e", QValidator::Intermediate},   {"1e+", QValidator::Intermediate},     {",", QValidator::Intermediate},
        {"1e39", QValidator::Intermediate}, {"-3.5e38", QValidator::Intermediate}, {"a", QValidator::Invalid},
        {"1-", QValidator::Invalid},        {"1.2.3", QValidator::Invalid},        {"nan", QValidator::Invalid},
        {"inf", QValidator::Invalid},       {"12days", QValidator::Invalid},       {"0x10", QValidator::Invalid},
        {"1e5e5", QValidator::Invalid},
    };
    NumberValidator v;
    for (const Row &r : rows) {
        QString text = QString::fromLatin1(r.text);
        int pos = static_cast<int>(text.size());
        EXPECT_EQ(v.validate(text, pos), r.state) << '"' << r.text << '"';
        EXPECT_EQ(NumberValidator::isNumberText(text), r.state == QValidator::Acceptable) << '"' << r.text << '"';
    }
}

TEST(NumberValidator, NumberTextIsStoredWithAPoint) {
    EXPECT_EQ(NumberValidator::numberWithPoint(" 3,5 "), "3.5");
    EXPECT_EQ(NumberValidator::numberWithPoint("-1e3"), "-1e3");
}
