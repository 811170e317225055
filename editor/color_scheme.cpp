// Light, dark and the desktop's colours (see color_scheme.h).
#include "editor/color_scheme.h"

#include <QApplication>
#include <QSettings>
#include <QWidget>

namespace vek {

namespace {

const char *const kSchemeKey = "VEKView/Color Scheme";

// The colours of one group, from a ground, a raised surface and the ink.
void setGroup(QPalette &p, QPalette::ColorGroup g, const QColor &window, const QColor &base, const QColor &text,
              const QColor &highlight) {
    p.setColor(g, QPalette::Window, window);
    p.setColor(g, QPalette::WindowText, text);
    p.setColor(g, QPalette::Base, base);
    p.setColor(g, QPalette::AlternateBase, window);
    p.setColor(g, QPalette::ToolTipBase, window);
    p.setColor(g, QPalette::ToolTipText, text);
    p.setColor(g, QPalette::PlaceholderText, text);
    p.setColor(g, QPalette::Text, text);
    p.setColor(g, QPalette::Button, window);
    p.setColor(g, QPalette::ButtonText, text);
    p.setColor(g, QPalette::BrightText, QColor(0xff, 0x55, 0x55));
    p.setColor(g, QPalette::Highlight, highlight);
    p.setColor(g, QPalette::HighlightedText, QColor(Qt::white));
    // The shades a style draws frames and bevels with, between ground and ink.
    const bool dark = window.lightness() < 128;
    p.setColor(g, QPalette::Light, dark ? window.lighter(150) : QColor(Qt::white));
    p.setColor(g, QPalette::Midlight, dark ? window.lighter(125) : window.lighter(110));
    p.setColor(g, QPalette::Mid, dark ? window.lighter(180) : window.darker(130));
    p.setColor(g, QPalette::Dark, dark ? window.darker(150) : window.darker(200));
    p.setColor(g, QPalette::Shadow, QColor(Qt::black));
    p.setColor(g, QPalette::Link, dark ? QColor(0x5a, 0xa9, 0xf0) : QColor(0x1a, 0x5f, 0xb4));
    p.setColor(g, QPalette::LinkVisited, dark ? QColor(0xb0, 0x8c, 0xe8) : QColor(0x6a, 0x3d, 0x9a));
}

QPalette makePalette(const QColor &window, const QColor &base, const QColor &text, const QColor &disabledText,
                     const QColor &highlight) {
    QPalette p;
    for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        setGroup(p, g, window, base, g == QPalette::Disabled ? disabledText : text, highlight);
    p.setColor(QPalette::Disabled, QPalette::Highlight, window.lightness() < 128 ? window.lighter(160) : Qt::gray);
    return p;
}

} // namespace

QString colorSchemeName(ColorScheme scheme) {
    switch (scheme) {
    case ColorScheme::Light:
        return QStringLiteral("Light");
    case ColorScheme::Dark:
        return QStringLiteral("Dark");
    case ColorScheme::System:
        break;
    }
    return QStringLiteral("System");
}

ColorScheme colorSchemeNamed(const QString &name) {
    if (name == QLatin1String("Light")) return ColorScheme::Light;
    if (name == QLatin1String("Dark")) return ColorScheme::Dark;
    return ColorScheme::System;
}

ColorScheme storedColorScheme() { return colorSchemeNamed(QSettings().value(kSchemeKey).toString()); }

void storeColorScheme(ColorScheme scheme) { QSettings().setValue(kSchemeKey, colorSchemeName(scheme)); }

QPalette lightPalette() {
    return makePalette(QColor(0xef, 0xef, 0xef), QColor(Qt::white), QColor(Qt::black), QColor(0x80, 0x80, 0x80),
                       QColor(0x30, 0x8c, 0xc6));
}

QPalette darkPalette() {
    return makePalette(QColor(0x35, 0x35, 0x35), QColor(0x25, 0x25, 0x25), QColor(0xee, 0xee, 0xee),
                       QColor(0x80, 0x80, 0x80), QColor(0x2a, 0x82, 0xda));
}

bool isDark(const QPalette &palette) {
    return palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
}

void applyColorScheme(ColorScheme scheme) {
    switch (scheme) {
    case ColorScheme::Light:
        QApplication::setPalette(lightPalette());
        break;
    case ColorScheme::Dark:
        QApplication::setPalette(darkPalette());
        break;
    case ColorScheme::System:
        // A palette with no colour of its own: the platform's, and the
        // platform's again whenever the desktop changes it.
        QApplication::setPalette(QPalette());
        break;
    }
    // A style sheet keeps the colours it was polished with: set again, it
    // takes the new ones.
    for (QWidget *w : QApplication::allWidgets())
        if (!w->styleSheet().isEmpty()) w->setStyleSheet(w->styleSheet());
}

} // namespace vek
