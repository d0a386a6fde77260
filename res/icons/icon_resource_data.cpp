// The program's icon resources: the program's icon (the about box's picture and the main
// window's icon), drawn.
#include <QPainter>
#include <array>

#include "ui/common/control_images.h"

namespace ui {

QPixmap KavelinIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x23, 0x28, 0x30));
  p.drawRoundedRect(QRectF(0, 0, s, s), s * 0.2, s * 0.2);
  p.setBrush(QColor(0x2b, 0xa6, 0xde));
  p.drawEllipse(QPointF(s * 0.5, s * 0.5), s * 0.32, s * 0.32);
  p.setBrush(QColor(0x23, 0x28, 0x30));
  p.drawEllipse(QPointF(s * 0.5, s * 0.5), s * 0.18, s * 0.18);
  p.setBrush(QColor(0xe8, 0xee, 0xf4));
  p.drawEllipse(QPointF(s * 0.44, s * 0.44), s * 0.06, s * 0.06);
  return pixmap;
}

std::span<const IconResource> IconResourceEntries() {
  static constexpr std::array<IconResource, 1> kEntries = {{{IDI_PROGRAM, &KavelinIconPixmap}}};
  return kEntries;
}

}  // namespace ui
