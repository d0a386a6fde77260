// A scripted sendDeviceRequest for the main window's port: it records every request the window
// sends (in the order they reach it), holds each until the test answers it by hand with the
// sender's result, and ends at once with 0 when the request's stop cuts it. No socket and no
// sleep: the test waits on the port's own record.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "net/rs485_command.h"
#include "platform/sync.h"
#include "platform/thread.h"
#include "ui/main/main_window_engine.h"

namespace main_window_test {

class ScriptedDevicePort {
 public:
  // How each call of the port ended.
  enum class End { kAnswered, kStopped };

  // engine with its sendDeviceRequest replaced by this port (which must outlive the window).
  ports::MainWindowEngine Bind(ports::MainWindowEngine engine) {
    engine.sendDeviceRequest = [this](const net::Rs485Request& request,
                                      const platform::StopToken& stop) {
      return Send(request, stop);
    };
    return engine;
  }

  // The port's body, on the window's worker.
  int Send(const net::Rs485Request& request, const platform::StopToken& stop) {
    {
      const std::lock_guard lock(m_lock);
      m_requests.push_back(request);
      m_maxHeld = std::max(m_maxHeld, ++m_held);
      if (m_open)
        return Finish(End::kAnswered, 1);
      m_changed.notify_all();
    }
    const bool answered =
        platform::WaitAny({&m_answers, &stop.StopEvent()}, platform::kInfinite) == 0;
    const std::lock_guard lock(m_lock);
    if (!answered)
      return Finish(End::kStopped, 0);
    const int result = m_results.front();
    m_results.pop_front();
    return Finish(End::kAnswered, result);
  }

  // Answers the oldest held request (or the next to come) with result.
  void Answer(int result = 1) {
    {
      const std::lock_guard lock(m_lock);
      m_results.push_back(result);
    }
    m_answers.Release();
  }
  // Every request from now on is accepted at once, and the held ones too.
  void Open() {
    int held = 0;
    {
      const std::lock_guard lock(m_lock);
      m_open = true;
      held = m_held - static_cast<int>(m_results.size());
    }
    for (int i = 0; i < held; ++i)
      Answer(1);
  }

  // Waits (bounded) until count requests have reached the port.
  bool WaitArrived(std::size_t count) {
    return WaitFor([&] { return m_requests.size() >= count; });
  }
  // Waits (bounded) until count calls have ended.
  bool WaitEnded(std::size_t count) {
    return WaitFor([&] { return m_ends.size() >= count; });
  }

  std::vector<net::Rs485Request> Requests() {
    const std::lock_guard lock(m_lock);
    return m_requests;
  }
  std::vector<std::string> Urls() {
    std::vector<std::string> urls;
    for (const net::Rs485Request& request : Requests())
      urls.emplace_back(request.url.Text());
    return urls;
  }
  std::vector<End> Ends() {
    const std::lock_guard lock(m_lock);
    return m_ends;
  }
  int MaxHeld() {
    const std::lock_guard lock(m_lock);
    return m_maxHeld;
  }

 private:
  int Finish(End end, int result) {
    --m_held;
    m_ends.push_back(end);
    m_changed.notify_all();
    return result;
  }
  template <typename Condition>
  bool WaitFor(Condition condition) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::seconds(10), condition);
  }

  std::mutex m_lock;
  std::condition_variable m_changed;
  platform::Semaphore m_answers{0, 1000};
  std::deque<int> m_results;
  std::vector<net::Rs485Request> m_requests;
  std::vector<End> m_ends;
  int m_held = 0;
  int m_maxHeld = 0;
  bool m_open = false;
};

}  // namespace main_window_test
