#include "ui/common/window_placement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QWidget>
#include <algorithm>

#include "ui/common/services.h"
#include "ui/common/ui_dialog.h"

namespace ui {
namespace {

bool Usable(const QWidget* window, const QWidget& dialog) {
  return window != nullptr && window != &dialog && window->isVisible() && !window->isMinimized();
}

}  // namespace

QWidget* OpenerOf(const QWidget& dialog) {
  if (QWidget* parent = dialog.parentWidget(); parent != nullptr) {
    if (QWidget* window = parent->window(); Usable(window, dialog))
      return window;
  }
  if (QWidget* modal = QApplication::activeModalWidget(); Usable(modal, dialog))
    return modal;
  if (QWidget* active = QApplication::activeWindow(); Usable(active, dialog))
    return active;
  return nullptr;
}

QPoint CentredPlace(QSize size, const QRect& opener, const QRect& workArea) {
  const QRect around = opener.isNull() ? workArea : opener;
  QPoint at(around.x() + (around.width() - size.width()) / 2,
            around.y() + (around.height() - size.height()) / 2);
  if (!workArea.isEmpty()) {
    // Inside the work area; a window larger than it keeps its top-left corner on the area.
    at.setX(std::max(workArea.left(), std::min(at.x(), workArea.right() + 1 - size.width())));
    at.setY(std::max(workArea.top(), std::min(at.y(), workArea.bottom() + 1 - size.height())));
  }
  return at;
}

void PlaceOnOpener(QWidget& window) {
  const QWidget* opener = OpenerOf(window);
  window.move(CentredPlace(window.frameGeometry().size(),
                           opener != nullptr ? opener->frameGeometry() : QRect(),
                           WorkArea().Rect()));
}

bool DialogPlacer::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Show || event->spontaneous() || !watched->isWidgetType())
    return QObject::eventFilter(watched, event);
  auto* dialog = qobject_cast<QDialog*>(watched);
  if (dialog == nullptr || !dialog->isWindow() || qobject_cast<UiDialog*>(dialog) != nullptr ||
      dialog->testAttribute(Qt::WA_Moved)) {
    return QObject::eventFilter(watched, event);
  }
  // The dialog's own handling of its showing first (a message box takes its final size there),
  // then its place; the window is mapped only after this.
  static_cast<QObject*>(dialog)->event(event);
  if (!dialog->testAttribute(Qt::WA_Moved)) {
    PlaceOnOpener(*dialog);
    dialog->setAttribute(Qt::WA_Moved, false);
  }
  return true;
}

}  // namespace ui
