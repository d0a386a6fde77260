// Pictures and helpers shared by the JPEG frame tests: the quadrant picture the committed
// ffmpeg fixtures were made from, a smooth synthetic picture, PSNR, and JPEG files read whole.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace jpeg_test {

struct Bgr {
  std::uint8_t b, g, r;
  friend bool operator==(const Bgr&, const Bgr&) = default;
};

// The fixtures' source, top-down: red, green / blue, grey ramp (quadrants of 64 x 48).
inline constexpr int kQuadrantWidth = 64;
inline constexpr int kQuadrantHeight = 48;
inline Bgr QuadrantPixel(int x, int y) {
  const int w = kQuadrantWidth;
  const int h = kQuadrantHeight;
  if (y < h / 2) {
    return x < w / 2 ? Bgr{0, 0, 255} : Bgr{0, 255, 0};
  }
  if (x < w / 2) {
    return Bgr{255, 0, 0};
  }
  const auto v = static_cast<std::uint8_t>((x - w / 2) * 255 / (w / 2 - 1));
  return Bgr{v, v, v};
}

// A smooth picture with a different colour in each corner, stored bottom-up as BGR: row 0 of
// the buffer is the bottom row of the picture.
inline std::vector<std::uint8_t> SmoothBottomUp(int width, int height) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 3);
  for (int row = 0; row < height; ++row) {
    const int y = height - 1 - row;  // picture row, top = 0
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &out[(static_cast<std::size_t>(row) * width + x) * 3];
      p[0] = static_cast<std::uint8_t>(40 + 160 * x / std::max(1, width - 1));   // blue: right
      p[1] = static_cast<std::uint8_t>(40 + 160 * y / std::max(1, height - 1));  // green: bottom
      p[2] = static_cast<std::uint8_t>(200 - 120 * (x + y) / std::max(1, width + height - 2));
    }
  }
  return out;
}

inline double Psnr(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  double squared = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double d = static_cast<double>(a[i]) - b[i];
    squared += d * d;
  }
  return squared == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * static_cast<double>(n) / squared);
}

inline std::vector<std::uint8_t> ReadWhole(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace jpeg_test
