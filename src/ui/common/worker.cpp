#include "ui/common/worker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <mutex>

namespace ui {
namespace {

// Time the GUI thread gives a thread whose body has handed over its result: it is returning.
constexpr std::uint32_t kEndingJoinMs = 1000;
constexpr std::uint32_t kDestroyStopMs = 100;

class DeliveryEvent final : public QEvent {
 public:
  DeliveryEvent(std::uint32_t generation, bool last, std::function<void()> delivery)
      : QEvent(Type()), m_generation(generation), m_last(last), m_delivery(std::move(delivery)) {}
  static QEvent::Type Type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }

  std::uint32_t m_generation;
  bool m_last;
  std::function<void()> m_delivery;
};

}  // namespace

namespace detail {

// Lives on the GUI thread and receives the deliveries of one worker's runs.
class WorkerMailbox final : public QObject {
 public:
  using Deliver = std::function<void(std::uint32_t, bool, const std::function<void()>&)>;
  explicit WorkerMailbox(Deliver deliver) : m_deliver(std::move(deliver)) {}

 protected:
  bool event(QEvent* event) override {
    if (event->type() != DeliveryEvent::Type())
      return QObject::event(event);
    const auto* delivery = static_cast<DeliveryEvent*>(event);
    // A delivery may end the window that owns the worker, and so this mailbox: nothing of it is
    // used once the delivery runs.
    const Deliver deliver = m_deliver;
    deliver(delivery->m_generation, delivery->m_last, delivery->m_delivery);
    return true;
  }

 private:
  Deliver m_deliver;
};

// Shared by the worker and its threads: a thread posts only while the mailbox exists.
struct WorkerLink {
  std::mutex lock;
  WorkerMailbox* mailbox = nullptr;

  void Post(std::uint32_t generation, bool last, std::function<void()> delivery) {
    const std::lock_guard guard(lock);
    if (mailbox != nullptr)
      QCoreApplication::postEvent(mailbox,
                                  new DeliveryEvent(generation, last, std::move(delivery)));
  }
};

}  // namespace detail

Worker::Worker() : m_link(std::make_shared<detail::WorkerLink>()) {}

Worker::~Worker() {
  if (platform::Thread* thread = m_slot->get();
      m_bRunning || (thread != nullptr && thread->IsRunning()))
    Stop(kDestroyStopMs);
  detail::WorkerMailbox* mailbox = nullptr;
  {
    const std::lock_guard guard(m_link->lock);
    mailbox = std::exchange(m_link->mailbox, nullptr);
  }
  // Deliveries still queued go with the mailbox.
  delete mailbox;
}

bool Worker::StartThread(std::string name,
                         std::function<void(const platform::StopToken&, const Poster&)> body) {
  platform::Thread* thread = Thread();
  if (m_bRunning || thread->IsRunning())
    return false;
  {
    const std::lock_guard guard(m_link->lock);
    if (m_link->mailbox == nullptr) {
      m_link->mailbox = new detail::WorkerMailbox(
          [this](std::uint32_t generation, bool last, const Delivery& delivery) {
            Deliver(generation, last, delivery);
          });
    }
  }
  const std::uint32_t generation = ++m_generation;
  Poster post = [link = m_link, generation](Delivery delivery, bool last) {
    link->Post(generation, last, std::move(delivery));
  };
  m_bRunning =
      thread->Start(std::move(name), [body = std::move(body), post](platform::StopToken stop) {
        body(stop, post);
        return 0u;
      });
  return m_bRunning;
}

void Worker::Deliver(std::uint32_t generation, bool last, const Delivery& delivery) {
  if (generation != m_generation || !m_bRunning) {
    if (last)
      ++m_nDroppedResults;
    return;
  }
  if (last) {
    // The body has handed over its result and is returning.
    if (*m_slot)
      (*m_slot)->StopAndJoin(kEndingJoinMs);
    m_bRunning = false;
  }
  const Delivery run = delivery;
  run();
}

bool Worker::Stop(std::uint32_t timeoutMs) {
  ++m_generation;
  m_bRunning = false;
  platform::Thread* thread = m_slot->get();
  if (thread == nullptr || !thread->IsStarted())
    return true;
  return thread->StopAndJoin(timeoutMs);
}

void Worker::UseThreadSlot(std::unique_ptr<platform::Thread>* slot) {
  m_slot = slot != nullptr ? slot : &m_ownThread;
}

platform::Thread* Worker::Thread() {
  if (!*m_slot)
    *m_slot = std::make_unique<platform::Thread>();
  return m_slot->get();
}

}  // namespace ui
