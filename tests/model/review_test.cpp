// Documents built through the document operations, saved and run in the real
// engine: the report heading names the document's years, and every printed
// diversion is the value of the year and month the document holds there.
#include "model/engine_runner.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "model/process_pipe.h"
#include "model/synthesis.h"
#include "model/year_types.h"
#include "support/scripted_prompter.h"
#include "support/run_program.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;
using vek::ModelDocument;
using vek::test::ScriptedPrompter;

namespace {

bool haveVek() { return fs::exists(vek::test::programPath("vek")); }

// Historical year k (0-based), month column m of location i: distinct for
// every cell, so a row or column out of place shows.
float cellValue(int i, int k, int m) { return static_cast<float>(1000 * (i + 1) + 20 * k + m) + 0.25f; }

void fillHistorical(ModelDocument &d) {
    for (size_t i = 0; i < d.model.locations.size(); ++i)
        for (int m = 0; m < 12; ++m)
            for (size_t k = 0; k < d.model.locations[i].historicalData[m].size(); ++k)
                d.model.locations[i].historicalData[m][k] = cellValue(static_cast<int>(i), static_cast<int>(k), m);
}

// A document with `years` historical years from `start` and `n` locations,
// run over its historical years.
void makeDocument(ModelDocument &d, int start, int years, int n) {
    d.model.inputStartYear = start;
    d.model.inputEndYear = start + years - 1;
    d.model.synthStartYear = d.model.inputEndYear + 1;
    d.model.synthEndYear = d.model.inputEndYear;
    d.insertLocations(-1, n);
    for (int i = 0; i < n; ++i)
        d.model.locations[static_cast<size_t>(i)].name = "Location " + std::to_string(i + 1);
    fillHistorical(d);
    d.model.outputStartYear = d.model.inputStartYear;
    d.model.outputEndYear = d.model.inputEndYear;
}

struct Case {
    const char *what;
    std::function<void(ModelDocument &, ScriptedPrompter &)> build;
    // After building, convert to average daily acre-feet with this
    // monthly-to-daily rule (0 actual days, 1 30.417 days); -1 keeps monthly.
    int dailyRule = -1;
};

// One row of a report table: the year and 12 months (F9.1 fields).
struct Row {
    int year = 0;
    float month[12] = {};
};

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        out.push_back(l);
    }
    return out;
}

// The diversion table of the location block whose name starts as `name`.
std::vector<Row> diversionTable(const std::vector<std::string> &report, const std::string &name, int runYears) {
    std::vector<Row> rows;
    const std::string want = "LOCATION:        " + name.substr(0, 60);
    size_t i = 0;
    while (i < report.size() && report[i].rfind(want, 0) != 0)
        ++i;
    while (i < report.size() && report[i].rfind("YEAR", 0) != 0)
        ++i;
    for (int y = 0; y < runYears && ++i < report.size(); ++y) {
        Row r;
        const std::string &l = report[i];
        r.year = std::atoi(l.substr(0, 4).c_str());
        for (int j = 1; j <= 12; ++j)
            r.month[j - 1] = static_cast<float>(std::atof(l.substr(static_cast<size_t>(9 * j - 5), 9).c_str()));
        rows.push_back(r);
    }
    return rows;
}

std::string headingLine(const std::vector<std::string> &report, const std::string &start) {
    for (const auto &l : report)
        if (l.rfind(start, 0) == 0) return l;
    return "<missing " + start + ">";
}

const std::vector<Case> &cases() {
    static const std::vector<Case> c = {
        {"one year, one well, nothing synthesized",
         [](ModelDocument &d, ScriptedPrompter &) { makeDocument(d, 2000, 1, 1); }},
        {"five years, three synthesized from a given year, run past the data, CFS and Ac-Ft pumping records",
         [](ModelDocument &d, ScriptedPrompter &p) {
             makeDocument(d, 1996, 5, 3);
             auto &l = d.model.locations;
             l[0].name = std::string(100, 'L') + " long";
             l[0].UsePumpingRecord = 1;
             l[0].Units = 0;
             l[1].LocationType = vek::RechargeSite;
             l[1].name = "Recharge 1";
             l[1].Units = 1;
             l[2].name = "Well C";
             for (auto &loc : l)
                 for (int m = 0; m < 12; ++m)
                     for (size_t k = 0; k < loc.pumpingFlow[m].size(); ++k) {
                         loc.pumpingFlow[m][k] = 1.5f + static_cast<float>(m);
                         loc.daysOn[m][k] = 30.0f;
                     }
             p.methods.push_back(1);
             p.givenYears.push_back(3);
             d.setSynthesizedYearCount(3);
             vek::chooseSynthesisMethod(d);
             d.model.outputEndYear = 2004; // one year past the last synthesized
         }},
        {"a 600-character name, an unused location between two used ones, a cycle",
         [](ModelDocument &d, ScriptedPrompter &p) {
             makeDocument(d, 1980, 4, 3);
             d.model.locations[0].name = std::string(600, 'x');
             d.model.locations[1].UseInOutput = 0;
             d.model.locations[2].name = "After the unused one";
             p.methods.push_back(2);
             p.cycles.push_back(std::make_pair(1, 2));
             d.setSynthesizedYearCount(7);
             vek::chooseSynthesisMethod(d);
             d.model.outputEndYear = d.model.synthEndYear;
         }},
        {"run starts and ends inside the data",
         [](ModelDocument &d, ScriptedPrompter &p) {
             makeDocument(d, 1990, 6, 2);
             p.methods.push_back(0);
             p.averageYears.push_back(std::vector<int>{0, 5});
             d.setSynthesizedYearCount(4);
             vek::chooseSynthesisMethod(d);
             d.model.outputStartYear = 1992;
             d.model.outputEndYear = 1997;
         }},
        {"Calendar document whose last December holds water, changed to Irrigation Year",
         [](ModelDocument &d, ScriptedPrompter &) {
             d.model.yearMode = vek::CalendarYear;
             makeDocument(d, 2001, 3, 2);
             vek::changeYearType(d, vek::IrrigationYear);
             ASSERT_EQ(d.model.inputEndYear, 2004);
             d.model.outputEndYear = 2004;
         }},
        {"values in average daily acre-feet by actual days, leap Februaries in both periods",
         [](ModelDocument &d, ScriptedPrompter &p) {
             makeDocument(d, 1999, 6, 2);
             p.methods.push_back(1);
             p.givenYears.push_back(1);
             d.setSynthesizedYearCount(4); // 2005 to 2008
             vek::chooseSynthesisMethod(d);
             d.model.outputEndYear = d.model.synthEndYear;
         },
         0},
        {"values in average daily acre-feet by 30.417 days",
         [](ModelDocument &d, ScriptedPrompter &) { makeDocument(d, 2010, 2, 1); }, 1},
        {"values that %g writes in exponent form",
         [](ModelDocument &d, ScriptedPrompter &) {
             makeDocument(d, 2000, 2, 1);
             d.model.locations[0].historicalData[3][1] = 1234567.0f;
             d.model.locations[0].historicalData[4][0] = 0.00001f;
             d.model.locations[0].VEK = 1.5e6f;
             // Positive, so the printed 1234570.0 fills its field exactly.
             d.model.locations[0].LocationType = vek::RechargeSite;
         }},
    };
    return c;
}

} // namespace

class SavedDocumentRuns : public ::testing::TestWithParam<size_t> {};

TEST_P(SavedDocumentRuns, HeadingAndTablesFollowTheDocument) {
    if (!haveVek()) GTEST_SKIP() << "vek is not built in " << vek::test::binDir();
    const Case &c = cases()[GetParam()];
    SCOPED_TRACE(c.what);
    ScriptedPrompter p;
    ModelDocument d(&p);
    c.build(d, p);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(p.messages.empty()) << p.messages[0];
    // The engine turns daily values back into monthly volumes with its own
    // calendar, so the report must show the monthly values from before the
    // conversion.
    const vek::ModelInput monthly = d.model;
    if (c.dailyRule >= 0) {
        vek::setUseAvgDaysPerMonth(d, c.dailyRule == 1);
        vek::changeUnits(d, vek::AverageDailyAcreFeet);
        ASSERT_EQ(d.model.unitMode, 0);
    }

    const std::string dir = vek::test::freshDir("review_engine_" + std::to_string(GetParam()));
    ASSERT_TRUE(d.save(dir + "/model.vek"));
    // The saved file reads back as the same periods.
    ModelDocument saved(&p);
    ASSERT_TRUE(vek::ReadInput(saved, dir + "/model.vek"));
    EXPECT_EQ(saved.model.inputEndYear, d.model.inputEndYear);
    EXPECT_EQ(saved.model.synthesizedYears(), d.model.synthesizedYears());
    // The report is compared with the document in memory, not with what was
    // read back, so a setting the writer gets wrong cannot hide itself.
    const vek::ModelInput &m = d.model;

    const fs::path before = fs::current_path();
    fs::current_path(dir);
    vek::ProcessPipe engine({vek::test::binDir() + "/vek", "model.vek", "model.out", "/dde"});
    std::string console, l;
    while (engine.readLine(l))
        console += l + "\n";
    const int status = engine.close();
    fs::current_path(before);
    ASSERT_EQ(status, 0) << console;
    EXPECT_EQ(console, " Stop - Program terminated.\n");

    const auto report = lines(vek::test::readFile(dir + "/model.out"));
    char buf[200];
    std::snprintf(buf, sizeof buf, "          THE LAST YEAR OF HISTORICAL DATA IS%5d.", m.inputEndYear);
    EXPECT_EQ(headingLine(report, "          THE LAST YEAR"), buf);
    int n = m.synthesizedYears();
    if (m.inputEndYear < m.outputStartYear) n = std::max(0, n - (m.outputStartYear - m.inputEndYear));
    std::snprintf(buf, sizeof buf, "          NUMBER OF YEARS OF SYNTHESIZED DATA ARE %5d", n);
    EXPECT_EQ(headingLine(report, "          NUMBER OF YEARS"), buf);
    std::snprintf(buf, sizeof buf, "          PRINT OUT OF DEPLETIONS IS FOR YEARS %4d TO %4d INCLUSIVE.",
                  m.outputStartYear, m.outputEndYear);
    EXPECT_EQ(headingLine(report, "          PRINT OUT"), buf);
    EXPECT_EQ(headingLine(report, "          MONTHLY TO DAILY"),
              std::string("          MONTHLY TO DAILY CONVERSIONS USED ") +
                  (m.useAvgDaysPerMonth ? "AVERAGE DAYS PER MONTH (30.417)." : "ACTUAL DAYS IN THE MONTH."));

    const int runYears = m.outputEndYear - m.outputStartYear + 1;
    const int lastDataYear = m.inputEndYear + m.synthesizedYears();
    for (const auto &loc : monthly.locations) {
        const auto rows = diversionTable(report, loc.name, runYears);
        if (!loc.UseInOutput) {
            EXPECT_TRUE(rows.empty()) << "unused location printed: " << loc.name.substr(0, 20);
            continue;
        }
        ASSERT_EQ(rows.size(), static_cast<size_t>(runYears)) << loc.name.substr(0, 20);
        const float sign = loc.isWell() ? -1.0f : 1.0f;
        for (int y = 0; y < runYears; ++y) {
            const int year = m.outputStartYear + y;
            EXPECT_EQ(rows[y].year, year);
            for (int mo = 0; mo < 12; ++mo) {
                float v = 0.0f;
                if (year <= m.inputEndYear)
                    v = loc.historicalData[mo][static_cast<size_t>(year - m.inputStartYear)];
                else if (year <= lastDataYear)
                    v = loc.synthesizedData[mo][static_cast<size_t>(year - m.inputEndYear - 1)];
                const float expected = sign * v;
                // Six significant digits in the file, one decimal in the report.
                EXPECT_NEAR(rows[y].month[mo], expected, 0.051f + 8e-6f * std::fabs(expected))
                    << loc.name.substr(0, 20) << " year " << year << " column " << mo;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, SavedDocumentRuns, ::testing::Range<size_t>(0, 8));

// A file the user marked read-only is not replaced behind its back: the save
// fails with the message for a file that cannot be opened, and the file and
// its folder stay as they were.
TEST(SaveInputProtection, ReadOnlyFileIsNotReplaced) {
    const std::string dir = vek::test::freshDir("review_read_only");
    ScriptedPrompter p;
    ModelDocument d(&p);
    makeDocument(d, 2000, 2, 1);
    const std::string path = dir + "/model.vek";
    vek::test::writeFile(path, "protected\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(d.save(path));
    EXPECT_EQ(p.messages, std::vector<std::string>{"SaveInput: Unable to open VEK input file " + path});
    EXPECT_EQ(vek::test::readFile(path), "protected\n");
    EXPECT_TRUE(d.isModified());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    // Writable again, the same save goes through.
    fs::permissions(path, fs::perms::owner_write, std::filesystem::perm_options::add);
    p.messages.clear();
    EXPECT_TRUE(d.save(path));
    EXPECT_TRUE(p.messages.empty());
    EXPECT_EQ(vek::test::readFile(path).rfind("Version 1.12\n", 0), 0u);
}

// The engine keeps 45 characters of each name. A run whose input or report
// name is longer is refused before the engine starts, so it can neither read
// another file nor leave an older report of the full name to be opened.
TEST(EngineNames, LongerThanTheEngineReadsAreRefused) {
    if (!haveVek()) GTEST_SKIP() << "vek is not built in " << vek::test::binDir();
    struct Row {
        std::string fileName;
        bool runs;
        std::string tooLong; // the name the message quotes
    } rows[] = {
        {std::string(41, 'a') + ".vek", true, ""},                             // 45 and 45: the longest that run
        {std::string(42, 'b') + ".vek", false, std::string(42, 'b') + ".vek"}, // input 46
        {std::string(43, 'c'), false, std::string(43, 'c') + ".out"},          // input 43, report 47
        {std::string(42, 'd') + ".v", false, std::string(42, 'd') + ".out"},   // input 44, report 46
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.fileName);
        ScriptedPrompter p;
        ModelDocument d(&p);
        makeDocument(d, 2000, 1, 1);
        const std::string dir = vek::test::freshDir("review_names");
        const fs::path base = fs::path(r.fileName).stem();
        // An older report of the full name that a cut name would leave in place.
        vek::test::writeFile(dir + "/" + base.string() + ".out", "old report\n");
        ASSERT_TRUE(d.save(dir + "/" + r.fileName));
        const fs::path before = fs::current_path();
        std::vector<std::string> opened;
        vek::EngineRunHooks h;
        h.programDirectory = vek::test::binDir() + "/";
        h.openReport = [&](const std::string &name) { opened.push_back(name); };
        const vek::RunResult result = vek::runEngine(d, h);
        EXPECT_EQ(fs::current_path(), before);
        EXPECT_EQ(d.title(), d.path());
        const std::string report = vek::test::readFile(dir + "/" + base.string() + ".out");
        if (r.runs) {
            EXPECT_EQ(result, vek::RunResult::Succeeded);
            EXPECT_TRUE(p.messages.empty()) << p.messages[0];
            EXPECT_EQ(opened, std::vector<std::string>{base.string() + ".out"});
            EXPECT_NE(report.find("STREAM DEPLETION"), std::string::npos);
        } else {
            EXPECT_EQ(result, vek::RunResult::Refused);
            EXPECT_EQ(p.messages, std::vector<std::string>{"The file name " + r.tooLong +
                                                           " is longer than the 45 characters the engine reads.  "
                                                           "Save the model under a shorter name and run it again."});
            EXPECT_TRUE(opened.empty());
            EXPECT_EQ(report, "old report\n");
            EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2); // model, old report
        }
    }
}
