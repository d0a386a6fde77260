// A clock for tests: ticks and local time move only when the test says so, and timed waits made
// through it end when the test advances the time past their time-out (or an object is
// signalled, as with the real clock).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace platform::testing {

class ManualClock final : public IClock {
 public:
  explicit ManualClock(std::uint32_t startTicks = 0);

  std::uint32_t Ticks() override;
  LocalTime Now() override;
  std::uint32_t WaitAny(std::span<Waitable* const> objects, std::uint32_t timeoutMs) override;
  using IClock::WaitAny;

  // Moves the tick count forward and wakes timed waits. Local time changes only by
  // SetLocalTime.
  void Advance(std::uint32_t ms);
  void SetLocalTime(const LocalTime& time);

  // Number of threads blocked in a timed or untimed wait on this clock.
  std::size_t Waiters();
  // Waits (real time, up to realTimeoutMs) until at least count threads wait on this clock.
  // True when they do. Lets a test advance time only once the thread under test is waiting.
  bool WaitForWaiters(std::size_t count, std::uint32_t realTimeoutMs = 10000);

 private:
  std::mutex m_mutex;
  std::condition_variable m_waitersChanged;
  std::uint32_t m_ticks;
  LocalTime m_local;
  std::vector<Event*> m_wakeups;
};

}  // namespace platform::testing
