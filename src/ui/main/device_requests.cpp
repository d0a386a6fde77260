#include "ui/main/device_requests.h"

#include "app/trace.h"

namespace mainwin {

bool DeviceRequestQueue::Queue(Request request) {
  if (m_waiting.size() >= kMaxWaiting) {
    DebugPrint("DeviceRequestQueue : %s dropped, %zu requests wait already\n", request.name.c_str(),
               m_waiting.size());
    Drop(request);
    return false;
  }
  m_waiting.push_back(std::move(request));
  StartNext();
  return true;
}

void DeviceRequestQueue::StartNext() {
  if (m_worker.IsRunning() || m_waiting.empty())
    return;
  Request next = std::move(m_waiting.front());
  m_waiting.pop_front();
  const bool started = m_worker.Start(
      std::move(next.name),
      [run = std::move(next.run)](const ui::WorkerRun<>& worker) { return run(worker.Token()); },
      [this](const Outcome& outcome) { OnRequestDone(outcome); });
  if (!started) {
    // No thread: this request and the ones behind it are given up.
    DebugPrint("DeviceRequestQueue : no thread for the request\n");
    Drop(next);
    DropWaiting();
  }
}

void DeviceRequestQueue::Drop(Request& request) {
  ++m_nDropped;
  if (request.dropped)
    request.dropped();
}

void DeviceRequestQueue::DropWaiting() {
  std::deque<Request> waiting = std::move(m_waiting);
  m_waiting.clear();
  for (Request& request : waiting)
    Drop(request);
}

void DeviceRequestQueue::OnRequestDone(const Outcome& outcome) {
  if (outcome.failed) {
    // The server refused or did not answer: what waits behind is not sent.
    DropWaiting();
  }
  // The next request is on its way before this one's completion runs (which may open a modal
  // window that sends more).
  StartNext();
  if (outcome.done)
    outcome.done();
}

void DeviceRequestQueue::Stop(std::uint32_t timeoutMs) {
  m_worker.Stop(timeoutMs);
  DropWaiting();
}

}  // namespace mainwin
