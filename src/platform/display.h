// The display's resolution, in logical dots per inch, as the windows know it from the screen.
// The program installs the screen's values when its windows start; without a display (no
// windows, tests) every reader gets 96 dots per inch, the scale of 100 %.
#pragma once

#include <optional>

namespace platform {

inline constexpr int kDefaultDotsPerInch = 96;

struct DisplayCaps {
  int horizontalDpi = kDefaultDotsPerInch;
  int verticalDpi = kDefaultDotsPerInch;
  friend bool operator==(const DisplayCaps&, const DisplayCaps&) = default;
};

// Installs the display's values; nullopt removes them. A value below 1 counts as 96.
// Thread-safe.
void SetDisplayCaps(std::optional<DisplayCaps> caps);
// The installed values, or 96 by 96 when none are installed.
DisplayCaps ReadDisplayCaps();

}  // namespace platform
