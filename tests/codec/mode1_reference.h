// The picture output mode 1 must give, built row by row with the colour rule of the 4:2:0 to
// BGR primitive written out here, for tests that check the converter's walk through the planes
// (which chroma row each output row takes) and not only that two of its outputs agree.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mode1_reference {

// B, G, R of one pixel by the primitive's rule: u = U - 128, v = V - 128, no offset on Y,
// B = (65536 Y + 133169 u) >> 16, G = (65536 Y - 25821 u - 38076 v) >> 16,
// R = (65536 Y + 74711 v) >> 16, each limited to 0..255.
inline void StoreBgr(std::uint8_t y, std::uint8_t uu, std::uint8_t vv, std::uint8_t* bgr) {
  const std::int32_t luma = 65536 * y;
  const std::int32_t u = uu - 128;
  const std::int32_t v = vv - 128;
  const auto limit = [](std::int32_t x) {
    return static_cast<std::uint8_t>(std::clamp(x, 0, 255));
  };
  bgr[0] = limit((luma + 133169 * u) >> 16);
  bgr[1] = limit((luma - 25821 * u - 38076 * v) >> 16);
  bgr[2] = limit((luma + 74711 * v) >> 16);
}

// The 24-bit picture, rows width x 3 bytes one after another, from a luma plane that is
// already deinterlaced. Output row j shows luma row height - 1 - j when bottom-up (j when
// top-down), with that luma row's own chroma row (row / 2); pixel i takes chroma sample i / 2.
inline std::vector<std::uint8_t> Picture(const std::uint8_t* y, std::ptrdiff_t yStride,
                                         const std::uint8_t* u, const std::uint8_t* v,
                                         std::ptrdiff_t chromaStride, int width, int height,
                                         bool bottomUp) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 3);
  for (int j = 0; j < height; ++j) {
    const int row = bottomUp ? height - 1 - j : j;
    const std::uint8_t* lumaRow = y + row * yStride;
    const std::uint8_t* uRow = u + (row / 2) * chromaStride;
    const std::uint8_t* vRow = v + (row / 2) * chromaStride;
    std::uint8_t* outRow = out.data() + static_cast<std::ptrdiff_t>(j) * width * 3;
    for (int i = 0; i < width; ++i) {
      StoreBgr(lumaRow[i], uRow[i / 2], vRow[i / 2], outRow + 3 * i);
    }
  }
  return out;
}

}  // namespace mode1_reference
