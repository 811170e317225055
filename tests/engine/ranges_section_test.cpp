// The uncertainty ranges' section of a model file: read back as written,
// damaged sections refused naming their line, and passed over by the engine.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "engine/ranges_section.h"
#include "engine/response_section.h"

namespace {

using namespace vek::engine;

std::string joined(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &l : lines)
        text += l + "\n";
    return text;
}

TEST(RangesSection, EveryKindReadsBackAsWritten) {
    const Ranges ranges{{
        {UncertainQuantity::Factor, 0, {Distribution::LogNormal, 800, 0.5, 50, 5000}, false},
        {UncertainQuantity::Pumping, 3, {Distribution::Uniform, 0, 0, 0.8, 1.2}, true},
        {UncertainQuantity::Distance, 2, {Distribution::Triangular, 500, 0, 300.25, 900}, false},
        {UncertainQuantity::Storativity, 2, {Distribution::Normal, 0.1, 0.02, 0.05, 0.15}, true},
        {UncertainQuantity::Transmissivity, 2, {Distribution::LogUniform, 0, 0, 5000, 2e4}, false},
        {UncertainQuantity::MethodParameter, 1, {Distribution::Fixed, 0.1 + 0.2, 0, 0, 0}, false},
    }};
    const std::string text = joined(rangesSectionLines(ranges));
    EXPECT_EQ(text.substr(0, 83),
              "Uncertainty ranges 1\nrange factor all lognormal median=800 sd=0.5 low=50 high=5000\n");
    const RangesSection back = findRangesSection("2000 2001\nWell\n1 2\n" + text + "Response methods 1\nend\n");
    EXPECT_TRUE(back.present);
    EXPECT_EQ(back.line, 4);
    EXPECT_EQ(back.ranges, ranges); // 0.1 + 0.2 too: the shortest form that reads back as the same double
    EXPECT_TRUE(rangesSectionLines(Ranges{}).empty());
    EXPECT_FALSE(findRangesSection("2000 2001\nWell\n1 2\n").present);
    // A location called like the first line is followed by its numbers.
    EXPECT_FALSE(findRangesSection("1 -1 1\nUncertainty ranges 1\n1 2 3\n").present);
}

TEST(RangesSection, DamagedSectionsAreRefusedNamingTheLine) {
    struct Row {
        const char *statement;
        const char *problem;
    } rows[] = {
        {"range factor all uniform low=1 high=2", ""},
        {"range factor all uniform low=1 high=2 # a comment", ""},
        {"range factor 0 uniform low=1 high=2", "a number from 1"},
        {"range pressure all uniform low=1 high=2", "unknown quantity"},
        {"range factor all gamma low=1 high=2", "unknown distribution"},
        {"range factor all uniform low=1", "needs 2 fields"},
        {"range factor all uniform low=1 high=2 mode=1", "unknown field"},
        {"range factor all uniform low=1 low=2", "given twice"},
        {"range factor all uniform low=x high=2", "low \"x\" is not a number"},
        {"range factor all uniform low=3 high=2", "its high end"},
        {"range factor all normal mean=1 low=0 high=2", "needs 4 fields"},
        {"range factor all normal mean=1 sd=0.1 low=0 high=2", ""},
        {"choose factor", "unknown statement"},
    };
    for (const Row &r : rows) {
        const std::string text = "Uncertainty ranges 1\n\n" + std::string(r.statement) + "\nend\n";
        if (*r.problem == 0) {
            EXPECT_EQ(findRangesSection(text).ranges.entries.size(), 1u) << r.statement;
            continue;
        }
        try {
            findRangesSection(text);
            ADD_FAILURE() << r.statement << " was read";
        } catch (const RangesSectionError &e) {
            EXPECT_NE(std::string(e.what()).find(r.problem), std::string::npos) << e.what();
            EXPECT_EQ(e.line(), 3) << r.statement;
        }
    }
    EXPECT_THROW(findRangesSection("Uncertainty ranges 2\nend\n"), RangesSectionError);
    EXPECT_THROW(findRangesSection("Uncertainty ranges 1\nrange factor all fixed value=1\n"), RangesSectionError);
    EXPECT_THROW(findRangesSection("Uncertainty ranges 1\nrange factor all fixed value=1\nrange factor all fixed "
                                   "value=2\nend\n"),
                 RangesSectionError);
}

} // namespace
