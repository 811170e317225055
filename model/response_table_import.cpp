// Response table import.
#include "model/response_table_import.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/ascii_case.h"
#include "common/numbers.h"
#include "common/utf8_path.h"

namespace vek {

namespace {

// The fields of one line: quoted fields may hold the separator and doubled
// quotes; every field trimmed of blanks.
std::vector<std::string> splitFields(std::string_view line, char separator) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            fields.emplace_back(trim(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.emplace_back(trim(field));
    return fields;
}

bool wholeNumber(const std::string &field, float &value) {
    std::size_t pos = 0;
    return !field.empty() && scanReal(field, pos, value) && trim(std::string_view(field).substr(pos)).empty();
}

std::string at(std::size_t line, std::size_t column) {
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
}

// The lines that count (neither blank nor a # comment), with their
// numbers, after any byte-order mark.
std::vector<std::pair<std::size_t, std::string_view>> linesThatCount(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::pair<std::size_t, std::string_view>> lines;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string_view t = trim(line);
        if (t.empty() || t.front() == '#') continue;
        lines.emplace_back(number, line);
    }
    return lines;
}

// The separator of the fields: the first line's tab, comma or semicolon.
char fieldSeparator(std::string_view first) {
    return first.find('\t') != std::string_view::npos  ? '\t'
           : first.find(',') != std::string_view::npos ? ','
           : first.find(';') != std::string_view::npos ? ';'
                                                       : '\t';
}

// Whether the first column holds the months: headed "month", or without a
// header numbered 1, 2, 3 ... beside other columns.
bool monthsFirst(const std::vector<std::vector<std::string>> &rows, bool header, std::size_t columns) {
    if (header) {
        const std::string h = asciiLowered(rows.front()[0]);
        return h == "month" || h == "months";
    }
    if (columns <= 1) return false;
    float value = 0.0f;
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (!wholeNumber(rows[r][0], value) || value != static_cast<float>(r + 1)) return false;
    return true;
}

} // namespace

ResponseTableImport parseResponseTables(std::string_view text, const std::string &defaultName) {
    ResponseTableImport result;
    const std::vector<std::pair<std::size_t, std::string_view>> lines = linesThatCount(text);
    if (lines.empty()) {
        result.error = "the file holds no shares";
        return result;
    }
    const char separator = fieldSeparator(lines.front().second);
    std::vector<std::vector<std::string>> rows;
    for (const auto &l : lines)
        rows.push_back(splitFields(l.second, separator));

    float value = 0.0f;
    const bool header = std::any_of(rows.front().begin(), rows.front().end(),
                                    [&](const std::string &f) { return !wholeNumber(f, value); });
    const std::size_t firstRow = header ? 1 : 0;
    std::size_t columns = 0;
    for (const auto &r : rows)
        columns = std::max(columns, r.size());
    const bool monthColumn = monthsFirst(rows, header, columns);
    const std::size_t firstColumn = monthColumn ? 1 : 0;
    if (columns <= firstColumn) {
        result.error = "the file holds no column of shares";
        return result;
    }
    for (std::size_t c = firstColumn; c < columns; ++c) {
        UnitResponseTable table;
        if (header && c < rows.front().size() && !rows.front()[c].empty())
            table.name = rows.front()[c];
        else
            table.name =
                columns - firstColumn == 1 ? defaultName : defaultName + " " + std::to_string(c - firstColumn + 1);
        bool ended = false;
        for (std::size_t r = firstRow; r < rows.size(); ++r) {
            const std::size_t line = lines[r].first;
            const std::string cell = c < rows[r].size() ? rows[r][c] : std::string();
            if (monthColumn && c == firstColumn) {
                float month = 0.0f;
                if (!wholeNumber(rows[r][0], month) || month != static_cast<float>(r - firstRow + 1)) {
                    result.error = at(line, 1) + "the month is \"" + rows[r][0] + "\"; months must run 1, 2, 3 ...";
                    return result;
                }
            }
            if (cell.empty()) {
                ended = true;
                continue;
            }
            if (ended) {
                result.error = at(line, c + 1) + "a share follows an empty cell of column \"" + table.name + "\"";
                return result;
            }
            if (!wholeNumber(cell, value)) {
                result.error = at(line, c + 1) + "\"" + cell + "\" is not a number";
                return result;
            }
            table.shares.push_back(value);
        }
        if (table.shares.empty()) {
            result.error = "column " + std::to_string(c + 1) + " (\"" + table.name + "\") holds no shares";
            return result;
        }
        for (const auto &other : result.tables)
            if (other.name == table.name) {
                result.error = "two columns are named \"" + table.name + "\"";
                return result;
            }
        result.tables.push_back(std::move(table));
    }
    return result;
}

ResponseTableImport importResponseTables(const std::string &path) {
    const std::filesystem::path p = pathFromUtf8(path);
    std::ifstream in(p, std::ios::binary);
    if (!in || std::filesystem::is_directory(p)) {
        ResponseTableImport r;
        r.error = "cannot read " + path;
        return r;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parseResponseTables(text.str(), utf8FromPath(p.stem()));
}

} // namespace vek
