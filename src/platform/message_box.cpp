#include "platform/message_box.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace platform {

namespace {

// Without a GUI: the box goes to stderr and is answered with its default button.
class StderrMessageBox final : public IMessageBox {
 public:
  int Show(std::string_view text, std::string_view caption, std::uint32_t flags) override {
    const std::string line =
        caption.empty() ? std::string(text) : std::string(caption) + ": " + std::string(text);
    std::fprintf(stderr, "%s\n", line.c_str());
    return DefaultAnswer(flags);
  }
};

struct Installed {
  std::mutex mutex;
  std::shared_ptr<IMessageBox> box;
};

Installed& Current() {
  static Installed installed;
  return installed;
}

std::shared_ptr<IMessageBox> StderrBox() {
  static const auto box = std::make_shared<StderrMessageBox>();
  return box;
}

}  // namespace

int DefaultAnswer(std::uint32_t flags) {
  switch (flags & 0xFu) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDYES;
    case MB_RETRYCANCEL:
      return IDRETRY;
    default:
      return IDOK;
  }
}

void SetMessageBox(std::shared_ptr<IMessageBox> box) {
  std::lock_guard lock(Current().mutex);
  Current().box = std::move(box);
}

std::shared_ptr<IMessageBox> GetMessageBox() {
  {
    std::lock_guard lock(Current().mutex);
    if (Current().box) {
      return Current().box;
    }
  }
  return StderrBox();
}

int ShowMessageBox(std::string_view text, std::string_view caption, std::uint32_t flags) {
  return GetMessageBox()->Show(text, caption, flags);
}

}  // namespace platform
