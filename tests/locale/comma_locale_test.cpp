// Numbers read and written under a decimal-comma locale (de_DE.UTF-8, which
// the CTest fixture generates when missing): the model file, the text
// reports, their averages and the graph data come out exactly as in the "C"
// locale, and a typed or stored "2.5" reads as 2.5.
#include "common/numbers.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "results/graph_data.h"
#include "results/output_results.h"
#include "results/text_report.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <functional>
#include <string>

using vek::test::ScriptedPrompter;

namespace {

// Runs f with the whole C library locale switched to de_DE.UTF-8 and back.
// Fails (never skips) when the locale is missing: the fixture makes it.
void underCommaLocale(const std::function<void()> &f) {
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "scripts/ensure-locale.sh de_DE.UTF-8 makes it";
    // The C library itself now writes a decimal comma: the test means something.
    char buf[16];
    std::snprintf(buf, sizeof buf, "%g", 2.5);
    EXPECT_STREQ(buf, "2,5");
    f();
    std::setlocale(LC_ALL, "C");
}

std::string scratchFile(const std::string &name) {
    return vek::test::freshDir(std::string("comma_locale_") +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name()) +
           "/" + name;
}

vek::OutputResults loadReport(const std::string &name) {
    ScriptedPrompter p;
    vek::OutputResults r;
    EXPECT_TRUE(r.Load(vek::test::dataPath("results/" + name), p));
    return r;
}

vek::ViewChoices everything(const vek::OutputResults &r) {
    vek::ViewChoices c;
    for (size_t i = 0; i < r.locations.size(); ++i)
        c.locations.push_back(static_cast<int>(i));
    for (int p = 0; p <= r.printedYears(); ++p)
        c.years.push_back(p);
    return c;
}

// Every report output of one report file, in one text: the monthly text
// report, the yearly one after a change to Calendar years (new averages),
// and the graph data.
std::string reportOutputs(const std::string &name) {
    vek::OutputResults r = loadReport(name);
    std::string out = vek::buildTextReport(r, everything(r), "\n");
    out += vek::plotToJson(vek::preparePlot(r, everything(r)));
    r.changeYearType(0);
    vek::ViewChoices yearly = everything(r);
    yearly.scale = vek::ViewChoices::Yearly;
    out += vek::buildTextReport(r, yearly, "\n");
    return out;
}

} // namespace

TEST(CommaLocale, CommonConversionsIgnoreTheLocale) {
    underCommaLocale([] {
        EXPECT_EQ(vek::formatG(2.5), "2.5");
        EXPECT_EQ(vek::formatG(-1234567.0), "-1.23457e+06");
        EXPECT_EQ(vek::formatG(512.4, 2), "5.1e+02");
        EXPECT_EQ(vek::leadingNumber("2.5"), 2.5f);
        EXPECT_EQ(vek::leadingNumber(" -0.125e2 rest"), -12.5f);
        // A comma ends the number, as in the "C" locale.
        EXPECT_EQ(vek::leadingNumber("2,5"), 2.0f);
        std::size_t pos = 0;
        float v = 0.0f;
        ASSERT_TRUE(vek::scanReal("  7.75 8", pos, v));
        EXPECT_EQ(v, 7.75f);
        EXPECT_EQ(pos, 6u);
    });
}

TEST(CommaLocale, ModelFileIsWrittenAndReadWithDecimalPoints) {
    const std::string path = scratchFile("model.vek");
    ScriptedPrompter prompter;
    vek::ModelDocument saved;
    ASSERT_TRUE(vek::ReadInput(saved, prompter, vek::test::dataPath("model/two_locations.vek")));
    saved.model.locations[0].VEK = 2.5f;
    saved.model.locations[0].historicalData[0][0] = -0.125f;
    saved.model.locations[0].efficiency[3] = 0.75f;
    std::string inC;
    {
        const std::string cPath = scratchFile("c.vek");
        ASSERT_TRUE(vek::SaveInput(saved, prompter, cPath));
        inC = vek::test::readFile(cPath);
    }
    underCommaLocale([&] {
        ASSERT_TRUE(vek::SaveInput(saved, prompter, path));
        const std::string text = vek::test::readFile(path);
        EXPECT_EQ(text, inC);
        EXPECT_NE(text.find("2.5 "), std::string::npos);
        EXPECT_EQ(text.find("2,5"), std::string::npos);
        vek::ModelDocument read;
        ASSERT_TRUE(vek::ReadInput(read, prompter, path));
        EXPECT_EQ(read.model, saved.model);
    });
    EXPECT_TRUE(prompter.messages.empty());
}

TEST(CommaLocale, TextReportsAndAveragesAreTheSameAsInTheCLocale) {
    for (const char *name : {"two_locations.out", "wide_values.out", "summaries_only.out"}) {
        const std::string inC = reportOutputs(name);
        ASSERT_NE(inC.find('.'), std::string::npos) << name; // decimals to get wrong
        underCommaLocale([&] { EXPECT_EQ(reportOutputs(name), inC) << name; });
    }
    // The golden reports, read and written in the comma locale.
    underCommaLocale([] {
        vek::OutputResults r = loadReport("two_locations.out");
        ASSERT_TRUE(r.changeYearType(0));
        vek::ViewChoices c = everything(r);
        c.scale = vek::ViewChoices::Yearly;
        EXPECT_EQ(vek::test::compareGolden("results/yearly_calendar_report.txt", vek::buildTextReport(r, c, "\n")), "");
    });
}
