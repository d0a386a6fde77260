// The gallery's sections: each renders one group of windows offscreen into PNG files in the
// output folder. A section reports a picture it could not make through Fail().
#pragma once

#include <QImage>
#include <QString>

namespace gallery {

// Writes the image as <output folder>/<name>.png; a null image or a failed write is a failure.
void Save(const QImage& image, const QString& name);
// Counts a failure; the gallery then exits with 1.
void Fail();

void RenderFoundation();  // buttons, clock, tree sheet, panels, skin pieces
void RenderMainWindow();  // the main window and its dialogs
void RenderLogin();       // the login window and its tools
void RenderConfig();      // the configuration sheet and its pages

}  // namespace gallery
