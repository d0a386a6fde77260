// Test pictures described as the viewer sees them (top row first, red-green-blue), laid out in
// or read back from buffers in any layout of the JPEG layer.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codec/jpeg/jpeg_layer.h"

namespace app_test {

using Rgb = std::array<std::uint8_t, 3>;

struct VisualPicture {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // row 0 is the top row

  Rgb& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const Rgb& At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Four flat quadrants (red, green, blue, white from top left, clockwise: red top left, green
// top right, white bottom right, blue bottom left), easy to recognise after JPEG coding.
inline VisualPicture Quadrants(int width, int height) {
  VisualPicture picture{width, height, std::vector<Rgb>(static_cast<std::size_t>(width) * height)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2;
      const bool bottom = y >= height / 2;
      Rgb colour = !bottom ? (right ? Rgb{0, 255, 0} : Rgb{255, 0, 0})
                           : (right ? Rgb{255, 255, 255} : Rgb{0, 0, 255});
      picture.At(x, y) = colour;
    }
  }
  return picture;
}

// Puts the picture into a buffer as the layout says (padding bytes are left as 0x5A).
inline std::vector<std::uint8_t> LayOut(const VisualPicture& picture,
                                        const codec::jpeg::PictureLayout& layout) {
  std::vector<std::uint8_t> buffer(*layout.SpanBytes(), 0x5A);
  for (int y = 0; y < picture.height; ++y) {
    const int row = layout.rows == codec::jpeg::RowOrder::kBottomUp ? picture.height - 1 - y : y;
    for (int x = 0; x < picture.width; ++x) {
      const Rgb& p = picture.At(x, y);
      std::uint8_t* out = &buffer[row * layout.Pitch() + static_cast<std::size_t>(x) * 3];
      const bool bgr = layout.order == codec::jpeg::PixelOrder::kBgr;
      out[0] = bgr ? p[2] : p[0];
      out[1] = p[1];
      out[2] = bgr ? p[0] : p[2];
    }
  }
  return buffer;
}

// Reads a picture back from a buffer laid out as the layout says.
inline VisualPicture ReadBack(const std::vector<std::uint8_t>& buffer,
                              const codec::jpeg::PictureLayout& layout) {
  VisualPicture picture{layout.width, layout.height,
                        std::vector<Rgb>(static_cast<std::size_t>(layout.width) * layout.height)};
  for (int y = 0; y < layout.height; ++y) {
    const int row = layout.rows == codec::jpeg::RowOrder::kBottomUp ? layout.height - 1 - y : y;
    for (int x = 0; x < layout.width; ++x) {
      const std::uint8_t* in = &buffer[row * layout.Pitch() + static_cast<std::size_t>(x) * 3];
      const bool bgr = layout.order == codec::jpeg::PixelOrder::kBgr;
      picture.At(x, y) = bgr ? Rgb{in[2], in[1], in[0]} : Rgb{in[0], in[1], in[2]};
    }
  }
  return picture;
}

// Largest difference of one sample, over the pixels at least `margin` pixels away from the
// quadrant borders (JPEG blurs the edges a little).
inline int MaxDifferenceAwayFromEdges(const VisualPicture& a, const VisualPicture& b, int margin) {
  int worst = 0;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (std::abs(x - a.width / 2) < margin || std::abs(y - a.height / 2) < margin) {
        continue;
      }
      for (int c = 0; c < 3; ++c) {
        worst = std::max(worst, std::abs(int{a.At(x, y)[c]} - int{b.At(x, y)[c]}));
      }
    }
  }
  return worst;
}

}  // namespace app_test
