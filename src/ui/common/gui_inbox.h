// Work handed from any thread to the GUI thread, in order. A sender puts an item into the inbox's
// queue under its lock and wakes the inbox through an event descriptor that the GUI thread's
// event loop watches; the inbox takes the items out under the same lock and runs them on the
// GUI thread. Everything an item carries is made on the sender's thread and seen by the GUI
// thread through that lock: nothing travels through Qt's event queue (whose locks, inside the Qt
// library, a race checker cannot see), and the sender allocates nothing of Qt's.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace ui {

class GuiInbox {
 public:
  using Item = std::function<void()>;

  // Lives on the thread that makes it (the GUI thread): its items run there.
  GuiInbox();
  // Items not yet run are dropped, and later posts are refused.
  ~GuiInbox();
  GuiInbox(const GuiInbox&) = delete;
  GuiInbox& operator=(const GuiInbox&) = delete;

  // What other threads post through; it may outlive the inbox (its posts are then refused).
  class Sender {
   public:
    // Any thread. False when the inbox is gone.
    bool Post(Item item) const;

   private:
    friend class GuiInbox;
    struct State;
    std::shared_ptr<State> m_state;
  };

  Sender GetSender() const { return m_sender; }
  bool Post(Item item) const { return m_sender.Post(std::move(item)); }
  // Drops the items not yet run (GUI thread).
  void Clear();

 private:
  // On the GUI thread, when woken: runs the items in order.
  void RunItems();

  Sender m_sender;
  std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace ui
