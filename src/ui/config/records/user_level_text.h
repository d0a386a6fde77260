// The user levels' texts, as the account and online-user lists show them.
#pragma once

#include <QString>
#include <cstdint>

namespace syscfg {

// The text of a user level (0, 10, 20 or 30); empty for any other value.
QString UserLevelText(std::uint32_t level);

}  // namespace syscfg
