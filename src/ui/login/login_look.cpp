#include "ui/login/login_look.h"

#include <QPainterPath>
#include <algorithm>

namespace ui::login {

void PaintLookFrame(QPainter& painter, const QRect& rect, const QString& title) {
  painter.fillRect(rect, kLookBody);
  const QRect caption(rect.left(), rect.top(), rect.width(), kLookCaptionHeight);
  painter.fillRect(caption, kLookCaption);
  painter.setPen(kLookAccent);
  painter.drawLine(caption.left(), caption.bottom(), caption.right(), caption.bottom());
  QFont font = painter.font();
  font.setPixelSize(12);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(kLookCaptionText);
  painter.drawText(caption.adjusted(10, 0, -10, -1), Qt::AlignVCenter | Qt::AlignLeft, title);
  painter.setPen(kLookFrame);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

QString LookGroupStyleSheet() {
  return QStringLiteral(
             "QGroupBox { color: %1; border: 1px solid %2; border-radius: 4px; margin-top: 7px; }"
             "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }")
      .arg(kLookText.name(), kLookFrame.name());
}

QString LookEditStyleSheet() {
  return QStringLiteral(
             "QLineEdit { background: %1; color: %2; border: 1px solid %3; border-radius: 4px;"
             " padding: 0 6px; font-size: 14px; selection-background-color: %4;"
             " selection-color: #ffffff; }"
             "QLineEdit:focus { border: 2px solid %5; padding: 0 5px; }")
      .arg(kLookField.name(), kLookText.name(), kLookFrame.name(),
           skin::palette::kAccentDeep.name(), kLookAccent.name());
}

void PaintFailureMark(QPainter& painter, const QRectF& box) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  const qreal side = std::min(box.width(), box.height());
  const QRectF r(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
  QPainterPath triangle;
  triangle.moveTo(r.center().x(), r.top() + side * 0.06);
  triangle.lineTo(r.right() - side * 0.02, r.bottom() - side * 0.08);
  triangle.lineTo(r.left() + side * 0.02, r.bottom() - side * 0.08);
  triangle.closeSubpath();
  painter.setPen(QPen(kLookFailureText, side * 0.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(kLookFailureText);
  painter.drawPath(triangle);
  // The exclamation mark cut out in the ground.
  painter.setPen(QPen(kLookBody, side * 0.12, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(r.center().x(), r.top() + side * 0.36),
                   QPointF(r.center().x(), r.top() + side * 0.62));
  painter.drawPoint(QPointF(r.center().x(), r.top() + side * 0.77));
  painter.restore();
}

}  // namespace ui::login
