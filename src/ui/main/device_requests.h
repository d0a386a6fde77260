// The main window's requests to the server and the devices behind it (the panel keys, power,
// PTZ control, the hot point, the image-adjust record): one at a time on a worker, in the order
// asked, while the window goes on painting and taking input. Each request's result comes back
// typed to its completion on the GUI thread.
//
// A server that does not answer must not collect presses: a request that fails drops the
// requests waiting behind it (its completion shows the failure message, once), and at most
// kMaxWaiting wait; a request asked beyond them is dropped. A dropped request never runs: its
// `dropped` handler hears why, so that the window undoes what the press changed and, where no
// other message tells of it, says that the request did not go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>

#include "platform/thread.h"
#include "ui/common/worker.h"

namespace mainwin {

// Why a request never ran.
enum class DropCause {
  kFull,           // kMaxWaiting requests waited already when it was pushed
  kNoThread,       // no thread could be made for it
  kBehindFailure,  // a request before it failed (or found no thread), and that one tells
  kStopped,        // the queue was stopped, before or after the push
};

// Whether a drop of this cause is the user's only news of it: no failure message of another
// request covers it, and the window is not ending.
constexpr bool DropIsUntold(DropCause cause) {
  return cause == DropCause::kFull || cause == DropCause::kNoThread;
}

class DeviceRequestQueue {
 public:
  static constexpr std::size_t kMaxWaiting = 8;

  // Queues send (run on the worker) and its completion done (GUI thread). failed tells, from
  // the result, whether the requests waiting behind are dropped. A request that is dropped
  // (the queue is full, or one before it failed, or the queue was stopped) never runs;
  // `dropped`, when given, is called instead, on the GUI thread, with the cause. Requests
  // dropped together are told latest first, so that each can undo what its press changed in
  // the reverse order of the presses. False when it was dropped at once (dropped has run).
  template <typename Result>
  bool Push(std::string name, std::function<Result(const platform::StopToken&)> send,
            std::function<bool(const Result&)> failed, std::function<void(Result)> done,
            std::function<void(DropCause)> dropped = {}) {
    return Queue({std::move(name),
                  [send = std::move(send), failed = std::move(failed),
                   done = std::move(done)](const platform::StopToken& stop) {
                    Result result = send(stop);
                    const bool failure = failed(result);
                    return Outcome{failure, [done, result = std::move(result)] { done(result); }};
                  },
                  std::move(dropped)});
  }

  // The window's end: the request in flight is cut and the waiting ones are dropped; none of
  // their completions runs after this, and a request pushed later is dropped at once.
  void Stop(std::uint32_t timeoutMs = ui::kWorkerStopMs);
  bool Stopped() const { return m_bStopped; }
  // A request is on its way or waiting.
  bool Pending() const { return m_worker.IsRunning() || !m_waiting.empty(); }
  std::size_t Waiting() const { return m_waiting.size(); }
  // Requests dropped so far (behind a failed one, or beyond kMaxWaiting).
  std::size_t Dropped() const { return m_nDropped; }

 private:
  // What a request ends with: whether it failed, and its completion.
  struct Outcome {
    bool failed = false;
    std::function<void()> done;
  };
  struct Request {
    std::string name;
    std::function<Outcome(const platform::StopToken&)> run;
    std::function<void(DropCause)> dropped;
  };

  bool Queue(Request request);
  // Drops the waiting requests, latest first, telling each that wants to know.
  void DropWaiting(DropCause cause);
  void Drop(Request& request, DropCause cause);
  // Starts the first waiting request when none runs. False when no thread could be made: that
  // request and the ones behind it are dropped.
  bool StartNext();
  void OnRequestDone(const Outcome& outcome);

  ui::Worker m_worker;
  std::deque<Request> m_waiting;
  std::size_t m_nDropped = 0;
  bool m_bStopped = false;
};

}  // namespace mainwin
