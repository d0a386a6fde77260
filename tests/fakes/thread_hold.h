// Holds a thread at a point of its work, once armed: the thread that reaches the point first
// waits there, deaf to its stop request, as a thread the scheduler does not run (a stalled or
// starved process, a paused machine) would stand, until the test releases it. Later arrivals
// pass at once.
#pragma once

#include <atomic>

#include "platform/sync.h"

namespace fakes {

class ThreadHold {
 public:
  void Arm() { m_armed = true; }
  // The point: called by the thread under test.
  void At() {
    if (!m_armed.exchange(false))
      return;
    m_held.Set();
    m_release.Wait(platform::kInfinite);
  }
  // Waits (real time, bounded) until a thread is held.
  bool WaitHeld() { return m_held.Wait(20000); }
  void Release() { m_release.Set(); }

 private:
  std::atomic<bool> m_armed{false};
  platform::Event m_held{platform::ResetMode::Manual};
  platform::Event m_release{platform::ResetMode::Manual};
};

}  // namespace fakes
