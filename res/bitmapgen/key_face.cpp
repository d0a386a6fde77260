#include "key_face.h"

#include <QLinearGradient>
#include <algorithm>

#include "palette.h"

namespace skin {
namespace {

namespace pal = palette;

QColor Mix(const QColor& a, const QColor& b, double t) {
  return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - t) + b.redF() * t),
                          static_cast<float>(a.greenF() * (1 - t) + b.greenF() * t),
                          static_cast<float>(a.blueF() * (1 - t) + b.blueF() * t));
}

constexpr double kActiveTint = 0.45;

}  // namespace

qreal KeyRadius(QSizeF size) {
  return std::clamp(std::min(size.width(), size.height()) * 0.2, 2.0, 5.0);
}

QPainterPath KeyFacePath(const QRectF& bounds) {
  const QRectF r = bounds.adjusted(0.5, 0.5, -0.5, -0.5);
  const qreal radius = KeyRadius(bounds.size());
  QPainterPath face;
  face.addRoundedRect(r, radius, radius);
  return face;
}

QColor KeyInk(const KeyLook& look) {
  if (look.state == KeyState::Disabled)
    return pal::kInkMuted;
  if (look.active)
    return look.state == KeyState::Over ? QColor(Qt::white) : pal::kInk.lighter(115);
  switch (look.state) {
    case KeyState::Over:
      return pal::kAccent.lighter(125);
    case KeyState::Down:
      return pal::kAccent;
    default:
      return pal::kInk;
  }
}

QColor DrawKeyFace(QPainter& painter, const QPainterPath& face, const QRectF& bounds,
                   const KeyLook& look) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  QColor top = pal::kKeyTop;
  QColor bottom = pal::kKey;
  QColor outline = look.focus ? pal::kAccent : pal::kEdgeDark;
  switch (look.state) {
    case KeyState::Normal:
      break;
    case KeyState::Over:
      top = top.lighter(116);
      bottom = bottom.lighter(116);
      outline = pal::kAccent;
      break;
    case KeyState::Down:
      top = pal::kKey.darker(135);
      bottom = pal::kKey.darker(115);
      break;
    case KeyState::Disabled:
      top = pal::kGround.lighter(118);
      bottom = pal::kGround.lighter(112);
      outline = pal::kEdgeDark;
      break;
  }
  if (look.active && look.state != KeyState::Disabled) {
    top = Mix(top, pal::kAccent, kActiveTint);
    bottom = Mix(bottom, pal::kAccent, kActiveTint);
  }
  QLinearGradient fill(0, bounds.top(), 0, bounds.bottom());
  fill.setColorAt(0, top);
  fill.setColorAt(1, bottom);
  painter.fillPath(face, fill);
  if (look.state == KeyState::Normal ||
      (look.active && look.state != KeyState::Down && look.state != KeyState::Disabled)) {
    // A thin light line along the top of a raised face.
    painter.setClipPath(face);
    painter.setPen(QPen(QColor(255, 255, 255, 40), 1));
    painter.drawLine(QPointF(bounds.left(), bounds.top() + 1.5),
                     QPointF(bounds.right(), bounds.top() + 1.5));
    painter.setClipping(false);
  }
  painter.setPen(QPen(outline, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(face);
  painter.restore();
  return KeyInk(look);
}

void DrawIndicator(QPainter& painter, const QRect& rect, const IndicatorLook& look) {
  const QColor mark = look.enabled ? pal::kAccent : pal::kInkMuted;
  const QColor rim =
      look.enabled && look.hot ? pal::kAccent : (look.enabled ? pal::kInkMuted : pal::kEdgeLight);
  const QColor fill = look.enabled ? pal::kTitle : pal::kGround;
  // A square box centred in the rectangle, on whole pixels plus a half so the one-pixel rim is
  // sharp.
  const int side = std::min(rect.width(), rect.height()) - 1;
  const QRectF box(rect.x() + (rect.width() - side) / 2 + 0.5,
                   rect.y() + (rect.height() - side) / 2 + 0.5, side - 1.0, side - 1.0);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(rim, 1.0));
  painter.setBrush(fill);
  if (look.radio) {
    painter.drawEllipse(box);
    if (look.on) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(mark);
      const double inset = box.width() * 0.27;
      painter.drawEllipse(box.adjusted(inset, inset, -inset, -inset));
    }
  } else {
    painter.drawRoundedRect(box, 2.0, 2.0);
    if (look.partial) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(mark);
      const double inset = box.width() * 0.25;
      painter.drawRect(box.adjusted(inset, box.height() * 0.42, -inset, -box.height() * 0.42));
    } else if (look.on) {
      QPainterPath tick;
      tick.moveTo(box.left() + box.width() * 0.22, box.top() + box.height() * 0.52);
      tick.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.72);
      tick.lineTo(box.left() + box.width() * 0.78, box.top() + box.height() * 0.28);
      painter.setPen(
          QPen(mark, std::max(1.5, box.width() / 7.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      painter.setBrush(Qt::NoBrush);
      painter.drawPath(tick);
    }
  }
  painter.restore();
}

}  // namespace skin
