// Stream reaches in the model core: the file's section written and read
// back, placed before the response methods where older readers skip it, a
// model without map data written as before, damaged sections refused with
// their line, the reach operations, and the checks a run makes.
#include "engine/engine_run.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "model/model_validation.h"
#include "model/reach_checks.h"
#include "model/stream_reaches.h"
#include "support/model_builder.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <sstream>

namespace t = vek::test;
using vek::Apportionment;
using vek::ReachShare;

namespace {

bool readText(const std::string &name, const std::string &text, vek::ModelDocument &doc, std::string *shown) {
    const std::string dir = t::freshDir(name);
    t::writeFile(dir + "/model.vek", text);
    t::ScriptedPrompter prompter;
    const bool ok = vek::ReadInput(doc, prompter, dir + "/model.vek");
    for (const auto &m : prompter.messages)
        *shown += m + "\n";
    return ok;
}

// Three reaches (one without lines, one of two lines), four locations with
// every kind of map data, resolved shares with factors, and a response
// method so that both sections are written, and uncertainty ranges before them.
vek::ModelInput mapped() {
    t::ModelBuilder b(2000, 2, 1);
    b.locations(4).distinctHistorical().runOverHistorical();
    vek::ModelInput m = b.model();
    m.network.unit = vek::LengthUnit::Metres;
    m.network.crs = "EPSG:32613";
    m.network.depletion = vek::ReachDepletion::ByDistance;
    m.network.rule = {Apportionment::Web, 1, 5000.5, 0.02, 0.0};
    m.network.reaches = {{"Big \"River\"", {{{500000.25, 4400000}, {503000, 4401000.125}, {506000, 4400500}}}},
                         {"Cottonwood Creek", {{{502000, 4405000}, {503000, 4401000}}, {{1, 2}, {3, 4}}}},
                         {"Ditch", {}}};
    auto &l0 = m.locations[0].onMap;
    l0.position = vek::MapPoint{502500.1, 4401500.7};
    l0.storativity = 0.2;
    l0.transmissivity = 2000;
    l0.factorFromMap = true;
    l0.shares = {{0, 0.375, 632.45553203367592, true, 30.5f}, {1, 0.625, 363.8, true, 12.25f}};
    auto &l1 = m.locations[1].onMap;
    l1.position = vek::MapPoint{505000, 4399000};
    l1.rule = vek::ApportionRule{Apportionment::Polygon, 2, 0.0, 0.0, 25.0};
    l1.shares = {{1, 1.0, 10.0, true, 1.5f}};
    auto &l2 = m.locations[2].onMap;
    l2.rule = vek::ApportionRule{Apportionment::Shares, 2, 0.0, 0.0, 0.0};
    l2.typed = {{2, 0.4, -1.0, false, 0.0f}, {0, 0.6, -1.0, false, 0.0f}};
    l2.shares = {{2, 0.4, -1.0, true, 0.0f}, {0, 0.6, -1.0, true, 0.0f}};
    m.locations[3].response = {vek::ResponseMethod::StreambedResistance, 0.0f, 2.5f, ""};
    using vek::engine::Distribution;
    using vek::engine::UncertainQuantity;
    m.ranges = {{UncertainQuantity::Pumping, 0, {Distribution::Uniform, 0.0, 0.0, 0.8, 1.2}, true}};
    m.locations[1].ranges = {{UncertainQuantity::Factor, 0, {Distribution::Uniform, 0.0, 0.0, 50, 900}, false}};
    return m;
}

} // namespace

// Every value reads back equal and the second save writes the same bytes;
// the section sits between the uncertainty ranges and the response methods.
TEST(ReachFile, RoundTrip) {
    const vek::ModelInput m = mapped();
    const std::string text = vek::modelInputText(m);
    vek::ModelDocument doc;
    std::string shown;
    ASSERT_TRUE(readText("model_reach_round_trip", text, doc, &shown)) << shown << text;
    EXPECT_EQ(doc.model, m);
    EXPECT_EQ(vek::modelInputText(doc.model), text);
    const auto reaches = text.find("\nStream reaches 1\n");
    const auto methods = text.find("\nResponse methods 1\n");
    const auto ranges = text.find("\nUncertainty ranges 1\n");
    ASSERT_NE(reaches, std::string::npos);
    ASSERT_NE(methods, std::string::npos);
    ASSERT_NE(ranges, std::string::npos);
    EXPECT_LT(ranges, reaches);
    EXPECT_LT(reaches, methods);
    EXPECT_NE(text.find("map units=metres crs=\"EPSG:32613\" depletion=distance\n"
                        "apportion web power=1 max-distance=5000.5 min-fraction=0.02\n"
                        "reach 1 name=\"Big \\\"River\\\"\"\nline points=3\n"
                        "500000.25 4400000 503000 4401000.125 506000 4400500\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("location 1 x=502500.1 y=4401500.7 S=0.2 T=2000 factor=map\n"
                        "location 2 x=505000 y=4399000 apportion=polygon spacing=25\n"
                        "location 3 apportion=shares\n"
                        "typed 3 reach=3 fraction=0.4\ntyped 3 reach=1 fraction=0.6\n"
                        "share 1 reach=1 fraction=0.375 distance=632.4555320336759 factor=30.5\n"),
              std::string::npos)
        << text;
}

// Without reaches or map data the file is the file of old; with them the
// file up to the section is the same, so a reader that skips the section
// reads the same model and the engine runs it as one stream.
TEST(ReachFile, SectionAddsToTheFileOfOld) {
    vek::ModelInput m = mapped();
    m.locations[3].response = {};
    const std::string text = vek::modelInputText(m);
    vek::ModelInput plainModel = m;
    plainModel.network = {};
    for (auto &loc : plainModel.locations)
        loc.onMap = {};
    EXPECT_FALSE(vek::needsReachSection(plainModel));
    const std::string plain = vek::modelInputText(plainModel);
    EXPECT_EQ(plain.find("Stream reaches"), std::string::npos);
    ASSERT_GT(text.size(), plain.size());
    EXPECT_EQ(text.substr(0, plain.size()), plain);
    EXPECT_EQ(text.substr(plain.size(), 17), "Stream reaches 1\n");
    // One location with only a position is enough to need the section.
    plainModel.locations[0].onMap.position = vek::MapPoint{1, 2};
    EXPECT_TRUE(vek::needsReachSection(plainModel));
}

// A damaged section fails the read with its line in the file.
TEST(ReachFile, DamagedSectionsFailTheRead) {
    const std::string base = vek::modelInputText(mapped());
    const auto lineOf = [](const std::string &text, std::size_t at) {
        return std::count(text.begin(), text.begin() + static_cast<long>(at), '\n') + 1;
    };
    const struct {
        std::string from, to, message;
        bool atStart; // reported at the section's first line
    } rows[] = {
        {"reach 2 name=", "reach 3 name=", "reach 3 where reach 2 comes next", false},
        {"share 1 reach=1", "share 1 reach=9", "reach 9 does not exist (there are 3)", false},
        {"location 3 apportion=shares", "location 9 apportion=shares", "location 9 does not exist (the file has 4)",
         true},
    };
    for (const auto &row : rows) {
        std::string text = base;
        const auto at = text.find(row.from);
        text.replace(at, row.from.size(), row.to);
        const auto line = lineOf(text, row.atStart ? text.find("Stream reaches 1") : at);
        vek::ModelDocument doc;
        std::string shown;
        EXPECT_FALSE(readText("model_reach_damaged", text, doc, &shown)) << row.to;
        EXPECT_NE(shown.find("ReadInput: Error in the stream reaches at line " + std::to_string(line) + " in file "),
                  std::string::npos)
            << shown;
        EXPECT_NE(shown.find(row.message), std::string::npos) << shown;
    }
}

// Removing a reach drops its shares and moves later reaches down; names stay
// unique and not blank.
TEST(ReachOperations, KeepSharesPointingAtTheirReaches) {
    vek::ModelInput m = mapped();
    EXPECT_FALSE(vek::addReach(m, {"Ditch", {}}));
    EXPECT_FALSE(vek::addReach(m, {"  ", {}}));
    EXPECT_TRUE(vek::addReach(m, {"Spring", {}}));
    EXPECT_FALSE(vek::renameReach(m, 3, "Ditch"));
    EXPECT_TRUE(vek::renameReach(m, 3, "Spring Creek"));
    EXPECT_FALSE(vek::removeReach(m, 4));
    ASSERT_TRUE(vek::removeReach(m, 0));
    EXPECT_EQ(m.network.reaches[0].name, "Cottonwood Creek");
    const auto &s0 = m.locations[0].onMap.shares;
    ASSERT_EQ(s0.size(), 1u);
    EXPECT_EQ(s0[0].reach, 0);
    EXPECT_EQ(s0[0].fraction, 0.625);
    ASSERT_EQ(m.locations[2].onMap.typed.size(), 1u);
    EXPECT_EQ(m.locations[2].onMap.typed[0].reach, 1); // Ditch, now second
    EXPECT_EQ(vek::findReach(m, "Ditch"), 1);
}

// What a run refuses: a used location without shares or whose shares do not
// add up to 1, a share without its factor in the depletion by reach
// distance, typed shares that do not add up; an unused location is not
// judged, and exactly 1 within 1e-6 passes.
TEST(ReachChecks, RefuseWhatTheEngineWould) {
    const auto problems = [](const vek::ModelInput &m) {
        std::string all;
        for (const auto &p : vek::checkStreamReaches(m))
            all += p.text + " [" + vek::fieldName(p.field) + "]\n";
        return all;
    };
    vek::ModelInput m = mapped();
    m.locations[3].UseInOutput = 0;
    EXPECT_EQ(problems(m), "");
    m.locations[3].UseInOutput = 1;
    EXPECT_EQ(problems(m), "location 4 (Location 4): it has no position on the map and no typed shares, so its "
                           "depletion cannot be apportioned among the reaches [reach shares]\n");
    m.locations[3].onMap.shares = {{0, 0.5 + 4e-7, 1.0, true, 1.0f}, {1, 0.5, 1.0, true, 1.0f}};
    EXPECT_EQ(problems(m), "");
    m.locations[3].onMap.shares[0].fraction = 0.5 + 2e-6;
    EXPECT_NE(problems(m).find("its shares add up to 1.000002, not 1"), std::string::npos) << problems(m);
    m.locations[3].onMap.shares[0] = {0, 0.5, 1.0, false, 0.0f};
    EXPECT_NE(problems(m).find("has no factor of its own"), std::string::npos);
    m.network.depletion = vek::ReachDepletion::Apportioned;
    EXPECT_EQ(problems(m), "");
    m.locations[2].onMap.typed[0].fraction = 0.3;
    EXPECT_EQ(problems(m), "location 3 (Location 3): its typed shares add up to 0.9, not 1 [typed shares]\n");
    m.locations[0].onMap.storativity = 0.0;
    EXPECT_NE(problems(m).find("S must be above 0"), std::string::npos);
    // The model's validation carries them as refusals.
    EXPECT_TRUE(vek::validateModel(m).refused());
}
