#include "ui/main/device_requests.h"

#include "app/trace.h"

namespace mainwin {

bool DeviceRequestQueue::Queue(Request request) {
  if (m_bStopped) {
    DebugPrint("DeviceRequestQueue : %s dropped, the window has ended\n", request.name.c_str());
    Drop(request, DropCause::kStopped);
    return false;
  }
  if (m_waiting.size() >= kMaxWaiting) {
    DebugPrint("DeviceRequestQueue : %s dropped, %zu requests wait already\n", request.name.c_str(),
               m_waiting.size());
    Drop(request, DropCause::kFull);
    return false;
  }
  m_waiting.push_back(std::move(request));
  return StartNext();
}

bool DeviceRequestQueue::StartNext() {
  if (m_bStopped || m_worker.IsRunning() || m_waiting.empty())
    return true;
  Request next = std::move(m_waiting.front());
  m_waiting.pop_front();
  const bool started = m_worker.Start(
      std::move(next.name),
      [run = std::move(next.run)](const ui::WorkerRun<>& worker) { return run(worker.Token()); },
      [this](const Outcome& outcome) { OnRequestDone(outcome); });
  if (started)
    return true;
  // No thread: this request and the ones behind it are given up; this one tells.
  DebugPrint("DeviceRequestQueue : no thread for the request\n");
  DropWaiting(DropCause::kBehindFailure);
  Drop(next, DropCause::kNoThread);
  return false;
}

void DeviceRequestQueue::Drop(Request& request, DropCause cause) {
  ++m_nDropped;
  if (request.dropped)
    request.dropped(cause);
}

void DeviceRequestQueue::DropWaiting(DropCause cause) {
  // Taken out first: a handler may push again (or open a modal window that does).
  std::deque<Request> waiting = std::move(m_waiting);
  m_waiting.clear();
  for (auto request = waiting.rbegin(); request != waiting.rend(); ++request)
    Drop(*request, cause);
}

void DeviceRequestQueue::OnRequestDone(const Outcome& outcome) {
  if (outcome.failed) {
    // The server refused or did not answer: what waits behind is not sent.
    DropWaiting(DropCause::kBehindFailure);
  }
  // The next request is on its way before this one's completion runs (which may open a modal
  // window that sends more).
  StartNext();
  if (outcome.done)
    outcome.done();
}

void DeviceRequestQueue::Stop(std::uint32_t timeoutMs) {
  m_bStopped = true;
  m_worker.Stop(timeoutMs);
  DropWaiting(DropCause::kStopped);
}

}  // namespace mainwin
