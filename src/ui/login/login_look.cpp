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
             "QGroupBox { color: %1; font-size: 11px; font-weight: bold; border: 1px solid %2;"
             " border-radius: 4px; margin-top: 7px; }"
             "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }"
             "QPushButton { color: %1; background: %3; border: 1px solid %2;"
             " border-radius: 4px; font-size: 11px; font-weight: bold; min-width: 64px;"
             " min-height: 22px; }"
             "QPushButton:hover { background: %4; }"
             "QPushButton:pressed { background: %5; }"
             "QPushButton:focus { border: 2px solid %6; }")
      .arg(kLookText.name(), kLookFrame.name(), kLookBody.lighter(106).name(),
           kLookBody.darker(106).name(), kLookBody.darker(115).name(), kLookAccent.name());
}

QString LookEditStyleSheet() {
  return QStringLiteral(
             "QLineEdit { background: %1; color: %2; border: 1px solid %3; border-radius: 4px;"
             " padding: 0 6px; font-size: 14px; selection-background-color: %4;"
             " selection-color: #ffffff; }"
             "QLineEdit:focus { border: 2px solid %4; padding: 0 5px; }")
      .arg(kLookBody.lighter(110).name(), kLookText.name(), kLookFrame.name(), kLookAccent.name());
}

}  // namespace ui::login
