// The 16-byte calendar record that packet time stamps are converted into and that frame
// descriptors and record files carry: eight little-endian u16 fields in this order.
#pragma once

#include <array>
#include <cstdint>

struct SystemTime {
  std::uint16_t wYear = 0;
  std::uint16_t wMonth = 0;
  std::uint16_t wDayOfWeek = 0;  // 0 = Sunday
  std::uint16_t wDay = 0;
  std::uint16_t wHour = 0;
  std::uint16_t wMinute = 0;
  std::uint16_t wSecond = 0;
  std::uint16_t wMilliseconds = 0;
  friend bool operator==(const SystemTime&, const SystemTime&) = default;

  // The record's 16 bytes as they are stored, little-endian.
  std::array<std::uint8_t, 16> Bytes() const {
    const std::array<std::uint16_t, 8> words{wYear, wMonth,  wDayOfWeek, wDay,
                                             wHour, wMinute, wSecond,    wMilliseconds};
    std::array<std::uint8_t, 16> out{};
    for (std::size_t i = 0; i < words.size(); ++i) {
      out[2 * i] = static_cast<std::uint8_t>(words[i] & 0xFF);
      out[2 * i + 1] = static_cast<std::uint8_t>(words[i] >> 8);
    }
    return out;
  }
};
