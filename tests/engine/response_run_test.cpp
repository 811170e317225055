// Runs of the engine on models whose locations use the other response
// methods: the same superposition, signs, units and day rules as the infinite
// aquifer, the same floats from every computation, the closing list of
// methods, and every damaged section refused before anything is computed.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "engine/day_calendar.h"
#include "engine/engine_run.h"
#include "engine/response_methods.h"
#include "engine/response_table.h"
#include "report_tables.h"
#include "support/test_files.h"
#include "vek_process.h"

namespace {

using namespace vek::engine;
namespace t = vek::test;

// The historical years of a parameter line: one pumping row each.
std::size_t historicalYears(const std::string &parameters) {
    std::istringstream in(parameters);
    int first = 0, last = 0;
    in >> first >> last;
    return static_cast<std::size_t>(last - first + 1);
}

// A deck of `names.size()` wells with the same rows, the pumping records the
// editor writes after them, and `section` at the end.
std::string deck(const std::string &parameters, const std::vector<std::string> &names,
                 const std::vector<std::string> &rows, const std::string &factor, const std::string &section) {
    std::string d = "Version 1.12\n" + parameters + "\n";
    for (const auto &n : names) {
        d += factor + " -1 1 # VEK LocationType UseInOutput\n" + n + "\n";
        for (const auto &r : rows)
            d += r + "\n";
    }
    for (const auto &n : names) {
        d += n + "\n0 1 # UsePumpingRecord Units\n1 1 1 1 1 1 1 1 1 1 1 1\n";
        for (std::size_t k = 0; k < historicalYears(parameters); ++k)
            d += "0 0 0 0 0 0 0 0 0 0 0 0\n";
    }
    return d + section;
}

const std::vector<std::string> kSeasonRows = {"0 0 0 0 0 50 100 150 170 130 60 0", "0 0 0 0 0 40 90 120 140 100 40 0",
                                              "0 0 0 0 0 45 95 135 155 115 50 0"};
const char *kFourMethods = "Response methods 1\n"
                           "table name=\"Agency run\" months=4 after=hold\n"
                           "0.3 0.2 0.1 0.05\n"
                           "location 2 alluvial a/W=0.5\n"
                           "location 3 hunt lambda=2.5\n"
                           "location 4 table name=\"Agency run\"\n"
                           "end\n";

std::string fourMethodDeck() {
    return deck("2000 2001 1 2000 2003 4 0 1 0 1 1 1 0", {"Infinite well", "Alluvial well", "Hunt well", "Table well"},
                kSeasonRows, "150", kFourMethods);
}

struct EngineOutcome {
    int status = -1;
    std::string report, console, errors;
};

EngineOutcome run(const std::string &name, const std::string &text, bool reference = false, unsigned threads = 0) {
    const std::string dir = t::freshDir(name);
    t::writeFile(dir + "/model.vek", text);
    std::ostringstream console, errors;
    EngineOptions options;
    options.reference = reference;
    options.threads = threads;
    EngineOutcome r;
    r.status = runEngine(dir + "/model.vek", dir + "/model.out", options, console, errors);
    r.report = t::readFile(dir + "/model.out");
    r.console = console.str();
    r.errors = errors.str();
    return r;
}

TEST(ResponseRun, FourMethodsGoldenInEveryComputation) {
    const EngineOutcome fast = run("engine_response_four", fourMethodDeck());
    ASSERT_EQ(fast.status, kExitNormal) << fast.errors;
    EXPECT_EQ(fast.console, " Stop - Program terminated.\n");
    EXPECT_EQ(t::compareGolden("engine/four_methods.out", fast.report), "");
    for (unsigned threads : {1u, 3u})
        EXPECT_EQ(run("engine_response_four_threads", fourMethodDeck(), false, threads).report, fast.report);
    EXPECT_EQ(run("engine_response_four_reference", fourMethodDeck(), true).report, fast.report);
    // The list follows the summaries and names the three, by file position.
    const auto list = fast.report.find("RESPONSE METHODS OTHER THAN THE INFINITE AQUIFER\r\n");
    ASSERT_NE(list, std::string::npos);
    EXPECT_GT(list, fast.report.rfind("NET IMPACT UPON THE STREAM"));
    EXPECT_NE(fast.report.find("    2  Alluvial well", list), std::string::npos);
    EXPECT_NE(fast.report.find("ALLUVIAL AQUIFER (GLOVER), SDF 150 DAYS, A/W 0.5\r\n", list), std::string::npos);
    EXPECT_NE(fast.report.find("STREAMBED RESISTANCE (HUNT 1999), SDF 150 DAYS, LAMBDA' 2.5\r\n", list),
              std::string::npos);
    EXPECT_NE(fast.report.find("UNIT RESPONSE TABLE \"Agency run\", 4 MONTHS, THEN HELD AT 0.65\r\n", list),
              std::string::npos);
    EXPECT_EQ(fast.report.find("Infinite well", list), std::string::npos);
}

// A constant rate from the first month: every month's printed depletion is
// the rate times the month's days times the method's double-precision step
// response at that month's sampling day, to the report's rounding.
TEST(ResponseRun, ConstantRateFollowsEachMethod) {
    const std::vector<std::string> rows(20, "100 100 100 100 100 100 100 100 100 100 100 100");
    const std::string section = "Response methods 1\n"
                                "table name=\"slow\" months=6 after=one\n"
                                "0.05 0.1 0.1 0.1 0.1 0.1\n"
                                "location 1 alluvial a/W=0.35\n"
                                "location 2 hunt lambda=0.8\n"
                                "location 3 table name=\"slow\"\n"
                                "end\n";
    // Average daily acre-feet with actual days; a run of 20 years from 1981.
    const EngineOutcome r = run("engine_response_constant", deck("1981 2000 0 1981 2000 4 0 4 0 0 1 0 0",
                                                                 {"A", "H", "T", "I"}, rows, "2314.8", section));
    ASSERT_EQ(r.status, kExitNormal) << r.errors;
    const auto tabs = t::reportTables(r.report);
    ASSERT_GE(tabs.size(), 8u);
    const StepResponse methods[] = {StepResponse::alluvialAquifer(2314.8f, double(0.35f)),
                                    StepResponse::streambedResistance(2314.8f, double(0.8f)),
                                    StepResponse::responseTable({0.05f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f}, true),
                                    StepResponse::infiniteAquifer(2314.8f)};
    const DayCalendar cal(1981);
    for (int loc = 0; loc < 4; ++loc) {
        const auto &depletion = tabs[static_cast<std::size_t>(2 * loc + 1)];
        double worst = 0.0;
        for (int i = 1; i <= 240; ++i) {
            const double expected = 100.0 * cal.daysInMonth(i) * methods[loc](cal[i] - 15);
            const double printed =
                -depletion[static_cast<std::size_t>((i - 1) / 12)][static_cast<std::size_t>((i - 1) % 12)];
            worst = std::max(worst, std::abs(printed - expected));
        }
        EXPECT_LE(worst, 0.06) << "location " << loc + 1;
    }
}

// Locations that share a factor but not a/W, lambda' or the table each get
// the stream table they get alone. One thread, so that every location meets
// the kernels the one before it left in the cache.
TEST(ResponseRun, LocationsSharingAFactorKeepTheirOwnResponse) {
    const char *tables = "table name=\"fast\" months=3 after=one\n0.3 0.2 0.1\n"
                         "table name=\"slow\" months=4 after=hold\n0.1 0.1 0.1 0.1\n";
    const std::vector<std::string> methods = {"alluvial a/W=0.3", "alluvial a/W=0.7",    "hunt lambda=0.5",
                                              "hunt lambda=5",    "table name=\"fast\"", "table name=\"slow\""};
    const std::string parameters = "2000 2002 0 2000 2002 ";
    std::string section = std::string("Response methods 1\n") + tables;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < methods.size(); ++i) {
        section += "location " + std::to_string(i + 1) + " " + methods[i] + "\n";
        names.push_back("Well " + std::to_string(i + 1));
    }
    const EngineOutcome all = run("engine_response_shared_factor",
                                  deck(parameters + std::to_string(methods.size()) + " 0 4 0 0 1 1 0", names,
                                       kSeasonRows, "150", section + "end\n"),
                                  false, 1);
    ASSERT_EQ(all.status, kExitNormal) << all.errors;
    const auto together = t::reportTables(all.report);
    ASSERT_GE(together.size(), 2 * methods.size());
    for (std::size_t i = 0; i < methods.size(); ++i) {
        SCOPED_TRACE(methods[i]);
        const EngineOutcome one =
            run("engine_response_shared_factor_alone",
                deck(parameters + "1 0 4 0 0 1 1 0", {names[i]}, kSeasonRows, "150",
                     std::string("Response methods 1\n") + tables + "location 1 " + methods[i] + "\nend\n"),
                false, 1);
        ASSERT_EQ(one.status, kExitNormal) << one.errors;
        EXPECT_EQ(together[2 * i + 1], t::reportTables(one.report)[1]);
    }
}

// A section with nothing but tables, or naming a location as the infinite
// aquifer, leaves the report exactly as the file without it writes it.
TEST(ResponseRun, InfiniteAquiferLocationsWriteTheReportOfAModelWithoutMethods) {
    const auto base = [](const std::string &section) {
        return deck("2000 2001 1 2000 2003 2 0 1 0 1 1 1 0", {"North well", "South well"}, kSeasonRows, "150", section);
    };
    const EngineOutcome plain = run("engine_response_plain", base(""));
    ASSERT_EQ(plain.status, kExitNormal);
    for (const char *section : {"Response methods 1\ntable name=\"unused\" months=2\n0.5 0.5\nend\n",
                                "Response methods 1\nlocation 1 infinite\nend\n\n\n", "Response methods 1\r\nend\r\n",
                                "Response methods 1\nlocation 2 alluvial a/W=0.5\nend\n"}) {
        const EngineOutcome r = run("engine_response_plain_section", base(section));
        ASSERT_EQ(r.status, kExitNormal) << section << r.errors;
        if (std::string(section).find("alluvial") == std::string::npos)
            EXPECT_EQ(r.report, plain.report) << section;
        else
            EXPECT_NE(r.report, plain.report); // the control
    }
    // A location left out of the run is not listed either.
    std::string text = base("Response methods 1\nlocation 1 hunt lambda=3\nend\n");
    text.replace(text.find(" -1 1 #"), 7, " -1 0 #");
    const EngineOutcome unused = run("engine_response_unused", text);
    EXPECT_EQ(unused.status, kExitNormal) << unused.errors;
    EXPECT_EQ(unused.report.find("RESPONSE METHODS"), std::string::npos);
}

// A response table made from the infinite aquifer's own response (its
// cumulative share at each table month's usual sampling day) gives the
// infinite aquifer's report back: within one printed digit for a slow
// response, and within 0.3 acre-feet (on months of up to 170) for a faster
// one. A table has one value a month and cannot follow the sampling day,
// which moves by up to 3 days with months of 28 to 31 days; the infinite
// aquifer's response changes over those days by its slope, largest for small
// factors.
double tableAgainstInfinite(float sdf) {
    std::string shares;
    double last = 0.0;
    const int months = 480;
    for (int n = 1; n <= months; ++n) {
        const int t = static_cast<int>(std::lround(kCycleMeanMonthDays * n)) - 15;
        const double cumulative = depletionFraction(sdf, t);
        char buf[32];
        const auto end = std::to_chars(buf, buf + sizeof buf, static_cast<float>(cumulative - last));
        shares += std::string(buf, end.ptr) + (n % 12 == 0 ? "\n" : " ");
        last = cumulative;
    }
    std::vector<std::string> rows;
    for (int y = 0; y < 20; ++y)
        rows.push_back(y % 3 == 2 ? "0 0 0 0 0 30 80 110 130 100 40 0" : "0 0 0 0 0 50 100 150 170 130 60 0");
    const std::string params = "1981 2000 0 1981 2020 1 0 4 0 0 1 1 1";
    const std::string factor = std::to_string(sdf);
    const EngineOutcome infinite = run("engine_response_reproduce_infinite", deck(params, {"Well"}, rows, factor, ""));
    const EngineOutcome table = run("engine_response_reproduce_table",
                                    deck(params, {"Well"}, rows, factor,
                                         "Response methods 1\ntable name=\"infinite aquifer\" months=480 after=hold\n" +
                                             shares + "location 1 table name=\"infinite aquifer\"\nend\n"));
    EXPECT_EQ(table.status, kExitNormal) << table.errors;
    const auto a = t::reportTables(infinite.report), b = t::reportTables(table.report);
    EXPECT_EQ(a.size(), b.size());
    double worst = 0.0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (std::size_t y = 0; y < a[i].size(); ++y)
            for (std::size_t m = 0; m < 12; ++m)
                worst = std::max(worst, std::abs(a[i][y][m] - b[i][y][m]));
    std::printf("| response table from the infinite aquifer (sdf %g days), 40 years: largest monthly difference "
                "| 0 | %.1f acre-feet |\n",
                double(sdf), worst);
    return worst;
}

TEST(ResponseRun, TableOfTheInfiniteAquiferReproducesIt) {
    EXPECT_LE(tableAgainstInfinite(20000.0f), 0.1 + 1e-9);
    EXPECT_LE(tableAgainstInfinite(2000.0f), 0.3 + 1e-9);
}

// Each damaged or unusable section stops the run before any location with a
// run-time error naming the file's record (the section starts on record 43).
TEST(ResponseRun, DamagedSectionsAreRefused) {
    const struct {
        const char *section;
        const char *message;
        int record;
    } rows[] = {
        {"Response methods 1\nlocation 2 alluvial a/W=0.5\n", "have no end line", 44},
        {"Response methods 2\nend\n", "layout 2", 43},
        {"Response methods 1\nlocation 2 alluvial a/W=1\nend\n", "location 2: a/W is 1; it must be", 44},
        {"Response methods 1\nlocation 2 alluvial\nend\n", "field a/W is missing", 44},
        {"Response methods 1\nlocation 2 alluvial a/W=half\nend\n", "a/W \"half\" is not a number", 44},
        {"Response methods 1\nlocation 3 hunt lambda=0\nend\n", "lambda' is 0", 44},
        {"Response methods 1\nlocation 3 hunt lambda=nan\nend\n", "is not a number", 44},
        {"Response methods 1\nlocation 5 hunt lambda=1\nend\n", "location 5 does not exist (the file has 4)", 44},
        {"Response methods 1\nlocation 4 table name=\"x\"\nend\n", "there is no table \"x\"", 44},
        {"Response methods 1\nlocation 2 glacier\nend\n", "unknown method \"glacier\"", 44},
        {"Response methods 1\nlocation 2 hunt lambda=1\nlocation 2 hunt lambda=2\nend\n", "location 2 is given twice",
         45},
        {"Response methods 1\ntable name=\"t\" months=3\n0.5 0.5\nend\n", "\"end\" is not a number", 46},
        {"Response methods 1\ntable name=\"t\" months=3\n0.5 0.5\n", "ends after 2 of its 3 shares", 44},
        {"Response methods 1\ntable name=\"t\" months=2\n0.7 0.6\nend\n", "add up to", 44},
        {"Response methods 1\ntable name=\"t\" months=2 after=never\n0.5 0.5\nend\n", "after is \"never\"", 44},
        {"Response methods 1\nend\n0 0 0\n", "text after the end line", 45},
        {"Response methods 1\nlocation 2 hunt lambda=1 a/W=3\nend\n", "unknown field a/W", 44},
        {"Response methods 1\ntable name=\"t months=1\n1\nend\n", "no closing quote", 44},
        // Damaged where it starts: each of these once ran every location on
        // the infinite aquifer with status 0.
        {"Response meth\nlocation 2 alluvial a/W=0.5\nend\n", "first line \"Response meth\" is damaged", 43},
        {"Response methods\nend\n", "first line \"Response methods\" is damaged", 43},
        {"response methods 1\nend\n", "is damaged; it must read \"Response methods 1\"", 43},
        {"Response methods 1\n2 0.5\nend\n", "unknown statement \"2\" (table, location or end)", 44},
        {"Response methods 1\nend\n\nResponse methods 1\nlocation 2 hunt lambda=1\nend\n",
         "a second response-methods section", 46},
        {"Survey notes\nResponse methods 1\nlocation 2 hunt lambda=1\nend\n",
         "response methods after other text (line 43)", 44},
    };
    for (const auto &row : rows) {
        const std::string text =
            deck("2000 2001 1 2000 2003 4 0 1 0 1 1 1 0", {"A", "B", "C", "D"}, kSeasonRows, "150", row.section);
        const EngineOutcome r = run("engine_response_damaged", text);
        EXPECT_EQ(r.status, kExitRuntimeError) << row.section;
        EXPECT_NE(r.errors.find(" run-time error: "), std::string::npos) << r.errors;
        EXPECT_NE(r.errors.find(row.message), std::string::npos) << row.section << "\n" << r.errors;
        EXPECT_NE(r.errors.find("record " + std::to_string(row.record) + " (response methods)"), std::string::npos)
            << row.section << "\n"
            << r.errors;
        EXPECT_EQ(r.report.find("LOCATION:"), std::string::npos) << row.section;
    }
}

// Text after the pumping records that is no section (an older program's or a
// person's notes) is not read: the run goes on, the console says where it
// starts, and the report's list says that every location used the infinite
// aquifer.
TEST(ResponseRun, OtherTextAfterThePumpingRecordsIsSaid) {
    const std::string params = "2000 2001 1 2000 2003 2 0 1 0 1 1 1 0";
    const auto base = [&](const std::string &tail) {
        return deck(params, {"North well", "South well"}, kSeasonRows, "150", tail);
    };
    const EngineOutcome plain = run("engine_other_text_plain", base(""));
    const EngineOutcome noted = run("engine_other_text", base("\nSurvey notes of 1998\nwell 3 replaced\n"));
    ASSERT_EQ(noted.status, kExitNormal) << noted.errors;
    EXPECT_NE(noted.console.find(" WARNING: the input file goes on after its pumping records at record 24 "),
              std::string::npos)
        << noted.console;
    EXPECT_EQ(noted.report.substr(0, plain.report.size()), plain.report);
    EXPECT_EQ(noted.report.substr(plain.report.size()),
              " \r\nRESPONSE METHODS OTHER THAN THE INFINITE AQUIFER\r\n \r\n  NONE: EVERY LOCATION USED THE INFINITE "
              "AQUIFER. THE TEXT FROM LINE 24 OF THE INPUT FILE ON FOLLOWS THE PUMPING RECORDS AND IS NO "
              "RESPONSE-METHOD SECTION; IT WAS NOT READ.\r\n");

    // The engine never reads the pumping records: where they break (here
    // one row short) before a well-formed section, the section is read from
    // there; before a damaged first line, the run is refused.
    const auto shortened = [&](const std::string &tail) {
        std::string text = base(tail);
        text.erase(text.rfind("0 0 0 0 0 0 0 0 0 0 0 0\n"), 24); // the last pumping row
        return text;
    };
    const EngineOutcome kept =
        run("engine_other_text_short", shortened("Response methods 1\nlocation 2 hunt lambda=1\nend\n"));
    ASSERT_EQ(kept.status, kExitNormal) << kept.errors;
    EXPECT_NE(kept.report.find("STREAMBED RESISTANCE (HUNT 1999)"), std::string::npos) << kept.report;
    const EngineOutcome refused =
        run("engine_other_text_broken", shortened("Response meth\nlocation 2 hunt lambda=1\nend\n"));
    EXPECT_EQ(refused.status, kExitRuntimeError);
    EXPECT_NE(refused.errors.find("first line \"Response meth\" is damaged"), std::string::npos) << refused.errors;
    EXPECT_EQ(refused.report.find("LOCATION:"), std::string::npos);
}

// A location named like the section's first line, in a file written before
// sections existed, is a name: in its group and in its pumping record it is
// followed by numbers. The file runs exactly as one with another name, with
// or without a real section after it; a real section that is damaged is
// still refused.
TEST(ResponseRun, NameLikeTheSectionStartIsAName) {
    const std::string params = "2000 2001 1 2000 2003 2 0 1 0 1 1 1 0";
    const EngineOutcome named = run("engine_response_named", deck(params, {"Response methods 1", "B"}, kSeasonRows,
                                                                  "150", "Response methods 1\nend\n"));
    const EngineOutcome plain =
        run("engine_response_named_plain", deck(params, {"Response methods 1", "B"}, kSeasonRows, "150", ""));
    const EngineOutcome other =
        run("engine_response_named_other", deck(params, {"Response methods X", "B"}, kSeasonRows, "150", ""));
    ASSERT_EQ(named.status, kExitNormal) << named.errors;
    ASSERT_EQ(plain.status, kExitNormal) << plain.errors;
    ASSERT_EQ(other.status, kExitNormal) << other.errors;
    std::string expected = other.report;
    expected.replace(expected.find("Response methods X"), 18, "Response methods 1");
    EXPECT_EQ(plain.report, expected);
    EXPECT_EQ(named.report, expected);
    const EngineOutcome damaged =
        run("engine_response_named_damaged",
            deck(params, {"Response methods 1", "B"}, kSeasonRows, "150", "Response methods 1\nlocation 9 hunt\n"));
    EXPECT_EQ(damaged.status, kExitRuntimeError);
}

// The vek program itself: the same report through its command line, and a
// location whose method is in the section listed even when the report shows
// only the summaries.
TEST(ResponseRun, VekProgramWritesTheList) {
    const std::string dir = t::freshDir("engine_response_program");
    std::string text = fourMethodDeck();
    text.replace(text.find(" 4 0 1 0 1 1 1 0"), 16, " 4 1 1 0 1 1 1 0"); // summaries only
    t::writeFile(dir + "/model.vek", text);
    const t::Outcome o = t::runVek(dir, "model.vek model.out");
    EXPECT_EQ(o.status, 0) << o.err;
    const std::string report = t::readFile(dir + "/model.out");
    EXPECT_EQ(report.find("LOCATION:"), std::string::npos);
    EXPECT_NE(report.find("    4  Table well"), std::string::npos);
}

} // namespace
