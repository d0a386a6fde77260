#include "ui/common/gui_inbox.h"

#include <QSocketNotifier>
#include <cstdint>
#include <deque>
#include <mutex>

#include <sys/eventfd.h>
#include <unistd.h>

namespace ui {

struct GuiInbox::Sender::State {
  State() : wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  ~State() {
    if (wake >= 0)
      ::close(wake);
  }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  // Sets the event descriptor: the GUI thread's loop sees it readable.
  void Wake() const {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake, &one, sizeof one);
  }
  // Takes the wake back (GUI thread).
  void TakeWake() const {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t taken = ::read(wake, &count, sizeof count);
  }

  const int wake;
  std::mutex lock;
  std::deque<Item> items;
  bool open = true;  // false once the inbox is gone
};

bool GuiInbox::Sender::Post(Item item) const {
  if (!m_state)
    return false;
  const std::lock_guard guard(m_state->lock);
  if (!m_state->open)
    return false;
  m_state->items.push_back(std::move(item));
  m_state->Wake();
  return true;
}

GuiInbox::GuiInbox() {
  m_sender.m_state = std::make_shared<Sender::State>();
  m_notifier = std::make_unique<QSocketNotifier>(m_sender.m_state->wake, QSocketNotifier::Read);
  QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { RunItems(); });
}

GuiInbox::~GuiInbox() {
  std::deque<Item> dropped;
  {
    const std::lock_guard guard(m_sender.m_state->lock);
    m_sender.m_state->open = false;
    dropped.swap(m_sender.m_state->items);
  }
  // The items go outside the lock (they may hold what posts again).
  dropped.clear();
  m_notifier.reset();
}

void GuiInbox::RunItems() {
  // The items run in order. An item may run a nested event loop (a modal window), in which
  // the items after it must still arrive: while items wait behind the one about to run, the
  // descriptor stays set. An item may also end the inbox (its window closes): the state is held
  // here, and this object is not used once an item has run. One call runs at most the items
  // that were waiting when it began: a thread that posts faster than the items run must not keep
  // the GUI thread here (its windows would stop painting); what came later stays flagged on the
  // descriptor and runs on the event loop's next turn.
  const std::shared_ptr<Sender::State> state = m_sender.m_state;
  std::size_t budget = 0;
  {
    const std::lock_guard guard(state->lock);
    state->TakeWake();
    budget = state->items.size();
  }
  for (; budget > 0; --budget) {
    Item item;
    {
      const std::lock_guard guard(state->lock);
      if (!state->open || state->items.empty())
        return;
      item = std::move(state->items.front());
      state->items.pop_front();
      if (!state->items.empty())
        state->Wake();
    }
    item();
  }
}

void GuiInbox::Clear() {
  std::deque<Item> dropped;
  const std::lock_guard guard(m_sender.m_state->lock);
  dropped.swap(m_sender.m_state->items);
}

}  // namespace ui
