// WellFileReader: method sections chosen by the soil-moisture switch,
// sub-area names and counts, heading lines, year range, and a warning or an
// error (never a crash) for every kind of damaged file.
#include "model/well_file_reader.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <sstream>

using vek::SubArea;
using vek::WellFileReader;
using vek::WellYearLine;

namespace {

// Value the fixtures hold for section s (0 with soil moisture, 1 without),
// well id, year offset k and month 1..12.
float fixtureValue(int s, unsigned id, int k, int month) {
    return static_cast<float>(s * 10000 + static_cast<int>(id) * 10 + k) + static_cast<float>(month) * 0.0625f;
}

std::string owl(const std::string &name) { return vek::test::dataPath("imports/" + name); }

// What the reader reports, in the order the import command shows it: its
// warnings, then the error that stopped it.
std::vector<std::string> reported(const WellFileReader &r) {
    std::vector<std::string> out;
    for (const auto &w : r.warnings())
        out.push_back(w.message);
    if (r.error()) out.push_back(r.error()->message);
    return out;
}

} // namespace

class MethodSection : public ::testing::TestWithParam<std::tuple<const char *, bool>> {};

// With soil moisture takes the "Enhanced" section (s = 0), without it the
// "USBR Original" one (s = 1); line ends must not matter.
TEST_P(MethodSection, TakesOnlyTheChosenSection) {
    auto [file, noSoil] = GetParam();
    WellFileReader r;
    ASSERT_TRUE(r.read(owl(file), noSoil));
    EXPECT_TRUE(reported(r).empty());
    const int s = noSoil ? 1 : 0;
    ASSERT_EQ(r.subAreas().size(), 2u);
    const SubArea &uv = r.subAreas()[0];
    const SubArea &nf = r.subAreas()[1];
    EXPECT_EQ(uv.name, "Upper Valley");
    EXPECT_EQ(uv.wellCount, 2);
    EXPECT_EQ(nf.name, "North Fork");
    EXPECT_EQ(nf.wellCount, 3);
    ASSERT_EQ(uv.lines.size(), 6u);
    ASSERT_EQ(nf.lines.size(), 9u);
    EXPECT_EQ(r.firstYear(), 1985);
    EXPECT_EQ(r.lastYear(), 1987);
    for (std::size_t i = 0; i < nf.lines.size(); ++i) {
        const WellYearLine &l = nf.lines[i];
        EXPECT_EQ(l.wellId, 201u + i / 3);
        EXPECT_EQ(l.year, 1985 + static_cast<int>(i % 3));
        EXPECT_FLOAT_EQ(l.values[0], 20.25f + 10.0f * s + static_cast<float>(i));
        for (int m = 1; m <= 12; ++m)
            EXPECT_EQ(l.values[m], fixtureValue(s, l.wellId, static_cast<int>(i % 3), m));
        EXPECT_EQ(l.values[13], 999.0f);
    }
    EXPECT_EQ(uv.lines[0].values[1], fixtureValue(s, 101, 0, 1));
    // Heading lines are trimmed on the right only.
    EXPECT_EQ(r.headingLine1().rfind(" Year  Well   VEK(days)      JAN", 0), 0u);
    EXPECT_EQ(r.headingLine1().back(), 'L');
    EXPECT_EQ(r.headingLine2().rfind("                          (ac-ft)", 0), 0u);
    EXPECT_EQ(r.headingLine2().back(), ')');
}

INSTANTIATE_TEST_SUITE_P(Files, MethodSection,
                         ::testing::Values(std::make_tuple("two_methods.owl", true),
                                           std::make_tuple("two_methods.owl", false),
                                           std::make_tuple("two_methods_crlf.owl", true),
                                           std::make_tuple("two_methods_crlf.owl", false)));

TEST(WellFileReader, FileEndingInsideDataBlockStillCountsAsRead) {
    WellFileReader r;
    ASSERT_TRUE(r.read(owl("eof_in_data.owl"), true));
    EXPECT_EQ(reported(r), std::vector<std::string>{"Unexpected EOF reading year data ."});
    ASSERT_EQ(r.subAreas().size(), 2u);
    EXPECT_EQ(r.subAreas()[1].lines.size(), 4u);
    // The name is the 27 characters after the marker, blank included, trimmed.
    EXPECT_EQ(r.subAreas()[1].name, "Lower Basin Irrigation Dis");
    EXPECT_EQ(r.firstYear(), 1990);
    EXPECT_EQ(r.lastYear(), 1991);
}

TEST(WellFileReader, EmptyFileReadsNothing) {
    WellFileReader r;
    EXPECT_TRUE(r.read(owl("empty.owl"), false));
    EXPECT_TRUE(r.subAreas().empty());
    EXPECT_EQ(r.firstYear(), -1);
    EXPECT_EQ(r.lastYear(), -1);
    EXPECT_TRUE(reported(r).empty());
}

TEST(WellFileReader, ReadingAgainStartsAfresh) {
    WellFileReader r;
    ASSERT_TRUE(r.read(owl("two_methods.owl"), true));
    ASSERT_TRUE(r.read(owl("empty.owl"), true));
    EXPECT_TRUE(r.subAreas().empty());
    EXPECT_EQ(r.firstYear(), -1);
    EXPECT_TRUE(r.headingLine1().empty());
}

TEST(WellFileReader, FirstYearIsThatOfTheFirstLineLastYearTheLargest) {
    // Starting with a byte-order mark, as Windows editors save.
    std::istringstream in("\xEF\xBB\xBF"
                          "2 Well(s) in SubArea X\n\nh1\nh2\n\n"
                          "1990 1 1 1 2 3 4 5 6 7 8 9 10 11 12 0\n"
                          "1988 1 1 1 2 3 4 5 6 7 8 9 10 11 12 0\n"
                          "1992 1 1 1 2 3 4 5 6 7 8 9 10 11 12 0\n"
                          "1991 1 1 1 2 3 4 5 6 7 8 9 10 11 12 0\n");
    WellFileReader r;
    ASSERT_TRUE(r.read(in, true));
    EXPECT_EQ(r.firstYear(), 1990);
    EXPECT_EQ(r.lastYear(), 1992);
    EXPECT_EQ(r.headingLine1(), "h1");
    ASSERT_EQ(r.subAreas().size(), 1u);
    EXPECT_EQ(r.subAreas()[0].wellCount, 2);
}

struct BrokenOwl {
    const char *label;
    std::string text;
    bool result;
    std::vector<std::string> messages;
};

// Test names show the row's name, not the struct's bytes.
void PrintTo(const BrokenOwl &c, std::ostream *os) { *os << c.label; }

class BrokenOwlFile : public ::testing::TestWithParam<BrokenOwl> {};

TEST_P(BrokenOwlFile, GivesItsMessage) {
    const BrokenOwl &c = GetParam();
    std::istringstream in(c.text);
    WellFileReader r;
    EXPECT_EQ(r.read(in, true), c.result);
    EXPECT_EQ(reported(r), c.messages);
}

const std::string kArea = "  2 Well(s) in SubArea North Fork\n\nheading one\nheading two\n\n";
const std::string kData = "  1985 201 20.5 1 2 3 4 5 6 7 8 9 10 11 12 78\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, BrokenOwlFile,
    ::testing::Values(
        BrokenOwl{"MethodLineMissing", "Well Pumping Information\n", false, {"EOF reading well pumping method."}},
        BrokenOwl{"SkippedSectionNotClosed",
                  "Well Pumping Information\nEnhanced\n---------------\n" + kArea + kData,
                  false,
                  {"EOF while skipping well record."}},
        BrokenOwl{"FifteenValues",
                  kArea + "  1985 201 20.5 1 2 3 4 5 6 7 8 9 10 11 12\n",
                  false,
                  {"Scan error reading line 1985 201 20.5 1 2 3 4 5 6 7 8 9 10 11 12 for well data"}},
        BrokenOwl{"WordInsteadOfValue",
                  kArea + kData + "1986 201 20.5 1 2 x 4 5 6 7 8 9 10 11 12 78\n",
                  false,
                  {"Scan error reading line 1986 201 20.5 1 2 x 4 5 6 7 8 9 10 11 12 78 for well data"}},
        BrokenOwl{"NegativeWellId",
                  kArea + "1985 -3 20.5 1 2 3 4 5 6 7 8 9 10 11 12 78",
                  false,
                  {"Scan error reading line 1985 -3 20.5 1 2 3 4 5 6 7 8 9 10 11 12 78 for well data"}},
        BrokenOwl{"YearOutOfRange",
                  kArea + "99999999999 1 20.5 1 2 3 4 5 6 7 8 9 10 11 12 78",
                  false,
                  {"Scan error reading line 99999999999 1 20.5 1 2 3 4 5 6 7 8 9 10 11 12 78 for well data"}},
        BrokenOwl{"NotANumber",
                  kArea + "1985 1 nan 1 2 3 4 5 6 7 8 9 10 11 12 78",
                  false,
                  {"Scan error reading line 1985 1 nan 1 2 3 4 5 6 7 8 9 10 11 12 78 for well data"}},
        BrokenOwl{"RealTooLarge",
                  kArea + "1985 1 1e39 1 2 3 4 5 6 7 8 9 10 11 12 78",
                  false,
                  {"Scan error reading line 1985 1 1e39 1 2 3 4 5 6 7 8 9 10 11 12 78 for well data"}},
        BrokenOwl{"EndsInSubAreaHeading",
                  "  2 Well(s) in SubArea North Fork\n\nheading",
                  true,
                  {"Unexpected EOF reading year data ."}},
        BrokenOwl{"NoWellCount",
                  "Well(s) in SubArea North Fork\n\nh1\nh2\n\n" + kData + "\n",
                  true,
                  {"Unable to read the number of wells at the start of line Well(s) in SubArea North Fork; the wells "
                   "of this sub-area are not imported."}},
        BrokenOwl{"ControlCharacters",
                  "\x01\xff\xfe Well(s) in SubArea\n\n\n\n\n\x7f\x80\n",
                  false,
                  // Quoted with the control characters and stray bytes written out, so
                  // none reaches a terminal.
                  {"Unable to read the number of wells at the start of line \\x01\\xff\\xfe Well(s) in SubArea; "
                   "the wells of this sub-area are not imported.",
                   "Scan error reading line \\x7f\\x80 for well data"}}),
    [](const auto &info) { return std::string(info.param.label); });

TEST(WellFileReader, BinaryNoiseEndsWithScanErrorNotCrash) {
    std::string noise;
    for (int i = 0; i < 5000; ++i)
        noise += static_cast<char>((i * 7919) % 256);
    std::istringstream in("3 Well(s) in SubArea A\n\n\n\n\n" + noise);
    WellFileReader r;
    r.read(in, false);
    EXPECT_FALSE(reported(r).empty());
}

TEST(WellFileReader, VeryLongLineIsOneLine) {
    // A data line padded far beyond any buffer size is still one line: the
    // padding must not end the sub-area early.
    std::istringstream in(kArea + "1985 201 20.5 1 2 3 4 5 6 7 8 9 10 11 12 78" + std::string(5000, ' ') + "\n" +
                          kData + "\n");
    WellFileReader r;
    ASSERT_TRUE(r.read(in, true));
    EXPECT_TRUE(reported(r).empty());
    ASSERT_EQ(r.subAreas().size(), 1u);
    EXPECT_EQ(r.subAreas()[0].lines.size(), 2u);
}

TEST(WellFileReader, UnreadableFileGivesMessage) {
    for (const std::string &path : {vek::test::dataPath("imports/no such file.owl"), vek::test::dataPath("imports")}) {
        WellFileReader r;
        EXPECT_FALSE(r.read(path, true));
        EXPECT_EQ(reported(r), std::vector<std::string>{"Unable to open " + path + " for reading."});
    }
}

TEST(ScanWellYearLine, AcceptsScanfForms) {
    WellYearLine w;
    ASSERT_TRUE(vek::scanWellYearLine("+1985\t7 -1.5e2 .5 2. 3 4 5 6 7 8 9 10 11 12 13 trailing words", w));
    EXPECT_EQ(w.year, 1985);
    EXPECT_EQ(w.wellId, 7u);
    EXPECT_EQ(w.values[0], -150.0f);
    EXPECT_EQ(w.values[1], 0.5f);
    EXPECT_EQ(w.values[2], 2.0f);
    EXPECT_EQ(w.values[13], 13.0f);
    // Tiny magnitudes read as the nearest float, as the C library does.
    ASSERT_TRUE(vek::scanWellYearLine("1985 7 1e-50 1 2 3 4 5 6 7 8 9 10 11 12 13", w));
    EXPECT_EQ(w.values[0], 0.0f);
    EXPECT_FALSE(vek::scanWellYearLine("1985 4294967296 1 1 2 3 4 5 6 7 8 9 10 11 12 13", w));
    EXPECT_FALSE(vek::scanWellYearLine("", w));
}
