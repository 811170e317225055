// The Uncertainty dialog driven as a user would: each range change is one undo
// step and a model whose ranges are all undone writes what it wrote before;
// a run shows bands that hold the quantiles the exporter computes; a run
// stopped part way keeps the samples it finished, the same ones a whole run
// draws.
#include "editor/uncertainty_dialog.h"
#include "editor_test_support.h"
#include "model/input_file.h"
#include "results/uncertainty_export.h"
#include "support/test_files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressDialog>
#include <QSpinBox>
#include <QTableWidget>
#include <QUndoStack>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>

#include <gtest/gtest.h>

using namespace vek;

namespace {

class UncertaintyDialogTest : public vek::test::FormFixture {
  protected:
    std::unique_ptr<UncertaintyDialog> dialog() {
        auto dlg = std::make_unique<UncertaintyDialog>(doc.get());
        dlg->showMessage = [this](const QString &t) { messages << t; };
        return dlg;
    }
    static void typeRange(UncertaintyDialog &d, int location, const QString &low, const QString &high) {
        d.locationList()->setCurrentIndex(location);
        d.quantityList()->setCurrentIndex(static_cast<int>(engine::UncertainQuantity::Factor));
        d.distributionList()->setCurrentIndex(static_cast<int>(engine::Distribution::Uniform));
        d.lowEdit()->setText(low);
        d.highEdit()->setText(high);
    }
    QStringList messages;
};

TEST_F(UncertaintyDialogTest, EachRangeChangeIsOneStepAndUndoingAllWritesTheModelAsBefore) {
    const std::string before = modelInputText(m());
    auto d = dialog();
    const int steps = doc->undoStack()->count();

    // Bounds out of order and text that is no number are refused without a step.
    for (const auto &[low, high] : {std::pair{"5000", "100"}, std::pair{"1e3x", "5000"}, std::pair{"", "5000"}}) {
        typeRange(*d, 0, QString::fromLatin1(low), QString::fromLatin1(high));
        EXPECT_FALSE(d->addRange()) << low << " " << high;
        EXPECT_FALSE(d->problemLabel()->text().isEmpty());
    }
    EXPECT_EQ(doc->undoStack()->count(), steps);

    typeRange(*d, 0, "100", "5000");
    ASSERT_TRUE(d->addRange()) << d->problemLabel()->text().toStdString();
    EXPECT_EQ(doc->undoStack()->count(), steps + 1);
    EXPECT_TRUE(doc->isModified());
    ASSERT_EQ(d->rangeTable()->rowCount(), 1);
    EXPECT_EQ(d->rangeTable()->item(0, 0)->text(), "All locations");
    EXPECT_FALSE(d->addRange()) << "a second factor range for all locations";
    typeRange(*d, 2, "0.8", "1.2");
    d->quantityList()->setCurrentIndex(static_cast<int>(engine::UncertainQuantity::Pumping));
    d->sharedBox()->setChecked(true);
    ASSERT_TRUE(d->addRange());
    ASSERT_EQ(d->rangeTable()->rowCount(), 2);
    EXPECT_EQ(d->rangeTable()->item(1, 0)->text(), "2 South");

    d->rangeTable()->selectRow(0);
    EXPECT_EQ(d->highEdit()->text(), "5000");
    d->highEdit()->setText("4000");
    ASSERT_TRUE(d->changeRange());
    EXPECT_EQ(doc->undoStack()->count(), steps + 3);
    EXPECT_EQ(m().allRanges().entries[0].range.high, 4000.0);
    EXPECT_TRUE(m().locations[1].ranges.at(0).shared);

    doc->undo();
    EXPECT_EQ(m().allRanges().entries[0].range.high, 5000.0);
    EXPECT_EQ(d->rangeTable()->item(0, 6)->text(), "5000");
    doc->undo();
    doc->undo();
    EXPECT_EQ(d->rangeTable()->rowCount(), 0);
    EXPECT_EQ(modelInputText(m()), before);
    EXPECT_FALSE(doc->isModified());
    doc->redo();
    doc->redo();
    doc->redo();
    EXPECT_EQ(m().allRanges().entries[0].range.high, 4000.0);
    EXPECT_NE(modelInputText(m()).find("Uncertainty ranges 1"), std::string::npos);

    d->rangeTable()->selectRow(1);
    ASSERT_TRUE(d->deleteRange());
    EXPECT_TRUE(m().locations[1].ranges.empty());
    EXPECT_EQ(doc->undoStack()->count(), steps + 4);
}

// The points of a chart's band (lower, upper), median and deterministic lines.
struct ChartLines {
    QList<QPointF> lower, upper, median, base;
};
ChartLines linesOf(QChart *chart) {
    ChartLines l;
    for (QAbstractSeries *s : chart->series()) {
        if (auto *area = qobject_cast<QAreaSeries *>(s)) {
            l.lower = area->lowerSeries()->points();
            l.upper = area->upperSeries()->points();
        } else if (auto *line = qobject_cast<QLineSeries *>(s)) {
            (line->name() == "Deterministic" ? l.base : l.median) = line->points();
        }
    }
    return l;
}

TEST_F(UncertaintyDialogTest, RunShowsTheCoreQuantilesAndAStoppedRunKeepsItsSamples) {
    auto d = dialog();
    typeRange(*d, 0, "100", "5000");
    ASSERT_TRUE(d->addRange());
    d->samplesBox()->setValue(40);
    d->seedEdit()->setText("7");
    d->quantilesEdit()->setText("10,50,90");
    ASSERT_TRUE(d->run()) << messages.join("\n").toStdString();
    const engine::UncertaintyResults full = *d->results();
    ASSERT_EQ(full.samples, 40u);
    ASSERT_NE(d->tornado(), nullptr);
    EXPECT_EQ(d->tornado()->bars.size(), 2u) << "a range for all locations drawn by each: a bar per well";

    // The yearly band of ALL LOCATIONS against the exporter's rows.
    d->periodList()->setCurrentIndex(1);
    const std::size_t all = full.series.size() - 1;
    ASSERT_EQ(d->resultList()->currentIndex(), static_cast<int>(all));
    const ChartLines lines = linesOf(d->bandView()->chart());
    std::vector<BandRow> rows;
    for (const BandRow &r : bandRows(full, {10, 50, 90}))
        if (r.series == all && std::string(r.period) == "year") rows.push_back(r);
    ASSERT_EQ(lines.upper.size(), static_cast<qsizetype>(rows.size()));
    ASSERT_GT(rows.size(), 2u);
    bool wide = false;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto k = static_cast<qsizetype>(i);
        EXPECT_EQ(lines.lower[k].y(), rows[i].quantiles[0]) << i;
        EXPECT_EQ(lines.median[k].y(), rows[i].quantiles[1]) << i;
        EXPECT_EQ(lines.upper[k].y(), rows[i].quantiles[2]) << i;
        EXPECT_EQ(lines.base[k].y(), rows[i].base) << i;
        EXPECT_EQ(lines.upper[k].x(), rows[i].year) << i;
        wide = wide || rows[i].quantiles[2] != rows[i].quantiles[0];
    }
    EXPECT_TRUE(wide) << "a factor range of 100 to 5000 days gives bands of some width";

    // Stop once a few samples are done.
    d->samplesBox()->setValue(50000);
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (auto *p = d->findChild<QProgressDialog *>(); p && p->value() >= 3) p->cancel();
    });
    stopper.start(5);
    ASSERT_TRUE(d->run());
    stopper.stop();
    const engine::UncertaintyResults &stopped = *d->results();
    const std::size_t n = stopped.samples;
    ASSERT_GE(n, 3u);
    ASSERT_LT(n, 50000u);
    for (std::size_t y = 0; y < static_cast<std::size_t>(full.years); ++y)
        for (std::size_t k = 0; k < std::min<std::size_t>(n, 40); ++k)
            ASSERT_EQ(stopped.series[all].years[y * n + k], full.series[all].years[y * 40 + k]) << y << " " << k;
    EXPECT_EQ(linesOf(d->bandView()->chart()).upper.size(), static_cast<qsizetype>(rows.size()));

    // The exports write the kept samples' bands; one that cannot be written says so.
    const std::string dir = vek::test::freshDir("uncertainty_dialog_export");
    ASSERT_TRUE(d->exportBands(QString::fromStdString(dir + "/bands.csv")));
    EXPECT_EQ(vek::test::readFile(dir + "/bands.csv"), bandsCsv(stopped, {10, 50, 90}));
    ASSERT_TRUE(d->exportBands(QString::fromStdString(dir + "/bands.xlsx")));
    EXPECT_GT(vek::test::readFile(dir + "/bands.xlsx").size(), 1000u);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
    EXPECT_FALSE(d->exportBands(QString::fromStdString(dir + "/no such folder/bands.csv")));
    EXPECT_EQ(messages.size(), 1);
}

// A model with stream reaches lists them after the summaries, but the run
// opens on all locations, and the tornado gives each bar its first-order
// index once there are samples enough.
TEST_F(UncertaintyDialogTest, ReachesFollowTheSummariesAndTheTornadoHasIndices) {
    const std::string example = vek::test::dataDir() + "/../../examples/river_valley_reaches.vek";
    openForm([&](ModelDocument &m) { ASSERT_TRUE(m.open(example, prompter)); });
    auto d = dialog();
    typeRange(*d, 0, "100", "5000");
    ASSERT_TRUE(d->addRange());
    d->samplesBox()->setValue(static_cast<int>(engine::kFirstOrderMinimumSamples));
    ASSERT_TRUE(d->run()) << messages.join("\n").toStdString();
    const engine::UncertaintyResults &r = *d->results();
    ASSERT_EQ(r.series.size(), r.locations + 3 + 3);
    EXPECT_EQ(d->resultList()->currentText(), "ALL LOCATIONS");
    EXPECT_EQ(d->resultList()->itemText(d->resultList()->count() - 1), "REACH Mesa Draw");
    ASSERT_FALSE(d->tornado()->bars.empty());
    for (const engine::TornadoBar &bar : d->tornado()->bars)
        EXPECT_TRUE(bar.firstOrder >= 0.0 && bar.firstOrder <= 1.0) << bar.location;
}

} // namespace
