// The alarm database file and the online-user reply body: any bytes must be parsed or refused
// without reading outside them.
#include <cstddef>
#include <cstdint>
#include <span>

#include "media/alarm_db/alarm_database.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  AlarmDataError error{};
  if (auto records = ParseAlarmData(bytes, &error)) {
    for (const auto& record : *records) {
      (void)record.FileName();
      (void)record.Server();
    }
  }
  static CAlarmDatabase database;
  database.StoreOnlineUsers(bytes);
  return 0;
}
