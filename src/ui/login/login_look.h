// The login window's look for the small windows drawn without skin bitmaps of their own (the
// login settings): one palette, the caption strip and the styles of their standard controls.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>
#include <QString>

namespace ui::login {

inline constexpr QColor kLookBody(0xE4, 0xEE, 0xF8);
inline constexpr QColor kLookCaption(0x2C, 0x4F, 0x7C);
inline constexpr QColor kLookCaptionText(0xFF, 0xFF, 0xFF);
inline constexpr QColor kLookFrame(0x6F, 0x93, 0xB8);
inline constexpr QColor kLookText(0x12, 0x32, 0x4F);
inline constexpr int kLookCaptionHeight = 22;

// Body, caption strip with the title and a one-pixel frame over rect.
void PaintLookFrame(QPainter& painter, const QRect& rect, const QString& title);

// Style sheets of group boxes and push buttons in this look.
QString LookStyleSheet();

}  // namespace ui::login
