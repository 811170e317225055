// The map and the Stream Reaches dialog: points where the locations stand,
// a click on one selects it in the form, its shares drawn to its reaches, a
// scale bar of a whole number of units, pictures exported; every change of
// the reaches or the apportionment one undo step that resolves the shares
// again (undo brings the old shares back); the method dialog's factor from
// the map and where it comes from.
#include "editor/map_view.h"
#include "editor/map_window.h"
#include "editor/reach_edits.h"
#include "editor/reaches_dialog.h"
#include "editor/response_method_dialog.h"
#include "editor_test_support.h"
#include "support/test_files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsItem>
#include <QGraphicsLineItem>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QUndoStack>

#include <cmath>

#include <gtest/gtest.h>

using namespace vek;

namespace {

// Two parallel reaches 100 and 300 from the first well, the second well on
// the map too; S and T for a factor from the map.
void mapped(ModelDocument &doc) {
    test::fillSmallModel(doc);
    ModelInput &m = doc.model;
    m.network.reaches = {{"Big River", {{{0, 100}, {1000, 100}}}}, {"Creek", {{{0, -300}, {1000, -300}}}}};
    m.network.rule = {Apportionment::Inverse, 2, 0.0, 0.0, 0.0};
    m.locations[0].onMap.position = MapPoint{500, 0};
    m.locations[0].onMap.storativity = 0.2;
    m.locations[0].onMap.transmissivity = 2000;
    m.locations[1].onMap.position = MapPoint{200, -250};
}

class MapTest : public test::FormFixture {
  protected:
    void SetUp() override {
        test::testApp();
        openForm(mapped, 1000);
        doc->resolveReachShares();
        doc->resetHistory();
    }
    const std::vector<ReachShare> &shares(int i) { return m().locations[static_cast<std::size_t>(i)].onMap.shares; }
};

TEST_F(MapTest, ClickSelectsAndDrawsTheShares) {
    view->OnMap();
    MapWindow *map = doc->mapWindow();
    ASSERT_NE(map, nullptr);
    map->resize(800, 600);
    map->view()->fitAll();
    const QPoint at = map->view()->mapFromScene(map->view()->pointOf(1));
    QTest::mouseClick(map->view()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(view->selectedLocation(), 1);
    EXPECT_EQ(map->view()->selected(), 1);
    EXPECT_TRUE(map->statusLine()->text().startsWith("South: Big River 0."));
    int lines = 0;
    for (QGraphicsItem *item : map->view()->scene()->items())
        lines += dynamic_cast<QGraphicsLineItem *>(item) ? 1 : 0;
    EXPECT_EQ(lines, 2); // one to each reach it shares

    // Coloured by the factor, then by the share of the second reach.
    EXPECT_EQ(map->view()->values()[0], 250.0);
    map->reachList()->setCurrentIndex(1);
    map->colourList()->setCurrentIndex(2);
    EXPECT_NEAR(map->view()->values()[0], 0.1, 1e-12); // 1/300^2 : 1/100^2
    // Average depletion comes from a run in this process.
    map->colourList()->setCurrentIndex(0);
    EXPECT_LT(map->view()->values()[0], 0.0 + 1e9);
    EXPECT_GT(map->view()->values()[0], 0.0);
}

TEST_F(MapTest, ScaleBarAndPictures) {
    MapView v;
    v.resize(600, 400);
    v.show();
    v.showModel(m());
    v.fitAll();
    const double len = v.scaleBarLength();
    const double mantissa = len / std::pow(10.0, std::floor(std::log10(len)));
    EXPECT_TRUE(mantissa == 1.0 || mantissa == 2.0 || mantissa == 5.0) << len;
    EXPECT_LE(len * v.transform().m11(), 150.0 + 1e-9);
    EXPECT_TRUE(v.scaleBarLabel().endsWith(" ft")) << v.scaleBarLabel().toStdString();
    const std::string dir = test::freshDir("editor_map_pictures");
    const struct {
        const char *name, *start;
    } files[] = {{"map.png", "\x89PNG"}, {"map.pdf", "%PDF"}, {"map.svg", "<?xml"}};
    for (const auto &f : files) {
        QString error;
        ASSERT_TRUE(v.exportTo(QString::fromStdString(dir + "/" + f.name), &error)) << error.toStdString();
        EXPECT_EQ(test::readFile(dir + "/" + f.name).rfind(f.start, 0), 0u) << f.name;
    }
    QString error;
    EXPECT_FALSE(v.exportTo(QString::fromStdString(dir + "/no/such/folder/map.png"), &error));
    EXPECT_TRUE(error.contains("does not exist")) << error.toStdString();
}

// Each change a step; the shares follow; undo restores them.
TEST_F(MapTest, ReachesDialogChangesAreStepsThatResolve) {
    ReachesDialog dlg(doc.get());
    ASSERT_NEAR(shares(0)[0].fraction, 0.9, 1e-12);
    dlg.modelRule()->methodList()->setCurrentIndex(0); // nearest
    dlg.applyRuleButton()->click();
    ASSERT_EQ(shares(0).size(), 1u);
    EXPECT_EQ(shares(0)[0].fraction, 1.0);
    EXPECT_EQ(doc->undoStack()->undoText(), "Change Apportionment");
    doc->undo();
    EXPECT_NEAR(shares(0)[0].fraction, 0.9, 1e-12);

    dlg.addReach("Ditch");
    EXPECT_EQ(m().network.reaches.size(), 3u);
    dlg.addReach("Ditch");
    EXPECT_EQ(dlg.problemLabel()->text(), "There is already a reach \"Ditch\".");
    doc->undo();
    EXPECT_EQ(m().network.reaches.size(), 2u);

    dlg.setLocationRule(1, ApportionRule{Apportionment::Shares, 2, 0, 0, 0},
                        {{1, 0.25, -1, false, 0}, {0, 0.75, -1, false, 0}});
    ASSERT_EQ(shares(1).size(), 2u);
    EXPECT_EQ(shares(1)[0].reach, 1);
    EXPECT_EQ(shares(1)[0].fraction, 0.25);
    EXPECT_TRUE(dlg.locationTable()->item(1, 1)->text().startsWith("Typed shares"));

    // By reach distance: every share gets its reach's factor.
    dlg.byDistanceButton()->setChecked(true);
    EXPECT_EQ(shares(0)[0].factor, static_cast<float>(100.0 * 100.0 * 0.2 / 2000));
    // The second well has no S and T: the dialog says why it has no shares.
    EXPECT_TRUE(shares(1).empty());
    EXPECT_TRUE(dlg.locationTable()->item(1, 2)->text().contains("no S and T"))
        << dlg.locationTable()->item(1, 2)->text().toStdString();
    doc->undo();
    EXPECT_EQ(shares(1).size(), 2u);
    EXPECT_TRUE(dlg.locationTable()->item(1, 2)->text().startsWith("Creek 0.25")) // not the undone trouble
        << dlg.locationTable()->item(1, 2)->text().toStdString();
}

TEST_F(MapTest, MethodDialogTakesTheFactorFromTheMap) {
    ResponseMethodDialog dlg(doc.get(), 0);
    ASSERT_NE(dlg.fromMapBox(), nullptr);
    EXPECT_EQ(dlg.mapNote()->text(), "100 ft to Big River, S 0.2, T 2000 ft\u00b2/day gives 1 days.");
    dlg.fromMapBox()->setChecked(true);
    EXPECT_TRUE(dlg.factorEdit()->isReadOnly());
    dlg.okButton()->click();
    EXPECT_TRUE(m().locations[0].onMap.factorFromMap);
    EXPECT_EQ(m().locations[0].VEK, 1.0f);
    EXPECT_EQ(doc->undoStack()->count(), 1);
    // A location off the map has no such box.
    m().locations[1].onMap = {};
    ResponseMethodDialog off(doc.get(), 1);
    EXPECT_EQ(off.fromMapBox(), nullptr);
}

} // namespace
