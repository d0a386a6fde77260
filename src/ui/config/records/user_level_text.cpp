#include "ui/config/records/user_level_text.h"

#include "ui/common/string_table.h"

namespace syscfg {

QString UserLevelText(std::uint32_t level) {
  switch (level) {
    case 0:
      return ui::LoadString(3013);
    case 10:
      return ui::LoadString(3012);
    case 20:
      return ui::LoadString(8332);
    case 30:
      return ui::LoadString(3011);
    default:
      return {};
  }
}

}  // namespace syscfg
