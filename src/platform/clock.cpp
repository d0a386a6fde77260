#include "platform/clock.h"

#include <ctime>

namespace platform {

std::uint32_t TickCount() {
  const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

LocalTime ToLocalTime(std::chrono::system_clock::time_point when) {
  const auto sinceEpoch = when.time_since_epoch();
  const auto wholeSeconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch - wholeSeconds);
  const std::time_t seconds = static_cast<std::time_t>(wholeSeconds.count());
  std::tm parts{};
  localtime_r(&seconds, &parts);
  LocalTime result;
  result.year = parts.tm_year + 1900;
  result.month = parts.tm_mon + 1;
  result.dayOfWeek = parts.tm_wday;
  result.day = parts.tm_mday;
  result.hour = parts.tm_hour;
  result.minute = parts.tm_min;
  result.second = parts.tm_sec;
  result.millisecond = static_cast<int>(ms.count());
  return result;
}

LocalTime GetLocalTime() {
  return ToLocalTime(std::chrono::system_clock::now());
}

void IClock::Sleep(std::uint32_t ms) {
  Event never;
  (void)Wait(never, ms);
}

std::uint32_t SystemClock::WaitAny(std::span<Waitable* const> objects, std::uint32_t timeoutMs) {
  return platform::WaitAny(objects, timeoutMs);
}

IClock& RealClock() {
  static SystemClock clock;
  return clock;
}

}  // namespace platform
