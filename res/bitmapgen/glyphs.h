// The skin's glyphs, drawn with anti-aliased paths: media keys, arrows, zoom and focus, lock,
// power, camera, speaker, the bar's and the login window's tools, the status icons. Each is
// drawn into a square box in one colour (a few, like the record dot, bring their own).
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <string_view>

namespace skin {

// Draws the named glyph into box; false when there is no glyph of that name.
bool DrawGlyph(QPainter& painter, std::string_view name, const QRectF& box, const QColor& ink);

// Draws text centred in box in a condensed bold face, at the largest size (up to maxPixels)
// at which the whole text fits.
void DrawFittedText(QPainter& painter, const QString& text, const QRectF& box, const QColor& ink,
                    int maxPixels);

// The largest size (up to maxPixels) at which DrawFittedText fits the whole text into box.
int FittedPixels(const QString& text, const QRectF& box, int maxPixels);

// The program's mark: a lens of concentric rings, with a glint unless it is a quiet mark.
void DrawLensMark(QPainter& painter, const QRectF& box, const QColor& ring, const QColor& centre,
                  bool glint = true);

}  // namespace skin
