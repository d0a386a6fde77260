#include "net/frame_info_block.h"

#include <algorithm>

int GetFrameInfoBlock(std::span<const uint8_t> slot, std::span<uint8_t, kFrameInfoBlockBytes> out) {
  if (slot.size() < kFrameInfoBlockOffset + kFrameInfoBlockDataBytes || !HasFrameInfoBlock(slot)) {
    std::fill(out.begin(), out.end(), 0);
    return 1;
  }
  std::copy_n(slot.begin() + kFrameInfoBlockOffset, kFrameInfoBlockDataBytes, out.begin());
  out[kFrameInfoBlockDataBytes] = kFrameInfoMark;
  return 1;
}
