#include "ui/common/message_bridge.h"

namespace ui {

MessageBridge::MessageBridge(QObject* parent, Handler handler)
    : QObject(parent), m_handler(std::move(handler)) {
  // The callback runs on the poster's thread: it only hands the message to the inbox. The
  // bridge outlives every callback because Unregister waits for deliveries under way, and the
  // inbox runs a message only while the bridge (its owner) exists.
  m_handle = platform::RegisterWindow(
      [this, sender = m_inbox.GetSender()](std::uint32_t msg, WParam wParam, LParam lParam) {
        sender.Post([this, msg, wParam, lParam] {
          if (m_handle != platform::kNoWindow && m_handler)
            m_handler(msg, wParam, lParam);
        });
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
  // Messages already waiting are not delivered any more.
  m_inbox.Clear();
}

}  // namespace ui
