#include "ui/common/skinned_window.h"

#include <QMouseEvent>
#include <QPainterPath>

namespace ui {

QRegion RoundRectRegion(int width, int height, int ellipseWidth, int ellipseHeight) {
  if (width <= 0 || height <= 0)
    return {};
  QPainterPath path;
  path.addRoundedRect(QRectF(0, 0, width, height), ellipseWidth / 2.0, ellipseHeight / 2.0);
  return QRegion(path.toFillPolygon().toPolygon());
}

void ApplyRoundRectRegion(QWidget& window, int width, int height, int ellipseWidth,
                          int ellipseHeight) {
  window.setWindowFlag(Qt::FramelessWindowHint, true);
  window.setMask(RoundRectRegion(width, height, ellipseWidth, ellipseHeight));
}

WindowDragger::WindowDragger(QWidget& window) : QObject(&window), m_window(&window) {
  window.installEventFilter(this);
}

bool WindowDragger::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_window)
    return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton)
        break;
      m_dragging = true;
      m_grabOffset = mouse->globalPosition().toPoint() - m_window->pos();
      break;
    }
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (m_dragging && (mouse->buttons() & Qt::LeftButton)) {
        m_window->move(mouse->globalPosition().toPoint() - m_grabOffset);
      }
      break;
    }
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        m_dragging = false;
      break;
    default:
      break;
  }
  return false;
}

}  // namespace ui
