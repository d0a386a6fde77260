#include "platform/thread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <system_error>

namespace platform {

namespace {

void NameCurrentThread(const std::string& name) {
  // The kernel keeps at most 15 characters.
  const std::string shortName = name.substr(0, 15);
  pthread_setname_np(pthread_self(), shortName.c_str());
}

// Best effort: a higher scheduling priority needs privileges most users lack, and the thread
// runs on at normal priority when it is refused.
void RaiseCurrentThreadPriority() {
  const auto tid = static_cast<id_t>(syscall(SYS_gettid));
  (void)setpriority(PRIO_PROCESS, tid, -10);
}

}  // namespace

StopToken::StopToken() : m_stop(std::make_shared<Event>(ResetMode::Manual)) {}

bool StopToken::StopRequested() const {
  return m_stop->IsSet();
}

bool StopToken::SleepFor(std::uint32_t ms) const {
  return !m_stop->Wait(ms);
}

// Shared by the Thread object and its running thread, so a detached thread never touches a
// destroyed object.
struct Thread::State {
  std::shared_ptr<Event> stop = std::make_shared<Event>(ResetMode::Manual);
  Event finished{ResetMode::Manual};
  std::atomic<std::uint32_t> exitCode{kStillActive};
};

Thread::Thread() : m_state(std::make_shared<State>()) {}

Thread::~Thread() {
  // The body may use objects that die right after this one (the owner's other members): it
  // must have returned before the destructor does. Only StopAndJoin gives a thread up.
  if (m_thread.joinable()) {
    m_state->stop->Set();
    m_thread.join();
  }
}

bool Thread::Start(std::string name, Body body, ThreadPriority priority) {
  std::lock_guard lock(m_mutex);
  if (RunningLocked()) {
    return false;
  }
  // A thread given up by StopAndJoin is already detached; this object is free for a new one.
  if (m_thread.joinable()) {
    m_thread.join();
  }
  auto state = std::make_shared<State>();
  try {
    m_thread = std::thread([state, body = std::move(body), name, priority]() mutable {
      NameCurrentThread(name);
      if (priority == ThreadPriority::Highest) {
        RaiseCurrentThreadPriority();
      }
      const std::uint32_t code = body(StopToken(state->stop));
      state->exitCode.store(code);
      state->finished.Set();
    });
  } catch (const std::system_error&) {
    return false;
  }
  m_state = std::move(state);
  m_name = std::move(name);
  m_started = true;
  m_forced = false;
  return true;
}

void Thread::RequestStop() {
  std::lock_guard lock(m_mutex);
  m_state->stop->Set();
}

StopToken Thread::GetStopToken() const {
  std::lock_guard lock(m_mutex);
  return StopToken(m_state->stop);
}

bool Thread::Join(std::uint32_t timeoutMs) {
  std::shared_ptr<State> state;
  {
    std::lock_guard lock(m_mutex);
    if (!m_started) {
      return true;
    }
    state = m_state;
  }
  if (!state->finished.Wait(timeoutMs)) {
    return false;
  }
  std::lock_guard lock(m_mutex);
  if (m_state == state && m_thread.joinable()) {
    m_thread.join();  // the body has returned: this only reaps the thread
  }
  return true;
}

bool Thread::StopAndJoin(std::uint32_t timeoutMs) {
  RequestStop();
  if (Join(timeoutMs)) {
    return true;
  }
  std::lock_guard lock(m_mutex);
  if (m_state->finished.IsSet()) {
    // Ended just after the time-out.
    if (m_thread.joinable()) {
      m_thread.join();
    }
    return true;
  }
  m_forced = true;
  if (m_thread.joinable()) {
    m_thread.detach();
  }
  return false;
}

std::uint32_t Thread::ExitCode() const {
  std::lock_guard lock(m_mutex);
  if (m_forced) {
    return kForcedExitCode;
  }
  return m_started ? m_state->exitCode.load() : 0;
}

bool Thread::IsRunning() const {
  std::lock_guard lock(m_mutex);
  return RunningLocked();
}

bool Thread::RunningLocked() const {
  return m_started && !m_forced && !m_state->finished.IsSet();
}

bool Thread::IsStarted() const {
  std::lock_guard lock(m_mutex);
  return m_started;
}

std::string Thread::Name() const {
  std::lock_guard lock(m_mutex);
  return m_name;
}

}  // namespace platform
