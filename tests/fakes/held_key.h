// A key held down, as a keyboard and the window system report it to the program: its press,
// then the keyboard's repeats, then its release. How the repeats come depends on the system
// (KeyRepeats). Each event carries the key's scan code and a time stamp from a clock of its own
// (a repeat every 40 ms), and goes to the window that has the keyboard at that moment on the
// road the window system's events take: the shortcut override to the focus widget and the
// shortcuts, then the window, which hands it to the focus widget and its parents. So a window or
// a message box that opens while the key is down gets the rest of it, as under a finger.
//
// For tests of windows (they link Qt6::Test); header only, the fakes library holds no Qt.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <memory>
#include <vector>

namespace fakes {

enum class KeyRepeats {
  // X11: each repeat is a release and a press with one time stamp, both flagged isAutoRepeat.
  kReleaseAndPress,
  // X11 when Qt looks at the repeat's release before its press has arrived: the same pair,
  // neither flagged.
  kUnflaggedReleaseAndPress,
  // Wayland, Windows: each repeat is a flagged press alone.
  kPressOnly,
};

inline constexpr KeyRepeats kAllKeyRepeats[] = {
    KeyRepeats::kReleaseAndPress, KeyRepeats::kUnflaggedReleaseAndPress, KeyRepeats::kPressOnly};

inline const char* KeyRepeatsName(KeyRepeats style) {
  switch (style) {
    case KeyRepeats::kReleaseAndPress:
      return "X11 repeats";
    case KeyRepeats::kUnflaggedReleaseAndPress:
      return "X11 repeats Qt did not flag";
    case KeyRepeats::kPressOnly:
      return "press-only repeats";
  }
  return "?";
}

struct KeyStroke {
  QEvent::Type type;
  bool autoRepeat;
  bool newTime;  // a later time stamp than the stroke before (false: the same one)

  friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// The events of a key held through `repeats` repeats of the keyboard.
inline std::vector<KeyStroke> HeldKeyStrokes(int repeats,
                                             KeyRepeats style = KeyRepeats::kReleaseAndPress) {
  std::vector<KeyStroke> strokes{{QEvent::KeyPress, false, true}};
  for (int i = 0; i < repeats; ++i) {
    switch (style) {
      case KeyRepeats::kReleaseAndPress:
        strokes.push_back({QEvent::KeyRelease, true, true});
        strokes.push_back({QEvent::KeyPress, true, false});
        break;
      case KeyRepeats::kUnflaggedReleaseAndPress:
        strokes.push_back({QEvent::KeyRelease, false, true});
        strokes.push_back({QEvent::KeyPress, false, false});
        break;
      case KeyRepeats::kPressOnly:
        strokes.push_back({QEvent::KeyPress, true, true});
        break;
    }
  }
  strokes.push_back({QEvent::KeyRelease, false, true});
  return strokes;
}

// The window that has the keyboard now: the modal window on top, else the active window.
inline QWindow* KeyboardWindow() {
  QWidget* widget = QApplication::activeModalWidget();
  if (widget == nullptr)
    widget = QApplication::activeWindow();
  if (widget != nullptr && widget->windowHandle() != nullptr)
    return widget->windowHandle();
  return QGuiApplication::focusWindow();
}

// The text the window system gives with a key.
inline QString KeyText(int key, Qt::KeyboardModifiers modifiers) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return QStringLiteral("\r");
    case Qt::Key_Escape:
      return QStringLiteral("\x1b");
    case Qt::Key_Space:
      return QStringLiteral(" ");
    case Qt::Key_Backspace:
      return QStringLiteral("\b");
    default:
      break;
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) {
    const QChar letter(key);
    return (modifiers & Qt::ShiftModifier) ? QString(letter) : QString(letter.toLower());
  }
  return {};
}

// The keyboard's clock, in milliseconds; the time stamps of all held keys follow one another.
inline quint64 KeyTime(bool advance) {
  static quint64 now = 1000;
  if (advance)
    now += 40;
  return now;
}

// One event of `key` from the keyboard to `window` (nothing when it is null).
inline void SendKeyStroke(QWindow* window, int key, KeyStroke stroke,
                          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const quint64 time = KeyTime(stroke.newTime);
  if (window == nullptr)
    return;
  // Any scan code but 0 (a keyboard's events always carry one; it is not looked at by key).
  constexpr quint32 kScanCode = 36;
  const QString text = KeyText(key, modifiers);
  if (stroke.type == QEvent::KeyPress &&
      qt_sendShortcutOverrideEvent(window, time, key, modifiers, text, stroke.autoRepeat)) {
    return;  // a shortcut took it
  }
  QKeyEvent event(stroke.type, key, modifiers, kScanCode, 0, 0, text, stroke.autoRepeat);
  event.setTimestamp(time);
  QSpontaneKeyEvent::setSpontaneous(&event);
  QApplication::instance()->notify(window, &event);
}

// The whole held key to `window` at once, with no turn of the event loop between its events.
inline void HoldKey(QWindow* window, int key, int repeats,
                    KeyRepeats style = KeyRepeats::kReleaseAndPress,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  for (const KeyStroke& stroke : HeldKeyStrokes(repeats, style))
    SendKeyStroke(window, key, stroke, modifiers);
}

// A held key played through whatever event loop runs (the program's, a dialog's or a message
// box's): one repeat per turn of the loop, each event to the window that has the keyboard then.
// The next turn is asked for before an event goes out, so a window that the event opens (and
// whose loop runs inside the handler of that event) gets the rest of the key. The repeats are
// counted from the turn at which `countFrom` first holds (at once without it): the key stays
// down until then, however long that takes, and is let go after `repeats` more.
class HeldKey {
 public:
  HeldKey(int key, int repeats, KeyRepeats style = KeyRepeats::kReleaseAndPress,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier)
      : m_key(key), m_repeats(repeats), m_style(style), m_modifiers(modifiers) {}
  HeldKey(const HeldKey&) = delete;
  HeldKey& operator=(const HeldKey&) = delete;

  void CountRepeatsFrom(std::function<bool()> countFrom) { m_countFrom = std::move(countFrom); }

  // Presses the key at the next turn of the loop.
  void Start() { Next(); }
  // Stops at once, without the release (a key that stays stuck).
  void Stop() { m_turns.reset(); }

  bool Done() const { return m_released; }
  // Repeats sent so far, counted or not.
  int RepeatsSent() const { return m_repeatsSent; }

 private:
  void Next() {
    if (!m_turns)
      m_turns = std::make_unique<QObject>();
    QTimer::singleShot(0, m_turns.get(), [this] { Step(); });
  }

  void Step() {
    std::vector<KeyStroke> strokes;
    if (!m_pressed) {
      m_pressed = true;
      strokes = {HeldKeyStrokes(0, m_style).front()};
    } else {
      if (!m_counting && (!m_countFrom || m_countFrom()))
        m_counting = true;
      if (m_counting && m_counted == m_repeats) {
        m_released = true;
        strokes = {HeldKeyStrokes(0, m_style).back()};
      } else {
        // One repeat: the strokes between the press and the release of a key held once.
        const std::vector<KeyStroke> once = HeldKeyStrokes(1, m_style);
        strokes.assign(once.begin() + 1, once.end() - 1);
        ++m_repeatsSent;
        if (m_counting)
          ++m_counted;
      }
    }
    if (!m_released)
      Next();
    for (const KeyStroke& stroke : strokes)
      SendKeyStroke(KeyboardWindow(), m_key, stroke, m_modifiers);
  }

  int m_key;
  int m_repeats;
  KeyRepeats m_style;
  Qt::KeyboardModifiers m_modifiers;
  std::function<bool()> m_countFrom;
  std::unique_ptr<QObject> m_turns;  // the turns asked for end with it
  bool m_pressed = false;
  bool m_counting = false;
  int m_counted = 0;
  int m_repeatsSent = 0;
  bool m_released = false;
};

}  // namespace fakes
