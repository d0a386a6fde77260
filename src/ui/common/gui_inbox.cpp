#include "ui/common/gui_inbox.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <deque>
#include <mutex>

namespace ui {
namespace {

QEvent::Type WakeType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

}  // namespace

struct GuiInbox::Sender::State {
  std::mutex lock;
  std::deque<Item> items;
  QObject* receiver = nullptr;  // null once the inbox is gone
  bool wakePending = false;
};

class GuiInbox::Receiver final : public QObject {
 public:
  explicit Receiver(std::shared_ptr<Sender::State> state) : m_state(std::move(state)) {}

 protected:
  bool event(QEvent* event) override {
    if (event->type() != WakeType())
      return QObject::event(event);
    // The items run in order. An item may run a nested event loop (a modal window), in which
    // the items after it must still arrive: while items wait behind the one about to run, a
    // wake is pending for them. An item may also end the inbox (its window closes): the state
    // is held here, and this object is not used once an item has run.
    const std::shared_ptr<Sender::State> state = m_state;
    QObject* const self = this;
    for (;;) {
      Item item;
      {
        const std::lock_guard guard(state->lock);
        if (state->receiver != self || state->items.empty()) {
          state->wakePending = false;
          return true;
        }
        item = std::move(state->items.front());
        state->items.pop_front();
        state->wakePending = !state->items.empty();
        if (state->wakePending)
          QCoreApplication::postEvent(self, new QEvent(WakeType()));
      }
      item();
    }
  }

 private:
  std::shared_ptr<Sender::State> m_state;
};

bool GuiInbox::Sender::Post(Item item) const {
  if (!m_state)
    return false;
  const std::lock_guard guard(m_state->lock);
  if (m_state->receiver == nullptr)
    return false;
  m_state->items.push_back(std::move(item));
  if (!m_state->wakePending) {
    m_state->wakePending = true;
    // A bare event: nothing of the item travels through Qt's queue.
    QCoreApplication::postEvent(m_state->receiver, new QEvent(WakeType()));
  }
  return true;
}

GuiInbox::GuiInbox() {
  m_sender.m_state = std::make_shared<Sender::State>();
  m_receiver = std::make_unique<Receiver>(m_sender.m_state);
  m_sender.m_state->receiver = m_receiver.get();
}

GuiInbox::~GuiInbox() {
  std::deque<Item> dropped;
  {
    const std::lock_guard guard(m_sender.m_state->lock);
    m_sender.m_state->receiver = nullptr;
    dropped.swap(m_sender.m_state->items);
  }
  // The items go outside the lock (they may hold what posts again); the wake goes with the
  // receiver.
  dropped.clear();
  m_receiver.reset();
}

void GuiInbox::Clear() {
  std::deque<Item> dropped;
  const std::lock_guard guard(m_sender.m_state->lock);
  dropped.swap(m_sender.m_state->items);
}

}  // namespace ui
