// Colours given as Windows COLORREF values (0x00BBGGRR: red in the low byte) become QColor
// through this one helper, so the byte order is decided in one place.
#pragma once

#include <QColor>
#include <cstdint>

namespace ui {

constexpr int ColorRefRed(std::uint32_t ref) {
  return static_cast<int>(ref & 0xFF);
}
constexpr int ColorRefGreen(std::uint32_t ref) {
  return static_cast<int>((ref >> 8) & 0xFF);
}
constexpr int ColorRefBlue(std::uint32_t ref) {
  return static_cast<int>((ref >> 16) & 0xFF);
}

inline QColor FromColorRef(std::uint32_t ref) {
  return QColor(ColorRefRed(ref), ColorRefGreen(ref), ColorRefBlue(ref));
}

constexpr std::uint32_t ToColorRef(int red, int green, int blue) {
  return static_cast<std::uint32_t>(red & 0xFF) | (static_cast<std::uint32_t>(green & 0xFF) << 8) |
         (static_cast<std::uint32_t>(blue & 0xFF) << 16);
}

inline std::uint32_t ToColorRef(const QColor& c) {
  return ToColorRef(c.red(), c.green(), c.blue());
}

}  // namespace ui
