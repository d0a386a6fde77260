// The login window's look for the small windows drawn without skin bitmaps of their own (the
// login settings): one palette, the caption strip and the styles of their standard controls.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>
#include <QString>

#include "bitmapgen/palette.h"

namespace ui::login {

// The skin's colours: the dark title band of every window over the pale paper body the login
// window has, with the paper's ink and the accent as it shows on paper.
inline const QColor kLookBody = skin::palette::kPaper;
inline const QColor kLookCaption = skin::palette::kTitle;
inline const QColor kLookCaptionText = skin::palette::kInk;
inline const QColor kLookFrame = skin::palette::kInkMuted;
inline const QColor kLookText = skin::palette::kPaperInk;
inline const QColor kLookAccent = skin::palette::kAccentDeep;
// The login window's result texts: the accent darkened until it reads on paper as body text.
inline const QColor kLookResultText = skin::palette::kAccentDeep.darker(140);
inline constexpr int kLookCaptionHeight = 22;

// Body, caption strip with the title and a one-pixel frame over rect.
void PaintLookFrame(QPainter& painter, const QRect& rect, const QString& title);

// Style sheets of group boxes and push buttons in this look.
QString LookStyleSheet();
// The style sheet of the login window's edit fields in this look.
QString LookEditStyleSheet();

}  // namespace ui::login
