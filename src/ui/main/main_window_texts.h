// The texts the main window shows and the rates its painter measures, as plain functions: the
// status messages, the elapsed re-login time, the server address, the header time stamp, and the
// frame-rate and data-rate texts of the last two seconds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "media/system_time.h"

namespace mainwin {

// Codes of WM_SHOWSTATUS (lParam).
inline constexpr int kShowStatusElapsed = 0;
inline constexpr int kShowStatusStartLogin = 1;
inline constexpr int kShowStatusBusy = 2;
inline constexpr int kShowStatusFailed = 3;
inline constexpr int kShowStatusNothing = 4;
inline constexpr int kShowStatusConnected = 5;
inline constexpr int kShowStatusDisconnected = 6;
inline constexpr int kShowStatusTooMany = 7;
inline constexpr int kShowStatusStrip = 8;

// The status text a WM_SHOWSTATUS code sets (wParam the elapsed seconds for code 0); nullopt for
// the codes that set no text.
std::optional<std::string> ShowStatusText(int code, std::uint64_t wParam);
// "ESCAPED TIME:  " with the minutes and seconds in two digits each: 125 gives
// "ESCAPED TIME:  02:05".
std::string EscapedTimeText(std::uint64_t seconds);

// "IP:" with the four numbers of a dotted address; a host name (anything that is not four
// dotted numbers 0..255) as it stands after "IP:".
std::string AddressText(const std::string& host);

// "year/mm/dd hh:mm:ss".
std::string StampTimeText(const SystemTime& time);

// One update of the painter's rates, every two seconds or more.
struct RateSample {
  std::uint32_t frames = 0;  // frames shown since the last update
  std::uint64_t bytes = 0;   // bytes received since the last update
  std::uint32_t elapsedMs = 0;
  std::uint8_t standard = 1;  // 1 NTSC (at most 30 frames a second), else PAL (25)
};
// True when the update is due: elapsed, read as a signed number, is at least 2000 ms.
bool RateUpdateDue(std::uint32_t elapsedMs);
// Frames x 1000 / elapsed, with the standard's cap applied to rates whose integer part is above
// it (25.9 stays, 27.3 becomes 25.0 in PAL).
float FrameRate(const RateSample& sample);
// ((bytes x 1000 / elapsed) x 8) / 1024 in 64 bits: 5,000,000 bytes in 2 s is 19531.
std::uint32_t DataRateKbps(const RateSample& sample);
// "FR:12.50 fps " and "DR:11 kbps ".
std::string FrameRateText(float rate);
std::string DataRateText(std::uint32_t kbps);

}  // namespace mainwin
