// The tables' rectangles (left, top, right, bottom) as the widgets take them.
#pragma once

#include <QRect>

#include "ui/main/skin_tables.h"

namespace mainwin {

inline QRect ToQRect(const TableRect& r) {
  return QRect(r.left, r.top, r.Width(), r.Height());
}

}  // namespace mainwin
