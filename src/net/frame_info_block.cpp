#include "net/frame_info_block.h"

#include <algorithm>

namespace {
constexpr std::size_t kMarkByte = 20;
constexpr std::size_t kBlockStart = 32;
constexpr std::size_t kBlockBytes = 72;
constexpr uint8_t kMark = 'S';
}  // namespace

int GetFrameInfoBlock(std::span<const uint8_t> slot, std::span<uint8_t, kFrameInfoBlockBytes> out) {
  if (slot.size() < kBlockStart + kBlockBytes || (slot[kMarkByte] & 0x7F) != kMark) {
    std::fill(out.begin(), out.end(), 0);
    return 1;
  }
  std::copy_n(slot.begin() + kBlockStart, kBlockBytes, out.begin());
  out[kBlockBytes] = kMark;
  return 1;
}
