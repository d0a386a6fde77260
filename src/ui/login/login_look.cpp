#include "ui/login/login_look.h"

namespace ui::login {

void PaintLookFrame(QPainter& painter, const QRect& rect, const QString& title) {
  painter.fillRect(rect, kLookBody);
  const QRect caption(rect.left(), rect.top(), rect.width(), kLookCaptionHeight);
  painter.fillRect(caption, kLookCaption);
  QFont font = painter.font();
  font.setPixelSize(12);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(kLookCaptionText);
  painter.drawText(caption.adjusted(10, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft, title);
  painter.setPen(kLookFrame);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

QString LookStyleSheet() {
  return QStringLiteral(
      "QGroupBox { color: #12324f; font-size: 11px; font-weight: bold; border: 1px solid #6f93b8;"
      " border-radius: 4px; margin-top: 7px; }"
      "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }"
      "QPushButton { color: #12324f; background: #f7fbff; border: 1px solid #6f93b8;"
      " border-radius: 4px; font-size: 11px; font-weight: bold; min-width: 64px; min-height: 22px; "
      "}"
      "QPushButton:hover { background: #d6e6f7; }"
      "QPushButton:pressed { background: #b9d1ec; }"
      "QPushButton:focus { border: 2px solid #2f6db5; }");
}

}  // namespace ui::login
