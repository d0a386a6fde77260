#include "block_to_frame.h"

#include <algorithm>
#include <cstddef>

#include "codec/mp4dec/block_destination.h"

namespace {

// The clamp table's range: entry i + kClampLow for i = -kClampLow..kClampHigh.
constexpr int kClampLow = 384;
constexpr int kClampHigh = 639;

}  // namespace

void Mp4DecBlockToFrame(Mp4DecInstance& inst, int b, int x, int y, bool add) {
  const Mp4DecContext& ctx = ContextOf(inst);
  const std::int16_t* block = ReaderOf(inst).block.data();
  const std::uint8_t* clamp = ctx.clampTable + kClampLow;
  const Mp4DecBlockDestination destination = Mp4DecBlockDestinationOf(inst, b, x, y, false);
  for (int row = 0; row < 8; ++row) {
    std::uint8_t* out = destination.origin + row * destination.stride;
    for (int col = 0; col < 8; ++col) {
      const int value = block[8 * row + col] + (add ? out[col] : 0);
      out[col] = clamp[std::clamp(value, -kClampLow, kClampHigh)];
    }
  }
}
