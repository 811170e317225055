// The colours the desktop program is drawn in: the desktop's own (System),
// or light or dark whatever the desktop uses. View > Colors chooses, and
// the choice is kept in the settings (section "VEKView", key "Color Scheme":
// "System", "Light" or "Dark").
#pragma once

#include <QPalette>
#include <QString>

namespace vek {

enum class ColorScheme { System, Light, Dark };

// The settings' word for a scheme, and back (anything else is System).
QString colorSchemeName(ColorScheme scheme);
ColorScheme colorSchemeNamed(const QString &name);

// The scheme kept in the settings, and keeping one there.
ColorScheme storedColorScheme();
void storeColorScheme(ColorScheme scheme);

// The application's palette for the scheme. System leaves the palette to
// the platform, so that a change of the desktop's colours reaches every
// window while the program runs.
void applyColorScheme(ColorScheme scheme);

// The palettes of the Light and Dark schemes.
QPalette lightPalette();
QPalette darkPalette();

// Whether a palette draws light text on a dark ground.
bool isDark(const QPalette &palette);

} // namespace vek
