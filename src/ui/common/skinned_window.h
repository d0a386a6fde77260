// Helpers of the skinned, borderless windows: a round-rectangle window region, and dragging
// the window by a press of the left button anywhere on its own surface.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRegion>
#include <QWidget>

namespace ui {

// The region of a w x h round rectangle whose corners are quarter ellipses of
// ellipseWidth x ellipseHeight.
QRegion RoundRectRegion(int width, int height, int ellipseWidth, int ellipseHeight);

// Gives window that region (and makes it frameless).
void ApplyRoundRectRegion(QWidget& window, int width, int height, int ellipseWidth,
                          int ellipseHeight);

// Moves a window while the left button, pressed on the window's own surface (not on one of its
// controls), is held. Installed on the window; deleted with it.
class WindowDragger final : public QObject {
  Q_OBJECT

 public:
  explicit WindowDragger(QWidget& window);
  bool IsDragging() const { return m_dragging; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> m_window;
  QPoint m_grabOffset;
  bool m_dragging = false;
};

}  // namespace ui
