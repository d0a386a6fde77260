// A window's worker thread with a cooperative stop and typed completions. The body runs on its
// own thread and never touches a widget: what it reports on the way and the value it returns
// are handed, as they are, to the window's functions on the GUI thread. Each start begins a new
// run; Stop ends the current one. The worker itself drops what a run that is no longer current
// hands over, so a thread that had to be abandoned cannot change the window any more, and a
// window never compares run numbers.
//
//   m_worker.Start("SyncServerTimeThread",
//                  [session](const ui::WorkerRun<>& run) { return Sync(session, run.Token()); },
//                  [this](int result) { OnSyncDone(result); });
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

#include <QMetaObject>

#include "platform/thread.h"

class QObject;

namespace ui {

class GuiInbox;

// How long a window waits for its worker's body to end when it stops a run (closing, a new
// request, the object the worker works for going); a body that does not end in time is abandoned.
inline constexpr std::uint32_t kWorkerStopMs = 1000;

// What a body sees of its run: the stop request, and the way to hand a report of type Progress
// to the GUI thread. Reports arrive in the order given, all before the run's result.
template <typename Progress = std::monostate>
class WorkerRun {
 public:
  using Post = std::function<void(std::function<void()> delivery)>;
  WorkerRun(platform::StopToken stop, Post post, std::function<void(Progress)> onProgress)
      : m_stop(std::move(stop)), m_post(std::move(post)), m_onProgress(std::move(onProgress)) {}

  const platform::StopToken& Token() const { return m_stop; }
  bool StopRequested() const { return m_stop.StopRequested(); }
  void Report(Progress progress) const {
    if (m_onProgress)
      m_post([onProgress = m_onProgress, progress = std::move(progress)] { onProgress(progress); });
  }

 private:
  platform::StopToken m_stop;
  Post m_post;
  std::function<void(Progress)> m_onProgress;
};

class Worker {
 public:
  Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;
  // Asks a running body to stop and waits briefly; an unfinished thread is abandoned. Nothing
  // of any run is delivered after this.
  ~Worker();

  // Starts body(const WorkerRun<>&) on a new thread; its result R is handed to done(R) (done()
  // for a void body) on the GUI thread, unless Stop or a new start came first. Call on the GUI
  // thread. False when a run still goes on or no thread could be made (done is not called).
  template <typename Body, typename Done>
  bool Start(std::string name, Body body, Done done) {
    return Start<std::monostate>(std::move(name), std::move(body),
                                 std::function<void(std::monostate)>(), std::move(done));
  }
  // The same with reports: body(const WorkerRun<Progress>&) may Report values that reach
  // onProgress(Progress) on the GUI thread while the run is current.
  template <typename Progress, typename Body, typename OnProgress, typename Done>
  bool Start(std::string name, Body body, OnProgress onProgress, Done done);

  // Asks the body to stop and waits up to timeoutMs. True when it ended; false when it was
  // abandoned (exit code 31). Either way nothing of this run is delivered any more.
  bool Stop(std::uint32_t timeoutMs = kWorkerStopMs);
  // Ties the worker to the object it works for (a page's window, a dialog): when that object is
  // destroyed, the run is stopped (kWorkerStopMs) and nothing of it is delivered any more. One
  // object at a time; tying again replaces the tie. Call on the GUI thread.
  void TieTo(QObject& context);
  // True from Start until the run's result has been handed over (or Stop).
  bool IsRunning() const { return m_running; }
  std::uint32_t ExitCode() const { return m_thread.ExitCode(); }
  // Results of runs that were no longer current when they arrived, dropped so far.
  int DroppedResults() const { return m_droppedResults; }

 private:
  using Delivery = std::function<void()>;
  // Posts a delivery of run `generation` to the GUI thread; `last` marks its result.
  using Poster = std::function<void(Delivery delivery, bool last)>;
  bool StartThread(std::string name,
                   std::function<void(const platform::StopToken&, const Poster&)> body);
  // On the GUI thread: a delivery of the current run runs, others are dropped. Before the
  // result runs, the ending thread is joined.
  void Deliver(std::uint32_t generation, bool last, const Delivery& delivery);

  // The thread of the runs, the worker's own.
  platform::Thread m_thread;
  // Where the runs' deliveries wait for the GUI thread (made by the first start).
  std::unique_ptr<GuiInbox> m_inbox;
  QMetaObject::Connection m_contextGone;
  std::uint32_t m_generation = 0;
  bool m_running = false;
  int m_droppedResults = 0;
};

template <typename Progress, typename Body, typename OnProgress, typename Done>
bool Worker::Start(std::string name, Body body, OnProgress onProgress, Done done) {
  using Run = WorkerRun<Progress>;
  using Result = std::invoke_result_t<Body&, const Run&>;
  std::function<void(Progress)> progress = std::move(onProgress);
  return StartThread(std::move(name), [body = std::move(body), progress = std::move(progress),
                                       done = std::move(done)](const platform::StopToken& stop,
                                                               const Poster& post) mutable {
    const Run run(
        stop, [&post](Delivery d) { post(std::move(d), false); }, progress);
    if constexpr (std::is_void_v<Result>) {
      body(run);
      post([done = std::move(done)]() mutable { done(); }, true);
    } else {
      post([done = std::move(done), result = body(run)]() mutable { done(std::move(result)); },
           true);
    }
  });
}

}  // namespace ui
