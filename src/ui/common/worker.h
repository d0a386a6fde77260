// A window's worker thread with a cooperative stop. The body never touches a widget: it reports
// by posting user messages to the window's handle. Each start gets a new generation number that
// the body puts into its messages; after Stop the window ignores messages of older generations,
// so a thread that had to be abandoned cannot change the window any more.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/thread.h"

namespace ui {

class Worker {
 public:
  using Body = std::function<std::uint32_t(platform::StopToken stop, std::uint32_t generation)>;

  Worker() = default;
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;
  // Asks a running body to stop and waits briefly; an unfinished thread is abandoned.
  ~Worker();

  // Starts body on a new thread; false when one still runs or no thread could be made.
  bool Start(std::string name, Body body);
  // Asks the body to stop and waits up to timeoutMs. True when it ended; false when it was
  // abandoned (exit code 31). Either way later messages of this run are stale.
  bool Stop(std::uint32_t timeoutMs);
  bool IsRunning() const { return m_thread.IsRunning(); }
  std::uint32_t ExitCode() const { return m_thread.ExitCode(); }
  // The generation of the current run; messages carrying another number are stale.
  std::uint32_t Generation() const { return m_generation.load(); }
  bool IsCurrent(std::uint32_t generation) const { return generation == m_generation.load(); }

 private:
  platform::Thread m_thread;
  std::atomic<std::uint32_t> m_generation{0};
};

}  // namespace ui
