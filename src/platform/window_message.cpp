#include "platform/window_message.h"

#include <memory>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace platform {

namespace {

// A registered window. Deliveries hold the shared lock while they run the callback, so
// UnregisterWindow (exclusive lock) returns only once no delivery is under way.
struct WindowEntry {
  explicit WindowEntry(MessageCallback callback) : deliver(std::move(callback)) {}
  std::shared_mutex gate;
  bool alive = true;
  MessageCallback deliver;
};

struct WindowTable {
  std::mutex mutex;
  WindowHandle next = 1;
  std::unordered_map<WindowHandle, std::shared_ptr<WindowEntry>> windows;

  std::shared_ptr<WindowEntry> Find(WindowHandle window) {
    std::lock_guard lock(mutex);
    const auto it = windows.find(window);
    return it == windows.end() ? nullptr : it->second;
  }
};

WindowTable& Table() {
  static WindowTable table;
  return table;
}

}  // namespace

WindowHandle RegisterWindow(MessageCallback deliver) {
  auto entry = std::make_shared<WindowEntry>(std::move(deliver));
  WindowTable& table = Table();
  std::lock_guard lock(table.mutex);
  WindowHandle handle = table.next++;
  if (handle == kNoWindow) {
    handle = table.next++;  // after 2^32 registrations; never hand out 0
  }
  table.windows.emplace(handle, std::move(entry));
  return handle;
}

void UnregisterWindow(WindowHandle window) {
  std::shared_ptr<WindowEntry> entry;
  {
    WindowTable& table = Table();
    std::lock_guard lock(table.mutex);
    const auto it = table.windows.find(window);
    if (it == table.windows.end()) {
      return;
    }
    entry = std::move(it->second);
    table.windows.erase(it);
  }
  std::unique_lock gate(entry->gate);
  entry->alive = false;
}

bool IsWindow(WindowHandle window) {
  return window != kNoWindow && Table().Find(window) != nullptr;
}

bool PostMessage(WindowHandle window, std::uint32_t msg, WParam wParam, LParam lParam) {
  if (window == kNoWindow) {
    return false;
  }
  const std::shared_ptr<WindowEntry> entry = Table().Find(window);
  if (!entry) {
    return false;
  }
  std::shared_lock gate(entry->gate);
  if (!entry->alive || !entry->deliver) {
    return false;
  }
  entry->deliver(msg, wParam, lParam);
  return true;
}

}  // namespace platform
