// Renders the form (with a loaded model, at its default size and enlarged)
// and every dialog into PNG files under <build>/screenshots, for a look at
// the layout, and checks that no two controls of the form overlap.
#include "editor/choice_dialogs.h"
#include "editor/pumping_record_dialog.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "support/test_files.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>

#include <gtest/gtest.h>

#include <memory>

using namespace vek;

namespace {

QString shotDir() {
    QString dir = QString::fromStdString(vek::test::binDir()) + QStringLiteral("/../screenshots");
    QDir().mkpath(dir);
    return QDir(dir).absolutePath();
}

void save(QWidget *w, const char *name) {
    w->show();
    QApplication::processEvents();
    EXPECT_TRUE(w->grab().save(shotDir() + "/" + name + ".png")) << name;
}

class Screens : public ::testing::Test {
  protected:
    void SetUp() override {
        vek::test::testApp();
        doc = std::make_unique<CVEKViewDoc>(&prompter);
        vek::test::fillSmallModel(doc->document());
        doc->model().locations[1].LocationType = 1;
    }
    vek::test::ScriptedPrompter prompter;
    std::unique_ptr<CVEKViewDoc> doc;
};

} // namespace

TEST_F(Screens, FormControlsNeverOverlap) {
    CVEKViewView view(doc.get());
    for (QSize size : {QSize(100, 100), QSize(1400, 1000)}) {
        view.resize(size);
        view.show();
        QApplication::processEvents();
        std::vector<QWidget *> controls;
        for (QWidget *w : view.widget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (!qobject_cast<QGroupBox *>(w)) controls.push_back(w);
        for (size_t i = 0; i < controls.size(); ++i)
            for (size_t j = i + 1; j < controls.size(); ++j)
                EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                    << controls[i]->objectName().toStdString() << " / " << controls[j]->objectName().toStdString()
                    << " at " << size.width();
    }
}

TEST_F(Screens, RenderFormAndDialogs) {
    // The bundled example when it is there, else the small model.
    const QString example = QString::fromStdString(vek::test::dataDir()) + "/../../examples/river_valley.vek";
    CVEKViewDoc exampleDoc(&prompter);
    const bool haveExample = QFileInfo::exists(example) && exampleDoc.open(QFileInfo(example).absoluteFilePath());
    CVEKViewView view(haveExample ? &exampleDoc : doc.get());
    view.resize(view.widget()->minimumSize());
    save(&view, "form_default");
    view.resize(view.widget()->minimumSize() + QSize(300, 240));
    save(&view, "form_enlarged");

    PumpingRecordDialog pumping(doc.get(), 0);
    save(&pumping, "pumping_record");
    pumping.resize(pumping.size() + QSize(200, 120));
    save(&pumping, "pumping_record_enlarged");

    SynthesisMethodDialog method;
    save(&method, "method");
    AverageYearsDialog average(1990, 2000);
    save(&average, "average_years");
    GivenYearDialog given(1990, 2000);
    save(&given, "given_year");
    CycleDialog cycle(1990, 2000);
    save(&cycle, "cycle");
    DeleteItemsDialog del({"North", "South", "East"});
    save(&del, "delete");
    ImportOptionsDialog options;
    save(&options, "import_options");
    SoilMoistureDialog soil;
    save(&soil, "soil_moisture");
    doc->showProperties(&view);
    save(doc->propertiesDialog(), "properties");
}
