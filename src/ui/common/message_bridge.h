// Posted user messages for Qt windows. A window owns one MessageBridge: it registers a window
// handle with the platform layer, and every message posted to that handle (from any thread) is
// queued onto the GUI thread and handed to the window's handler there, in posting order.
// Destroying the bridge unregisters the handle first, so a message posted later is refused and
// one already queued is dropped with the bridge: posting to a window that is gone is harmless.
#pragma once

#include <QEvent>
#include <QObject>
#include <cstdint>
#include <functional>

#include "platform/window_message.h"

namespace ui {

using platform::LParam;
using platform::WM_USER;
using platform::WParam;

// The Qt event that carries one posted message to the GUI thread.
class UserMessageEvent final : public QEvent {
 public:
  UserMessageEvent(std::uint32_t msg, WParam wParam, LParam lParam);
  static QEvent::Type EventType();

  std::uint32_t m_msg;
  WParam m_wParam;
  LParam m_lParam;
};

class MessageBridge final : public QObject {
  Q_OBJECT

 public:
  using Handler = std::function<void(std::uint32_t msg, WParam wParam, LParam lParam)>;

  // The bridge lives on the thread of parent (the GUI thread); handler runs there.
  MessageBridge(QObject* parent, Handler handler);
  ~MessageBridge() override;

  platform::WindowHandle Handle() const { return m_handle; }
  // Stops delivery early (a window closing before it is destroyed).
  void Unregister();

 protected:
  bool event(QEvent* event) override;

 private:
  Handler m_handler;
  platform::WindowHandle m_handle = platform::kNoWindow;
};

}  // namespace ui
