#include "platform/testing/recording_window.h"

#include <chrono>

namespace platform::testing {

RecordingWindow::RecordingWindow() {
  m_handle = RegisterWindow(
      [this](std::uint32_t msg, WParam wParam, LParam lParam) { Deliver(msg, wParam, lParam); });
}

RecordingWindow::~RecordingWindow() {
  Destroy();
}

void RecordingWindow::Destroy() {
  UnregisterWindow(m_handle);
}

void RecordingWindow::Deliver(std::uint32_t msg, WParam wParam, LParam lParam) {
  {
    std::lock_guard lock(m_mutex);
    m_messages.push_back({msg, wParam, lParam});
  }
  m_arrived.notify_all();
}

std::vector<PostedMessage> RecordingWindow::Messages() {
  std::lock_guard lock(m_mutex);
  return m_messages;
}

std::size_t RecordingWindow::Count() {
  std::lock_guard lock(m_mutex);
  return m_messages.size();
}

std::vector<PostedMessage> RecordingWindow::MessagesWithId(std::uint32_t msg) {
  std::lock_guard lock(m_mutex);
  std::vector<PostedMessage> matching;
  for (const PostedMessage& message : m_messages) {
    if (message.msg == msg) {
      matching.push_back(message);
    }
  }
  return matching;
}

bool RecordingWindow::WaitForCount(std::size_t count, std::uint32_t timeoutMs) {
  std::unique_lock lock(m_mutex);
  return m_arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return m_messages.size() >= count; });
}

void RecordingWindow::Clear() {
  std::lock_guard lock(m_mutex);
  m_messages.clear();
}

}  // namespace platform::testing
