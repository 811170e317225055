// The graph data as JSON, read back by a real JSON parser: the golden files
// of the Plot command's data, every report fixture in every selection, and
// names holding control characters, quotes, backslashes and bytes that are
// not UTF-8. The parsed document must hold what GraphData holds.
#include "results/graph_data.h"
#include "single_value.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <random>
#include <string>

using nlohmann::json;
using vek::LocationResult;
using vek::OutputResults;
using vek::ViewChoices;

namespace {

ViewChoices everything(const OutputResults &r, int scale) {
    ViewChoices c;
    for (size_t i = 0; i < r.locations.size(); ++i)
        c.locations.push_back(static_cast<int>(i));
    for (int p = 0; p <= r.printedYears(); ++p)
        c.years.push_back(p);
    c.scale = scale;
    return c;
}

// The counts agree with the arrays.
void expectCountsAgree(const json &doc, const std::string &what) {
    for (const auto &[key, g] : doc.items()) {
        SCOPED_TRACE(what + " " + key);
        EXPECT_TRUE(key == "diversion" || key == "stream");
        if (g.is_null()) continue; // no such graph
        ASSERT_EQ(g.at("numPoints").get<size_t>(), g.at("labels").size());
        ASSERT_EQ(g.at("numSeries").get<size_t>(), g.at("series").size());
        for (const json &s : g.at("series"))
            EXPECT_EQ(s.at("values").size(), g.at("labels").size());
    }
}

// Parses, failing the test on a syntax error (then the result is null).
json parsed(const std::string &text, const std::string &what) {
    json doc;
    try {
        doc = json::parse(text);
    } catch (const json::exception &e) {
        ADD_FAILURE() << what << ": not JSON: " << e.what() << "\n" << text;
        return json();
    }
    EXPECT_TRUE(doc.is_object()) << what;
    expectCountsAgree(doc, what);
    return doc;
}

// The JSON against the GraphData it was written from.
void expectSame(const json &j, const vek::GraphData &g) {
    EXPECT_EQ(j.at("title").get<std::string>(), g.title);
    EXPECT_EQ(j.at("caption").get<std::string>(), g.caption);
    EXPECT_EQ(j.at("leftTitle").get<std::string>(), g.leftTitle);
    EXPECT_EQ(j.at("labels").get<std::vector<std::string>>(), g.labels);
    // Numbers that are floats are written as the shortest text of the float.
    EXPECT_EQ(static_cast<float>(j.at("yMin").get<double>()), static_cast<float>(g.yMin));
    EXPECT_EQ(static_cast<float>(j.at("yMax").get<double>()), static_cast<float>(g.yMax));
    ASSERT_EQ(j.at("series").size(), g.series.size());
    for (size_t s = 0; s < g.series.size(); ++s) {
        const json &series = j.at("series")[s];
        EXPECT_EQ(series.at("legend").get<std::string>(), g.series[s].legend);
        for (size_t k = 0; k < g.series[s].values.size(); ++k) {
            const json &v = series.at("values")[k];
            if (!g.series[s].present[k])
                EXPECT_TRUE(v.is_null());
            else
                EXPECT_EQ(static_cast<float>(v.get<double>()), static_cast<float>(g.series[s].values[k]));
        }
    }
}

OutputResults named(const std::string &name) {
    OutputResults r;
    r.firstPrintYear = 2000;
    r.lastPrintYear = 2000;
    LocationResult loc;
    loc.name = name;
    loc.kind = LocationResult::Kind::RechargeSummary; // the legend is the bare name
    loc.rows.resize(2);
    loc.rows[0].diversionTotal = 5.0f;
    loc.rows[0].streamTotal = -2.5f;
    r.locations.push_back(loc);
    return r;
}

std::string legendOf(const std::string &name) {
    OutputResults r = named(name);
    ViewChoices c = everything(r, ViewChoices::Yearly);
    json doc = parsed(vek::plotToJson(vek::preparePlot(r, c)), "name");
    if (!doc.is_object()) return "<not parsed>";
    return doc.at("diversion").at("series").at(0).at("legend").get<std::string>();
}

} // namespace

// The golden graphs of the example report hold what the report says: a
// series per table the report prints (the net impact only in the stream's
// graph), named after its location, with the year totals as the reader takes
// them from the report, the average last. Golden files rewritten by a wrong
// program fail here, not only where they are compared.
TEST(GraphJson, TheYearlyGoldenGraphsHoldTheReportsTotals) {
    vek::test::ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.Load(vek::test::dataPath("results/two_locations.out"), p));
    const json doc = parsed(vek::test::readFile(vek::test::dataPath("results/graph_yearly.json")), "graph_yearly.json");
    ASSERT_TRUE(doc.is_object());
    std::vector<std::string> years;
    for (int y = r.firstPrintYear; y <= r.lastPrintYear; ++y)
        years.push_back(std::to_string(y));
    years.push_back("Avg");
    for (const bool stream : {false, true}) {
        SCOPED_TRACE(stream ? "stream" : "diversion");
        const json &g = doc.at(stream ? "stream" : "diversion");
        EXPECT_EQ(g.at("labels").get<std::vector<std::string>>(), years);
        std::size_t s = 0;
        for (const LocationResult &loc : r.locations) {
            if (!stream && !loc.hasDiversion()) continue; // the net impact
            ASSERT_LT(s, g.at("series").size());
            const json &series = g.at("series")[s++];
            EXPECT_EQ(series.at("legend").get<std::string>().rfind(loc.name, 0), 0u) << loc.name;
            const auto values = series.at("values").get<std::vector<double>>();
            ASSERT_EQ(values.size(), loc.rows.size());
            for (std::size_t y = 0; y < values.size(); ++y)
                EXPECT_EQ(static_cast<float>(values[y]), stream ? loc.rows[y].streamTotal : loc.rows[y].diversionTotal)
                    << loc.name << " " << years[y];
        }
        EXPECT_EQ(s, g.at("series").size());
    }
}

TEST(GraphJson, GoldenGraphsOfTheExampleReport) {
    vek::test::ScriptedPrompter p;
    OutputResults r;
    ASSERT_TRUE(r.Load(vek::test::dataPath("results/two_locations.out"), p));
    EXPECT_EQ(vek::test::compareGolden("results/graph_monthly.json",
                                       vek::plotToJson(vek::preparePlot(r, everything(r, ViewChoices::Monthly)))),
              "");
    EXPECT_EQ(vek::test::compareGolden("results/graph_yearly.json",
                                       vek::plotToJson(vek::preparePlot(r, everything(r, ViewChoices::Yearly)))),
              "");
}

TEST(GraphJson, EveryReportFixtureInEverySelectionReadsBack) {
    int graphs = 0;
    for (const char *folder : {"results", "viewer"}) {
        for (const auto &entry : std::filesystem::directory_iterator(vek::test::dataPath(folder))) {
            if (entry.path().extension() != ".out") continue;
            vek::test::ScriptedPrompter p;
            OutputResults r;
            if (!r.Load(entry.path().string(), p)) continue;
            for (int type : {1, 0, 2}) {
                r.changeYearType(type);
                for (int scale : {ViewChoices::Monthly, ViewChoices::Yearly}) {
                    const vek::PlotData plot = vek::preparePlot(r, everything(r, scale));
                    const json doc = parsed(vek::plotToJson(plot), entry.path().string());
                    if (!doc.is_object()) continue;
                    SCOPED_TRACE(entry.path().string());
                    if (plot.diversion) expectSame(doc.at("diversion"), *plot.diversion), ++graphs;
                    if (plot.stream) expectSame(doc.at("stream"), *plot.stream), ++graphs;
                }
            }
        }
    }
    EXPECT_GT(graphs, 10);
}

TEST(GraphJson, NamesWithControlCharactersQuotesAndBackslashes) {
    // Every byte below 0x80, one at a time and all together.
    std::string all;
    for (int c = 1; c < 0x80; ++c) {
        const std::string name = std::string("a") + static_cast<char>(c) + "b";
        EXPECT_EQ(legendOf(name), name) << "byte " << c;
        all += static_cast<char>(c);
    }
    EXPECT_EQ(legendOf(all), all);
    EXPECT_EQ(legendOf(std::string("nul\0inside", 10)), std::string("nul\0inside", 10));
    EXPECT_EQ(legendOf("\"quoted\" \\back\\slash\\"), "\"quoted\" \\back\\slash\\");
}

TEST(GraphJson, NamesThatAreNotUtf8StillGiveValidJson) {
    // Whole UTF-8 characters stay as they are; other bytes read as Windows-1252.
    EXPECT_EQ(legendOf("Se\xc3\xb1ora \xe2\x82\xac \xf0\x9f\x92\xa7"), "Se\xc3\xb1ora \xe2\x82\xac \xf0\x9f\x92\xa7");
    EXPECT_EQ(legendOf("Se\xf1ora"), "Se\xc3\xb1ora");
    EXPECT_EQ(legendOf("cut \xe2\x82"), "cut \xc3\xa2\xe2\x80\x9a");
    EXPECT_EQ(legendOf("\xed\xa0\x80"), "\xc3\xad\xc2\xa0\xe2\x82\xac") << "a surrogate is no character";
    // Random bytes: always parses, never loses a byte's character.
    std::mt19937 rng(8);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 24);
    for (int i = 0; i < 3000; ++i) {
        std::string name;
        for (int n = length(rng); n > 0; --n)
            name += static_cast<char>(byte(rng));
        const std::string legend = legendOf(name);
        EXPECT_NE(legend, "<not parsed>");
        EXPECT_GE(legend.size(), name.size());
    }
}

// The graph data stays valid JSON whatever the report held: names cut inside
// a character or in a one-byte code page, and sums too large for a float.
TEST(GraphJson, JsonIsValidForAnyNameAndValue) {
    struct Row {
        std::string name, expected;
    };
    const Row rows[] = {
        {"Pozo de la Se\xc3\xb1ora", "\"Pozo de la Se\xc3\xb1ora\""}, // whole UTF-8 character kept
        {"Pozo \xe2\x82", "\"Pozo \xc3\xa2\xe2\x80\x9a\""},           // cut inside a character, not at a field's end
        {"Se\xf1ora", "\"Se\xc3\xb1ora\""},                           // Windows-1252
        {"\xc0\xaf \xed\xa0\x80", "\"\xc3\x80\xc2\xaf \xc3\xad\xc2\xa0\xe2\x82\xac\""}, // overlong form, surrogate
        {"tab\there \x7f", "\"tab\\there \\u007f\""},
    };
    for (const Row &row : rows) {
        OutputResults r = vek::test::singleValue(1, 0, 0);
        r.locations[0].kind = LocationResult::Kind::RechargeSummary; // legend is the bare name
        r.locations[0].name = row.name;
        ViewChoices c;
        c.locations = {0};
        c.years = {0};
        c.scale = ViewChoices::Yearly;
        c.showStream = false;
        const std::string json = vek::plotToJson(vek::preparePlot(r, c));
        EXPECT_NE(json.find("\"legend\": " + row.expected), std::string::npos) << json;
    }

    OutputResults r = vek::test::singleValue(1, 0, 0);
    r.locations[0].rows[0].diversionTotal = 3.0e38f * 10.0f; // infinity
    r.locations[0].rows[1].diversionTotal = 5.0f;
    ViewChoices c;
    c.locations = {0};
    c.years = {0, 1};
    c.scale = ViewChoices::Yearly;
    c.showStream = false;
    std::string json = vek::plotToJson(vek::preparePlot(r, c));
    for (std::size_t at; (at = json.find("\"infinite\"")) != std::string::npos;)
        json.erase(at, 10); // the method's name
    EXPECT_EQ(json.find("inf"), std::string::npos) << json;
    EXPECT_NE(json.find("\"values\": [null, 5]"), std::string::npos) << json;
}
