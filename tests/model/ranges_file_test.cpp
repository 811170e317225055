// Uncertainty ranges in the model file: written between the pumping records
// and the response methods, read back with each location's own moving with
// it, passed over by the engine, and a model without them written as before.
#include "engine/engine_run.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "support/model_builder.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <sstream>

namespace t = vek::test;
using namespace vek::engine;

namespace {

vek::ModelInput withMethods() {
    t::ModelBuilder b(2000, 3, 1);
    b.locations(3).distinctHistorical().runOverHistorical();
    vek::ModelInput m = b.model();
    for (std::size_t i = 0; i < 3; ++i)
        m.locations[i].VEK = 400.0f * static_cast<float>(i + 1);
    m.locations[2].response = {vek::ResponseMethod::StreambedResistance, 0.0f, 2.5f, ""};
    return m;
}

vek::ModelInput withRanges() {
    vek::ModelInput m = withMethods();
    m.ranges.push_back({UncertainQuantity::Factor, 0, {Distribution::LogNormal, 800, 0.5, 50, 5000}, false});
    m.locations[2].ranges.push_back(
        {UncertainQuantity::MethodParameter, 0, {Distribution::Uniform, 0, 0, 1.5, 3.5}, false});
    m.locations[1].ranges.push_back({UncertainQuantity::Pumping, 0, {Distribution::Normal, 1, 0.1, 0.7, 1.3}, true});
    return m;
}

bool readText(const std::string &name, const std::string &text, vek::ModelDocument &doc, std::string &shown) {
    const std::string dir = t::freshDir(name);
    t::writeFile(dir + "/model.vek", text);
    t::ScriptedPrompter prompter;
    const bool ok = vek::ReadInput(doc, prompter, dir + "/model.vek");
    for (const auto &m : prompter.messages)
        shown += m + "\n";
    return ok;
}

std::string engineReport(const std::string &name, const std::string &text) {
    const std::string dir = t::freshDir(name);
    t::writeFile(dir + "/m.vek", text);
    std::ostringstream console, errors;
    EXPECT_EQ(runEngine(dir + "/m.vek", dir + "/m.out", {}, console, errors), kExitNormal) << errors.str();
    return t::readFile(dir + "/m.out");
}

TEST(RangesFile, ReadBackAsWrittenAndPassedOverByTheEngine) {
    const vek::ModelInput m = withRanges();
    const std::string text = vek::modelInputText(m);
    const std::string plain = vek::modelInputText(withMethods());
    // The section alone is added, before the response methods.
    const std::string section = "Uncertainty ranges 1\n"
                                "range factor all lognormal median=800 sd=0.5 low=50 high=5000\n"
                                "range pumping 2 normal mean=1 sd=0.1 low=0.7 high=1.3 shared\n"
                                "range parameter 3 uniform low=1.5 high=3.5\n"
                                "end\n";
    const std::size_t at = plain.find("Response methods 1\n");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(text, plain.substr(0, at) + section + plain.substr(at));
    EXPECT_EQ(plain.find("Uncertainty"), std::string::npos);

    vek::ModelDocument doc;
    std::string shown;
    ASSERT_TRUE(readText("model_ranges_round_trip", text, doc, shown)) << shown;
    EXPECT_EQ(doc.model, m);
    EXPECT_EQ(vek::modelInputText(doc.model), text);
    // A location's own ranges go with it when the locations move.
    std::swap(doc.model.locations[0], doc.model.locations[2]);
    for (const ParameterRange &e : doc.model.allRanges().entries)
        if (e.quantity == UncertainQuantity::MethodParameter) {
            EXPECT_EQ(e.location, 1);
        }

    // The engine runs the file as it runs it without the section.
    EXPECT_EQ(engineReport("model_ranges_engine", text), engineReport("model_ranges_engine_plain", plain));
}

TEST(RangesFile, DamagedSectionsFailTheReadWithTheirLine) {
    const std::string plain = vek::modelInputText(withMethods());
    const std::size_t at = plain.find("Response methods 1\n");
    const auto firstLine = std::count(plain.begin(), plain.begin() + static_cast<long>(at), '\n') + 1;
    const struct {
        std::string section;
        std::string message;
        long line;
    } rows[] = {
        {"Uncertainty ranges 1\nrange factor 4 fixed value=1\nend\n", "location 4 does not exist (the file has 3)", 0},
        {"Uncertainty ranges 1\n\nrange factor all fixed\nend\n", "a fixed range needs 1 fields", 2},
        {"Uncertainty ranges 1\nrange factor all fixed value=1\n", "have no end line", 0},
    };
    for (const auto &r : rows) {
        vek::ModelDocument doc;
        std::string shown;
        EXPECT_FALSE(readText("model_ranges_damaged", plain.substr(0, at) + r.section + plain.substr(at), doc, shown));
        EXPECT_NE(shown.find(r.message), std::string::npos) << shown;
        EXPECT_NE(
            shown.find("ReadInput: Error in the uncertainty ranges at line " + std::to_string(firstLine + r.line)),
            std::string::npos)
            << shown;
    }
}

} // namespace
