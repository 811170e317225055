// The one validation of a model: where each problem of the shared small files
// is (location and field, for the form to mark), synthesized years judged
// against their recorded method without calling a right synthesis stale, and
// what the document says and remembers when it opens a file.
#include "common/numbers.h"
#include "model/model_document.h"
#include "model/model_validation.h"
#include "model/synthesis.h"
#include "model/year_types.h"
#include "support/model_builder.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"
#include "support/validation_cases.h"

#include <gtest/gtest.h>

#include <cmath>

namespace t = vek::test;
using vek::ModelInput;
using vek::ModelProblem;
using vek::validateModel;

TEST(ModelValidation, EachFileHasItsOneProblemWhereItIs) {
    const std::string dir = t::freshDir("model_validation_cases");
    for (const t::ValidationCase &c : t::validationCases()) {
        SCOPED_TRACE(c.file);
        const std::string path = dir + "/" + c.file;
        t::writeFile(path, t::validationCaseText(c));
        const vek::ModelFileCheck check = vek::checkModelFile(path);
        ASSERT_TRUE(check.read.ok());
        const vek::ModelValidation &v = check.validation;
        EXPECT_EQ(v.refused(), c.refused);
        if (!*c.field) {
            EXPECT_TRUE(v.problems.empty()) << v.problems[0].text;
            continue;
        }
        ASSERT_EQ(v.problems.size(), 1u) << (v.problems.empty() ? std::string("no problem") : v.problems[0].text);
        std::vector<const ModelProblem *> here;
        for (const ModelProblem *p : v.problemsOf(c.location))
            if (c.field == std::string(vek::fieldName(p->field))) here.push_back(p);
        ASSERT_EQ(here.size(), 1u);
        EXPECT_EQ(v.problemsOf(c.location, here[0]->field).size(), 1u);
        EXPECT_EQ(here[0]->refused(), c.refused);
        if (c.refused && *c.option) {
            EXPECT_EQ(here[0]->option, c.option);
        }
        // Nothing of another location, nor of another field of this one.
        EXPECT_TRUE(v.problemsOf(c.location == 0 ? 1 : 0).empty());
        EXPECT_EQ(v.problemsOf(c.location).size(), 1u);
    }
}

TEST(ModelValidation, StaleValuesAreFoundAtTheirCell) {
    const std::string dir = t::freshDir("model_validation_cell");
    const auto &cases = t::validationCases();
    const auto stale = std::find_if(cases.begin(), cases.end(),
                                    [](const t::ValidationCase &c) { return std::string(c.file) == "stale.vek"; });
    t::writeFile(dir + "/stale.vek", t::validationCaseText(*stale));
    const vek::ModelFileCheck check = vek::checkModelFile(dir + "/stale.vek");
    const auto p = check.validation.problemsOf(0, ModelProblem::Field::SynthesizedData);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0]->year, 2002);
    EXPECT_EQ(p[0]->month, 0);
    EXPECT_EQ(p[0]->option, "--given 2001");
}

namespace {

// Three locations over 1990..1999 with two synthesized years; no two
// choices of years have the same average.
ModelInput tenYears() {
    ModelInput m = t::ModelBuilder(1990, 10, 2)
                       .locations(3)
                       .historical([](int i, int k, int c) {
                           return 10.0f * static_cast<float>(i + 1) + std::exp2(static_cast<float>(k)) + 0.11f * c;
                       })
                       .model();
    m.outputStartYear = 1990;
    m.outputEndYear = 2001;
    return m;
}

std::vector<ModelProblem> staleProblems(const ModelInput &m) {
    std::vector<ModelProblem> out;
    for (const ModelProblem &p : validateModel(m).problems)
        if (p.field == ModelProblem::Field::SynthesizedData || p.field == ModelProblem::Field::SynthesizeFormat)
            out.push_back(p);
    return out;
}

} // namespace

// Each method as the synthesis made it is no warning; a changed historical
// year the method draws on is.
TEST(ModelValidation, SynthesizedYearsAgainstTheirMethod) {
    const struct {
        const char *name;
        std::function<vek::OperationResult(ModelInput &)> synthesize;
        int drawnOn, notDrawnOn; // historical offsets
    } rows[] = {
        {"average",
         [](ModelInput &m) {
             return vek::synthesizeAverage(m, {1992, 1993, 1994});
         },
         3, 6},
        {"given", [](ModelInput &m) { return vek::synthesizeGivenYear(m, 1995); }, 5, 4},
        {"cycle", [](ModelInput &m) { return vek::synthesizeCycle(m, 1991, 3); }, 2, 7},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ModelInput m = tenYears();
        ASSERT_TRUE(row.synthesize(m).ok());
        EXPECT_TRUE(validateModel(m).problems.empty()) << validateModel(m).problems[0].text;
        m.locations[2].historicalData[4][static_cast<size_t>(row.notDrawnOn)] += 1.0f;
        EXPECT_TRUE(staleProblems(m).empty());
        m.locations[2].historicalData[4][static_cast<size_t>(row.drawnOn)] += 1.0f;
        const auto stale = staleProblems(m);
        ASSERT_EQ(stale.size(), 1u);
        EXPECT_EQ(stale[0].location, 2);
        EXPECT_EQ(stale[0].month, 4);
        EXPECT_FALSE(stale[0].refused());
    }
    // A record naming years that are not historical is one warning.
    ModelInput m = tenYears();
    ASSERT_TRUE(vek::synthesizeGivenYear(m, 1995).ok());
    m.projYearStart = 12;
    const auto stale = staleProblems(m);
    ASSERT_EQ(stale.size(), 1u);
    EXPECT_EQ(stale[0].field, ModelProblem::Field::SynthesizeFormat);
    // User-defined values are never compared.
    m.synthesizeFormat = vek::SynthesizedUserDefined;
    EXPECT_TRUE(staleProblems(m).empty());
}

// A synthesized year is stale once its source moved by a ten-thousandth; a
// hundred-thousandth is the file's rounding, not a change.
TEST(ModelValidation, StaleFromATenThousandthOn) {
    for (const double change : {1e-5, 1e-4}) {
        SCOPED_TRACE(change);
        ModelInput m = tenYears();
        ASSERT_TRUE(vek::synthesizeGivenYear(m, 1995).ok());
        float &source = m.locations[1].historicalData[7][5];
        source = static_cast<float>(static_cast<double>(source) * (1.0 + change));
        EXPECT_EQ(staleProblems(m).size(), change > 5e-5 ? 1u : 0u);
    }
}

// A value the engine cannot read is found in any month of any year, first
// and last, and the problem names that year and month.
TEST(ModelValidation, UnreadableValueNamesItsYearAndMonth) {
    const struct {
        bool synthesized;
        int offset, month;
    } rows[] = {{false, 0, 0}, {false, 9, 11}, {true, 1, 11}, {true, 0, 5}};
    for (const auto &r : rows) {
        SCOPED_TRACE(std::to_string(r.offset) + " " + std::to_string(r.month));
        ModelInput m = tenYears();
        vek::Location &loc = m.locations[2];
        (r.synthesized ? loc.synthesizedData
                       : loc.historicalData)[static_cast<size_t>(r.month)][static_cast<size_t>(r.offset)] = INFINITY;
        const auto problems = validateModel(m).refusals();
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems[0].location, 2);
        EXPECT_EQ(problems[0].field,
                  r.synthesized ? ModelProblem::Field::SynthesizedData : ModelProblem::Field::HistoricalData);
        EXPECT_EQ(problems[0].year, (r.synthesized ? m.synthStartYear : m.inputStartYear) + r.offset);
        EXPECT_EQ(problems[0].month, r.month);
    }
}

// A month's volume over a million acre-feet looks wrong, a million does not;
// a daily value counts for a month of 31 days.
TEST(ModelValidation, DoubtfulValuesByTheMonthsVolume) {
    vek::Location well, site;
    site.LocationType = vek::RechargeSite;
    const struct {
        float value;
        int units;
        bool doubtful;
    } rows[] = {{1.0e6f, vek::MonthlyAcreFeet, false},       {1000001.0f, vek::MonthlyAcreFeet, true},
                {-1000001.0f, vek::MonthlyAcreFeet, true},   {32000.0f, vek::AverageDailyAcreFeet, false},
                {32300.0f, vek::AverageDailyAcreFeet, true}, {-32300.0f, vek::AverageDailyAcreFeet, true}};
    for (const auto &r : rows) {
        SCOPED_TRACE(std::to_string(r.value) + " in units " + std::to_string(r.units));
        EXPECT_EQ(!vek::doubtfulValue(site, r.value, r.units).empty(), r.doubtful);
    }
    // A well's negative value looks wrong, a site's does not.
    EXPECT_FALSE(vek::doubtfulValue(well, -1.0f, vek::MonthlyAcreFeet).empty());
    EXPECT_TRUE(vek::doubtfulValue(site, -1.0f, vek::MonthlyAcreFeet).empty());
}

// The record of an average keeps only its first and last year: an average
// of some of the years between them is right, and a changed year among the
// chosen ones is found all the same.
TEST(ModelValidation, AverageOfYearsWithGaps) {
    ModelInput m = tenYears();
    ASSERT_TRUE(vek::synthesizeAverage(m, {1990, 1993, 1994, 1999}).ok());
    EXPECT_EQ(m.projYearStart, 0);
    EXPECT_EQ(m.projYearEnd, 9);
    EXPECT_TRUE(staleProblems(m).empty());
    m.locations[0].historicalData[0][3] = 500.0f;
    EXPECT_EQ(staleProblems(m).size(), 3u) << "compared with the average of every year from 1990 to 1999";
}

// Values written with six significant digits and read back: an average of
// full-precision values (after a unit conversion) is still the average of
// the written ones.
TEST(ModelValidation, SynthesisSurvivesTheFilesDigits) {
    ModelInput m = tenYears();
    ASSERT_TRUE(vek::changeUnits(m, 0).ok()); // monthly to daily: values of full float precision
    ASSERT_TRUE(vek::synthesizeAverage(m, {1990, 1991, 1992, 1993, 1994, 1995, 1996, 1997, 1998, 1999}).ok());
    ModelInput written = m;
    for (vek::MonthColumns vek::Location::*table : {&vek::Location::historicalData, &vek::Location::synthesizedData})
        for (auto &loc : written.locations)
            for (auto &col : loc.*table)
                for (float &v : col)
                    v = vek::leadingNumber(vek::formatG(static_cast<double>(v)));
    bool anyDiffers = false;
    for (size_t i = 0; i < m.locations.size(); ++i)
        anyDiffers = anyDiffers || m.locations[i].historicalData != written.locations[i].historicalData;
    ASSERT_TRUE(anyDiffers) << "the test needs values the file rounds";
    EXPECT_TRUE(staleProblems(written).empty()) << staleProblems(written)[0].text;
}

// Opening a file says its warnings once, remembers stale synthesized years
// for the run's question, and the type read from the file counts until the
// document says otherwise.
TEST(ModelValidation, OpeningAFileSaysItsWarnings) {
    const std::string dir = t::freshDir("model_validation_open");
    t::ValidationCase type2{}, stale{};
    for (const auto &c : t::validationCases()) {
        if (std::string(c.file) == "type2.vek") type2 = c;
        if (std::string(c.file) == "stale.vek") stale = c;
    }
    t::writeFile(dir + "/type2.vek", t::validationCaseText(type2));
    t::ScriptedPrompter p;
    vek::ModelDocument doc;
    ASSERT_TRUE(doc.open(dir + "/type2.vek", p));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], std::string("type2.vek") + vek::kOpenWarningsMessage +
                                 "Location 2 (Site B): its type is 2 in the file: the engine multiplies its volumes "
                                 "by 2 and reports it as pumping, while the desktop program reads it as a recharge "
                                 "site and saves it as 1.");
    EXPECT_FALSE(doc.historicalDataChanged);
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(doc.validate().problemsOf(1, ModelProblem::Field::LocationType).size(), 1u);
    // Made a well in the form: the file's number no longer describes it.
    doc.model.locations[1].LocationType = vek::IrrigationWell;
    EXPECT_TRUE(doc.validate().problems.empty());
    doc.model.locations[1].LocationType = vek::RechargeSite;
    ASSERT_TRUE(doc.save(dir + "/saved.vek", p));
    EXPECT_EQ(doc.fileValues(), nullptr);
    EXPECT_TRUE(doc.validate().problems.empty());

    t::writeFile(dir + "/stale.vek", t::validationCaseText(stale));
    ASSERT_TRUE(doc.open(dir + "/stale.vek", p));
    EXPECT_EQ(p.messages.size(), 2u);
    EXPECT_TRUE(doc.historicalDataChanged);
    // A clean file says nothing.
    t::writeFile(dir + "/clean.vek", t::kRunnableModel);
    ASSERT_TRUE(doc.open(dir + "/clean.vek", p));
    EXPECT_EQ(p.messages.size(), 2u);
    EXPECT_FALSE(doc.historicalDataChanged);
}

// A message lists the first problems and says how many more there are.
TEST(ModelValidation, LongListsAreCut) {
    ModelInput m = tenYears();
    m.locations.resize(12, m.locations[0]);
    for (auto &loc : m.locations)
        loc.name = std::string(70, 'n');
    const vek::ModelValidation v = validateModel(m);
    ASSERT_EQ(v.warnings().size(), 12u);
    const std::string text = v.text(ModelProblem::Severity::Warning, vek::kMostProblemsShown);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10);
    EXPECT_EQ(text.substr(text.rfind('\n') + 1), "... and 2 more (vektool check lists them all).");
    EXPECT_EQ(v.text(ModelProblem::Severity::Warning), v.text(ModelProblem::Severity::Warning, 12));
    EXPECT_EQ(v.text(ModelProblem::Severity::Refused), "");
}
