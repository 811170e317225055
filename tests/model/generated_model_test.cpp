// Models made by the benchmarks' generator for a number of run years: every
// number it takes gives a file that the editor's reader and the engine read;
// a number no run can have is refused.
#include <gtest/gtest.h>

#include <sstream>

#include "bench/model_generator.h"
#include "engine/engine_run.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "support/test_files.h"

namespace {

namespace t = vek::test;
using vek::bench::ModelShape;

TEST(GeneratedModel, RunYearsAtTheLimitsReadAndRun) {
    for (int years : {1, 2, 11, 400}) {
        SCOPED_TRACE(years);
        ModelShape shape;
        shape.locations = 3;
        ASSERT_TRUE(vek::bench::setRunYears(shape, years));
        const std::string dir = t::freshDir("generated_model_" + std::to_string(years));
        const std::string input = dir + "/model.vek";
        t::writeFile(input, vek::bench::generateModel(shape));

        vek::ModelDocument doc;
        const vek::OperationResult read = vek::readModelInput(doc.model, input);
        ASSERT_TRUE(read.ok()) << (read.error ? read.error->message : "");
        EXPECT_EQ(doc.model.outputEndYear - doc.model.outputStartYear + 1, years);
        EXPECT_EQ(doc.model.locations.size(), 3u);

        std::ostringstream console, errors;
        EXPECT_EQ(vek::engine::runEngine(input, dir + "/model.out", {}, console, errors), 0) << errors.str();
        EXPECT_NE(t::readFile(dir + "/model.out").find("NET IMPACT"), std::string::npos);
    }
}

TEST(GeneratedModel, RunYearsNoRunCanHaveRefused) {
    for (int years : {-1, 0, 401}) {
        ModelShape shape;
        EXPECT_FALSE(vek::bench::setRunYears(shape, years)) << years;
        EXPECT_EQ(shape.historicalYears, ModelShape{}.historicalYears) << years;
    }
}

} // namespace
