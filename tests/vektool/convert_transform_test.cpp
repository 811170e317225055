// vektool convert with year-type, units, monthly-to-daily and synthesis
// options: each option reaches the model through the same operations the
// editor calls, and a refused option writes no output file.
#include "model/input_file.h"
#include "model/model_document.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace vek {
namespace {

using test::binDir;
using test::freshDir;
using test::readFile;

// A model with historical years 1980..1984 (Irrigation Year, monthly
// acre-feet) and two synthesized years; value = 100 * offset + column + 1,
// so every synthesized value tells which year it came from.
ModelInput sampleModel() {
    ModelInput md;
    md.inputStartYear = 1980;
    md.inputEndYear = 1984;
    md.synthStartYear = 1985;
    md.synthEndYear = 1986;
    md.outputStartYear = 1980;
    md.outputEndYear = 1986;
    md.locations.resize(2);
    md.locations[1].name = "Site";
    md.locations[1].LocationType = RechargeSite;
    for (auto &loc : md.locations)
        for (int m = 0; m < 12; ++m) {
            loc.historicalData[m].resize(5);
            for (int k = 0; k < 5; ++k)
                loc.historicalData[m][k] = static_cast<float>(100 * k + m + 1);
            loc.pumpingFlow[m].assign(5, 0.0f);
            loc.daysOn[m].assign(5, 1.0f);
            loc.synthesizedData[m].assign(2, 0.0f);
        }
    return md;
}

// Values pass through the file in "%g" form: six significant digits.
void expectNear(float got, float want) { EXPECT_NEAR(got, want, std::fabs(want) * 1e-5f); }

struct ToolRun {
    int status = -1;
    std::string err;
};

class ConvertTransform : public ::testing::Test {
  protected:
    std::string dir;
    std::string in, out;

    void SetUp() override {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = freshDir(std::string("convert_transform_") + info->name());
        in = dir + "/in.vek";
        out = dir + "/out.vek";
    }

    void save(const ModelInput &md) {
        vek::SilentPrompter quiet;
        ModelDocument doc;
        doc.model = md;
        ASSERT_TRUE(SaveInput(doc, quiet, in));
    }

    ToolRun convert(const std::string &options) {
        const std::string errFile = dir + "/stderr.txt";
        const std::string cmd = "'" + binDir() + "/vektool' convert '" + in + "' '" + out + "' " + options + " 2>'" +
                                errFile + "' >/dev/null";
        ToolRun r;
        const int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.err = readFile(errFile);
        return r;
    }

    ModelInput result() {
        ModelInput md;
        EXPECT_TRUE(readModelInput(md, out).ok());
        return md;
    }
};

TEST_F(ConvertTransform, YearTypeRescuesAndUnitsUseLeapFebruary) {
    ModelInput md = sampleModel();
    save(md);
    // Irrigation -> Calendar: November of the first year holds 1 acre-foot,
    // so a year 1979 is added before the first.
    ToolRun r = convert("--year-type 0 --units 0");
    ASSERT_EQ(r.status, 0) << r.err;
    ModelInput got = result();
    EXPECT_EQ(got.yearMode, 0);
    EXPECT_EQ(got.unitMode, 0);
    EXPECT_EQ(got.inputStartYear, 1979);
    EXPECT_EQ(got.inputEndYear, 1984);
    // November 1979 (Irrigation column 0 of 1980): 1 acre-foot over 30 days.
    expectNear(got.locations[0].historicalData[10][0], 1.0f / 30.0f);
    // February 1980 (leap; Irrigation column 3 of 1980 = 4 acre-feet).
    expectNear(got.locations[0].historicalData[1][1], 4.0f / 29.0f);
    // February 1981: 104 acre-feet over 28 days.
    expectNear(got.locations[1].historicalData[1][2], 104.0f / 28.0f);
}

// The monthly-to-daily rule is set before the units are converted, in
// whatever order the options come, so the values agree with the rule the
// written file states; --help says so.
TEST_F(ConvertTransform, DaysRuleIsAppliedBeforeTheUnits) {
    for (const char *options : {"--units 0 --avg-days 1", "--avg-days 1 --units 0"}) {
        SCOPED_TRACE(options);
        save(sampleModel());
        ToolRun r = convert(options);
        ASSERT_EQ(r.status, 0) << r.err;
        ModelInput got = result();
        EXPECT_TRUE(got.useAvgDaysPerMonth);
        // November: 1 acre-foot over 30.417 days, not over its actual 30.
        expectNear(got.locations[0].historicalData[0][0], 1.0f / 30.417f);
    }
    const std::string helpFile = dir + "/help.txt";
    const std::string cmd = "'" + binDir() + "/vektool' convert --help >'" + helpFile + "' 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_NE(readFile(helpFile).find("the rule first"), std::string::npos) << readFile(helpFile);
}

TEST_F(ConvertTransform, SynthesisMethodsTakeYears) {
    struct Row {
        const char *options;
        int format, projStart, projEnd;
        std::vector<int> sourceYears; // historical offset of each synthesized year (-1: average)
        float average;                // column 0 value of an average
    };
    const Row rows[] = {
        {"--synth-years 4 --given 1982", 2, 2, 0, {2, 2, 2, 2}, 0},
        {"--synth-years 5 --cycle 1981,1982", 3, 1, 1, {1, 2, 1, 2, 1}, 0},
        {"--synth-years 3 --average 1984,1980,1981", 1, 0, 4, {-1, -1, -1}, (1.0f + 101.0f + 401.0f) / 3.0f},
        {"--cycle 1983,1984", 3, 3, 1, {3, 4}, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.options);
        save(sampleModel());
        ToolRun r = convert(row.options);
        ASSERT_EQ(r.status, 0) << r.err;
        ModelInput got = result();
        EXPECT_EQ(got.synthesizeFormat, row.format);
        EXPECT_EQ(got.projYearStart, row.projStart);
        EXPECT_EQ(got.projYearEnd, row.projEnd);
        ASSERT_EQ(got.synthesizedYears(), static_cast<int>(row.sourceYears.size()));
        EXPECT_EQ(got.synthStartYear, 1985);
        for (const auto &loc : got.locations)
            for (size_t k = 0; k < row.sourceYears.size(); ++k) {
                const int j = row.sourceYears[k];
                const float want = j < 0 ? row.average : static_cast<float>(100 * j + 1);
                SCOPED_TRACE(k);
                expectNear(loc.synthesizedData[0][k], want);
            }
    }
}

TEST_F(ConvertTransform, RefusedOptionsWriteNothing) {
    struct Row {
        const char *options;
        const char *errorPart;
    };
    const Row rows[] = {
        {"--year-type 3", "--year-type"},
        {"--units 2", "--units"},
        {"--avg-days yes", "--avg-days"},
        {"--synth-years -2", "--synth-years"},
        {"--synth-years 10000", "--synth-years"},
        {"--given 1979", "1979"},
        {"--given 1985", "1985"},
        {"--cycle 1983,1985", "1985"},
        {"--cycle 1983,1982", "1982"},
        {"--average 1981,,1982", "--average"},
        {"--given 1981 --cycle 1981,1982", "one of"},
        {"--year-type", "--year-type"},
    };
    save(sampleModel());
    for (const Row &row : rows) {
        SCOPED_TRACE(row.options);
        std::filesystem::remove(out);
        ToolRun r = convert(row.options);
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find(row.errorPart), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST_F(ConvertTransform, MethodThatCannotProjectFailsTheCommand) {
    ModelInput md = sampleModel();
    save(md);
    // Zero synthesized years: the method has nothing to fill.
    ToolRun r = convert("--synth-years 0 --given 1981");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("Can't project flows until synthesized flow years are provided."), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace
} // namespace vek
