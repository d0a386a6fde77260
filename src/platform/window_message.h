// Window handles and posted messages: how engine threads reach a window without touching it.
// A window registers a delivery callback and gets a handle; PostMessage hands (msg, wParam,
// lParam) to that callback on the poster's thread. The callback must not block: the Qt side
// queues the message onto the GUI thread. Handles are never reused, so a message posted to a
// window that is gone is simply refused.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

using WindowHandle = std::uint32_t;
inline constexpr WindowHandle kNoWindow = 0;

inline constexpr std::uint32_t WM_USER = 0x400;

using WParam = std::uintptr_t;
using LParam = std::intptr_t;

// Receives each message posted to the window, on the posting thread.
using MessageCallback = std::function<void(std::uint32_t msg, WParam wParam, LParam lParam)>;

// Registers a window; returns its handle (never kNoWindow).
WindowHandle RegisterWindow(MessageCallback deliver);
// Removes the window. Waits for deliveries already under way on other threads, so no callback
// runs after this returns; must not be called from inside the window's own callback.
void UnregisterWindow(WindowHandle window);
bool IsWindow(WindowHandle window);

// Delivers the message to the window's callback. Thread-safe; never waits for the receiver's
// thread. False (and nothing delivered) when the handle is kNoWindow or the window is gone.
bool PostMessage(WindowHandle window, std::uint32_t msg, WParam wParam, LParam lParam);

}  // namespace platform
