// A login port for window tests, written by hand per test: lambdas that record each call in a
// CallLog and return prepared answers. A call that must stay open (a server that has not
// answered yet) waits on a Gate until the test opens it or the call's stop is requested, so a
// test sees the stop arrive as an event, never after a sleep.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sync.h"
#include "platform/thread.h"

namespace login_test {

// Calls of one port function, recorded from whatever thread makes them.
template <typename T>
class CallLog {
 public:
  void Add(T call) {
    const std::lock_guard guard(m_lock);
    m_calls.push_back(std::move(call));
  }
  std::vector<T> Calls() const {
    const std::lock_guard guard(m_lock);
    return m_calls;
  }
  std::size_t Count() const {
    const std::lock_guard guard(m_lock);
    return m_calls.size();
  }

 private:
  mutable std::mutex m_lock;
  std::vector<T> m_calls;
};

// Holds the calls that pass it until Open() or their stop request.
class Gate {
 public:
  // True when the gate was opened, false when the stop came first.
  bool Pass(const platform::StopToken& stop) {
    {
      const std::lock_guard guard(m_lock);
      ++m_nArrived;
    }
    return platform::WaitAny({&m_open, &stop.StopEvent()}, platform::kInfinite) == 0;
  }
  void Open() { m_open.Set(); }
  std::size_t Arrived() const {
    const std::lock_guard guard(m_lock);
    return m_nArrived;
  }

 private:
  platform::Event m_open{platform::ResetMode::Manual, false};
  mutable std::mutex m_lock;
  std::size_t m_nArrived = 0;
};

// The name the system shows for the calling thread (at most 15 characters).
inline std::string CurrentThreadName() {
  char name[16] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  return name;
}

}  // namespace login_test
