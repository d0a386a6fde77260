// The "/GetOnlineUser.cgi" reply: any bytes are stored or refused, and every listed entry's
// name, address, level and media flags are read within the entry.
#include <cstddef>
#include <cstdint>
#include <span>

#include "media/alarm_db/alarm_database.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CAlarmDatabase database;
  if (!database.StoreOnlineUsers(std::span<const std::uint8_t>(data, size)))
    return 0;
  const auto& users = database.OnlineUsers();
  const auto& used = database.UsedFlags();
  std::size_t listed = 0;
  for (std::size_t i = 0; i < users.size(); ++i) {
    if (used[i] != 1)
      continue;
    // A listed entry has a name of 1 to 16 bytes.
    const std::size_t name = users[i].Name().size();
    if (name == 0 || name > users[i].szName.size())
      __builtin_trap();
    (void)users[i].AddressOctets();
    (void)users[i].dwLevel;
    (void)users[i].MediaFlags();
    ++listed;
  }
  return listed <= kOnlineUserCount ? 0 : 1;
}
