#include "ui/common/message_bridge.h"

#include <QCoreApplication>

namespace ui {

UserMessageEvent::UserMessageEvent(std::uint32_t msg, WParam wParam, LParam lParam)
    : QEvent(EventType()), m_msg(msg), m_wParam(wParam), m_lParam(lParam) {}

QEvent::Type UserMessageEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

MessageBridge::MessageBridge(QObject* parent, Handler handler)
    : QObject(parent), m_handler(std::move(handler)) {
  // The callback runs on the poster's thread: it only queues an event. postEvent is
  // thread-safe, and the bridge outlives every callback because Unregister waits for
  // deliveries under way.
  m_handle = platform::RegisterWindow([this](std::uint32_t msg, WParam wParam, LParam lParam) {
    QCoreApplication::postEvent(this, new UserMessageEvent(msg, wParam, lParam));
  });
}

MessageBridge::~MessageBridge() {
  Unregister();
}

void MessageBridge::Unregister() {
  if (m_handle == platform::kNoWindow)
    return;
  platform::UnregisterWindow(m_handle);
  m_handle = platform::kNoWindow;
  // Messages already queued are not delivered any more.
  QCoreApplication::removePostedEvents(this, UserMessageEvent::EventType());
}

bool MessageBridge::event(QEvent* event) {
  if (event->type() != UserMessageEvent::EventType())
    return QObject::event(event);
  if (m_handle == platform::kNoWindow)
    return true;
  const auto* message = static_cast<UserMessageEvent*>(event);
  if (m_handler)
    m_handler(message->m_msg, message->m_wParam, message->m_lParam);
  return true;
}

}  // namespace ui
