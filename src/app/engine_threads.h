// Starting and stopping the engine's threads and swapping the handles that several threads
// read. A thread is stopped by its stop request and waited for with its time-out; one that is
// still running then is given up: the trace says it "is exit with code 31", its exit code reads
// 31, and it is kept in a list of abandoned threads so that shut-down can tell whether memory it
// may still touch can be freed, and a session's rebuild whether the streams of the session
// before it are gone (see WaitForAbandonedThreads).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/app_data.h"
#include "app/app_seams.h"

namespace app {

// How the thread id is printed in a stop line: "0x%x" or "0x%lu".
enum class ThreadIdFormat { Hex, Decimal };

// What a given-up thread may still touch. A session's stream threads (receivers, compose, show,
// audio play, receiver report) use the rings, their indexes, the decoder and the slot records,
// which the next session's rebuild resets and reuses; other threads use state of their own.
enum class ThreadGroup { kOther, kSession };

// Creates and starts a thread into `field` and gives it a new id in `id`. False (field left
// empty) when body is empty or the thread cannot be created. Priority Highest is best-effort.
bool StartEngineThread(ThreadHandle& field, std::uint32_t& id, const char* name, ThreadBody body,
                       platform::ThreadPriority priority = platform::ThreadPriority::Normal);

// Stops the thread in `field` within timeoutMs and clears the field (and the id). With traced
// set, writes "<routine>: <name> 0x<id> is exit with code <0 or 31>\n". Nothing happens when
// the field is empty, so a second shut-down run finds nothing to do. Returns the exit code
// (0 when there was no thread).
std::uint32_t StopEngineThread(const char* routine, const char* name, ThreadHandle& field,
                               std::uint32_t& id, std::uint32_t timeoutMs,
                               ThreadIdFormat format = ThreadIdFormat::Hex, bool traced = true,
                               ThreadGroup group = ThreadGroup::kOther);

// True while the field holds a thread that has not ended.
bool EngineThreadRunning(const ThreadHandle& field);

// Threads given up by StopEngineThread that may still run (of the group, or all).
std::size_t AbandonedThreadCount(std::optional<ThreadGroup> group = std::nullopt);
// Waits up to timeoutMs (real time) for every abandoned thread (of the group, or all) to end.
// True when none runs; it returns as soon as the last one ends.
bool WaitForAbandonedThreads(std::uint32_t timeoutMs,
                             std::optional<ThreadGroup> group = std::nullopt);

// Reads and writes of event and semaphore fields that other threads read at any time (the
// mailbox, the stream-stop and loss-report events) go through one lock.
EventHandle LoadHandle(const EventHandle& field);
SemaphoreHandle LoadHandle(const SemaphoreHandle& field);
void StoreHandle(EventHandle& field, EventHandle value);
void StoreHandle(SemaphoreHandle& field, SemaphoreHandle value);
// Sets the event when the field holds one.
void SignalEvent(const EventHandle& field);
void ResetEvent(const EventHandle& field);

}  // namespace app
