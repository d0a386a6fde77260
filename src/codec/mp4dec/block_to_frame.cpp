#include "codec/mp4dec/block_to_frame.h"

#include <algorithm>
#include <cstddef>

namespace {

// The clamp table's range: entry i + kClampLow for i = -kClampLow..kClampHigh.
constexpr int kClampLow = 384;
constexpr int kClampHigh = 639;

}  // namespace

void Mp4DecBlockToFrame(Mp4DecInstance& inst, int b, int x, int y, bool add) {
  const Mp4DecContext& ctx = ContextOf(inst);
  const std::int16_t* block = ReaderOf(inst).block.data();
  const std::uint8_t* clamp = ctx.clampTable + kClampLow;
  std::uint8_t* destination = nullptr;
  std::ptrdiff_t stride = 0;
  if (b < 4) {
    stride = ctx.geometry.paddedLumaWidth;
    destination =
        inst.decodeOrigin[0] + (16 * y + 8 * ((b >> 1) & 1)) * stride + 16 * x + 8 * (b & 1);
  } else {
    stride = ctx.geometry.paddedChromaWidth;
    destination = inst.decodeOrigin[b == 4 ? 1 : 2] + 8 * y * stride + 8 * x;
  }
  for (int row = 0; row < 8; ++row) {
    std::uint8_t* out = destination + row * stride;
    for (int col = 0; col < 8; ++col) {
      const int value = block[8 * row + col] + (add ? out[col] : 0);
      out[col] = clamp[std::clamp(value, -kClampLow, kClampHigh)];
    }
  }
}
