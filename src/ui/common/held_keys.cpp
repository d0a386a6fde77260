#include "ui/common/held_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <optional>

namespace ui {
namespace {

// The widget a key event goes to: the receiver itself, or the focus widget of the window the
// window system hands the event to (Qt forwards it there next).
const QWidget* TargetOf(const QObject* receiver) {
  if (receiver == nullptr)
    return nullptr;
  if (receiver->isWidgetType())
    return static_cast<const QWidget*>(receiver);
  if (receiver->isWindowType())
    return qobject_cast<const QWidget*>(static_cast<const QWindow*>(receiver)->focusObject());
  return nullptr;
}

// Sees a key event at the first place it reaches: the window it comes to from the window system
// (before Qt hands it to a widget, and so before any filter of a widget), the focus widget a
// shortcut is looked up for, or the widget it is sent to directly. Qt hands one event on from
// the window to the widget and its parents: each look at it gives the same answer.
class HeldKeyFilter final : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
      return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (!IsRepeat(key) || !RepeatActs(key, watched))
      return false;
    // A shortcut override that is taken keeps the key from every shortcut; the press that
    // follows is dropped here as well.
    event->accept();
    return true;
  }

 private:
  struct Release {
    int key;
    quint64 timestamp;
  };

  bool IsRepeat(const QKeyEvent& event) {
    if (event.isAutoRepeat())
      return true;
    if (event.type() == QEvent::KeyRelease) {
      // Only a keyboard's events carry its scan code (a program's synthetic ones do not, and
      // their time stamps may repeat).
      if (event.nativeScanCode() != 0)
        m_lastRelease = Release{event.key(), event.timestamp()};
      return false;
    }
    // The press (and its shortcut override) of an X11 repeat that Qt did not see coming.
    return m_lastRelease && m_lastRelease->key == event.key() &&
           m_lastRelease->timestamp == event.timestamp();
  }

  std::optional<Release> m_lastRelease;
};

QPointer<HeldKeyFilter>& InstalledFilter() {
  static QPointer<HeldKeyFilter> filter;
  return filter;
}

}  // namespace

void InstallHeldKeyFilter() {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr || InstalledFilter() != nullptr)
    return;
  // A child of the application: it goes with it (a test program may make another).
  InstalledFilter() = new HeldKeyFilter(application);
  application->installEventFilter(InstalledFilter());
}

bool RepeatActs(const QKeyEvent& repeat, const QObject* receiver) {
  const QWidget* target = TargetOf(receiver);
  if (target != nullptr && qobject_cast<const QMessageBox*>(target->window()) != nullptr)
    return true;
  if (repeat.modifiers() & Qt::AltModifier)
    return true;
  switch (repeat.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Select:
      return true;
    case Qt::Key_Space:
      // In a field that takes text a held Space types blanks; elsewhere it clicks.
      return target == nullptr || !target->testAttribute(Qt::WA_InputMethodEnabled);
    default:
      return false;
  }
}

}  // namespace ui
