// DecodeJpegFrame on arbitrary bytes. The announced size is taken from the JPEG's own header
// (so the decode path is reached) and, for a second call, from the first input bytes (so the
// size check is). The picture buffer is exactly the announced size: any write past it is an
// out-of-bounds write the sanitizer reports. ReadJpegFrameSize reads the same bytes, and when
// libjpeg-turbo reads a header its size must be the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "codec/jpeg/jpeg_layer.h"
#include "codec/jpeg_frame/jpeg_frame.h"

namespace {

// Keeps single runs fast: larger announced sizes only cost time, not coverage.
constexpr int kMaxSide = 512;

void DecodeAs(std::span<const std::uint8_t> jpeg, int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    return;
  }
  std::vector<std::uint8_t> picture(static_cast<std::size_t>(width) * height * 3);
  (void)DecodeJpegFrame(jpeg, picture, static_cast<std::uint16_t>(width),
                        static_cast<std::uint16_t>(height));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> jpeg(data, size);
  const std::optional<JpegFrameSize> frameSize = ReadJpegFrameSize(jpeg);
  codec::jpeg::JpegJob job;
  codec::jpeg::JpegHeader header;
  if (job.Init() == codec::jpeg::JpegResult::kOk &&
      job.ReadHeader(jpeg, header) == codec::jpeg::JpegResult::kOk) {
    if (frameSize && (frameSize->width != header.width || frameSize->height != header.height))
      std::abort();
    DecodeAs(jpeg, header.width, header.height);
  }
  if (size >= 2) {
    DecodeAs(jpeg, 1 + data[0] % 64, 1 + data[1] % 64);
  }
  return 0;
}
