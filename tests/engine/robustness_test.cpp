// Whatever the input, the engine ends with a status and a console line, never
// a crash: parameter records that break the callers' rules, and randomly
// damaged decks, run in both computations.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "engine/engine_run.h"
#include "support/test_files.h"

namespace {

namespace t = vek::test;

struct Result {
    int status;
    std::string console, errors, report;
};

Result runText(const std::string &dir, const std::string &deck, bool reference) {
    t::writeFile(dir + "/model.vek", deck);
    vek::engine::EngineOptions options;
    options.reference = reference;
    options.threads = reference ? 1 : 2;
    std::ostringstream console, errors;
    Result r;
    r.status = vek::engine::runEngine(dir + "/model.vek", dir + "/model.out", options, console, errors);
    r.console = console.str();
    r.errors = errors.str();
    r.report = t::readFile(dir + "/model.out");
    return r;
}

const char *kRow = "1 2 3 4 5 6 7 8 9 10 11 12\n";

std::string deck(const std::string &parameters, int locations, int rows) {
    std::string s = "Version 1.12\n" + parameters + "\n";
    for (int n = 0; n < locations; ++n) {
        s += "120 -1 1\nWell\n";
        for (int r = 0; r < rows; ++r)
            s += kRow;
    }
    return s;
}

TEST(Robustness, ParametersOutsideTheCallersRules) {
    struct Row {
        const char *name;
        std::string text;
        int status;
        const char *console; // start of the console text, or of the error line
    } rows[] = {
        {"start_before_input", deck("2000 2001 0 1998 2001 1 0 4 0 0 1 0 0", 1, 2), 2, "end of file"},
        {"start_after_data", deck("2000 2001 0 2003 2005 2 0 4 0 0 1 0 0", 2, 2), 2, "unreadable"},
        {"start_after_data_last", deck("2000 2001 0 2003 2005 1 0 4 0 0 1 0 0", 1, 2), 2, "end of file"},
        {"negative_wells", deck("2000 2001 0 2000 2001 -3 0 4 0 0 1 0 0", 0, 0), 2, "nwells is -3"},
        {"many_wells_few_records", deck("2000 2001 0 2000 2001 2000000000 0 4 0 0 1 0 0", 2, 2), 2, "end of file"},
        {"end_before_start", deck("2000 2001 0 2001 2000 1 0 4 0 0 1 0 0", 1, 2), 2, "the run has no years"},
        {"huge_years",
         deck("-2147483648 2147483647 2147483647 -2147483648 2147483647 1 0 1 2147483647 2147483647 1 "
              "0 0",
              1, 1),
         -1, " ERROR"},
        {"other_day_rule_and_units", deck("2000 2001 0 2000 2002 1 0 9 0 0 7 5 -4", 1, 2), 0, " Stop"},
        {"missing_parameters", "Version 1.12\n2000 2001\n", 2, "end of file"},
        {"empty_file", "", 2, "end of file"},
        {"binary_junk", std::string("Version\n\0\1\2\3\xff\n", 15), 2, "unreadable integer"},
    };
    for (const auto &r : rows) {
        for (bool reference : {false, true}) {
            const std::string dir = t::freshDir(std::string("engine_robust_") + r.name);
            const Result res = runText(dir, r.text, reference);
            EXPECT_EQ(res.status, r.status) << r.name << res.errors;
            const std::string &text = r.status == 2 ? res.errors : res.console;
            EXPECT_NE(text.find(r.console), std::string::npos) << r.name << ": " << text;
        }
    }
}

// Random damage to a good deck: a changed, dropped or doubled byte, or a cut.
TEST(Robustness, DamagedDecksNeverCrash) {
    const std::string good = t::readFile(t::dataPath("engine/layout.vek"));
    std::mt19937 gen(2024);
    const std::string alphabet = "0123456789 .,-+eE#\n\r\tx";
    int normal = 0, failed = 0;
    for (int i = 0; i < 200; ++i) {
        std::string d = good;
        const int edits = 1 + static_cast<int>(gen() % 3);
        for (int e = 0; e < edits && !d.empty(); ++e) {
            const std::size_t at = gen() % d.size();
            switch (gen() % 4) {
            case 0:
                d[at] = alphabet[gen() % alphabet.size()];
                break;
            case 1:
                d.erase(at, 1);
                break;
            case 2:
                d.insert(at, 1, d[at]);
                break;
            default:
                d.resize(at);
                break;
            }
        }
        const std::string dir = t::freshDir("engine_robust_damaged");
        const Result fast = runText(dir, d, false);
        ASSERT_TRUE(fast.status == 0 || fast.status == 2 || fast.status == -1) << d;
        if (fast.status == 2) {
            ++failed;
            EXPECT_NE(fast.errors.find("run-time error"), std::string::npos);
        } else {
            ++normal;
        }
        const Result reference = runText(dir, d, true);
        EXPECT_EQ(reference.status, fast.status) << d;
        EXPECT_EQ(reference.report, fast.report) << d;
    }
    EXPECT_GT(normal, 0);
    EXPECT_GT(failed, 0);
}

} // namespace
