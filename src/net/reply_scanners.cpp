#include "net/reply_scanners.h"

#include <algorithm>

namespace {

constexpr std::string_view kOnlineUserKey = "online-user-num";
constexpr std::size_t kOnlineUserLabelLength = kOnlineUserKey.size() + 1;  // with ":"

}  // namespace

int ExtractField(std::string_view text, std::string& out, std::string_view key, char terminator) {
  out.clear();
  const std::size_t at = text.find(key);
  if (at == std::string_view::npos) {
    return -1;
  }
  const std::size_t from = at + key.size();
  std::size_t end = text.find(terminator, from);
  if (end == std::string_view::npos) {
    end = text.size();
  }
  out.assign(text.substr(from, end - from));
  return static_cast<int>(end);
}

void ParseOnlineUserNum(std::span<char> buffer) {
  const std::size_t textLength =
      static_cast<std::size_t>(std::find(buffer.begin(), buffer.end(), '\0') - buffer.begin());
  if (textLength >= kOnlineUserLabelLength || buffer.size() <= textLength) {
    return;
  }
  std::size_t matched = 0;
  for (char& c : buffer) {
    if (matched == kOnlineUserKey.size()) {
      break;
    }
    if (c == kOnlineUserKey[matched]) {
      ++matched;
    } else {
      c = '0';
    }
  }
}

int CountBelowFF(std::span<const std::uint8_t> data) {
  return static_cast<int>(std::find(data.begin(), data.end(), 0xFF) - data.begin());
}

int FindBytes(std::span<const std::uint8_t> data, std::span<const std::uint8_t> pattern) {
  if (data.size() < pattern.size()) {
    return 0;
  }
  for (std::size_t p = 0; p < data.size() - pattern.size(); ++p) {
    if (std::equal(pattern.begin(), pattern.end(), data.begin() + static_cast<std::ptrdiff_t>(p))) {
      return static_cast<int>(p);
    }
  }
  return 0;
}

int FindJpegEnd(std::span<const std::uint8_t> data) {
  for (std::size_t i = 0; i + 4 <= data.size(); ++i) {
    if (data[i] == 0xFF && data[i + 1] == 0xD9 && data[i + 2] == 0xFF && data[i + 3] == 0xFF) {
      return static_cast<int>(i + 1);
    }
  }
  return 0;
}
