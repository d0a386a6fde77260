// Fuzz target of the frame information block: any bytes as an assembled frame. The block is
// copied only from a frame that marks it and holds all of it; otherwise the record is cleared.
// The elementary stream offset always lies on one of the two places a frame can start it.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "net/frame_info_block.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> frame(data, data + size);
  std::array<std::uint8_t, kFrameInfoBlockBytes> out;
  out.fill(0xEE);
  if (GetFrameInfoBlock(frame, out) != 1)
    std::abort();
  const bool marked = HasFrameInfoBlock(frame);
  const bool whole = marked && size >= kFrameInfoBlockOffset + kFrameInfoBlockDataBytes;
  if (whole) {
    if (!std::equal(out.begin(), out.begin() + kFrameInfoBlockDataBytes,
                    frame.begin() + kFrameInfoBlockOffset) ||
        out[kFrameInfoBlockDataBytes] != kFrameInfoMark) {
      std::abort();
    }
  } else if (std::any_of(out.begin(), out.end(), [](std::uint8_t b) { return b != 0; })) {
    std::abort();
  }
  const std::size_t at = ElementaryStreamOffset(frame);
  if (at != (marked ? kJpegPictureOffset : kFrameInfoBlockOffset))
    std::abort();
  return 0;
}
