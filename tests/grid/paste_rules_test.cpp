// The rules that lay a spreadsheet's clipboard text into a table, apart from
// any widget: how the text splits into fields and where each field lands.
#include "grid/paste_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vek;

namespace {

// "row,col=text" for each cell of a plan, for compact comparisons.
std::vector<std::string> cells(const PastePlan &plan) {
    std::vector<std::string> out;
    for (const PasteCell &c : plan.cells)
        out.push_back(std::to_string(c.row) + "," + std::to_string(c.col) + "=" + c.text.toStdString());
    return out;
}

} // namespace

TEST(PasteFields, SplitAtLineFeedsTabsAndCommasAndTrimEachField) {
    struct Row {
        const char *text;
        std::vector<std::vector<std::string>> fields;
    } rows[] = {
        {"1, 2\t3", {{"1", "2", "3"}}},                 // a comma and a tab in one line
        {"a\tb\r\nc\td\r\n", {{"a", "b"}, {"c", "d"}}}, // Windows line ends; the last empty line is no row
        {"x\n\ny", {{"x"}, {""}, {"y"}}},               // an empty line between rows is a row
        {"\t\n", {{"", ""}}},                           // empty fields stay (they blank their cells)
        {"", {}},
    };
    for (const Row &r : rows) {
        std::vector<std::vector<std::string>> got;
        for (const QStringList &line : pasteFields(QString::fromLatin1(r.text))) {
            got.emplace_back();
            for (const QString &f : line)
                got.back().push_back(f.toStdString());
        }
        EXPECT_EQ(got, r.fields) << r.text;
    }
}

TEST(PastePlan, FieldsGoToTheShownRowsAndColumnsFromTheTarget) {
    // Rows 3 and 5 shown from the target (4 hidden), columns 1, 2 and 4.
    const PastePlan plan = planPaste("a\tb\tc\nd\te", {3, 5}, {1, 2, 4});
    EXPECT_EQ(cells(plan), (std::vector<std::string>{"3,1=a", "3,2=b", "3,4=c", "5,1=d", "5,2=e"}));
    EXPECT_EQ(plan.clipped, 0);
}

TEST(PastePlan, FieldsBeyondTheTableAreCountedUnlessEmpty) {
    struct Row {
        const char *text;
        int rows, cols, clipped, placed;
    } rows[] = {
        {"1\t2\t3", 1, 2, 1, 2},      // one column too many
        {"1\t2\t\t", 1, 2, 0, 2},     // only empty fields beyond: nothing lost
        {"1\n2\n3,4", 1, 1, 3, 1},    // two lines too many, one of them with two fields
        {"1\t2\n3\t4", 2, 2, 0, 4},   // fits exactly
        {"1\t2\n3\t4\n", 2, 2, 0, 4}, // and with the spreadsheet's last line feed
        {"1\t2\n3\t4\n5", 2, 2, 1, 4},
    };
    for (const Row &r : rows) {
        std::vector<int> rs, cs;
        for (int i = 0; i < r.rows; ++i)
            rs.push_back(i);
        for (int i = 0; i < r.cols; ++i)
            cs.push_back(i);
        const PastePlan plan = planPaste(QString::fromLatin1(r.text), rs, cs);
        EXPECT_EQ(plan.clipped, r.clipped) << r.text;
        EXPECT_EQ(static_cast<int>(plan.cells.size()), r.placed) << r.text;
    }
}
