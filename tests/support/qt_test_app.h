// Shared set-up of the widget tests: the one QApplication of a test program
// (gtest_main owns main(), so it is made on first use, on the offscreen
// platform unless told otherwise) and a button click as the user makes it.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QSettings>

#include <gtest/gtest.h>

#include <string>

namespace vek::test {

// name is the program name the application is made with. With ownSettings,
// QSettings go to an INI file named after it under "VEKViewShellTest", so the
// tests never touch the user's own settings.
inline QApplication *qtTestApp(const char *name, bool ownSettings = false) {
    static std::string arg0 = name;
    static int argc = 1;
    static char *argv[] = {arg0.data(), nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qApp) {
        new QApplication(argc, argv);
        if (ownSettings) {
            QCoreApplication::setOrganizationName("VEKViewShellTest");
            QCoreApplication::setApplicationName(name);
            QSettings::setDefaultFormat(QSettings::IniFormat);
        }
    }
    return qobject_cast<QApplication *>(qApp);
}

// Clicks as the user does, whatever part of the button the centre hits.
inline void clickOn(QWidget *w) {
    auto *b = qobject_cast<QAbstractButton *>(w);
    ASSERT_NE(b, nullptr);
    b->click();
}

} // namespace vek::test
