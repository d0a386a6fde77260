// Synchronisation objects the engine threads hand work over with: auto- and manual-reset events,
// counting semaphores with a maximum, and a wait on several objects at once that behaves like
// the Win32 multiple-object wait (the first signalled object in the order given wins and is
// consumed). Every wait takes a time-out in milliseconds; kInfinite waits without limit.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace platform {

inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
// Results of WaitAny: 0..n-1 is the index of the object that was taken.
inline constexpr std::uint32_t kWaitTimeout = 0x102u;
// An empty list or a null entry: nothing was waited for.
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFFu;

namespace detail {
class WaitAccess;
struct Waiter;
}  // namespace detail

// Base of everything WaitAny can wait on. An object must outlive every wait on it; engine code
// that replaces an object while others may wait on it keeps it in a shared_ptr.
class Waitable {
 public:
  Waitable() = default;
  Waitable(const Waitable&) = delete;
  Waitable& operator=(const Waitable&) = delete;
  virtual ~Waitable() = default;

  // Waits until this object is signalled (and consumes it) or the time-out passes.
  // Returns true when the object was taken.
  bool Wait(std::uint32_t timeoutMs = kInfinite);
  // True while a thread waits on this object, alone or in a WaitAny with a time-out.
  bool HasWaiters();

 protected:
  // Called, without the lock, when a thread is about to block on this object (alone or in a
  // WaitAny); a wait with a zero time-out only looks and does not call it.
  virtual void WaitStarting() {}
  // Called with m_mutex held: takes the object when signalled (auto event reset, semaphore
  // decremented, manual event left set) and returns true, else returns false.
  virtual bool TryAcquireLocked() = 0;
  // Wakes every thread blocked on this object; call with m_mutex held after a signal.
  void NotifyLocked();

  std::mutex m_mutex;

 private:
  friend class detail::WaitAccess;
  std::condition_variable m_changed;
  std::vector<detail::Waiter*> m_waiters;
  int m_singleWaits = 0;  // threads inside Wait
};

// Event with Win32 semantics. An auto-reset event lets one waiter through per Set and resets
// itself; a manual-reset event stays set until Reset and lets every waiter through.
enum class ResetMode : bool { Auto = false, Manual = true };

class Event final : public Waitable {
 public:
  explicit Event(ResetMode mode = ResetMode::Auto, bool initiallySet = false);

  void Set();
  void Reset();
  // Current state without consuming it.
  bool IsSet();
  bool IsManualReset() const { return m_manual; }
  // Sets signal whenever a thread is about to wait on this event: whoever sets this event on
  // demand (a ticker that sleeps while nobody listens) learns that someone does. Null for none.
  void SetWaitSignal(std::shared_ptr<Event> signal);
  // An auto-reset event that a timer sets every period: it also counts as set once a period
  // has passed since it was last taken, as if the timer had set it meanwhile, so that the timer
  // need not run while nobody waits. Zero (the default) for an ordinary event.
  void SetPeriod(std::chrono::steady_clock::duration period);

 private:
  bool TryAcquireLocked() override;
  bool PeriodPassedLocked(std::chrono::steady_clock::time_point now) const;
  void WaitStarting() override;
  const bool m_manual;
  bool m_set;
  std::shared_ptr<Event> m_waitSignal;
  std::chrono::steady_clock::duration m_period{0};
  std::chrono::steady_clock::time_point m_lastTaken{};
};

// Counting semaphore with a maximum, as the ring hand-overs use them (free and filled counts).
class Semaphore final : public Waitable {
 public:
  // initial is limited to 0..maximum; maximum is at least 1.
  Semaphore(std::uint32_t initial, std::uint32_t maximum);

  // Adds count. Returns false and changes nothing when the count would pass the maximum (or
  // count is 0). previous, when given, receives the count before the call.
  bool Release(std::uint32_t count = 1, std::uint32_t* previous = nullptr);
  std::uint32_t Count();
  std::uint32_t Maximum() const { return m_maximum; }

 private:
  bool TryAcquireLocked() override;
  std::uint32_t m_count;
  const std::uint32_t m_maximum;
};

// Waits for the first of the objects to be signalled. Returns the index (in the order given) of
// the object that was taken, kWaitTimeout, or kWaitFailed for an empty list or a null entry.
// When several are signalled at once the lowest index wins; only that one is consumed.
std::uint32_t WaitAny(std::span<Waitable* const> objects, std::uint32_t timeoutMs);
std::uint32_t WaitAny(std::initializer_list<Waitable*> objects, std::uint32_t timeoutMs);

}  // namespace platform
