#include "ui/common/worker.h"

namespace ui {

Worker::~Worker() {
  if (m_thread.IsRunning())
    Stop(100);
}

bool Worker::Start(std::string name, Body body) {
  if (m_thread.IsRunning())
    return false;
  const std::uint32_t generation = ++m_generation;
  return m_thread.Start(std::move(name),
                        [body = std::move(body), generation](platform::StopToken stop) {
                          return body(stop, generation);
                        });
}

bool Worker::Stop(std::uint32_t timeoutMs) {
  ++m_generation;
  if (!m_thread.IsStarted())
    return true;
  return m_thread.StopAndJoin(timeoutMs);
}

}  // namespace ui
