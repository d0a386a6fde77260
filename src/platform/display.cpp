#include "platform/display.h"

#include <mutex>

namespace platform {

namespace {

struct Installed {
  std::mutex lock;
  DisplayCaps caps;
};

Installed& TheDisplay() {
  static Installed installed;
  return installed;
}

int Sane(int dpi) {
  return dpi >= 1 ? dpi : kDefaultDotsPerInch;
}

}  // namespace

void SetDisplayCaps(std::optional<DisplayCaps> caps) {
  const DisplayCaps next =
      caps ? DisplayCaps{Sane(caps->horizontalDpi), Sane(caps->verticalDpi)} : DisplayCaps{};
  Installed& installed = TheDisplay();
  const std::lock_guard guard(installed.lock);
  installed.caps = next;
}

DisplayCaps ReadDisplayCaps() {
  Installed& installed = TheDisplay();
  const std::lock_guard guard(installed.lock);
  return installed.caps;
}

}  // namespace platform
