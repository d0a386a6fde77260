// Time for the engine: the millisecond tick count (32 bits, wraps after about 49.7 days, so
// compare with TickElapsed, never with <), an injectable clock that also measures timed waits
// (so time-outs of many seconds are tested without sleeping), local time, and the engine-owned
// periodic ticker that stands in for the 1 ms multimedia timer.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>

#include "platform/sync.h"
#include "platform/thread.h"

namespace platform {

// Milliseconds since an arbitrary start, from the monotonic clock; wraps modulo 2^32.
std::uint32_t TickCount();

// Milliseconds from since to now, correct across one wrap of the tick count.
constexpr std::uint32_t TickElapsed(std::uint32_t since, std::uint32_t now) {
  return now - since;
}

// True once now has reached deadline (both tick counts less than 2^31 ms apart).
constexpr bool TickReached(std::uint32_t now, std::uint32_t deadline) {
  return static_cast<std::int32_t>(now - deadline) >= 0;
}

// Calendar time as the program shows and names files with it.
struct LocalTime {
  int year = 0;         // e.g. 2024
  int month = 0;        // 1..12
  int dayOfWeek = 0;    // 0 = Sunday .. 6
  int day = 0;          // 1..31
  int hour = 0;         // 0..23
  int minute = 0;       // 0..59
  int second = 0;       // 0..59
  int millisecond = 0;  // 0..999
  friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

// Local time of the given instant, in the process's time zone.
LocalTime ToLocalTime(std::chrono::system_clock::time_point when);
LocalTime GetLocalTime();

// Clock seen by engine code that waits or measures time. Timed waits go through it so that a
// test clock can let a 30-second time-out pass at once.
class IClock {
 public:
  virtual ~IClock() = default;

  virtual std::uint32_t Ticks() = 0;
  virtual LocalTime Now() = 0;
  // WaitAny (sync.h) whose time-out is measured on this clock.
  virtual std::uint32_t WaitAny(std::span<Waitable* const> objects, std::uint32_t timeoutMs) = 0;

  std::uint32_t WaitAny(std::initializer_list<Waitable*> objects, std::uint32_t timeoutMs) {
    return WaitAny(std::span<Waitable* const>(objects.begin(), objects.size()), timeoutMs);
  }
  // Waits for one object; true when it was taken.
  bool Wait(Waitable& object, std::uint32_t timeoutMs) {
    return WaitAny({&object}, timeoutMs) == 0;
  }
  // Sleeps ms on this clock unless the stop request comes first. True when the whole time
  // passed, false on a stop request.
  bool SleepFor(std::uint32_t ms, const StopToken& stop) {
    return WaitAny({&stop.StopEvent()}, ms) == kWaitTimeout;
  }
  // Sleeps ms on this clock without a stop request.
  void Sleep(std::uint32_t ms);
};

// The real clock: TickCount, GetLocalTime and platform::WaitAny.
class SystemClock final : public IClock {
 public:
  std::uint32_t Ticks() override { return TickCount(); }
  LocalTime Now() override { return GetLocalTime(); }
  std::uint32_t WaitAny(std::span<Waitable* const> objects, std::uint32_t timeoutMs) override;
  using IClock::WaitAny;
};

// Process-wide real clock.
IClock& RealClock();

// Calls onTick every periodMs milliseconds on its own thread, at absolute deadlines (start +
// n x period) so that the period does not drift. When the thread falls more than a few periods
// behind (a stalled machine) it skips the missed ticks instead of firing a burst. onTick must be
// short: it runs on the ticker thread.
//
// On demand, the ticker ticks only while someone listens: after a tick that leaves wanted()
// false it sleeps until demand is set (Event::SetWaitSignal sets it when a thread starts to wait
// on a tick event), then ticks again one period later. A waiter still sees its tick within one
// period, and a program that waits for no tick pays for no wake-ups.
class Ticker {
 public:
  Ticker() = default;
  Ticker(const Ticker&) = delete;
  Ticker& operator=(const Ticker&) = delete;
  ~Ticker();

  // Starts the ticker; false when already running or the thread cannot be created.
  bool Start(std::uint32_t periodMs, std::function<void()> onTick,
             ThreadPriority priority = ThreadPriority::Highest);
  // Starts the ticker on demand (see above); false as for Start, or without wanted or demand.
  bool StartOnDemand(std::uint32_t periodMs, std::function<void()> onTick,
                     std::function<bool()> wanted, std::shared_ptr<Event> demand,
                     ThreadPriority priority = ThreadPriority::Highest);
  // Stops the ticker and waits for its thread; onTick is not called after Stop returns
  // (unless Stop is called from onTick itself).
  void Stop();
  bool IsRunning() const;
  // Ticks delivered since Start.
  std::uint64_t TickCountDelivered() const;

 private:
  bool Run(std::uint32_t periodMs, std::function<void()> onTick, std::function<bool()> wanted,
           std::shared_ptr<Event> demand, ThreadPriority priority);

  struct State;
  std::shared_ptr<State> m_state;
  Thread m_thread;
};

}  // namespace platform
