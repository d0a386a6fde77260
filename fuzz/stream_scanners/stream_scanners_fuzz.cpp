// Runs the start-code scanners over arbitrary frames. The input is copied into a buffer of
// exactly its size, so any read past the frame's length is caught by the address sanitizer.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "codec/context/mpeg4_decoder_context.h"
#include "codec/context/stream_scanners.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return 0;
  }
  const std::vector<std::uint8_t> frame(data, data + size);
  const auto length = static_cast<std::int32_t>(size);

  std::uint32_t streamNumber = 0, frameLength = 0, secondValue = 0, kind = 0;
  CMpeg4DecoderContext::ScanFrameHeader(static_cast<std::uint32_t>(size), frame.data(),
                                        &streamNumber, &frameLength, &secondValue, &kind);

  std::uint32_t pts = 0, width = 0, height = 0, unused = 0, vopType = 0;
  ScanMpegStream(frame.data(), length, &pts, &width, &height, &unused, &vopType);
  CMpeg4DecoderContext::ScanStream(frame.data(), length, &pts, &width, &height, &unused, &vopType);
  ReadPesTimeStamp(std::span<const std::uint8_t>(frame));
  return 0;
}
