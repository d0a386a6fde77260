// A registered window for tests that records every message posted to it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/window_message.h"

namespace platform::testing {

struct PostedMessage {
  std::uint32_t msg = 0;
  WParam wParam = 0;
  LParam lParam = 0;
  friend bool operator==(const PostedMessage&, const PostedMessage&) = default;
};

class RecordingWindow {
 public:
  RecordingWindow();
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;
  // Unregisters the window (it is gone: later posts to its handle are refused).
  ~RecordingWindow();

  WindowHandle Handle() const { return m_handle; }
  // Unregisters early, as a window closed before its poster stopped.
  void Destroy();

  std::vector<PostedMessage> Messages();
  std::size_t Count();
  // Messages with this id, in arrival order.
  std::vector<PostedMessage> MessagesWithId(std::uint32_t msg);
  // Waits (real time) until at least count messages arrived; true when they did.
  bool WaitForCount(std::size_t count, std::uint32_t timeoutMs = 10000);
  void Clear();

 private:
  void Deliver(std::uint32_t msg, WParam wParam, LParam lParam);

  std::mutex m_mutex;
  std::condition_variable m_arrived;
  std::vector<PostedMessage> m_messages;
  WindowHandle m_handle = kNoWindow;
};

}  // namespace platform::testing
