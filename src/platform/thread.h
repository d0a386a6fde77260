// Threads with a cooperative stop request. A thread body receives a StopToken: it checks
// StopRequested(), puts StopEvent() into its WaitAny lists and sleeps with SleepFor so that a
// stop request ends every wait at once. A thread that does not end within the time-out of
// StopAndJoin reads exit code 31 and is detached: Linux cannot kill a thread safely, so the
// thread keeps its own state alive until it returns. Destroying a Thread whose body still runs
// asks it to stop and waits for it: an owner's members never go while its thread uses them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/sync.h"

namespace platform {

// Exit code of a thread that is still running (as the Win32 exit-code query reports it).
inline constexpr std::uint32_t kStillActive = 259;
// Exit code recorded for a thread that did not end within its stop time-out.
inline constexpr std::uint32_t kForcedExitCode = 31;

enum class ThreadPriority { Normal, Highest };

// Shared view of one thread's stop request. Cheap to copy; a default token never stops.
class StopToken {
 public:
  StopToken();
  bool StopRequested() const;
  // Manual-reset event set by the stop request; put it into WaitAny lists.
  Event& StopEvent() const { return *m_stop; }
  // Sleeps for ms milliseconds or until the stop request. Returns true when the whole time
  // passed, false when the stop request ended the sleep.
  bool SleepFor(std::uint32_t ms) const;

 private:
  friend class Thread;
  explicit StopToken(std::shared_ptr<Event> stop) : m_stop(std::move(stop)) {}
  std::shared_ptr<Event> m_stop;
};

// The methods may be called from several threads at once (two stop paths racing at shut-down).
class Thread {
 public:
  using Body = std::function<std::uint32_t(StopToken)>;

  Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;
  // A thread still running when its Thread is destroyed is asked to stop and joined (without a
  // time-out). A thread given up by StopAndJoin is not waited for.
  ~Thread();

  // Starts body on a new thread. name is shown by debuggers (cut to 15 characters). Highest
  // priority is asked for best-effort; a refusal is ignored. Returns false when a thread is
  // already running under this object or the system refuses a new thread. A finished thread
  // may be started again.
  bool Start(std::string name, Body body, ThreadPriority priority = ThreadPriority::Normal);

  // Sets the stop event seen by the body's StopToken.
  void RequestStop();
  StopToken GetStopToken() const;

  // Waits up to timeoutMs for the body to return. True when it has returned (or never ran);
  // also usable after a forced detach.
  bool Join(std::uint32_t timeoutMs = kInfinite);

  // RequestStop, then Join(timeoutMs). When the thread is still running afterwards its exit
  // code becomes kForcedExitCode and it is detached; the caller traces that. Returns true when
  // the thread ended by itself.
  bool StopAndJoin(std::uint32_t timeoutMs);

  // The body's return value, kStillActive while it runs, kForcedExitCode after a forced
  // detach, 0 when no thread was ever started.
  std::uint32_t ExitCode() const;
  // True from Start until the body returns. A thread given up by StopAndJoin counts as ended
  // (as a terminated thread would), and Start may run a new one.
  bool IsRunning() const;
  // True once Start succeeded (also after the thread ended).
  bool IsStarted() const;
  std::string Name() const;

 private:
  struct State;
  bool RunningLocked() const;

  mutable std::mutex m_mutex;
  std::shared_ptr<State> m_state;
  std::thread m_thread;
  std::string m_name;
  bool m_started = false;
  bool m_forced = false;
};

}  // namespace platform
