// The one way a test waits for what another thread (or the window's event loop) brings about:
// WaitUntil(done) looks at `done` until it holds, with a short pause between looks, and gives up
// after `limit` of real time. The limit only bounds a broken test; a passing one never comes
// near it, so machine load does not change the result. A test asserts on what WaitUntil
// returns, never on the state after a fixed sleep.
//
// In a program of windows the Qt test environment (fakes/qt_test_environment.h) installs a pump
// (SetWaitPump) that delivers the queued events before every look, so the windows' posted
// results and timers arrive while a test waits; a test that only wants the events queued so far
// delivered, without waiting for anything, calls that pump (PumpEvents) itself.
#pragma once

#include <chrono>
#include <thread>

namespace fakes {

inline constexpr std::chrono::milliseconds kWaitLimit{20000};

using WaitPump = void (*)();

namespace detail {
inline WaitPump g_waitPump = nullptr;
}  // namespace detail

// Runs `pump` between looks from now on (nullptr: nothing).
inline void SetWaitPump(WaitPump pump) {
  detail::g_waitPump = pump;
}

template <typename Done>
bool WaitUntil(Done&& done, std::chrono::milliseconds limit = kWaitLimit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (detail::g_waitPump != nullptr) {
      detail::g_waitPump();
    }
    if (done()) {
      return true;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// For work of many steps whose whole time is the machine's (thousands of exchanges, under a
// sanitizer and other load): waits until `done` holds, and gives up only when `progress()` has
// not changed for `limit`, so a slow machine takes longer and a stuck one still ends.
template <typename Done, typename Progress>
bool WaitUntilWhileMoving(Done&& done, Progress&& progress,
                          std::chrono::milliseconds limit = kWaitLimit) {
  auto last = progress();
  for (;;) {
    bool finished = false;
    const bool moved = WaitUntil(
        [&] {
          if (done()) {
            finished = true;
            return true;
          }
          const auto now = progress();
          if (now == last) {
            return false;
          }
          last = now;
          return true;
        },
        limit);
    if (finished) {
      return true;
    }
    if (!moved) {
      return false;
    }
  }
}

}  // namespace fakes
