#include "platform/sync.h"

#include <algorithm>
#include <chrono>

namespace platform {
namespace detail {

// One thread blocked in WaitAny: every object in its list pokes it on a signal, and it then
// tries the objects again in order.
struct Waiter {
  std::mutex mutex;
  std::condition_variable cv;
  bool notified = false;
};

class WaitAccess {
 public:
  static bool TryAcquire(Waitable& object) {
    std::lock_guard lock(object.m_mutex);
    return object.TryAcquireLocked();
  }
  static void Add(Waitable& object, Waiter* waiter) {
    {
      std::lock_guard lock(object.m_mutex);
      object.m_waiters.push_back(waiter);
    }
    object.WaitStarting();
  }
  static void Remove(Waitable& object, Waiter* waiter) {
    std::lock_guard lock(object.m_mutex);
    auto& list = object.m_waiters;
    if (auto it = std::find(list.begin(), list.end(), waiter); it != list.end()) {
      list.erase(it);
    }
  }
};

}  // namespace detail

namespace {

using SteadyClock = std::chrono::steady_clock;

SteadyClock::time_point DeadlineAfter(std::uint32_t timeoutMs) {
  return SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
}

// Registers a waiter on every object for the lifetime of one WaitAny call.
class Registration {
 public:
  Registration(std::span<Waitable* const> objects, detail::Waiter& waiter)
      : m_objects(objects), m_waiter(waiter) {
    for (Waitable* object : m_objects) {
      detail::WaitAccess::Add(*object, &m_waiter);
    }
  }
  ~Registration() {
    for (Waitable* object : m_objects) {
      detail::WaitAccess::Remove(*object, &m_waiter);
    }
  }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;

 private:
  std::span<Waitable* const> m_objects;
  detail::Waiter& m_waiter;
};

std::uint32_t TryInOrder(std::span<Waitable* const> objects) {
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (detail::WaitAccess::TryAcquire(*objects[i])) {
      return static_cast<std::uint32_t>(i);
    }
  }
  return kWaitTimeout;
}

}  // namespace

bool Waitable::Wait(std::uint32_t timeoutMs) {
  const auto deadline =
      timeoutMs == kInfinite ? SteadyClock::time_point::max() : DeadlineAfter(timeoutMs);
  std::unique_lock lock(m_mutex);
  if (TryAcquireLocked()) {
    return true;
  }
  if (timeoutMs == 0) {
    return false;
  }
  // Counted as waiting before WaitStarting tells anyone, so that they see the wait.
  ++m_singleWaits;
  lock.unlock();
  WaitStarting();
  lock.lock();
  auto taken = [this] { return TryAcquireLocked(); };
  bool got = true;
  if (timeoutMs == kInfinite) {
    m_changed.wait(lock, taken);
  } else {
    got = m_changed.wait_until(lock, deadline, taken);
  }
  --m_singleWaits;
  return got;
}

bool Waitable::HasWaiters() {
  std::lock_guard lock(m_mutex);
  return m_singleWaits > 0 || !m_waiters.empty();
}

void Waitable::NotifyLocked() {
  m_changed.notify_all();
  for (detail::Waiter* waiter : m_waiters) {
    {
      std::lock_guard lock(waiter->mutex);
      waiter->notified = true;
    }
    // Poked after its lock is let go, so that it does not wake only to block on that lock. It
    // stays alive meanwhile: its wait cannot unregister from this object while m_mutex is held.
    waiter->cv.notify_one();
  }
}

Event::Event(ResetMode mode, bool initiallySet)
    : m_manual(mode == ResetMode::Manual), m_set(initiallySet) {}

void Event::Set() {
  std::lock_guard lock(m_mutex);
  m_set = true;
  NotifyLocked();
}

void Event::Reset() {
  std::lock_guard lock(m_mutex);
  m_set = false;
}

bool Event::IsSet() {
  std::lock_guard lock(m_mutex);
  return m_set || PeriodPassedLocked(SteadyClock::now());
}

void Event::SetPeriod(SteadyClock::duration period) {
  std::lock_guard lock(m_mutex);
  m_period = period;
  m_lastTaken = SteadyClock::now();
}

bool Event::PeriodPassedLocked(SteadyClock::time_point now) const {
  return m_period > SteadyClock::duration::zero() && now - m_lastTaken >= m_period;
}

void Event::SetWaitSignal(std::shared_ptr<Event> signal) {
  std::lock_guard lock(m_mutex);
  m_waitSignal = std::move(signal);
}

void Event::WaitStarting() {
  std::shared_ptr<Event> signal;
  {
    std::lock_guard lock(m_mutex);
    signal = m_waitSignal;
  }
  if (signal) {
    signal->Set();
  }
}

bool Event::TryAcquireLocked() {
  if (m_period > SteadyClock::duration::zero()) {
    const auto now = SteadyClock::now();
    if (!m_set && !PeriodPassedLocked(now)) {
      return false;
    }
    m_set = false;
    m_lastTaken = now;
    return true;
  }
  if (!m_set) {
    return false;
  }
  if (!m_manual) {
    m_set = false;
  }
  return true;
}

Semaphore::Semaphore(std::uint32_t initial, std::uint32_t maximum)
    : m_count(std::min(initial, std::max<std::uint32_t>(maximum, 1))),
      m_maximum(std::max<std::uint32_t>(maximum, 1)) {}

bool Semaphore::Release(std::uint32_t count, std::uint32_t* previous) {
  std::lock_guard lock(m_mutex);
  if (previous != nullptr) {
    *previous = m_count;
  }
  if (count == 0 || count > m_maximum - m_count) {
    return false;
  }
  m_count += count;
  NotifyLocked();
  return true;
}

std::uint32_t Semaphore::Count() {
  std::lock_guard lock(m_mutex);
  return m_count;
}

bool Semaphore::TryAcquireLocked() {
  if (m_count == 0) {
    return false;
  }
  --m_count;
  return true;
}

std::uint32_t WaitAny(std::span<Waitable* const> objects, std::uint32_t timeoutMs) {
  if (objects.empty() || std::ranges::find(objects, nullptr) != objects.end()) {
    return kWaitFailed;
  }
  if (objects.size() == 1) {
    return objects[0]->Wait(timeoutMs) ? 0 : kWaitTimeout;
  }
  if (timeoutMs == 0) {
    return TryInOrder(objects);
  }
  const bool infinite = timeoutMs == kInfinite;
  const auto deadline = infinite ? SteadyClock::time_point::max() : DeadlineAfter(timeoutMs);
  // What is signalled already is taken without registering anywhere.
  if (const std::uint32_t index = TryInOrder(objects); index != kWaitTimeout) {
    return index;
  }
  detail::Waiter waiter;
  Registration registration(objects, waiter);
  for (;;) {
    {
      std::lock_guard lock(waiter.mutex);
      waiter.notified = false;
    }
    if (const std::uint32_t index = TryInOrder(objects); index != kWaitTimeout) {
      return index;
    }
    std::unique_lock lock(waiter.mutex);
    auto poked = [&waiter] { return waiter.notified; };
    if (infinite) {
      waiter.cv.wait(lock, poked);
    } else if (!waiter.cv.wait_until(lock, deadline, poked)) {
      lock.unlock();
      return TryInOrder(objects);
    }
  }
}

std::uint32_t WaitAny(std::initializer_list<Waitable*> objects, std::uint32_t timeoutMs) {
  return WaitAny(std::span<Waitable* const>(objects.begin(), objects.size()), timeoutMs);
}

}  // namespace platform
