#include "app/engine_threads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <vector>

#include "app/trace.h"

namespace app {
namespace {

std::mutex& FieldLock() {
  static std::mutex lock;
  return lock;
}

std::atomic<std::uint32_t> g_NextThreadId{0x1000};

struct AbandonedThread {
  std::shared_ptr<platform::Thread> thread;
  ThreadGroup group = ThreadGroup::kOther;
};

struct Abandoned {
  std::mutex lock;
  std::vector<AbandonedThread> threads;
};

Abandoned& TheAbandoned() {
  static Abandoned abandoned;
  return abandoned;
}

}  // namespace

bool StartEngineThread(ThreadHandle& field, std::uint32_t& id, const char* name, ThreadBody body,
                       platform::ThreadPriority priority) {
  if (!body) {
    return false;
  }
  auto thread = std::make_unique<platform::Thread>();
  if (!thread->Start(name, std::move(body), priority)) {
    return false;
  }
  const std::lock_guard lock(FieldLock());
  if (field) {
    // A thread left in the field (it should have been stopped first): give it up properly.
    field->RequestStop();
    const std::lock_guard abandonedLock(TheAbandoned().lock);
    TheAbandoned().threads.push_back({std::move(field), ThreadGroup::kOther});
  }
  field = std::move(thread);
  id = g_NextThreadId.fetch_add(1);
  return true;
}

std::uint32_t StopEngineThread(const char* routine, const char* name, ThreadHandle& field,
                               std::uint32_t& id, std::uint32_t timeoutMs, ThreadIdFormat format,
                               bool traced, ThreadGroup group) {
  ThreadHandle thread;
  std::uint32_t threadId = 0;
  {
    const std::lock_guard lock(FieldLock());
    thread = std::move(field);
    threadId = id;
    id = 0;
  }
  if (!thread) {
    return 0;
  }
  const bool ended = thread->StopAndJoin(timeoutMs);
  const std::uint32_t code = ended ? 0 : platform::kForcedExitCode;
  if (traced) {
    const char* idFormat = format == ThreadIdFormat::Hex ? "%s: %s 0x%x is exit with code %u\n"
                                                         : "%s: %s 0x%lu is exit with code %u\n";
    std::string line =
        format == ThreadIdFormat::Hex
            ? FormatDebugText(idFormat, routine, name, threadId, code)
            : FormatDebugText(idFormat, routine, name, static_cast<unsigned long>(threadId), code);
    TraceLine(line);
  }
  if (!ended) {
    const std::lock_guard lock(TheAbandoned().lock);
    TheAbandoned().threads.push_back({std::move(thread), group});
  }
  return code;
}

bool EngineThreadRunning(const ThreadHandle& field) {
  const std::lock_guard lock(FieldLock());
  return field && field->IsRunning();
}

namespace {

bool InGroup(const AbandonedThread& entry, std::optional<ThreadGroup> group) {
  return !group || entry.group == *group;
}

// The abandoned threads of the group (all without one), taken under the lock: they are joined
// outside it, so a thread being given up meanwhile never waits for a join.
std::vector<std::shared_ptr<platform::Thread>> AbandonedOf(std::optional<ThreadGroup> group) {
  Abandoned& abandoned = TheAbandoned();
  const std::lock_guard lock(abandoned.lock);
  std::vector<std::shared_ptr<platform::Thread>> threads;
  for (const AbandonedThread& entry : abandoned.threads) {
    if (InGroup(entry, group)) {
      threads.push_back(entry.thread);
    }
  }
  return threads;
}

void Forget(const std::shared_ptr<platform::Thread>& ended) {
  Abandoned& abandoned = TheAbandoned();
  const std::lock_guard lock(abandoned.lock);
  std::erase_if(abandoned.threads,
                [&](const AbandonedThread& entry) { return entry.thread == ended; });
}

}  // namespace

std::size_t AbandonedThreadCount(std::optional<ThreadGroup> group) {
  std::size_t running = 0;
  for (const auto& thread : AbandonedOf(group)) {
    if (!thread->Join(0)) {
      ++running;
    }
  }
  return running;
}

bool WaitForAbandonedThreads(std::uint32_t timeoutMs, std::optional<ThreadGroup> group) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool allEnded = true;
  for (const auto& thread : AbandonedOf(group)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    const auto wait = static_cast<std::uint32_t>(std::max<std::int64_t>(left.count(), 0));
    if (thread->Join(wait)) {
      Forget(thread);
    } else {
      allEnded = false;
    }
  }
  return allEnded;
}

EventHandle LoadHandle(const EventHandle& field) {
  const std::lock_guard lock(FieldLock());
  return field;
}

SemaphoreHandle LoadHandle(const SemaphoreHandle& field) {
  const std::lock_guard lock(FieldLock());
  return field;
}

void StoreHandle(EventHandle& field, EventHandle value) {
  const std::lock_guard lock(FieldLock());
  field = std::move(value);
}

void StoreHandle(SemaphoreHandle& field, SemaphoreHandle value) {
  const std::lock_guard lock(FieldLock());
  field = std::move(value);
}

void SignalEvent(const EventHandle& field) {
  if (EventHandle event = LoadHandle(field)) {
    event->Set();
  }
}

void ResetEvent(const EventHandle& field) {
  if (EventHandle event = LoadHandle(field)) {
    event->Reset();
  }
}

}  // namespace app
