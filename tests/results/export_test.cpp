// The spreadsheet exports' own rules: Excel's sheet-name limits, text that
// must be UTF-8, CSV quoting and values carried with the report's digits.
// The files themselves are read back by independent readers in tests/python.
#include "results/csv_export.h"
#include "results/export_layout.h"
#include "results/xlsx_export.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace vek;

namespace {

// Well-formed UTF-8 (line ends allowed).
bool validUtf8(std::string s) {
    std::erase_if(s, [](char c) { return c == '\r' || c == '\n'; });
    return utf8Text(s) == s;
}

} // namespace

TEST(ExcelSheetNames, FollowExcelsRules) {
    const std::vector<std::string> got =
        excelSheetNames({"", "History", "run", "a[b]c:d*e?f/g\\h", "'quoted'", "Well 7", "WELL 7", "well 7",
                         "A name that is much longer than thirty-one characters"},
                        {"Run"});
    const std::vector<std::string> want = {"Sheet",           "History 1",  "run (2)",
                                           "a_b_c_d_e_f_g_h", "quoted",     "Well 7",
                                           "WELL 7 (2)",      "well 7 (3)", "A name that is much longer than"};
    EXPECT_EQ(got, want);
}

// Names are cut by characters, never inside one, and a cut name that repeats
// another still gets its number within 31 characters.
TEST(ExcelSheetNames, CutsWholeCharacters) {
    std::string accented;
    for (int i = 0; i < 40; ++i)
        accented += "\xC3\xA9"; // é
    const auto names = excelSheetNames({accented, accented});
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].size(), 62u); // 31 two-byte characters
    EXPECT_TRUE(validUtf8(names[0]));
    EXPECT_TRUE(validUtf8(names[1]));
    EXPECT_EQ(names[1].substr(names[1].size() - 4), " (2)");
    EXPECT_EQ(names[1].size(), 27u * 2 + 4);
    // A name in a one-byte code page becomes its Windows-1252 characters.
    EXPECT_EQ(excelSheetNames({"Caf\xE9 \x93"
                               "A\x94"})[0],
              "Caf\xC3\xA9 \xE2\x80\x9C"
              "A\xE2\x80\x9D");
}

TEST(ExportText, Utf8TextMendsBytesAndControls) {
    EXPECT_EQ(utf8Text("Well 7"), "Well 7");
    EXPECT_EQ(utf8Text("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(utf8Text("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(utf8Text("a\x01"
                       "b\nc\x7F"),
              "a b c ");
    EXPECT_EQ(utf8Text("cut \xC3"), "cut \xC3\x83");
    // A lone surrogate is not UTF-8: its bytes are Windows-1252 characters.
    EXPECT_EQ(utf8Text("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
    EXPECT_EQ(utf8Text("\x85"), "\xE2\x80\xA6");
}

// Values the report did not print (set by a program, or computed) are
// written in the shortest form of their float; the report's own are in
// output_results_test.cpp.
TEST(ExportValues, ValuesWithoutTheReportsTenths) {
    YearRow row;
    row.diversion[0] = 0.1f;
    row.diversion[1] = 123456.7f;
    row.diversion[2] = 0.000123456789f;
    row.diversionTotal = -2.0e10f;
    EXPECT_EQ(exportValue(row, false, 0), 0.1);
    EXPECT_EQ(exportValue(row, false, 1), 123456.7);
    EXPECT_EQ(exportValue(row, false, 2), 0.00012345679);
    EXPECT_FALSE(exportValue(row, false, 12).has_value());
    EXPECT_FALSE(exportValue(row, true, 0).has_value());
    // The report's tenths, where known, decide.
    row.diversionTenths[1] = 1234567;
    EXPECT_EQ(exportValue(row, false, 1), 123456.7);
}

TEST(CsvExport, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(csvField("Well 7"), "Well 7");
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("two\r\nlines"), "\"two\r\nlines\"");
    // A lone line end of either kind ends a record in most readers.
    EXPECT_EQ(csvField("lone\rreturn"), "\"lone\rreturn\"");
    EXPECT_EQ(csvField("lone\nfeed"), "\"lone\nfeed\"");
}

// A location named in a one-byte code page still gives valid UTF-8 CSV.
TEST(CsvExport, NamesBecomeUtf8) {
    OutputResults r;
    r.firstPrintYear = r.lastPrintYear = 2000;
    LocationResult loc;
    loc.name = "Caf\xE9, north";
    loc.rows.resize(2);
    loc.rows[0].diversion[0] = 1.5f;
    r.locations.push_back(loc);
    ViewChoices c;
    c.locations = {0};
    c.years = {0};
    c.showStream = false;
    const std::string csv = buildCsv(r, c);
    EXPECT_TRUE(validUtf8(csv));
    EXPECT_NE(csv.find("\r\n0,location,\"Caf\xC3\xA9, north\",recharge site,0,diversion,2000,1.5,,,,,,,,,,,,,,year,"),
              std::string::npos)
        << csv;
}

TEST(XlsxExport, WritesAsideAndReportsFailure) {
    const std::string dir = test::freshDir("xlsx_export_failure");
    OutputResults r;
    r.firstPrintYear = r.lastPrintYear = 2000;
    LocationResult loc;
    loc.name = "Well";
    loc.rows.resize(2);
    r.locations.push_back(loc);
    ViewChoices c;
    c.locations = {0};
    c.years = {0, 1};
    std::string error;
    EXPECT_FALSE(writeWorkbook(dir + "/no/such/dir/out.xlsx", r, c, workbookInfoFor("x.out"), &error));
    EXPECT_EQ(error,
              "Unable to write " + dir + "/no/such/dir/out.xlsx: the folder " + dir + "/no/such/dir does not exist.");

    const std::string path = dir + "/out.xlsx";
    ASSERT_TRUE(writeWorkbook(path, r, c, workbookInfoFor(dir + "/model one.out"), &error)) << error;
    EXPECT_EQ(test::readFile(path).substr(0, 2), "PK");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
    EXPECT_EQ(workbookInfoFor(dir + "/model one.out").model, "model one");
}

#ifndef _WIN32
// Writing a workbook leaves the process's standard error where it is: every
// line another thread writes there meanwhile arrives.
TEST(XlsxExport, OtherThreadsKeepTheirStandardError) {
    const std::string dir = test::freshDir("xlsx_export_stderr");
    OutputResults r;
    r.firstPrintYear = 1600;
    r.lastPrintYear = 1999;
    LocationResult loc;
    loc.rows.resize(401);
    ViewChoices c;
    for (int i = 0; i < 20; ++i) {
        loc.name = "Well " + std::to_string(i);
        r.locations.push_back(loc);
        c.locations.push_back(i);
    }
    for (int y = 0; y < 401; ++y)
        c.years.push_back(y);

    std::fflush(stderr);
    const int saved = ::dup(2);
    const int file = ::open((dir + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(saved, 0);
    ASSERT_GE(file, 0);
    ::dup2(file, 2);
    std::atomic<bool> done{false};
    long sent = 0;
    std::thread talker([&] {
        while (!done.load()) {
            if (::write(2, "x\n", 2) == 2) ++sent;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    });
    bool ok = true;
    std::string error;
    for (int i = 0; i < 3 && ok; ++i)
        ok = writeWorkbook(dir + "/book.xlsx", r, c, workbookInfoFor("big.out"), &error);
    done = true;
    talker.join();
    ::dup2(saved, 2);
    ::close(saved);
    ::close(file);
    ASSERT_TRUE(ok) << error;
    const std::string text = test::readFile(dir + "/stderr.txt");
    EXPECT_EQ(static_cast<long>(std::count(text.begin(), text.end(), '\n')), sent);
}
#endif

namespace {

// A worksheet of a workbook, read out of the zip by Python's zipfile.
std::string worksheetXml(const std::string &workbook, int sheet, const std::string &dir) {
    const std::string python = std::ifstream("/usr/bin/python3").good() ? "/usr/bin/python3" : "python3";
    const std::string out = dir + "/sheet" + std::to_string(sheet) + ".xml";
    const std::string cmd = python +
                            " -c \"import sys, zipfile; sys.stdout.write(zipfile.ZipFile(sys.argv[1])"
                            ".read('xl/worksheets/sheet" +
                            std::to_string(sheet) + ".xml').decode())\" '" + workbook + "' > '" + out + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    return test::readFile(out);
}

// The numbers of a report's " AVG" lines, in report order, as printed.
std::vector<std::vector<std::string>> averageLines(const std::string &report) {
    std::vector<std::vector<std::string>> out;
    for (std::size_t at = report.find("\r\n AVG"); at != std::string::npos; at = report.find("\r\n AVG", at + 1)) {
        const std::string line = report.substr(at + 2, report.find("\r\n", at + 2) - at - 2);
        std::vector<std::string> fields;
        for (int f = 0; f < 13; ++f) {
            std::string v = line.substr(4 + 9 * static_cast<std::size_t>(f), 9);
            v.erase(0, v.find_first_not_of(' '));
            if (v.size() > 2 && v.substr(v.size() - 2) == ".0") v.resize(v.size() - 2);
            fields.push_back(v);
        }
        out.push_back(fields);
    }
    return out;
}

} // namespace

// The average row of every table reaches the CSV and the workbook with the
// report's own values.
TEST(Exports, TheAverageRowReachesThem) {
    const std::string dir = test::freshDir("exports_average_row");
    const std::string reportPath = test::dataPath("results/two_locations.out");
    const std::string report = test::readFile(reportPath);
    OutputResults r;
    test::ScriptedPrompter quiet;
    ASSERT_TRUE(r.Load(reportPath, quiet));
    ViewChoices c;
    for (int i = 0; i < static_cast<int>(r.locations.size()); ++i)
        c.locations.push_back(i);
    c.years = {r.printedYears()}; // "Average" only
    const auto averages = averageLines(report);
    ASSERT_EQ(averages.size(), 9u); // two tables per location and summary, one for the net impact

    // CSV: one record per table, in report order.
    const std::string csv = buildCsv(r, c);
    std::size_t at = csv.find("\r\n");
    for (const auto &fields : averages) {
        const std::size_t end = csv.find("\r\n", at + 2);
        ASSERT_NE(end, std::string::npos);
        const std::string record = csv.substr(at + 2, end - at - 2);
        // The year column holds 0 and the row column says "average"; the
        // running total stays empty.
        std::string want = ",0";
        for (const std::string &f : fields)
            want += "," + f;
        want += ",,average,";
        EXPECT_NE(record.find(want), std::string::npos) << record;
        at = end;
    }
    EXPECT_EQ(at + 2, csv.size());

    // Workbook: the one row of each location's sheet, both tables side by side.
    const std::string path = dir + "/avg.xlsx";
    std::string error;
    ASSERT_TRUE(writeWorkbook(path, r, c, workbookInfoFor(reportPath), &error)) << error;
    std::size_t table = 0;
    for (int sheet = 2; sheet <= 6; ++sheet) {
        const std::string xml = worksheetXml(path, sheet, dir);
        const std::size_t row = xml.find("<row r=\"4\"");
        ASSERT_NE(row, std::string::npos) << xml;
        const std::string cells = xml.substr(row, xml.find("</row>", row) - row);
        std::string values;
        for (std::size_t v = cells.find("<c r=\"B4\""); (v = cells.find("<v>", v)) != std::string::npos;) {
            const std::size_t close = cells.find("</v>", v);
            values += "," + cells.substr(v + 3, close - v - 3);
            v = close;
        }
        std::string want;
        for (int t = 0; t < (sheet == 6 ? 1 : 2); ++t)
            for (const std::string &f : averages[table++])
                want += "," + f;
        EXPECT_EQ(values, want) << "sheet " << sheet;
    }
}

// The desktop program runs in the user's locale; a comma locale must not put
// "1,5" into the workbook's XML, which Excel would refuse to open.
TEST(XlsxExport, NumbersIgnoreTheLocalesDecimalComma) {
    const std::string dir = test::freshDir("xlsx_export_locale");
    OutputResults r;
    r.firstPrintYear = r.lastPrintYear = 2000;
    LocationResult loc;
    loc.name = "Well";
    loc.rows.resize(2);
    loc.rows[0].diversion[0] = 1.5f;
    r.locations.push_back(loc);
    ViewChoices c;
    c.locations = {0};
    c.years = {0};
    const std::string path = dir + "/comma.xlsx";
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    // The locale.setup fixture generates de_DE.UTF-8 when the machine lacks it.
    ASSERT_TRUE(std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "de_DE.utf8"))
        << "no comma-decimal locale installed (scripts/ensure-locale.sh de_DE.UTF-8)";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    std::string error;
    const bool ok = writeWorkbook(path, r, c, workbookInfoFor("comma.out"), &error);
    std::setlocale(LC_ALL, saved.c_str());
    ASSERT_STREQ(probe, "1,5");
    ASSERT_TRUE(ok) << error;
    // The location's sheet, read out of the zip by Python's zipfile.
    const std::string python = std::ifstream("/usr/bin/python3").good() ? "/usr/bin/python3" : "python3";
    const std::string cmd = python +
                            " -c \"import sys, zipfile; sys.stdout.write(zipfile.ZipFile(sys.argv[1])"
                            ".read('xl/worksheets/sheet2.xml').decode())\" '" +
                            path + "' > '" + dir + "/sheet2.xml'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string xml = test::readFile(dir + "/sheet2.xml");
    EXPECT_NE(xml.find("<v>1.5</v>"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("<v>1,5</v>"), std::string::npos);
}
