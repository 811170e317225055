// Apportionment among stream reaches: known answers on geometries that have
// them, the web integral against quadrature, the options on both sides of
// their limits, a location on a reach, and the shares and factors the
// resolution of a whole model gives.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "geo/apportioner.h"
#include "geo/reach_resolution.h"
#include "model/input_file.h"
#include "model/stream_reaches.h"
#include "support/model_builder.h"
#include "support/test_files.h"

namespace {

using vek::Apportionment;
using vek::ApportionRule;
using vek::MapPoint;
using vek::ReachNetwork;
namespace g = vek::geo;

ReachNetwork network(std::vector<std::vector<MapPoint>> lines) {
    ReachNetwork n;
    for (std::size_t i = 0; i < lines.size(); ++i)
        n.reaches.push_back({"R" + std::to_string(i + 1), {lines[i]}});
    return n;
}

std::vector<double> fractions(const g::Apportioner &a, MapPoint at, const ApportionRule &rule, std::size_t reaches) {
    const g::Apportioned got = a.apportion(at, rule);
    EXPECT_EQ(got.problem, "");
    std::vector<double> f(reaches, 0.0);
    for (const auto &s : got.shares)
        f[static_cast<std::size_t>(s.reach)] = s.fraction;
    return f;
}

ApportionRule rule(Apportionment m, int power = 2, double maxDistance = 0.0, double minFraction = 0.0) {
    return {m, power, maxDistance, minFraction, 0.0};
}

const ApportionRule kEveryMethod[] = {rule(Apportionment::Nearest),    rule(Apportionment::Inverse, 1),
                                      rule(Apportionment::Inverse, 2), rule(Apportionment::Web, 1),
                                      rule(Apportionment::Web, 2),     {Apportionment::Polygon, 2, 0.0, 0.0, 5.0}};

// Halfway between two parallel reaches, and on the perpendicular through
// the point where two reaches meet end to end: every method halves.
TEST(Apportionment, SymmetricPlacesHalve) {
    const struct {
        const char *what;
        ReachNetwork n;
        MapPoint at;
    } cases[] = {
        {"between parallel reaches", network({{{-1000, 100}, {1000, 100}}, {{-1000, -100}, {1000, -100}}}), {0, 0}},
        {"beside a junction", network({{{-1000, 0}, {0, 0}}, {{0, 0}, {1000, 0}}}), {0, 250}},
    };
    for (const auto &c : cases) {
        const g::Apportioner a(c.n);
        for (const ApportionRule &r : kEveryMethod) {
            const auto f = fractions(a, c.at, r, 2);
            EXPECT_NEAR(f[0], 0.5, 1e-12) << c.what << ", " << vek::engine::apportionmentName(r);
            EXPECT_NEAR(f[1], 0.5, 1e-12) << c.what << ", " << vek::engine::apportionmentName(r);
        }
    }
}

// Three reaches at 100, 200 and 400: inverse distance 4/7, 2/7, 1/7; its
// square 16/21, 4/21, 1/21; the nearest reach all of it. The maximum
// distance and the minimum fraction on both sides of their limits.
TEST(Apportionment, InverseDistanceKnownAnswersAndOptions) {
    const ReachNetwork n = network({{{-50, 100}, {50, 100}}, {{-50, -200}, {50, -200}}, {{400, -50}, {400, 50}}});
    const g::Apportioner a(n);
    const struct {
        ApportionRule rule;
        double expected[3];
    } rows[] = {
        {rule(Apportionment::Inverse, 1), {4.0 / 7, 2.0 / 7, 1.0 / 7}},
        {rule(Apportionment::Inverse, 2), {16.0 / 21, 4.0 / 21, 1.0 / 21}},
        {rule(Apportionment::Nearest), {1, 0, 0}},
        {rule(Apportionment::Inverse, 1, 400), {4.0 / 7, 2.0 / 7, 1.0 / 7}},
        {rule(Apportionment::Inverse, 1, 399.999), {2.0 / 3, 1.0 / 3, 0}},
        {rule(Apportionment::Inverse, 1, 0, 0.14), {4.0 / 7, 2.0 / 7, 1.0 / 7}},
        {rule(Apportionment::Inverse, 1, 0, 0.15), {4.0 / 6, 2.0 / 6, 0}},
        {rule(Apportionment::Inverse, 1, 0, 0.9), {1, 0, 0}}, // every share below it: the largest keeps all
    };
    for (const auto &row : rows) {
        const auto f = fractions(a, {0, 0}, row.rule, 3);
        for (int r = 0; r < 3; ++r)
            EXPECT_NEAR(f[static_cast<std::size_t>(r)], row.expected[r], 1e-12)
                << vek::engine::apportionmentName(row.rule) << " max " << row.rule.maxDistance << " min "
                << row.rule.minFraction << " reach " << r;
    }
    const g::Apportioned beyond = a.apportion({0, 0}, rule(Apportionment::Web, 2, 99.999));
    EXPECT_TRUE(beyond.shares.empty());
    EXPECT_EQ(beyond.problem, "no reach lies within the maximum distance of 99.999 (the nearest is 100 away)");
    const g::Apportioned within = a.apportion({0, 0}, rule(Apportionment::Web, 2, 100));
    ASSERT_EQ(within.shares.size(), 1u);
    EXPECT_EQ(within.shares[0].distance, 100.0);
}

// A location on a reach gives it everything, whatever the method.
TEST(Apportionment, OnAReachItTakesAll) {
    const ReachNetwork n = network({{{0, 0}, {100, 0}}, {{0, 50}, {100, 50}}});
    const g::Apportioner a(n);
    for (const ApportionRule &r : kEveryMethod) {
        const auto f = fractions(a, {30, 0}, r, 2);
        EXPECT_EQ(f[0], 1.0) << vek::engine::apportionmentName(r);
    }
}

// Simpson's rule on a fine grid: the web weight's reference.
double quadrature(MapPoint a, MapPoint b, MapPoint p, int power) {
    const int n = 200000;
    const double len = std::hypot(b.x - a.x, b.y - a.y);
    double sum = 0.0;
    for (int i = 0; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        const double d = std::hypot(a.x + (b.x - a.x) * t - p.x, a.y + (b.y - a.y) * t - p.y);
        const double w = i == 0 || i == n ? 1.0 : (i % 2 ? 4.0 : 2.0);
        sum += w / std::pow(d, power);
    }
    return sum * len / (3.0 * n);
}

// The closed forms against quadrature: beside, beyond either end, across the
// foot of the perpendicular, on the segment's line, far away, and the
// well-known atan(L/h)/h of a point on the perpendicular through an end.
TEST(WebWeight, ClosedFormsAgreeWithQuadrature) {
    const struct {
        MapPoint a, b, p;
    } rows[] = {
        {{0, 0}, {100, 0}, {50, 30}},    {{0, 0}, {100, 0}, {-40, 10}},
        {{0, 0}, {100, 0}, {170, -25}},  {{10, 20}, {90, 70}, {30, 60}},
        {{0, 0}, {100, 0}, {-50, 0}},    {{0, 0}, {100, 0}, {300, 0}},
        {{0, 0}, {100, 0}, {50, 40000}}, {{5e5, 4.4e6}, {5.03e5, 4.401e6}, {5.01e5, 4.4008e6}},
    };
    for (const auto &r : rows)
        for (int power : {1, 2}) {
            const double exact = g::segmentWebWeight(r.a, r.b, r.p, power);
            EXPECT_NEAR(exact, quadrature(r.a, r.b, r.p, power), 1e-9 * exact)
                << r.p.x << "," << r.p.y << " power " << power;
            // Reversing the segment changes nothing.
            EXPECT_NEAR(g::segmentWebWeight(r.b, r.a, r.p, power), exact, 1e-13 * exact);
        }
    EXPECT_NEAR(g::segmentWebWeight({0, 0}, {300, 0}, {0, 100}, 2), std::atan(3.0) / 100.0, 1e-16);
    EXPECT_NEAR(g::segmentWebWeight({0, 0}, {300, 0}, {0, 100}, 1), std::asinh(3.0), 1e-15);
    EXPECT_TRUE(std::isinf(g::segmentWebWeight({0, 0}, {100, 0}, {40, 0}, 2)));
}

// A whole model: typed shares as typed, the one reach of a model without
// geometry for a location without a position, each reach's own factor by
// reach distance, the factor from the nearest reach, and what cannot be
// resolved named.
TEST(Resolution, SharesFactorsAndTroubles) {
    vek::test::ModelBuilder b(2000, 1);
    b.locations(4);
    vek::ModelInput m = b.model();
    m.network = network({{{0, 100}, {1000, 100}}, {{0, -300}, {1000, -300}}});
    m.network.rule = rule(Apportionment::Inverse, 2);
    m.network.depletion = vek::ReachDepletion::ByDistance;
    m.locations[0].onMap.position = MapPoint{500, 0};
    m.locations[0].onMap.storativity = 0.2;
    m.locations[0].onMap.transmissivity = 20000;
    m.locations[0].onMap.factorFromMap = true;
    m.locations[1].onMap.position = MapPoint{500, 0};
    m.locations[2].onMap.rule = rule(Apportionment::Shares);
    m.locations[2].onMap.typed = {{1, 0.25, -1, false, 0}, {0, 0.75, -1, false, 0}};
    m.locations[2].onMap.position = MapPoint{500, 0};
    m.locations[2].onMap.storativity = 0.1;
    m.locations[2].onMap.transmissivity = 1000;
    const g::Resolution r = g::resolveReaches(m, 2);
    ASSERT_TRUE(r.ok()) << r.failure;
    const auto &s0 = m.locations[0].onMap.shares;
    ASSERT_EQ(s0.size(), 2u);
    EXPECT_NEAR(s0[0].fraction, 0.9, 1e-12); // 1/100^2 : 1/300^2 = 9 : 1
    EXPECT_EQ(s0[0].factor, static_cast<float>(100.0 * 100.0 * 0.2 / 20000));
    EXPECT_EQ(s0[1].factor, static_cast<float>(300.0 * 300.0 * 0.2 / 20000));
    EXPECT_EQ(m.locations[0].VEK, s0[0].factor);
    const auto &s2 = m.locations[2].onMap.shares;
    ASSERT_EQ(s2.size(), 2u);
    EXPECT_EQ(s2[0].reach, 1);
    EXPECT_EQ(s2[0].fraction, 0.25);
    EXPECT_EQ(s2[0].distance, 300.0);
    EXPECT_EQ(s2[0].factor, static_cast<float>(300.0 * 300.0 * 0.1 / 1000));
    ASSERT_EQ(r.troubles.size(), 2u);
    EXPECT_EQ(r.troubles[0].location, 1);
    EXPECT_EQ(r.troubles[0].text, "it has no S and T, which the depletion by reach distance needs");
    EXPECT_EQ(r.troubles[1].text, "it has no position on the map");
    EXPECT_EQ(r.factorsSet, 1);

    // One reach without lines takes everything of a location anywhere.
    m.network = {};
    m.network.reaches = {{"The river", {}}};
    const g::Resolution one = g::resolveReaches(m);
    EXPECT_TRUE(one.troubles.empty() || one.troubles[0].location != 3);
    ASSERT_EQ(m.locations[3].onMap.shares.size(), 1u);
    EXPECT_EQ(m.locations[3].onMap.shares[0].fraction, 1.0);
}

} // namespace

namespace {

std::string documented(const std::string &heading, const std::string &marker) {
    const std::string doc = vek::test::readFile(vek::test::dataDir() + "/../../docs/file-formats.md");
    auto code = [&](std::size_t from) {
        const auto begin = doc.find("```\n", from) + 4;
        return doc.substr(begin, doc.find("```", begin) - begin);
    };
    return code(doc.find(heading)) + code(doc.find(marker));
}

} // namespace

// The section of docs/file-formats.md after its minimal example: it reads,
// resolves to the shares it shows and is written back as shown.
TEST(Resolution, DocumentedExampleResolvesAsWritten) {
    const std::string text = documented("### Minimal example", "<!-- stream reaches example -->");
    const std::string dir = vek::test::freshDir("geo_documented_reaches");
    vek::test::writeFile(dir + "/model.vek", text);
    vek::ModelInput m;
    const vek::OperationResult read = vek::readModelInput(m, dir + "/model.vek");
    ASSERT_TRUE(read.ok()) << read.error->message;
    const vek::ModelInput asRead = m;
    ASSERT_TRUE(g::resolveReaches(m).troubles.empty());
    EXPECT_EQ(m, asRead);
    EXPECT_EQ(vek::modelInputText(m), text);
}
