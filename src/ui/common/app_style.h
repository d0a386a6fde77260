// The program's one look for the windows Qt draws itself: message boxes, file and folder
// choosers, the about box, the configuration sheet and the tool dialogs. They take the skin's
// colours (dark ground, light ink, the accent for selection and focus) and its kit (the panel
// keys' face on every button, the skin's radio and check marks, no stock icons on buttons) so
// they read as part of the skinned windows instead of the platform's default.
#pragma once

#include <QColor>
#include <QPalette>

class QApplication;

namespace ui {

// The palette built from the skin's colours.
QPalette AppPalette();

// Sets the skin's style (Fusion in the skin's kit) and AppPalette() on the application, and has
// Qt's own dialogs open centred on the window that opened them. Call once, after the
// QApplication exists and before the first window opens.
void InstallAppStyle(QApplication& application);

// The standard (WCAG) relative luminance of a colour (0 black .. 1 white) and the contrast ratio of
// two colours (1 .. 21); readable body text needs 4.5 or more.
double RelativeLuminance(const QColor& colour);
double ContrastRatio(const QColor& a, const QColor& b);

}  // namespace ui
