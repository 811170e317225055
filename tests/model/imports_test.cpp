// The three imports into a model, checked field by field: well output files
// (soil-moisture basis, names, factors, short sub-areas), tab-delimited
// files (header fields, year check, year type and units) and old-format
// files, with their refusals as typed errors; the document's import commands
// (the questions they ask, what they show); and an imported model running in
// the engine.
#include "model/imports.h"

#include "model/document_operations.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "model/year_types.h"
#include "support/recording_ui.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>
#include <tuple>

using vek::Location;
using vek::ModelDocument;
using vek::ModelInput;
using vek::OperationResult;
using vek::SoilMoisture;
using vek::test::ScriptedPrompter;
using Kind = vek::OperationError::Kind;

namespace {

std::string fixture(const std::string &name) { return vek::test::dataPath("imports/" + name); }

// Value the well output fixtures hold for section s (0 with soil moisture,
// 1 without), well id, year offset k and month 1..12.
float owlValue(int s, int id, int k, int month) {
    return static_cast<float>(s * 10000 + id * 10 + k) + static_cast<float>(month) * 0.0625f;
}

// Value the tab-delimited and old-format fixtures hold for location L (from
// 1), year offset k and month 1..12.
float tableValue(int L, int k, int month) { return static_cast<float>(L * 100 + k * 10) + 0.5f * month; }

void expectImportedWell(const Location &loc, int years) {
    EXPECT_EQ(loc.LocationType, vek::IrrigationWell);
    EXPECT_EQ(loc.UseInOutput, 1);
    EXPECT_EQ(loc.UsePumpingRecord, 0);
    EXPECT_EQ(loc.Units, 1);
    for (int m = 0; m < 12; ++m) {
        EXPECT_EQ(loc.historicalData[m].size(), static_cast<std::size_t>(years));
        EXPECT_EQ(loc.pumpingFlow[m], std::vector<float>(years, 0.0f));
        EXPECT_EQ(loc.daysOn[m], std::vector<float>(years, 0.0f));
        EXPECT_TRUE(loc.synthesizedData[m].empty());
        EXPECT_EQ(loc.efficiency[m], 1.0f);
    }
}

// A model that already holds something an import must replace.
ModelInput oldModel() {
    ModelInput m;
    m.inputStartYear = 1950;
    m.inputEndYear = 1951;
    m.synthStartYear = 1952;
    m.synthEndYear = 1960;
    m.yearMode = 2;
    m.unitMode = 0;
    m.locations.resize(4);
    return m;
}

std::vector<std::string> messagesOf(const std::vector<vek::OperationError> &errors) {
    std::vector<std::string> out;
    for (const auto &e : errors)
        out.push_back(e.message);
    return out;
}

} // namespace

// ---- well output files ----------------------------------------------------

class SoilMoistureChoice : public ::testing::TestWithParam<SoilMoisture> {};

// "No Soil Moisture" takes the USBR Original section, "With Soil Moisture"
// the Enhanced one; the rest of the model follows the file.
TEST_P(SoilMoistureChoice, FillsModelFromChosenSection) {
    const int s = GetParam() == SoilMoisture::Without ? 1 : 0;
    ModelInput m = oldModel();
    const OperationResult r = vek::importWendraFile(m, fixture("two_methods.owl"), GetParam());
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(m.inputStartYear, 1985);
    EXPECT_EQ(m.inputEndYear, 1987);
    EXPECT_EQ(m.outputStartYear, 1985);
    EXPECT_EQ(m.outputEndYear, 1987);
    EXPECT_EQ(m.synthStartYear, 1988);
    EXPECT_EQ(m.synthEndYear, 1987);
    EXPECT_EQ(m.synthesizedYears(), 0);
    EXPECT_EQ(m.yearMode, 0);
    EXPECT_EQ(m.unitMode, 1);

    const std::array<const char *, 5> names{"101 (Upper Valley)", "102 (Upper Valley)", "201 (North Fork)",
                                            "202 (North Fork)", "203 (North Fork)"};
    const std::array<int, 5> ids{101, 102, 201, 202, 203};
    ASSERT_EQ(m.locations.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        const Location &loc = m.locations[i];
        SCOPED_TRACE(loc.name);
        EXPECT_EQ(loc.name, names[i]);
        // Every well of a sub-area takes the factor of the sub-area's first line.
        EXPECT_EQ(loc.VEK, i < 2 ? 45.5f + 10.0f * s : 20.25f + 10.0f * s);
        expectImportedWell(loc, 3);
        for (int k = 0; k < 3; ++k)
            for (int mo = 0; mo < 12; ++mo)
                EXPECT_EQ(loc.historicalData[mo][k], owlValue(s, ids[i], k, mo + 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Choices, SoilMoistureChoice, ::testing::Values(SoilMoisture::Without, SoilMoisture::With));

TEST(ImportWendraFile, FileEndingInsideDataBlockIsImportedWithAWarning) {
    ModelInput m;
    const OperationResult r = vek::importWendraFile(m, fixture("eof_in_data.owl"), SoilMoisture::With);
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0].kind, Kind::UnexpectedEnd);
    EXPECT_EQ(r.warnings[0].message, "Unexpected EOF reading year data .");
    EXPECT_EQ(r.warnings[0].file, fixture("eof_in_data.owl"));
    EXPECT_EQ(r.warnings[0].locationName, "Lower Basin Irrigation Dis");
    const auto &locs = m.locations;
    ASSERT_EQ(locs.size(), 3u);
    EXPECT_EQ(locs[0].name, "301 (Dry Gulch)");
    EXPECT_EQ(locs[1].name, "401 (Lower Basin Irrigation Dis)");
    EXPECT_EQ(locs[2].name, "402 (Lower Basin Irrigation Dis)");
    EXPECT_EQ(locs[2].VEK, 8.5f);
    EXPECT_EQ(locs[2].historicalData[11][1], owlValue(0, 402, 1, 12));
    EXPECT_EQ(m.inputStartYear, 1990);
    EXPECT_EQ(m.inputEndYear, 1991);
}

TEST(ImportWendraFile, EmptyFileGivesNoLocationsAndYearsMinusOne) {
    ModelInput m = oldModel();
    const OperationResult r = vek::importWendraFile(m, fixture("empty.owl"), SoilMoisture::Without);
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_TRUE(m.locations.empty());
    EXPECT_EQ(m.inputStartYear, -1);
    EXPECT_EQ(m.inputEndYear, -1);
    EXPECT_EQ(m.outputStartYear, -1);
    EXPECT_EQ(m.outputEndYear, -1);
}

// Sub-areas with fewer (or more) lines than wells x years: nothing is read
// past the lines there are, missing years are 0, wells without any line are
// left out, and the user is told.
TEST(ImportWendraFile, ShortSubAreaIsReadOnlyAsFarAsItGoes) {
    ModelInput m;
    const OperationResult r = vek::importWendraFile(m, fixture("short_subarea.owl"), SoilMoisture::Without);
    ASSERT_TRUE(r.ok());
    const auto &locs = m.locations;
    ASSERT_EQ(locs.size(), 5u);
    EXPECT_EQ(locs[0].name, "501 (Short Creek)");
    EXPECT_EQ(locs[2].name, "503 (Short Creek)");
    EXPECT_EQ(locs[3].name, "601 (Half Mesa)");
    EXPECT_EQ(locs[4].name, "701 (Long Draw)");
    for (const auto &loc : locs)
        expectImportedWell(loc, 3);
    EXPECT_EQ(locs[2].VEK, 30.0f);
    EXPECT_EQ(locs[2].historicalData[0][0], owlValue(0, 503, 0, 1));
    for (int mo = 0; mo < 12; ++mo) {
        EXPECT_EQ(locs[2].historicalData[mo][1], 0.0f);
        EXPECT_EQ(locs[2].historicalData[mo][2], 0.0f);
    }
    EXPECT_EQ(locs[4].historicalData[5][2], owlValue(0, 701, 2, 6));
    ASSERT_EQ(r.warnings.size(), 3u);
    EXPECT_EQ(r.warnings[1].kind, Kind::UnevenWells);
    EXPECT_EQ(r.warnings[1].locationName, "Half Mesa");
    EXPECT_EQ(r.warnings[1].field, "well count");
    EXPECT_EQ(messagesOf(r.warnings),
              (std::vector<std::string>{
                  "SubArea Short Creek: 7 data lines for 3 wells of 3 years (9 expected). The missing years are set to "
                  "0; wells without any data line are left out.",
                  "SubArea Half Mesa: 3 data lines for 2 wells of 3 years (6 expected). The missing years are set to "
                  "0; wells without any data line are left out.",
                  "SubArea Long Draw: 6 data lines for 1 wells of 3 years (3 expected). The lines after line 3 are not "
                  "imported."}));
}

TEST(ImportWendraFile, FailedReadIsReportedAsFailure) {
    ModelInput m = oldModel();
    const std::string path = fixture("missing.owl");
    const OperationResult r = vek::importWendraFile(m, path, SoilMoisture::Without);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error->kind, Kind::CannotOpen);
    EXPECT_EQ(r.error->family(), vek::OperationError::Family::File);
    EXPECT_EQ(r.error->message, "Unable to open " + path + " for reading.");
    EXPECT_EQ(r.error->file, path);
    EXPECT_TRUE(m.locations.empty());
    EXPECT_EQ(m.inputStartYear, 1950);
    EXPECT_EQ(m.yearMode, 0);
    EXPECT_EQ(m.unitMode, 1);
}

// Well output files the import refuses: the error names its kind, the
// year and the sub-area where the reading stopped.
TEST(ImportWendraFile, RefusedFilesSayWhereTheyStopped) {
    struct Row {
        const char *name;
        std::string text;
        Kind kind;
        int year;
        const char *subArea;
        std::string message; // "@" stands for the file's path
    };
    const std::string area = "1 Well(s) in SubArea Dry Gulch\n\n\n\n\n";
    const Row rows[] = {
        {"unreadable data line", area + "1990 301 4 1 2 3 4 5 6 7 8 9 10 11 12 0\n1991 301 4 1 2 x\n\n",
         Kind::Unreadable, 1991, "Dry Gulch", "Scan error reading line 1991 301 4 1 2 x\n for well data"},
        {"absurd year span",
         area + "1 5 1 1 2 3 4 5 6 7 8 9 10 11 12 0\n2000000000 5 1 1 2 3 4 5 6 7 8 9 10 11 12 0\n\n",
         Kind::TooManyYears, 2000000000, "",
         "The years of @ run from 1 to 2000000000; at most 2000 years can be imported."},
    };
    const std::string dir = vek::test::freshDir("imports_refused");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = dir + "/bad.owl";
        vek::test::writeFile(path, row.text);
        ModelInput m;
        const OperationResult r = vek::importWendraFile(m, path, SoilMoisture::Without);
        ASSERT_FALSE(r.ok());
        EXPECT_TRUE(m.locations.empty());
        EXPECT_EQ(r.error->kind, row.kind);
        EXPECT_EQ(r.error->year, row.year);
        EXPECT_EQ(r.error->locationName, row.subArea);
        EXPECT_EQ(r.error->file, path);
        std::string message = row.message;
        if (auto at = message.find('@'); at != std::string::npos) message.replace(at, 1, path);
        EXPECT_EQ(r.error->message, message);
    }
}

// The document's command asks for the basis first; a dismissed choice
// leaves the document without locations, and what the import reports is
// shown word for word.
TEST(ImportWendraCommand, AsksForTheBasisAndShowsWhatTheImportReports) {
    ScriptedPrompter p; // no answer queued: dismissed
    ModelDocument doc;
    doc.model = oldModel();
    EXPECT_FALSE(vek::importWendraFile(doc, p, fixture("two_methods.owl")));
    EXPECT_TRUE(doc.model.locations.empty());
    EXPECT_TRUE(doc.isModified());
    // Nothing else was touched.
    EXPECT_EQ(doc.model.inputStartYear, 1950);
    EXPECT_EQ(doc.model.yearMode, 2);
    EXPECT_EQ(doc.model.unitMode, 0);

    p.soilMoisture.push_back(2);
    EXPECT_TRUE(vek::importWendraFile(doc, p, fixture("eof_in_data.owl")));
    EXPECT_EQ(doc.model.locations.size(), 3u);
    EXPECT_EQ(p.messages, std::vector<std::string>{"Unexpected EOF reading year data ."});
    p.soilMoisture.push_back(1);
    EXPECT_FALSE(vek::importWendraFile(doc, p, fixture("missing.owl")));
    EXPECT_EQ(p.messages.back(), "Unable to open " + fixture("missing.owl") + " for reading.");
}

// Import From Wendra into an open model: a dismissed choice, a file that
// cannot be read, one of garbage and one without wells leave the document
// exactly as it was; a good file replaces the model and marks it modified.
TEST(ImportWendraFile, IntoAnOpenDocumentOnlyASuccessReplacesTheModel) {
    const std::string dir = vek::test::freshDir("imports_open_document");
    const std::string garbage = dir + "/garbage.owl";
    vek::test::writeFile(garbage, "\x7f"
                                  "ELF not a well output file\n\1\2 Well Pumping\n-----\n\xff\xfe\n");
    ScriptedPrompter p;
    ModelDocument doc;
    doc.model = oldModel();
    doc.model.locations[1].name = "Kept";
    doc.model.locations[1].VEK = 12.5f;
    doc.historicalDataChanged = true;
    doc.setPath("/models/old.vek");
    const std::string before = vek::modelInputText(doc.model);
    vek::test::RecordingUi ui(p);

    struct Case {
        std::string path;
        int soilMoisture;
        size_t messages;
    };
    const Case cases[] = {{fixture("two_methods.owl"), 0, 0},
                          {dir + "/missing.owl", 1, 1},
                          {garbage, 1, 1},
                          {fixture("empty.owl"), 2, 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        p.messages.clear();
        p.soilMoisture.push_back(c.soilMoisture);
        EXPECT_FALSE(vek::importWendraFileIntoOpenDocument(doc, ui, c.path));
        EXPECT_EQ(p.messages.size(), c.messages);
        EXPECT_EQ(vek::modelInputText(doc.model), before);
        EXPECT_FALSE(doc.isModified());
        EXPECT_TRUE(doc.historicalDataChanged);
        EXPECT_TRUE(ui.hints.empty());
    }
    EXPECT_EQ(p.messages.back(), fixture("empty.owl") + " holds no well data; the model is left as it was.");

    p.soilMoisture.push_back(1);
    EXPECT_TRUE(vek::importWendraFileIntoOpenDocument(doc, ui, fixture("two_methods.owl")));
    EXPECT_EQ(doc.model.locations.size(), 5u);
    EXPECT_EQ(doc.model.inputStartYear, 1985);
    EXPECT_EQ(doc.model.yearMode, 0);
    EXPECT_TRUE(doc.isModified());
    EXPECT_FALSE(doc.historicalDataChanged); // no synthesized years to be stale
    EXPECT_EQ(ui.hints, std::vector<vek::ViewHint>{vek::ViewHint::Everything});
    EXPECT_EQ(doc.path(), "/models/old.vek");
}

// ---- tab-delimited files --------------------------------------------------

struct Expected {
    const char *name;
    float factor;
    int type;
};

// Each location's name, factor, type and output flag, and its historical
// values tableValue(location number, year offset, month) over `years` years.
void expectLocations(const vek::ModelInput &m, const std::vector<Expected> &expected, std::size_t years) {
    ASSERT_EQ(m.locations.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Location &loc = m.locations[i];
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(loc.name, expected[i].name);
        EXPECT_EQ(loc.VEK, expected[i].factor);
        EXPECT_EQ(loc.LocationType, expected[i].type);
        EXPECT_EQ(loc.UseInOutput, 1);
        for (int mo = 0; mo < 12; ++mo) {
            ASSERT_EQ(loc.historicalData[mo].size(), years);
            for (std::size_t k = 0; k < years; ++k)
                EXPECT_EQ(loc.historicalData[mo][k], tableValue(static_cast<int>(i) + 1, static_cast<int>(k), mo + 1));
        }
    }
}

class TabDelimitedFile : public ::testing::TestWithParam<bool> {};

// Header fields, values spread over lines and (with a byte-order mark and
// CRLF line ends) stray carriage returns must all come out the same.
TEST_P(TabDelimitedFile, EveryFieldOfEveryLocation) {
    std::string path = fixture("wells.txt");
    if (GetParam()) {
        // As a Windows spreadsheet saves it: byte-order mark and CRLF.
        std::string text = vek::test::readFile(path), crlf = "\xEF\xBB\xBF";
        for (char c : text)
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        path = vek::test::freshDir("imports_crlf") + "/wells.txt";
        vek::test::writeFile(path, crlf);
    }
    ModelInput m = oldModel();
    m.outputStartYear = 1940;
    const OperationResult r = vek::importTabDelimited(m, path, 2, 0);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(m.inputStartYear, 1985);
    EXPECT_EQ(m.inputEndYear, 1987);
    EXPECT_EQ(m.synthStartYear, 1988);
    EXPECT_EQ(m.synthEndYear, 1987);
    EXPECT_EQ(m.outputStartYear, 1940); // the run period is the user's to set
    EXPECT_EQ(m.yearMode, 2);
    EXPECT_EQ(m.unitMode, 0);
    ASSERT_NO_FATAL_FAILURE(expectLocations(m,
                                            {{"Well A", 12.5f, 1},
                                             {"Well B", 30.0f, -1},
                                             {"North Well", 7.25f, -1},
                                             {"Pond 4", 0.5f, 1},
                                             {"Well 05", 3.0f, -1},
                                             {"Empty Type", 25.0f, -1}},
                                            3));
    // No pumping record and no synthesized years come with the file.
    for (const Location &loc : m.locations) {
        SCOPED_TRACE(loc.name);
        for (int mo = 0; mo < 12; ++mo) {
            EXPECT_EQ(loc.pumpingFlow[mo], std::vector<float>(3, 0.0f));
            EXPECT_EQ(loc.daysOn[mo], std::vector<float>(3, 0.0f));
            EXPECT_TRUE(loc.synthesizedData[mo].empty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(LineEnds, TabDelimitedFile, ::testing::Values(false, true));

TEST(ImportTabDelimited, WrongYearStopsKeepingEarlierLocations) {
    ModelInput m;
    const OperationResult r = vek::importTabDelimited(m, fixture("year_mismatch.txt"), 1, 1);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error->kind, Kind::WrongYear);
    EXPECT_EQ(r.error->message, "Read pump year 1987 for well Well B; should be year 1986");
    // Where: the second location, the year read, the field.
    EXPECT_EQ(r.error->location, 1);
    EXPECT_EQ(r.error->locationName, "Well B");
    EXPECT_EQ(r.error->year, 1987);
    EXPECT_EQ(r.error->field, "year");
    ASSERT_EQ(m.locations.size(), 1u);
    EXPECT_EQ(m.locations[0].name, "Well A");
    EXPECT_EQ(m.inputStartYear, 1985);
    EXPECT_EQ(m.inputEndYear, 1987);
    // The chosen year type and units are set whatever the reader reported.
    EXPECT_EQ(m.yearMode, 1);
    EXPECT_EQ(m.unitMode, 1);
}

TEST(ImportTabDelimited, YearTypeOrUnitsThatAreNoneAreRefusedFirst) {
    for (const auto &[yearMode, unitMode, kind] :
         {std::tuple{3, 1, Kind::UnknownYearType}, std::tuple{0, -1, Kind::UnknownUnits}}) {
        ModelInput m = oldModel();
        const OperationResult r = vek::importTabDelimited(m, fixture("wells.txt"), yearMode, unitMode);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error->kind, kind);
        EXPECT_EQ(m, oldModel());
    }
}

// The document's command: the options come from "Set Import Options", the
// reader's message is shown, the document is marked modified (an import
// closed without the save prompt would be lost) and refilled entirely.
TEST(ImportTabDelimitedCommand, OptionsComeFromTheQuestion) {
    ScriptedPrompter p;
    vek::test::RecordingUi ui(p);
    ModelDocument doc;
    doc.model = oldModel();
    // Cancelled: nothing changes.
    EXPECT_FALSE(vek::importTabDelimitedAsking(doc, ui, fixture("wells.txt")));
    EXPECT_EQ(doc.model.locations.size(), 4u);
    EXPECT_EQ(doc.model.yearMode, 2);
    EXPECT_FALSE(doc.isModified());
    p.importOptions.push_back(std::make_pair(0, 1));
    EXPECT_TRUE(vek::importTabDelimitedAsking(doc, ui, fixture("wells.txt")));
    EXPECT_EQ(doc.model.locations.size(), 6u);
    EXPECT_EQ(doc.model.yearMode, 0);
    EXPECT_EQ(doc.model.unitMode, 1);
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(ui.hints, std::vector<vek::ViewHint>{vek::ViewHint::Everything});
    p.importOptions.push_back(std::make_pair(1, 1));
    EXPECT_FALSE(vek::importTabDelimitedAsking(doc, ui, fixture("year_mismatch.txt")));
    EXPECT_EQ(p.messages, std::vector<std::string>{"Read pump year 1987 for well Well B; should be year 1986"});
}

struct BrokenTab {
    const char *label;
    std::string text;
    std::size_t locationsKept;
    std::string message; // "@" stands for the file's path
};

// Test names show the row's name, not the struct's bytes.
void PrintTo(const BrokenTab &c, std::ostream *os) { *os << c.label; }

class BrokenTabFile : public ::testing::TestWithParam<BrokenTab> {};

TEST_P(BrokenTabFile, GivesItsMessage) {
    const BrokenTab &c = GetParam();
    const std::string path = vek::test::freshDir(std::string("imports_tab_") + c.label) + "/in.txt";
    vek::test::writeFile(path, c.text);
    ModelInput m;
    const OperationResult r = vek::importTabDelimited(m, path, 1, 1);
    ASSERT_FALSE(r.ok());
    std::string expected = c.message;
    if (auto at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, path);
    EXPECT_EQ(r.error->message, expected);
    EXPECT_EQ(r.error->file, path);
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(m.locations.size(), c.locationsKept);
}

TEST(ImportTabDelimited, UnreadableValueNamesItsMonth) {
    const std::string path = vek::test::freshDir("imports_tab_month") + "/in.txt";
    vek::test::writeFile(path, "1985 1985\nWell A\t1\t0\n1985\t1\t2\tthree\t4\t5\t6\t7\t8\t9\t10\t11\t12\n");
    ModelInput m;
    const OperationResult r = vek::importTabDelimited(m, path, 1, 1);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error->kind, Kind::Unreadable);
    EXPECT_EQ(r.error->location, 0);
    EXPECT_EQ(r.error->locationName, "Well A");
    EXPECT_EQ(r.error->year, 1985);
    EXPECT_EQ(r.error->month, 2);
}

const std::string kRow85 = "1985\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, BrokenTabFile,
    ::testing::Values(
        BrokenTab{"Empty", "", 0, "Unable to read the first and last year at the start of @."},
        BrokenTab{"YearsNotNumbers", "from 1985 to 1986\n", 0,
                  "Unable to read the first and last year at the start of @."},
        BrokenTab{"WordInRow", "1985 1985\nWell A\t1\t0\n1985\t1\t2\tthree\t4\t5\t6\t7\t8\t9\t10\t11\t12\n", 0,
                  "Unable to read value 3 of year 1985 for well Well A in @: 12 numbers are expected after the year."},
        BrokenTab{"NumberWithJunk", "1985 1985\nWell A\t1\t0\n1985\t1\t2\t3x\t4\t5\t6\t7\t8\t9\t10\t11\t12\n", 0,
                  "Unable to read value 3 of year 1985 for well Well A in @: 12 numbers are expected after the year."},
        BrokenTab{"EndsInsideRow", "1985 1985\nWell A\t1\t0\n1985\t1\t2\t3\n", 0,
                  "Unable to read value 4 of year 1985 for well Well A in @: 12 numbers are expected after the year."},
        BrokenTab{"EndsBeforeYear", "1985 1986\nWell A\t1\t0\n" + kRow85, 0,
                  "Unable to read the year of row 2 for well Well A in @; should be year 1986."},
        BrokenTab{"HeaderWithoutFactor", "1985 1985\nWell A\t1\t0\n" + kRow85 + "Well B\n" + kRow85, 1,
                  "Unable to read the depletion factor in the header line Well B of @. Expected: name, tab, factor, "
                  "tab, type."},
        BrokenTab{"RowTooLong", "1985 1985\nWell A\t1\t0\n1985\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\n", 1,
                  "Unable to read the depletion factor in the header line 13 of @. Expected: name, tab, factor, tab, "
                  "type."},
        BrokenTab{"HugeSpan", "-2000000000 2000000000\nWell A\t1\t0\n", 0,
                  "The years of @ run from -2000000000 to 2000000000; at most 2000 years can be imported."}),
    [](const auto &info) { return std::string(info.param.label); });

TEST(ImportTabDelimited, UnreadableFileGivesMessage) {
    for (const std::string &path : {fixture("no such file.txt"), vek::test::dataPath("imports")}) {
        ModelInput m = oldModel();
        const OperationResult r = vek::importTabDelimited(m, path, 1, 1);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error->kind, Kind::CannotOpen);
        EXPECT_EQ(r.error->message, "Unable to open " + path + " for reading.");
        EXPECT_EQ(m.locations.size(), 4u);
    }
}

// ---- old-format files -----------------------------------------------------

TEST(ImportOldFormat, CharacterColumnRecords) {
    ModelInput m;
    const OperationResult r = vek::importOldFormat(m, fixture("old_format.txt"));
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(m.inputStartYear, 1985);
    EXPECT_EQ(m.inputEndYear, 1986);
    EXPECT_EQ(m.outputStartYear, 1985);
    EXPECT_EQ(m.synthStartYear, 1987);
    EXPECT_EQ(m.synthesizedYears(), 0);
    EXPECT_EQ(m.outputFormat, 0);
    expectLocations(m, {{"North Fork Well 1", 12.5f, -1}, {"Recharge Pond", 30.0f, 1}, {"South Well", 7.0f, -1}}, 2);
}

// The document's command shows the reader's message, marks the document
// modified and refreshes the views (all but the month headers), also after
// a failure.
TEST(ImportOldFormatCommand, ShowsTheReadersMessageAndRefreshes) {
    ScriptedPrompter p;
    vek::test::RecordingUi ui(p);
    ModelDocument doc;
    const std::vector<vek::ViewHint> refilled{vek::ViewHint::EverythingButMonthHeaders};
    ASSERT_TRUE(vek::importOldFormat(doc, ui, fixture("old_format.txt")));
    EXPECT_TRUE(p.messages.empty());
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(ui.hints, refilled);
    EXPECT_EQ(doc.model.locations.size(), 3u);

    const std::string path = fixture("no such file.txt");
    ui.hints.clear();
    EXPECT_FALSE(vek::importOldFormat(doc, ui, path));
    EXPECT_EQ(p.messages, std::vector<std::string>{"ReadInput: Unable to open VEK input file " + path});
    EXPECT_EQ(ui.hints, refilled);
}

// ---- an imported document runs in the engine ------------------------------

namespace {
struct RunResult {
    int status = -1;
    std::string console;
};

RunResult runIn(const std::string &dir, const std::string &command) {
    RunResult r;
    std::string full = "cd '" + dir + "' && " + command + " 2>&1";
    FILE *f = popen(full.c_str(), "r");
    if (!f) return r;
    char buf[512];
    while (std::fgets(buf, sizeof buf, f))
        r.console += buf;
    int st = pclose(f);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}
} // namespace

TEST(ImportedDocument, SavedConvertedAndRunInEngine) {
    const std::string vek = vek::test::binDir() + "/vek";
    ASSERT_TRUE(std::filesystem::exists(vek)) << "engine not built: " << vek;
    const std::string dir = vek::test::freshDir("imports_run");

    ScriptedPrompter p;
    ModelDocument doc;
    ASSERT_TRUE(vek::importWendraFile(doc.model, fixture("two_methods.owl"), SoilMoisture::Without).ok());
    ASSERT_TRUE(vek::SaveInput(doc, p, dir + "/imported.vek"));

    // Read back what was saved, convert it to Irrigation Year and save again.
    ModelDocument again;
    ASSERT_TRUE(vek::ReadInput(again, p, dir + "/imported.vek"));
    ASSERT_EQ(again.model.locations.size(), 5u);
    EXPECT_EQ(again.model.locations[2].name, "201 (North Fork)");
    // The file keeps six significant digits.
    char saved[32];
    std::snprintf(saved, sizeof saved, "%g", owlValue(1, 201, 1, 4));
    EXPECT_EQ(again.model.locations[2].historicalData[3][1], std::stof(saved));
    ASSERT_TRUE(vek::changeYearType(again.model, vek::IrrigationYear).ok());
    ASSERT_EQ(again.model.yearMode, vek::IrrigationYear);
    ASSERT_TRUE(vek::SaveInput(again, p, dir + "/irrig.vek"));
    EXPECT_TRUE(p.messages.empty()) << p.messages.front();

    RunResult r = runIn(dir, "'" + vek + "' irrig.vek irrig.out");
    EXPECT_EQ(r.status, 0) << r.console;
    EXPECT_EQ(r.console.find("rror"), std::string::npos) << r.console;
    EXPECT_EQ(r.console.find("RROR"), std::string::npos) << r.console;
    ASSERT_TRUE(std::filesystem::exists(dir + "/irrig.out")) << r.console;
    const std::string report = vek::test::readFile(dir + "/irrig.out");
    for (const char *name : {"101 (Upper Valley)", "203 (North Fork)"})
        EXPECT_NE(report.find(std::string("LOCATION:        ") + name), std::string::npos) << name;
}

// ---- the longest period an import takes -------------------------------------

// A tab-delimited file and a well output file spanning exactly the longest
// period an import takes are imported whole; one year more is refused and
// changes nothing.
TEST(ImportLimits, ExactlyTheLongestPeriodAndOneYearMore) {
    const std::string dir = vek::test::freshDir("import_limits");
    for (const int years : {vek::kMaxImportYears, vek::kMaxImportYears + 1}) {
        SCOPED_TRACE(years);
        const int first = 101, last = first + years - 1;
        std::string tab = std::to_string(first) + "\t" + std::to_string(last) + "\nWell A\t12.5\t0\n";
        std::string owl = "WELL OUTPUT FILE\n\n   1 Well(s) in SubArea Long Run\n\n Year  Well  VEK\n (units)\n\n";
        for (int y = first; y <= last; ++y) {
            tab += std::to_string(y) + "\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t" + std::to_string(y) + "\n";
            owl += "  " + std::to_string(y) + "   501   30.00 1 2 3 4 5 6 7 8 9 10 11 " + std::to_string(y) + " 0\n";
        }
        vek::test::writeFile(dir + "/long.txt", tab);
        vek::test::writeFile(dir + "/long.owl", owl);
        const bool fits = years <= vek::kMaxImportYears;

        ModelInput fromTab = oldModel();
        const OperationResult t = vek::importTabDelimited(fromTab, dir + "/long.txt", 1, 1);
        ModelInput fromOwl = oldModel();
        const OperationResult w = vek::importWendraFile(fromOwl, dir + "/long.owl", SoilMoisture::Without);
        for (const auto &[r, m] : {std::tie(t, fromTab), std::tie(w, fromOwl)}) {
            EXPECT_EQ(r.ok(), fits);
            if (fits) {
                ASSERT_EQ(m.locations.size(), 1u);
                EXPECT_EQ(m.historicalYears(), years);
                EXPECT_EQ(m.inputStartYear, first);
                EXPECT_EQ(m.inputEndYear, last);
                EXPECT_EQ(m.locations[0].historicalData[11].back(), static_cast<float>(last));
            } else {
                ASSERT_TRUE(r.error);
                EXPECT_EQ(r.error->kind, Kind::TooManyYears);
                EXPECT_EQ(r.error->message, "The years of " + r.error->file +
                                                " run from 101 to 2101; at most 2000 "
                                                "years can be imported.");
            }
        }
    }
}
