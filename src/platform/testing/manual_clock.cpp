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

void ManualClock::WakeAllLocked() {
  for (Sleeper* sleeper : m_sleepers) {
    sleeper->settled = false;
    sleeper->wakeup.Set();
  }
}

std::size_t ManualClock::SettledLocked() const {
  return static_cast<std::size_t>(
      std::ranges::count_if(m_sleepers, [](const Sleeper* s) { return s->settled; }));
}

void ManualClock::Advance(std::uint32_t ms) {
  std::lock_guard lock(m_mutex);
  m_ticks += ms;
  WakeAllLocked();
}

std::size_t ManualClock::Waiters() {
  std::lock_guard lock(m_mutex);
  return m_sleepers.size();
}

bool ManualClock::WaitForWaiters(std::size_t count, std::uint32_t realTimeoutMs) {
  std::unique_lock lock(m_mutex);
  WakeAllLocked();
  return m_waitersChanged.wait_for(lock, std::chrono::milliseconds(realTimeoutMs),
                                   [&] { return SettledLocked() >= count; });
}

std::optional<std::uint32_t> ManualClock::NextTimeout() {
  std::lock_guard lock(m_mutex);
  std::optional<std::uint32_t> next;
  for (const Sleeper* sleeper : m_sleepers) {
    if (!sleeper->deadline)
      continue;
    const std::uint32_t left =
        TickReached(m_ticks, *sleeper->deadline) ? 0 : *sleeper->deadline - m_ticks;
    next = std::min(next.value_or(left), left);
  }
  return next;
}

std::uint32_t ManualClock::WaitAny(std::span<Waitable* const> objects, std::uint32_t timeoutMs) {
  if (objects.empty() || std::ranges::find(objects, nullptr) != objects.end()) {
    return kWaitFailed;
  }
  // The objects plus this wait's own wake-up, poked whenever the time moves or a test asks the
  // waiters to look again. The objects come first, so a signalled one always wins.
  Sleeper sleeper;
  std::vector<Waitable*> list(objects.begin(), objects.end());
  list.push_back(&sleeper.wakeup);
  const std::span<Waitable* const> all(list);
  std::uint32_t start = 0;
  {
    std::lock_guard lock(m_mutex);
    start = m_ticks;
    if (timeoutMs != kInfinite)
      sleeper.deadline = start + timeoutMs;
    m_sleepers.push_back(&sleeper);
  }
  std::uint32_t result = kWaitTimeout;
  for (;;) {
    const std::uint32_t index = platform::WaitAny(all, 0);
    if (index < objects.size()) {
      result = index;
      break;
    }
    {
      std::lock_guard lock(m_mutex);
      if (timeoutMs != kInfinite && TickElapsed(start, m_ticks) >= timeoutMs) {
        break;
      }
      // Looked at everything after the last poke: from now on this wait only waits.
      sleeper.settled = true;
    }
    m_waitersChanged.notify_all();
    const std::uint32_t woken = platform::WaitAny(all, kInfinite);
    if (woken < objects.size()) {
      result = woken;
      break;
    }
  }
  {
    std::lock_guard lock(m_mutex);
    std::erase(m_sleepers, &sleeper);
  }
  m_waitersChanged.notify_all();
  return result;
}

}  // namespace platform::testing
