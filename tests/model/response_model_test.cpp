// Response methods in the model core: the file's section written and read
// back, files of infinite-aquifer locations written as before, the documented
// example, the checks, the table import, the factor calculator and the table
// operations.
#include "engine/engine_run.h"
#include "engine/response_section.h"
#include "model/depletion_factor.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "model/response_checks.h"
#include "model/response_file.h"
#include "model/response_settings.h"
#include "model/response_table_import.h"
#include "support/model_builder.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace t = vek::test;
using vek::ModelDocument;
using vek::ResponseMethod;

namespace {

// Reads `text` as a model input file; the messages shown go to `shown`.
bool readText(const std::string &name, const std::string &text, ModelDocument &doc, std::string *shown = nullptr) {
    const std::string dir = t::freshDir(name);
    t::writeFile(dir + "/model.vek", text);
    t::ScriptedPrompter prompter;
    const bool ok = vek::ReadInput(doc, prompter, dir + "/model.vek");
    if (shown)
        for (const auto &m : prompter.messages)
            *shown += m + "\n";
    return ok;
}

vek::ModelInput fourMethods() {
    t::ModelBuilder b(2000, 2, 1);
    b.locations(5).distinctHistorical().runOverHistorical();
    vek::ModelInput m = b.model();
    m.locations[1].response = {ResponseMethod::AlluvialAquifer, 0.4f, 0.0f, ""};
    m.locations[2].response = {ResponseMethod::StreambedResistance, 0.0f, 2.5f, ""};
    m.locations[3].response = {ResponseMethod::ResponseTable, 0.0f, 0.0f, "Agency \"2019\" \\ run"};
    m.locations[4].response = {ResponseMethod::ResponseTable, 0.0f, 0.0f, "Agency \"2019\" \\ run"};
    m.locations[1].VEK = 2500.0f;
    std::vector<float> shares;
    for (int i = 0; i < 30; ++i)
        shares.push_back(0.03f + 0.0001234567f * static_cast<float>(i));
    m.responseTables.push_back({"Agency \"2019\" \\ run", shares, false});
    m.responseTables.push_back({"short", {0.5f, 0.25f}, true});
    m.responseTables.push_back({"unused and empty", {}, false});
    return m;
}

// A model holding every method and three tables reads back equal, and the
// second save writes the same bytes.
TEST(ResponseFile, RoundTrip) {
    const vek::ModelInput m = fourMethods();
    const std::string text = vek::modelInputText(m);
    t::ScriptedPrompter prompter;
    ModelDocument doc;
    std::string shown;
    ASSERT_TRUE(readText("model_response_round_trip", text, doc, &shown)) << shown;
    EXPECT_EQ(doc.model, m);
    EXPECT_EQ(vek::modelInputText(doc.model), text);
    EXPECT_NE(text.find("\nResponse methods 1\ntable name=\"Agency \\\"2019\\\" \\\\ run\" months=30 after=hold\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nlocation 2 alluvial a/W=0.4\nlocation 3 hunt lambda=2.5\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "end\n");
}

// The section is only appended: the file up to it is the file of the same
// model with every location on the infinite aquifer, with the factor in each
// location record, so a reader that stops before it reads the same model.
TEST(ResponseFile, SectionFollowsTheFileOfOld) {
    vek::ModelInput m = fourMethods();
    const std::string text = vek::modelInputText(m);
    for (auto &loc : m.locations)
        loc.response = {};
    m.responseTables.clear();
    const std::string plain = vek::modelInputText(m);
    EXPECT_FALSE(vek::needsResponseSection(m));
    EXPECT_EQ(plain.find("Response methods"), std::string::npos);
    ASSERT_GT(text.size(), plain.size());
    EXPECT_EQ(text.substr(0, plain.size()), plain);
    EXPECT_EQ(text.substr(plain.size(), 19), "Response methods 1\n");
}

// A name that reads as the section's first line is written as any name (the
// file is the one written before sections existed) and read back as a name.
TEST(ResponseFile, NameLikeTheSectionStart) {
    t::ModelBuilder b(2000, 1);
    b.locations(1).location(0, [](vek::Location &l) { l.name = "Response methods 1"; });
    const std::string text = vek::modelInputText(b.model());
    EXPECT_EQ(text.find("\nend"), std::string::npos);
    t::ScriptedPrompter prompter;
    ModelDocument doc;
    ASSERT_TRUE(readText("model_response_name", text, doc));
    EXPECT_EQ(doc.model, b.model());
}

// The example of docs/file-formats.md reads with its methods and tables.
TEST(ResponseFile, DocumentedExampleReads) {
    const std::string doc = t::readFile(t::dataDir() + "/../../docs/file-formats.md");
    const std::string marker = "<!-- response methods example -->\n```\n";
    const auto from = doc.find(marker);
    ASSERT_NE(from, std::string::npos) << "the example's marker is missing in docs/file-formats.md";
    const auto begin = from + marker.size();
    const std::string example = doc.substr(begin, doc.find("```", begin) - begin);
    t::ScriptedPrompter prompter;
    ModelDocument d;
    std::string shown;
    ASSERT_TRUE(readText("model_response_documented", example, d, &shown)) << shown;
    ASSERT_EQ(d.model.locations.size(), 4u);
    EXPECT_EQ(d.model.locations[0].response.method, ResponseMethod::InfiniteAquifer);
    EXPECT_EQ(d.model.locations[1].response.method, ResponseMethod::AlluvialAquifer);
    EXPECT_EQ(d.model.locations[2].response.method, ResponseMethod::StreambedResistance);
    EXPECT_EQ(d.model.locations[3].response.table, "Agency run 2019");
    ASSERT_EQ(d.model.responseTables.size(), 1u);
    EXPECT_TRUE(vek::checkResponseMethods(d.model).empty());
    // And it is written back exactly as documented, and the engine runs it.
    EXPECT_EQ(vek::modelInputText(d.model), example);
    const std::string dir = t::freshDir("model_response_documented_run");
    t::writeFile(dir + "/model.vek", example);
    std::ostringstream console, errors;
    ASSERT_EQ(vek::engine::runEngine(dir + "/model.vek", dir + "/model.out", {}, console, errors), 0) << errors.str();
    const std::string report = t::readFile(dir + "/model.out");
    EXPECT_NE(report.find("    4  Basin well"), std::string::npos);
}

// A damaged section fails the read with its line; the locations keep
// everything read before it.
TEST(ResponseFile, DamagedSectionsFailTheRead) {
    const std::string base = vek::modelInputText(fourMethods());
    const std::string start = "Response methods 1\n";
    const std::size_t at = base.find(start);
    const auto firstLine = std::count(base.begin(), base.begin() + static_cast<long>(at), '\n') + 1;
    const struct {
        std::string section;
        std::string message;
        long line;
    } rows[] = {
        {start + "location 6 hunt lambda=1\nend\n", "location 6 does not exist (the file has 5)", 0},
        {start + "location 2 river\nend\n", "unknown method \"river\"", 1},
        {start + "location 2 hunt lambda=1\n", "have no end line", 1},
        {start + "end\ntrailing\n", "text after the end line", 2},
    };
    for (const auto &r : rows) {
        t::ScriptedPrompter prompter;
        ModelDocument doc;
        std::string shown;
        EXPECT_FALSE(readText("model_response_damaged", base.substr(0, at) + r.section, doc, &shown)) << r.section;
        EXPECT_NE(shown.find(r.message), std::string::npos) << shown;
        EXPECT_NE(shown.find("ReadInput: Error in the response methods at line " + std::to_string(firstLine + r.line)),
                  std::string::npos)
            << shown;
        EXPECT_EQ(doc.model.locations.size(), 5u);
        EXPECT_EQ(doc.model.locations[4].pumpingFlow, fourMethods().locations[4].pumpingFlow);
    }
}

TEST(ResponseChecks, EveryProblemWithItsPlace) {
    vek::ModelInput m = fourMethods();
    EXPECT_TRUE(vek::checkResponseMethods(m).empty() == false); // the empty table
    m.responseTables.pop_back();
    EXPECT_TRUE(vek::checkResponseMethods(m).empty());
    m.locations[1].response.aOverW = 1.0f;
    m.locations[2].response.lambda = -2.0f;
    m.locations[3].response.table = "missing";
    m.responseTables[1].shares = {0.7f, 0.6f};
    m.responseTables.push_back(m.responseTables[1]);
    const auto problems = vek::checkResponseMethods(m);
    ASSERT_EQ(problems.size(), 6u);
    EXPECT_EQ(problems[0].text,
              "response table \"short\": the shares of months 1 to 2 add up to 1.3, more than the whole step (1)");
    EXPECT_EQ(problems[0].field, vek::ModelProblem::Field::Shares);
    EXPECT_EQ(problems[1].text, "response table \"short\" is defined twice");
    EXPECT_EQ(problems[3].location, 1);
    EXPECT_EQ(problems[3].field, vek::ModelProblem::Field::AOverW);
    EXPECT_EQ(problems[3].text.substr(0, 33), "location 2 (Location 2): a/W is 1");
    EXPECT_EQ(problems[4].field, vek::ModelProblem::Field::Lambda);
    EXPECT_EQ(problems[5].text, "location 4 (Location 4): there is no table \"missing\"");
    EXPECT_EQ(problems[5].table, "missing");
}

TEST(ResponseTableImport, LayoutsOfSpreadsheetsAndModels) {
    const struct {
        const char *text;
        std::vector<std::string> names;
        std::vector<std::vector<float>> shares;
    } rows[] = {
        // Header with a month column, CRLF and a byte-order mark.
        {"\xEF\xBB\xBFmonth,Agency run\r\n1,0.1\r\n2,0.25\r\n", {"Agency run"}, {{0.1f, 0.25f}}},
        // Tabs, two tables of different lengths, a quoted name with a comma.
        {"Month\t\"A, 2019\"\tB\n1\t0.1\t0.3\n2\t0.2\t\n3\t0.3\t\n", {"A, 2019", "B"}, {{0.1f, 0.2f, 0.3f}, {0.3f}}},
        // One bare column: the default name; comments and blank lines.
        {"# from the agency\n0.5\n\n0.25\n", {"urf"}, {{0.5f, 0.25f}}},
        // Months numbered without a header, two columns.
        {"1;0.5;0.4\n2;0.25;0.4\n", {"urf 1", "urf 2"}, {{0.5f, 0.25f}, {0.4f, 0.4f}}},
        // A first column that does not count 1, 2, ... is a table.
        {"0.2,0.1\n0.3,0.1\n", {"urf 1", "urf 2"}, {{0.2f, 0.3f}, {0.1f, 0.1f}}},
    };
    for (const auto &r : rows) {
        const auto result = vek::parseResponseTables(r.text, "urf");
        ASSERT_EQ(result.error, "") << r.text;
        ASSERT_EQ(result.tables.size(), r.names.size()) << r.text;
        for (std::size_t i = 0; i < r.names.size(); ++i) {
            EXPECT_EQ(result.tables[i].name, r.names[i]);
            EXPECT_EQ(result.tables[i].shares, r.shares[i]) << r.text;
            EXPECT_FALSE(result.tables[i].afterTableOne);
        }
    }
    const struct {
        const char *text;
        const char *error;
    } broken[] = {
        {"month,a\n1,0.1\n3,0.2\n", "line 3, column 1: the month is \"3\"; months must run 1, 2, 3 ..."},
        {"a,b\n0.1,0.2\n,0.1\n0.3,0.1\n", "line 4, column 1: a share follows an empty cell of column \"a\""},
        {"a\n0.1\n0,1\n", "line 3, column 1: \"0,1\" is not a number"}, // no decimal commas
        {"a\n0.1\nten\n", "line 3, column 1: \"ten\" is not a number"},
        {"a,a\n0.1,0.2\n", "two columns are named \"a\""},
        {"# nothing\n\n", "the file holds no shares"},
        {"month\n1\n2\n", "the file holds no column of shares"},
    };
    for (const auto &b : broken)
        EXPECT_EQ(vek::parseResponseTables(b.text, "urf").error, b.error) << b.text;
    EXPECT_EQ(vek::importResponseTables(t::outputDir() + "/no such file.csv").error,
              "cannot read " + t::outputDir() + "/no such file.csv");
}

// sdf = a^2 S / T: Glover and Balmer's (1954) well 1 (a = 200 ft, S = 0.2,
// T = 345.6 ft^2/day... as published: 23.15 days), and the same in metres.
TEST(FactorCalculator, FactorFromTheAquiferAndBack) {
    const vek::AquiferProperties feet{1000.0, 0.2, 20000.0, vek::LengthUnit::Feet};
    EXPECT_EQ(vek::aquiferProblem(feet), "");
    EXPECT_DOUBLE_EQ(vek::depletionFactorDays(feet), 10.0);
    const vek::AquiferProperties metres = vek::inUnit(feet, vek::LengthUnit::Metres);
    EXPECT_DOUBLE_EQ(metres.distance, 304.8);
    EXPECT_NEAR(metres.transmissivity, 1858.0608, 1e-9);
    EXPECT_NEAR(vek::depletionFactorDays(metres), 10.0, 1e-12);
    EXPECT_EQ(vek::inUnit(metres, vek::LengthUnit::Feet).unit, vek::LengthUnit::Feet);
    EXPECT_NEAR(vek::inUnit(metres, vek::LengthUnit::Feet).transmissivity, 20000.0, 1e-9);
    // Back: each property from the factor and the other two.
    EXPECT_NEAR(vek::distanceForFactor(2500.0, feet), 15811.388300841898, 1e-9);
    EXPECT_NEAR(vek::storativityForFactor(2500.0, feet), 50.0, 1e-12);
    EXPECT_NEAR(vek::transmissivityForFactor(2500.0, feet), 80.0, 1e-12);
    // Problems.
    EXPECT_NE(vek::aquiferProblem({1000.0, 0.0, 20000.0}), "");
    EXPECT_NE(vek::aquiferProblem({1000.0, 1.5, 20000.0}), "");
    EXPECT_NE(vek::aquiferProblem({1000.0, 0.2, 0.0}), "");
    EXPECT_NE(vek::aquiferProblem({-1.0, 0.2, 1.0}), "");
    EXPECT_NE(vek::aquiferProblem({NAN, 0.2, 1.0}), "");
    EXPECT_EQ(vek::boundaryProblem(300.0, 1000.0), "");
    EXPECT_NE(vek::boundaryProblem(1000.0, 1000.0), "");
    EXPECT_DOUBLE_EQ(vek::boundaryRatio(300.0, 1000.0), 0.3);
    EXPECT_DOUBLE_EQ(vek::streambedLambdaPrime(2.0, feet), 0.1);
}

TEST(ResponseTables, RenameRemoveAndResponses) {
    vek::ModelInput m = fourMethods();
    EXPECT_FALSE(vek::renameResponseTable(m, "short", "Agency \"2019\" \\ run"));
    EXPECT_FALSE(vek::renameResponseTable(m, "nothing", "x"));
    ASSERT_TRUE(vek::renameResponseTable(m, "Agency \"2019\" \\ run", "URF"));
    EXPECT_EQ(m.locations[3].response.table, "URF");
    EXPECT_EQ(m.locations[4].response.table, "URF");
    vek::putResponseTable(m, {"short", {1.0f}, true});
    EXPECT_EQ(m.responseTables.size(), 3u);
    EXPECT_EQ(vek::findResponseTable(m, "short")->shares, std::vector<float>{1.0f});
    // Each location's double-precision response.
    EXPECT_DOUBLE_EQ(vek::stepResponse(m, m.locations[1])(2500.0),
                     vek::engine::StepResponse::alluvialAquifer(2500.0, double(0.4f))(2500.0));
    EXPECT_DOUBLE_EQ(vek::stepResponse(m, m.locations[3])(15.0), double(0.03f));
    ASSERT_TRUE(vek::removeResponseTable(m, "URF"));
    EXPECT_FALSE(vek::removeResponseTable(m, "URF"));
    EXPECT_EQ(m.locations[3].response.table, "URF"); // kept: the checks show it
    EXPECT_EQ(vek::checkResponseMethods(m).size(), 3u);
    // Without its table a location's curve is the infinite aquifer's.
    EXPECT_DOUBLE_EQ(vek::stepResponse(m, m.locations[3])(100.0), std::erfc(0.0));
}

} // namespace
