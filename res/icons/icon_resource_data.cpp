// The program's icon resources: the program's icon (the about box's picture).
#include <array>

#include "ui/common/control_images.h"
#include "ui/main/about_dlg.h"

namespace ui {

std::span<const IconResource> IconResourceEntries() {
  static constexpr std::array<IconResource, 1> kEntries = {{{IDI_PROGRAM, &KavelinIconPixmap}}};
  return kEntries;
}

}  // namespace ui
