// The face of every key: the panel keys and bar buttons the skin generator draws, and every dialog
// button, combo box and tool button the application style draws. A rounded face lit from the top
// on an outline; under the mouse a shade lighter with the accent outline, pressed a shade deeper,
// refused sunk into the ground; an active (latched) key is tinted with the accent; keyboard focus
// puts the accent outline on the face. The face tells its glyph or text which ink to take.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace skin {

enum class KeyState { Normal, Over, Down, Disabled };

struct KeyLook {
  KeyState state = KeyState::Normal;
  bool active = false;  // latched on
  bool focus = false;   // has the keyboard focus
};

// The corner radius of a key face of that size.
qreal KeyRadius(QSizeF size);
// The rounded face of a key filling bounds (its outline on the half pixels inside them).
QPainterPath KeyFacePath(const QRectF& bounds);

// Paints the face (the path, within bounds) in its look and returns the ink of its glyph or text.
QColor DrawKeyFace(QPainter& painter, const QPainterPath& face, const QRectF& bounds,
                   const KeyLook& look);
// The ink a face of that look gives its glyph or text.
QColor KeyInk(const KeyLook& look);

// The marks of radio buttons and check boxes, the same wherever they are drawn: a ring or a
// rounded box on the field tone, the choice marked in the accent.
struct IndicatorLook {
  bool radio = true;
  bool on = false;
  bool partial = false;  // a check box neither on nor off
  bool enabled = true;
  bool hot = false;  // under the mouse or focused
};
void DrawIndicator(QPainter& painter, const QRect& rect, const IndicatorLook& look);

}  // namespace skin
