#include "ui/common/worker.h"

#include <QObject>

#include "ui/common/gui_inbox.h"

namespace ui {
namespace {

// Time the GUI thread gives a thread whose body has handed over its result: it is returning.
constexpr std::uint32_t kEndingJoinMs = 1000;
constexpr std::uint32_t kDestroyStopMs = 100;

}  // namespace

Worker::Worker() = default;

Worker::~Worker() {
  QObject::disconnect(m_contextGone);
  if (m_running || m_thread.IsRunning())
    Stop(kDestroyStopMs);
  // Deliveries still waiting go with the inbox, and a thread given up posts into nothing.
  m_inbox.reset();
}

bool Worker::StartThread(std::string name,
                         std::function<void(const platform::StopToken&, const Poster&)> body) {
  if (m_running || m_thread.IsRunning())
    return false;
  if (!m_inbox)
    m_inbox = std::make_unique<GuiInbox>();
  const std::uint32_t generation = ++m_generation;
  // The inbox runs what is posted only while it exists, and the worker owns it.
  Poster post = [sender = m_inbox->GetSender(), this, generation](Delivery delivery, bool last) {
    sender.Post([this, generation, last, delivery = std::move(delivery)] {
      Deliver(generation, last, delivery);
    });
  };
  m_running =
      m_thread.Start(std::move(name), [body = std::move(body), post](platform::StopToken stop) {
        body(stop, post);
        return 0u;
      });
  return m_running;
}

void Worker::Deliver(std::uint32_t generation, bool last, const Delivery& delivery) {
  if (generation != m_generation || !m_running) {
    if (last)
      ++m_droppedResults;
    return;
  }
  if (last) {
    // The body has handed over its result and is returning.
    m_thread.StopAndJoin(kEndingJoinMs);
    m_running = false;
  }
  const Delivery run = delivery;
  run();
}

bool Worker::Stop(std::uint32_t timeoutMs) {
  ++m_generation;
  m_running = false;
  if (!m_thread.IsStarted())
    return true;
  return m_thread.StopAndJoin(timeoutMs);
}

void Worker::TieTo(QObject& context) {
  QObject::disconnect(m_contextGone);
  m_contextGone = QObject::connect(&context, &QObject::destroyed, [this] { Stop(kWorkerStopMs); });
}

}  // namespace ui
