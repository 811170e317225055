// vektool's map commands as a script uses them: import-map makes the example
// model from the example's map files, convert's reach options set rules,
// typed shares and factors from the map and refuse what cannot be used, and
// check refuses a location the reaches cannot apportion.
#include "support/run_program.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace t = vek::test;

namespace {

std::string example(const std::string &name) { return t::dataDir() + "/../../examples/" + name; }

t::ProgramRun vektool(const std::string &dir, const std::vector<std::string> &args) {
    return t::runProgram(dir, t::programPath("vektool"), args);
}

} // namespace

// examples/river_valley_reaches.vek is what the documented command makes.
TEST(MapCommands, ExampleModelIsWhatImportMapMakes) {
    const std::string dir = t::freshDir("geo_map_commands_example");
    t::writeFile(dir + "/valley.vek", t::readFile(example("river_valley.vek")));
    const t::ProgramRun r = vektool(dir, {"import-map", "--wells", example("valley_map_wells.csv"), "--streams",
                                          example("valley_streams.geojson"), "--s-field", "S", "--t-field", "T",
                                          "--crs", "EPSG:32613", "--apportion", "web,power=2", dir + "/valley.vek"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("4 wells placed (0 of them new locations), 3 reaches added"), std::string::npos) << r.err;
    EXPECT_EQ(t::readFile(dir + "/valley.vek"), t::readFile(example("river_valley_reaches.vek")));
    EXPECT_EQ(vektool(dir, {"check", dir + "/valley.vek"}).status, 0);
}

TEST(MapCommands, ConvertOptions) {
    const std::string dir = t::freshDir("geo_map_commands_convert");
    const std::string model = example("river_valley_reaches.vek");
    const std::string out = dir + "/out.vek";
    const struct {
        std::vector<std::string> options;
        int status;
        std::string inErr, inFile;
    } rows[] = {
        {{"--apportion", "polygon,spacing=50"}, 0, "", "apportion polygon spacing=50\n"},
        {{"--apportion", "2:nearest"}, 0, "", "location 2 x=504600 y=4398600 S=0.15 T=1500 apportion=nearest\n"},
        {{"--reach-shares", "4:Big River=0.6,2=0.4"},
         0,
         "",
         "typed 4 reach=1 fraction=0.6\ntyped 4 reach=2 fraction=0.4\n"},
        {{"--factor-from-map", "1"}, 0, "", "location 1 x=501200 y=4401800 S=0.2 T=2500 factor=map\n"},
        {{"--reach-depletion", "distance"},
         0,
         "",
         "share 1 reach=1 fraction=0.682971586978096 distance=948.6832980505138 factor=72\n"},
        {{"--apportion", "glacier"}, 1, "unknown apportionment 'glacier'", ""},
        {{"--apportion", "web,power=3"}, 1, "power is 1 or 2", ""},
        {{"--reach-shares", "4:Big River=0.6,Creek=0.4"}, 1, "the model has no reach \"Creek\"", ""},
        {{"--reach-shares", "4:Big River=0.6"}, 1, "its typed shares add up to 0.6, not 1", ""},
        {{"--reach-depletion", "sideways"}, 2, "--reach-depletion takes apportioned or distance", ""},
    };
    for (const auto &row : rows) {
        std::vector<std::string> args = {"convert", model, out};
        args.insert(args.end(), row.options.begin(), row.options.end());
        std::filesystem::remove(out);
        const t::ProgramRun r = vektool(dir, args);
        EXPECT_EQ(r.status, row.status) << row.options[0] << " " << row.options[1] << "\n" << r.err;
        if (!row.inErr.empty()) {
            EXPECT_NE(r.err.find(row.inErr), std::string::npos) << r.err;
        }
        if (!row.inFile.empty()) {
            EXPECT_NE(t::readFile(out).find(row.inFile), std::string::npos) << row.options[1];
        }
        if (row.status != 0) {
            EXPECT_FALSE(std::filesystem::exists(out));
        }
    }
}

// A well the reaches cannot apportion: check refuses it and names the
// option that mends it; convert still writes the model and warns.
TEST(MapCommands, CheckRefusesWhatCannotBeApportioned) {
    const std::string dir = t::freshDir("geo_map_commands_check");
    const t::ProgramRun r = vektool(dir, {"convert", example("river_valley_reaches.vek"), dir + "/far.vek",
                                          "--apportion", "3:nearest,max-distance=1000"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("warning: location 3 (Upland irrigation well): no reach lies within the maximum distance of "
                         "1000 (the nearest is 1838.47"),
              std::string::npos)
        << r.err;
    const t::ProgramRun c = vektool(dir, {"check", dir + "/far.vek"});
    EXPECT_EQ(c.status, 1);
    EXPECT_NE(c.err.find("location 3 (Upland irrigation well): it has no share of the stream reaches"),
              std::string::npos)
        << c.err;
    EXPECT_NE(c.err.find("--apportion METHOD"), std::string::npos) << c.err;
}
