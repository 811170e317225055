// The model input file: exact writer output, the reader's variants and every
// message it shows, truncated files keeping what was read, round trips, and
// saves that fail without harming the file already there.
#include "model/input_file.h"
#include "model/model_document.h"
#include "support/model_builder.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;
using vek::ModelDocument;
using vek::ReadInput;
using vek::SaveInput;
using vek::test::ScriptedPrompter;

namespace {

// A complete file as the writer writes it: two historical years, one
// synthesized year, a well with a CFS pumping record and a recharge site.
const std::vector<std::string> kLines = {
    "Version 1.12",
    "2000 2001 1 2000 2003 2 0 1 0 1 1 1 0 # inputStartYear inputEndYear noOfSimulationYears outputStartYear "
    "outputEndYear nwells outputFormat synthesizeFormat projYearStart projYearEnd yearMode unitMode "
    "useAvgDaysPerMonth",
    "10 -1 1 # VEK LocationType UseInOutput",
    "Well A",
    "1 2 3 4 5 6 7 8 9 10 11 12",
    "0.5 1e-05 123457 -7.25 0 0 0 0 0 0 0 1.5e+08",
    "100 101 102 103 104 105 106 107 108 109 110 111",
    "2.5 1 0 # VEK LocationType UseInOutput",
    "Site B",
    "21 22 23 24 25 26 27 28 29 30 31 32",
    "41 42 43 44 45 46 47 48 49 50 51 52",
    "61 62 63 64 65 66 67 68 69 70 71 72",
    "Well A",
    "1 0 # UsePumpingRecord Units",
    "1 1 1 1 1 1 0.9 0.9 0.9 0.9 0.9 0.8",
    "1 30 2 31 3 31 4 28 5 31 6 30 7 31 8 30 9 31 10 31 11 30 12 31",
    "0.1 1 0.2 2 0.3 3 0.4 4 0.5 5 0.6 6 0.7 7 0.8 8 0.9 9 1 10 1.1 11 1.2 12",
    "Site B",
    "0 1 # UsePumpingRecord Units",
    "0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5 0.5",
    "9 8 7 6 5 4 3 2 1 0 -1 -2",
    "1 1 1 1 1 1 1 1 1 1 1 1",
};

std::string upTo(size_t n) {
    std::string s;
    for (size_t i = 0; i < n && i < kLines.size(); ++i)
        s += kLines[i] + "\n";
    return s;
}
std::string whole() { return upTo(kLines.size()); }
std::string with(size_t n, const std::string &line) {
    std::string s;
    for (size_t i = 0; i < kLines.size(); ++i)
        s += (i == n ? line : kLines[i] + "\n");
    return s;
}

// A scratch folder of the running test's own: ctest runs tests of this file
// in parallel processes.
std::string scratch(const std::string &what) {
    return vek::test::freshDir(what + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
}

std::string replaceAll(std::string s, const std::string &from, const std::string &to) {
    for (size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size()))
        s.replace(p, from.size(), to);
    return s;
}

struct ReadResult {
    bool ok = false;
    std::vector<std::string> messages; // the path shown as P
    std::unique_ptr<ScriptedPrompter> prompter = std::make_unique<ScriptedPrompter>();
    ModelDocument doc;
};

ReadResult readText(const std::string &text) {
    std::string path = scratch("input_file_read") + "/in.vek";
    vek::test::writeFile(path, text);
    ReadResult r;
    r.ok = ReadInput(r.doc, *r.prompter, path);
    for (const auto &m : r.prompter->messages)
        r.messages.push_back(replaceAll(m, path, "P"));
    return r;
}

std::string saveText(ModelDocument &d) {
    std::string path = scratch("input_file_save") + "/out.vek";
    ScriptedPrompter p;
    EXPECT_TRUE(SaveInput(d, p, path));
    return vek::test::readFile(path);
}

} // namespace

TEST(InputFile, ReadsTheWholeFileAndWritesItBackByteForByte) {
    ReadResult r = readText(whole());
    ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages[0]);
    EXPECT_TRUE(r.messages.empty());
    const auto &m = r.doc.model;
    EXPECT_EQ(m.inputStartYear, 2000);
    EXPECT_EQ(m.inputEndYear, 2001);
    EXPECT_EQ(m.synthStartYear, 2002);
    EXPECT_EQ(m.synthEndYear, 2002);
    EXPECT_EQ(m.outputEndYear, 2003);
    EXPECT_EQ(m.synthesizeFormat, 1);
    EXPECT_EQ(m.projYearEnd, 1);
    EXPECT_EQ(m.yearMode, 1);
    EXPECT_EQ(m.unitMode, 1);
    EXPECT_FALSE(m.useAvgDaysPerMonth);
    ASSERT_EQ(m.locations.size(), 2u);
    const auto &w = m.locations[0];
    EXPECT_EQ(w.name, "Well A");
    EXPECT_EQ(w.VEK, 10.0f);
    EXPECT_TRUE(w.isWell());
    EXPECT_EQ(w.UsePumpingRecord, 1);
    EXPECT_EQ(w.Units, 0);
    EXPECT_EQ(w.historicalData[11][1], 1.5e8f);
    EXPECT_EQ(w.historicalData[1][1], 1e-5f);
    EXPECT_EQ(w.synthesizedData[0][0], 100.0f);
    EXPECT_EQ(w.efficiency[11], 0.8f);
    EXPECT_EQ(w.pumpingFlow[3][0], 4.0f);
    EXPECT_EQ(w.daysOn[3][0], 28.0f);
    EXPECT_EQ(w.daysOn[11][1], 12.0f);
    const auto &s = m.locations[1];
    EXPECT_EQ(s.LocationType, 1);
    EXPECT_EQ(s.UseInOutput, 0);
    EXPECT_EQ(s.pumpingFlow[11][0], -2.0f);
    EXPECT_EQ(s.daysOn[0][0], 1.0f); // Ac-Ft records have no days on
    EXPECT_EQ(saveText(r.doc), whole());
}

TEST(InputFile, WriterFormatsRealsLikePercentG) {
    ModelDocument d;
    d.model.inputStartYear = 1990;
    d.model.inputEndYear = 1990;
    d.model.synthStartYear = 1991;
    d.model.synthEndYear = 1990;
    d.model.useAvgDaysPerMonth = true;
    d.resetLocations(1);
    auto &l = d.model.locations[0];
    l.VEK = 1234567.0f;
    l.name = "W";
    const float v[12] = {0.1f, 1.0f / 3, 123456.7f, 1e-5f,  -0.0f, 100000.0f,
                         1e6f, 0.0001f,  2.5e-7f,   -42.0f, 7.0f,  0.0f};
    for (int i = 0; i < 12; ++i)
        l.historicalData[i][0] = v[i];
    EXPECT_EQ(saveText(d), "Version 1.12\n"
                           "1990 1990 0 0 -1 1 0 0 0 0 1 1 1 # inputStartYear inputEndYear noOfSimulationYears "
                           "outputStartYear outputEndYear nwells outputFormat synthesizeFormat projYearStart "
                           "projYearEnd yearMode unitMode useAvgDaysPerMonth\n"
                           "1.23457e+06 -1 1 # VEK LocationType UseInOutput\n"
                           "W\n"
                           "0.1 0.333333 123457 1e-05 -0 100000 1e+06 0.0001 2.5e-07 -42 7 0\n"
                           "W\n"
                           "0 1 # UsePumpingRecord Units\n"
                           "1 1 1 1 1 1 1 1 1 1 1 1\n"
                           "0 0 0 0 0 0 0 0 0 0 0 0\n");
}

TEST(InputFile, DocumentWithoutLocationsWritesTwoLines) {
    ModelDocument d;
    std::string text = saveText(d);
    EXPECT_EQ(text.substr(0, 13), "Version 1.12\n");
    EXPECT_EQ(text.substr(13, 20), "0 -1 0 0 -1 0 0 0 0 ");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST(InputFile, ParameterRecordVariants) {
    struct Row {
        std::string head; // replaces the first two lines
        bool ok;
        int unitMode;
        bool avg;
        int yearMode;
    } rows[] = {
        {"2000 2001 1 2000 2003 2 0 1 0 1 1 0\n", true, 0, false, 1},                 // no version: 12
        {"Version 1.1\n2000 2001 1 2000 2003 2 0 1 0 1 2 0\n", true, 0, false, 2},    // 1.1: 12
        {"Version 1.12\n2000 2001 1 2000 2003 2 0 1 0 1 1 1 1\n", true, 1, true, 1},  // 1.12: 13
        {"Version  2\t\n2000 2001 1 2000 2003 2 0 1 0 1 1 1 2\n", true, 1, false, 1}, // only 1 is "average"
        {"Version 1.12\n2000 2001 1 2000 2003 2 0 1 0 1 1 1\n", false, 0, false, 1},  // 13 expected
    };
    for (const auto &r : rows) {
        ReadResult res = readText(r.head + upTo(kLines.size()).substr(upTo(2).size()));
        EXPECT_EQ(res.ok, r.ok) << r.head;
        if (!r.ok) continue;
        EXPECT_EQ(res.doc.model.unitMode, r.unitMode) << r.head;
        EXPECT_EQ(res.doc.model.yearMode, r.yearMode) << r.head;
        EXPECT_EQ(res.doc.model.useAvgDaysPerMonth, r.avg) << r.head;
        EXPECT_EQ(res.doc.model.locations.size(), 2u);
    }
}

TEST(InputFile, EveryReaderMessage) {
    const std::string first13 =
        "Wrong number of values read for first data card.  Expected realInputStart, realInputEnd, "
        "numSynthesizedYears, outputStart, outputEnd, wells, format, projectionType projectionYearStart "
        "projectionYearEnd, yearMode, unitMode, useAverageDaysPerMonth.  Line is: ";
    const std::string first12 =
        "Wrong number of values read for first data card.  Expected realInputStart, realInputEnd, "
        "numSynthesizedYears, outputStart, outputEnd, wells, format, projectionType projectionYearStart "
        "projectionYearEnd, yearMode, unitMode.  Line is: ";
    std::string lastRow = whole();
    lastRow.pop_back(); // the last row's line end missing
    struct Row {
        std::string text, message;
    } rows[] = {
        {"", "Unexpected EOF reading VEK input file line 1 P"},
        {upTo(1), "Unexpected EOF reading VEK input file line 1 P"},
        {with(1, "2000 2001 1 2000 2003 2 0 1 0 1 1 1\r\n"), first13 + "2000 2001 1 2000 2003 2 0 1 0 1 1 1\r\n"},
        {"Version 0\n", first12 + "Version 0\n"},
        {"Version -3\n1 2 3 4 5 6 7 8 9 10 11 12\n", first12 + "Version -3\n"},
        {upTo(2), "Unexpected EOF reading VEK input file for record 2 of well #0 in file P"},
        {with(2, "10 -1\n"),
         "Wrong number of values read for second data card.  Expected vek, pumpType, includeInOutput.  Line is: "
         "10 -1\n"},
        {upTo(3), "Unexpected EOF reading VEK input file for record 3 of well #0 in file P"},
        {upTo(5), "Unexpected EOF reading pumping data input for well #0, year #1 in file P"},
        {upTo(6), "Unexpected EOF reading pumping data input for well #0, year #0 in file P"},
        {upTo(9), "Unexpected EOF reading pumping data input for well #1, year #0 in file P"},
        {upTo(8), "Unexpected EOF reading VEK input file for record 3 of well #1 in file P"},
        {with(10, "1 2 3 4 5 6 7 8 9 10 11\n"),
         "Wrong number of values read for third data card.  Expected 12 flow values.  Line is: "
         "1 2 3 4 5 6 7 8 9 10 11\n"},
        {upTo(12), "Unexpected EOF reading well name in pumping record #0 in file P"},
        {upTo(13), "Unexpected EOF reading pumping record flag and well units for well#0 in file P"},
        {with(13, "1\n"), "Parse error reading pumping flag and well units for well#0 in file P"},
        {upTo(14), "Unexpected EOF reading well efficiencies for well#0 in file P"},
        {with(14, "1 1 1\n"),
         "Wrong number of values read for pumping record application efficiencies.  Expected 12 flow values.  "
         "Line is: 1 1 1\n"},
        {upTo(15), "Parse error reading flows for well#0, year 0"},
        {with(16, "0.1 1 0.2 2 0.3 x\n"), "ReadWellData: Parse error reading days-on for basin #0, year 1"},
        {with(20, "9 8 7 6 5 4 3 2 1 0 -1 two\n"), "Parse error reading flows for well#1, year 0"},
        {upTo(18), "Unexpected EOF reading pumping record flag and well units for well#1 in file P"},
        {lastRow, "ReadWellData: Unexpected EOF reading flows for well #1, year 1"},
    };
    for (const auto &r : rows) {
        ReadResult res = readText(r.text);
        EXPECT_FALSE(res.ok) << r.message;
        ASSERT_EQ(res.messages.size(), 1u) << r.message;
        // A message that names the file's internals has a plain second line
        // after the quoted one.
        EXPECT_EQ(res.messages[0].substr(0, r.message.size()), r.message);
        const bool internal = r.message.find("data card") != std::string::npos;
        EXPECT_EQ(res.messages[0].size() > r.message.size(), internal) << r.message;
    }
    ModelDocument d;
    ScriptedPrompter p;
    EXPECT_FALSE(ReadInput(d, p, "/nonexistent/dir/x.vek"));
    EXPECT_EQ(p.messages, std::vector<std::string>{"ReadInput: Unable to open VEK input file /nonexistent/dir/x.vek"});
    std::string dir = vek::test::freshDir("input_file_dir");
    EXPECT_FALSE(ReadInput(d, p, dir));
    EXPECT_EQ(p.messages.back(), "ReadInput: Unable to open VEK input file " + dir);
}

TEST(InputFile, FailedReadKeepsWhatWasRead) {
    // Wrong count in the parameter record: the fields read before it stay.
    ReadResult a = readText(with(1, "1990 1995 1 1991 1999 2 1 x\n"));
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.doc.model.inputStartYear, 1990);
    EXPECT_EQ(a.doc.model.inputEndYear, 1995);
    EXPECT_EQ(a.doc.model.outputStartYear, 1991);
    EXPECT_EQ(a.doc.model.outputEndYear, 1999);
    EXPECT_EQ(a.doc.model.outputFormat, 0); // only after a complete record
    EXPECT_TRUE(a.doc.model.locations.empty());

    // Truncated inside the pumping records: the tables read stay.
    ReadResult b = readText(upTo(17));
    EXPECT_FALSE(b.ok);
    ASSERT_EQ(b.doc.model.locations.size(), 2u);
    EXPECT_EQ(b.doc.model.locations[1].name, "Site B");
    EXPECT_EQ(b.doc.model.locations[1].historicalData[11][1], 52.0f);
    EXPECT_EQ(b.doc.model.locations[1].synthesizedData[0][0], 61.0f);
    EXPECT_EQ(b.doc.model.locations[0].daysOn[11][1], 12.0f);

    // Truncated inside the historical rows of the second location.
    ReadResult c = readText(upTo(10));
    EXPECT_FALSE(c.ok);
    ASSERT_EQ(c.doc.model.locations.size(), 2u);
    EXPECT_EQ(c.doc.model.locations[0].synthesizedData[11][0], 111.0f);
    EXPECT_EQ(c.doc.model.locations[1].historicalData[0][0], 21.0f);
    EXPECT_EQ(c.doc.model.locations[1].historicalData[0][1], 0.0f);
}

TEST(InputFile, LocationRecordTypes) {
    ReadResult a = readText(with(2, "2.5 7 1\n"));
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.doc.model.locations[0].LocationType, 1);
    EXPECT_EQ(a.doc.model.locations[0].VEK, 2.5f);
    EXPECT_EQ(a.doc.model.locations[0].UseInOutput, 1);
    ReadResult b = readText(with(2, "2.5\t-1 0 trailing words\n"));
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.doc.model.locations[0].LocationType, -1);
    EXPECT_EQ(b.doc.model.locations[0].UseInOutput, 0);
}

TEST(InputFile, PumpingRowSpreadOverLinesAndCrlf) {
    // 24 numbers on three lines; the rest of the third line is discarded.
    std::string text = with(15, "1 30 2 31 3 31 4\n 28 5 31 6 30\n7 31 8 30 9 31 10 31 11 30 12 31 junk 99\n");
    ReadResult a = readText(text);
    ASSERT_TRUE(a.ok) << a.messages[0];
    EXPECT_EQ(a.doc.model.locations[0].daysOn[3][0], 28.0f);
    EXPECT_EQ(a.doc.model.locations[0].pumpingFlow[0][1], 0.1f);

    ReadResult b = readText(replaceAll(whole(), "\n", "\r\n"));
    ASSERT_TRUE(b.ok) << b.messages[0];
    EXPECT_EQ(b.doc.model.locations[1].name, "Site B");
    EXPECT_EQ(b.doc.model.locations[1].pumpingFlow[11][1], 1.0f);
}

TEST(InputFile, LongNamesDoNotMisalignTheFile) {
    ReadResult r = readText(whole());
    ASSERT_TRUE(r.ok);
    std::string name(1500, 'n');
    name[0] = 'A';
    r.doc.model.locations[0].name = name;
    std::string text = saveText(r.doc);
    ReadResult back = readText(text);
    ASSERT_TRUE(back.ok) << back.messages[0];
    EXPECT_EQ(back.doc.model.locations[0].name, name);
    EXPECT_EQ(back.doc.model.locations[1].name, "Site B");

    // A line end inside a name must not split the record either.
    r.doc.model.locations[0].name = "two\nlines\r";
    ReadResult split = readText(saveText(r.doc));
    ASSERT_TRUE(split.ok) << split.messages[0];
    EXPECT_EQ(split.doc.model.locations[0].name, "two lines");
}

// Both years 0: the writer writes no historical or pumping rows, and the
// reader expects none, so the file reads back.
TEST(InputFile, BothZeroYearsRoundTrip) {
    ModelDocument d;
    d.model.inputStartYear = 0;
    d.model.inputEndYear = 0;
    d.model.synthStartYear = 1;
    d.model.synthEndYear = 0;
    d.resetLocations(2);
    d.model.locations[1].name = "second";
    d.model.locations[1].Units = 0;
    std::string text = saveText(d);
    ReadResult r = readText(text);
    ASSERT_TRUE(r.ok) << r.messages[0];
    ASSERT_EQ(r.doc.model.locations.size(), 2u);
    EXPECT_EQ(r.doc.model.locations[1].name, "second");
    EXPECT_EQ(r.doc.model.locations[1].Units, 0);
    EXPECT_EQ(saveText(r.doc), text);

    // Columns that disagree with such a period write neither kind of row,
    // so the file still reads.
    for (int m = 0; m < 12; ++m) {
        d.model.locations[1].historicalData[m].push_back(5.0f);
        d.model.locations[1].pumpingFlow[m].push_back(5.0f);
        d.model.locations[1].daysOn[m].push_back(5.0f);
    }
    EXPECT_EQ(saveText(d), text);
}

TEST(InputFile, InMemoryDocumentRoundTrip) {
    ModelDocument d;
    auto &m = d.model;
    m.inputStartYear = 1950;
    m.inputEndYear = 1952;
    m.synthStartYear = 1953;
    m.synthEndYear = 1954;
    m.outputStartYear = 1950;
    m.outputEndYear = 1960;
    m.outputFormat = 1;
    m.synthesizeFormat = 3;
    m.projYearStart = 1;
    m.projYearEnd = 2;
    m.unitMode = 0;
    m.useAvgDaysPerMonth = true;
    d.resetLocations(3);
    float x = 0.123456789f;
    for (size_t i = 0; i < 3; ++i) {
        auto &l = m.locations[i];
        l.name = "  loc " + std::to_string(i);
        l.VEK = 3.14159265f * float(i + 1);
        l.LocationType = i == 1 ? 1 : -1;
        l.UseInOutput = int(i % 2);
        l.UsePumpingRecord = 1;
        l.Units = int(i % 2);
        for (int mo = 0; mo < 12; ++mo) {
            l.efficiency[mo] = 0.5f + 0.01f * float(mo);
            for (int k = 0; k < 3; ++k) {
                l.historicalData[mo][k] = x *= 1.7f;
                l.pumpingFlow[mo][k] = x / 3;
                l.daysOn[mo][k] = float(mo + k);
            }
            for (int k = 0; k < 2; ++k)
                l.synthesizedData[mo][k] = -x / 7;
        }
    }
    std::string text = saveText(d);
    ReadResult r = readText(text);
    ASSERT_TRUE(r.ok) << r.messages[0];
    const auto &n = r.doc.model;
    EXPECT_EQ(n.inputStartYear, m.inputStartYear);
    EXPECT_EQ(n.inputEndYear, m.inputEndYear);
    EXPECT_EQ(n.synthStartYear, m.synthStartYear);
    EXPECT_EQ(n.synthEndYear, m.synthEndYear);
    EXPECT_EQ(n.outputStartYear, m.outputStartYear);
    EXPECT_EQ(n.outputEndYear, m.outputEndYear);
    EXPECT_EQ(n.outputFormat, 1);
    EXPECT_EQ(n.synthesizeFormat, 3);
    EXPECT_EQ(n.projYearStart, 1);
    EXPECT_EQ(n.projYearEnd, 2);
    EXPECT_EQ(n.yearMode, 1);
    EXPECT_EQ(n.unitMode, 0);
    EXPECT_TRUE(n.useAvgDaysPerMonth);
    ASSERT_EQ(n.locations.size(), 3u);
    auto near6 = [](float a, float b) { return std::abs(a - b) <= 5e-6f * std::max(std::abs(a), std::abs(b)); };
    for (size_t i = 0; i < 3; ++i) {
        const auto &a = m.locations[i], &b = n.locations[i];
        EXPECT_EQ(b.name, "loc " + std::to_string(i)); // stored trimmed
        EXPECT_TRUE(near6(a.VEK, b.VEK));
        EXPECT_EQ(a.LocationType, b.LocationType);
        EXPECT_EQ(a.UseInOutput, b.UseInOutput);
        EXPECT_EQ(a.UsePumpingRecord, b.UsePumpingRecord);
        EXPECT_EQ(a.Units, b.Units);
        for (int mo = 0; mo < 12; ++mo) {
            EXPECT_TRUE(near6(a.efficiency[mo], b.efficiency[mo]));
            for (int k = 0; k < 3; ++k) {
                EXPECT_TRUE(near6(a.historicalData[mo][k], b.historicalData[mo][k]));
                EXPECT_TRUE(near6(a.pumpingFlow[mo][k], b.pumpingFlow[mo][k]));
                EXPECT_EQ(b.daysOn[mo][k], a.Units == 0 ? a.daysOn[mo][k] : 1.0f);
            }
            for (int k = 0; k < 2; ++k)
                EXPECT_TRUE(near6(a.synthesizedData[mo][k], b.synthesizedData[mo][k]));
        }
    }
    EXPECT_EQ(saveText(r.doc), replaceAll(text, "  loc", "loc"));
}

TEST(InputFile, OldFormat) {
    // Parameters: ignored, start, end, ignored, output start, wells, format.
    auto pad = [](std::string s, size_t n) { return s.append(n - s.size(), ' '); };
    std::string text =
        "9 1980 1981 9 1980 2 1\n" + pad("  3.5", 5) + pad("Upper Canal Well", 25) + "WITHDRAWAL\n" +
        "     1.0     2.5    -3.0       4       5       6       7       8       9      10      11  12.5\n"
        "    10.0\n" +
        pad(" 12", 5) + pad("  Pond", 25) + " RECHARGE\n" +
        "     1.0     2.0     3.0     4.0     5.0     6.0     7.0     8.0     9.0    10.0    11.0    12.0\n"
        "     2.0     2.0     2.0     2.0     2.0     2.0     2.0     2.0     2.0     2.0     2.0     2.0\n";
    auto p = std::make_unique<ScriptedPrompter>();
    ModelDocument d;
    d.model.outputEndYear = 1999;
    d.model.projYearStart = 5;
    std::string path = vek::test::freshDir("input_file_old") + "/old.txt";
    vek::test::writeFile(path, text);
    ASSERT_TRUE(ReadInput(d, *p, path, true));
    EXPECT_TRUE(p->messages.empty());
    const auto &m = d.model;
    EXPECT_EQ(m.inputStartYear, 1980);
    EXPECT_EQ(m.inputEndYear, 1981);
    EXPECT_EQ(m.outputStartYear, 1980);
    EXPECT_EQ(m.outputFormat, 1);
    EXPECT_EQ(m.outputEndYear, 1999); // kept
    EXPECT_EQ(m.projYearStart, 5);    // kept
    EXPECT_EQ(m.synthesizedYears(), 0);
    EXPECT_EQ(m.synthesizeFormat, 4);
    ASSERT_EQ(m.locations.size(), 2u);
    EXPECT_EQ(m.locations[0].VEK, 3.5f);
    EXPECT_EQ(m.locations[0].name, "Upper Canal Well");
    EXPECT_EQ(m.locations[0].LocationType, -1);
    EXPECT_EQ(m.locations[0].historicalData[2][0], -3.0f);
    EXPECT_EQ(m.locations[0].historicalData[11][0], 12.5f);
    EXPECT_EQ(m.locations[0].historicalData[0][1], 10.0f);
    EXPECT_EQ(m.locations[0].historicalData[1][1], 0.0f); // short row: no count check
    EXPECT_EQ(m.locations[1].VEK, 12.0f);
    EXPECT_EQ(m.locations[1].name, "Pond");
    EXPECT_EQ(m.locations[1].LocationType, 1);
    EXPECT_EQ(m.locations[1].UseInOutput, 1);

    vek::test::writeFile(path, "9 1980 1981 9 1980\n");
    EXPECT_FALSE(ReadInput(d, *p, path, true));
    EXPECT_EQ(p->messages.back(), "Wrong number of values read for first data card.  Expected realInputStart, "
                                  "realInputEnd, outputStart, wells, format.  Line is: 9 1980 1981 9 1980\n"
                                  "The first line of numbers in " +
                                      path +
                                      " (the years, the number of locations and the settings) is incomplete or "
                                      "damaged.  Correct it in a text editor and open the file again.");
}

// A damaged parameter record asking for billions of cells must not exhaust
// memory; it is refused with a message.
TEST(InputFile, AbsurdSizesAreRefused) {
    ReadResult r = readText("Version 1.12\n1 2000000000 0 1 2 2000000000 0 4 0 0 1 1 0\n1 -1 1\nx\n");
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_NE(r.messages[0].find("more wells and years than the file holds"), std::string::npos);
    EXPECT_TRUE(r.doc.model.locations.empty());
    // Extreme years do not overflow the period arithmetic.
    ReadResult s = readText("Version 1.12\n-2147483648 2147483647 2147483647 0 0 0 0 4 0 0 1 1 0\n");
    EXPECT_TRUE(s.ok);
}

TEST(InputFile, FailedSaveKeepsTheOldFile) {
    std::string dir = vek::test::freshDir("input_file_failed_save");
    std::string path = dir + "/model.vek";
    vek::test::writeFile(path, "previous contents\n");
    ReadResult r = readText(whole());
    ScriptedPrompter p;
    for (int failAt : {1, 3, 20}) {
        vek::SaveInputOptions o;
        o.beforeLine = [failAt](int line) { return line < failAt; };
        EXPECT_FALSE(SaveInput(r.doc, p, path, o));
        EXPECT_EQ(vek::test::readFile(path), "previous contents\n");
        EXPECT_EQ(p.messages.back(), "SaveInput: Unable to write VEK input file " + path +
                                         "\nThe model was not saved to " + path +
                                         ".  Check that the folder exists and that you may write there, or "
                                         "choose another name with Save As.");
    }
    // No temporary files left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_TRUE(SaveInput(r.doc, p, path));
    EXPECT_EQ(vek::test::readFile(path), whole());

    EXPECT_FALSE(SaveInput(r.doc, p, dir + "/missing/model.vek"));
    EXPECT_EQ(p.messages.back().substr(0, p.messages.back().find('\n')),
              "SaveInput: Unable to open VEK input file " + dir + "/missing/model.vek");
}

// A model saved under a well output file's name is written as a ".vek"
// beside it: in the folder the name gives, whatever the working directory.
TEST(InputFile, OwlPathIsSavedAsVekBesideIt) {
    std::string dir = vek::test::freshDir("input_file_owl");
    fs::create_directories(dir + "/data");
    const fs::path before = fs::current_path();
    ScriptedPrompter p;
    ModelDocument d;
    EXPECT_TRUE(d.save(dir + "/data/wells.owl", p));
    EXPECT_TRUE(fs::exists(dir + "/data/wells.vek"));
    EXPECT_FALSE(fs::exists(dir + "/data/wells.owl"));
    EXPECT_FALSE(fs::exists(before / "wells.vek"));
    EXPECT_EQ(fs::current_path(), before);
    EXPECT_EQ(p.messages, std::vector<std::string>{"Warning: changing file input name to wells.vek"});
    // The document now names the file that was written, so a run finds it.
    EXPECT_EQ(fs::path(d.path()), fs::path(dir) / "data" / "wells.vek");
    EXPECT_FALSE(d.isModified());
    // Another case is an ordinary name.
    EXPECT_TRUE(SaveInput(d, p, dir + "/WELLS.OWL"));
    EXPECT_TRUE(fs::exists(dir + "/WELLS.OWL"));
    EXPECT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(vek::saveInputPath("wells.owl"), "wells.vek");
}

// A file read completely is the document as it stands on disk: not modified,
// with the run range it stores. Its synthesized years are not the average
// its first card records, which the opening says once and remembers as
// stale.
TEST(InputFile, OpenReadsVekInAnyCaseUnmodified) {
    std::string path = scratch("input_file_open") + "/Model.VEK";
    vek::test::writeFile(path, whole());
    ScriptedPrompter p;
    ModelDocument d;
    EXPECT_TRUE(d.open(path, p));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].rfind(std::string("Model.VEK") + vek::kOpenWarningsMessage +
                                      "Location 1 (Well A): its "
                                      "synthesized years are not",
                                  0),
              0u)
        << p.messages[0];
    EXPECT_TRUE(d.historicalDataChanged);
    EXPECT_FALSE(d.isModified());
    EXPECT_FALSE(d.isReadPartly());
    EXPECT_EQ(fs::path(d.path()), fs::absolute(path));
    EXPECT_EQ(d.model.outputEndYear, 2003);
}

// A file whose read fails: the document keeps what was read but is not the
// file. It has no path (Save asks for a name), and a save onto the damaged
// file asks first; No writes nothing.
TEST(InputFile, PartlyReadFileIsNeverReplacedUnasked) {
    const std::string dir = scratch("input_file_partly");
    const std::string path = dir + "/Model.vek";
    const std::string damaged = upTo(5); // cut short inside the first location
    vek::test::writeFile(path, damaged);
    ScriptedPrompter p;
    ModelDocument d;
    EXPECT_TRUE(d.open(path, p));
    EXPECT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(d.model.locations.size(), 2u); // what was read stays
    EXPECT_TRUE(d.isModified());
    EXPECT_TRUE(d.isReadPartly());
    EXPECT_TRUE(d.path().empty());
    EXPECT_EQ(fs::path(d.partlyReadFrom()), fs::absolute(path));

    // Onto the damaged file, by another spelling of its path: asked, No.
    EXPECT_FALSE(d.save(dir + "/./sub/../Model.vek", p));
    ASSERT_EQ(p.questions.size(), 1u);
    EXPECT_NE(p.questions[0].find(fs::absolute(path).string() + " was read only partly."), std::string::npos)
        << p.questions[0];
    EXPECT_EQ(vek::test::readFile(path), damaged);
    EXPECT_TRUE(d.isModified());

    // Another file: no question, and the document now has a file of its own.
    EXPECT_TRUE(d.save(dir + "/rescued.vek", p));
    EXPECT_EQ(p.questions.size(), 1u);
    EXPECT_FALSE(d.isReadPartly());
    EXPECT_EQ(fs::path(d.path()), fs::absolute(dir + "/rescued.vek"));
    EXPECT_EQ(vek::test::readFile(path), damaged);

    // Yes replaces the damaged file.
    ModelDocument again;
    again.open(path, p);
    p.yesNo.push_back(true);
    EXPECT_TRUE(again.save(path, p));
    EXPECT_EQ(p.questions.size(), 2u);
    EXPECT_NE(vek::test::readFile(path), damaged);
    EXPECT_FALSE(again.isReadPartly());
    EXPECT_EQ(fs::path(again.path()), fs::absolute(path));
}

// Every example shipped to users reads cleanly and is written back as it is.
TEST(InputFile, ExamplesReadAndWriteBackIdentically) {
    fs::path examples = fs::path(vek::test::dataDir()) / ".." / ".." / "examples";
    int seen = 0;
    if (fs::is_directory(examples))
        for (const auto &e : fs::directory_iterator(examples)) {
            if (e.path().extension() != ".vek") continue;
            ++seen;
            std::string text = vek::test::readFile(e.path().string());
            ReadResult r = readText(text);
            EXPECT_TRUE(r.ok) << e.path() << ": " << (r.messages.empty() ? "" : r.messages[0]);
            EXPECT_TRUE(r.messages.empty()) << e.path();
            EXPECT_EQ(saveText(r.doc), text) << e.path();
        }
    EXPECT_GT(seen, 0) << "no example models in " << examples;
}

// Anything but ".vek" goes to the well output import; its result is open's.
TEST(InputFile, OpenImportsOtherExtensions) {
    std::string path = scratch("input_file_open_owl") + "/run.owl";
    vek::test::writeFile(path, "not read: the import's choice is dismissed first\n");
    ScriptedPrompter p; // the soil-moisture choice is dismissed
    ModelDocument d;
    EXPECT_FALSE(d.open(path, p));
    EXPECT_TRUE(d.isModified());
    EXPECT_EQ(fs::path(d.path()), fs::absolute(path));
}

// A file the user marked read-only is not replaced behind its back: the save
// fails with the message for a file that cannot be opened, and the file and
// its folder stay as they were.
TEST(InputFile, ReadOnlyFileIsNotReplaced) {
    const std::string dir = vek::test::freshDir("review_read_only");
    ScriptedPrompter p;
    ModelDocument d;
    vek::test::ModelBuilder(2000, 2).locations(1).distinctHistorical().runOverHistorical().into(d);
    d.setModified();
    const std::string path = dir + "/model.vek";
    vek::test::writeFile(path, "protected\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(d.save(path, p));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].substr(0, p.messages[0].find('\n')), "SaveInput: Unable to open VEK input file " + path);
    EXPECT_EQ(vek::test::readFile(path), "protected\n");
    EXPECT_TRUE(d.isModified());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    // Writable again, the same save goes through.
    fs::permissions(path, fs::perms::owner_write, std::filesystem::perm_options::add);
    p.messages.clear();
    EXPECT_TRUE(d.save(path, p));
    EXPECT_TRUE(p.messages.empty());
    EXPECT_EQ(vek::test::readFile(path).rfind("Version 1.12\n", 0), 0u);
}

// Whatever the model holds, saving and reading it back gives the same model.
TEST(InputFile, SavedModelsReadBackEqual) {
    const std::string dir = scratch("input_file_round_trip");
    const vek::test::ModelBuilder models[] = {
        vek::test::ModelBuilder(1990, 3, 2).locations(3).distinctHistorical().synthesized([](int i, int k, int m) {
            return -0.125f * static_cast<float>(i + k + m);
        }),
        vek::test::ModelBuilder(2000, 1).locations(1).yearMode(0).unitMode(0).location(0,
                                                                                       [](vek::Location &l) {
                                                                                           l.name = "Pozo  \"Norte\"";
                                                                                           l.VEK = 2.5f;
                                                                                           l.LocationType =
                                                                                               vek::RechargeSite;
                                                                                           l.UsePumpingRecord = 1;
                                                                                           l.Units = 0;
                                                                                           l.efficiency[3] = 0.75f;
                                                                                           l.pumpingFlow[5][0] =
                                                                                               1234.5f;
                                                                                           l.daysOn[5][0] = 30.0f;
                                                                                       }),
        vek::test::ModelBuilder(1950, 40, 60).locations(2).distinctHistorical().runOverHistorical(),
    };
    int n = 0;
    for (const auto &b : models) {
        ScriptedPrompter p;
        ModelDocument saved;
        b.into(saved);
        const std::string path = dir + "/model" + std::to_string(n++) + ".vek";
        ASSERT_TRUE(SaveInput(saved, p, path));
        ModelDocument read;
        ASSERT_TRUE(ReadInput(read, p, path));
        EXPECT_EQ(read.model, saved.model) << path;
        EXPECT_TRUE(p.messages.empty());
    }
}
