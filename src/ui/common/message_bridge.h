// Posted user messages for Qt windows. A window owns one MessageBridge: it registers a window
// handle with the platform layer, and every message posted to that handle (from any thread) is
// handed to the GUI thread and to the window's handler there, in posting order. Destroying the
// bridge unregisters the handle first, so a message posted later is refused and one already
// waiting is dropped with the bridge: posting to a window that is gone is harmless.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "platform/window_message.h"
#include "ui/common/gui_inbox.h"

namespace ui {

using platform::LParam;
using platform::WM_USER;
using platform::WParam;

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
  // Where other work for this window's thread goes, in one order with the messages.
  GuiInbox::Sender InboxSender() const { return m_inbox.GetSender(); }

 private:
  Handler m_handler;
  GuiInbox m_inbox;
  platform::WindowHandle m_handle = platform::kNoWindow;
};

}  // namespace ui
