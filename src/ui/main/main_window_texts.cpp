#include "ui/main/main_window_texts.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <vector>

#include "app/utility.h"

namespace mainwin {

std::optional<std::string> ShowStatusText(int code, std::uint64_t wParam) {
  switch (code) {
    case kShowStatusElapsed:
      return EscapedTimeText(wParam);
    case kShowStatusStartLogin:
      return std::string("Start login");
    case kShowStatusBusy:
      return std::string("Server is too busy!! Try later !!");
    case kShowStatusFailed:
      return std::string("Login process is failed,wait a moment !!");
    case kShowStatusTooMany:
      return std::string(
          "System relogin too many times.Wait for 40 sec!!\nApplication will try "
          "again.");
    default:
      return std::nullopt;
  }
}

std::string EscapedTimeText(std::uint64_t seconds) {
  return "ESCAPED TIME:  " + FormatTwoDigits(static_cast<int>((seconds / 60) % 100)) + ":" +
         FormatTwoDigits(static_cast<int>(seconds % 60));
}

std::string AddressText(const std::string& host) {
  std::vector<int> parts;
  std::size_t start = 0;
  bool dotted = true;
  while (dotted) {
    const std::size_t dot = host.find('.', start);
    const std::string part = host.substr(start, dot == std::string::npos ? dot : dot - start);
    int value = -1;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    dotted = !part.empty() && part.size() <= 3 && error == std::errc() &&
             end == part.data() + part.size() && value >= 0 && value <= 255;
    if (dotted)
      parts.push_back(value);
    if (dot == std::string::npos)
      break;
    start = dot + 1;
  }
  if (!dotted || parts.size() != 4)
    return "IP:" + host;
  char text[32];
  std::snprintf(text, sizeof text, "IP:%d.%d.%d.%d", parts[0], parts[1], parts[2], parts[3]);
  return text;
}

std::string StampTimeText(const SystemTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%lu/%.2lu/%.2lu %.2lu:%.2lu:%.2lu",
                static_cast<unsigned long>(time.wYear), static_cast<unsigned long>(time.wMonth),
                static_cast<unsigned long>(time.wDay), static_cast<unsigned long>(time.wHour),
                static_cast<unsigned long>(time.wMinute), static_cast<unsigned long>(time.wSecond));
  return text;
}

bool RateUpdateDue(std::uint32_t elapsedMs) {
  const auto signedElapsed = static_cast<std::int32_t>(elapsedMs);
  return signedElapsed >= 2000;
}

float FrameRate(const RateSample& sample) {
  if (sample.elapsedMs == 0)
    return 0.0f;
  float rate = static_cast<float>(sample.frames) * 1000.0f / static_cast<float>(sample.elapsedMs);
  const int whole = static_cast<int>(rate);
  if (sample.standard == 1) {
    if (whole > 30)
      rate = 30.0f;
  } else if (whole > 25) {
    rate = 25.0f;
  }
  return rate;
}

std::uint32_t DataRateKbps(const RateSample& sample) {
  if (sample.elapsedMs == 0)
    return 0;
  const std::uint64_t perSecond = sample.bytes * 1000u / sample.elapsedMs;
  const std::uint64_t kbps = (perSecond * 8u) / 1024u;
  return kbps > std::numeric_limits<std::uint32_t>::max()
             ? std::numeric_limits<std::uint32_t>::max()
             : static_cast<std::uint32_t>(kbps);
}

std::string FrameRateText(float rate) {
  char text[48];
  std::snprintf(text, sizeof text, "FR:%.2f fps ", static_cast<double>(rate));
  return text;
}

std::string DataRateText(std::uint32_t kbps) {
  char text[48];
  std::snprintf(text, sizeof text, "DR:%lu kbps ", static_cast<unsigned long>(kbps));
  return text;
}

}  // namespace mainwin
