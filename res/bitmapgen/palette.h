// The one palette of every window, by role: one dark ground under everything, one surface tone a
// step lighter (title bands, fields, lists, caption bars), key faces for everything pressed, one
// ink for text and glyphs (muted when refused), one accent for what is under the mouse, focused
// or active. Red is kept for recording and alarms, a lighter red for failure texts. A pale "paper"
// carries the texts the windows draw in black (the status strip, the about box's version plate).
#pragma once

#include <QColor>

namespace skin::palette {

inline const QColor kGround(0x1b, 0x1f, 0x25);          // window body
inline const QColor kTitle(0x25, 0x2a, 0x32);           // the surface: title bands, fields, lists
inline const QColor kTray(0x16, 0x19, 0x1e);            // the open panel's tray
inline const QColor kWell(0x0a, 0x0c, 0x0f);            // where the picture goes
inline const QColor kWellMark(0x16, 0x1a, 0x20);        // the mark in an empty well
inline const QColor kKey(0x30, 0x36, 0x40);             // key faces
inline const QColor kKeyTop(0x3c, 0x43, 0x4f);          // top of a key face
inline const QColor kEdgeDark(0x0c, 0x0e, 0x11);        // outlines, grooves
inline const QColor kEdgeLight(0x3b, 0x43, 0x4e);       // highlights, rims, grid lines
inline const QColor kInk(0xdd, 0xe4, 0xeb);             // glyphs and labels
inline const QColor kInkMuted(0x66, 0x6f, 0x7a);        // refused glyphs
inline const QColor kAccent(0x2b, 0xb3, 0xe3);          // under the mouse, focused, active
inline const QColor kAccentDeep(0x1a, 0x7f, 0xa8);      // selection fills (white text on it)
inline const QColor kRecord(0xe5, 0x48, 0x4d);          // record dot, alarm
inline const QColor kAlert(0xff, 0x7a, 0x7e);           // failure texts on the ground
inline const QColor kPaper(0xd9, 0xdf, 0xe5);           // the strips with black text
inline const QColor kPaperInk(0x25, 0x2a, 0x32);        // glyphs on paper
inline const QColor kLoginAnimation(0x9d, 0xd8, 0xf4);  // the login window's running strip

}  // namespace skin::palette
