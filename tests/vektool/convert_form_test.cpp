// vektool convert with the options of what the desktop form sets: run years,
// output type and per location its type, use, factor and name, by position
// or by name; every refused value writes nothing.
#include "model/input_file.h"
#include "model/model_input.h"
#include "support/run_program.h"
#include "support/test_files.h"
#include "support/validation_cases.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace t = vek::test;
namespace fs = std::filesystem;

namespace {

t::ProgramRun vektool(const std::string &dir, const std::vector<std::string> &args) {
    return t::runProgram(dir, t::programPath("vektool"), args);
}

vek::ModelInput read(const std::string &path) {
    vek::ModelInput m;
    EXPECT_TRUE(vek::readModelInput(m, path).ok());
    return m;
}

} // namespace

TEST(VektoolConvertForm, SetsWhatTheFormSets) {
    ASSERT_TRUE(fs::exists(t::programPath("vektool"))) << "vektool is not built in " << t::binDir();
    const std::string dir = t::freshDir("vektool_convert_form");
    // Three locations: the runnable model's two and a second "Well A".
    std::string text = t::kRunnableModel;
    text.replace(text.find("2 0 2 1 0"), 9, "3 0 2 1 0");
    const std::string well = "10 -1 1 # VEK LocationType UseInOutput\nWell A\n1 2 3 4 5 6 7 8 9 10 11 12\n"
                             "2 3 4 5 6 7 8 9 10 11 12 13\n2 3 4 5 6 7 8 9 10 11 12 13\n";
    text.insert(text.find("Well A\n0 1"), well);
    text += "Well A\n0 1 # UsePumpingRecord Units\n1 1 1 1 1 1 1 1 1 1 1 1\n0 0 0 0 0 0 0 0 0 0 0 0\n"
            "0 0 0 0 0 0 0 0 0 0 0 0\n";
    t::writeFile(dir + "/in.vek", text);
    ASSERT_EQ(read(dir + "/in.vek").locations.size(), 3u);

    const t::ProgramRun r =
        vektool(dir, {"convert", "in.vek", "out.vek", "--run-start", "2001", "--run-end", "2010", "--output-type", "1",
                      "--factor", "name=Well A:123.5", "--location-type", "1:recharge", "--use", "2-3:no", "--name",
                      "3:Well C: east", "--location-type", "all:well"});
    ASSERT_EQ(r.status, 0) << r.err;
    const vek::ModelInput m = read(dir + "/out.vek");
    EXPECT_EQ(m.outputStartYear, 2001);
    EXPECT_EQ(m.outputEndYear, 2010);
    EXPECT_EQ(m.outputFormat, 1);
    // In the order given: "all:well" comes last.
    for (const auto &loc : m.locations)
        EXPECT_EQ(loc.LocationType, vek::IrrigationWell);
    EXPECT_EQ(m.locations[0].VEK, 123.5f);
    EXPECT_EQ(m.locations[1].VEK, 2.5f);
    EXPECT_EQ(m.locations[2].VEK, 123.5f) << "both locations named Well A";
    EXPECT_EQ(m.locations[0].UseInOutput, 1);
    EXPECT_EQ(m.locations[1].UseInOutput, 0);
    EXPECT_EQ(m.locations[2].UseInOutput, 0);
    EXPECT_EQ(m.locations[2].name, "Well C: east");
}

TEST(VektoolConvertForm, RefusesWhatTheModelCannotTake) {
    ASSERT_TRUE(fs::exists(t::programPath("vektool"))) << "vektool is not built in " << t::binDir();
    const std::string dir = t::freshDir("vektool_convert_form_refused");
    t::writeFile(dir + "/in.vek", t::kRunnableModel);
    const struct {
        std::vector<std::string> args;
        int status;
        const char *message;
    } rows[] = {
        // The run lies in the data (2000..2002 here), in order, within 400 years.
        {{"--run-start", "1999"},
         1,
         "--run-start: the run must start in a year of the data (2000 to 2002), not in 1999"},
        {{"--run-start", "2003", "--run-end", "2005"}, 1, "not in 2003"},
        {{"--run-end", "1999"}, 1, "--run-end: the run 2000 to 1999 ends before it starts"},
        {{"--run-end", "2400"}, 1, "is longer than the 400 years the engine runs"},
        {{"--factor", "name=Well Z:5"}, 1, "no location is named \"Well Z\""},
        {{"--use", "3:no"}, 1, "location 3 does not exist (the model has 2)"},
        // The synthesis's own refusal, then the option that mends it.
        {{"--synth-years", "0", "--given", "2000"},
         1,
         "Can't project flows until synthesized flow years are provided.\nvektool convert: give the number of "
         "synthesized years with --synth-years N\n"},
        // Values and forms that are no option at all.
        {{"--factor", "1:-5"}, 2, "--factor takes a depletion factor of 0 or more days, not '-5'"},
        {{"--factor", "1:lots"}, 2, "not 'lots'"},
        {{"--location-type", "1:pond"}, 2, "--location-type takes well or recharge, not 'pond'"},
        {{"--use", "1:maybe"}, 2, "--use takes yes or no"},
        {{"--use", "yes"}, 2, "--use takes LOCATIONS:VALUE, not 'yes'"},
        {{"--name", "1: "}, 2, "--name takes LOCATIONS:NAME, not '1: '"},
        {{"--output-type", "2"}, 2, "--output-type takes 0 (by well/recharge site) or 1 (only totals)"},
        {{"--run-start", "1990.5"}, 2, "--run-start takes a year"},
        {{"--run-end"}, 2, "--run-end needs a value"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.message);
        std::vector<std::string> args{"convert", "in.vek", "out.vek"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const t::ProgramRun r = vektool(dir, args);
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir + "/out.vek"));
        fs::remove(dir + "/out.vek");
    }
    // An import leaves the run's end unset: the start alone is not enough.
    fs::copy_file(t::dataPath("imports/wells.txt"), dir + "/wells.txt");
    const t::ProgramRun r = vektool(dir, {"convert", "wells.txt", "out.vek", "--from", "tab", "--run-start", "1985"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--run-end: the run 1985 to -1 ends before it starts; give --run-end as well"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(dir + "/out.vek"));
}
