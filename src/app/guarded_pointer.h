// A pointer that its object publishes for other threads to call it through. A caller's call
// runs under the pointer's lock, and the object's withdrawal takes the same lock, so it waits
// for a call under way: once Withdraw has returned, no thread is inside the object or can reach
// it, and the object may go. Calls through the pointer must be short and must never wait for
// the thread that withdraws.
#pragma once

#include <atomic>
#include <mutex>
#include <utility>

namespace app {

template <typename T>
class GuardedPointer {
 public:
  GuardedPointer() = default;
  GuardedPointer(const GuardedPointer&) = delete;
  GuardedPointer& operator=(const GuardedPointer&) = delete;

  // Names object when no other one is named; true when it did.
  bool Publish(T* object) {
    const std::lock_guard lock(m_lock);
    if (m_object != nullptr)
      return false;
    m_object = object;
    return true;
  }

  // Stops naming object (when it is the one named) once a call under way through it returned.
  void Withdraw(const T* object) {
    m_withdrawing.fetch_add(1);
    {
      const std::lock_guard lock(m_lock);
      if (m_object == object)
        m_object = nullptr;
    }
    m_withdrawing.fetch_sub(1);
  }

  // Runs call(object) on the named object, which cannot be withdrawn meanwhile; false when no
  // object is named.
  template <typename Call>
  bool With(Call&& call) {
    const std::lock_guard lock(m_lock);
    if (m_object == nullptr)
      return false;
    std::forward<Call>(call)(*m_object);
    return true;
  }

  // The object named now. It may be withdrawn as soon as this returns: to compare, never to
  // call.
  const T* Named() const {
    const std::lock_guard lock(m_lock);
    return m_object;
  }

  // True while a Withdraw waits for the lock or holds it (a caller inside its call sees the
  // object going).
  bool Withdrawing() const { return m_withdrawing.load() != 0; }

 private:
  mutable std::mutex m_lock;
  T* m_object = nullptr;
  std::atomic<int> m_withdrawing{0};
};

}  // namespace app
