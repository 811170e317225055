// What a user would see of the form's layout: no two controls overlap, at
// the smallest and at a large window size. (Pictures of the form and the
// dialogs come from the screenshot tool: tools/screenshots.sh.)
#include "editor/vekview_view.h"
#include "editor_test_support.h"

#include <QGroupBox>

#include <gtest/gtest.h>

#include <memory>

using namespace vek;

namespace {

class FormLayout : public ::testing::Test {
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

TEST_F(FormLayout, FormControlsNeverOverlap) {
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
