// Where a window opens: centred on the window that opened it, or on the desktop's work area when
// nothing opened it, always inside the work area. Qt leaves this to the window manager on X11,
// so without one every window would open in the top-left corner, on top of the others.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// The shown window a dialog opened from: its parent's window, else the topmost modal window, else
// the active window; never the dialog itself. Null when there is none.
QWidget* OpenerOf(const QWidget& dialog);

// The top-left corner of a window of that size centred on opener (a null rectangle: on the work
// area), moved into the work area where it would leave it.
QPoint CentredPlace(QSize size, const QRect& opener, const QRect& workArea);

// Moves window to its centred place over its opener (see above).
void PlaceOnOpener(QWidget& window);

// Places every dialog of Qt's own (message boxes, file choosers) as it is first shown, unless
// its code gave it a position. Installed on the application by InstallAppStyle; the program's own
// dialogs place themselves (UiDialog).
class DialogPlacer final : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace ui
