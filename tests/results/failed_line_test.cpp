// The line a failed report read stopped at: the line of the damaged record,
// or at the end of the file the line that should have followed. Lines are
// counted by their line ends, so a line longer than one read counts once.
#include <gtest/gtest.h>

#include <string>

#include "results/output_results.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

namespace {

namespace t = vek::test;

struct Read {
    bool ok = false;
    int line = 0;
    std::string message;
    std::size_t entries = 0;
};

Read readText(const std::string &text) {
    vek::OutputResults r;
    t::ScriptedPrompter prompter;
    Read out;
    out.ok = r.LoadText(text, "r.out", prompter);
    out.line = r.failedLine;
    out.message = prompter.messages.empty() ? "" : prompter.messages.front();
    out.entries = r.locations.size();
    return out;
}

// 1-based number of the first line that starts with `start`.
int lineOf(const std::string &text, const std::string &start) {
    int line = 1;
    for (std::size_t pos = 0; pos < text.size(); pos = text.find('\n', pos) + 1, ++line)
        if (text.compare(pos, start.size(), start) == 0) return line;
    return 0;
}

const std::string kReport = t::readFile(t::dataPath("results/two_locations.out"));

TEST(FailedLine, CompleteReadHasNone) {
    Read r = readText(kReport);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.line, 0);
}

TEST(FailedLine, NamesTheDamagedRecordOrTheMissingOne) {
    const int row = lineOf(kReport, "1990");
    std::string shortRow = kReport;
    const std::size_t at = shortRow.find("\r\n1990") + 2;
    shortRow.replace(at, shortRow.find("\r\n", at) - at, "1990 -5");
    Read r = readText(shortRow);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Parse error reading monthly pumping for year 1990");
    EXPECT_EQ(r.line, row);

    // Cut after the 1989 row, without its line end: the 1990 row is missing.
    Read cut = readText(kReport.substr(0, at - 2));
    EXPECT_EQ(cut.message, "Unexpected EOF reading 1990's data.");
    EXPECT_EQ(cut.line, row);

    // A heading line of 600 blanks is read in two pieces but is one line.
    std::string longLine = kReport;
    longLine.insert(longLine.find("\r\n\r\n") + 2, std::string(600, ' '));
    Read again = readText(longLine.substr(0, longLine.find("\r\n1990")));
    EXPECT_EQ(again.message, "Unexpected EOF reading 1990's data.");
    EXPECT_EQ(again.line, row);
}

TEST(FailedLine, HeadingFailureAtTheEndOfTheFile) {
    const std::string heading = kReport.substr(0, kReport.find("          PRINT OUT"));
    Read r = readText(heading);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.line, lineOf(kReport, "          PRINT OUT"));
    EXPECT_EQ(r.entries, 0u);
}

} // namespace
