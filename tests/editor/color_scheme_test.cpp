// View > Colors in the real main window: Light and Dark hold whatever the
// desktop uses, System gives the colours back to the platform, and the
// choice is the next start's.
#include "editor/color_scheme.h"
#include "editor/main_frame.h"
#include "editor/vekview_view.h"
#include "grid/spreadsheet_view.h"
#include "shell_test_support.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

QString stored() { return QSettings().value("VEKView/Color Scheme").toString(); }

QColor windowColor() { return QApplication::palette().color(QPalette::Window); }

} // namespace

TEST_F(ShellTest, ColorsFromTheViewMenuHoldAndAreRemembered) {
    applyColorScheme(ColorScheme::System);
    const QColor platform = windowColor();
    ASSERT_FALSE(isDark(QApplication::palette())) << "the offscreen platform's palette is light";

    // Dark kept from an earlier run: the program starts dark.
    QSettings().setValue("VEKView/Color Scheme", "Dark");
    ASSERT_TRUE(shell->startUp({}, false));
    CMainFrame *f = shell->mainFrame();
    EXPECT_TRUE(isDark(QApplication::palette()));
    QAction *system = f->action(CMainFrame::ID_VIEW_COLORS_SYSTEM);
    QAction *light = f->action(CMainFrame::ID_VIEW_COLORS_LIGHT);
    QAction *dark = f->action(CMainFrame::ID_VIEW_COLORS_DARK);
    ASSERT_TRUE(system && light && dark);
    EXPECT_TRUE(dark->isChecked());
    EXPECT_FALSE(light->isChecked() || system->isChecked());
    // The three are in View > Colors.
    QMenu *colors =
        system->associatedObjects().isEmpty() ? nullptr : qobject_cast<QMenu *>(system->associatedObjects()[0]);
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(colors->title(), "&Colors");

    // A form open while the colours change follows them.
    shell->onFileNew();
    auto *form = qobject_cast<CVEKViewView *>(f->activeChild()->view());
    ASSERT_NE(form, nullptr);
    QWidget *table = form->historicalTable()->viewport();
    EXPECT_TRUE(isDark(table->palette()));

    light->trigger();
    EXPECT_TRUE(light->isChecked());
    EXPECT_FALSE(dark->isChecked());
    EXPECT_FALSE(isDark(QApplication::palette()));
    EXPECT_FALSE(isDark(table->palette()));
    EXPECT_EQ(table->palette().color(QPalette::Base), lightPalette().color(QPalette::Base));
    EXPECT_EQ(stored(), "Light");

    dark->trigger();
    EXPECT_TRUE(isDark(table->palette()));
    EXPECT_EQ(stored(), "Dark");

    // System: the platform's colours again.
    system->trigger();
    EXPECT_EQ(windowColor(), platform);
    EXPECT_EQ(stored(), "System");
    shell->closeAllDocuments();
}

TEST(ColorSchemeNames, ReadBackAndUnknownIsSystem) {
    for (auto s : {ColorScheme::System, ColorScheme::Light, ColorScheme::Dark})
        EXPECT_EQ(colorSchemeNamed(colorSchemeName(s)), s);
    EXPECT_EQ(colorSchemeNamed("dark"), ColorScheme::System);
    EXPECT_EQ(colorSchemeNamed(""), ColorScheme::System);
    EXPECT_TRUE(isDark(darkPalette()));
    EXPECT_FALSE(isDark(lightPalette()));
}
