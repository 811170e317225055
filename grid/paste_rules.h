// Where pasted text goes: the rules a spreadsheet's clipboard text is laid
// into a table by, apart from any widget so that they can be tested alone.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace vek {

// The clipboard's text as lines of fields: lines split at line feeds, a last
// empty line dropped (text copied from a spreadsheet ends with a line feed,
// and that empty line is no row of data), fields split at tabs or commas and
// trimmed of white space (a carriage return included).
std::vector<QStringList> pasteFields(const QString &text);

struct PasteCell {
    int row;
    int col;
    QString text;
};

struct PastePlan {
    std::vector<PasteCell> cells;
    // Fields with text that fell beyond the last row or column (empty ones
    // lose nothing and are not counted).
    int clipped = 0;
};

// Lays the fields out from the target on: field j of line i goes to the
// i-th of `rows` and the j-th of `cols`, which list the shown rows and
// columns from the target onwards (hidden ones take no field).
PastePlan planPaste(const QString &text, const std::vector<int> &rows, const std::vector<int> &cols);

} // namespace vek
