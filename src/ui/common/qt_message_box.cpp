#include "ui/common/qt_message_box.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QThread>
#include <optional>

#include "ui/common/held_keys.h"
#include "ui/common/string_table.h"

namespace ui {
namespace {

QMessageBox::Icon IconOf(std::uint32_t flags) {
  switch (flags & 0xF0) {
    case platform::MB_ICONERROR:
      return QMessageBox::Critical;
    case platform::MB_ICONQUESTION:
      return QMessageBox::Question;
    case platform::MB_ICONWARNING:
      return QMessageBox::Warning;
    case platform::MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

struct ButtonChoice {
  QMessageBox::StandardButton button;
  int answer;
};

std::vector<ButtonChoice> ButtonsOf(std::uint32_t flags) {
  switch (flags & 0xF) {
    case platform::MB_OKCANCEL:
      return {{QMessageBox::Ok, platform::IDOK}, {QMessageBox::Cancel, platform::IDCANCEL}};
    case platform::MB_YESNOCANCEL:
      return {{QMessageBox::Yes, platform::IDYES},
              {QMessageBox::No, platform::IDNO},
              {QMessageBox::Cancel, platform::IDCANCEL}};
    case platform::MB_YESNO:
      return {{QMessageBox::Yes, platform::IDYES}, {QMessageBox::No, platform::IDNO}};
    case platform::MB_RETRYCANCEL:
      return {{QMessageBox::Retry, platform::IDRETRY}, {QMessageBox::Cancel, platform::IDCANCEL}};
    default:
      return {{QMessageBox::Ok, platform::IDOK}};
  }
}

// The keys that end a box: Enter and Return (the default button), Escape, and Space (the
// button with the focus).
bool EndsBox(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
         key == Qt::Key_Space;
}

// A box ends by a key only when that key went down and came up again while the box was up: a
// press the keyboard repeats, or a key already down when the box came (held, or stuck since
// an earlier window, as after a synthetic press without its release), ends it no more than
// once, and never the box that comes after it. The press is held back until its release and
// then given to the box as it came.
class EndingKeyGate final : public QObject {
 public:
  explicit EndingKeyGate(QWidget& box) {
    box.installEventFilter(this);
    for (QWidget* child : box.findChildren<QWidget*>())
      child->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (m_bReplaying || (type != QEvent::KeyPress && type != QEvent::KeyRelease))
      return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (!EndsBox(key->key()))
      return false;
    if (type == QEvent::KeyPress) {
      if (!key->isAutoRepeat() && !m_down)
        m_down = Down{key->key(), key->modifiers(), key->text()};
      return true;
    }
    if (key->isAutoRepeat() || !m_down || m_down->key != key->key())
      return true;
    const Down down = *m_down;
    m_down.reset();
    QKeyEvent press(QEvent::KeyPress, down.key, down.modifiers, down.text);
    m_bReplaying = true;
    QCoreApplication::sendEvent(watched, &press);
    m_bReplaying = false;
    return false;  // the release goes on (Space clicks a button on it)
  }

 private:
  struct Down {
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
  };
  std::optional<Down> m_down;
  bool m_bReplaying = false;
};

}  // namespace

int QtMessageBox::Show(std::string_view text, std::string_view caption, std::uint32_t flags) {
  const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const QString qcaption =
      QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr)
    return platform::DefaultAnswer(flags);
  if (QThread::currentThread() == app->thread())
    return ShowOnGuiThread(m_parent, qtext, qcaption, flags);
  // From another thread: show it later on the GUI thread; the caller goes on with the default.
  // The texts are made here and taken there through the inbox.
  m_inbox.Post(
      [this, qtext, qcaption, flags] { ShowOnGuiThread(m_parent, qtext, qcaption, flags); });
  return platform::DefaultAnswer(flags);
}

int QtMessageBox::ShowOnGuiThread(QPointer<QWidget> parent, const QString& text,
                                  const QString& caption, std::uint32_t flags) {
  QMessageBox box(IconOf(flags), caption.isEmpty() ? QCoreApplication::applicationName() : caption,
                  text, QMessageBox::NoButton, parent.data());
  const auto choices = ButtonsOf(flags);
  for (const ButtonChoice& choice : choices)
    box.addButton(choice.button);
  box.setDefaultButton(choices.front().button);
  InstallHeldKeyFilter();
  EndingKeyGate gate(box);
  box.exec();
  const auto clicked = box.standardButton(box.clickedButton());
  for (const ButtonChoice& choice : choices) {
    if (choice.button == clicked)
      return choice.answer;
  }
  // Closed without a button: Cancel when the box has one, else its only answer.
  for (const ButtonChoice& choice : choices) {
    if (choice.answer == platform::IDCANCEL)
      return platform::IDCANCEL;
  }
  return choices.back().answer;
}

int MessageBoxById(int stringId, std::uint32_t flags) {
  return platform::ShowMessageBox(LoadString(stringId).toStdString(), {}, flags);
}

}  // namespace ui
