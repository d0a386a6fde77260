#include "platform/testing/manual_clock.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace platform::testing {

ManualClock::ManualClock(std::uint32_t startTicks) : m_ticks(startTicks) {
  m_local = LocalTime{2024, 1, 1, 1, 0, 0, 0, 0};
}

std::uint32_t ManualClock::Ticks() {
  std::lock_guard lock(m_mutex);
  return m_ticks;
}

LocalTime ManualClock::Now() {
  std::lock_guard lock(m_mutex);
  return m_local;
}

void ManualClock::SetLocalTime(const LocalTime& time) {
  std::lock_guard lock(m_mutex);
  m_local = time;
}

void ManualClock::Advance(std::uint32_t ms) {
  std::lock_guard lock(m_mutex);
  m_ticks += ms;
  for (Event* wakeup : m_wakeups) {
    wakeup->Set();
  }
}

std::size_t ManualClock::Waiters() {
  std::lock_guard lock(m_mutex);
  return m_wakeups.size();
}

bool ManualClock::WaitForWaiters(std::size_t count, std::uint32_t realTimeoutMs) {
  std::unique_lock lock(m_mutex);
  return m_waitersChanged.wait_for(lock, std::chrono::milliseconds(realTimeoutMs),
                                   [&] { return m_wakeups.size() >= count; });
}

std::uint32_t ManualClock::WaitAny(std::span<Waitable* const> objects, std::uint32_t timeoutMs) {
  if (objects.empty() || std::ranges::find(objects, nullptr) != objects.end()) {
    return kWaitFailed;
  }
  // The objects plus this wait's own wake-up, poked whenever the time moves.
  Event wakeup;
  std::vector<Waitable*> list(objects.begin(), objects.end());
  list.push_back(&wakeup);
  std::uint32_t start = 0;
  {
    std::lock_guard lock(m_mutex);
    start = m_ticks;
    m_wakeups.push_back(&wakeup);
  }
  m_waitersChanged.notify_all();
  std::uint32_t result = kWaitTimeout;
  for (;;) {
    const std::uint32_t index = platform::WaitAny(std::span<Waitable* const>(list), 0);
    if (index < objects.size()) {
      result = index;
      break;
    }
    if (timeoutMs != kInfinite && TickElapsed(start, Ticks()) >= timeoutMs) {
      break;
    }
    const std::uint32_t woken = platform::WaitAny(std::span<Waitable* const>(list), kInfinite);
    if (woken < objects.size()) {
      result = woken;
      break;
    }
  }
  {
    std::lock_guard lock(m_mutex);
    std::erase(m_wakeups, &wakeup);
  }
  m_waitersChanged.notify_all();
  return result;
}

}  // namespace platform::testing
