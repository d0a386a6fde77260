// The login window's look for the small windows drawn without skin bitmaps of their own (the
// login settings), and for what the login window draws itself: the palette of the main window,
// the caption strip and the style of the edit fields.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>
#include <QString>

#include "bitmapgen/palette.h"

namespace ui::login {

// The skin's colours: the dark title band of every window over the dark ground, the ink and the
// accent of the main window.
inline const QColor kLookBody = skin::palette::kGround;
inline const QColor kLookField = skin::palette::kTitle;
inline const QColor kLookCaption = skin::palette::kTitle;
inline const QColor kLookCaptionText = skin::palette::kInk;
inline const QColor kLookFrame = skin::palette::kEdgeLight;
inline const QColor kLookText = skin::palette::kInk;
inline const QColor kLookAccent = skin::palette::kAccent;
// The login window's result texts: a failure in the alert red (with its mark), the one success
// text in the accent.
inline const QColor kLookFailureText = skin::palette::kAlert;
inline const QColor kLookSuccessText = skin::palette::kAccent;
inline constexpr int kLookCaptionHeight = 22;

// Body, caption strip with the title over the accent line and a one-pixel rim over rect.
void PaintLookFrame(QPainter& painter, const QRect& rect, const QString& title);

// The style sheet of a group box whose title sits in its frame's top line, so that the radio
// buttons placed by table inside a low box stay clear of the frame.
QString LookGroupStyleSheet();
// The style sheet of the login window's edit fields in this look.
QString LookEditStyleSheet();

// The mark before a failure text: a warning triangle in the alert colour, in box.
void PaintFailureMark(QPainter& painter, const QRectF& box);

}  // namespace ui::login
