// The fixed-column tables of an engine report, for tests that compare
// printed values: every row of every table, 12 months then the total, in the
// order they are printed.
#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <sstream>
#include <string>
#include <vector>

namespace vek::test {

inline std::vector<std::vector<std::vector<double>>> reportTables(const std::string &report) {
    std::vector<std::vector<std::vector<double>>> tables;
    std::istringstream in(report);
    std::string line;
    bool inTable = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("YEAR", 0) == 0) {
            tables.emplace_back();
            inTable = true;
            continue;
        }
        if (line.rfind(" AVG", 0) == 0) inTable = false;
        if (!inTable || line.size() < 121 || line[0] < '0' || line[0] > '9') continue;
        std::vector<double> row;
        for (int j = 1; j <= 13; ++j) {
            const std::size_t from = static_cast<std::size_t>(9 * j - 5);
            std::size_t a = from;
            while (line[a] == ' ')
                ++a;
            double v = 0.0;
            const auto r = std::from_chars(line.data() + a, line.data() + from + 9, v);
            EXPECT_EQ(r.ec, std::errc()) << line;
            row.push_back(v);
        }
        tables.back().push_back(row);
    }
    return tables;
}

} // namespace vek::test
