// A clock for tests: ticks and local time move only when the test says so, and timed waits made
// through it end when the test advances the time past their time-out (or an object is
// signalled, as with the real clock).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
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

  // Number of threads inside a timed or untimed wait on this clock.
  std::size_t Waiters();
  // Waits (real time, up to realTimeoutMs) until at least count threads are blocked on this
  // clock having looked at their objects and the time after this call began. A wait that an
  // earlier Advance or an object signalled before this call is about to end is not counted:
  // every waiter is woken to look again first, so the caller's next Advance reaches a wait that
  // is really waiting for it. True when they are.
  bool WaitForWaiters(std::size_t count, std::uint32_t realTimeoutMs = 10000);
  // Milliseconds until the earliest time-out among the timed waits on this clock (0 for one that
  // is due); nothing while no wait is timed. With WaitForWaiters, a test lets time jump to the
  // next moment a thread waits for instead of stepping through every millisecond.
  std::optional<std::uint32_t> NextTimeout();

 private:
  // One thread's wait: its own wake-up, and whether it sits blocked with nothing left to look at.
  struct Sleeper {
    Event wakeup;
    bool settled = false;
    std::optional<std::uint32_t> deadline;  // tick count of a timed wait's time-out
  };
  // Wakes every waiter to look at its objects and the time again (m_mutex held).
  void WakeAllLocked();
  std::size_t SettledLocked() const;

  std::mutex m_mutex;
  std::condition_variable m_waitersChanged;
  std::uint32_t m_ticks;
  LocalTime m_local;
  std::vector<Sleeper*> m_sleepers;
};

}  // namespace platform::testing
